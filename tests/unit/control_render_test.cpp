// The control structures as the trace shows them: identities, events, the user
// interface request, transfer set-up and bookkeeping, status, custom data, the
// single values of the group and native transfer triplets, and TW_MEMORY.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>

#include "GuardPage.h"
#include "AnalyzerHarness.h"
#include "ExpectedText.h"

namespace {

template <size_t N>
void SetText(char (&field)[N], const char* text) {
    size_t n = strnlen(text, N);
    memcpy(field, text, n);
    if (n < N) field[n] = '\0';
}

void FillSampleIdentity(TW_IDENTITY* p) {
    p->Id = nullptr;
    p->Version.MajorNum = 1;
    p->Version.MinorNum = 0;
    p->Version.Language = TWLG_USA;
    p->Version.Country = TWCY_USA;
    SetText(p->Version.Info, "1.0 sample");
    p->ProtocolMajor = 2;
    p->ProtocolMinor = 1;
    p->SupportedGroups = 536870915;
    SetText(p->Manufacturer, "Sample Maker");
    SetText(p->ProductFamily, "Sample Family");
    SetText(p->ProductName, "Sample Scanner");
}

// ---- Identities ------------------------------------------------------------

TEST(IdentityRender, OpenDsmShowsTheOriginIdentityUnderItsOwnHeading) {
    CGuarded<TW_IDENTITY> origin;
    FillSampleIdentity(origin.get());
    CAnalyzerHarness h(2);
    std::string text = h.Params(DG_CONTROL, DAT_PARENT, MSG_OPENDSM, nullptr, TWRC_SUCCESS, origin.get());
    EXPECT_EQ(text, ResultLines("TWRC_SUCCESS", nullptr) +
                        "  pOrigin:TW_IDENTITY = {\r\n"
                        "    Id              = [0]\r\n"
                        "    Version         =\r\n"
                        "    TW_VERSION = {\r\n"
                        "      MajorNum = [1]\r\n"
                        "      MinorNum = [0]\r\n"
                        "      Language = [TWLG_USA]\r\n"
                        "      Country  = [TWCY_USA]\r\n"
                        "      Info     = [1.0 sample]\r\n"
                        "    }\r\n"
                        "    ProtocolMajor   = [2]\r\n"
                        "    ProtocolMinor   = [1]\r\n"
                        "    SupportedGroups = [536870915]\r\n"
                        "    Manufacturer    = [Sample Maker]\r\n"
                        "    ProductFamily   = [Sample Family]\r\n"
                        "    ProductName     = [Sample Scanner]\r\n"
                        "  }\r\n" +
                        StateLine(3));
}

TEST(IdentityRender, GetShowsTheDataIdentityWithItsIdAsASignedNumber) {
    CGuarded<TW_IDENTITY> identity;
    FillSampleIdentity(identity.get());
    identity->Id = reinterpret_cast<TW_MEMREF>(uintptr_t{0x123456789});
    identity->SupportedGroups = 0xFFFFFFFF;
    identity->ProtocolMajor = 0xFFFF;
    CAnalyzerHarness h(4);
    std::string text = h.Params(DG_CONTROL, DAT_IDENTITY, MSG_GET, identity.get(), TWRC_SUCCESS);
    EXPECT_EQ(text, ResultLines("TWRC_SUCCESS", identity.get()) +
                        "  TW_IDENTITY = {\r\n"
                        "    Id              = [4886718345]\r\n"
                        "    Version         =\r\n"
                        "    TW_VERSION = {\r\n"
                        "      MajorNum = [1]\r\n"
                        "      MinorNum = [0]\r\n"
                        "      Language = [TWLG_USA]\r\n"
                        "      Country  = [TWCY_USA]\r\n"
                        "      Info     = [1.0 sample]\r\n"
                        "    }\r\n"
                        "    ProtocolMajor   = [65535]\r\n"
                        "    ProtocolMinor   = [1]\r\n"
                        "    SupportedGroups = [4294967295]\r\n"
                        "    Manufacturer    = [Sample Maker]\r\n"
                        "    ProductFamily   = [Sample Family]\r\n"
                        "    ProductName     = [Sample Scanner]\r\n"
                        "  }\r\n" +
                        StateLine(4));
}

TEST(IdentityRender, HeadingFollowsTheMessageWhateverTheDat) {
    TW_IDENTITY identity{};
    identity.Id = reinterpret_cast<TW_MEMREF>(intptr_t{-1});
    CAnalyzerHarness h;
    std::string text = h.Rendered([&](CParaAnalyze& a) {
        a.m_DAT = DAT_IDENTITY;
        a.m_MSG = MSG_OPENDSM;
        a.TwIdentityAnalyze(&identity);
    });
    EXPECT_EQ(text,
              "  pOrigin:TW_IDENTITY = {\r\n"
              "    Id              = [-1]\r\n"
              "    Version         =\r\n"
              "    TW_VERSION = {\r\n"
              "      MajorNum = [0]\r\n"
              "      MinorNum = [0]\r\n"
              "      Language = [TWLG_DAN]\r\n"
              "      Country  = [ERROR!(0)]\r\n"
              "      Info     = []\r\n"
              "    }\r\n"
              "    ProtocolMajor   = [0]\r\n"
              "    ProtocolMinor   = [0]\r\n"
              "    SupportedGroups = [0]\r\n"
              "    Manufacturer    = []\r\n"
              "    ProductFamily   = []\r\n"
              "    ProductName     = []\r\n"
              "  }\r\n");
}

struct VersionCase {
    TW_UINT16 language;
    TW_UINT16 country;
    const char* languageLine;
    const char* countryLine;
};

class VersionRender : public ::testing::TestWithParam<VersionCase> {};

// Where two names share a value the earlier row wins; TWLG_USERLOCALE (-1) never
// matches the unsigned field.
TEST_P(VersionRender, NamesLanguageAndCountry) {
    const VersionCase& c = GetParam();
    TW_VERSION version{};
    version.MajorNum = 0xFFFF;
    version.MinorNum = 10;
    version.Language = c.language;
    version.Country = c.country;
    SetText(version.Info, "v");
    CAnalyzerHarness h;
    std::string text = h.Rendered([&](CParaAnalyze& a) { a.TwVersionAnalyze(&version); });
    EXPECT_EQ(text, std::string("    TW_VERSION = {\r\n"
                                    "      MajorNum = [65535]\r\n"
                                    "      MinorNum = [10]\r\n") +
                            c.languageLine + c.countryLine +
                            "      Info     = [v]\r\n"
                            "    }\r\n");
}

INSTANTIATE_TEST_SUITE_P(
    Lookups, VersionRender,
    ::testing::Values(
        VersionCase{13, 1, "      Language = [TWLG_USA]\r\n", "      Country  = [TWCY_USA]\r\n"},
        VersionCase{2, 2, "      Language = [TWLG_ENG]\r\n", "      Country  = [TWCY_CANADA]\r\n"},
        VersionCase{0xFFFF, 4, "      Language = [ERROR!(65535)]\r\n", "      Country  = [ERROR!(4)]\r\n"},
        VersionCase{0, 0xFFFF, "      Language = [TWLG_DAN]\r\n", "      Country  = [ERROR!(65535)]\r\n"}));

// ---- Events -----------------------------------------------------------------

TEST(EventRender, ProcessEventThatClaimsAnXferReadyShowsTheEvent) {
    CGuarded<TW_EVENT> event;
    event->pEvent = reinterpret_cast<TW_MEMREF>(uintptr_t{0x00007FFF5FBFF8A0});
    event->TWMessage = MSG_XFERREADY;
    CAnalyzerHarness h(5);
    std::string text = h.Params(DG_CONTROL, DAT_EVENT, MSG_PROCESSEVENT, event.get(), TWRC_DSEVENT);
    EXPECT_EQ(text, ResultLines("TWRC_DSEVENT", event.get()) +
                        "  TW_EVENT = {\r\n"
                        "    pEvent    = <0x5fbff8a0>\r\n"
                        "    TWMessage = [MSG_XFERREADY]\r\n"
                        "  }\r\n" +
                        StateLine(6));
}

struct EventCase {
    TW_UINT16 message;
    const char* messageLine;
};

class EventRender : public ::testing::TestWithParam<EventCase> {};

// Messages from 0x8001 up are the vendor's.
TEST_P(EventRender, NamesTheMessage) {
    TW_EVENT event{};
    event.pEvent = reinterpret_cast<TW_MEMREF>(uintptr_t{0x1234});
    event.TWMessage = GetParam().message;
    CAnalyzerHarness h;
    std::string text = h.Rendered([&](CParaAnalyze& a) { a.TwEventAnalyze(&event); });
    EXPECT_EQ(text, std::string("  TW_EVENT = {\r\n"
                                    "    pEvent    = <0x00001234>\r\n") +
                            GetParam().messageLine + "  }\r\n");
}

INSTANTIATE_TEST_SUITE_P(Messages, EventRender,
                         ::testing::Values(EventCase{MSG_CLOSEDSREQ, "    TWMessage = [MSG_CLOSEDSREQ]\r\n"},
                                           EventCase{0x8000, "    TWMessage = [MSG_CUSTOMBASE]\r\n"},
                                           EventCase{0x8001, "    TWMessage = [MSG_KQ_TIMERRESET]\r\n"},
                                           EventCase{0x8002, "    TWMessage = [MSG_KQ_XFERREQUEST]\r\n"},
                                           EventCase{0x8003, "    TWMessage = [ERROR!(32771)]\r\n"},
                                           EventCase{0x0999, "    TWMessage = [ERROR!(2457)]\r\n"}));

TEST(EventRender, AnEventWithoutAMessageIsSilent) {
    TW_EVENT event{};
    event.pEvent = reinterpret_cast<TW_MEMREF>(uintptr_t{0x1234});
    event.TWMessage = MSG_NULL;
    CAnalyzerHarness h;
    std::string text = h.Rendered([&](CParaAnalyze& a) { a.TwEventAnalyze(&event); });
    EXPECT_EQ(text, "");
}

// ---- User interface, transfers, status, custom data -------------------------

TEST(UserInterfaceRender, EnableShowsTheFlagsAndTheParentAddress) {
    CGuarded<TW_USERINTERFACE> ui;
    ui->ShowUI = 2;
    ui->ModalUI = 0;
    ui->hParent = nullptr;
    CAnalyzerHarness h(4);
    std::string text = h.Params(DG_CONTROL, DAT_USERINTERFACE, MSG_ENABLEDS, ui.get(), TWRC_SUCCESS);
    EXPECT_EQ(text, ResultLines("TWRC_SUCCESS", ui.get()) +
                        "  TW_USERINTERFACE = {\r\n"
                        "    ShowUI  = [true]\r\n"
                        "    ModalUI = [false]\r\n"
                        "    hParent = <0x00000000>\r\n"
                        "  }\r\n" +
                        StateLine(5));
}

TEST(PendingXfersRender, EndXferShowsAnUnknownCountAsMinusOne) {
    CGuarded<TW_PENDINGXFERS> pending;
    pending->Count = 0xFFFF;
    pending->EOJ = 0xFFFFFFFF;
    CAnalyzerHarness h(6);
    std::string text = h.Params(DG_CONTROL, DAT_PENDINGXFERS, MSG_ENDXFER, pending.get(), TWRC_SUCCESS);
    EXPECT_EQ(text, ResultLines("TWRC_SUCCESS", pending.get()) +
                        "  TW_PENDINGXFERS = {\r\n"
                        "    Count = [-1]\r\n"
                        "    EOJ   = [4294967295]\r\n"
                        "  }\r\n" +
                        StateLine(6));
}

TEST(SetupMemXferRender, ShowsTheSizesUnsigned) {
    CGuarded<TW_SETUPMEMXFER> setup;
    setup->MinBufSize = 16384;
    setup->MaxBufSize = 0xFFFFFFFF;
    setup->Preferred = 65536;
    CAnalyzerHarness h(6);
    std::string text = h.Params(DG_CONTROL, DAT_SETUPMEMXFER, MSG_GET, setup.get(), TWRC_SUCCESS);
    EXPECT_EQ(text, ResultLines("TWRC_SUCCESS", setup.get()) +
                        "  TW_SETUPMEMXFER = {\r\n"
                        "    MinBufSize = [16384]\r\n"
                        "    MaxBufSize = [4294967295]\r\n"
                        "    Preferred  = [65536]\r\n"
                        "  }\r\n" +
                        StateLine(6));
}

TEST(SetupFileXferRender, ShowsFileNameFormatAndVolume) {
    CGuarded<TW_SETUPFILEXFER> setup;
    SetText(setup->FileName, "/tmp/scan 1.tif");
    setup->Format = TWFF_TIFF;
    setup->VRefNum = -1;
    CAnalyzerHarness h(4);
    std::string text = h.Params(DG_CONTROL, DAT_SETUPFILEXFER, MSG_SET, setup.get(), TWRC_SUCCESS);
    EXPECT_EQ(text, ResultLines("TWRC_SUCCESS", setup.get()) +
                        "  TW_SETUPFILEXFER = {\r\n"
                        "    FileName = [/tmp/scan 1.tif]\r\n"
                        "    Format   = [TWFF_TIFF]\r\n"
                        "    VRefNum  = [-1]\r\n"
                        "  }\r\n" +
                        StateLine(4));
}

TEST(StatusRender, ShowsTheConditionCode) {
    CGuarded<TW_STATUS> status;
    status->ConditionCode = TWCC_SEQERROR;
    status->Reserved = 0x1234;
    CAnalyzerHarness h(4);
    std::string text = h.Params(DG_CONTROL, DAT_STATUS, MSG_GET, status.get(), TWRC_SUCCESS);
    EXPECT_EQ(text, ResultLines("TWRC_SUCCESS", status.get()) +
                        "  TW_STATUS = {\r\n"
                        "    ConditionCode = [TWCC_SEQERROR]\r\n"
                        "  }\r\n" +
                        StateLine(4));
}

struct StatusCase {
    TW_UINT16 code;
    const char* line;
};

class StatusRender : public ::testing::TestWithParam<StatusCase> {};

TEST_P(StatusRender, NamesTheCode) {
    TW_STATUS status{};
    status.ConditionCode = GetParam().code;
    CAnalyzerHarness h;
    std::string text = h.Rendered([&](CParaAnalyze& a) { a.TwStatusAnalyze(&status); });
    EXPECT_EQ(text, std::string("  TW_STATUS = {\r\n") + GetParam().line + "  }\r\n");
}

INSTANTIATE_TEST_SUITE_P(Codes, StatusRender,
                         ::testing::Values(StatusCase{0x8000, "    ConditionCode = [TWCC_CUSTOMBASE]\r\n"},
                                           StatusCase{0, "    ConditionCode = [TWCC_SUCCESS]\r\n"},
                                           StatusCase{7, "    ConditionCode = [ERROR!(7)]\r\n"},
                                           StatusCase{8, "    ConditionCode = [ERROR!(8)]\r\n"},
                                           StatusCase{23, "    ConditionCode = [TWCC_CHECKDEVICEONLINE]\r\n"}));

TEST(CustomDsDataRender, ShowsTheLengthSignedAndTheHandleAsAnAddress) {
    CGuarded<TW_CUSTOMDSDATA> custom;
    custom->InfoLength = 0xFFFFFFFF;
    custom->hData = reinterpret_cast<TW_HANDLE>(uintptr_t{0x00007FFF5FBFF8A0});
    CAnalyzerHarness h(4);
    std::string text = h.Params(DG_CONTROL, DAT_CUSTOMDSDATA, MSG_GET, custom.get(), TWRC_SUCCESS);
    EXPECT_EQ(text, ResultLines("TWRC_SUCCESS", custom.get()) +
                        "  TW_CUSTOMDSDATA = {\r\n"
                        "    InfoLength = [-1]\r\n"
                        "    hData      = <0x5fbff8a0>\r\n"
                        "  }\r\n" +
                        StateLine(4));
}

// ---- The single values of the group and native transfer triplets ------------

TEST(Uint32Render, XferGroupShowsTheGroupMaskReadAsFourBytes) {
    // Four bytes and then the guard page: an eight-byte read would crash.
    CGuardedBlock mask(sizeof(TW_UINT32), alignof(TW_UINT32));
    *mask.as<TW_UINT32>() = DG_CONTROL | DG_IMAGE;
    CAnalyzerHarness h(4);
    std::string text = h.Params(DG_CONTROL, DAT_XFERGROUP, MSG_GET, mask.data(), TWRC_SUCCESS);
    EXPECT_EQ(text, ResultLines("TWRC_SUCCESS", mask.data()) +
                        "  TW_UINT32 = {\r\n"
                        "    Item = <0x00000003>\r\n"
                        "  }\r\n" +
                        StateLine(4));
}

TEST(Uint32Render, ImageNativeXferShowsTheImageHandle) {
    CGuarded<TW_HANDLE> handle;
    *handle.get() = reinterpret_cast<TW_HANDLE>(uintptr_t{0x00007FFF5FBFF8A0});
    CAnalyzerHarness h(6);
    std::string text = h.Params(DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, handle.get(), TWRC_XFERDONE);
    EXPECT_EQ(text, ResultLines("TWRC_XFERDONE", handle.get()) +
                        "  TW_UINT32 = {\r\n"
                        "    Item = <0x5fbff8a0>\r\n"
                        "  }\r\n" +
                        StateLine(7));
}

TEST(Uint32Render, NullDataPointerGivesNoBlock) {
    CAnalyzerHarness h(4);
    std::string text = h.Params(DG_CONTROL, DAT_XFERGROUP, MSG_GET, nullptr, TWRC_SUCCESS);
    EXPECT_EQ(text, ResultLines("TWRC_SUCCESS", nullptr) + StateLine(4));
}

// ---- TW_MEMORY --------------------------------------------------------------

struct MemoryCase {
    TW_MEMORY memory;
    const char* expected;
};

class MemoryRender : public ::testing::TestWithParam<MemoryCase> {};

TEST_P(MemoryRender, ShowsFlagsLengthAndAddress) {
    TW_MEMORY memory = GetParam().memory;
    CAnalyzerHarness h;
    std::string text = h.Rendered([&](CParaAnalyze& a) { a.TwMemoryAnalyze(&memory); });
    EXPECT_EQ(text, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Blocks, MemoryRender,
    ::testing::Values(MemoryCase{{0x12, 64, reinterpret_cast<TW_MEMREF>(uintptr_t{0x1234})},
                                 "    TW_MEMORY = {\r\n"
                                 "      Flags  = [0x12]\r\n"
                                 "      Length = [64]\r\n"
                                 "      TheMem = <0x00001234>\r\n"
                                 "    }\r\n"},
                      MemoryCase{{0, 0, nullptr},
                                 "    TW_MEMORY = {\r\n"
                                 "      Flags  = [0x0]\r\n"
                                 "      Length = [0]\r\n"
                                 "      TheMem = <0x00000000>\r\n"
                                 "    }\r\n"},
                      MemoryCase{{0xFFFFFFFF, 0xFFFFFFFF, reinterpret_cast<TW_MEMREF>(~uintptr_t{0})},
                                 "    TW_MEMORY = {\r\n"
                                 "      Flags  = [0xffffffff]\r\n"
                                 "      Length = [4294967295]\r\n"
                                 "      TheMem = <0xffffffff>\r\n"
                                 "    }\r\n"}));

// ---- Null pointers ----------------------------------------------------------

struct NullCase {
    const char* renderer;
    std::function<void(CParaAnalyze&)> render;
};

class ControlNullRender : public ::testing::TestWithParam<NullCase> {};

TEST_P(ControlNullRender, AppendsNothing) {
    CAnalyzerHarness h;
    // The members that the identity heading and TwUint32 look at, set as a
    // triplet would leave them.
    std::string text = h.Rendered([&](CParaAnalyze& a) {
        a.m_MSG = MSG_OPENDSM;
        a.m_DAT = DAT_IMAGENATIVEXFER;
        GetParam().render(a);
    });
    EXPECT_EQ(text, "") << GetParam().renderer;
}

INSTANTIATE_TEST_SUITE_P(
    Renderers, ControlNullRender,
    ::testing::Values(NullCase{"Identity", [](CParaAnalyze& a) { a.TwIdentityAnalyze(nullptr); }},
                      NullCase{"Version", [](CParaAnalyze& a) { a.TwVersionAnalyze(nullptr); }},
                      NullCase{"Event", [](CParaAnalyze& a) { a.TwEventAnalyze(nullptr); }},
                      NullCase{"UserInterface", [](CParaAnalyze& a) { a.TwUserInterfaceAnalyze(nullptr); }},
                      NullCase{"PendingXfers", [](CParaAnalyze& a) { a.TwPendingXfersAnalyze(nullptr); }},
                      NullCase{"SetupMemXfer", [](CParaAnalyze& a) { a.TwSetupMemXferAnalyze(nullptr); }},
                      NullCase{"SetupFileXfer", [](CParaAnalyze& a) { a.TwSetupFileXferAnalyze(nullptr); }},
                      NullCase{"Status", [](CParaAnalyze& a) { a.TwStatusAnalyze(nullptr); }},
                      NullCase{"CustomDsData", [](CParaAnalyze& a) { a.TwCustomDsDataAnalyze(nullptr); }},
                      NullCase{"Uint32", [](CParaAnalyze& a) { a.TwUint32(nullptr); }},
                      NullCase{"Memory", [](CParaAnalyze& a) { a.TwMemoryAnalyze(nullptr); }}));

// ---- Bad memory at the end of a readable page -------------------------------

// Every string field filled to its last byte, and the padding behind the last one
// too, so that a read past any field runs into the guard page.
TEST(ControlBadInput, IdentityStringsWithoutNulAreCutAtTheirField) {
    CGuarded<TW_IDENTITY> identity;
    memset(identity.get(), 'x', sizeof(TW_IDENTITY));
    identity->Id = nullptr;
    identity->Version.MajorNum = 1;
    identity->Version.MinorNum = 2;
    identity->Version.Language = TWLG_USA;
    identity->Version.Country = TWCY_USA;
    identity->ProtocolMajor = 2;
    identity->ProtocolMinor = 4;
    identity->SupportedGroups = 3;
    const std::string field32(34, 'x');
    CAnalyzerHarness h;
    std::string text = h.Rendered([&](CParaAnalyze& a) {
        a.m_MSG = MSG_GET;
        a.TwIdentityAnalyze(identity.get());
    });
    EXPECT_EQ(text, "  TW_IDENTITY = {\r\n"
                        "    Id              = [0]\r\n"
                        "    Version         =\r\n"
                        "    TW_VERSION = {\r\n"
                        "      MajorNum = [1]\r\n"
                        "      MinorNum = [2]\r\n"
                        "      Language = [TWLG_USA]\r\n"
                        "      Country  = [TWCY_USA]\r\n"
                        "      Info     = [" +
                            field32 +
                            "]\r\n"
                            "    }\r\n"
                            "    ProtocolMajor   = [2]\r\n"
                            "    ProtocolMinor   = [4]\r\n"
                            "    SupportedGroups = [3]\r\n"
                            "    Manufacturer    = [" +
                            field32 +
                            "]\r\n"
                            "    ProductFamily   = [" +
                            field32 +
                            "]\r\n"
                            "    ProductName     = [" +
                            field32 + "]\r\n  }\r\n");
}

// TW_VERSION ends with its string: the guard page stands right behind Info.
TEST(ControlBadInput, VersionInfoWithoutNulEndsAtTheGuardPage) {
    CGuarded<TW_VERSION> version;
    memset(version->Info, '7', sizeof(version->Info));
    CAnalyzerHarness h;
    std::string text = h.Rendered([&](CParaAnalyze& a) { a.TwVersionAnalyze(version.get()); });
    EXPECT_EQ(text, "    TW_VERSION = {\r\n"
                        "      MajorNum = [0]\r\n"
                        "      MinorNum = [0]\r\n"
                        "      Language = [TWLG_DAN]\r\n"
                        "      Country  = [ERROR!(0)]\r\n"
                        "      Info     = [" +
                            std::string(34, '7') + "]\r\n    }\r\n");
}

// Format 10 lies one past the table's last row, TWFF_EXIF.
TEST(ControlBadInput, FileNameWithoutNulShowsAll256Characters) {
    CGuarded<TW_SETUPFILEXFER> setup;
    memset(setup->FileName, 'f', sizeof(setup->FileName));
    setup->Format = 10;
    setup->VRefNum = -32768;
    CAnalyzerHarness h;
    std::string text = h.Rendered([&](CParaAnalyze& a) { a.TwSetupFileXferAnalyze(setup.get()); });
    EXPECT_EQ(text, "  TW_SETUPFILEXFER = {\r\n"
                        "    FileName = [" +
                            std::string(256, 'f') +
                            "]\r\n"
                            "    Format   = [ERROR!(10)]\r\n"
                            "    VRefNum  = [-32768]\r\n"
                            "  }\r\n");
}

// Addresses that point into the guard page: shown, and a dereference would crash.
TEST(ControlBadInput, PointedToMemoryIsShownAndNeverFollowed) {
    CGuarded<TW_EVENT> event;
    CGuarded<TW_USERINTERFACE> ui;
    CGuarded<TW_CUSTOMDSDATA> custom;
    CGuarded<TW_MEMORY> memory;
    unsigned char* unreadable = memory.data() + memory.size();
    event->pEvent = unreadable;
    event->TWMessage = MSG_XFERREADY;
    ui->hParent = reinterpret_cast<TW_HANDLE>(unreadable);
    custom->InfoLength = 0x7FFFFFFF;
    custom->hData = reinterpret_cast<TW_HANDLE>(unreadable);
    memory->Flags = 1;
    memory->Length = 0xFFFFFFFF;
    memory->TheMem = unreadable;
    CAnalyzerHarness h;
    std::string text = h.Rendered([&](CParaAnalyze& a) {
        a.TwEventAnalyze(event.get());
        a.TwUserInterfaceAnalyze(ui.get());
        a.TwCustomDsDataAnalyze(custom.get());
        a.TwMemoryAnalyze(memory.get());
    });
    const std::string address = PointerText(unreadable);
    EXPECT_EQ(text, "  TW_EVENT = {\r\n"
                        "    pEvent    = " +
                            address +
                            "\r\n"
                            "    TWMessage = [MSG_XFERREADY]\r\n"
                            "  }\r\n"
                            "  TW_USERINTERFACE = {\r\n"
                            "    ShowUI  = [false]\r\n"
                            "    ModalUI = [false]\r\n"
                            "    hParent = " +
                            address +
                            "\r\n"
                            "  }\r\n"
                            "  TW_CUSTOMDSDATA = {\r\n"
                            "    InfoLength = [2147483647]\r\n"
                            "    hData      = " +
                            address +
                            "\r\n"
                            "  }\r\n"
                            "    TW_MEMORY = {\r\n"
                            "      Flags  = [0x1]\r\n"
                            "      Length = [4294967295]\r\n"
                            "      TheMem = " +
                            address + "\r\n    }\r\n");
}

// A group mask directly in front of the guard page, read as TW_UINT32 whatever
// DAT the analyzer was left with other than the native transfer.
TEST(ControlBadInput, GroupMaskAtTheEndOfThePageIsReadAsFourBytes) {
    CGuardedBlock mask(sizeof(TW_UINT32), alignof(TW_UINT32));
    *mask.as<TW_UINT32>() = 0xFFFFFFFF;
    CAnalyzerHarness h;
    std::string text = h.Rendered([&](CParaAnalyze& a) {
        a.m_DAT = DAT_XFERGROUP;
        a.TwUint32(mask.data());
    });
    EXPECT_EQ(text, "  TW_UINT32 = {\r\n"
                        "    Item = <0xffffffff>\r\n"
                        "  }\r\n");
}

}  // namespace
