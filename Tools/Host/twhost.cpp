// twhost: plays the Data Source Manager and the application for one data source
// module. It loads the module as a manager does, sends it a session's triplets
// through DS_Entry, prints each answer, and unloads it.
//
//   twhost <module.ds> <demo|vendor|structures|script-file>
//
// Exit status: 0 when every triplet answered as the session expects, 1 when one
// did not, 2 when the module or the session could not be read.
#include <dlfcn.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "BuiltinSessions.h"
#include "Session.h"

namespace {

constexpr int kExitMismatch = 1;
constexpr int kExitUnusable = 2;

bool ReadSession(const char* nameOrPath, std::string& script) {
    if (const char* builtin = FindBuiltinSession(nameOrPath)) {
        script = builtin;
        return true;
    }
    std::ifstream file(nameOrPath, std::ios::binary);
    if (!file) return false;
    std::ostringstream text;
    text << file.rdbuf();
    script = text.str();
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        fprintf(stderr, "usage: twhost <module.ds> <demo|vendor|structures|script-file>\n");
        return kExitUnusable;
    }
    std::string script;
    if (!ReadSession(argv[2], script)) {
        fprintf(stderr, "twhost: no built-in session and no file named %s\n", argv[2]);
        return kExitUnusable;
    }
    std::vector<SessionStep> steps;
    std::string error;
    if (!ParseSessionScript(script, steps, error)) {
        fprintf(stderr, "twhost: %s: %s\n", argv[2], error.c_str());
        return kExitUnusable;
    }

    // A bare file name would make dlopen search the library path instead.
    std::string modulePath = argv[1];
    if (modulePath.find('/') == std::string::npos) modulePath = "./" + modulePath;
    void* module = dlopen(modulePath.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!module) {
        fprintf(stderr, "twhost: cannot load %s: %s\n", modulePath.c_str(), dlerror());
        return kExitUnusable;
    }
    auto entry = reinterpret_cast<DSENTRYPROC>(dlsym(module, "DS_Entry"));
    if (!entry) {
        fprintf(stderr, "twhost: %s has no DS_Entry\n", modulePath.c_str());
        dlclose(module);
        return kExitUnusable;
    }

    CHostSession session(entry, stdout);
    int mismatches = session.Run(steps);
    // The module's unload is where it releases the driver and closes its log.
    dlclose(module);
    return mismatches == 0 ? 0 : kExitMismatch;
}
