// The built-in twain2 session through the monitor against the substitute driver,
// its trace checked byte for byte (addresses aside): a TWAIN 2 session's entry
// point and callback records whole, the frames offered, metrics, a device event,
// and a refusal explained as UTF-8 text.
#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "StagedScenario.h"

namespace {

// The text with every "\n" turned into CR LF, as the monitor ends its lines.
std::string Crlf(std::string_view text) {
    std::string out;
    for (char c : text) {
        if (c == '\n') out += '\r';
        out += c;
    }
    return out;
}

// One record: its triplet line, result lines, block and state (none after a failure).
std::string Record(int number, std::string_view triplet, std::string_view rc, std::string_view block, int state) {
    char head[32];
    snprintf(head, sizeof(head), "[%05d] [APP] ", number);
    std::string text = head + std::string(triplet) + "\n        Return Code = [" + std::string(rc) +
                       "]\npData   = <>\n" + std::string(block);
    if (state) text += "\nTWAIN Status = [" + std::to_string(state) + "]\n";
    return text;
}

constexpr char kScannerIdentity[] = R"(  TW_IDENTITY = {
    Id              = [0]
    Version         =
    TW_VERSION = {
      MajorNum = [2]
      MinorNum = [1]
      Language = [TWLG_USA]
      Country  = [TWCY_USA]
      Info     = [2.1.0 Lumora 9000F]
    }
    ProtocolMajor   = [2]
    ProtocolMinor   = [1]
    SupportedGroups = [3]
    Manufacturer    = [NORVA]
    ProductFamily   = [Lumora]
    ProductName     = [Lumora 9000F]
  }
)";

TEST(Twain2Session, IsTracedWhole) {
    HostOutcome outcome = RunHost(WrapperInstall::SubstituteDriver, "twain2");
    EXPECT_EQ(outcome.exitCode, 0) << outcome.out << outcome.err;
    ASSERT_EQ(outcome.traceFiles, 1);
    const std::string expected =
        Record(1, "DG_CONTROL/DAT_IDENTITY/MSG_GET", "TWRC_SUCCESS", kScannerIdentity, 3) +
        Record(2, "DG_CONTROL/DAT_ENTRYPOINT/MSG_SET", "TWRC_SUCCESS", R"(  TW_ENTRYPOINT = {
    Size            = [48]
    DSM_Entry       = <>
    DSM_MemAllocate = <>
    DSM_MemFree     = <>
    DSM_MemLock     = <>
    DSM_MemUnlock   = <>
  }
)",
               3) +
        Record(3, "DG_CONTROL/DAT_IDENTITY/MSG_OPENDS", "TWRC_SUCCESS", kScannerIdentity, 4) +
        Record(4, "DG_CONTROL/DAT_CALLBACK2/MSG_REGISTER_CALLBACK", "TWRC_SUCCESS", R"(  TW_CALLBACK2 = {
    CallBackProc = <>
    RefCon       = [0x0]
    Message      = [MSG_NULL]
  }
)",
               4) +
        Record(5, "DG_CONTROL/DAT_CAPABILITY/MSG_GET (ICAP_FRAMES)", "TWRC_SUCCESS", R"(  TW_CAPABILITY = {
    Cap        = [ICAP_FRAMES]
    ConType    = [TWON_ENUMERATION]
    hContainer = <>
    TW_ENUMERATION = {
      ItemType     = [TWTY_FRAME]
      NumItems     = [1]
      CurrentIndex = [0]
      DefaultIndex = [0]
      ItemList = {
          0:0.000,0.000,8.500,11.000
      }
    }
  }
)",
               4) +
        Record(6, "DG_CONTROL/DAT_METRICS/MSG_GET", "TWRC_SUCCESS", R"(  TW_METRICS = {
    SizeOf     = [12]
    ImageCount = [0]
    SheetCount = [0]
  }
)",
               4) +
        Record(7, "DG_CONTROL/DAT_DEVICEEVENT/MSG_GET", "TWRC_SUCCESS", R"(  TW_DEVICEEVENT = {
    Event                  = [TWDE_DEVICEREADY]
    DeviceName             = [Lumora 9000F]
    BatteryMinutes         = [0]
    BatteryPercentage      = [0]
    PowerSupply            = [TWPS_EXTERNAL]
    XResolution            = [300.000]
    YResolution            = [300.000]
    FlashUsed2             = [TWFL_NONE]
    AutomaticCapture       = [0]
    TimeBeforeFirstCapture = [0]
    TimeBetweenCaptures    = [0]
  }
)",
               4) +
        Record(8, "DG_CONTROL/DAT_CAPABILITY/MSG_SET (CAP_KQ_DUALIMAGE)", "TWRC_FAILURE", R"(  TW_CAPABILITY = {
    Cap        = [CAP_KQ_DUALIMAGE]
    ConType    = [TWON_ONEVALUE]
    hContainer = <>
  }
*** Inspect Error Status Start ***
*** Inspect Error Status End   ***
)",
               0) +
        Record(9, "DG_CONTROL/DAT_STATUS/MSG_GET", "TWRC_SUCCESS", R"(  TW_STATUS = {
    ConditionCode = [TWCC_CAPUNSUPPORTED]
  }
)",
               4) +
        Record(10, "DG_CONTROL/DAT_STATUSUTF8/MSG_GET", "TWRC_SUCCESS", R"(  TW_STATUSUTF8 = {
    Status     =
    TW_STATUS = {
      ConditionCode = [TWCC_CAPUNSUPPORTED]
    }
    Size       = [40]
    UTF8string = <>
    Text       = [The scanner does not have this feature.]
  }
)",
               4) +
        Record(11, "DG_CONTROL/DAT_IDENTITY/MSG_CLOSEDS", "TWRC_SUCCESS", kScannerIdentity, 3);
    EXPECT_EQ(WithoutPointers(outcome.trace), Crlf(expected));
}

}  // namespace
