// The AnyDriver bundle: its factory on its own (the target it loads, the ones it
// refuses, the unload at Release), and the chain monitor -> AnyDriver -> the
// substitute driver as a plain data source, which must answer and trace every
// built-in session as the substitute driver does behind its own bundle.
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "CTripletOperator.h"
#include "LogTestSupport.h"
#include "MonitorPaths.h"
#include "TargetDataSource.h"

namespace fs = std::filesystem;

namespace {

// A copy of the built AnyDriver bundle at `bundle`, with its target file holding
// `targetLine` when one is given.
void InstallAnyDriver(const fs::path& bundle, const std::optional<std::string>& targetLine) {
    fs::remove_all(bundle);
    fs::create_directories(bundle / "Contents" / "MacOS");
    fs::copy_file(ANY_DRIVER_EXECUTABLE, bundle / "Contents" / "MacOS" / "TwainWrapper");
    if (!targetLine) return;
    fs::create_directories(bundle / "Contents" / "Resources");
    WriteWholeFile(bundle / kTargetFileInBundle, *targetLine + "\n");
}

bool IsLoaded(const std::string& path) {
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_NOLOAD);
    if (handle) dlclose(handle);  // undo the reference NOLOAD took
    return handle != nullptr;
}

// What the loader says when it cannot load `path`, or find DS_Entry in it.
std::string LoaderMessage(const std::string& path, bool lookUpEntry) {
    void* code = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (code && lookUpEntry) dlsym(code, "DS_Entry");
    const char* message = dlerror();
    std::string text = message ? message : "(none)";
    if (code) dlclose(code);
    return text;
}

class AnyDriverFactory : public ::testing::Test {
protected:
    void SetUp() override {
        unsetenv(kTargetVariable);
        InstallAnyDriver(m_bundle, std::nullopt);
        m_code = dlopen(m_executable.c_str(), RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(m_code, nullptr) << dlerror();
        m_factory = reinterpret_cast<CreateTwainWrapperProc>(dlsym(m_code, "CreateTwainWrapper"));
        ASSERT_NE(m_factory, nullptr);
    }
    void TearDown() override {
        unsetenv(kTargetVariable);
        if (m_code) dlclose(m_code);
    }

    void SetTarget(const std::optional<std::string>& line) {
        fs::remove_all(m_bundle / "Contents" / "Resources");
        if (!line) return;
        fs::create_directories(m_bundle / "Contents" / "Resources");
        WriteWholeFile(m_bundle / kTargetFileInBundle, *line + "\n");
    }

    // The factory called as the monitor calls it: what it stored, and what it
    // wrote to the standard error stream.
    CTripletOperator* Create(const std::string& callerName, std::string& errors) {
        CFStringRef name = CFStringCreateWithCString(kCFAllocatorDefault, callerName.c_str(), kCFStringEncodingUTF8);
        auto* stored = reinterpret_cast<CTripletOperator*>(uintptr_t{1});  // not null: the factory must clear it
        CCapturedStderr captured;
        m_factory(name, &stored);
        errors = captured.Text();
        CFRelease(name);
        return stored;
    }

    CTempDirectory m_dir;
    const fs::path m_bundle = fs::path(m_dir.Path()) / "TwainWrapper.bundle";
    const std::string m_executable = (m_bundle / "Contents" / "MacOS" / "TwainWrapper").string();
    void* m_code = nullptr;
    CreateTwainWrapperProc m_factory = nullptr;
};

TEST_F(AnyDriverFactory, RefusesATargetItCannotUseWithOneLineAndStoresNoOperator) {
    const std::string file = "\"" + (m_bundle / kTargetFileInBundle).string() + "\"";
    const std::string notADataSource = m_dir.Path() + "/NotADataSource.ds";
    WriteWholeFile(notADataSource, "not a data source\n");
    const std::string tooLong = "/" + std::string(PATH_MAX, 'a');
    const std::string driverExecutable = SCANNER_DRIVER_BUNDLE "/Contents/MacOS/TwainWrapper";
    // The substitute data source, loaded here as if it had loaded the bundle.
    void* caller = dlopen(SCANNER_DATA_SOURCE, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(caller, nullptr);

    const auto q = [](const std::string& path) { return "\"" + path + "\""; };
    const struct {
        std::optional<std::string> line;      // in the bundle's file; no file without
        std::optional<std::string> variable;  // TWAIN_ANYDRIVER_TARGET
        std::string callerName;
        std::string shownPath;  // as the message shows it
        std::string fault;
    } cases[] = {
        {"", std::nullopt, "TwainMonitor.ds", q(""), "the path is empty"},
        {"", "", "TwainMonitor.ds", q(""), "the path is empty"},
        {tooLong, std::nullopt, "TwainMonitor.ds", q(tooLong.substr(0, 160)) + "...",
         "the path is longer than " + std::to_string(PATH_MAX - 1) + " bytes"},
        {"/tmp/a\tb\x7F.ds", std::nullopt, "TwainMonitor.ds", q("/tmp/a\\x09b\\x7F.ds"),
         "the path holds a control character"},
        {"ScannerDriver.ds", std::nullopt, "TwainMonitor.ds", q("ScannerDriver.ds"), "the path is not absolute"},
        {m_dir.Path() + "/Missing.ds", std::nullopt, "TwainMonitor.ds", q(m_dir.Path() + "/Missing.ds"),
         "No such file or directory"},
        {m_dir.Path(), std::nullopt, "TwainMonitor.ds", q(m_dir.Path()), "a directory, and no bundle with an executable"},
        {"/dev/null", std::nullopt, "TwainMonitor.ds", q("/dev/null"), "not a regular file"},
        {m_bundle.string(), std::nullopt, "TwainMonitor.ds", q(m_bundle.string()), "it is this bundle (a loop)"},
        {SCANNER_DATA_SOURCE, m_executable, "TwainMonitor.ds", q(m_executable), "it is this bundle (a loop)"},
        {SCANNER_DATA_SOURCE, std::nullopt, "ScannerDriver.ds", q(SCANNER_DATA_SOURCE),
         "it is the data source that loaded this bundle (a loop)"},
        {notADataSource, std::nullopt, "TwainMonitor.ds", q(notADataSource),
         "the loader refused it: " + LoaderMessage(notADataSource, false)},
        {SCANNER_DRIVER_BUNDLE, std::nullopt, "TwainMonitor.ds", q(SCANNER_DRIVER_BUNDLE),
         "no DS_Entry: " + LoaderMessage(driverExecutable, true)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fault + ", " + c.shownPath.substr(0, 80));
        SetTarget(c.line);
        if (c.variable) setenv(kTargetVariable, c.variable->c_str(), 1);
        else unsetenv(kTargetVariable);
        const std::string source = c.variable && !c.variable->empty() ? kTargetVariable : file;
        std::string errors;
        EXPECT_EQ(Create(c.callerName, errors), nullptr);
        EXPECT_EQ(errors, "AnyDriver: target " + c.shownPath + " (from " + source + ") refused: " + c.fault + "\n");
    }
    dlclose(caller);
    EXPECT_FALSE(IsLoaded(SCANNER_DATA_SOURCE)) << "a refused target was left loaded";

    SetTarget(std::nullopt);
    unsetenv(kTargetVariable);
    std::string errors;
    EXPECT_EQ(Create("TwainMonitor.ds", errors), nullptr);
    EXPECT_EQ(errors, "AnyDriver: no target: TWAIN_ANYDRIVER_TARGET is not set and " + file +
                          " cannot be read: No such file or directory\n");
}

TEST_F(AnyDriverFactory, TheVariableOverridesTheFileAndReleaseUnloadsTheTargetOnce) {
    SetTarget(m_dir.Path() + "/Missing.ds");
    setenv(kTargetVariable, SCANNER_DATA_SOURCE, 1);
    ASSERT_FALSE(IsLoaded(SCANNER_DATA_SOURCE));
    std::string errors;
    CTripletOperator* forwarder = Create("TwainMonitor.ds", errors);
    ASSERT_NE(forwarder, nullptr);
    EXPECT_EQ(errors, "");

    TW_IDENTITY identity = {};
    EXPECT_EQ(forwarder->OperateTriplet(nullptr, DG_CONTROL, DAT_IDENTITY, MSG_GET, &identity), TWRC_SUCCESS);
    EXPECT_STREQ(identity.ProductName, "Lumora 9000F");
    EXPECT_EQ(forwarder->OperateTriplet(nullptr, DG_CONTROL, DAT_IDENTITY, MSG_CLOSEDS, &identity), TWRC_FAILURE)
        << "the target's own answer: it is not open";

    // A reference of our own tells one unload from none and from two.
    void* held = dlopen(SCANNER_DATA_SOURCE, RTLD_NOW | RTLD_NOLOAD);
    ASSERT_NE(held, nullptr);
    forwarder->Release();
    EXPECT_TRUE(IsLoaded(SCANNER_DATA_SOURCE)) << "Release unloaded the target more than once";
    dlclose(held);
    EXPECT_FALSE(IsLoaded(SCANNER_DATA_SOURCE)) << "Release left the target loaded";
}

struct HostRun {
    int exitCode = -1;
    std::string out, err;
    int traceFiles = 0;
    std::string trace;  // the only trace file's
};

// twhost on the monitor, with the monitor's driver location as install() leaves
// it and an empty log directory.
HostRun RunHost(const std::function<void(const fs::path&)>& install, const std::string& session) {
    const fs::path bundle = kTwainWrapperBundlePath;
    fs::remove_all(bundle);
    fs::create_directories(bundle.parent_path());
    install(bundle);
    fs::remove_all(kTwainLogDirectory);
    fs::create_directories(kTwainLogDirectory);

    CTempDirectory streams;
    const std::string out = streams.Path() + "/out", err = streams.Path() + "/err";
    fflush(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        unsetenv(kTargetVariable);
        const int outFd = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int errFd = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (outFd < 0 || errFd < 0) _exit(126);
        dup2(outFd, STDOUT_FILENO);
        dup2(errFd, STDERR_FILENO);
        alarm(60);
        execl(TWHOST_PATH, "twhost", MONITOR_MODULE_PATH, session.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    HostRun run;
    if (pid > 0 && waitpid(pid, &status, 0) == pid)
        run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    run.out = ReadWholeFile(out);
    run.err = ReadWholeFile(err);
    for (const auto& entry : fs::directory_iterator(fs::path(kTwainLogDirectory))) {
        ++run.traceFiles;
        run.trace = ReadWholeFile(entry.path());
        // twhost names the trace file, whose name holds the time.
        if (const size_t at = run.err.find(entry.path().string()); at != std::string::npos)
            run.err.replace(at, entry.path().string().size(), "<trace>");
    }
    return run;
}

void InstallScannerDriverBundle(const fs::path& bundle) { fs::create_directory_symlink(SCANNER_DRIVER_BUNDLE, bundle); }
void InstallChainToScannerDataSource(const fs::path& bundle) { InstallAnyDriver(bundle, SCANNER_DATA_SOURCE); }

// Addresses differ from run to run; everything else in a record must not.
std::string WithoutPointers(const std::string& trace) {
    std::string masked;
    size_t from = 0;
    for (size_t at; (at = trace.find("<0x", from)) != std::string::npos;) {
        const size_t end = trace.find_first_not_of("0123456789abcdefABCDEF", at + 3);
        const bool pointer = end != std::string::npos && trace[end] == '>';
        masked.append(trace, from, at - from).append(pointer ? "<pointer>" : "<0x");
        from = pointer ? end + 1 : at + 3;
    }
    return masked.append(trace, from);
}

TEST(Chain, EveryBuiltinSessionAnswersAndTracesAsDirectly) {
    for (const char* session : {"demo", "vendor", "structures"}) {
        SCOPED_TRACE(session);
        const HostRun direct = RunHost(InstallScannerDriverBundle, session);
        const HostRun chained = RunHost(InstallChainToScannerDataSource, session);
        EXPECT_EQ(direct.exitCode, 0) << direct.err;
        EXPECT_EQ(chained.exitCode, 0) << chained.err;
        EXPECT_EQ(chained.out, direct.out);
        EXPECT_EQ(chained.err, direct.err);
        ASSERT_EQ(direct.traceFiles, 1);
        ASSERT_EQ(chained.traceFiles, 1);
        EXPECT_NE(direct.trace.find("Lumora 9000F"), std::string::npos);
        EXPECT_EQ(WithoutPointers(chained.trace), WithoutPointers(direct.trace));
    }
}

// The monitor named as its own target: refused at load in one line, after which
// it answers and traces as with no driver at all.
TEST(Chain, ARefusedTargetLeavesTheMonitorAsWithoutADriver) {
    CTempDirectory scratch;
    const std::string script = scratch.Path() + "/session.txt";
    WriteWholeFile(script, "DG_CONTROL DAT_IDENTITY MSG_GET -> TWRC_FAILURE\n");
    const HostRun without = RunHost([](const fs::path&) {}, script);
    const HostRun refused = RunHost([](const fs::path& bundle) { InstallAnyDriver(bundle, MONITOR_MODULE_PATH); }, script);
    EXPECT_EQ(without.exitCode, 0) << without.err;
    EXPECT_EQ(refused.exitCode, 0) << refused.err;
    EXPECT_EQ(refused.out, without.out);
    EXPECT_EQ(refused.err, "AnyDriver: target \"" MONITOR_MODULE_PATH "\" (from \"" +
                               (fs::path(kTwainWrapperBundlePath) / kTargetFileInBundle).string() +
                               "\") refused: it is the data source that loaded this bundle (a loop)\n" + without.err);
    ASSERT_EQ(without.traceFiles, 1);
    ASSERT_EQ(refused.traceFiles, 1);
    EXPECT_EQ(WithoutPointers(refused.trace), WithoutPointers(without.trace));
}

}  // namespace
