// The reader on damaged and odd input, seen through twtrace json: every record is
// one valid JSON line, damage is named with its line, nothing is skipped silently.
#include <gtest/gtest.h>

#include "TraceText.h"

namespace {

std::string Json(const std::string& trace) { return RunOn(RunJson, trace).out; }

const std::string kStatusRecord = Record(1, "DG_CONTROL/DAT_STATUS/MSG_GET", "TWRC_SUCCESS", 4,
                                         "  TW_STATUS = {\n    ConditionCode = [TWCC_BADCAP]\n  }\n");
const std::string kStatusJson =
    R"j({"kind":"triplet","line":1,"number":1,"label":"APP","dg":{"name":"DG_CONTROL","value":1},)j"
    R"j("dat":{"name":"DAT_STATUS","value":8},"msg":{"name":"MSG_GET","value":1},)j"
    R"j("rc":{"name":"TWRC_SUCCESS","value":0},"pData":"0x00001000","state":4,"failed":false,)j"
    R"j("data":{"TW_STATUS":{"ConditionCode":"TWCC_BADCAP"}}})j"
    "\n";

TEST(TraceReader, LineFeedsAloneReadLikeCrLf) {
    std::string lf = kStatusRecord;
    std::erase(lf, '\r');
    EXPECT_EQ(Json(lf), kStatusJson);
    EXPECT_EQ(Json(kStatusRecord), kStatusJson);
}

// The TWAIN 2 blocks: a nested status, labelled descriptors, and the lines that
// say a structure or a list was cut, kept as the record's markers.
TEST(TraceReader, Twain2BlocksAndTheirCutLinesAreRead) {
    const std::string trace =
        Record(1, "DG_CONTROL/DAT_STATUSUTF8/MSG_GET", "TWRC_SUCCESS", 4,
               "  TW_STATUSUTF8 = {\n    Status     =\n    TW_STATUS = {\n      ConditionCode = [TWCC_BADCAP]\n"
               "    }\n    Size       = [4]\n    UTF8string = <0x00002000>\n    Text       = [a\\tb]\n  }\n") +
        Record(2, "DG_CONTROL/DAT_FILTER/MSG_GET", "TWRC_SUCCESS", 4,
               "  TW_FILTER = {\n    DescriptorCount    = [9]\n    Descriptor[0]      =\n"
               "    TW_FILTER_DESCRIPTOR = {\n      Size            = [32]\n    }\n"
               "    !!! list cut: the block holds 1 of 9 descriptors.!!!\n  }\n");
    EXPECT_EQ(Json(trace),
              R"j({"kind":"triplet","line":1,"number":1,"label":"APP","dg":{"name":"DG_CONTROL","value":1},)j"
              R"j("dat":{"name":"DAT_STATUSUTF8","value":17},"msg":{"name":"MSG_GET","value":1},)j"
              R"j("rc":{"name":"TWRC_SUCCESS","value":0},"pData":"0x00001000","state":4,"failed":false,)j"
              R"j("data":{"TW_STATUSUTF8":{"Status":{"type":"TW_STATUS","ConditionCode":"TWCC_BADCAP"},)j"
              R"j("Size":"4","UTF8string":"0x00002000","Text":"a\\tb"}}})j"
              "\n"
              R"j({"kind":"triplet","line":15,"number":2,"label":"APP","dg":{"name":"DG_CONTROL","value":1},)j"
              R"j("dat":{"name":"DAT_FILTER","value":268},"msg":{"name":"MSG_GET","value":1},)j"
              R"j("rc":{"name":"TWRC_SUCCESS","value":0},"pData":"0x00001000","state":4,"failed":false,)j"
              R"j("data":{"TW_FILTER":{"DescriptorCount":"9","Descriptor[0]":{"type":"TW_FILTER_DESCRIPTOR",)j"
              R"j("Size":"32"}}},"markers":["!!! list cut: the block holds 1 of 9 descriptors.!!!"]})j"
              "\n");
}

struct DamageCase {
    const char* what;
    std::string trace;
    std::string json;
};

class TraceReaderDamage : public testing::TestWithParam<DamageCase> {};

TEST_P(TraceReaderDamage, IsReadAsFarAsItMakesSenseAndNamed) {
    EXPECT_EQ(Json(GetParam().trace), GetParam().json) << GetParam().what;
}

// A list cut at 5120 characters: its last line is cut in the middle, the marker
// follows it, and the next record is glued to the marker.
std::string CutRecord() {
    std::string text = Crlf(
        "[00001] [APP] DG_CONTROL/DAT_CAPABILITY/MSG_GET (ICAP_PIXELTYPE)\n"
        "        Return Code = [TWRC_SUCCESS]\npData   = <0x00001000>\n  TW_CAPABILITY = {\n"
        "    Cap        = [ICAP_PIXELTYPE]\n    ConType    = [TWON_ARRAY]\n    hContainer = <0x00002000>\n"
        "    TW_ARRAY = {\n      ItemType = [TWTY_UINT16]\n      NumItems = [9999]\n      ItemList = {\n"
        "          0:TWPT_BW,\n          1:TWPT_GR");
    return text + "Size of CAP_xxx too long" + kStatusRecord;
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, TraceReaderDamage,
    testing::Values(
        DamageCase{"a record cut at 5120 characters, the next record glued to its marker", CutRecord(),
                   R"j({"kind":"triplet","line":1,"number":1,"label":"APP","dg":{"name":"DG_CONTROL","value":1},)j"
                   R"j("dat":{"name":"DAT_CAPABILITY","value":1},"msg":{"name":"MSG_GET","value":1},)j"
                   R"j("cap":{"name":"ICAP_PIXELTYPE","value":257},"rc":{"name":"TWRC_SUCCESS","value":0},)j"
                   R"j("pData":"0x00001000","failed":false,"overLength":true,"data":{"TW_CAPABILITY":{)j"
                   R"j("Cap":"ICAP_PIXELTYPE","ConType":"TWON_ARRAY","hContainer":"0x00002000","TW_ARRAY":{)j"
                   R"j("ItemType":"TWTY_UINT16","NumItems":"9999","ItemList":["TWPT_BW","TWPT_GR"]}}}})j"
                   "\n" +
                       std::string(R"j({"kind":"triplet","line":13,)j") + kStatusJson.substr(27)},
        DamageCase{"a file that starts with the end of a cut record",
                   Crlf("          1:TWPT_BW") + "Size of CAP_xxx too long" + kStatusRecord,
                   R"j({"kind":"unreadable","line":1,"failed":false,"overLength":true,"damaged":true,)j"
                   R"j("damage":["line 1: the end of a record cut at 5120 characters:           1:TWPT_BW"]})j"
                   "\n" +
                       kStatusJson},
        DamageCase{"a trace that ends inside a record (the driver never returned)",
                   Crlf("[00007] [APP] DG_CONTROL/DAT_IDENTITY/MSG_OPENDS\n"),
                   R"j({"kind":"triplet","line":1,"number":7,"label":"APP","dg":{"name":"DG_CONTROL","value":1},)j"
                   R"j("dat":{"name":"DAT_IDENTITY","value":3},"msg":{"name":"MSG_OPENDS","value":1025},)j"
                   R"j("failed":false,"damaged":true,"damage":["line 1: the record has no return code )j"
                   R"j((the session ended, or its call never returned)"]})j"
                   "\n"},
        DamageCase{"binary garbage and unknown names, then a record",
                   std::string("\x01\xff\"\\garbage\r\nmore\r\n", 19) +
                       Crlf("[00002] [APP] DG_FOO/ERROR!(77)/MSG_GET\n        Return Code = [ERROR!(12)]\n"
                            "pData   = <0x00001000>\n  TW_X = {\n    a line without brackets\n"),
                   R"j({"kind":"unreadable","line":1,"failed":false,"damaged":true,"damage":["line 1: not a )j"
                   R"j(trace record: \\x01\\xff\"\\garbage (and 1 more lines to line 2)"]})j"
                   "\n"
                   R"j({"kind":"triplet","line":3,"number":2,"label":"APP","dg":{"name":"DG_FOO"},)j"
                   R"j("dat":{"name":"ERROR!(77)","value":77},"msg":{"name":"MSG_GET","value":1},)j"
                   R"j("rc":{"name":"ERROR!(12)","value":12},"pData":"0x00001000","failed":false,)j"
                   R"j("data":{"TW_X":{}},"damaged":true,"damage":["line 3: 'DG_FOO' is no name of the tables",)j"
                   R"j("line 7: expected a field, found: a line without brackets",)j"
                   R"j("line 7: a structure block is not closed"]})j"
                   "\n"},
        DamageCase{"a line longer than the reader keeps",
                   Crlf("[00001] [APP] DG_CONTROL/DAT_STATUS/MSG_GET\n        Return Code = [TWRC_SUCCESS]\n"
                        "    Info = [") +
                       std::string(CTraceReader::kMaxLine, 'x') + Crlf("]\n"),
                   R"j({"kind":"triplet","line":1,"number":1,"label":"APP","dg":{"name":"DG_CONTROL","value":1},)j"
                   R"j("dat":{"name":"DAT_STATUS","value":8},"msg":{"name":"MSG_GET","value":1},)j"
                   R"j("rc":{"name":"TWRC_SUCCESS","value":0},"pData":"0x00000000","failed":false,"data":{"Info":")j" +
                       std::string(CTraceReader::kMaxLine - 12, 'x') +
                       R"j("},"damaged":true,"damage":["line 3: a line longer than 16384 characters )j"
                       R"j((the rest of it is not read)","line 3: expected ']' at the end of the line"]})j"
                       "\n"}));

// Kept text: each record's lines as the file holds them (CR LF taken off); the
// line cut at 5120 characters ends the cut record with its marker, the record
// glued to the marker starts the next. Without KeepText no text is kept.
TEST(TraceReader, KeepsEachRecordsLinesWhenAsked) {
    std::string trace = "garbage\r\n" + CutRecord();
    std::string cutText = CutRecord().substr(0, CutRecord().find("Size of"));
    std::erase(cutText, '\r');
    std::string statusText = kStatusRecord;
    std::erase(statusText, '\r');
    for (bool keep : {true, false}) {
        CTraceReader reader(trace);
        if (keep) reader.KeepText();
        TraceRecord record;
        std::vector<std::string> texts;
        while (reader.Next(record)) texts.push_back(record.text);
        std::vector<std::string> expected = {"garbage\n", cutText + "\nSize of CAP_xxx too long\n", statusText};
        EXPECT_EQ(texts, keep ? expected : std::vector<std::string>(3)) << keep;
    }
}

TEST(TraceReader, NotATraceIsUnreadable) {
    for (const std::string& text : {std::string(), std::string("hello\nworld\n"), std::string(3000, '\0')}) {
        CommandOutput result = RunOn(RunSummary, text);
        EXPECT_EQ(result.status, kExitUnreadable);
        EXPECT_EQ(result.out, "not a trace: no record found");
    }
}

}  // namespace
