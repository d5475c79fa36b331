// The analyzer: turns each forwarded triplet into trace text. One process-global
// instance, g_cParaAnalyze, serves every call of DS_Entry, one call at a time.
#pragma once

#include <cstddef>
#include <cstdint>

#include "../TwainTypes.h"
#include "RecordText.h"
#include "TextFormat.h"

// Who made the call a record traces: the application through the manager into
// DS_Entry, or the source through the manager's entry point it was handed.
enum class CallSide : uint8_t { Application, Source };

class CParaAnalyze {
public:
    // Everything zero, the label "APP"; constexpr, so the global instance is
    // constant-initialised and exists before any load-time code of the image.
    constexpr CParaAnalyze()
        : m_pOrigin(nullptr),
          m_pDest(nullptr),
          m_DG(0),
          m_DAT(0),
          m_MSG(0),
          m_pData(nullptr),
          m_RC(0),
          m_pszText(nullptr),
          m_nTwainStatus(0),
          m_lCount(0),
          m_szLabel{'A', 'P', 'P'},
          m_side(CallSide::Application),
          m_bEnabling(false) {}

    void Init(const char* pszLabel);

    // Triplet line (the first of the two texts of a record).
    bool TripletAnalyze(TW_IDENTITY* pOrigin, TW_IDENTITY* pDest, unsigned int DG, unsigned short DAT,
                        unsigned short MSG, char* pData, CRecordText* pszText,
                        CallSide side = CallSide::Application);
    bool CreateStringOfTriplet();
    bool GetStringOfCapability(TW_CAPABILITY* pCap, char* pszOut, unsigned int size);

    // Parameter text: result lines, the structure, the state line.
    bool ParaAnalyze(TW_IDENTITY* pOrigin, TW_IDENTITY* pDest, unsigned int DG, unsigned short DAT,
                     unsigned short MSG, char* pData, unsigned short RC, CRecordText* pszText,
                     CallSide side = CallSide::Application);
    bool ResultMake();

    // TWAIN state tracker.
    int UpDateTwainStatus(unsigned int DG, unsigned short DAT, unsigned short MSG, char* pData,
                          CallSide side = CallSide::Application);
    int SetTwainStatus(int nStatus);
    void InitTwainStatus();
    int GetTwainStatus();

    // Dispatchers, one per DAT.
    bool DatNullAnalyze();
    bool DatCapabilityAnalyze();
    bool DatEventAnalyze();
    bool DatIdentityAnalyze();
    bool DatParentAnalyze();
    bool DatPendingXfersAnalyze();
    bool DatSetupMemXferAnalyze();
    bool DatSetupFileXferAnalyze();
    bool DatStatusAnalyze();
    bool DatUserInterfaceAnalyze();
    bool DatXferGroupAnalyze();
    bool DatTwunkIdentityAnalyze();
    bool DatCustomDsDataAnalyze();
    bool DatImageInfoAnalyze();
    bool DatImageLayoutAnalyze();
    bool DatImageMemXferAnalyze();
    bool DatImageNativeXferAnalyze();
    bool DatImageFileXferAnalyze();
    bool DatCieColorAnalyze();
    bool DatGrayResponseAnalyze();
    bool DatRgbResponseAnalyze();
    bool DatJpegCompressionAnalyze();
    bool DatPalette8Analyze();
    bool DatExtImageInfoAnalyze();
    bool DatKqAutoExposureAnalyze();
    bool DatKqRgbMatrixAnalyze();
    bool DatKqColorSmoothingAnalyze();
    bool DatKqEventAnalyze();
    bool DatHardwareInfoAnalyze();
    bool DatKqSkewInfoAnalyze();
    bool DatUnsharpMaskAnalyze();
    bool DatKqRedCorrectionMatrixAnalyze();
    bool DatKqTwainCallbackMsgAnalyze();
    bool DatKqSettingFrameAnalyze();
    bool DatKqUsmInfoAnalyze();
    bool DatDeviceEventAnalyze();
    bool DatFileSystemAnalyze();
    bool DatPassThruAnalyze();
    bool DatCallbackAnalyze();
    bool DatStatusUtf8Analyze();
    bool DatCallback2Analyze();
    bool DatMetricsAnalyze();
    bool DatTwainDirectAnalyze();
    bool DatFilterAnalyze();
    bool DatAudioInfoAnalyze();
    bool DatAudioNativeXferAnalyze();
    bool DatIccProfileAnalyze();
    bool DatImageMemFileXferAnalyze();
    bool DatEntryPointAnalyze();

    // Value formatting of capability items. itemBytes is how many bytes are
    // readable at pItem: nothing past them is read, whatever the type claims. A
    // text item is shown with its control characters escaped; kValueTextSize
    // bytes of output hold any item whole.
    void ValToStr(TW_UINT16 cap, TW_UINT16 itemType, const void* pItem, size_t itemBytes, char* pszOut,
                  size_t outSize);
    // The same text written to out, which has room for kValueTextSize characters,
    // without a NUL; returns its length. pItem is not null.
    size_t FormatValue(TW_UINT16 cap, TW_UINT16 itemType, const void* pItem, size_t itemBytes, char* out);
    // The text of a TW_UINT16 value of cap, as ValToCap gives it, written the same way.
    size_t FormatValueName(TW_UINT16 cap, TW_UINT16 value, char* out);
    // A 4-byte field shown as it lies, for values whose type is not read.
    void ValToWord(TW_UINT32 word, char* pszOut, size_t outSize);
    void ValToCap(TW_UINT16 cap, TW_UINT16 value, char* pszOut, size_t outSize);
    void MakeCapSupportedCaps(TW_UINT16 cap, char* pszOut, size_t outSize);

    // Capability containers. blockSize is the size of the handle's block that
    // holds the container: the renderers read nothing beyond it.
    bool TwCapabilityAnalyze(TW_CAPABILITY* p);
    bool TwContainerAnalyaze(TW_CAPABILITY* p);
    bool TwOneValueAnalyze(TW_UINT16 cap, TW_ONEVALUE* p, size_t blockSize);
    bool TwArrayAnalyze(TW_UINT16 cap, TW_ARRAY* p, size_t blockSize);
    bool TwEnumerationAnalyze(TW_UINT16 cap, TW_ENUMERATION* p, size_t blockSize);
    bool TwRangeAnalyze(TW_UINT16 cap, TW_RANGE* p, size_t blockSize);
    void MakeItemList(TW_UINT16 cap, TW_UINT16 itemType, TW_UINT32 numItems, const TW_UINT8* pItem,
                      size_t listBytes);

    // Control structures.
    bool TwIdentityAnalyze(TW_IDENTITY* p);
    bool TwVersionAnalyze(TW_VERSION* p);
    bool TwEventAnalyze(TW_EVENT* p);
    bool TwUserInterfaceAnalyze(TW_USERINTERFACE* p);
    bool TwPendingXfersAnalyze(TW_PENDINGXFERS* p);
    bool TwSetupMemXferAnalyze(TW_SETUPMEMXFER* p);
    bool TwSetupFileXferAnalyze(TW_SETUPFILEXFER* p);
    bool TwStatusAnalyze(TW_STATUS* p);
    bool TwStatusAnalyze(TW_STATUS* p, int indent);
    bool TwCustomDsDataAnalyze(TW_CUSTOMDSDATA* p);
    bool TwUint32(void* p);
    bool TwMemoryAnalyze(TW_MEMORY* p);

    // Image structures.
    bool TwImageInfoAnalyze(TW_IMAGEINFO* p);
    bool TwImageLayoutAnalyze(TW_IMAGELAYOUT* p);
    bool TwImageMemXferAnalyze(TW_IMAGEMEMXFER* p);
    bool TwCieColorAnalyze(TW_CIECOLOR* p);
    bool TwGrayResponseAnalyze(TW_GRAYRESPONSE* p);
    bool TwRgbResponseAnalyze(TW_RGBRESPONSE* p);
    bool TwJpegCompressionAnalyze(TW_JPEGCOMPRESSION* p);
    bool TwPalette8Analyze(TW_PALETTE8* p);
    bool TwExtImageInfoAnalyze(TW_EXTIMAGEINFO* p);
    bool TwFrameAnalyze(TW_FRAME* p);
    bool TwElement8Analyze(TW_ELEMENT8* p);
    bool TwTransformStageAnalyze(TW_TRANSFORMSTAGE* p);
    bool TwDecodeFunctionAnalyze(TW_DECODEFUNCTION* p);
    bool TwCiePointAnalyze(TW_CIEPOINT* p);
    bool TwInfoAnalyze(TW_INFO* p);

    // TWAIN 2 structures: the manager's entry points, callbacks, device events,
    // file systems, filters, metrics, pass-through, UTF-8 status, TWAIN Direct, audio.
    bool TwEntryPointAnalyze(TW_ENTRYPOINT* p);
    bool TwCallbackAnalyze(TW_CALLBACK* p);
    bool TwCallback2Analyze(TW_CALLBACK2* p);
    bool TwDeviceEventAnalyze(TW_DEVICEEVENT* p);
    bool TwFileSystemAnalyze(TW_FILESYSTEM* p);
    bool TwFilterAnalyze(TW_FILTER* p);
    bool TwFilterDescriptorAnalyze(TW_FILTER_DESCRIPTOR* p);
    bool TwMetricsAnalyze(TW_METRICS* p);
    bool TwPassThruAnalyze(TW_PASSTHRU* p);
    bool TwStatusUtf8Analyze(TW_STATUSUTF8* p);
    bool TwTwainDirectAnalyze(TW_TWAINDIRECT* p);
    bool TwAudioInfoAnalyze(TW_AUDIOINFO* p);

    // Vendor extension structures.
    bool TwKqAutoExposureAnalyze(TWKQ_AUTOEXPOSURE* p);
    bool TwKqRgbMatrixAnalyze(TWKQ_RGBMATRIX* p);
    bool TwKqColorSmoothingAnalyze(TWKQ_COLORSMOOTHING* p);
    bool TwKqEventAnalyze();
    bool TwHardwareInfoAnalyze(TWKQ_HARDWAREINFO* p);
    bool TwKqSkewInfoAnalyze(TWKQ_LOCATIONDATA* p);
    bool TwUnsharpMaskAnalyze(TWKQ_USMPARAM* p);
    bool TwKqRedCorrectionMatrixAnalyze();
    bool TwKqTwainCallbackMsgAnalyze();
    bool TwKqSettingFrameAnalyze(TWKQ_SETTINGFRAME* p);
    bool TwKqThresholdInfoAnalyze(TWKQ_THRESHOLDINFO* p);
    bool TwKqReviseBaseParamAnalyze(TWKQ_REVISEBASEPARM* p);
    bool TwKqUsmInfoAnalyze(TWKQ_USMINFO* p);
    void SetColorCoeffData(TW_FIX32* p);

    // Appending to the current record; nothing happens without one.
    void AppendText(const char* psz);
    void AppendFormat(const char* pszFormat, ...) TW_PRINTF_FORMAT(2, 3);

    TW_IDENTITY* m_pOrigin;
    TW_IDENTITY* m_pDest;
    TW_UINT32 m_DG;
    TW_UINT16 m_DAT;
    TW_UINT16 m_MSG;
    TW_MEMREF m_pData;
    TW_UINT16 m_RC;
    CRecordText* m_pszText;
    int32_t m_nTwainStatus;
    int64_t m_lCount;
    char m_szLabel[32];
    // The side of the current triplet; a source's records carry the label "DS".
    CallSide m_side;
    // An application's MSG_ENABLEDS from state 4 has been sent and has not yet
    // returned: the source counts itself enabled and may say MSG_XFERREADY.
    bool m_bEnabling;

private:
    void StoreTriplet(TW_IDENTITY* pOrigin, TW_IDENTITY* pDest, unsigned int DG, unsigned short DAT,
                      unsigned short MSG, char* pData, CRecordText* pszText, CallSide side);
    bool Dispatch();
};

extern CParaAnalyze g_cParaAnalyze;

struct MacroEntry;

// Which value name table belongs to which capability. Count is the number of
// rows of Values, its closing {"ERROR!", -1} row included; LongestName the length
// of its longest name. Each map ends with {-1, -1, nullptr}.
struct ValToCapEntry {
    int32_t Cap;
    int32_t Count;
    const MacroEntry* Values;
    int32_t LongestName;
};

// Capabilities up to 0x8000, and the vendor's above it.
extern const ValToCapEntry VALTOCAP[];
extern const ValToCapEntry VALTOCAPKQ[];

// Room for the text of any one value: a TW_STR255 with every character
// escaped, and one more.
inline constexpr size_t kValueTextSize = kShownCharBytes * sizeof(TW_STR255) + 1;

// Bytes that the data of every triplet with this DAT holds, by the structure the
// DAT exchanges; 0 for a DAT whose structure is not known.
size_t KnownDataBytes(TW_UINT16 dat);

// Bytes of one item of a TWTY_ type in a container; 0 for a type without a
// fixed size (above TWTY_STR255).
size_t ItemTypeBytes(TW_UINT16 itemType);

// The line end of every trace line, passed as the last "%s" of its format.
inline constexpr const char kCrLf[] = "\r\n";
