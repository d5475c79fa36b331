// twhost drives the built monitor module through whole sessions against the
// substitute driver, as a manager and an application would, and the trace shows
// every record in order.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

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
    EXPECT_EQ(outcome.err, "Close Log File.\n");
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
        EXPECT_EQ(outcome.err, "Close Log File.\n");
        EXPECT_EQ(LinesStartingWith(outcome.trace, "[0").size(), c.tripletLines);
        EXPECT_EQ(Count(outcome.trace, "*** Inspect Error Status Start ***\r\n"), c.brackets);
        const std::vector<std::string> states = LinesStartingWith(outcome.trace, "TWAIN Status = ");
        ASSERT_FALSE(states.empty());
        EXPECT_EQ(states.back(), "TWAIN Status = [3]");
    }
}

TEST(HostRun, ExitStatusTellsMismatchesAndUnusableSessions) {
    struct Case {
        const char* name;
        const char* script;  // null: the session name as it stands
        const char* session;
        int exitCode;
        size_t linesOut;
    };
    const Case cases[] = {
        {"as expected", "DG_CONTROL DAT_IDENTITY MSG_GET -> TWRC_SUCCESS\n", nullptr, 0, 1},
        {"another code", "DG_CONTROL DAT_IDENTITY MSG_GET -> TWRC_CANCEL\nDG_CONTROL DAT_IDENTITY MSG_GET\n",
         nullptr, 1, 2},
        // Nothing of a script with an error is sent.
        {"an error on line 2", "DG_CONTROL DAT_IDENTITY MSG_GET\nDG_CONTROL DAT_NOTHING MSG_GET\n", nullptr, 2, 0},
        {"no such session", nullptr, "no-such-session", 2, 0},
    };
    const std::string scriptPath = std::string(E2E_SCRATCH_DIR) + "-session.txt";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.script) {
            FILE* f = fopen(scriptPath.c_str(), "w");
            ASSERT_NE(f, nullptr);
            fputs(c.script, f);
            fclose(f);
        }
        HostOutcome outcome = RunHost(WrapperInstall::Probe, c.script ? scriptPath : c.session);
        EXPECT_EQ(outcome.exitCode, c.exitCode) << outcome.out << outcome.err;
        EXPECT_EQ(Count(outcome.out, "\n"), c.linesOut) << outcome.out;
    }
    remove(scriptPath.c_str());
}

}  // namespace
