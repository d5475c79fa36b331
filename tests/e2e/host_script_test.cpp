// twhost's session scripts: what each line becomes, byte for byte, the exact
// complaint for each line that cannot be sent, and what a session sends.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
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
    // The smallest step, the largest value, and the nearest to a trace's three decimals.
    {"DG_CONTROL DAT_CAPABILITY MSG_SET ICAP_BRIGHTNESS ARRAY TWTY_FIX32 -0.0000152587890625 32767.9999847412109375 "
     "~0.333 ~-0.333",
     ICAP_BRIGHTNESS, TWON_ARRAY,
     {7, 0, 0, 0, 4, 0, 0, 0, 0xff, 0xff, 0xff, 0xff, 0xff, 0x7f, 0xff, 0xff, 0, 0, 0x3f, 0x55, 0xff, 0xff, 0xc1,
      0xaa}},
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

// Every error of a script in one run, each with its line and the word at fault.
TEST(HostScript, EveryLineThatCannotBeSentIsNamedWithItsWord) {
    struct Case {
        const char* script;
        const char* errors;
    };
    const Case cases[] = {
        {"DG_CONTROL DAT_IDENTITY", "line 1: after 'DAT_IDENTITY' a word is missing: a triplet is DG DAT MSG"},
        {"WAITXFERREADY\nwait", "line 1: 'WAITXFERREADY' is no directive: directives are written in lower case "
                                "(waitxferready)\n"
                                "line 2: 'wait' is no directive (waitxferready, memxfer) and no triplet (DG DAT MSG)"},
        {"DG_NONE DAT_IDENTITIES 0x10000 -> TWRC_SUCESS\nDG_CONTROL DAT_STATU MSG_GET -> TWRC_SUCCESS TWCC_SUCCESS",
         "line 1: 'DG_NONE' is no DG\nline 1: 'DAT_IDENTITIES' is no DAT\nline 1: '0x10000' is no MSG\n"
         "line 1: 'TWRC_SUCESS' is no return code (after -> comes a return code, or any)\n"
         "line 2: 'DAT_STATU' is no DAT"},
        {"DG_CONTROL DAT_IDENTITY 8->TWRC_SUCCESS", "line 1: '8->TWRC_SUCCESS': write -> apart, with blanks around it"},
        {"# fine\nDG_CONTROL DAT_CAPABILITY MSG_GET\nDG_CONTROL DAT_CAPABILITY MSG_GET CAP_NOTHING",
         "line 2: after 'MSG_GET' a word is missing: DAT_CAPABILITY needs a capability\n"
         "line 3: 'CAP_NOTHING' is no capability"},
        {"DG_CONTROL DAT_CAPABILITY MSG_SET CAP_XFERCOUNT ONEVALUE\n"
         "DG_CONTROL DAT_CAPABILITY MSG_SET CAP_XFERCOUNT ONEVALUE TWTY_INT64 1\n"
         "DG_CONTROL DAT_CAPABILITY MSG_SET CAP_XFERCOUNT ONEVALUE TWTY_INT16\n"
         "DG_CONTROL DAT_CAPABILITY MSG_SET CAP_XFERCOUNT ONEVALUE TWTY_INT16 1 2\n"
         "DG_CONTROL DAT_CAPABILITY MSG_SET ICAP_BITDEPTH ONEVALUE TWTY_UINT8 256",
         "line 1: after 'ONEVALUE' a word is missing: a container needs an item type\n"
         "line 2: 'TWTY_INT64' is no item type\n"
         "line 3: after 'TWTY_INT16' a word is missing: ONEVALUE takes one value\n"
         "line 4: '2' is one word too many: ONEVALUE takes one value\n"
         "line 5: '256' is no value of its item type"},
        {"DG_CONTROL DAT_CAPABILITY MSG_SET CAP_AUTHOR ONEVALUE TWTY_STR32 \"unclosed",
         "line 1: '\"unclosed': a quoted text is not closed"},
        {"DG_CONTROL DAT_CAPABILITY MSG_SET CAP_AUTHOR ONEVALUE TWTY_STR32 \"0123456789012345678901234567890123\"",
         "line 1: '\"0123456789012345678901234567890123\"' is longer than its type holds"},
        {"DG_CONTROL DAT_CAPABILITY MSG_SET ICAP_FRAMES ARRAY TWTY_FRAME 0 0 1\n"
         "DG_CONTROL DAT_CAPABILITY MSG_SET ICAP_PIXELTYPE ENUMERATION TWTY_UINT16 TWPT_RGB\n"
         "DG_CONTROL DAT_CAPABILITY MSG_SET ICAP_PIXELTYPE ENUMERATION TWTY_UINT16 0 -1 TWPT_RGB\n"
         "DG_CONTROL DAT_CAPABILITY MSG_SET CAP_AUTHOR RANGE TWTY_STR32 a b c d e\n"
         "DG_CONTROL DAT_CAPABILITY MSG_SET ICAP_CONTRAST RANGE TWTY_INT8 1 2 3 4\n"
         "DG_CONTROL DAT_CAPABILITY MSG_SET CAP_XFERCOUNT LIST TWTY_INT16 1",
         "line 1: after '1' ARRAY values do not make whole items\n"
         "line 2: after 'TWPT_RGB': ENUMERATION takes the current index, the default index, then the values\n"
         "line 3: '-1' is no index: ENUMERATION takes the current index, the default index, then the values\n"
         "line 4: 'TWTY_STR32' is no number type: RANGE takes a number type and five values: min max step default "
         "current\n"
         "line 5: after '4' a word is missing: RANGE takes a number type and five values: min max step default "
         "current\n"
         "line 6: 'LIST' is no container (ONEVALUE, ARRAY, ENUMERATION or RANGE)"},
        // TWTY_FIX32: a decimal held exactly, else "~" asks for the nearest.
        {"DG_CONTROL DAT_CAPABILITY MSG_SET ICAP_XRESOLUTION ONEVALUE TWTY_FIX32 32768\n"
         "DG_CONTROL DAT_CAPABILITY MSG_SET ICAP_XRESOLUTION ONEVALUE TWTY_FIX32 0.1\n"
         "DG_CONTROL DAT_CAPABILITY MSG_SET ICAP_XRESOLUTION ONEVALUE TWTY_FIX32 0.00000762939453125\n"
         "DG_CONTROL DAT_CAPABILITY MSG_SET ICAP_XRESOLUTION ONEVALUE TWTY_FIX32 1e2\n"
         "DG_IMAGE DAT_IMAGELAYOUT MSG_SET 0 0 8.5 11.\n"
         "DG_IMAGE DAT_IMAGELAYOUT MSG_SET 0 0 8.5",
         "line 1: '32768' is outside what a TWTY_FIX32 holds (-32768 to 32767.99998)\n"
         "line 2: '0.1' is no TWTY_FIX32 exactly (steps of 1/65536); the nearest is 0.100006103515625, which ~0.1 "
         "gives\n"
         "line 3: '0.00000762939453125' is no TWTY_FIX32 exactly (steps of 1/65536); the nearest is "
         "0.0000152587890625, which ~0.00000762939453125 gives\n"
         "line 4: '1e2' is not a TWTY_FIX32 number (a decimal such as 150 or -0.5)\n"
         "line 5: '11.' is not a TWTY_FIX32 number (a decimal such as 150 or -0.5)\n"
         "line 6: after '8.5' a word is missing: a layout takes Left Top Right Bottom"},
        {"DG_CONTROL DAT_STATUS MSG_GET TWCC_BUMMER\n"
         "DG_CONTROL DAT_USERINTERFACE MSG_ENABLEDS 1 1 1\n"
         "DG_IMAGE DAT_GRAYRESPONSE MSG_SET 257\n"
         "DG_IMAGE DAT_EXTIMAGEINFO MSG_GET TWEI_BARCODEX TWEI_NOTHING",
         "line 1: 'TWCC_BUMMER': DAT_STATUS takes no arguments\n"
         "line 2: '1' is one argument too many\n"
         "line 3: '257': a response curve has 1 to 256 entries\n"
         "line 4: 'TWEI_NOTHING' is not an InfoID (a TWEI_ name or a number)"},
        {"DG_CONTROL DAT_IDENTITY MSG_GET ->\n"
         "DG_CONTROL DAT_STATUS MSG_GET -> TWRC_SUCCESS TWCC_BOGUS\n"
         "DG_CONTROL DAT_IDENTITY MSG_GET -> TWRC_SUCCESS TWCC_SUCCESS\n"
         "DG_CONTROL DAT_STATUS MSG_GET -> TWRC_SUCCESS TWCC_SUCCESS TWCC_SUCCESS\n"
         "memxfer now",
         "line 1: after '->' a word is missing: a return code, or any\n"
         "line 2: 'TWCC_BOGUS' is no condition code\n"
         "line 3: 'TWCC_SUCCESS': a condition code is expected of DAT_STATUS only\n"
         "line 4: 'TWCC_SUCCESS' is one word too many: after the condition code comes nothing\n"
         "line 5: 'now': memxfer takes nothing more"},
        // A leading zero is no octal: 010 is ten, and 08 is eight.
        {"DG_CONTROL DAT_IDENTITY 010\nDG_CONTROL DAT_IDENTITY 08\nDG_CONTROL DAT_IDENTITY 0x0g",
         "line 3: '0x0g' is no MSG"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.script);
        std::vector<SessionStep> steps;
        std::string errors;
        EXPECT_FALSE(ParseSessionScript(c.script, steps, errors));
        EXPECT_EQ(errors, c.errors);
    }
}

// A source that answers from a table, notes every call, and writes its whole
// block where it answers with data, as a source whose structure is larger than the
// host thinks may.
struct FakeSource {
    static inline std::vector<std::string> calls;
    static inline bool layoutBlockWasZero = false;

    static TW_UINT16 Entry(TW_IDENTITY*, TW_UINT32, TW_UINT16 DAT, TW_UINT16, TW_MEMREF pData) {
        auto* block = static_cast<unsigned char*>(pData);
        calls.push_back(std::to_string(DAT));
        switch (DAT) {
            case DAT_CAPABILITY: return TWRC_FAILURE;
            case DAT_STATUS:
                memset(block, 0xa5, 4096);
                static_cast<TW_STATUS*>(pData)->ConditionCode = TWCC_BADCAP;
                return TWRC_SUCCESS;
            case DAT_IMAGELAYOUT:
                layoutBlockWasZero = std::all_of(block, block + 4096, [](unsigned char b) { return b == 0; });
                return TWRC_SUCCESS;
            default: return TWRC_SUCCESS;
        }
    }
};

// What the host prints for a script, and the DATs it sent.
std::string RunAgainstFakeSource(const char* script, bool askStatus) {
    std::vector<SessionStep> steps;
    std::string errors;
    EXPECT_TRUE(ParseSessionScript(script, steps, errors)) << errors;
    FakeSource::calls.clear();
    char* text = nullptr;
    size_t size = 0;
    FILE* out = open_memstream(&text, &size);
    CHostSession session(FakeSource::Entry, out);
    session.AskStatusAfterFailure(askStatus);
    const int mismatches = session.Run(steps);
    fclose(out);
    std::string printed(text, size);
    free(text);
    for (const std::string& dat : FakeSource::calls) printed += dat + " ";
    return printed + "mismatches " + std::to_string(mismatches);
}

// The data of a triplet without arguments starts all zero, padding included, even
// where the block before it was full of the source's bytes.
TEST(HostSession, DataWithoutArgumentsIsAllZero) {
    FakeSource::layoutBlockWasZero = false;
    RunAgainstFakeSource("DG_CONTROL DAT_STATUS MSG_GET\nDG_IMAGE DAT_IMAGELAYOUT MSG_SET\n", false);
    EXPECT_TRUE(FakeSource::layoutBlockWasZero);
}

// --status asks after each failure, except where the script asks next, and the
// question changes no expectation.
TEST(HostSession, StatusAskedAfterAFailureWhenWanted) {
    const char* script =
        "DG_CONTROL DAT_CAPABILITY MSG_SET CAP_XFERCOUNT ONEVALUE TWTY_INT16 1 -> TWRC_FAILURE\n"
        "DG_CONTROL DAT_CAPABILITY MSG_GET CAP_XFERCOUNT -> TWRC_FAILURE\n"
        "DG_CONTROL DAT_STATUS MSG_GET -> TWRC_SUCCESS TWCC_BADCAP\n";
    for (bool ask : {false, true}) {
        SCOPED_TRACE(ask);
        EXPECT_EQ(RunAgainstFakeSource(script, ask),
                  "DG_CONTROL/DAT_CAPABILITY/MSG_SET (CAP_XFERCOUNT) -> TWRC_FAILURE" +
                      std::string(ask ? " [DAT_STATUS: TWCC_BADCAP]" : "") +
                      "\nDG_CONTROL/DAT_CAPABILITY/MSG_GET (CAP_XFERCOUNT) -> TWRC_FAILURE\n"
                      "DG_CONTROL/DAT_STATUS/MSG_GET -> TWRC_SUCCESS TWCC_BADCAP\n" +
                      (ask ? "1 8 1 8 " : "1 1 8 ") + "mismatches 0");
    }
}

}  // namespace
