// The round trip: each built-in session runs through the monitor against the
// substitute driver, twtrace turns its trace into a script, the script replays
// through the monitor, and the two traces agree record for record, pointers and
// handles aside. The writer and the reader of the trace text meet here.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "Commands.h"
#include "StagedScenario.h"

namespace {

// Every "<0x...>" (pointers, handles) is the run's own.
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

class TwtraceRoundTrip : public testing::TestWithParam<const char*> {};

TEST_P(TwtraceRoundTrip, ScriptOfATraceReplaysTheSameTrace) {
    HostOutcome original = RunHost(WrapperInstall::SubstituteDriver, GetParam());
    ASSERT_EQ(original.exitCode, 0) << original.out << original.err;
    ASSERT_EQ(original.traceFiles, 1);

    CTraceReader reader(original.trace);
    std::ostringstream script;
    ReadProblem problem;
    ASSERT_EQ(RunScript(reader, script, problem), kExitClean) << problem.text;
    // The stage is wiped for every run: the script lives beside it.
    const std::filesystem::path path =
        std::filesystem::temp_directory_path() / (std::string("twtrace_round_trip_") + GetParam() + ".txt");
    std::ofstream(path) << script.str();

    HostOutcome replay = RunHost(WrapperInstall::SubstituteDriver, path.string());
    std::filesystem::remove(path);
    EXPECT_EQ(replay.exitCode, 0) << script.str() << replay.out << replay.err;
    ASSERT_EQ(replay.traceFiles, 1);
    EXPECT_EQ(WithoutPointers(replay.trace), WithoutPointers(original.trace)) << script.str();
}

INSTANTIATE_TEST_SUITE_P(BuiltinSessions, TwtraceRoundTrip, testing::Values("demo", "vendor", "structures", "callback"));

}  // namespace
