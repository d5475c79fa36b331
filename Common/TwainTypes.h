// TWAIN 2.x types as laid out on macOS x86-64: natural alignment, pointer-sized
// references and Mac memory handles. Every offset that a renderer reads is pinned
// by a static_assert below, so a layout slip fails the build instead of the trace.
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
typedef char** TW_HANDLE;  // a Mac memory handle
typedef void* TW_MEMREF;
typedef uintptr_t TW_UINTPTR;

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
    TW_MEMREF Id;
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
    TW_MEMREF RefCon;
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
typedef TW_UINT16 (*DSMENTRYPROC)(TW_IDENTITY* pOrigin, TW_IDENTITY* pDest, TW_UINT32 DG, TW_UINT16 DAT,
                                  TW_UINT16 MSG, TW_MEMREF pData);
typedef TW_HANDLE (*DSM_MEMALLOCATE)(TW_UINT32 size);
typedef void (*DSM_MEMFREE)(TW_HANDLE handle);
typedef TW_MEMREF (*DSM_MEMLOCK)(TW_HANDLE handle);
typedef void (*DSM_MEMUNLOCK)(TW_HANDLE handle);

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
typedef TW_UINT16 (*DSENTRYPROC)(TW_IDENTITY* pOrigin, TW_UINT32 DG, TW_UINT16 DAT, TW_UINT16 MSG,
                                 TW_MEMREF pData);

#define TW_LAYOUT(type, member, offset) \
    static_assert(offsetof(type, member) == (offset), #type "." #member " offset")
#define TW_SIZE(type, size) static_assert(sizeof(type) == (size), #type " size")

TW_SIZE(TW_FIX32, 4);
TW_LAYOUT(TW_FIX32, Whole, 0);
TW_LAYOUT(TW_FIX32, Frac, 2);
TW_SIZE(TW_FRAME, 16);
TW_LAYOUT(TW_FRAME, Left, 0);
TW_LAYOUT(TW_FRAME, Top, 4);
TW_LAYOUT(TW_FRAME, Right, 8);
TW_LAYOUT(TW_FRAME, Bottom, 12);

TW_SIZE(TW_VERSION, 42);
TW_LAYOUT(TW_VERSION, MajorNum, 0);
TW_LAYOUT(TW_VERSION, MinorNum, 2);
TW_LAYOUT(TW_VERSION, Language, 4);
TW_LAYOUT(TW_VERSION, Country, 6);
TW_LAYOUT(TW_VERSION, Info, 8);
TW_SIZE(TW_IDENTITY, 168);
TW_LAYOUT(TW_IDENTITY, Id, 0);
TW_LAYOUT(TW_IDENTITY, Version, 8);
TW_LAYOUT(TW_IDENTITY, ProtocolMajor, 50);
TW_LAYOUT(TW_IDENTITY, ProtocolMinor, 52);
TW_LAYOUT(TW_IDENTITY, SupportedGroups, 56);
TW_LAYOUT(TW_IDENTITY, Manufacturer, 60);
TW_LAYOUT(TW_IDENTITY, ProductFamily, 94);
TW_LAYOUT(TW_IDENTITY, ProductName, 128);
static_assert(sizeof(TW_IDENTITY::Id) == sizeof(void*), "TW_IDENTITY.Id is pointer-sized");

TW_SIZE(TW_EVENT, 16);
TW_LAYOUT(TW_EVENT, pEvent, 0);
TW_LAYOUT(TW_EVENT, TWMessage, 8);
TW_SIZE(TW_USERINTERFACE, 16);
TW_LAYOUT(TW_USERINTERFACE, ShowUI, 0);
TW_LAYOUT(TW_USERINTERFACE, ModalUI, 2);
TW_LAYOUT(TW_USERINTERFACE, hParent, 8);
TW_SIZE(TW_PENDINGXFERS, 8);
TW_LAYOUT(TW_PENDINGXFERS, Count, 0);
TW_LAYOUT(TW_PENDINGXFERS, EOJ, 4);
TW_SIZE(TW_SETUPMEMXFER, 12);
TW_LAYOUT(TW_SETUPMEMXFER, MinBufSize, 0);
TW_LAYOUT(TW_SETUPMEMXFER, MaxBufSize, 4);
TW_LAYOUT(TW_SETUPMEMXFER, Preferred, 8);
TW_SIZE(TW_SETUPFILEXFER, 260);
TW_LAYOUT(TW_SETUPFILEXFER, FileName, 0);
TW_LAYOUT(TW_SETUPFILEXFER, Format, 256);
TW_LAYOUT(TW_SETUPFILEXFER, VRefNum, 258);
TW_SIZE(TW_STATUS, 4);
TW_LAYOUT(TW_STATUS, ConditionCode, 0);
TW_SIZE(TW_CUSTOMDSDATA, 16);
TW_LAYOUT(TW_CUSTOMDSDATA, InfoLength, 0);
TW_LAYOUT(TW_CUSTOMDSDATA, hData, 8);
TW_SIZE(TW_MEMORY, 16);
TW_LAYOUT(TW_MEMORY, Flags, 0);
TW_LAYOUT(TW_MEMORY, Length, 4);
TW_LAYOUT(TW_MEMORY, TheMem, 8);

TW_SIZE(TW_CAPABILITY, 16);
TW_LAYOUT(TW_CAPABILITY, Cap, 0);
TW_LAYOUT(TW_CAPABILITY, ConType, 2);
TW_LAYOUT(TW_CAPABILITY, hContainer, 8);
TW_SIZE(TW_ONEVALUE, 8);
TW_LAYOUT(TW_ONEVALUE, ItemType, 0);
TW_LAYOUT(TW_ONEVALUE, Item, 4);
TW_LAYOUT(TW_ARRAY, ItemType, 0);
TW_LAYOUT(TW_ARRAY, NumItems, 4);
TW_LAYOUT(TW_ARRAY, ItemList, 8);
TW_LAYOUT(TW_ENUMERATION, ItemType, 0);
TW_LAYOUT(TW_ENUMERATION, NumItems, 4);
TW_LAYOUT(TW_ENUMERATION, CurrentIndex, 8);
TW_LAYOUT(TW_ENUMERATION, DefaultIndex, 12);
TW_LAYOUT(TW_ENUMERATION, ItemList, 16);
TW_SIZE(TW_RANGE, 24);
TW_LAYOUT(TW_RANGE, ItemType, 0);
TW_LAYOUT(TW_RANGE, MinValue, 4);
TW_LAYOUT(TW_RANGE, MaxValue, 8);
TW_LAYOUT(TW_RANGE, StepSize, 12);
TW_LAYOUT(TW_RANGE, DefaultValue, 16);
TW_LAYOUT(TW_RANGE, CurrentValue, 20);

TW_SIZE(TW_IMAGEINFO, 44);
TW_LAYOUT(TW_IMAGEINFO, XResolution, 0);
TW_LAYOUT(TW_IMAGEINFO, YResolution, 4);
TW_LAYOUT(TW_IMAGEINFO, ImageWidth, 8);
TW_LAYOUT(TW_IMAGEINFO, ImageLength, 12);
TW_LAYOUT(TW_IMAGEINFO, SamplesPerPixel, 16);
TW_LAYOUT(TW_IMAGEINFO, BitsPerSample, 18);
TW_LAYOUT(TW_IMAGEINFO, BitsPerPixel, 34);
TW_LAYOUT(TW_IMAGEINFO, Planar, 36);
TW_LAYOUT(TW_IMAGEINFO, PixelType, 38);
TW_LAYOUT(TW_IMAGEINFO, Compression, 40);
TW_SIZE(TW_IMAGELAYOUT, 28);
TW_LAYOUT(TW_IMAGELAYOUT, Frame, 0);
TW_LAYOUT(TW_IMAGELAYOUT, DocumentNumber, 16);
TW_LAYOUT(TW_IMAGELAYOUT, PageNumber, 20);
TW_LAYOUT(TW_IMAGELAYOUT, FrameNumber, 24);
TW_SIZE(TW_IMAGEMEMXFER, 48);
TW_LAYOUT(TW_IMAGEMEMXFER, Compression, 0);
TW_LAYOUT(TW_IMAGEMEMXFER, BytesPerRow, 4);
TW_LAYOUT(TW_IMAGEMEMXFER, Columns, 8);
TW_LAYOUT(TW_IMAGEMEMXFER, Rows, 12);
TW_LAYOUT(TW_IMAGEMEMXFER, XOffset, 16);
TW_LAYOUT(TW_IMAGEMEMXFER, YOffset, 20);
TW_LAYOUT(TW_IMAGEMEMXFER, BytesWritten, 24);
TW_LAYOUT(TW_IMAGEMEMXFER, Memory, 32);
TW_SIZE(TW_JPEGCOMPRESSION, 160);
TW_LAYOUT(TW_JPEGCOMPRESSION, ColorSpace, 0);
TW_LAYOUT(TW_JPEGCOMPRESSION, SubSampling, 4);
TW_LAYOUT(TW_JPEGCOMPRESSION, NumComponents, 8);
TW_LAYOUT(TW_JPEGCOMPRESSION, RestartFrequency, 10);
TW_LAYOUT(TW_JPEGCOMPRESSION, QuantMap, 12);
TW_LAYOUT(TW_JPEGCOMPRESSION, QuantTable, 24);
TW_LAYOUT(TW_JPEGCOMPRESSION, HuffmanMap, 88);
TW_LAYOUT(TW_JPEGCOMPRESSION, HuffmanDC, 96);
TW_LAYOUT(TW_JPEGCOMPRESSION, HuffmanAC, 128);
TW_SIZE(TW_ELEMENT8, 4);
TW_LAYOUT(TW_ELEMENT8, Index, 0);
TW_LAYOUT(TW_ELEMENT8, Channel1, 1);
TW_LAYOUT(TW_ELEMENT8, Channel2, 2);
TW_LAYOUT(TW_ELEMENT8, Channel3, 3);
TW_SIZE(TW_PALETTE8, 1028);
TW_LAYOUT(TW_GRAYRESPONSE, Response, 0);
TW_LAYOUT(TW_RGBRESPONSE, Response, 0);
TW_SIZE(TW_DECODEFUNCTION, 32);
TW_LAYOUT(TW_DECODEFUNCTION, StartIn, 0);
TW_LAYOUT(TW_DECODEFUNCTION, BreakIn, 4);
TW_LAYOUT(TW_DECODEFUNCTION, EndIn, 8);
TW_LAYOUT(TW_DECODEFUNCTION, StartOut, 12);
TW_LAYOUT(TW_DECODEFUNCTION, BreakOut, 16);
TW_LAYOUT(TW_DECODEFUNCTION, EndOut, 20);
TW_LAYOUT(TW_DECODEFUNCTION, Gamma, 24);
TW_LAYOUT(TW_DECODEFUNCTION, SampleCount, 28);
TW_SIZE(TW_TRANSFORMSTAGE, 132);
TW_LAYOUT(TW_TRANSFORMSTAGE, Decode, 0);
TW_LAYOUT(TW_TRANSFORMSTAGE, Mix, 96);
TW_SIZE(TW_CIEPOINT, 12);
TW_LAYOUT(TW_CIEPOINT, X, 0);
TW_LAYOUT(TW_CIEPOINT, Y, 4);
TW_LAYOUT(TW_CIEPOINT, Z, 8);
TW_SIZE(TW_CIECOLOR, 328);
TW_LAYOUT(TW_CIECOLOR, ColorSpace, 0);
TW_LAYOUT(TW_CIECOLOR, LowEndian, 2);
TW_LAYOUT(TW_CIECOLOR, DeviceDependent, 4);
TW_LAYOUT(TW_CIECOLOR, VersionNumber, 8);
TW_LAYOUT(TW_CIECOLOR, StageABC, 12);
TW_LAYOUT(TW_CIECOLOR, StageLMN, 144);
TW_LAYOUT(TW_CIECOLOR, WhitePoint, 276);
TW_LAYOUT(TW_CIECOLOR, BlackPoint, 288);
TW_LAYOUT(TW_CIECOLOR, WhitePaper, 300);
TW_LAYOUT(TW_CIECOLOR, BlackInk, 312);
TW_LAYOUT(TW_CIECOLOR, Samples, 324);
TW_SIZE(TW_INFO, 12);
TW_LAYOUT(TW_INFO, InfoID, 0);
TW_LAYOUT(TW_INFO, ItemType, 2);
TW_LAYOUT(TW_INFO, NumItems, 4);
TW_LAYOUT(TW_INFO, CondCode, 6);
TW_LAYOUT(TW_INFO, Item, 8);
TW_SIZE(TW_EXTIMAGEINFO, 16);
TW_LAYOUT(TW_EXTIMAGEINFO, NumInfos, 0);
TW_LAYOUT(TW_EXTIMAGEINFO, Info, 4);

TW_SIZE(TW_AUDIOINFO, 260);
TW_LAYOUT(TW_AUDIOINFO, Name, 0);
TW_LAYOUT(TW_AUDIOINFO, Reserved, 256);
TW_SIZE(TW_CALLBACK, 24);
TW_LAYOUT(TW_CALLBACK, CallBackProc, 0);
TW_LAYOUT(TW_CALLBACK, RefCon, 8);
TW_LAYOUT(TW_CALLBACK, Message, 16);
TW_SIZE(TW_CALLBACK2, 24);
TW_LAYOUT(TW_CALLBACK2, CallBackProc, 0);
TW_LAYOUT(TW_CALLBACK2, RefCon, 8);
TW_LAYOUT(TW_CALLBACK2, Message, 16);
TW_SIZE(TW_DEVICEEVENT, 296);
TW_LAYOUT(TW_DEVICEEVENT, Event, 0);
TW_LAYOUT(TW_DEVICEEVENT, DeviceName, 4);
TW_LAYOUT(TW_DEVICEEVENT, BatteryMinutes, 260);
TW_LAYOUT(TW_DEVICEEVENT, BatteryPercentage, 264);
TW_LAYOUT(TW_DEVICEEVENT, PowerSupply, 268);
TW_LAYOUT(TW_DEVICEEVENT, XResolution, 272);
TW_LAYOUT(TW_DEVICEEVENT, YResolution, 276);
TW_LAYOUT(TW_DEVICEEVENT, FlashUsed2, 280);
TW_LAYOUT(TW_DEVICEEVENT, AutomaticCapture, 284);
TW_LAYOUT(TW_DEVICEEVENT, TimeBeforeFirstCapture, 288);
TW_LAYOUT(TW_DEVICEEVENT, TimeBetweenCaptures, 292);
TW_SIZE(TW_ENTRYPOINT, 48);
TW_LAYOUT(TW_ENTRYPOINT, Size, 0);
TW_LAYOUT(TW_ENTRYPOINT, DSM_Entry, 8);
TW_LAYOUT(TW_ENTRYPOINT, DSM_MemAllocate, 16);
TW_LAYOUT(TW_ENTRYPOINT, DSM_MemFree, 24);
TW_LAYOUT(TW_ENTRYPOINT, DSM_MemLock, 32);
TW_LAYOUT(TW_ENTRYPOINT, DSM_MemUnlock, 40);
TW_SIZE(TW_FILESYSTEM, 1128);
TW_LAYOUT(TW_FILESYSTEM, InputName, 0);
TW_LAYOUT(TW_FILESYSTEM, OutputName, 256);
TW_LAYOUT(TW_FILESYSTEM, Context, 512);
TW_LAYOUT(TW_FILESYSTEM, Recursive, 520);
TW_LAYOUT(TW_FILESYSTEM, FileType, 524);
TW_LAYOUT(TW_FILESYSTEM, Size, 528);
TW_LAYOUT(TW_FILESYSTEM, CreateTimeDate, 532);
TW_LAYOUT(TW_FILESYSTEM, ModifiedTimeDate, 566);
TW_LAYOUT(TW_FILESYSTEM, FreeSpace, 600);
TW_LAYOUT(TW_FILESYSTEM, NewImageSize, 604);
TW_LAYOUT(TW_FILESYSTEM, NumberOfFiles, 608);
TW_LAYOUT(TW_FILESYSTEM, NumberOfSnippets, 612);
TW_LAYOUT(TW_FILESYSTEM, DeviceGroupMask, 616);
TW_LAYOUT(TW_FILESYSTEM, Reserved, 620);
TW_SIZE(TW_FILTER_DESCRIPTOR, 32);
TW_LAYOUT(TW_FILTER_DESCRIPTOR, Replacement, 28);
TW_SIZE(TW_FILTER, 24);
TW_LAYOUT(TW_FILTER, Size, 0);
TW_LAYOUT(TW_FILTER, DescriptorCount, 4);
TW_LAYOUT(TW_FILTER, MaxDescriptorCount, 8);
TW_LAYOUT(TW_FILTER, Condition, 12);
TW_LAYOUT(TW_FILTER, hDescriptors, 16);
TW_SIZE(TW_METRICS, 12);
TW_LAYOUT(TW_METRICS, ImageCount, 4);
TW_LAYOUT(TW_METRICS, SheetCount, 8);
TW_SIZE(TW_PASSTHRU, 32);
TW_LAYOUT(TW_PASSTHRU, pCommand, 0);
TW_LAYOUT(TW_PASSTHRU, CommandBytes, 8);
TW_LAYOUT(TW_PASSTHRU, Direction, 12);
TW_LAYOUT(TW_PASSTHRU, pData, 16);
TW_LAYOUT(TW_PASSTHRU, DataBytes, 24);
TW_LAYOUT(TW_PASSTHRU, DataBytesXfered, 28);
TW_SIZE(TW_STATUSUTF8, 16);
TW_LAYOUT(TW_STATUSUTF8, Status, 0);
TW_LAYOUT(TW_STATUSUTF8, Size, 4);
TW_LAYOUT(TW_STATUSUTF8, UTF8string, 8);
TW_SIZE(TW_TWAINDIRECT, 40);
TW_LAYOUT(TW_TWAINDIRECT, SizeOf, 0);
TW_LAYOUT(TW_TWAINDIRECT, CommunicationManager, 4);
TW_LAYOUT(TW_TWAINDIRECT, Send, 8);
TW_LAYOUT(TW_TWAINDIRECT, SendSize, 16);
TW_LAYOUT(TW_TWAINDIRECT, Receive, 24);
TW_LAYOUT(TW_TWAINDIRECT, ReceiveSize, 32);

TW_SIZE(TWKQ_AUTOEXPOSURE, 24);
TW_LAYOUT(TWKQ_AUTOEXPOSURE, Handle, 0);
TW_LAYOUT(TWKQ_AUTOEXPOSURE, Left, 4);
TW_LAYOUT(TWKQ_AUTOEXPOSURE, Top, 6);
TW_LAYOUT(TWKQ_AUTOEXPOSURE, Right, 8);
TW_LAYOUT(TWKQ_AUTOEXPOSURE, Bottom, 10);
TW_LAYOUT(TWKQ_AUTOEXPOSURE, FilmType, 12);
TW_LAYOUT(TWKQ_AUTOEXPOSURE, PreScanGamma, 14);
TW_LAYOUT(TWKQ_AUTOEXPOSURE, ScreenGamma, 16);
TW_LAYOUT(TWKQ_AUTOEXPOSURE, GrayBalance, 20);
TW_SIZE(TWKQ_RGBMATRIX, 36);
TW_LAYOUT(TWKQ_RGBMATRIX, ColorCoeff, 0);
TW_SIZE(TWKQ_COLORSMOOTHING, 40);
TW_LAYOUT(TWKQ_COLORSMOOTHING, Handle, 0);
TW_LAYOUT(TWKQ_COLORSMOOTHING, LeftX, 4);
TW_LAYOUT(TWKQ_COLORSMOOTHING, LeftY, 8);
TW_LAYOUT(TWKQ_COLORSMOOTHING, TopX, 12);
TW_LAYOUT(TWKQ_COLORSMOOTHING, TopY, 16);
TW_LAYOUT(TWKQ_COLORSMOOTHING, RightX, 20);
TW_LAYOUT(TWKQ_COLORSMOOTHING, RightY, 24);
TW_LAYOUT(TWKQ_COLORSMOOTHING, BottomX, 28);
TW_LAYOUT(TWKQ_COLORSMOOTHING, BottomY, 32);
TW_LAYOUT(TWKQ_COLORSMOOTHING, Reserved, 36);
TW_SIZE(TWKQ_HARDWAREINFO, 504);
TW_LAYOUT(TWKQ_HARDWAREINFO, ModelID, 0);
TW_LAYOUT(TWKQ_HARDWAREINFO, ProductName, 4);
TW_LAYOUT(TWKQ_HARDWAREINFO, ModelName, 38);
TW_LAYOUT(TWKQ_HARDWAREINFO, OptXResolution, 72);
TW_LAYOUT(TWKQ_HARDWAREINFO, OptYResolution, 76);
TW_LAYOUT(TWKQ_HARDWAREINFO, MinResolution, 80);
TW_LAYOUT(TWKQ_HARDWAREINFO, MaxResolution, 84);
TW_LAYOUT(TWKQ_HARDWAREINFO, MaxMoireResolution, 88);
TW_LAYOUT(TWKQ_HARDWAREINFO, MaxPixelofWidth, 92);
TW_LAYOUT(TWKQ_HARDWAREINFO, PixelSizeofFB, 96);
TW_LAYOUT(TWKQ_HARDWAREINFO, PixelSizeofADF, 104);
TW_LAYOUT(TWKQ_HARDWAREINFO, PixelSizeofTPU, 112);
TW_LAYOUT(TWKQ_HARDWAREINFO, BitDepth, 120);
TW_LAYOUT(TWKQ_HARDWAREINFO, InterfaceSupport, 124);
TW_LAYOUT(TWKQ_HARDWAREINFO, CommandType, 128);
TW_LAYOUT(TWKQ_HARDWAREINFO, ConnectInterfaceType, 132);
TW_LAYOUT(TWKQ_HARDWAREINFO, StandAloneModeSupport, 136);
TW_LAYOUT(TWKQ_HARDWAREINFO, FullAutoModeSupport, 144);
TW_LAYOUT(TWKQ_HARDWAREINFO, SimpleModeSupport, 146);
TW_LAYOUT(TWKQ_HARDWAREINFO, DocumentModeSupport, 148);
TW_LAYOUT(TWKQ_HARDWAREINFO, AdvancedModeSupport, 150);
TW_LAYOUT(TWKQ_HARDWAREINFO, ZLTSupport, 152);
TW_LAYOUT(TWKQ_HARDWAREINFO, FIT3, 154);
TW_LAYOUT(TWKQ_HARDWAREINFO, AutoLayoutSupportFB, 156);
TW_LAYOUT(TWKQ_HARDWAREINFO, AutoLayoutSupportADF, 158);
TW_LAYOUT(TWKQ_HARDWAREINFO, HalftoneSupport, 160);
TW_LAYOUT(TWKQ_HARDWAREINFO, HTModeSupport, 162);
TW_LAYOUT(TWKQ_HARDWAREINFO, HTDitherSupport, 164);
TW_LAYOUT(TWKQ_HARDWAREINFO, HTAASSupport, 166);
TW_LAYOUT(TWKQ_HARDWAREINFO, HTTETSupport, 168);
TW_LAYOUT(TWKQ_HARDWAREINFO, TableArrangement, 170);
TW_LAYOUT(TWKQ_HARDWAREINFO, OptionSupport, 172);
TW_LAYOUT(TWKQ_HARDWAREINFO, FocusSupport, 174);
TW_LAYOUT(TWKQ_HARDWAREINFO, FocusArea, 176);
TW_LAYOUT(TWKQ_HARDWAREINFO, ProfileNameFB, 184);
TW_LAYOUT(TWKQ_HARDWAREINFO, ProfileNameTPU, 218);
TW_LAYOUT(TWKQ_HARDWAREINFO, ColorCorrectionFB, 252);
TW_LAYOUT(TWKQ_HARDWAREINFO, ColorCorrectionPOSI, 288);
TW_LAYOUT(TWKQ_HARDWAREINFO, ColorCorrectionNEGA, 324);
TW_LAYOUT(TWKQ_HARDWAREINFO, ZLTColorCorrectionFB, 360);
TW_LAYOUT(TWKQ_HARDWAREINFO, ZLTColorCorrectionPOSI, 396);
TW_LAYOUT(TWKQ_HARDWAREINFO, ZLTColorCorrectionNEGA, 432);
TW_LAYOUT(TWKQ_HARDWAREINFO, ROMVersion, 468);
TW_SIZE(TWKQ_LOCATIONDATA, 40);
TW_LAYOUT(TWKQ_LOCATIONDATA, BitsPerPixel, 0);
TW_LAYOUT(TWKQ_LOCATIONDATA, topPoint, 4);
TW_LAYOUT(TWKQ_LOCATIONDATA, leftPoint, 8);
TW_LAYOUT(TWKQ_LOCATIONDATA, locateW, 12);
TW_LAYOUT(TWKQ_LOCATIONDATA, locateH, 16);
TW_LAYOUT(TWKQ_LOCATIONDATA, ActualImgW, 20);
TW_LAYOUT(TWKQ_LOCATIONDATA, ActualImgH, 24);
TW_LAYOUT(TWKQ_LOCATIONDATA, xTangent, 28);
TW_LAYOUT(TWKQ_LOCATIONDATA, yTangent, 32);
TW_LAYOUT(TWKQ_LOCATIONDATA, Theta, 36);
TW_SIZE(TWKQ_USMPARAM, 6);
TW_LAYOUT(TWKQ_USMPARAM, Amount, 0);
TW_LAYOUT(TWKQ_USMPARAM, Radius, 2);
TW_LAYOUT(TWKQ_USMPARAM, Threshold, 4);
TW_SIZE(TWKQ_SETTINGFRAME, 4);
TW_LAYOUT(TWKQ_SETTINGFRAME, NumFrame, 0);
TW_LAYOUT(TWKQ_SETTINGFRAME, CurrentNum, 2);
TW_SIZE(TWKQ_THRESHOLDINFO, 8);
TW_LAYOUT(TWKQ_THRESHOLDINFO, ShadowL, 0);
TW_LAYOUT(TWKQ_THRESHOLDINFO, ShadowH, 2);
TW_LAYOUT(TWKQ_THRESHOLDINFO, HighlightH, 4);
TW_LAYOUT(TWKQ_THRESHOLDINFO, HighlightL, 6);
TW_SIZE(TWKQ_REVISEBASEPARM, 18);
TW_LAYOUT(TWKQ_REVISEBASEPARM, InputRevise, 0);
TW_LAYOUT(TWKQ_REVISEBASEPARM, OutputRevise, 8);
TW_LAYOUT(TWKQ_REVISEBASEPARM, BlurMax, 16);
TW_SIZE(TWKQ_USMINFO, 30);
TW_LAYOUT(TWKQ_USMINFO, InputResolution, 0);
TW_LAYOUT(TWKQ_USMINFO, InUSMLevel, 2);
TW_LAYOUT(TWKQ_USMINFO, InFilmType, 4);
TW_LAYOUT(TWKQ_USMINFO, USMParm, 6);
TW_LAYOUT(TWKQ_USMINFO, ReviseParm, 12);

#undef TW_LAYOUT
#undef TW_SIZE
