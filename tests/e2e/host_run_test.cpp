// twhost drives the built monitor module through whole sessions against the
// substitute driver, as a manager and an application would, and the trace shows
// every record in order.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "MonitorPaths.h"
#include "StagedScenario.h"

namespace {

// The lines of a CR LF text that start with the prefix.
std::vector<std::string> LinesStartingWith(const std::string& text, const std::string& prefix) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line, '\n');) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.rfind(prefix, 0) == 0) lines.push_back(line);
    }
    return lines;
}

// What twhost writes to the standard error stream after a traced session: the
// module's notice at unload, then the trace file it wrote.
const std::string kTraceNamed = "Close Log File.\ntwhost: trace: " + std::string(kTwainLogDirectory) + "/Twainlog_";

size_t Count(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

// Record by record: the triplet lines (the event polls make none), the one claimed
// event, the bracket of the refused dual image before the status asked after it,
// the driver's answers as it left them, the four strips and the way back to state 3.
TEST(HostRun, DemoAgainstTheSubstituteDriver) {
    HostOutcome outcome = RunHost(WrapperInstall::SubstituteDriver, "demo");
    EXPECT_EQ(outcome.exitCode, 0) << outcome.out << outcome.err;
    EXPECT_EQ(Count(outcome.out, "MISMATCH"), 0u) << outcome.out;
    EXPECT_THAT(outcome.err, ::testing::StartsWith(kTraceNamed));
    ASSERT_EQ(outcome.traceFiles, 1);

    const std::string cap = "DG_CONTROL/DAT_CAPABILITY/MSG_", memory = "DG_IMAGE/DAT_IMAGEMEMXFER/MSG_GET";
    const std::vector<std::string> triplets = {
        "DG_CONTROL/DAT_IDENTITY/MSG_GET", "DG_CONTROL/DAT_IDENTITY/MSG_OPENDS",
        cap + "GET (CAP_SUPPORTEDCAPS)", cap + "GET (ICAP_XFERMECH)", cap + "SET (ICAP_XFERMECH)",
        cap + "GET (ICAP_PIXELTYPE)", cap + "SET (ICAP_PIXELTYPE)", cap + "GET (ICAP_XRESOLUTION)",
        cap + "SET (ICAP_XRESOLUTION)", cap + "SET (ICAP_YRESOLUTION)", cap + "GETCURRENT (ICAP_YRESOLUTION)",
        cap + "GET (ICAP_BITDEPTH)", cap + "GET (ICAP_BRIGHTNESS)", cap + "GETDEFAULT (ICAP_BRIGHTNESS)",
        cap + "GET (ICAP_FRAMES)", cap + "SET (CAP_XFERCOUNT)", cap + "SET (CAP_KQ_DUALIMAGE)",
        "DG_CONTROL/DAT_STATUS/MSG_GET", cap + "RESET (ICAP_BITDEPTH)", "DG_IMAGE/DAT_IMAGELAYOUT/MSG_GET",
        "DG_CONTROL/DAT_USERINTERFACE/MSG_ENABLEDS", "DG_IMAGE/DAT_IMAGEINFO/MSG_GET",
        "DG_CONTROL/DAT_SETUPMEMXFER/MSG_GET", memory, memory, memory, memory,
        "DG_CONTROL/DAT_PENDINGXFERS/MSG_ENDXFER", "DG_CONTROL/DAT_USERINTERFACE/MSG_DISABLEDS",
        "DG_CONTROL/DAT_IDENTITY/MSG_CLOSEDS",
    };
    std::vector<std::string> expected;
    for (const std::string& triplet : triplets) {
        char number[16];
        snprintf(number, sizeof(number), "[%05zu] ", expected.size() + 1);
        expected.push_back(number + ("[APP] " + triplet));
    }
    EXPECT_EQ(LinesStartingWith(outcome.trace, "[0"), expected);

    EXPECT_EQ(Count(outcome.trace, "        Return Code = [TWRC_DSEVENT]\r\n"), 1u);
    EXPECT_EQ(Count(outcome.trace, "        Return Code = [TWRC_XFERDONE]\r\n"), 1u);
    EXPECT_EQ(Count(outcome.trace, "*** Inspect Error Status Start ***\r\n*** Inspect Error Status End   ***\r\n"), 1u);
    const size_t bracket = outcome.trace.find("*** Inspect Error Status Start ***");
    EXPECT_LT(outcome.trace.find("(CAP_KQ_DUALIMAGE)"), bracket);
    EXPECT_LT(bracket, outcome.trace.find("DG_CONTROL/DAT_STATUS/MSG_GET"));
    // The application asks with no container: the enumerations are the driver's.
    EXPECT_GE(Count(outcome.trace, "ConType    = [TWON_ENUMERATION]"), 1u);
    const std::vector<std::string> states = LinesStartingWith(outcome.trace, "TWAIN Status = ");
    ASSERT_FALSE(states.empty());
    EXPECT_EQ(states.front(), "TWAIN Status = [3]");  // after the identity query, before the open
    EXPECT_EQ(states.back(), "TWAIN Status = [3]");
}

// The other built-in sessions pass too, every triplet traced.
TEST(HostRun, VendorAndStructureSessionsAgainstTheSubstituteDriver) {
    struct Case {
        const char* session;
        size_t tripletLines;  // all but the event polls
        size_t brackets;      // the refused triplets
    };
    for (const Case& c : {Case{"vendor", 17, 3}, Case{"structures", 18, 0}}) {
        SCOPED_TRACE(c.session);
        HostOutcome outcome = RunHost(WrapperInstall::SubstituteDriver, c.session);
        EXPECT_EQ(outcome.exitCode, 0) << outcome.out << outcome.err;
        EXPECT_THAT(outcome.err, ::testing::StartsWith(kTraceNamed));
        EXPECT_EQ(LinesStartingWith(outcome.trace, "[0").size(), c.tripletLines);
        EXPECT_EQ(Count(outcome.trace, "*** Inspect Error Status Start ***\r\n"), c.brackets);
        const std::vector<std::string> states = LinesStartingWith(outcome.trace, "TWAIN Status = ");
        ASSERT_FALSE(states.empty());
        EXPECT_EQ(states.back(), "TWAIN Status = [3]");
    }
}

// The command line, the exit status and what goes to each stream. "{script}"
// stands for a file holding the case's script.
TEST(HostRun, CommandLineExitStatusAndStreams) {
    const std::string script = std::string(E2E_SCRATCH_DIR) + "-session.txt";
    const std::string module = MONITOR_MODULE_PATH;
    const std::string usage = "usage: twhost [--status] <module.ds> <demo|vendor|structures|script-file>\n";
    struct Case {
        const char* name;
        std::vector<std::string> arguments;
        const char* script;
        WrapperInstall wrapper;
        int exitCode;
        size_t linesOut;
        std::string errStart;  // the standard error stream starts so; "" when it is empty
        std::string outHas = "";
    };
    const Case cases[] = {
        {"as expected", {module, "{script}"}, "DG_CONTROL DAT_IDENTITY MSG_GET -> TWRC_SUCCESS\n",
         WrapperInstall::Probe, 0, 1, kTraceNamed},
        {"another code", {module, "{script}"},
         "DG_CONTROL DAT_IDENTITY MSG_GET -> TWRC_CANCEL\nDG_CONTROL DAT_IDENTITY MSG_GET\n", WrapperInstall::Probe, 1,
         2, kTraceNamed},
        // The source's condition code, asked by the host and shown beside the failure.
        {"--status", {"--status", module, "{script}"},
         "DG_CONTROL DAT_IDENTITY MSG_GET\nDG_CONTROL DAT_IDENTITY MSG_OPENDS\n"
         "DG_IMAGE DAT_IMAGEMEMXFER MSG_GET -> TWRC_FAILURE\n",
         WrapperInstall::SubstituteDriver, 0, 3, kTraceNamed,
         "DG_IMAGE/DAT_IMAGEMEMXFER/MSG_GET -> TWRC_FAILURE [DAT_STATUS: TWCC_SEQERROR]\n"},
        // Every error named, and nothing of the script sent.
        {"errors on two lines", {module, "{script}"},
         "DG_CONTROL DAT_NOTHING MSG_GET\nDG_CONTROL DAT_IDENTITY MSG_GET\n-> any\n", WrapperInstall::Probe, 2, 0,
         "twhost: " + script + ": line 1: 'DAT_NOTHING' is no DAT\ntwhost: " + script +
             ": line 3: after 'any' a word is missing: a triplet is DG DAT MSG\n"},
        {"no triplet", {module, "{script}"}, "# nothing\n\n", WrapperInstall::Probe, 2, 0,
         "twhost: " + script + " holds no triplet and no directive: nothing to run\n"},
        {"a directory", {module, E2E_SCRATCH_DIR}, nullptr, WrapperInstall::Probe, 2, 0,
         "twhost: " + std::string(E2E_SCRATCH_DIR) + " is a directory, not a session script\n"},
        {"no such session", {module, "no-such-session"}, nullptr, WrapperInstall::Probe, 2, 0,
         "twhost: no built-in session and no file named no-such-session\n"},
        {"--help", {"--help"}, nullptr, WrapperInstall::Probe, 0, 8, "", usage},
        {"an unknown option", {"--verbose", module, "demo"}, nullptr, WrapperInstall::Probe, 2, 0,
         "twhost: unknown option --verbose\n" + usage},
        {"no session", {module}, nullptr, WrapperInstall::Probe, 2, 0,
         "twhost: a module and a session are needed\n" + usage},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.script) {
            FILE* f = fopen(script.c_str(), "w");
            ASSERT_NE(f, nullptr);
            fputs(c.script, f);
            fclose(f);
        }
        std::vector<std::string> arguments = c.arguments;
        std::replace(arguments.begin(), arguments.end(), std::string("{script}"), script);
        HostOutcome outcome = RunHostWith(c.wrapper, arguments);
        EXPECT_EQ(outcome.exitCode, c.exitCode) << outcome.out << outcome.err;
        EXPECT_EQ(Count(outcome.out, "\n"), c.linesOut) << outcome.out;
        EXPECT_THAT(outcome.out, ::testing::HasSubstr(c.outHas));
        if (c.errStart.empty())
            EXPECT_EQ(outcome.err, "");
        else
            EXPECT_THAT(outcome.err, ::testing::StartsWith(c.errStart));
    }
    remove(script.c_str());
}

}  // namespace
