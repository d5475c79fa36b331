// The structures TWAIN 2 added, as the trace shows them: entry points, callbacks,
// device events, file systems, filters, metrics, pass-through, UTF-8 status,
// TWAIN Direct and audio; what lies behind their handles, bounded by both the
// length fields and the handles' blocks.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "AnalyzerHarness.h"
#include "ExpectedText.h"
#include "GuardPage.h"
#include "MacHandle.h"

namespace {

template <typename T>
T AddressAs(uintptr_t address) {
    return reinterpret_cast<T>(address);
}

// A handle that the memory layer never made: it must not be opened.
const auto kForeignHandle = AddressAs<TW_HANDLE>(0x00007FFF5FBFF8A0);

TW_ENTRYPOINT SampleEntryPoint(TW_UINT32 size) {
    return TW_ENTRYPOINT{size,
                         AddressAs<DSMENTRYPROC>(0x7FFF00001000),
                         AddressAs<DSM_MEMALLOCATE>(0x7FFF00002000),
                         AddressAs<DSM_MEMFREE>(0x7FFF00003000),
                         AddressAs<DSM_MEMLOCK>(0x7FFF00004000),
                         AddressAs<DSM_MEMUNLOCK>(0x7FFF00005000)};
}

// ---- Whole records through the dispatch --------------------------------------

TEST(Twain2Dispatch, EachDatShowsItsWholeBlock) {
    CGuarded<TW_ENTRYPOINT> entry(SampleEntryPoint(sizeof(TW_ENTRYPOINT)));
    CGuarded<TW_CALLBACK> callback(TW_CALLBACK{AddressAs<TW_MEMREF>(0x1000), AddressAs<TW_MEMREF>(0x2000), MSG_XFERREADY});
    CGuarded<TW_CALLBACK2> callback2(TW_CALLBACK2{AddressAs<TW_MEMREF>(0x1000), 0xFEDCBA9876543210, -1});
    CGuarded<TW_DEVICEEVENT> event(TW_DEVICEEVENT{TWDE_PAPERJAM, {}, 0xFFFFFFFF, -3, TWPS_BATTERY, Fix32(300),
                                                  Fix32(600.5), TWFL_AUTO, 0, 1000, 250});
    SetText(event->DeviceName, "Sample Scanner");
    CGuarded<TW_FILESYSTEM> files;
    SetText(files->InputName, "/DCIM/100");
    files->Context = AddressAs<TW_MEMREF>(0x1234);
    files->Recursive = 1;
    files->FileType = TWFY_DIRECTORY;
    SetText(files->CreateTimeDate, "2026/12/08 14:00:00.000");
    files->FreeSpace = 0xFFFFFFFF;
    files->NewImageSize = -1;
    files->NumberOfFiles = 12;
    files->DeviceGroupMask = 3;
    CGuarded<TW_METRICS> metrics(TW_METRICS{sizeof(TW_METRICS), 7, 4});
    CGuarded<TW_PASSTHRU> pass(TW_PASSTHRU{AddressAs<TW_MEMREF>(0x3000), 6, TWDR_GET, AddressAs<TW_MEMREF>(0x4000),
                                           0xFFFFFFFF, 2});
    CGuarded<TW_AUDIOINFO> audio(TW_AUDIOINFO{{}, 0xFFFFFFFF});
    SetText(audio->Name, "memo\t1");
    CGuarded<TW_MEMORY> profile(TW_MEMORY{0x11, 3144, AddressAs<TW_MEMREF>(0x5000)});
    CGuarded<TW_HANDLE> sound(AddressAs<TW_HANDLE>(0x7FFF00006000));
    const struct {
        TW_UINT32 dg;
        TW_UINT16 dat, msg;
        void* data;
        std::string block;
    } cases[] = {
        {DG_CONTROL, DAT_ENTRYPOINT, MSG_SET, entry.get(),
         Lines({"  TW_ENTRYPOINT = {", "    Size            = [48]", "    DSM_Entry       = <0x00001000>",
                "    DSM_MemAllocate = <0x00002000>", "    DSM_MemFree     = <0x00003000>",
                "    DSM_MemLock     = <0x00004000>", "    DSM_MemUnlock   = <0x00005000>", "  }"})},
        {DG_CONTROL, DAT_CALLBACK, MSG_REGISTER_CALLBACK, callback.get(),
         Lines({"  TW_CALLBACK = {", "    CallBackProc = <0x00001000>", "    RefCon       = <0x00002000>",
                "    Message      = [MSG_XFERREADY]", "  }"})},
        {DG_CONTROL, DAT_CALLBACK2, MSG_REGISTER_CALLBACK, callback2.get(),
         Lines({"  TW_CALLBACK2 = {", "    CallBackProc = <0x00001000>", "    RefCon       = [0xfedcba9876543210]",
                "    Message      = [ERROR!(65535)]", "  }"})},
        {DG_CONTROL, DAT_DEVICEEVENT, MSG_GET, event.get(),
         Lines({"  TW_DEVICEEVENT = {", "    Event                  = [TWDE_PAPERJAM]",
                "    DeviceName             = [Sample Scanner]", "    BatteryMinutes         = [4294967295]",
                "    BatteryPercentage      = [-3]", "    PowerSupply            = [TWPS_BATTERY]",
                "    XResolution            = [300.000]", "    YResolution            = [600.500]",
                "    FlashUsed2             = [TWFL_AUTO]", "    AutomaticCapture       = [0]",
                "    TimeBeforeFirstCapture = [1000]", "    TimeBetweenCaptures    = [250]", "  }"})},
        {DG_CONTROL, DAT_FILESYSTEM, MSG_GETINFO, files.get(),
         Lines({"  TW_FILESYSTEM = {", "    InputName        = [/DCIM/100]", "    OutputName       = []",
                "    Context          = <0x00001234>", "    Recursive        = [1]",
                "    FileType         = [TWFY_DIRECTORY]", "    Size             = [0]",
                "    CreateTimeDate   = [2026/12/08 14:00:00.000]", "    ModifiedTimeDate = []",
                "    FreeSpace        = [4294967295]", "    NewImageSize     = [-1]", "    NumberOfFiles    = [12]",
                "    NumberOfSnippets = [0]", "    DeviceGroupMask  = [0x3]", "  }"})},
        {DG_CONTROL, DAT_METRICS, MSG_GET, metrics.get(),
         Lines({"  TW_METRICS = {", "    SizeOf     = [12]", "    ImageCount = [7]", "    SheetCount = [4]", "  }"})},
        {DG_CONTROL, DAT_PASSTHRU, MSG_PASSTHRU, pass.get(),
         Lines({"  TW_PASSTHRU = {", "    pCommand        = <0x00003000>", "    CommandBytes    = [6]",
                "    Direction       = [TWDR_GET]", "    pData           = <0x00004000>",
                "    DataBytes       = [4294967295]", "    DataBytesXfered = [2]", "  }"})},
        {DG_AUDIO, DAT_AUDIOINFO, MSG_GET, audio.get(),
         Lines({"  TW_AUDIOINFO = {", "    Name     = [memo\\t1]", "    Reserved = [4294967295]", "  }"})},
        {DG_AUDIO, DAT_AUDIONATIVEXFER, MSG_GET, sound.get(), Lines({"  TW_UINT32 = {", "    Item = <0x00006000>", "  }"})},
        {DG_IMAGE, DAT_ICCPROFILE, MSG_GET, profile.get(),
         Lines({"    TW_MEMORY = {", "      Flags  = [0x11]", "      Length = [3144]", "      TheMem = <0x00005000>",
                "    }"})},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ParamsFrom(4, c.dg, c.dat, c.msg, c.data, TWRC_SUCCESS), Around("TWRC_SUCCESS", c.data, c.block, 4))
            << c.dat;
    }
}

// The file transfer from memory shows the memory transfer's block.
TEST(Twain2Dispatch, ImageMemFileXferShowsTheMemoryTransfer) {
    CGuarded<TW_IMAGEMEMXFER> xfer;
    xfer->Compression = TWCP_NONE;
    xfer->BytesWritten = 4096;
    EXPECT_TRUE(HasLines(ParamsFrom(7, DG_IMAGE, DAT_IMAGEMEMFILEXFER, MSG_GET, xfer.get(), TWRC_SUCCESS),
                         {"  TW_IMAGEMEMXFER = {", "    Compression  = [TWCP_NONE]", "    BytesWritten = [4096]",
                          "      TheMem = <0x00000000>", "    }", "}"}));
}

// Names that no table holds, in every named field.
TEST(Twain2Render, UnknownConstantsShowTheirValue) {
    TW_DEVICEEVENT event{0x7FFF, {}, 0, 0, -1, {}, {}, 5, 0, 0, 0};
    TW_FILESYSTEM files{};
    files.FileType = 9;
    TW_PASSTHRU pass{nullptr, 0, 3, nullptr, 0, 0};
    EXPECT_TRUE(HasLines(RenderedText([&](CParaAnalyze& a) {
                             a.TwDeviceEventAnalyze(&event);
                             a.TwFileSystemAnalyze(&files);
                             a.TwPassThruAnalyze(&pass);
                         }),
                         {"    Event                  = [ERROR!(32767)]", "    PowerSupply            = [ERROR!(-1)]",
                          "    FlashUsed2             = [ERROR!(5)]", "    FileType         = [ERROR!(9)]",
                          "    Direction       = [ERROR!(3)]"}));
}

// ---- Bounded reads -------------------------------------------------------------

// The fields past Size are not read: the structure ends at the guard page where
// Size says it ends.
TEST(Twain2BadInput, AnEntryPointShorterThanItsStructureShowsWhatSizeCovers) {
    const struct {
        TW_UINT32 size;
        size_t blockBytes;
        std::vector<std::string> lines;
    } cases[] = {
        {4, 8, {"    Size            = [4]", "    !!! structure cut: Size is 4 bytes, TW_ENTRYPOINT needs 48.!!!"}},
        {15, 16, {"    Size            = [15]", "    !!! structure cut: Size is 15 bytes, TW_ENTRYPOINT needs 48.!!!"}},
        {24,
         24,
         {"    Size            = [24]", "    DSM_Entry       = <0x00001000>", "    DSM_MemAllocate = <0x00002000>",
          "    !!! structure cut: Size is 24 bytes, TW_ENTRYPOINT needs 48.!!!"}},
        {0xFFFFFFFF,
         48,
         {"    Size            = [4294967295]", "    DSM_Entry       = <0x00001000>",
          "    DSM_MemAllocate = <0x00002000>", "    DSM_MemFree     = <0x00003000>",
          "    DSM_MemLock     = <0x00004000>", "    DSM_MemUnlock   = <0x00005000>"}},
    };
    for (const auto& c : cases) {
        TW_ENTRYPOINT sent = SampleEntryPoint(c.size);
        CGuardedBlock block(c.blockBytes, 8);
        memcpy(block.data(), &sent, c.blockBytes);
        std::string expected = "  TW_ENTRYPOINT = {\r\n";
        for (const std::string& line : c.lines) expected += line + "\r\n";
        EXPECT_EQ(RenderedText([&](CParaAnalyze& a) { a.TwEntryPointAnalyze(block.as<TW_ENTRYPOINT>()); }),
                  expected + "  }\r\n")
            << c.size;
    }
}

// The text stops at its NUL, at Size, or at the handle's end, whichever comes
// first; control characters are escaped; a long text is cut where a value's text
// ends and says so. The handle is left as it was.
TEST(Twain2BadInput, TheUtf8StatusTextIsReadNoFurtherThanSizeAndItsHandle) {
    const std::string longText(2000, 'x');
    const struct {
        std::string stored;
        TW_UINT32 size;
        std::vector<std::string> lines;
    } cases[] = {
        {std::string("Paper jam\r\n", 12), 12, {"    Text       = [Paper jam\\r\\n]"}},
        {"abc", 1000, {"    Text       = [abc]"}},
        {std::string("abcdef", 7), 3, {"    Text       = [abc]"}},
        {"abc", 0, {"    Text       = []"}},
        {longText, 2001,
         {"    Text       = [" + std::string(1024, 'x') + "]", "    !!! text cut: 1024 of 2000 bytes shown.!!!"}},
    };
    for (const auto& c : cases) {
        CHandle h(c.stored);
        TW_STATUSUTF8 status{{TWCC_PAPERJAM, 0}, c.size, h.get()};
        std::string expected = Lines({"  TW_STATUSUTF8 = {", "    Status     =", "    TW_STATUS = {",
                                      "      ConditionCode = [TWCC_PAPERJAM]", "    }",
                                      "    Size       = [" + std::to_string(c.size) + "]",
                                      "    UTF8string = " + PointerText(h.get())});
        for (const std::string& line : c.lines) expected += line + "\r\n";
        EXPECT_EQ(RenderedText([&](CParaAnalyze& a) { a.TwStatusUtf8Analyze(&status); }), expected + "  }\r\n")
            << c.size;
        EXPECT_EQ(memcmp(*h.get(), c.stored.data(), c.stored.size()), 0);
    }
}

// A null handle and an empty one show no text, as a capability's container does;
// a handle the memory layer never made is said so and not opened.
TEST(Twain2BadInput, NullEmptyAndForeignHandlesAreNotRead) {
    CHandle empty(std::string{});
    const struct {
        TW_HANDLE handle;
        const char* textLine;
    } cases[] = {
        {nullptr, nullptr},
        {empty.get(), nullptr},
        {kForeignHandle, "    !!! UTF8string is not a live handle.!!!"},
    };
    for (const auto& c : cases) {
        TW_STATUSUTF8 status{{TWCC_SUCCESS, 0}, 100, c.handle};
        std::string text = RenderedText([&](CParaAnalyze& a) { a.TwStatusUtf8Analyze(&status); });
        std::string tail = "    UTF8string = " + PointerText(c.handle) + "\r\n";
        if (c.textLine) tail += std::string(c.textLine) + "\r\n";
        EXPECT_EQ(text.substr(text.size() - tail.size() - 5), tail + "  }\r\n");
    }
}

// The first sixteen bytes in hex, then how many the length and the handle allow.
TEST(Twain2BadInput, TwainDirectBuffersShowTheirFirstBytesAndLength) {
    const std::string command = "{\"commands\":[{}]}\n";
    CHandle send(command);
    CHandle four(std::string("\xde\xad\xbe\xef", 4));
    const struct {
        TW_HANDLE sendHandle;
        TW_UINT32 sendSize;
        TW_HANDLE receiveHandle;
        TW_UINT32 receiveSize;
        std::string sendLine, receiveLine;
    } cases[] = {
        {send.get(), static_cast<TW_UINT32>(command.size()), four.get(), 3,
         "    SendData             = [7b 22 63 6f 6d 6d 61 6e 64 73 22 3a 5b 7b 7d 5d ... (18 bytes)]",
         "    ReceiveData          = [de ad be (3 bytes)]"},
        {four.get(), 0xFFFFFFFF, send.get(), 0, "    SendData             = [de ad be ef (4 bytes)]",
         "    ReceiveData          = [(0 bytes)]"},
        {nullptr, 5, kForeignHandle, 5, "", "    !!! Receive is not a live handle.!!!"},
    };
    for (const auto& c : cases) {
        TW_TWAINDIRECT direct{sizeof(TW_TWAINDIRECT), 1, c.sendHandle, c.sendSize, c.receiveHandle, c.receiveSize};
        std::string expected = Lines({"  TW_TWAINDIRECT = {", "    SizeOf               = [40]",
                                      "    CommunicationManager = [1]", "    Send                 = " + PointerText(c.sendHandle),
                                      "    SendSize             = [" + std::to_string(c.sendSize) + "]"});
        if (!c.sendLine.empty()) expected += c.sendLine + "\r\n";
        expected += Lines({"    Receive              = " + PointerText(c.receiveHandle),
                           "    ReceiveSize          = [" + std::to_string(c.receiveSize) + "]", c.receiveLine, "  }"});
        EXPECT_EQ(RenderedText([&](CParaAnalyze& a) { a.TwTwainDirectAnalyze(&direct); }), expected);
    }
}

std::string DescriptorBlock(int index, TW_UINT32 first) {
    auto n = [&](int k) { return "[" + std::to_string(first + k) + "]"; };
    return Lines({"    Descriptor[" + std::to_string(index) + "]      =", "    TW_FILTER_DESCRIPTOR = {",
                  "      Size            = " + n(0), "      HueStart        = " + n(1), "      HueEnd          = " + n(2),
                  "      SaturationStart = " + n(3), "      SaturationEnd   = " + n(4), "      ValueStart      = " + n(5),
                  "      ValueEnd        = " + n(6), "      Replacement     = " + n(7), "    }"});
}

// As many descriptors as the count says and the handle's block holds.
TEST(Twain2BadInput, FilterDescriptorsStopAtTheirCountOrTheHandle) {
    TW_FILTER_DESCRIPTOR stored[2] = {{10, 11, 12, 13, 14, 15, 16, 17}, {20, 21, 22, 23, 24, 25, 26, 27}};
    CHandle two(stored, sizeof(stored));
    CHandle oneAndHalf(stored, sizeof(stored) - 16);
    const struct {
        TW_UINT32 count;
        TW_HANDLE handle;
        std::string items;
    } cases[] = {
        {2, two.get(), DescriptorBlock(0, 10) + DescriptorBlock(1, 20)},
        {1, two.get(), DescriptorBlock(0, 10)},
        {0, two.get(), ""},
        {1000000, oneAndHalf.get(),
         DescriptorBlock(0, 10) + "    !!! list cut: the block holds 1 of 1000000 descriptors.!!!\r\n"},
        {5, nullptr, ""},
        {5, kForeignHandle, "    !!! hDescriptors is not a live handle.!!!\r\n"},
    };
    for (const auto& c : cases) {
        TW_FILTER filter{sizeof(TW_FILTER), c.count, 8, 0, c.handle};
        EXPECT_EQ(RenderedText([&](CParaAnalyze& a) { a.TwFilterAnalyze(&filter); }),
                  Lines({"  TW_FILTER = {", "    Size               = [24]",
                         "    DescriptorCount    = [" + std::to_string(c.count) + "]", "    MaxDescriptorCount = [8]",
                         "    Condition          = [0]", "    hDescriptors       = " + PointerText(c.handle)}) +
                      c.items + "  }\r\n")
            << c.count;
    }
}

// Lengths of 0xFFFFFFFF and pointers into the guard page: shown, never followed.
TEST(Twain2BadInput, PassThroughBuffersAreNeverRead) {
    CGuarded<TW_PASSTHRU> pass;
    unsigned char* unreadable = pass.data() + pass.size();
    *pass.get() = TW_PASSTHRU{unreadable, 0xFFFFFFFF, TWDR_SET, unreadable, 0xFFFFFFFF, 0xFFFFFFFF};
    EXPECT_EQ(RenderedText([&](CParaAnalyze& a) { a.TwPassThruAnalyze(pass.get()); }),
              Lines({"  TW_PASSTHRU = {", "    pCommand        = " + PointerText(unreadable),
                     "    CommandBytes    = [4294967295]", "    Direction       = [TWDR_SET]",
                     "    pData           = " + PointerText(unreadable), "    DataBytes       = [4294967295]",
                     "    DataBytesXfered = [4294967295]", "  }"}));
}

TEST(Twain2NullRender, AppendsNothing) {
    ExpectNothingRendered({
        [](CParaAnalyze& a) { a.TwEntryPointAnalyze(nullptr); },
        [](CParaAnalyze& a) { a.TwCallbackAnalyze(nullptr); },
        [](CParaAnalyze& a) { a.TwCallback2Analyze(nullptr); },
        [](CParaAnalyze& a) { a.TwDeviceEventAnalyze(nullptr); },
        [](CParaAnalyze& a) { a.TwFileSystemAnalyze(nullptr); },
        [](CParaAnalyze& a) { a.TwFilterAnalyze(nullptr); },
        [](CParaAnalyze& a) { a.TwFilterDescriptorAnalyze(nullptr); },
        [](CParaAnalyze& a) { a.TwMetricsAnalyze(nullptr); },
        [](CParaAnalyze& a) { a.TwPassThruAnalyze(nullptr); },
        [](CParaAnalyze& a) { a.TwStatusUtf8Analyze(nullptr); },
        [](CParaAnalyze& a) { a.TwTwainDirectAnalyze(nullptr); },
        [](CParaAnalyze& a) { a.TwAudioInfoAnalyze(nullptr); },
    });
}

}  // namespace
