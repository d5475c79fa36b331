// Every DAT the analyzer dispatches to a renderer, with the fewest bytes of data
// that its renderer may read: a structure of that size must render without one
// byte being read past it.
#pragma once

#include <cstddef>

#include "TwainTypes.h"

struct DispatchedDat {
    TW_UINT16 dat;
    size_t bytesRead;
};

inline constexpr DispatchedDat kDispatchedDats[] = {
    {DAT_NULL, 0},
    {DAT_CAPABILITY, sizeof(TW_CAPABILITY)},
    {DAT_EVENT, offsetof(TW_EVENT, TWMessage) + sizeof(TW_UINT16)},
    {DAT_IDENTITY, offsetof(TW_IDENTITY, ProductName) + sizeof(TW_STR32)},
    {DAT_PARENT, 0},  // renders the origin identity, not the data
    {DAT_PENDINGXFERS, sizeof(TW_PENDINGXFERS)},
    {DAT_SETUPMEMXFER, sizeof(TW_SETUPMEMXFER)},
    {DAT_SETUPFILEXFER, sizeof(TW_SETUPFILEXFER)},
    {DAT_STATUS, sizeof(TW_UINT16)},
    {DAT_USERINTERFACE, sizeof(TW_USERINTERFACE)},
    {DAT_XFERGROUP, sizeof(TW_UINT32)},
    {DAT_TWUNKIDENTITY, 0},
    {DAT_CUSTOMDSDATA, sizeof(TW_CUSTOMDSDATA)},
    {DAT_IMAGEINFO, offsetof(TW_IMAGEINFO, Compression) + sizeof(TW_UINT16)},
    {DAT_IMAGELAYOUT, sizeof(TW_IMAGELAYOUT)},
    {DAT_IMAGEMEMXFER, sizeof(TW_IMAGEMEMXFER)},
    {DAT_IMAGENATIVEXFER, sizeof(TW_HANDLE)},
    {DAT_IMAGEFILEXFER, 0},
    {DAT_CIECOLOR, sizeof(TW_CIECOLOR)},
    {DAT_GRAYRESPONSE, sizeof(TW_ELEMENT8)},
    {DAT_RGBRESPONSE, sizeof(TW_ELEMENT8)},
    {DAT_JPEGCOMPRESSION, sizeof(TW_JPEGCOMPRESSION)},
    {DAT_PALETTE8, 1},  // only tested for null
    {DAT_EXTIMAGEINFO, offsetof(TW_EXTIMAGEINFO, Info) + sizeof(TW_INFO)},
    {DAT_KQ_AUTOEXPOSURE, offsetof(TWKQ_AUTOEXPOSURE, GrayBalance) + sizeof(TW_UINT16)},
    {DAT_KQ_RGBMATRIX, sizeof(TWKQ_RGBMATRIX)},
    {DAT_KQ_COLORSMOOTHING, sizeof(TWKQ_COLORSMOOTHING)},
    {DAT_KQ_EVENT, 0},
    {DAT_KQ_HARDWAREINFO, sizeof(TWKQ_HARDWAREINFO)},
    {DAT_KQ_SKEWINFO, sizeof(TWKQ_LOCATIONDATA)},
    {DAT_KQ_UNSHARPMASKPARAM, sizeof(TWKQ_USMPARAM)},
    {DAT_KQ_REDCORRECTIONMATRIX, 0},
    {DAT_KQ_TWAINCALLBACKMSG, 0},
    {DAT_KQ_SETTINGFRAME, sizeof(TWKQ_SETTINGFRAME)},
    {DAT_KQ_USMINFO, sizeof(TWKQ_USMINFO)},
};
