// Every DAT the analyzer dispatches to a renderer, with the fewest bytes of data
// that the analyzer may read for it: a structure of that size must be traced
// without one byte being read past it.
#pragma once

#include <cstddef>

#include "TwainTypes.h"

struct DispatchedDat {
    TW_UINT16 dat;
    size_t bytesRead;
    // The alignment of the structure: data from an application is always aligned
    // for its type, so the block ends at most the tail padding before the guard.
    size_t alignment;
};

inline constexpr DispatchedDat kDispatchedDats[] = {
    {DAT_NULL, 0, 1},
    {DAT_CAPABILITY, sizeof(TW_CAPABILITY), alignof(TW_CAPABILITY)},
    {DAT_EVENT, offsetof(TW_EVENT, TWMessage) + sizeof(TW_UINT16), alignof(TW_EVENT)},
    {DAT_IDENTITY, offsetof(TW_IDENTITY, ProductName) + sizeof(TW_STR32), alignof(TW_IDENTITY)},
    {DAT_PARENT, 0, 1},  // renders the origin identity, not the data
    {DAT_PENDINGXFERS, sizeof(TW_PENDINGXFERS), alignof(TW_PENDINGXFERS)},
    {DAT_SETUPMEMXFER, sizeof(TW_SETUPMEMXFER), alignof(TW_SETUPMEMXFER)},
    {DAT_SETUPFILEXFER, sizeof(TW_SETUPFILEXFER), alignof(TW_SETUPFILEXFER)},
    {DAT_STATUS, sizeof(TW_UINT16), alignof(TW_STATUS)},
    {DAT_USERINTERFACE, sizeof(TW_USERINTERFACE), alignof(TW_USERINTERFACE)},
    {DAT_XFERGROUP, sizeof(TW_UINT32), alignof(TW_UINT32)},
    {DAT_TWUNKIDENTITY, 0, 1},
    {DAT_CUSTOMDSDATA, sizeof(TW_CUSTOMDSDATA), alignof(TW_CUSTOMDSDATA)},
    {DAT_IMAGEINFO, offsetof(TW_IMAGEINFO, Compression) + sizeof(TW_UINT16), alignof(TW_IMAGEINFO)},
    {DAT_IMAGELAYOUT, sizeof(TW_IMAGELAYOUT), alignof(TW_IMAGELAYOUT)},
    {DAT_IMAGEMEMXFER, sizeof(TW_IMAGEMEMXFER), alignof(TW_IMAGEMEMXFER)},
    {DAT_IMAGENATIVEXFER, sizeof(TW_HANDLE), alignof(TW_HANDLE)},
    {DAT_IMAGEFILEXFER, 0, 1},
    {DAT_CIECOLOR, sizeof(TW_CIECOLOR), alignof(TW_CIECOLOR)},
    {DAT_GRAYRESPONSE, sizeof(TW_ELEMENT8), alignof(TW_GRAYRESPONSE)},
    {DAT_RGBRESPONSE, sizeof(TW_ELEMENT8), alignof(TW_RGBRESPONSE)},
    {DAT_JPEGCOMPRESSION, sizeof(TW_JPEGCOMPRESSION), alignof(TW_JPEGCOMPRESSION)},
    // The renderer only tests the pointer; an event call reads its message at bytes 8-9.
    {DAT_PALETTE8, sizeof(TW_PALETTE8), alignof(TW_PALETTE8)},
    {DAT_EXTIMAGEINFO, offsetof(TW_EXTIMAGEINFO, Info) + sizeof(TW_INFO), alignof(TW_EXTIMAGEINFO)},
    {DAT_KQ_AUTOEXPOSURE, offsetof(TWKQ_AUTOEXPOSURE, GrayBalance) + sizeof(TW_UINT16),
     alignof(TWKQ_AUTOEXPOSURE)},
    {DAT_KQ_RGBMATRIX, sizeof(TWKQ_RGBMATRIX), alignof(TWKQ_RGBMATRIX)},
    {DAT_KQ_COLORSMOOTHING, sizeof(TWKQ_COLORSMOOTHING), alignof(TWKQ_COLORSMOOTHING)},
    {DAT_KQ_EVENT, 0, 1},
    {DAT_KQ_HARDWAREINFO, sizeof(TWKQ_HARDWAREINFO), alignof(TWKQ_HARDWAREINFO)},
    {DAT_KQ_SKEWINFO, sizeof(TWKQ_LOCATIONDATA), alignof(TWKQ_LOCATIONDATA)},
    {DAT_KQ_UNSHARPMASKPARAM, sizeof(TWKQ_USMPARAM), alignof(TWKQ_USMPARAM)},
    {DAT_KQ_REDCORRECTIONMATRIX, 0, 1},
    {DAT_KQ_TWAINCALLBACKMSG, 0, 1},
    {DAT_KQ_SETTINGFRAME, sizeof(TWKQ_SETTINGFRAME), alignof(TWKQ_SETTINGFRAME)},
    {DAT_KQ_USMINFO, sizeof(TWKQ_USMINFO), alignof(TWKQ_USMINFO)},
    {DAT_DEVICEEVENT, sizeof(TW_DEVICEEVENT), alignof(TW_DEVICEEVENT)},
    {DAT_FILESYSTEM, offsetof(TW_FILESYSTEM, Reserved), alignof(TW_FILESYSTEM)},  // Reserved is not shown
    {DAT_PASSTHRU, sizeof(TW_PASSTHRU), alignof(TW_PASSTHRU)},
    {DAT_CALLBACK, offsetof(TW_CALLBACK, Message) + sizeof(TW_INT16), alignof(TW_CALLBACK)},
    {DAT_STATUSUTF8, sizeof(TW_STATUSUTF8), alignof(TW_STATUSUTF8)},
    {DAT_CALLBACK2, offsetof(TW_CALLBACK2, Message) + sizeof(TW_INT16), alignof(TW_CALLBACK2)},
    {DAT_METRICS, sizeof(TW_METRICS), alignof(TW_METRICS)},
    {DAT_TWAINDIRECT, sizeof(TW_TWAINDIRECT), alignof(TW_TWAINDIRECT)},
    {DAT_FILTER, sizeof(TW_FILTER), alignof(TW_FILTER)},
    {DAT_AUDIOINFO, sizeof(TW_AUDIOINFO), alignof(TW_AUDIOINFO)},
    {DAT_AUDIONATIVEXFER, sizeof(TW_HANDLE), alignof(TW_HANDLE)},
    {DAT_ICCPROFILE, sizeof(TW_MEMORY), alignof(TW_MEMORY)},
    {DAT_IMAGEMEMFILEXFER, sizeof(TW_IMAGEMEMXFER), alignof(TW_IMAGEMEMXFER)},
    // Filled with ones or a pattern, Size covers the whole structure.
    {DAT_ENTRYPOINT, sizeof(TW_ENTRYPOINT), alignof(TW_ENTRYPOINT)},
};
