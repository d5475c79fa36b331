#include "StagedScenario.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "ModuleSymbols.h"
#include "MonitorPaths.h"
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
// A child that hangs is killed rather than hanging the suite.
constexpr unsigned kChildAlarmSeconds = 60;

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

void WriteLines(const fs::path& path, const std::vector<std::string>& lines) {
    std::ofstream out(path, std::ios::binary);
    for (const std::string& line : lines) out << line << '\n';
}

int CountReleases() { return static_cast<int>(Lines(ReadFile(kProbeDir / kProbeReleaseFile)).size()); }

[[noreturn]] void RunChild(const Scenario& scenario, const ChildSessionBody& body) {
    alarm(kChildAlarmSeconds);
    int err = open((kChildDir / "stderr.txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (err >= 0) dup2(err, STDERR_FILENO);
    setenv(kProbeDirVariable, kProbeDir.c_str(), 1);
    if (!scenario.probeCodes.empty()) setenv(kProbeCodesVariable, scenario.probeCodes.c_str(), 1);
    if (scenario.probeEnumItems > 0)
        setenv(kProbeEnumItemsVariable, std::to_string(scenario.probeEnumItems).c_str(), 1);
    g_bHideLoadedImages = scenario.hideOwnImage;

    std::vector<std::string> facts;
    void* module = dlopen(MONITOR_MODULE_PATH, RTLD_NOW | RTLD_LOCAL);
    g_bHideLoadedImages = false;
    if (!module) {
        WriteLines(kChildDir / "facts.txt", {std::string("failure ") + dlerror()});
        _exit(3);
    }
    auto entry = reinterpret_cast<DSENTRYPROC>(dlsym(module, "DS_Entry"));
    auto* analyzer = static_cast<CParaAnalyze*>(FindModuleSymbol(module, "g_cParaAnalyze"));
    facts.push_back("entry " + std::to_string(entry != nullptr));
    facts.push_back("analyzer " + std::to_string(analyzer != nullptr));
    if (analyzer) facts.push_back("stateAfterLoad " + std::to_string(analyzer->m_nTwainStatus));

    CChildSession session(entry, analyzer);
    if (entry) body(session);
    if (analyzer) {
        facts.push_back("stateAfterSession " + std::to_string(analyzer->m_nTwainStatus));
        facts.push_back("linesAfterSession " + std::to_string(analyzer->m_lCount));
    }
    facts.push_back("releasesBeforeUnload " + std::to_string(CountReleases()));
    if (!scenario.unloadByExit) {
        dlclose(module);
        facts.push_back("releasesAfterUnload " + std::to_string(CountReleases()));
    }

    WriteLines(kChildDir / "sent.txt", session.m_sent);
    std::vector<std::string> codes;
    for (TW_UINT16 rc : session.m_returnCodes) codes.push_back(std::to_string(rc));
    WriteLines(kChildDir / "codes.txt", codes);
    WriteLines(kChildDir / "notes.txt", session.m_notes);
    facts.push_back("completed 1");
    WriteLines(kChildDir / "facts.txt", facts);
    // The exit handlers of everything still loaded run, the module's among them.
    if (scenario.unloadByExit) exit(0);
    _exit(0);
}

void ReadFacts(ScenarioOutcome& outcome) {
    for (const std::string& line : Lines(ReadFile(kChildDir / "facts.txt"))) {
        std::istringstream in(line);
        std::string key;
        in >> key;
        if (key == "failure") outcome.failure = line;
        else if (key == "entry") in >> outcome.foundEntry;
        else if (key == "analyzer") in >> outcome.foundAnalyzer;
        else if (key == "stateAfterLoad") in >> outcome.stateAfterLoad;
        else if (key == "stateAfterSession") in >> outcome.stateAfterSession;
        else if (key == "linesAfterSession") in >> outcome.linesAfterSession;
        else if (key == "releasesBeforeUnload") in >> outcome.releasesBeforeUnload;
        else if (key == "releasesAfterUnload") in >> outcome.releasesAfterUnload;
        else if (key == "completed") in >> outcome.completed;
    }
}

}  // namespace

TW_UINT16 CChildSession::Send(TW_IDENTITY* pOrigin, TW_UINT32 DG, TW_UINT16 DAT, TW_UINT16 MSG, void* pData) {
    std::string call = FormatProbeCall(pOrigin, DG, DAT, MSG, pData);
    call.pop_back();  // its line end
    m_sent.push_back(call);
    TW_UINT16 rc = m_entry(pOrigin, DG, DAT, MSG, pData);
    m_returnCodes.push_back(rc);
    return rc;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string DataPointerLine(const void* p) {
    char line[64];
    snprintf(line, sizeof(line), "pData   = <0x%08x>\r\n", static_cast<unsigned>(reinterpret_cast<uintptr_t>(p)));
    return line;
}

void StageWrapper(WrapperInstall wrapper) {
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
}

void StageLogDirectory(bool present) {
    const fs::path logs = kTwainLogDirectory;
    fs::remove_all(logs);
    if (present) fs::create_directories(logs);
}

std::vector<std::string> TraceFileNames() {
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(fs::path(kTwainLogDirectory), ec))
        names.push_back(entry.path().string());
    return names;
}

ScenarioOutcome RunScenario(const Scenario& scenario, const ChildSessionBody& body) {
    fs::remove_all(kScratch);
    fs::create_directories(kProbeDir);
    fs::create_directories(kChildDir);
    StageWrapper(scenario.wrapper);
    StageLogDirectory(scenario.logDirectory);

    ScenarioOutcome outcome;
    fflush(nullptr);
    pid_t child = fork();
    if (child == 0) RunChild(scenario, body);
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child) {
        outcome.failure = "no child process";
        return outcome;
    }
    ReadFacts(outcome);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        outcome.completed = false;
        if (outcome.failure.empty())
            outcome.failure = WIFSIGNALED(status) ? "child killed by signal " + std::to_string(WTERMSIG(status))
                                                  : "child exit " + std::to_string(WEXITSTATUS(status));
    }
    outcome.sent = Lines(ReadFile(kChildDir / "sent.txt"));
    for (const std::string& code : Lines(ReadFile(kChildDir / "codes.txt")))
        outcome.returnCodes.push_back(static_cast<TW_UINT16>(std::stoul(code)));
    outcome.notes = Lines(ReadFile(kChildDir / "notes.txt"));
    outcome.stderrText = ReadFile(kChildDir / "stderr.txt");

    outcome.releasesAtEnd = CountReleases();
    outcome.factoryCalled = fs::exists(kProbeDir / kProbeFactoryFile);
    outcome.factoryName = ReadFile(kProbeDir / kProbeFactoryFile);
    outcome.probeCalls = Lines(ReadFile(kProbeDir / kProbeCallsFile));

    std::vector<std::string> traces = TraceFileNames();
    outcome.traceFiles = static_cast<int>(traces.size());
    if (traces.size() == 1) outcome.trace = ReadFile(traces[0]);
    return outcome;
}

bool SubstituteDriverBuilt() { return fs::exists(fs::path(DRIVER_BUNDLE) / "Contents" / "MacOS" / "TwainWrapper"); }

HostOutcome RunHost(WrapperInstall wrapper, const std::string& session,
                    const std::vector<std::pair<std::string, std::string>>& environment) {
    fs::remove_all(kScratch);
    fs::create_directories(kProbeDir);
    fs::create_directories(kChildDir);
    StageWrapper(wrapper);
    StageLogDirectory(true);
    const fs::path out = kChildDir / "stdout.txt";
    const fs::path err = kChildDir / "stderr.txt";

    HostOutcome outcome;
    fflush(nullptr);
    pid_t child = fork();
    if (child == 0) {
        alarm(kChildAlarmSeconds);
        setenv(kProbeDirVariable, kProbeDir.c_str(), 1);
        for (const auto& [name, value] : environment) setenv(name.c_str(), value.c_str(), 1);
        int outFd = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        int errFd = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (outFd < 0 || errFd < 0) _exit(126);
        dup2(outFd, STDOUT_FILENO);
        dup2(errFd, STDERR_FILENO);
        execl(TWHOST_PATH, "twhost", MONITOR_MODULE_PATH, session.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child) return outcome;
    outcome.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    outcome.out = ReadFile(out);
    outcome.err = ReadFile(err);
    std::vector<std::string> traces = TraceFileNames();
    outcome.traceFiles = static_cast<int>(traces.size());
    if (traces.size() == 1) outcome.trace = ReadFile(traces[0]);
    return outcome;
}
