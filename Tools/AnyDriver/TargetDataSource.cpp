#include "TargetDataSource.h"

#include <CoreFoundation/CoreFoundation.h>
#include <dlfcn.h>
#include <mach-o/dyld.h>
#include <sys/stat.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "ShownPath.h"

namespace {

constexpr size_t kMaxTargetPath = PATH_MAX - 1;
constexpr char kMessagePrefix[] = "AnyDriver: ";

std::string LoaderMessage() {
    const char* message = dlerror();
    return message ? message : "(the loader gave no message)";
}

std::string LastComponent(const std::string& path) { return path.substr(path.rfind('/') + 1); }

// <bundle>/Contents/Resources/Target.txt, from <bundle>/Contents/MacOS/<executable>.
std::string TargetFileOf(const std::string& bundleExecutable) {
    std::string bundle = bundleExecutable;
    for (int up = 0; up < 3 && bundle.rfind('/') != std::string::npos; ++up) bundle.erase(bundle.rfind('/'));
    return bundle + "/" + kTargetFileInBundle;
}

// The variable's value; without it, the first line of the bundle's file. The
// line is read one byte past the longest path, so a longer one shows as such.
// The source is where the path came from, as a message names it.
bool ReadTargetPath(const std::string& bundleExecutable, std::string& path, std::string& source,
                    std::string& refusal) {
    if (const char* value = getenv(kTargetVariable); value && *value) {
        path = value;
        source = kTargetVariable;
        return true;
    }
    const std::string targetFile = TargetFileOf(bundleExecutable);
    source = ShownPath(targetFile);
    FILE* file = fopen(targetFile.c_str(), "rb");
    if (!file) {
        refusal = std::string("no target: ") + kTargetVariable + " is not set and " + source +
                  " cannot be read: " + strerror(errno);
        return false;
    }
    path.clear();
    for (int c; path.size() <= kMaxTargetPath + 1 && (c = fgetc(file)) != EOF && c != '\n';)
        path += static_cast<char>(c);
    fclose(file);
    if (!path.empty() && path.back() == '\r') path.pop_back();
    return true;
}

// Why the text cannot be a target's path, or empty.
std::string PathFault(const std::string& path) {
    if (path.empty()) return "the path is empty";
    if (path.size() > kMaxTargetPath) return "the path is longer than " + std::to_string(kMaxTargetPath) + " bytes";
    for (unsigned char c : path)
        if (c < 0x20 || c == 0x7F) return "the path holds a control character";
    if (path.front() != '/') return "the path is not absolute";
    return {};
}

// A bundle's executable as CoreFoundation finds it, or empty.
std::string BundleExecutable(const std::string& directory) {
    std::string executable;
    CFURLRef url = CFURLCreateFromFileSystemRepresentation(
        kCFAllocatorDefault, reinterpret_cast<const UInt8*>(directory.data()), static_cast<CFIndex>(directory.size()),
        true);
    CFBundleRef bundle = url ? CFBundleCreate(kCFAllocatorDefault, url) : nullptr;
    CFURLRef executableURL = bundle ? CFBundleCopyExecutableURL(bundle) : nullptr;
    char buffer[PATH_MAX];
    if (executableURL &&
        CFURLGetFileSystemRepresentation(executableURL, true, reinterpret_cast<UInt8*>(buffer), sizeof buffer))
        executable = buffer;
    if (executableURL) CFRelease(executableURL);
    if (bundle) CFRelease(bundle);
    if (url) CFRelease(url);
    return executable;
}

bool SameFile(const char* path, const struct stat& file) {
    struct stat other;
    return path && stat(path, &other) == 0 && other.st_dev == file.st_dev && other.st_ino == file.st_ino;
}

// The file to load for the target (itself, or its bundle's executable), or
// empty with the reason it cannot be a data source.
std::string ExecutableFile(const std::string& path, struct stat& file, std::string& fault) {
    if (stat(path.c_str(), &file) != 0) {
        fault = strerror(errno);
        return {};
    }
    std::string executable = path;
    if (S_ISDIR(file.st_mode)) {
        executable = BundleExecutable(path);
        if (executable.empty() || stat(executable.c_str(), &file) != 0) {
            fault = "a directory, and no bundle with an executable";
            return {};
        }
    }
    if (!S_ISREG(file.st_mode)) {
        fault = "not a regular file";
        return {};
    }
    return executable;
}

// Loading the caller or this bundle again would hand each triplet back to
// where it came from, without end.
std::string LoopFault(const struct stat& file, const std::string& bundleExecutable, const std::string& callerName) {
    if (SameFile(bundleExecutable.c_str(), file)) return "it is this bundle (a loop)";
    if (callerName.empty()) return {};
    for (uint32_t i = 0, count = _dyld_image_count(); i < count; ++i) {
        const char* image = _dyld_get_image_name(i);
        if (image && LastComponent(image) == callerName && SameFile(image, file))
            return "it is the data source that loaded this bundle (a loop)";
    }
    return {};
}

}  // namespace

bool LoadTarget(const std::string& bundleExecutable, const std::string& callerName, LoadedTarget& target,
                std::string& refusal) {
    std::string path, source;
    if (!ReadTargetPath(bundleExecutable, path, source, refusal)) {
        refusal = kMessagePrefix + refusal;
        return false;
    }
    std::string fault = PathFault(path);
    struct stat file;
    std::string executable;
    if (fault.empty()) executable = ExecutableFile(path, file, fault);
    if (fault.empty()) fault = LoopFault(file, bundleExecutable, callerName);
    if (fault.empty()) {
        target.code = dlopen(executable.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!target.code) fault = "the loader refused it: " + LoaderMessage();
    }
    if (fault.empty()) {
        target.entry = reinterpret_cast<DSENTRYPROC>(dlsym(target.code, "DS_Entry"));
        if (!target.entry) {
            fault = "no DS_Entry: " + LoaderMessage();
            UnloadTarget(target);
        }
    }
    if (fault.empty()) return true;
    refusal = kMessagePrefix + std::string("target ") + ShownPath(path) + " (from " + source + ") refused: " + fault;
    return false;
}

void UnloadTarget(LoadedTarget& target) {
    if (target.code) dlclose(target.code);
    target = {};
}
