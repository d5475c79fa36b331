// What twhost asks of the system to play the manager: loading a data source module
// as a manager does, and naming the trace file its session wrote. One file per
// system behind it (HostModulePosix.cpp, HostModuleWin.cpp).
#pragma once

#include <string>

#include "TwainTypes.h"

struct HostedModule {
    void* handle = nullptr;
    DSENTRYPROC entry = nullptr;
};

// Loads the module and finds its DS_Entry; false with the reason otherwise.
bool LoadHostedModule(const std::string& path, HostedModule& module, std::string& problem);
// The unload is where the module releases its driver and closes its log.
void UnloadHostedModule(HostedModule& module);

// What TraceFilesWritten needs to know from before the load.
std::string TraceFilesBeforeLoad();
// Before the unload: the trace files the loaded module wrote, separated by
// blanks; empty when it wrote none.
std::string TraceFilesWritten(const std::string& beforeLoad);
