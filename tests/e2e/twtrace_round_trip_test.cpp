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

// Our own sessions keep to the protocol: check finds nothing in their traces.
TEST_P(TwtraceRoundTrip, CheckFindsNoFault) {
    HostOutcome outcome = RunHost(WrapperInstall::SubstituteDriver, GetParam());
    ASSERT_EQ(outcome.traceFiles, 1);
    CTraceReader reader(outcome.trace);
    std::ostringstream out;
    ReadProblem problem;
    EXPECT_EQ(RunCheck(reader, out, problem), kExitClean) << out.str() << problem.text;
}

INSTANTIATE_TEST_SUITE_P(BuiltinSessions, TwtraceRoundTrip,
                         testing::Values("demo", "vendor", "structures", "twain2", "callback"));

}  // namespace
