// Capability negotiation: the containers MSG_GET allocates, and what MSG_SET
// accepts and refuses.
#include <algorithm>

#include "DriverHarness.h"

namespace {

TEST(Capabilities, GetAnswersTheRightContainerWithItsItems) {
    const struct {
        TW_UINT16 cap, conType, itemType;
        std::vector<TW_UINT32> items;
        TW_UINT32 currentIndex, defaultIndex;
    } expected[] = {
        {CAP_XFERCOUNT, TWON_ONEVALUE, TWTY_INT16, {0xFFFF}, 0, 0},
        {CAP_UICONTROLLABLE, TWON_ONEVALUE, TWTY_BOOL, {1}, 0, 0},
        {ICAP_COMPRESSION, TWON_ENUMERATION, TWTY_UINT16, {TWCP_NONE}, 0, 0},
        {ICAP_XFERMECH, TWON_ENUMERATION, TWTY_UINT16, {TWSX_NATIVE, TWSX_FILE, TWSX_MEMORY}, 0, 0},
        {ICAP_PIXELTYPE, TWON_ENUMERATION, TWTY_UINT16, {TWPT_BW, TWPT_GRAY, TWPT_RGB}, 2, 2},
        {ICAP_BITDEPTH, TWON_ENUMERATION, TWTY_UINT16, {8, 16}, 0, 0},
        {ICAP_UNITS, TWON_ENUMERATION, TWTY_UINT16, {TWUN_INCHES, TWUN_CENTIMETERS, TWUN_PIXELS}, 0, 0},
        {ICAP_XRESOLUTION, TWON_ENUMERATION, TWTY_FIX32,
         {FixWord(75), FixWord(100), FixWord(150), FixWord(200), FixWord(300), FixWord(600)}, 4, 4},
        {ICAP_YRESOLUTION, TWON_ENUMERATION, TWTY_FIX32,
         {FixWord(75), FixWord(100), FixWord(150), FixWord(200), FixWord(300), FixWord(600)}, 4, 4},
        {CAP_KQ_VERSION, TWON_ONEVALUE, TWTY_UINT16, {0x0110}, 0, 0},
        {CAP_KQ_UIMODE, TWON_ENUMERATION, TWTY_UINT16,
         {TWKQ_UI_CONVENTIONAL, TWKQ_UI_ADVANCED, TWKQ_UI_SIMPLE, TWKQ_UI_DOCUMENT}, 1, 1},
        {ICAP_KQ_FILMTYPE, TWON_ENUMERATION, TWTY_UINT16,
         {TWKQ_FT_POSI, TWKQ_FT_NEGA, TWKQ_FT_REFLECTIVE, TWKQ_FT_REFLECTIVEDOCUMENT}, 2, 2},
        {ICAP_BRIGHTNESS, TWON_RANGE, TWTY_FIX32, {FixWord(-1000), FixWord(1000), FixWord(1), 0, 0}, 0, 0},
    };
    CDriver driver;
    driver.Open();
    for (const auto& e : expected) {
        SCOPED_TRACE(testing::Message() << std::hex << e.cap);
        Container c;
        ASSERT_EQ(driver.Capability(MSG_GET, e.cap, &c), TWRC_SUCCESS);
        EXPECT_EQ(c.conType, e.conType);
        EXPECT_EQ(c.itemType, e.itemType);
        EXPECT_EQ(c.items, e.items);
        EXPECT_EQ(c.currentIndex, e.currentIndex);
        EXPECT_EQ(c.defaultIndex, e.defaultIndex);
    }
}

TEST(Capabilities, FramesHoldOneLetterFrameInTheCurrentUnits) {
    struct Case {
        TW_UINT16 units;
        double right, bottom;
    } cases[] = {{TWUN_INCHES, 8.5, 11}, {TWUN_CENTIMETERS, 21.59, 27.94}, {TWUN_PIXELS, 2550, 3300}};
    for (const Case& k : cases) {
        CDriver driver;
        driver.Open();
        ASSERT_EQ(driver.SetOneValue16(ICAP_UNITS, TWTY_UINT16, k.units), TWRC_SUCCESS);
        Container c;
        ASSERT_EQ(driver.Capability(MSG_GET, ICAP_FRAMES, &c), TWRC_SUCCESS);
        EXPECT_EQ(c.conType, TWON_ENUMERATION);
        EXPECT_EQ(c.itemType, TWTY_FRAME);
        ASSERT_EQ(c.items.size(), 1u);
        TW_FRAME f;
        std::memcpy(&f, c.block.data() + 16, sizeof(f));
        auto value = [](TW_FIX32 fix) { return fix.Whole + fix.Frac / 65536.0; };
        EXPECT_EQ(value(f.Left) + value(f.Top), 0) << k.units;
        EXPECT_NEAR(value(f.Right), k.right, 1.0 / 65536) << k.units;
        EXPECT_NEAR(value(f.Bottom), k.bottom, 1.0 / 65536) << k.units;
    }
}

// Every id the driver lists answers MSG_GET, and every one it answers is listed.
TEST(Capabilities, SupportedCapsListsExactlyWhatIsAnswered) {
    CDriver driver;
    driver.Open();
    Container supported;
    ASSERT_EQ(driver.Capability(MSG_GET, CAP_SUPPORTEDCAPS, &supported), TWRC_SUCCESS);
    EXPECT_EQ(supported.conType, TWON_ARRAY);
    EXPECT_EQ(supported.itemType, TWTY_UINT16);
    std::vector<TW_UINT32> ids = supported.items;
    std::sort(ids.begin(), ids.end());
    const std::vector<TW_UINT32> expected = {CAP_XFERCOUNT,    ICAP_COMPRESSION,  ICAP_PIXELTYPE,     ICAP_UNITS,
                                             ICAP_XFERMECH,    CAP_SUPPORTEDCAPS, CAP_UICONTROLLABLE, CAP_DEVICEONLINE,
                                             ICAP_BRIGHTNESS,  ICAP_FRAMES,       ICAP_XRESOLUTION,   ICAP_YRESOLUTION,
                                             ICAP_BITDEPTH,    CAP_KQ_VERSION,    ICAP_KQ_FILMTYPE,   CAP_KQ_UIMODE};
    EXPECT_EQ(ids, expected);
    for (TW_UINT32 id : ids) EXPECT_EQ(driver.Capability(MSG_GET, static_cast<TW_UINT16>(id)), TWRC_SUCCESS) << id;
    const TW_UINT16 unlisted[] = {CAP_KQ_DUALIMAGE, ICAP_CONTRAST, 0, 0xFFFF};
    for (TW_UINT16 cap : unlisted) {
        EXPECT_EQ(driver.Capability(MSG_GET, cap), TWRC_FAILURE) << cap;
        EXPECT_EQ(driver.ConditionCode(), TWCC_CAPUNSUPPORTED) << cap;
    }
}

TEST(Capabilities, SetAcceptsOfferedValuesAndRefusesOthers) {
    const struct {
        const char* what;
        TW_UINT16 cap, itemType;
        TW_UINT32 value;
        TW_UINT16 conditionCode;  // TWCC_SUCCESS when accepted
        TW_UINT32 currentAfter;
    } cases[] = {
        {"memory transfer", ICAP_XFERMECH, TWTY_UINT16, TWSX_MEMORY, TWCC_SUCCESS, TWSX_MEMORY},
        {"unknown mechanism", ICAP_XFERMECH, TWTY_UINT16, 7, TWCC_BADVALUE, TWSX_NATIVE},
        {"mechanism as UINT32", ICAP_XFERMECH, TWTY_UINT32, TWSX_MEMORY, TWCC_BADVALUE, TWSX_NATIVE},
        {"gray", ICAP_PIXELTYPE, TWTY_UINT16, TWPT_GRAY, TWCC_SUCCESS, TWPT_GRAY},
        {"CMYK", ICAP_PIXELTYPE, TWTY_UINT16, TWPT_CMYK, TWCC_BADVALUE, TWPT_RGB},
        {"100 dpi", ICAP_XRESOLUTION, TWTY_FIX32, FixWord(100), TWCC_SUCCESS, FixWord(100)},
        {"100.5 dpi", ICAP_XRESOLUTION, TWTY_FIX32, FixWord(100, 0x8000), TWCC_BADVALUE, FixWord(300)},
        {"1200 dpi", ICAP_YRESOLUTION, TWTY_FIX32, FixWord(1200), TWCC_BADVALUE, FixWord(300)},
        {"brightness 250", ICAP_BRIGHTNESS, TWTY_FIX32, FixWord(250), TWCC_SUCCESS, FixWord(250)},
        {"brightness -1000", ICAP_BRIGHTNESS, TWTY_FIX32, FixWord(-1000), TWCC_SUCCESS, FixWord(-1000)},
        {"brightness 1001", ICAP_BRIGHTNESS, TWTY_FIX32, FixWord(1001), TWCC_BADVALUE, FixWord(0)},
        {"brightness -1001", ICAP_BRIGHTNESS, TWTY_FIX32, FixWord(-1001), TWCC_BADVALUE, FixWord(0)},
        {"brightness off step", ICAP_BRIGHTNESS, TWTY_FIX32, FixWord(2, 0x4000), TWCC_BADVALUE, FixWord(0)},
        {"one transfer", CAP_XFERCOUNT, TWTY_INT16, 1, TWCC_SUCCESS, 1},
        {"no transfer", CAP_XFERCOUNT, TWTY_INT16, 0, TWCC_BADVALUE, 0xFFFF},
        {"16 bits", ICAP_BITDEPTH, TWTY_UINT16, 16, TWCC_SUCCESS, 16},
        {"1 bit in RGB", ICAP_BITDEPTH, TWTY_UINT16, 1, TWCC_BADVALUE, 8},
        {"film type negative", ICAP_KQ_FILMTYPE, TWTY_UINT16, TWKQ_FT_NEGA, TWCC_SUCCESS, TWKQ_FT_NEGA},
        {"vendor version", CAP_KQ_VERSION, TWTY_UINT16, 0x0200, TWCC_CAPBADOPERATION, 0x0110},
        {"online", CAP_DEVICEONLINE, TWTY_BOOL, 0, TWCC_CAPBADOPERATION, 1},
    };
    for (const auto& k : cases) {
        CDriver driver;
        driver.Open();
        const TW_UINT16 rc = driver.SetOneValue32(k.cap, k.itemType, k.value);
        EXPECT_EQ(rc, k.conditionCode == TWCC_SUCCESS ? TWRC_SUCCESS : TWRC_FAILURE) << k.what;
        EXPECT_EQ(driver.ConditionCode(), k.conditionCode) << k.what;
        EXPECT_EQ(driver.CurrentWord(k.cap), k.currentAfter) << k.what;
    }
}

// The offered bit depths follow the pixel type; a depth the new type cannot
// deliver falls back to its first one.
TEST(Capabilities, BitDepthFollowsThePixelType) {
    CDriver driver;
    driver.Open();
    ASSERT_EQ(driver.SetOneValue16(ICAP_BITDEPTH, TWTY_UINT16, 16), TWRC_SUCCESS);
    ASSERT_EQ(driver.SetOneValue16(ICAP_PIXELTYPE, TWTY_UINT16, TWPT_GRAY), TWRC_SUCCESS);
    EXPECT_EQ(driver.CurrentWord(ICAP_BITDEPTH), 16u);
    ASSERT_EQ(driver.SetOneValue16(ICAP_PIXELTYPE, TWTY_UINT16, TWPT_BW), TWRC_SUCCESS);
    Container depths;
    ASSERT_EQ(driver.Capability(MSG_GET, ICAP_BITDEPTH, &depths), TWRC_SUCCESS);
    EXPECT_EQ(depths.items, std::vector<TW_UINT32>{1});
    EXPECT_EQ(depths.currentIndex, 0u);
    ASSERT_EQ(driver.Capability(MSG_RESET, ICAP_PIXELTYPE), TWRC_SUCCESS);
    EXPECT_EQ(driver.CurrentWord(ICAP_BITDEPTH), 8u);
}

// MSG_RESET restores the default and answers it; closing and opening again
// restores all of them.
TEST(Capabilities, ResetAndReopeningRestoreTheDefaults) {
    CDriver driver;
    driver.Open();
    ASSERT_EQ(driver.SetOneValue16(ICAP_BITDEPTH, TWTY_UINT16, 16), TWRC_SUCCESS);
    Container answer;
    ASSERT_EQ(driver.Capability(MSG_RESET, ICAP_BITDEPTH, &answer), TWRC_SUCCESS);
    EXPECT_EQ(answer.conType, TWON_ONEVALUE);
    EXPECT_EQ(answer.items, std::vector<TW_UINT32>{8});
    EXPECT_EQ(driver.CurrentWord(ICAP_BITDEPTH), 8u);

    for (TW_UINT16 readOnly : {CAP_SUPPORTEDCAPS, CAP_KQ_VERSION}) {
        EXPECT_EQ(driver.Capability(MSG_RESET, readOnly), TWRC_FAILURE);
        EXPECT_EQ(driver.ConditionCode(), TWCC_CAPBADOPERATION);
    }

    ASSERT_EQ(driver.SetOneValue16(ICAP_PIXELTYPE, TWTY_UINT16, TWPT_GRAY), TWRC_SUCCESS);
    TW_IDENTITY source{};
    ASSERT_EQ(driver.Control(DAT_IDENTITY, MSG_CLOSEDS, &source), TWRC_SUCCESS);
    driver.Open();
    EXPECT_EQ(driver.CurrentWord(ICAP_PIXELTYPE), TWPT_RGB);
}

TEST(Capabilities, QuerySupportTellsWhatCanBeSet) {
    CDriver driver;
    driver.Open();
    Container flags;
    ASSERT_EQ(driver.Capability(MSG_QUERYSUPPORT, ICAP_PIXELTYPE, &flags), TWRC_SUCCESS);
    EXPECT_EQ(flags.itemType, TWTY_INT32);
    EXPECT_EQ(flags.items, std::vector<TW_UINT32>{0x1F});
    ASSERT_EQ(driver.Capability(MSG_QUERYSUPPORT, CAP_KQ_VERSION, &flags), TWRC_SUCCESS);
    EXPECT_EQ(flags.items, std::vector<TW_UINT32>{0x0D});
}

// An enumeration of TWTY_UINT16 items whose head claims `count` items, the
// current one at `current`, as 16-bit words.
std::vector<TW_UINT16> Enumeration(TW_UINT32 count, TW_UINT32 current, std::vector<TW_UINT16> items) {
    std::vector<TW_UINT16> block = {TWTY_UINT16, 0, TW_UINT16(count), TW_UINT16(count >> 16), TW_UINT16(current),
                                    TW_UINT16(current >> 16), 0, 0};
    block.insert(block.end(), items.begin(), items.end());
    return block;
}

// An enumeration sets its current item and the application's container is left
// alone; containers that lie about themselves are refused without being read
// past their end.
TEST(Capabilities, SetTakesAnEnumerationsCurrentItemAndRefusesMalformedContainers) {
    CDriver driver;
    driver.Open();
    const std::vector<TW_UINT16> good = Enumeration(2, 1, {TWPT_RGB, TWPT_GRAY});
    CAppHandle container(good.data(), good.size() * 2);
    TW_CAPABILITY capability{ICAP_PIXELTYPE, TWON_ENUMERATION, container.get()};
    EXPECT_EQ(driver.Control(DAT_CAPABILITY, MSG_SET, &capability), TWRC_SUCCESS);
    EXPECT_EQ(driver.CurrentWord(ICAP_PIXELTYPE), TWPT_GRAY);
    EXPECT_EQ(capability.hContainer, container.get());

    const struct {
        const char* what;
        TW_UINT16 conType;
        std::vector<TW_UINT16> block;
    } cases[] = {
        {"one-value without its item", TWON_ONEVALUE, {TWTY_UINT16}},
        {"enumeration claiming 1000 items", TWON_ENUMERATION, Enumeration(1000, 0, {})},
        {"current index past the items", TWON_ENUMERATION, Enumeration(1, 1, {TWPT_GRAY})},
        {"absurd item count", TWON_ENUMERATION, Enumeration(0xFFFFFFFF, 0x7FFFFFFF, {TWPT_GRAY})},
        {"range", TWON_RANGE, {TWTY_UINT16, 0, TWPT_GRAY, 0}},
        {"array", TWON_ARRAY, {TWTY_UINT16, 0, TWPT_GRAY, 0}},
        {"unknown container type", 0x77, {TWTY_UINT16, 0, TWPT_GRAY, 0}},
    };
    for (const auto& k : cases) {
        CDriver fresh;
        fresh.Open();
        CAppHandle bad(k.block.data(), k.block.size() * 2);
        TW_CAPABILITY refused{ICAP_PIXELTYPE, k.conType, bad.get()};
        EXPECT_EQ(fresh.Control(DAT_CAPABILITY, MSG_SET, &refused), TWRC_FAILURE) << k.what;
        EXPECT_EQ(fresh.ConditionCode(), TWCC_BADVALUE) << k.what;
        EXPECT_EQ(fresh.CurrentWord(ICAP_PIXELTYPE), TWPT_RGB) << k.what;
    }
    char* notAHandleBlock = nullptr;
    for (Handle h : {Handle(nullptr), &notAHandleBlock}) {
        TW_CAPABILITY refused{ICAP_PIXELTYPE, TWON_ONEVALUE, h};
        EXPECT_EQ(driver.Control(DAT_CAPABILITY, MSG_SET, &refused), TWRC_FAILURE);
        EXPECT_EQ(driver.ConditionCode(), TWCC_BADVALUE);
    }
}

}  // namespace
