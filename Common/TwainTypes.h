// TWAIN 2.x types as each platform lays them out. macOS x86-64 (and Linux, which
// stands in for it): natural alignment, a pointer-sized identity Id and Mac memory
// handles. Windows: packed to 2 bytes, a 32-bit Id and global memory handles, and
// on i686 the standard's calling convention for every entry point. Every offset
// that a renderer reads is pinned per platform, so a layout slip fails the build
// instead of the trace.
#pragma once

#include <cstddef>
#include <cstdint>

#include "TwainConstants.h"

typedef int8_t TW_INT8;
typedef int16_t TW_INT16;
typedef int32_t TW_INT32;
typedef uint8_t TW_UINT8;
typedef uint16_t TW_UINT16;
typedef uint32_t TW_UINT32;
typedef uint16_t TW_BOOL;
typedef void* TW_MEMREF;
typedef uintptr_t TW_UINTPTR;
#if defined(_WIN32)
typedef void* TW_HANDLE;  // a global memory HANDLE
typedef TW_UINT32 TW_IDENTITY_ID;
#if defined(_WIN64)
#define TW_CALLINGSTYLE
#else
#define TW_CALLINGSTYLE __stdcall
#endif
// A module's exports are listed in its .def file.
#define TW_EXPORTED_ENTRY
// As the standard's header lays every structure out there.
#pragma pack(push, 2)
#else
typedef char** TW_HANDLE;  // a Mac memory handle
typedef TW_MEMREF TW_IDENTITY_ID;
#define TW_CALLINGSTYLE
#define TW_EXPORTED_ENTRY __attribute__((visibility("default")))
#endif

typedef char TW_STR32[34];
typedef char TW_STR64[66];
typedef char TW_STR128[130];
typedef char TW_STR255[256];
typedef char TW_STR1024[1026];
// Sixteen-bit code units: the item type's text as the standard's Unicode strings hold it.
typedef TW_UINT16 TW_UNI16;
typedef TW_UNI16 TW_UNI512[512];

struct TW_FIX32 {
    TW_INT16 Whole;
    TW_UINT16 Frac;
};

struct TW_FRAME {
    TW_FIX32 Left;
    TW_FIX32 Top;
    TW_FIX32 Right;
    TW_FIX32 Bottom;
};

struct TW_VERSION {
    TW_UINT16 MajorNum;
    TW_UINT16 MinorNum;
    TW_UINT16 Language;
    TW_UINT16 Country;
    TW_STR32 Info;
};

struct TW_IDENTITY {
    TW_IDENTITY_ID Id;
    TW_VERSION Version;
    TW_UINT16 ProtocolMajor;
    TW_UINT16 ProtocolMinor;
    TW_UINT32 SupportedGroups;
    TW_STR32 Manufacturer;
    TW_STR32 ProductFamily;
    TW_STR32 ProductName;
};

struct TW_EVENT {
    TW_MEMREF pEvent;
    TW_UINT16 TWMessage;
};

struct TW_USERINTERFACE {
    TW_BOOL ShowUI;
    TW_BOOL ModalUI;
    TW_HANDLE hParent;
};

struct TW_PENDINGXFERS {
    TW_UINT16 Count;
    TW_UINT32 EOJ;
};

struct TW_SETUPMEMXFER {
    TW_UINT32 MinBufSize;
    TW_UINT32 MaxBufSize;
    TW_UINT32 Preferred;
};

struct TW_SETUPFILEXFER {
    TW_STR255 FileName;
    TW_UINT16 Format;
    TW_INT16 VRefNum;
};

struct TW_STATUS {
    TW_UINT16 ConditionCode;
    TW_UINT16 Reserved;
};

struct TW_CUSTOMDSDATA {
    TW_UINT32 InfoLength;
    TW_HANDLE hData;
};

struct TW_MEMORY {
    TW_UINT32 Flags;
    TW_UINT32 Length;
    TW_MEMREF TheMem;
};

struct TW_CAPABILITY {
    TW_UINT16 Cap;
    TW_UINT16 ConType;
    TW_HANDLE hContainer;
};

struct TW_ONEVALUE {
    TW_UINT16 ItemType;
    TW_UINT32 Item;
};

struct TW_ARRAY {
    TW_UINT16 ItemType;
    TW_UINT32 NumItems;
    TW_UINT8 ItemList[1];
};

struct TW_ENUMERATION {
    TW_UINT16 ItemType;
    TW_UINT32 NumItems;
    TW_UINT32 CurrentIndex;
    TW_UINT32 DefaultIndex;
    TW_UINT8 ItemList[1];
};

struct TW_RANGE {
    TW_UINT16 ItemType;
    TW_UINT32 MinValue;
    TW_UINT32 MaxValue;
    TW_UINT32 StepSize;
    TW_UINT32 DefaultValue;
    TW_UINT32 CurrentValue;
};

struct TW_IMAGEINFO {
    TW_FIX32 XResolution;
    TW_FIX32 YResolution;
    TW_INT32 ImageWidth;
    TW_INT32 ImageLength;
    TW_INT16 SamplesPerPixel;
    TW_INT16 BitsPerSample[8];
    TW_INT16 BitsPerPixel;
    TW_BOOL Planar;
    TW_INT16 PixelType;
    TW_UINT16 Compression;
};

struct TW_IMAGELAYOUT {
    TW_FRAME Frame;
    TW_UINT32 DocumentNumber;
    TW_UINT32 PageNumber;
    TW_UINT32 FrameNumber;
};

struct TW_IMAGEMEMXFER {
    TW_UINT16 Compression;
    TW_UINT32 BytesPerRow;
    TW_UINT32 Columns;
    TW_UINT32 Rows;
    TW_UINT32 XOffset;
    TW_UINT32 YOffset;
    TW_UINT32 BytesWritten;
    TW_MEMORY Memory;
};

struct TW_JPEGCOMPRESSION {
    TW_UINT16 ColorSpace;
    TW_UINT32 SubSampling;
    TW_UINT16 NumComponents;
    TW_UINT16 RestartFrequency;
    TW_UINT16 QuantMap[4];
    TW_MEMORY QuantTable[4];
    TW_UINT16 HuffmanMap[4];
    TW_MEMORY HuffmanDC[2];
    TW_MEMORY HuffmanAC[2];
};

struct TW_ELEMENT8 {
    TW_UINT8 Index;
    TW_UINT8 Channel1;
    TW_UINT8 Channel2;
    TW_UINT8 Channel3;
};

struct TW_PALETTE8 {
    TW_UINT16 NumColors;
    TW_UINT16 PaletteType;
    TW_ELEMENT8 Colors[256];
};

struct TW_GRAYRESPONSE {
    TW_ELEMENT8 Response[1];
};

struct TW_RGBRESPONSE {
    TW_ELEMENT8 Response[1];
};

struct TW_DECODEFUNCTION {
    TW_FIX32 StartIn;
    TW_FIX32 BreakIn;
    TW_FIX32 EndIn;
    TW_FIX32 StartOut;
    TW_FIX32 BreakOut;
    TW_FIX32 EndOut;
    TW_FIX32 Gamma;
    TW_FIX32 SampleCount;
};

struct TW_TRANSFORMSTAGE {
    TW_DECODEFUNCTION Decode[3];
    TW_FIX32 Mix[3][3];
};

struct TW_CIEPOINT {
    TW_FIX32 X;
    TW_FIX32 Y;
    TW_FIX32 Z;
};

struct TW_CIECOLOR {
    TW_UINT16 ColorSpace;
    TW_INT16 LowEndian;
    TW_INT16 DeviceDependent;
    TW_INT32 VersionNumber;
    TW_TRANSFORMSTAGE StageABC;
    TW_TRANSFORMSTAGE StageLMN;
    TW_CIEPOINT WhitePoint;
    TW_CIEPOINT BlackPoint;
    TW_CIEPOINT WhitePaper;
    TW_CIEPOINT BlackInk;
    TW_FIX32 Samples[1];
};

struct TW_INFO {
    TW_UINT16 InfoID;
    TW_UINT16 ItemType;
    TW_UINT16 NumItems;
    TW_UINT16 CondCode;
    TW_UINT32 Item;
};

struct TW_EXTIMAGEINFO {
    TW_UINT32 NumInfos;
    TW_INFO Info[1];
};

// Vendor extension structures.

struct TWKQ_AUTOEXPOSURE {
    TW_UINT32 Handle;
    TW_INT16 Left;
    TW_INT16 Top;
    TW_INT16 Right;
    TW_INT16 Bottom;
    TW_UINT16 FilmType;
    TW_UINT16 PreScanGamma;
    TW_FIX32 ScreenGamma;
    TW_UINT16 GrayBalance;
};

struct TWKQ_RGBMATRIX {
    TW_FIX32 ColorCoeff[9];
};

struct TWKQ_COLORSMOOTHING {
    TW_UINT32 Handle;
    TW_UINT32 LeftX;
    TW_UINT32 LeftY;
    TW_UINT32 TopX;
    TW_UINT32 TopY;
    TW_UINT32 RightX;
    TW_UINT32 RightY;
    TW_UINT32 BottomX;
    TW_UINT32 BottomY;
    TW_UINT32 Reserved;
};

typedef TW_UINT8 TWKQ_PSTR32[34];  // length byte, then up to 33 characters

struct TWKQ_HARDWAREINFO {
    TW_UINT32 ModelID;
    TWKQ_PSTR32 ProductName;
    TWKQ_PSTR32 ModelName;
    TW_UINT32 OptXResolution;
    TW_UINT32 OptYResolution;
    TW_UINT32 MinResolution;
    TW_UINT32 MaxResolution;
    TW_UINT32 MaxMoireResolution;
    TW_UINT32 MaxPixelofWidth;
    TW_UINT32 PixelSizeofFB[2];
    TW_UINT32 PixelSizeofADF[2];
    TW_UINT32 PixelSizeofTPU[2];
    TW_UINT32 BitDepth;
    TW_UINT16 InterfaceSupport;
    TW_UINT32 CommandType;
    TW_UINT32 ConnectInterfaceType;
    TW_BOOL StandAloneModeSupport;
    TW_UINT16 Reserved[3];
    TW_BOOL FullAutoModeSupport;
    TW_BOOL SimpleModeSupport;
    TW_BOOL DocumentModeSupport;
    TW_BOOL AdvancedModeSupport;
    TW_BOOL ZLTSupport;
    TW_BOOL FIT3;
    TW_BOOL AutoLayoutSupportFB;
    TW_BOOL AutoLayoutSupportADF;
    TW_BOOL HalftoneSupport;
    TW_BOOL HTModeSupport;
    TW_BOOL HTDitherSupport;
    TW_BOOL HTAASSupport;
    TW_BOOL HTTETSupport;
    TW_UINT16 TableArrangement;
    TW_UINT16 OptionSupport;
    TW_UINT16 FocusSupport;
    TW_UINT32 FocusArea[2];
    TW_STR32 ProfileNameFB;
    TW_STR32 ProfileNameTPU;
    TW_FIX32 ColorCorrectionFB[9];
    TW_FIX32 ColorCorrectionPOSI[9];
    TW_FIX32 ColorCorrectionNEGA[9];
    TW_FIX32 ZLTColorCorrectionFB[9];
    TW_FIX32 ZLTColorCorrectionPOSI[9];
    TW_FIX32 ZLTColorCorrectionNEGA[9];
    TW_STR32 ROMVersion;
};

struct TWKQ_LOCATIONDATA {
    TW_INT16 BitsPerPixel;
    TW_UINT32 topPoint;
    TW_UINT32 leftPoint;
    TW_UINT32 locateW;
    TW_UINT32 locateH;
    TW_UINT32 ActualImgW;
    TW_UINT32 ActualImgH;
    TW_UINT32 xTangent;
    TW_UINT32 yTangent;
    TW_FIX32 Theta;
};

struct TWKQ_USMPARAM {
    TW_INT16 Amount;
    TW_INT16 Radius;
    TW_INT16 Threshold;
};

struct TWKQ_SETTINGFRAME {
    TW_UINT16 NumFrame;
    TW_UINT16 CurrentNum;
};

struct TWKQ_THRESHOLDINFO {
    TW_UINT16 ShadowL;
    TW_UINT16 ShadowH;
    TW_UINT16 HighlightH;
    TW_UINT16 HighlightL;
};

struct TWKQ_REVISEBASEPARM {
    TWKQ_THRESHOLDINFO InputRevise;
    TWKQ_THRESHOLDINFO OutputRevise;
    TW_UINT16 BlurMax;
};

struct TWKQ_USMINFO {
    TW_UINT16 InputResolution;
    TW_UINT16 InUSMLevel;
    TW_UINT16 InFilmType;
    TWKQ_USMPARAM USMParm;
    TWKQ_REVISEBASEPARM ReviseParm;
};

// TWAIN 2 structures: the manager's entry points, callbacks, device events, file systems and the rest.
struct TW_AUDIOINFO {
    TW_STR255 Name;
    TW_UINT32 Reserved;
};

struct TW_CALLBACK {
    TW_MEMREF CallBackProc;
    TW_IDENTITY_ID RefCon;  // pointer-sized or 32-bit as the identity's Id
    TW_INT16 Message;
};

struct TW_CALLBACK2 {
    TW_MEMREF CallBackProc;
    TW_UINTPTR RefCon;
    TW_INT16 Message;
};

struct TW_DEVICEEVENT {
    TW_UINT32 Event;
    TW_STR255 DeviceName;
    TW_UINT32 BatteryMinutes;
    TW_INT16 BatteryPercentage;
    TW_INT32 PowerSupply;
    TW_FIX32 XResolution;
    TW_FIX32 YResolution;
    TW_UINT32 FlashUsed2;
    TW_UINT32 AutomaticCapture;
    TW_UINT32 TimeBeforeFirstCapture;
    TW_UINT32 TimeBetweenCaptures;
};

// The manager's entry point and memory functions, as a TWAIN 2 source is handed them.
typedef TW_UINT16(TW_CALLINGSTYLE* DSMENTRYPROC)(TW_IDENTITY* pOrigin, TW_IDENTITY* pDest, TW_UINT32 DG, TW_UINT16 DAT,
                                  TW_UINT16 MSG, TW_MEMREF pData);
typedef TW_HANDLE(TW_CALLINGSTYLE* DSM_MEMALLOCATE)(TW_UINT32 size);
typedef void(TW_CALLINGSTYLE* DSM_MEMFREE)(TW_HANDLE handle);
typedef TW_MEMREF(TW_CALLINGSTYLE* DSM_MEMLOCK)(TW_HANDLE handle);
typedef void(TW_CALLINGSTYLE* DSM_MEMUNLOCK)(TW_HANDLE handle);

struct TW_ENTRYPOINT {
    TW_UINT32 Size;
    DSMENTRYPROC DSM_Entry;
    DSM_MEMALLOCATE DSM_MemAllocate;
    DSM_MEMFREE DSM_MemFree;
    DSM_MEMLOCK DSM_MemLock;
    DSM_MEMUNLOCK DSM_MemUnlock;
};

struct TW_FILESYSTEM {
    TW_STR255 InputName;
    TW_STR255 OutputName;
    TW_MEMREF Context;
    union {
        int Recursive;
        TW_BOOL Subdirectories;
    };
    union {
        TW_INT32 FileType;
        TW_UINT32 FileSystemType;
    };
    TW_UINT32 Size;
    TW_STR32 CreateTimeDate;
    TW_STR32 ModifiedTimeDate;
    TW_UINT32 FreeSpace;
    TW_INT32 NewImageSize;
    TW_UINT32 NumberOfFiles;
    TW_UINT32 NumberOfSnippets;
    TW_UINT32 DeviceGroupMask;
    TW_INT8 Reserved[508];
};

struct TW_FILTER_DESCRIPTOR {
    TW_UINT32 Size;
    TW_UINT32 HueStart;
    TW_UINT32 HueEnd;
    TW_UINT32 SaturationStart;
    TW_UINT32 SaturationEnd;
    TW_UINT32 ValueStart;
    TW_UINT32 ValueEnd;
    TW_UINT32 Replacement;
};

struct TW_FILTER {
    TW_UINT32 Size;
    TW_UINT32 DescriptorCount;
    TW_UINT32 MaxDescriptorCount;
    TW_UINT32 Condition;
    TW_HANDLE hDescriptors;
};

struct TW_METRICS {
    TW_UINT32 SizeOf;
    TW_UINT32 ImageCount;
    TW_UINT32 SheetCount;
};

struct TW_PASSTHRU {
    TW_MEMREF pCommand;
    TW_UINT32 CommandBytes;
    TW_INT32 Direction;
    TW_MEMREF pData;
    TW_UINT32 DataBytes;
    TW_UINT32 DataBytesXfered;
};

struct TW_STATUSUTF8 {
    TW_STATUS Status;
    TW_UINT32 Size;
    TW_HANDLE UTF8string;
};

struct TW_TWAINDIRECT {
    TW_UINT32 SizeOf;
    TW_UINT16 CommunicationManager;
    TW_HANDLE Send;
    TW_UINT32 SendSize;
    TW_HANDLE Receive;
    TW_UINT32 ReceiveSize;
};

// The DS_Entry signature that a Data Source Manager calls.
typedef TW_UINT16(TW_CALLINGSTYLE* DSENTRYPROC)(TW_IDENTITY* pOrigin, TW_UINT32 DG, TW_UINT16 DAT, TW_UINT16 MSG,
                                 TW_MEMREF pData);

#if defined(_WIN32)
#pragma pack(pop)
#endif

// The identity's Id as the trace shows it: a pointer-sized one as a signed number,
// a 32-bit one as it is.
inline long long TwIdentityIdNumber(TW_MEMREF id) { return reinterpret_cast<intptr_t>(id); }
constexpr long long TwIdentityIdNumber(TW_UINT32 id) { return id; }
// An Id made from a manager's number, for whoever plays the manager.
template <typename Id = TW_IDENTITY_ID>
Id TwIdentityIdOf(uintptr_t number) {
    if constexpr (sizeof(Id) == sizeof(TW_UINT32)) return static_cast<Id>(number);
    else return reinterpret_cast<Id>(number);
}

#define TW_LAYOUT(type, member, offset) \
    static_assert(offsetof(type, member) == (offset), #type "." #member " offset")
#define TW_SIZE(type, size) static_assert(sizeof(type) == (size), #type " size")

#if defined(_WIN64)
#include "TwainLayoutWin64.h"
#elif defined(_WIN32)
#include "TwainLayoutWin32.h"
#else
#include "TwainLayoutMac.h"
#endif

#undef TW_LAYOUT
#undef TW_SIZE
