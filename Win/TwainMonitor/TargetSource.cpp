#include "TargetSource.h"

#include <cstdio>

#include "ShownPath.h"
#include "WinText.h"

namespace {

constexpr char kMessagePrefix[] = "TwainMonitor: ";
// The longest path the plain wide calls take, its NUL not counted.
constexpr size_t kMaxTargetPath = MAX_PATH - 1;
// A line read one byte past what the longest path can take in UTF-8, so a longer one shows as such.
constexpr size_t kMaxTargetLineBytes = kMaxTargetPath * 3 + 1;

// The system's text for an error code, without its line end; the code when it has none.
std::string SystemMessage(DWORD code) {
    wchar_t* text = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
        0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::string message = length ? Utf8FromWide(std::wstring_view(text, length)) : std::string();
    if (text) LocalFree(text);
    while (!message.empty() && (message.back() == '\r' || message.back() == '\n' || message.back() == ' '))
        message.pop_back();
    // Some messages name the file as an insert, which is not filled in.
    for (size_t insert; (insert = message.find("%1")) != std::string::npos;) message.replace(insert, 2, "the file");
    // Both forms: the decimal Win32 codes are looked up as such, the NTSTATUS ones in hex.
    if (message.empty()) {
        char hex[sizeof "0x12345678"];
        snprintf(hex, sizeof hex, "0x%08lX", static_cast<unsigned long>(code));
        message = "error " + std::to_string(code) + " (" + hex + ")";
    }
    return message;
}

std::wstring ModuleFile(HMODULE module) {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(module, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return {};
        if (length < path.size()) return path.substr(0, length);
        path.resize(path.size() * 2);
    }
}

// The variable's value; without it, the first line of the file beside the monitor,
// without a byte order mark, a CR before the line end, or trailing blanks. The
// source is where the path came from, as a message names it.
bool ReadTargetPath(HMODULE monitor, std::string& path, std::string& source, std::string& refusal) {
    const std::string variable = Utf8FromWide(kTargetVariable);
    // Asked for its size first (NUL included), then read.
    if (const DWORD size = GetEnvironmentVariableW(kTargetVariable, nullptr, 0); size > 1) {
        std::wstring value(size, L'\0');
        const DWORD length = GetEnvironmentVariableW(kTargetVariable, value.data(), size);
        if (length > 0 && length < size) {
            source = variable;
            path = Utf8FromWide(std::wstring_view(value.data(), length));
            return true;
        }
    }
    std::wstring file = ModuleFile(monitor);
    file = file.substr(0, file.find_last_of(L"\\/") + 1) + kTargetFileName;
    source = ShownPath(Utf8FromWide(file));
    FILE* stream = _wfopen(file.c_str(), L"rb");
    if (!stream) {
        refusal = "no target: " + variable + " is not set and " + source +
                  " cannot be read: " + SystemMessage(GetLastError());
        return false;
    }
    path.clear();
    for (int c; path.size() <= kMaxTargetLineBytes && (c = fgetc(stream)) != EOF && c != '\n';)
        path += static_cast<char>(c);
    fclose(stream);
    if (path.compare(0, 3, "\xEF\xBB\xBF") == 0) path.erase(0, 3);
    while (!path.empty() && (path.back() == '\r' || path.back() == ' ' || path.back() == '\t')) path.pop_back();
    return true;
}

// A drive's root ("C:\") or a share ("\\server\share\"); "C:x" and "\x" depend on
// the current folder.
bool IsAbsolute(const std::wstring& path) {
    const auto separator = [](wchar_t c) { return c == L'\\' || c == L'/'; };
    if (path.size() >= 3 && iswalpha(path[0]) && path[1] == L':' && separator(path[2])) return true;
    return path.size() >= 3 && separator(path[0]) && separator(path[1]);
}

// Why the text cannot be a target's path, or empty; the wide path when it can.
std::string PathFault(const std::string& path, std::wstring& wide) {
    if (path.empty()) return "the path is empty";
    for (unsigned char c : path)
        if (c < 0x20 || c == 0x7F) return "the path holds a control character";
    wide = WideFromUtf8(path);
    if (wide.empty()) return "the path is not UTF-8";
    if (wide.size() > kMaxTargetPath)
        return "the path is longer than " + std::to_string(kMaxTargetPath) + " characters (MAX_PATH)";
    if (!IsAbsolute(wide)) return "the path is not absolute";
    return {};
}

bool FileIdentity(const std::wstring& path, BY_HANDLE_FILE_INFORMATION& file) {
    HANDLE handle = CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return false;
    const bool known = GetFileInformationByHandle(handle, &file);
    CloseHandle(handle);
    return known;
}

// Why the file cannot be loaded as the target, or empty: missing, a folder, or
// the monitor's own file (each triplet would come back to it without end).
std::string FileFault(const std::wstring& path, HMODULE monitor) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return SystemMessage(GetLastError());
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return "a folder, not a data source file";
    BY_HANDLE_FILE_INFORMATION target{}, own{};
    if (FileIdentity(path, target) && FileIdentity(ModuleFile(monitor), own) &&
        target.dwVolumeSerialNumber == own.dwVolumeSerialNumber && target.nFileIndexHigh == own.nFileIndexHigh &&
        target.nFileIndexLow == own.nFileIndexLow)
        return "it is this monitor (a loop)";
    return {};
}

}  // namespace

bool LoadTargetSource(HMODULE monitor, TargetSource& target, std::string& refusal) {
    std::string path, source;
    if (!ReadTargetPath(monitor, path, source, refusal)) {
        refusal = kMessagePrefix + refusal;
        return false;
    }
    std::wstring wide;
    std::string fault = PathFault(path, wide);
    if (fault.empty()) fault = FileFault(wide, monitor);
    if (fault.empty()) {
        // The vendor's own DLLs beside its data source are found as when the
        // manager loads it.
        target.module = LoadLibraryExW(wide.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
        if (!target.module) fault = "the loader refused it: " + SystemMessage(GetLastError());
    }
    if (fault.empty()) {
        target.entry = reinterpret_cast<DSENTRYPROC>(reinterpret_cast<void*>(GetProcAddress(target.module, "DS_Entry")));
        if (!target.entry) {
            fault = "no DS_Entry: " + SystemMessage(GetLastError());
            FreeLibrary(target.module);
            target = {};
        }
    }
    if (fault.empty()) return true;
    refusal = kMessagePrefix + std::string("target ") + ShownPath(path) + " (from " + source + ") refused: " + fault;
    return false;
}
