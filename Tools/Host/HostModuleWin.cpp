// twhost's system calls on Windows: the module loaded as the manager loads a data
// source, and the trace files that appeared in the log folder during the session.
#include <windows.h>
#include <shlobj.h>

#include <set>

#include "HostModule.h"
#include "WinText.h"

namespace {

// The monitor's log folder, as it finds it.
std::wstring LogFolder() {
    PWSTR publicFolder = nullptr;
    std::wstring folder;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_Public, KF_FLAG_DEFAULT, nullptr, &publicFolder)))
        folder = std::wstring(publicFolder) + L"\\NORVA\\Lumora\\LOG\\TWAIN";
    CoTaskMemFree(publicFolder);
    return folder;
}

std::set<std::wstring> TraceFiles() {
    std::set<std::wstring> files;
    const std::wstring folder = LogFolder();
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"\\Twainlog_*.txt").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return files;
    do files.insert(folder + L"\\" + found.cFileName);
    while (FindNextFileW(search, &found));
    FindClose(search);
    return files;
}

}  // namespace

bool LoadHostedModule(const std::string& path, HostedModule& module, std::string& problem) {
    const std::wstring wide = WideFromUtf8(path);
    HMODULE handle = LoadLibraryExW(wide.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (!handle) {
        problem = "cannot load " + path + ": error " + std::to_string(GetLastError());
        return false;
    }
    module.handle = handle;
    module.entry = reinterpret_cast<DSENTRYPROC>(reinterpret_cast<void*>(GetProcAddress(handle, "DS_Entry")));
    if (!module.entry) {
        FreeLibrary(handle);
        module = {};
        problem = path + " has no DS_Entry";
        return false;
    }
    return true;
}

void UnloadHostedModule(HostedModule& module) {
    if (module.handle) FreeLibrary(static_cast<HMODULE>(module.handle));
    module = {};
}

// Windows does not list a process's open files: the trace is the file that was
// not in the log folder before the load.
std::string TraceFilesBeforeLoad() {
    std::string before;
    for (const std::wstring& file : TraceFiles()) before += Utf8FromWide(file) + "\n";
    return before;
}

std::string TraceFilesWritten(const std::string& beforeLoad) {
    std::string files;
    for (const std::wstring& file : TraceFiles()) {
        const std::string name = Utf8FromWide(file);
        if (beforeLoad.find(name + "\n") == std::string::npos) files += (files.empty() ? "" : " ") + name;
    }
    return files;
}
