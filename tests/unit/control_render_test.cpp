// The control structures as the trace shows them: identities, events, the user
// interface request, transfer set-up and bookkeeping, status, custom data, the
// single values of the group and native transfer triplets, and TW_MEMORY.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "AnalyzerHarness.h"
#include "ExpectedText.h"
#include "GuardPage.h"

namespace {

const auto kFarAddress = reinterpret_cast<TW_HANDLE>(uintptr_t{0x00007FFF5FBFF8A0});

TW_IDENTITY SampleIdentity() {
    TW_IDENTITY identity{nullptr, {1, 0, TWLG_USA, TWCY_USA, {}}, 2, 1, 536870915, {}, {}, {}};
    SetText(identity.Version.Info, "1.0 sample");
    SetText(identity.Manufacturer, "Sample Maker");
    SetText(identity.ProductFamily, "Sample Family");
    SetText(identity.ProductName, "Sample Scanner");
    return identity;
}

// The block of SampleIdentity under the given heading, with the texts given.
std::string IdentityBlock(const std::string& heading, const std::string& info, const std::string& manufacturer,
                          const std::string& family, const std::string& product) {
    return Lines({"  " + heading + " = {",
                  "    Id              = [0]",
                  "    Version         =",
                  "    TW_VERSION = {",
                  "      MajorNum = [1]",
                  "      MinorNum = [0]",
                  "      Language = [TWLG_USA]",
                  "      Country  = [TWCY_USA]",
                  "      Info     = [" + info + "]",
                  "    }",
                  "    ProtocolMajor   = [2]",
                  "    ProtocolMinor   = [1]",
                  "    SupportedGroups = [536870915]",
                  "    Manufacturer    = [" + manufacturer + "]",
                  "    ProductFamily   = [" + family + "]",
                  "    ProductName     = [" + product + "]",
                  "  }"});
}

// ---- Identities ------------------------------------------------------------

TEST(IdentityRender, OpenDsmShowsTheOriginIdentityUnderItsOwnHeading) {
    CGuarded<TW_IDENTITY> origin(SampleIdentity());
    EXPECT_EQ(ParamsFrom(2, DG_CONTROL, DAT_PARENT, MSG_OPENDSM, nullptr, TWRC_SUCCESS, origin.get()),
              Around("TWRC_SUCCESS", nullptr,
                     IdentityBlock("pOrigin:TW_IDENTITY", "1.0 sample", "Sample Maker", "Sample Family",
                                   "Sample Scanner"),
                     3));
}

// The heading follows the message, whatever the DAT; Id is a signed number.
TEST(IdentityRender, GetShowsTheDataIdentityWithItsIdSignedAndItsNumbersUnsigned) {
    CGuarded<TW_IDENTITY> identity(SampleIdentity());
    identity->Id = reinterpret_cast<TW_MEMREF>(uintptr_t{0x123456789});
    identity->SupportedGroups = 0xFFFFFFFF;
    identity->ProtocolMajor = 0xFFFF;
    EXPECT_TRUE(HasLines(ParamsFrom(4, DG_CONTROL, DAT_IDENTITY, MSG_GET, identity.get(), TWRC_SUCCESS),
                         {"  TW_IDENTITY = {", "    Id              = [4886718345]", "    ProtocolMajor   = [65535]",
                          "    SupportedGroups = [4294967295]", "TWAIN Status = [4]"}));
    identity->Id = reinterpret_cast<TW_MEMREF>(intptr_t{-1});
    EXPECT_TRUE(HasLines(RenderedText([&](CParaAnalyze& a) {
                             a.m_DAT = DAT_IDENTITY;
                             a.m_MSG = MSG_OPENDSM;
                             a.TwIdentityAnalyze(identity.get());
                         }),
                         {"  pOrigin:TW_IDENTITY = {", "    Id              = [-1]"}));
}

// Texts that try to end their line, forge a record line or a failure bracket, or
// clear the reader's screen stay inside their field, escaped; the data is not
// changed.
TEST(IdentityRender, ControlCharactersInTheTextsAreEscaped) {
    TW_IDENTITY sent = SampleIdentity();
    SetText(sent.Version.Info, "1.0\tbeta\x7f");
    SetText(sent.Manufacturer, "Acme\r\n[00999] [APP] MSG_CLOSEDS");
    SetText(sent.ProductFamily, "\r\n*** Inspect Error Status End");
    SetText(sent.ProductName, "\x1b[2J\x1b[HScanner");
    CGuarded<TW_IDENTITY> identity(sent);
    CGuarded<TW_SETUPFILEXFER> setup(TW_SETUPFILEXFER{{}, TWFF_TIFF, 0});
    SetText(setup->FileName, "/tmp/scan\n001.tif");
    const TW_SETUPFILEXFER setupSent = *setup.get();

    EXPECT_EQ(ParamsFrom(3, DG_CONTROL, DAT_IDENTITY, MSG_GET, identity.get(), TWRC_SUCCESS),
              Around("TWRC_SUCCESS", identity.get(),
                     IdentityBlock("TW_IDENTITY", "1.0\\tbeta\\x7f", "Acme\\r\\n[00999] [APP] MSG_CLOSEDS",
                                   "\\r\\n*** Inspect Error Status End", "\\x1b[2J\\x1b[HScanner"),
                     3));
    EXPECT_TRUE(HasLines(RenderedText([&](CParaAnalyze& a) { a.TwSetupFileXferAnalyze(setup.get()); }),
                         {"    FileName = [/tmp/scan\\n001.tif]"}));
    EXPECT_EQ(memcmp(identity.get(), &sent, sizeof(sent)), 0);
    EXPECT_EQ(memcmp(setup.get(), &setupSent, sizeof(setupSent)), 0);
}

// Where two names share a value the earlier row wins; TWLG_USERLOCALE (-1) never
// matches the unsigned field.
TEST(VersionRender, NamesLanguageAndCountry) {
    const struct {
        TW_UINT16 language, country;
        const char *languageLine, *countryLine;
    } cases[] = {
        {13, 1, "      Language = [TWLG_USA]", "      Country  = [TWCY_USA]"},
        {2, 2, "      Language = [TWLG_ENG]", "      Country  = [TWCY_CANADA]"},
        {0xFFFF, 4, "      Language = [ERROR!(65535)]", "      Country  = [ERROR!(4)]"},
        {0, 0xFFFF, "      Language = [TWLG_DAN]", "      Country  = [ERROR!(65535)]"},
    };
    for (const auto& c : cases) {
        TW_VERSION version{0xFFFF, 10, c.language, c.country, {}};
        EXPECT_TRUE(HasLines(RenderedText([&](CParaAnalyze& a) { a.TwVersionAnalyze(&version); }),
                             {"      MajorNum = [65535]", "      MinorNum = [10]", c.languageLine, c.countryLine}));
    }
}

// ---- The other control DATs through the dispatch ---------------------------

TEST(ControlDispatch, EachDatShowsItsBlockAndTheStateAfterTheCall) {
    CGuarded<TW_EVENT> event(TW_EVENT{kFarAddress, MSG_XFERREADY});
    CGuarded<TW_USERINTERFACE> ui(TW_USERINTERFACE{2, 0, nullptr});
    CGuarded<TW_PENDINGXFERS> pending(TW_PENDINGXFERS{0xFFFF, 0xFFFFFFFF});
    CGuarded<TW_SETUPMEMXFER> memXfer(TW_SETUPMEMXFER{16384, 0xFFFFFFFF, 65536});
    CGuarded<TW_SETUPFILEXFER> fileXfer(TW_SETUPFILEXFER{{}, TWFF_TIFF, -1});
    SetText(fileXfer->FileName, "/tmp/scan 1.tif");
    CGuarded<TW_STATUS> status(TW_STATUS{TWCC_SEQERROR, 0x1234});
    CGuarded<TW_CUSTOMDSDATA> custom(TW_CUSTOMDSDATA{0xFFFFFFFF, kFarAddress});
    // Four bytes and then the guard page: an eight-byte read would crash.
    CGuarded<TW_UINT32> mask(DG_CONTROL | DG_IMAGE);
    CGuarded<TW_HANDLE> image(kFarAddress);
    const struct {
        int state;
        TW_UINT16 dat, msg;
        void* data;
        TW_UINT16 rc;
        const char* rcName;
        std::string block;
        int after;
    } cases[] = {
        {5, DAT_EVENT, MSG_PROCESSEVENT, event.get(), TWRC_DSEVENT, "TWRC_DSEVENT",
         Lines({"  TW_EVENT = {", "    pEvent    = <0x5fbff8a0>", "    TWMessage = [MSG_XFERREADY]", "  }"}), 6},
        {4, DAT_USERINTERFACE, MSG_ENABLEDS, ui.get(), TWRC_SUCCESS, "TWRC_SUCCESS",
         Lines({"  TW_USERINTERFACE = {", "    ShowUI  = [true]", "    ModalUI = [false]",
                "    hParent = <0x00000000>", "  }"}),
         5},
        // An unknown count (0xFFFF) reads as -1.
        {6, DAT_PENDINGXFERS, MSG_ENDXFER, pending.get(), TWRC_SUCCESS, "TWRC_SUCCESS",
         Lines({"  TW_PENDINGXFERS = {", "    Count = [-1]", "    EOJ   = [4294967295]", "  }"}), 6},
        {6, DAT_SETUPMEMXFER, MSG_GET, memXfer.get(), TWRC_SUCCESS, "TWRC_SUCCESS",
         Lines({"  TW_SETUPMEMXFER = {", "    MinBufSize = [16384]", "    MaxBufSize = [4294967295]",
                "    Preferred  = [65536]", "  }"}),
         6},
        {4, DAT_SETUPFILEXFER, MSG_SET, fileXfer.get(), TWRC_SUCCESS, "TWRC_SUCCESS",
         Lines({"  TW_SETUPFILEXFER = {", "    FileName = [/tmp/scan 1.tif]", "    Format   = [TWFF_TIFF]",
                "    VRefNum  = [-1]", "  }"}),
         4},
        {4, DAT_STATUS, MSG_GET, status.get(), TWRC_SUCCESS, "TWRC_SUCCESS",
         Lines({"  TW_STATUS = {", "    ConditionCode = [TWCC_SEQERROR]", "  }"}), 4},
        {4, DAT_CUSTOMDSDATA, MSG_GET, custom.get(), TWRC_SUCCESS, "TWRC_SUCCESS",
         Lines({"  TW_CUSTOMDSDATA = {", "    InfoLength = [-1]", "    hData      = <0x5fbff8a0>", "  }"}), 4},
        {4, DAT_XFERGROUP, MSG_GET, mask.get(), TWRC_SUCCESS, "TWRC_SUCCESS",
         Lines({"  TW_UINT32 = {", "    Item = <0x00000003>", "  }"}), 4},
        {6, DAT_IMAGENATIVEXFER, MSG_GET, image.get(), TWRC_XFERDONE, "TWRC_XFERDONE",
         Lines({"  TW_UINT32 = {", "    Item = <0x5fbff8a0>", "  }"}), 7},
    };
    for (const auto& c : cases) {
        TW_UINT32 dg = c.dat == DAT_IMAGENATIVEXFER ? DG_IMAGE : DG_CONTROL;
        EXPECT_EQ(ParamsFrom(c.state, dg, c.dat, c.msg, c.data, c.rc), Around(c.rcName, c.data, c.block, c.after))
            << c.dat;
    }
}

// ---- Names of messages and condition codes ---------------------------------

// Messages from 0x8001 up are the vendor's; an event without a message is silent.
TEST(EventRender, NamesTheMessage) {
    const struct {
        TW_UINT16 message;
        const char* line;
    } cases[] = {
        {MSG_CLOSEDSREQ, "    TWMessage = [MSG_CLOSEDSREQ]"}, {0x8000, "    TWMessage = [MSG_CUSTOMBASE]"},
        {0x8001, "    TWMessage = [MSG_KQ_TIMERRESET]"},      {0x8002, "    TWMessage = [MSG_KQ_XFERREQUEST]"},
        {0x8003, "    TWMessage = [ERROR!(32771)]"},          {0x0999, "    TWMessage = [ERROR!(2457)]"},
        {MSG_NULL, nullptr},
    };
    for (const auto& c : cases) {
        TW_EVENT event{reinterpret_cast<TW_MEMREF>(uintptr_t{0x1234}), c.message};
        std::string text = RenderedText([&](CParaAnalyze& a) { a.TwEventAnalyze(&event); });
        if (c.line) EXPECT_TRUE(HasLines(text, {"    pEvent    = <0x00001234>", c.line}));
        else EXPECT_EQ(text, "");
    }
}

TEST(StatusRender, NamesTheCode) {
    const struct {
        TW_UINT16 code;
        const char* line;
    } cases[] = {
        {0x8000, "    ConditionCode = [TWCC_CUSTOMBASE]"}, {0, "    ConditionCode = [TWCC_SUCCESS]"},
        {7, "    ConditionCode = [ERROR!(7)]"},          {8, "    ConditionCode = [ERROR!(8)]"},
        {23, "    ConditionCode = [TWCC_CHECKDEVICEONLINE]"},
    };
    for (const auto& c : cases) {
        TW_STATUS status{c.code, 0};
        EXPECT_TRUE(HasLines(RenderedText([&](CParaAnalyze& a) { a.TwStatusAnalyze(&status); }), {c.line}));
    }
}

// ---- Null pointers ----------------------------------------------------------

// The members that the identity heading and TwUint32 look at are set as a triplet
// would leave them.
TEST(ControlNullRender, AppendsNothing) {
    ExpectNothingRendered({
        [](CParaAnalyze& a) { a.m_MSG = MSG_OPENDSM, a.TwIdentityAnalyze(nullptr); },
        [](CParaAnalyze& a) { a.TwVersionAnalyze(nullptr); },
        [](CParaAnalyze& a) { a.TwEventAnalyze(nullptr); },
        [](CParaAnalyze& a) { a.TwUserInterfaceAnalyze(nullptr); },
        [](CParaAnalyze& a) { a.TwPendingXfersAnalyze(nullptr); },
        [](CParaAnalyze& a) { a.TwSetupMemXferAnalyze(nullptr); },
        [](CParaAnalyze& a) { a.TwSetupFileXferAnalyze(nullptr); },
        [](CParaAnalyze& a) { a.TwStatusAnalyze(nullptr); },
        [](CParaAnalyze& a) { a.TwCustomDsDataAnalyze(nullptr); },
        [](CParaAnalyze& a) { a.m_DAT = DAT_IMAGENATIVEXFER, a.TwUint32(nullptr); },
        [](CParaAnalyze& a) { a.TwMemoryAnalyze(nullptr); },
    });
}

// ---- Bad memory at the end of a readable page -------------------------------

// Every string filled to its last byte; in the identity the padding behind the
// last one too, so that a read past any field runs into the guard page. Format 10
// lies one past the table's last row, TWFF_EXIF.
TEST(ControlBadInput, StringsWithoutNulAreCutAtTheirField) {
    CGuarded<TW_IDENTITY> identity;
    memset(identity.get(), 'x', sizeof(TW_IDENTITY));
    CGuarded<TW_VERSION> version;
    memset(version->Info, '7', sizeof(version->Info));
    CGuarded<TW_SETUPFILEXFER> setup(TW_SETUPFILEXFER{{}, 10, -32768});
    memset(setup->FileName, 'f', sizeof(setup->FileName));
    const std::string x34 = "[" + std::string(34, 'x') + "]";
    EXPECT_TRUE(HasLines(RenderedText([&](CParaAnalyze& a) { a.TwIdentityAnalyze(identity.get()); }),
                         {"      Info     = " + x34, "    Manufacturer    = " + x34, "    ProductFamily   = " + x34,
                          "    ProductName     = " + x34, "  }"}));
    EXPECT_TRUE(HasLines(RenderedText([&](CParaAnalyze& a) { a.TwVersionAnalyze(version.get()); }),
                         {"      Info     = [" + std::string(34, '7') + "]"}));
    EXPECT_TRUE(HasLines(RenderedText([&](CParaAnalyze& a) { a.TwSetupFileXferAnalyze(setup.get()); }),
                         {"    FileName = [" + std::string(256, 'f') + "]", "    Format   = [ERROR!(10)]",
                          "    VRefNum  = [-32768]"}));
}

// Addresses that point into the guard page: shown, and a dereference would crash.
TEST(ControlBadInput, PointedToMemoryIsShownAndNeverFollowed) {
    CGuarded<TW_MEMORY> memory;
    unsigned char* unreadable = memory.data() + memory.size();
    *memory.get() = TW_MEMORY{1, 0xFFFFFFFF, unreadable};
    CGuarded<TW_EVENT> event(TW_EVENT{unreadable, MSG_XFERREADY});
    CGuarded<TW_USERINTERFACE> ui(TW_USERINTERFACE{0, 0, reinterpret_cast<TW_HANDLE>(unreadable)});
    CGuarded<TW_CUSTOMDSDATA> custom(TW_CUSTOMDSDATA{0x7FFFFFFF, reinterpret_cast<TW_HANDLE>(unreadable)});
    const std::string address = PointerText(unreadable);
    EXPECT_EQ(RenderedText([&](CParaAnalyze& a) {
                  a.TwEventAnalyze(event.get());
                  a.TwUserInterfaceAnalyze(ui.get());
                  a.TwCustomDsDataAnalyze(custom.get());
                  a.TwMemoryAnalyze(memory.get());
              }),
              Lines({"  TW_EVENT = {", "    pEvent    = " + address, "    TWMessage = [MSG_XFERREADY]", "  }",
                     "  TW_USERINTERFACE = {", "    ShowUI  = [false]", "    ModalUI = [false]",
                     "    hParent = " + address, "  }", "  TW_CUSTOMDSDATA = {", "    InfoLength = [2147483647]",
                     "    hData      = " + address, "  }", "    TW_MEMORY = {", "      Flags  = [0x1]",
                     "      Length = [4294967295]", "      TheMem = " + address, "    }"}));
}

}  // namespace
