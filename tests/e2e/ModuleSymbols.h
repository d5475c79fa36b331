// The address of any symbol of a loaded module, hidden ones included, read from
// the module file's own symbol table: how a test looks at a module's globals
// although the module exports nothing but its entry point.
#pragma once

// Null when the module has no such symbol (or its file cannot be read).
void* FindModuleSymbol(void* dlHandle, const char* name);
