// twhost drives the built monitor module through a whole session, as a manager
// and an application would, and the trace shows every record in order.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "ProbeFiles.h"
#include "StagedScenario.h"

namespace {

// The triplet lines of the demo session, in order: the event polls make none.
const std::vector<std::string> kDemoTripletLines = {
    "[00001] [APP] DG_CONTROL/DAT_IDENTITY/MSG_GET",
    "[00002] [APP] DG_CONTROL/DAT_IDENTITY/MSG_OPENDS",
    "[00003] [APP] DG_CONTROL/DAT_CAPABILITY/MSG_GET (CAP_SUPPORTEDCAPS)",
    "[00004] [APP] DG_CONTROL/DAT_CAPABILITY/MSG_GET (ICAP_XFERMECH)",
    "[00005] [APP] DG_CONTROL/DAT_CAPABILITY/MSG_SET (ICAP_XFERMECH)",
    "[00006] [APP] DG_CONTROL/DAT_CAPABILITY/MSG_GET (ICAP_PIXELTYPE)",
    "[00007] [APP] DG_CONTROL/DAT_CAPABILITY/MSG_SET (ICAP_PIXELTYPE)",
    "[00008] [APP] DG_CONTROL/DAT_CAPABILITY/MSG_GET (ICAP_XRESOLUTION)",
    "[00009] [APP] DG_CONTROL/DAT_CAPABILITY/MSG_SET (ICAP_XRESOLUTION)",
    "[00010] [APP] DG_CONTROL/DAT_CAPABILITY/MSG_SET (ICAP_YRESOLUTION)",
    "[00011] [APP] DG_CONTROL/DAT_CAPABILITY/MSG_GETCURRENT (ICAP_YRESOLUTION)",
    "[00012] [APP] DG_CONTROL/DAT_CAPABILITY/MSG_GET (ICAP_BITDEPTH)",
    "[00013] [APP] DG_CONTROL/DAT_CAPABILITY/MSG_GET (ICAP_BRIGHTNESS)",
    "[00014] [APP] DG_CONTROL/DAT_CAPABILITY/MSG_GETDEFAULT (ICAP_BRIGHTNESS)",
    "[00015] [APP] DG_CONTROL/DAT_CAPABILITY/MSG_GET (ICAP_FRAMES)",
    "[00016] [APP] DG_CONTROL/DAT_CAPABILITY/MSG_SET (CAP_XFERCOUNT)",
    "[00017] [APP] DG_CONTROL/DAT_CAPABILITY/MSG_SET (CAP_KQ_DUALIMAGE)",
    "[00018] [APP] DG_CONTROL/DAT_STATUS/MSG_GET",
    "[00019] [APP] DG_CONTROL/DAT_CAPABILITY/MSG_RESET (ICAP_BITDEPTH)",
    "[00020] [APP] DG_IMAGE/DAT_IMAGELAYOUT/MSG_GET",
    "[00021] [APP] DG_CONTROL/DAT_USERINTERFACE/MSG_ENABLEDS",
    "[00022] [APP] DG_IMAGE/DAT_IMAGEINFO/MSG_GET",
    "[00023] [APP] DG_CONTROL/DAT_SETUPMEMXFER/MSG_GET",
};

// The lines of a CR LF text that start with one of the prefixes.
std::vector<std::string> LinesStartingWith(const std::string& text, std::initializer_list<const char*> prefixes) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line, '\n');) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        for (const char* prefix : prefixes)
            if (line.rfind(prefix, 0) == 0) lines.push_back(line);
    }
    return lines;
}

size_t Count(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

// Record by record, what the demo leaves in the trace whoever the driver is: the
// triplet lines, the one claimed event, the bracket of the refused dual image,
// the transfer's strips and the way back to state 3.
void ExpectDemoTrace(const HostOutcome& outcome, size_t strips) {
    EXPECT_EQ(outcome.exitCode, 0) << outcome.out << outcome.err;
    EXPECT_EQ(Count(outcome.out, "MISMATCH"), 0u) << outcome.out;
    EXPECT_EQ(outcome.err, "Close Log File.\n");
    ASSERT_EQ(outcome.traceFiles, 1);

    std::vector<std::string> expected = kDemoTripletLines;
    long line = static_cast<long>(expected.size());
    auto next = [&line](const char* triplet) {
        char text[96];
        snprintf(text, sizeof(text), "[%05ld] [APP] %s", ++line, triplet);
        return std::string(text);
    };
    for (size_t i = 0; i < strips; ++i) expected.push_back(next("DG_IMAGE/DAT_IMAGEMEMXFER/MSG_GET"));
    expected.push_back(next("DG_CONTROL/DAT_PENDINGXFERS/MSG_ENDXFER"));
    expected.push_back(next("DG_CONTROL/DAT_USERINTERFACE/MSG_DISABLEDS"));
    expected.push_back(next("DG_CONTROL/DAT_IDENTITY/MSG_CLOSEDS"));
    EXPECT_EQ(LinesStartingWith(outcome.trace, {"[0"}), expected);

    EXPECT_EQ(Count(outcome.trace, "        Return Code = [TWRC_DSEVENT]\r\n"), 1u);
    EXPECT_EQ(Count(outcome.trace, "        Return Code = [TWRC_XFERDONE]\r\n"), 1u);
    EXPECT_EQ(Count(outcome.trace, "*** Inspect Error Status Start ***\r\n*** Inspect Error Status End   ***\r\n"), 1u);
    std::vector<std::string> states = LinesStartingWith(outcome.trace, {"TWAIN Status = "});
    ASSERT_FALSE(states.empty());
    EXPECT_EQ(states.front(), "TWAIN Status = [3]");  // after the identity query, before the open
    EXPECT_EQ(states.back(), "TWAIN Status = [3]");
    size_t bracket = outcome.trace.find("*** Inspect Error Status Start ***");
    EXPECT_LT(outcome.trace.find("(CAP_KQ_DUALIMAGE)"), bracket);
    EXPECT_LT(bracket, outcome.trace.find("DG_CONTROL/DAT_STATUS/MSG_GET"));
}

TEST(HostRun, DemoAgainstTheProbeDriver) {
    // The probe answers as a source would for the demo: the dual image refused,
    // one event poll not its own, then the transfer ready, three strips.
    const std::string codes = "0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,1,0,0,0,0,5,4,0,0,0,0,0,6,0,0,0";
    HostOutcome outcome = RunHost(WrapperInstall::Probe, "demo",
                                  {{kProbeCodesVariable, codes}, {kProbeConditionVariable, "13"}});
    ExpectDemoTrace(outcome, 4);
}

TEST(HostRun, DemoAgainstTheSubstituteDriver) {
    if (!SubstituteDriverBuilt()) GTEST_SKIP() << "the substitute driver is not part of this build";
    HostOutcome outcome = RunHost(WrapperInstall::SubstituteDriver, "demo", {});
    size_t strips = Count(outcome.trace, "DG_IMAGE/DAT_IMAGEMEMXFER/MSG_GET");
    EXPECT_GE(strips, 1u);
    ExpectDemoTrace(outcome, strips);
}

// The other built-in sessions pass against the substitute driver too, every
// triplet traced.
TEST(HostRun, VendorAndStructureSessionsAgainstTheSubstituteDriver) {
    if (!SubstituteDriverBuilt()) GTEST_SKIP() << "the substitute driver is not part of this build";
    struct Case {
        const char* session;
        size_t tripletLines;  // all but the event polls
        size_t brackets;      // the refused triplets
    };
    const Case cases[] = {{"vendor", 17, 3}, {"structures", 18, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.session);
        HostOutcome outcome = RunHost(WrapperInstall::SubstituteDriver, c.session, {});
        EXPECT_EQ(outcome.exitCode, 0) << outcome.out << outcome.err;
        EXPECT_EQ(outcome.err, "Close Log File.\n");
        EXPECT_EQ(LinesStartingWith(outcome.trace, {"[0"}).size(), c.tripletLines);
        EXPECT_EQ(Count(outcome.trace, "*** Inspect Error Status Start ***\r\n"), c.brackets);
        std::vector<std::string> states = LinesStartingWith(outcome.trace, {"TWAIN Status = "});
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
        HostOutcome outcome = RunHost(WrapperInstall::Probe, c.script ? scriptPath : c.session, {});
        EXPECT_EQ(outcome.exitCode, c.exitCode) << outcome.out << outcome.err;
        EXPECT_EQ(Count(outcome.out, "\n"), c.linesOut) << outcome.out;
    }
    remove(scriptPath.c_str());
}

}  // namespace
