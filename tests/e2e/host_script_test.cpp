// twhost's session scripts: what each line becomes, byte for byte, and the exact
// complaint for each line that cannot be sent.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Session.h"

namespace {

using Bytes = std::vector<unsigned char>;

struct ContainerCase {
    const char* line;
    TW_UINT16 cap;
    TW_UINT16 conType;
    Bytes container;
};

// Containers as the capability's handle will hold them, little-endian, with the
// padding of the natural alignment.
const ContainerCase kContainerCases[] = {
    {"DG_CONTROL DAT_CAPABILITY MSG_SET ICAP_XRESOLUTION ONEVALUE TWTY_FIX32 150", ICAP_XRESOLUTION, TWON_ONEVALUE,
     {7, 0, 0, 0, 150, 0, 0, 0}},
    {"DG_CONTROL DAT_CAPABILITY MSG_SET ICAP_BRIGHTNESS ONEVALUE TWTY_FIX32 -0.5", ICAP_BRIGHTNESS, TWON_ONEVALUE,
     {7, 0, 0, 0, 0xff, 0xff, 0x00, 0x80}},
    {"DG_CONTROL DAT_CAPABILITY MSG_SET ICAP_XFERMECH ONEVALUE TWTY_UINT16 TWSX_MEMORY", ICAP_XFERMECH, TWON_ONEVALUE,
     {4, 0, 0, 0, 2, 0, 0, 0}},
    {"DG_CONTROL DAT_CAPABILITY MSG_SET CAP_XFERCOUNT ONEVALUE TWTY_INT16 -1", CAP_XFERCOUNT, TWON_ONEVALUE,
     {1, 0, 0, 0, 0xff, 0xff, 0, 0}},
    {"DG_CONTROL DAT_CAPABILITY MSG_SET ICAP_FRAMES ONEVALUE TWTY_FRAME 0 0 8.5 11", ICAP_FRAMES, TWON_ONEVALUE,
     {8, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 8, 0, 0, 0x80, 11, 0, 0, 0}},
    {"DG_CONTROL DAT_CAPABILITY MSG_SET CAP_AUTHOR ONEVALUE TWTY_STR32 \"J. Doe\"", CAP_AUTHOR, TWON_ONEVALUE,
     [] {
         Bytes b(4 + 34, 0);
         b[0] = 9;
         for (int i = 0; i < 6; ++i) b[4 + i] = static_cast<unsigned char>("J. Doe"[i]);
         return b;
     }()},
    {"DG_CONTROL DAT_CAPABILITY MSG_SET CAP_SUPPORTEDCAPS ARRAY TWTY_UINT16 CAP_XFERCOUNT 0x1118 4", CAP_SUPPORTEDCAPS,
     TWON_ARRAY, {4, 0, 0, 0, 3, 0, 0, 0, 1, 0, 0x18, 0x11, 4, 0}},
    {"DG_CONTROL DAT_CAPABILITY MSG_SET ICAP_PIXELTYPE ENUMERATION TWTY_UINT16 1 0 TWPT_GRAY TWPT_RGB",
     ICAP_PIXELTYPE, TWON_ENUMERATION, {4, 0, 0, 0, 2, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 1, 0, 2, 0}},
    {"DG_CONTROL DAT_CAPABILITY MSG_SET ICAP_CONTRAST RANGE TWTY_INT8 -100 100 10 0 -1", ICAP_CONTRAST, TWON_RANGE,
     {0, 0, 0, 0, 0x9c, 0xff, 0xff, 0xff, 100, 0, 0, 0, 10, 0, 0, 0, 0, 0, 0, 0, 0xff, 0xff, 0xff, 0xff}},
    {"DG_CONTROL DAT_CAPABILITY MSG_GET CAP_KQ_DUALIMAGE", CAP_KQ_DUALIMAGE, TWON_DONTCARE16, {}},
};

TEST(HostScript, CapabilityLinesBecomeTheirContainers) {
    for (const ContainerCase& c : kContainerCases) {
        SCOPED_TRACE(c.line);
        std::vector<SessionStep> steps;
        std::string error;
        ASSERT_TRUE(ParseSessionScript(c.line, steps, error)) << error;
        ASSERT_EQ(steps.size(), 1u);
        ASSERT_GE(steps[0].data.size(), sizeof(TW_CAPABILITY));
        TW_CAPABILITY cap;
        memcpy(&cap, steps[0].data.data(), sizeof(cap));
        EXPECT_EQ(cap.Cap, c.cap);
        EXPECT_EQ(cap.ConType, c.conType);
        EXPECT_EQ(steps[0].container, c.container);
    }
}

// A step as "line: kind DG/DAT/MSG expectation".
std::string Describe(int line, const char* kind, TW_UINT32 DG, TW_UINT16 DAT, TW_UINT16 MSG,
                     const std::string& expect) {
    char text[96];
    snprintf(text, sizeof(text), "%d: %s %x/%x/%x %s", line, kind, DG, DAT, MSG, expect.c_str());
    return text;
}

TEST(HostScript, TripletsDirectivesExpectationsAndComments) {
    const char* script =
        "# a session\n"
        "\n"
        "DG_CONTROL DAT_IDENTITY MSG_GET   # the source's identity\n"
        "0x2 0x0105 1 -> TWRC_XFERDONE\n"
        "DG_CONTROL DAT_STATUS MSG_GET -> TWRC_SUCCESS TWCC_CAPUNSUPPORTED\r\n"
        "DG_CONTROL DAT_KQ_HARDWAREINFO MSG_KQ_XFERREQUEST -> any\n"
        "DG_CONTROL DAT_USERINTERFACE MSG_ENABLEDS 1\n"
        "waitxferready\n"
        "memxfer";
    std::vector<SessionStep> steps;
    std::string error;
    ASSERT_TRUE(ParseSessionScript(script, steps, error)) << error;
    ASSERT_EQ(steps.size(), 7u);
    const char* const kinds[] = {"triplet", "waitxferready", "memxfer"};
    const char* const expectations[] = {"not failure", "exact ", "any"};
    std::vector<std::string> described;
    for (const SessionStep& step : steps) {
        std::string expect = expectations[int(step.expect.kind)];
        if (step.expect.kind == Expectation::Kind::Exact) expect += std::to_string(step.expect.rc);
        if (step.expect.checkCondition) expect += " cc " + std::to_string(step.expect.condition);
        described.push_back(Describe(step.line, kinds[int(step.kind)], step.DG, step.DAT, step.MSG, expect));
    }
    const std::string xferDone = "exact " + std::to_string(TWRC_XFERDONE);
    const std::string capUnsupported = "exact 0 cc " + std::to_string(TWCC_CAPUNSUPPORTED);
    EXPECT_EQ(described, (std::vector<std::string>{
                             Describe(3, "triplet", DG_CONTROL, DAT_IDENTITY, MSG_GET, "not failure"),
                             Describe(4, "triplet", DG_IMAGE, DAT_IMAGEFILEXFER, MSG_GET, xferDone),
                             Describe(5, "triplet", DG_CONTROL, DAT_STATUS, MSG_GET, capUnsupported),
                             Describe(6, "triplet", DG_CONTROL, DAT_KQ_HARDWAREINFO, MSG_KQ_XFERREQUEST, "any"),
                             Describe(7, "triplet", DG_CONTROL, DAT_USERINTERFACE, MSG_ENABLEDS, "not failure"),
                             Describe(8, "waitxferready", 0, 0, 0, "not failure"),
                             Describe(9, "memxfer", 0, 0, 0, "not failure"),
                         }));
    TW_USERINTERFACE ui;
    ASSERT_GE(steps[4].data.size(), sizeof(ui));
    memcpy(&ui, steps[4].data.data(), sizeof(ui));
    EXPECT_EQ(ui.ShowUI, 1);
    EXPECT_EQ(ui.ModalUI, 0);
}

TEST(HostScript, ALineThatCannotBeSentIsNamedWithItsNumber) {
    struct Case {
        const char* script;
        const char* error;
    };
    const Case cases[] = {
        {"DG_CONTROL DAT_IDENTITY", "line 1: a triplet is DG DAT MSG"},
        {"DG_NONE DAT_IDENTITY MSG_GET", "line 1: unknown DG 'DG_NONE'"},
        {"DG_CONTROL DAT_IDENTITIES MSG_GET", "line 1: unknown DAT 'DAT_IDENTITIES'"},
        {"DG_CONTROL DAT_IDENTITY 0x", "line 1: unknown MSG '0x'"},
        {"DG_CONTROL DAT_IDENTITY 0x10000", "line 1: unknown MSG '0x10000'"},
        {"# fine\nDG_CONTROL DAT_CAPABILITY MSG_GET", "line 2: DAT_CAPABILITY needs a capability"},
        {"DG_CONTROL DAT_CAPABILITY MSG_GET CAP_NOTHING", "line 1: unknown capability 'CAP_NOTHING'"},
        {"DG_CONTROL DAT_CAPABILITY MSG_SET CAP_XFERCOUNT ONEVALUE", "line 1: a container needs an item type"},
        {"DG_CONTROL DAT_CAPABILITY MSG_SET CAP_XFERCOUNT ONEVALUE TWTY_INT64 1",
         "line 1: unknown item type 'TWTY_INT64'"},
        {"DG_CONTROL DAT_CAPABILITY MSG_SET CAP_XFERCOUNT ONEVALUE TWTY_INT16", "line 1: ONEVALUE takes one value"},
        {"DG_CONTROL DAT_CAPABILITY MSG_SET ICAP_BITDEPTH ONEVALUE TWTY_UINT8 256",
         "line 1: '256' is no value of its item type"},
        {"DG_CONTROL DAT_CAPABILITY MSG_SET ICAP_XRESOLUTION ONEVALUE TWTY_FIX32 32768",
         "line 1: '32768' is not a TWTY_FIX32 number"},
        {"DG_CONTROL DAT_CAPABILITY MSG_SET CAP_AUTHOR ONEVALUE TWTY_STR32 \"unclosed",
         "line 1: a quoted text is not closed"},
        {"DG_CONTROL DAT_CAPABILITY MSG_SET CAP_AUTHOR ONEVALUE TWTY_STR32 \"0123456789012345678901234567890123\"",
         "line 1: text \"0123456789012345678901234567890123\" is longer than its type holds"},
        {"DG_CONTROL DAT_CAPABILITY MSG_SET ICAP_FRAMES ARRAY TWTY_FRAME 0 0 1",
         "line 1: ARRAY values do not make whole items"},
        {"DG_CONTROL DAT_CAPABILITY MSG_SET ICAP_PIXELTYPE ENUMERATION TWTY_UINT16 TWPT_RGB",
         "line 1: ENUMERATION takes the current index, the default index, then the values"},
        {"DG_CONTROL DAT_CAPABILITY MSG_SET CAP_AUTHOR RANGE TWTY_STR32 a b c d e",
         "line 1: RANGE takes a number type and five values: min max step default current"},
        {"DG_CONTROL DAT_CAPABILITY MSG_SET CAP_XFERCOUNT LIST TWTY_INT16 1", "line 1: unknown container 'LIST'"},
        {"DG_CONTROL DAT_STATUS MSG_GET TWCC_BUMMER", "line 1: this DAT takes no arguments"},
        {"DG_CONTROL DAT_USERINTERFACE MSG_ENABLEDS 1 1 1", "line 1: too many arguments"},
        {"DG_IMAGE DAT_GRAYRESPONSE MSG_SET 257", "line 1: a response curve has 1 to 256 entries"},
        {"DG_IMAGE DAT_IMAGELAYOUT MSG_SET 0 0 8.5", "line 1: a layout takes Left Top Right Bottom"},
        {"DG_CONTROL DAT_IDENTITY MSG_GET ->", "line 1: after -> comes a return code, or any"},
        {"DG_CONTROL DAT_IDENTITY MSG_GET -> TWRC_SUCCESS TWCC_BUMMER",
         "line 1: a condition code is expected of DAT_STATUS only"},
        {"memxfer now", "line 1: memxfer takes nothing more"},
        // A leading zero is no octal: 010 is ten, and 08 is eight.
        {"DG_CONTROL DAT_IDENTITY 010\nDG_CONTROL DAT_IDENTITY 08\nDG_CONTROL DAT_IDENTITY 0x0g",
         "line 3: unknown MSG '0x0g'"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.script);
        std::vector<SessionStep> steps;
        std::string error;
        EXPECT_FALSE(ParseSessionScript(c.script, steps, error));
        EXPECT_EQ(error, c.error);
    }
}

}  // namespace
