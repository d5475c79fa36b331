// twhost's system calls on Linux: dlopen, and the files the process holds open.
#include <dirent.h>
#include <dlfcn.h>
#include <unistd.h>

#include <cstring>

#include "HostModule.h"

bool LoadHostedModule(const std::string& path, HostedModule& module, std::string& problem) {
    // A bare file name would make dlopen search the library path instead.
    const std::string modulePath = path.find('/') == std::string::npos ? "./" + path : path;
    module.handle = dlopen(modulePath.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!module.handle) {
        problem = "cannot load " + modulePath + ": " + dlerror();
        return false;
    }
    module.entry = reinterpret_cast<DSENTRYPROC>(dlsym(module.handle, "DS_Entry"));
    if (!module.entry) {
        dlclose(module.handle);
        module = {};
        problem = modulePath + " has no DS_Entry";
        return false;
    }
    return true;
}

void UnloadHostedModule(HostedModule& module) {
    if (module.handle) dlclose(module.handle);
    module = {};
}

std::string TraceFilesBeforeLoad() { return {}; }

// The trace files this process has open: the one the module's log wrote.
std::string TraceFilesWritten(const std::string&) {
    std::string files;
    DIR* fds = opendir("/proc/self/fd");
    if (!fds) return files;
    while (const dirent* entry = readdir(fds)) {
        char path[4096];
        const std::string link = std::string("/proc/self/fd/") + entry->d_name;
        ssize_t length = readlink(link.c_str(), path, sizeof(path) - 1);
        if (length <= 0) continue;
        path[length] = '\0';
        const char* name = strrchr(path, '/');
        if (name && strncmp(name + 1, "Twainlog_", 9) == 0) files += (files.empty() ? "" : " ") + std::string(path);
    }
    closedir(fds);
    return files;
}
