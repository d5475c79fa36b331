#include "StagedScenario.h"

#include <dlfcn.h>
#include <elf.h>
#include <fcntl.h>
#include <link.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "MonitorPaths.h"
#include "ParaAnalyze.h"
#include "ProbeFiles.h"

namespace fs = std::filesystem;

// Seen by the loader stand-in's interposer below: while set, the loader lists no
// image but the main program.
static bool g_bHideLoadedImages = false;

// Takes the place of the platform's _dyld_get_image_header for everything loaded
// into the test program (it is exported from the executable, which comes first
// in the lookup order), so a scenario can take the module's own image away. The
// platform library is found by name: it may be loaded only with the module.
extern "C" __attribute__((visibility("default"))) const struct mach_header* _dyld_get_image_header(
    uint32_t image_index) {
    using Lookup = const struct mach_header* (*)(uint32_t);
    static Lookup platform = nullptr;
    if (!platform) {
        if (void* library = dlopen("libMacPlatform.so", RTLD_NOW | RTLD_NOLOAD))
            platform = reinterpret_cast<Lookup>(dlsym(library, "_dyld_get_image_header"));
    }
    if (g_bHideLoadedImages && image_index > 0) return nullptr;
    return platform ? platform(image_index) : nullptr;
}

namespace {

const fs::path kScratch = E2E_SCRATCH_DIR;
const fs::path kProbeDir = kScratch / "probe";
const fs::path kChildDir = kScratch / "child";

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// The address of any symbol of a loaded module, hidden ones included, read from
// the module file's own symbol table: how the child looks at the module's
// analyzer although the module exports nothing but its entry point. Null when
// the module has no such symbol (or its file cannot be read).
void* FindModuleSymbol(void* dlHandle, const char* name) {
    struct link_map* map = nullptr;
    if (dlinfo(dlHandle, RTLD_DI_LINKMAP, &map) != 0 || !map || !map->l_name) return nullptr;
    std::ifstream file(map->l_name, std::ios::binary);
    std::vector<char> image((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (image.size() < sizeof(Elf64_Ehdr) || memcmp(image.data(), ELFMAG, SELFMAG) != 0) return nullptr;

    auto inImage = [&](uint64_t offset, uint64_t size) {
        return offset <= image.size() && size <= image.size() - offset;
    };
    const auto* header = reinterpret_cast<const Elf64_Ehdr*>(image.data());
    if (!inImage(header->e_shoff, uint64_t{header->e_shnum} * sizeof(Elf64_Shdr))) return nullptr;
    const auto* sections = reinterpret_cast<const Elf64_Shdr*>(image.data() + header->e_shoff);
    for (unsigned i = 0; i < header->e_shnum; ++i) {
        const Elf64_Shdr& symbols = sections[i];
        if (symbols.sh_type != SHT_SYMTAB || symbols.sh_link >= header->e_shnum) continue;
        const Elf64_Shdr& strings = sections[symbols.sh_link];
        if (!inImage(symbols.sh_offset, symbols.sh_size) || !inImage(strings.sh_offset, strings.sh_size)) continue;
        const auto* first = reinterpret_cast<const Elf64_Sym*>(image.data() + symbols.sh_offset);
        for (size_t n = 0; n < symbols.sh_size / sizeof(Elf64_Sym); ++n) {
            const Elf64_Sym& symbol = first[n];
            if (symbol.st_name >= strings.sh_size || symbol.st_shndx == SHN_UNDEF) continue;
            const char* symbolName = image.data() + strings.sh_offset + symbol.st_name;
            if (strncmp(symbolName, name, strings.sh_size - symbol.st_name) == 0 &&
                strlen(name) < strings.sh_size - symbol.st_name)
                return reinterpret_cast<void*>(map->l_addr + symbol.st_value);
        }
    }
    return nullptr;
}

int CountReleases() { return static_cast<int>(Lines(ReadFile(kProbeDir / kProbeReleaseFile)).size()); }

// A fresh scratch directory and the stage: the driver bundle and the log directory.
void Stage(WrapperInstall wrapper, bool logDirectory) {
    fs::remove_all(kScratch);
    fs::create_directories(kProbeDir);
    fs::create_directories(kChildDir);
    const fs::path bundle = kTwainWrapperBundlePath;
    fs::remove_all(bundle);
    fs::create_directories(bundle.parent_path());
    switch (wrapper) {
        case WrapperInstall::Probe: fs::create_directory_symlink(PROBE_BUNDLE_NORMAL, bundle); break;
        case WrapperInstall::ProbeWithoutFactory: fs::create_directory_symlink(PROBE_BUNDLE_NO_FACTORY, bundle); break;
        case WrapperInstall::ProbeStoringNothing:
            fs::create_directory_symlink(PROBE_BUNDLE_STORES_NOTHING, bundle);
            break;
        case WrapperInstall::BundleWithoutExecutable: fs::create_directories(bundle / "Contents" / "MacOS"); break;
        case WrapperInstall::NoBundle: break;
        case WrapperInstall::SubstituteDriver: fs::create_directory_symlink(DRIVER_BUNDLE, bundle); break;
    }
    fs::remove_all(kTwainLogDirectory);
    if (logDirectory) fs::create_directories(kTwainLogDirectory);
}

// Runs child() in a child process with its standard streams in the scratch
// directory and the probe's directory set; a child that hangs is killed rather
// than hanging the suite. The wait status, or -1.
int RunChildProcess(const std::function<void()>& child) {
    fflush(nullptr);
    pid_t pid = fork();
    if (pid == 0) {
        alarm(60);
        setenv(kProbeDirVariable, kProbeDir.c_str(), 1);
        int out = open((kChildDir / "stdout.txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        int err = open((kChildDir / "stderr.txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (out < 0 || err < 0) _exit(126);
        dup2(out, STDOUT_FILENO);
        dup2(err, STDERR_FILENO);
        child();
        _exit(127);
    }
    int status = 0;
    return pid > 0 && waitpid(pid, &status, 0) == pid ? status : -1;
}

void ReadTraces(int& traceFiles, std::string& trace) {
    std::vector<fs::path> traces;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(fs::path(kTwainLogDirectory), ec)) traces.push_back(entry.path());
    traceFiles = static_cast<int>(traces.size());
    if (traces.size() == 1) trace = ReadFile(traces[0]);
}

// In the child: loads the module, runs the session, unloads it, and writes down
// one fact a line, "<key> <value>".
[[noreturn]] void RunChild(const Scenario& scenario, const std::function<void(CChildSession&)>& body) {
    if (!scenario.probeCodes.empty()) setenv(kProbeCodesVariable, scenario.probeCodes.c_str(), 1);
    if (!scenario.probePost.empty()) setenv(kProbePostVariable, scenario.probePost.c_str(), 1);
    std::ofstream facts(kChildDir / "facts.txt");
    g_bHideLoadedImages = scenario.hideOwnImage;
    void* module = dlopen(MONITOR_MODULE_PATH, RTLD_NOW | RTLD_LOCAL);
    g_bHideLoadedImages = false;
    if (!module) {
        facts << "failure " << dlerror() << "\n";
        facts.close();
        _exit(3);
    }
    auto entry = reinterpret_cast<DSENTRYPROC>(dlsym(module, "DS_Entry"));
    auto* analyzer = static_cast<CParaAnalyze*>(FindModuleSymbol(module, "g_cParaAnalyze"));
    if (!entry || !analyzer) {
        facts << "failure no DS_Entry or no analyzer\n";
        facts.close();
        _exit(3);
    }
    facts << "stateAfterLoad " << analyzer->m_nTwainStatus << "\n";
    CChildSession session(entry);
    body(session);
    for (const std::string& fact : session.m_facts) facts << fact << "\n";
    facts << "stateAfterSession " << analyzer->m_nTwainStatus << "\nlinesAfterSession " << analyzer->m_lCount
          << "\nreleasesBeforeUnload " << CountReleases() << "\n";
    if (!scenario.unloadByExit) dlclose(module);
    facts << "completed 1\n";
    facts.close();
    // The exit handlers of everything still loaded run, the module's among them.
    if (scenario.unloadByExit) exit(0);
    _exit(0);
}

}  // namespace

TW_UINT16 CChildSession::Send(TW_IDENTITY* pOrigin, TW_UINT32 DG, TW_UINT16 DAT, TW_UINT16 MSG, void* pData) {
    std::string call = FormatProbeCall(pOrigin, DG, DAT, MSG, pData);
    call.pop_back();  // its line end
    m_facts.push_back("sent " + call);
    TW_UINT16 rc = m_entry(pOrigin, DG, DAT, MSG, pData);
    m_facts.push_back("code " + std::to_string(rc));
    return rc;
}

std::map<std::string, int> TracePieces(const std::string& trace) {
    std::map<std::string, int> pieces;
    size_t start = 0;
    for (size_t at = 0; at < trace.size();) {
        size_t end = trace.find("\r\n", at);
        end = end == std::string::npos ? trace.size() : end + 2;
        bool nextStarts =
            end == trace.size() || trace[end] == '[' || trace.compare(end, 19, "        Return Code") == 0;
        if (nextStarts) {
            ++pieces[trace.substr(start, end - start)];
            start = end;
        }
        at = end;
    }
    return pieces;
}

std::string DataPointerLine(const void* p) {
    char line[64];
    snprintf(line, sizeof(line), "pData   = <0x%08x>\r\n", static_cast<unsigned>(reinterpret_cast<uintptr_t>(p)));
    return line;
}

std::string WithoutPointers(const std::string& trace) {
    std::string text;
    for (size_t at = 0; at < trace.size();) {
        size_t open = trace.find("<0x", at);
        size_t close = open == std::string::npos ? open : trace.find('>', open);
        if (close == std::string::npos) {
            text.append(trace, at);
            break;
        }
        text.append(trace, at, open - at).append("<>");
        at = close + 1;
    }
    return text;
}

ScenarioOutcome RunScenario(const Scenario& scenario, const std::function<void(CChildSession&)>& body) {
    Stage(scenario.wrapper, scenario.logDirectory);
    const int status = RunChildProcess([&] { RunChild(scenario, body); });
    ScenarioOutcome o;
    const std::pair<const char*, long long*> numbers[] = {
        {"stateAfterLoad", &o.stateAfterLoad},
        {"stateAfterSession", &o.stateAfterSession},
        {"linesAfterSession", &o.linesAfterSession},
        {"releasesBeforeUnload", &o.releasesBeforeUnload},
    };
    for (const std::string& line : Lines(ReadFile(kChildDir / "facts.txt"))) {
        const size_t space = line.find(' ');
        if (space == std::string::npos) continue;
        const std::string key = line.substr(0, space), value = line.substr(space + 1);
        if (key == "failure") o.failure = value;
        else if (key == "sent") o.sent.push_back(value);
        else if (key == "code") o.returnCodes.push_back(static_cast<TW_UINT16>(std::stoul(value)));
        else if (key == "note") o.notes.push_back(value);
        else if (key == "completed") o.completed = true;
        for (const auto& [name, field] : numbers)
            if (key == name) *field = std::stoll(value);
    }
    if (status == -1 || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        o.completed = false;
        if (o.failure.empty())
            o.failure = status == -1         ? "no child process"
                        : WIFSIGNALED(status) ? "child killed by signal " + std::to_string(WTERMSIG(status))
                                              : "child exit " + std::to_string(WEXITSTATUS(status));
    }
    o.stderrText = ReadFile(kChildDir / "stderr.txt");
    o.releasesAtEnd = CountReleases();
    o.factoryCalled = fs::exists(kProbeDir / kProbeFactoryFile);
    o.factoryName = ReadFile(kProbeDir / kProbeFactoryFile);
    o.probeCalls = Lines(ReadFile(kProbeDir / kProbeCallsFile));
    o.probePosts = Lines(ReadFile(kProbeDir / kProbePostsFile));
    ReadTraces(o.traceFiles, o.trace);
    return o;
}

HostOutcome RunHost(WrapperInstall wrapper, const std::string& session) {
    return RunHostWith(wrapper, {MONITOR_MODULE_PATH, session});
}

HostOutcome RunHostWith(WrapperInstall wrapper, const std::vector<std::string>& arguments) {
    Stage(wrapper, true);
    std::vector<char*> argv = {const_cast<char*>("twhost")};
    for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    const int status = RunChildProcess([&] { execv(TWHOST_PATH, argv.data()); });
    HostOutcome o;
    o.exitCode = status == -1 ? -1 : WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    o.out = ReadFile(kChildDir / "stdout.txt");
    o.err = ReadFile(kChildDir / "stderr.txt");
    ReadTraces(o.traceFiles, o.trace);
    return o;
}
