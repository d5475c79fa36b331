// Image structure renderers. Only the fixed part of each structure is shown: the
// counts inside them (NumInfos, NumColors, SamplesPerPixel, NumComponents, strip
// sizes) come from the other side and are printed, never followed.
#include <cstdarg>
#include <cstdio>
#include <iterator>

#include "ParaAnalyze.h"
#include "TraceBlock.h"

namespace {

// A field name or label with an array index in it, formatted into a buffer of
// its own ("Decode[1]", "Mix[0][2]").
class CIndexedName {
public:
    CIndexedName(const char* format, ...) TW_PRINTF_FORMAT(2, 3) {
        va_list args;
        va_start(args, format);
        vsnprintf(m_szName, sizeof(m_szName), format, args);
        va_end(args);
    }
    operator std::string_view() const { return m_szName; }

private:
    char m_szName[32];
};

}  // namespace

bool CParaAnalyze::TwImageInfoAnalyze(TW_IMAGEINFO* p) {
    if (!p) return true;
    CTraceBlock b(*this, "TW_IMAGEINFO", kTopIndent, sizeof("BitsPerSamples[]") - 1);
    b.Fixed("XResolution", p->XResolution);
    b.Fixed("YResolution", p->YResolution);
    b.Number("ImageWidth", p->ImageWidth);
    b.Number("ImageLength", p->ImageLength);
    b.Number("SamplesPerPixel", p->SamplesPerPixel);
    // All eight entries, whatever SamplesPerPixel claims.
    b.NumberList("BitsPerSamples[]", p->BitsPerSample, std::size(p->BitsPerSample));
    b.Number("BitsPerPixel", p->BitsPerPixel);
    b.Flag("Planar", p->Planar);
    // A signed member: a negative pixel type matches no row.
    b.Name<twpt_macros>("PixelType", p->PixelType);
    b.Name<twcp_macros>("Compression", p->Compression);
    return true;
}

bool CParaAnalyze::TwImageLayoutAnalyze(TW_IMAGELAYOUT* p) {
    if (!p) return true;
    CTraceBlock b(*this, "TW_IMAGELAYOUT", kTopIndent, sizeof("DocumentNumber") - 1);
    b.Label("Frame");
    TwFrameAnalyze(&p->Frame);
    b.Number("DocumentNumber", p->DocumentNumber);
    b.Number("PageNumber", p->PageNumber);
    b.Number("FrameNumber", p->FrameNumber);
    return true;
}

// The strip itself lies behind Memory.TheMem and is not read.
bool CParaAnalyze::TwImageMemXferAnalyze(TW_IMAGEMEMXFER* p) {
    if (!p) return true;
    CTraceBlock b(*this, "TW_IMAGEMEMXFER", kTopIndent, sizeof("BytesWritten") - 1);
    b.Name<twcp_macros>("Compression", p->Compression);
    b.Number("BytesPerRow", p->BytesPerRow);
    b.Number("Columns", p->Columns);
    b.Number("Rows", p->Rows);
    b.Number("XOffset", p->XOffset);
    b.Number("YOffset", p->YOffset);
    b.Number("BytesWritten", p->BytesWritten);
    b.Label("Memory");
    TwMemoryAnalyze(&p->Memory);
    b.CloseInColumn1();
    return true;
}

bool CParaAnalyze::TwCieColorAnalyze(TW_CIECOLOR* p) {
    if (!p) return true;
    CTraceBlock b(*this, "TW_CIECOLOR", kTopIndent, sizeof("DeviceDependent") - 1);
    b.Name<twpt_macros>("ColorSpace", p->ColorSpace);
    b.Number("LowEndian", p->LowEndian);
    b.Number("DeviceDependent", p->DeviceDependent);
    b.Number("VersionNumber", static_cast<TW_UINT32>(p->VersionNumber));
    // The nested members' labels stand without blanks around "=".
    b.Line("StageABC=");
    TwTransformStageAnalyze(&p->StageABC);
    b.Line("StageLMN=");
    TwTransformStageAnalyze(&p->StageLMN);
    b.Line("WhitePoint=");
    TwCiePointAnalyze(&p->WhitePoint);
    b.Line("BlackPoint=");
    TwCiePointAnalyze(&p->BlackPoint);
    b.Line("WhitePaper=");
    TwCiePointAnalyze(&p->WhitePaper);
    b.Line("BlackInk=");
    TwCiePointAnalyze(&p->BlackInk);
    // The first sample only; the rest of the table is not walked.
    b.Fixed("Samples[]", p->Samples[0]);
    return true;
}

// Only the first element of the response table is shown, whatever the bit depth.
bool CParaAnalyze::TwGrayResponseAnalyze(TW_GRAYRESPONSE* p) {
    if (!p) return true;
    CTraceBlock b(*this, "TW_GRAYRESPONSE", kTopIndent, sizeof("Response[0]") - 1);
    b.Label("Response[0]");
    TwElement8Analyze(&p->Response[0]);
    return true;
}

bool CParaAnalyze::TwRgbResponseAnalyze(TW_RGBRESPONSE* p) {
    if (!p) return true;
    CTraceBlock b(*this, "TW_RGBRESPONSE", kTopIndent, sizeof("Response[0]") - 1);
    b.Label("Response[0]");
    TwElement8Analyze(&p->Response[0]);
    return true;
}

bool CParaAnalyze::TwJpegCompressionAnalyze(TW_JPEGCOMPRESSION* p) {
    if (!p) return true;
    CTraceBlock b(*this, "TW_JPEGCOMPRESSION", kTopIndent, sizeof("RestartFrequency") - 1);
    b.Name<twpt_macros>("ColorSpace", p->ColorSpace);
    b.Number("SubSampling", p->SubSampling);
    b.Number("NumComponents", p->NumComponents);
    b.Number("RestartFrequency", p->RestartFrequency);
    b.NumberList("QuantMap[]", p->QuantMap, std::size(p->QuantMap));
    // The table labels stand one column left of the block's "=" and have no line
    // end: each TW_MEMORY heading continues its label's line, and no later line
    // closes the label's "{".
    for (size_t i = 0; i < std::size(p->QuantTable); ++i) {
        b.BeginLine(CIndexedName("QuantTable[%zu]   = {", i));
        TwMemoryAnalyze(&p->QuantTable[i]);
    }
    b.NumberList("HuffmanMap[]", p->HuffmanMap, std::size(p->HuffmanMap));
    for (size_t i = 0; i < std::size(p->HuffmanDC); ++i) {
        b.BeginLine(CIndexedName("HuffmanDC[%zu]    = {", i));
        TwMemoryAnalyze(&p->HuffmanDC[i]);
    }
    for (size_t i = 0; i < std::size(p->HuffmanAC); ++i) {
        b.BeginLine(CIndexedName("HuffmanAC[%zu]    = {", i));
        TwMemoryAnalyze(&p->HuffmanAC[i]);
    }
    return true;
}

// No member is read: the palette is not shown, and NumColors is not trusted.
bool CParaAnalyze::TwPalette8Analyze(TW_PALETTE8* p) {
    if (!p) return true;
    AppendFormat("%*sTW_PALETTE8 = { it does not display. }%s", kTopIndent, "", kCrLf);
    return true;
}

// The first TW_INFO only; its Item is shown as a number and not followed, even
// where it is a handle. Without infos there is none: an application may size the
// structure for no infos at all, so Info[0] is not read then.
bool CParaAnalyze::TwExtImageInfoAnalyze(TW_EXTIMAGEINFO* p) {
    if (!p) return true;
    CTraceBlock b(*this, "TW_EXTIMAGEINFO", kTopIndent, sizeof("NumInfos") - 1);
    b.Number("NumInfos", p->NumInfos);
    if (p->NumInfos == 0) return true;
    b.Label("Info");
    TwInfoAnalyze(&p->Info[0]);
    return true;
}

bool CParaAnalyze::TwFrameAnalyze(TW_FRAME* p) {
    if (!p) return true;
    CTraceBlock b(*this, "TW_FRAME", kNestedIndent, sizeof("Bottom") - 1);
    b.Fixed("Left", p->Left);
    b.Fixed("Top", p->Top);
    b.Fixed("Right", p->Right);
    b.Fixed("Bottom", p->Bottom);
    return true;
}

bool CParaAnalyze::TwElement8Analyze(TW_ELEMENT8* p) {
    if (!p) return true;
    CTraceBlock b(*this, "TW_ELEMENT8", kNestedIndent, sizeof("Channel1") - 1);
    b.Number("Index", p->Index);
    b.Number("Channel1", p->Channel1);
    b.Number("Channel2", p->Channel2);
    b.Number("Channel3", p->Channel3);
    return true;
}

bool CParaAnalyze::TwTransformStageAnalyze(TW_TRANSFORMSTAGE* p) {
    if (!p) return true;
    CTraceBlock b(*this, "TW_TRANSFORMSTAGE", kNestedIndent, sizeof("Mix[0][0]") - 1);
    for (size_t i = 0; i < std::size(p->Decode); ++i) {
        b.Label(CIndexedName("Decode[%zu]", i));
        TwDecodeFunctionAnalyze(&p->Decode[i]);
    }
    // Row by row: Mix[0][0], Mix[0][1], ... Mix[2][2].
    for (size_t i = 0; i < std::size(p->Mix); ++i) {
        for (size_t j = 0; j < std::size(p->Mix[i]); ++j) {
            b.Fixed(CIndexedName("Mix[%zu][%zu]", i, j), p->Mix[i][j]);
        }
    }
    return true;
}

bool CParaAnalyze::TwDecodeFunctionAnalyze(TW_DECODEFUNCTION* p) {
    if (!p) return true;
    CTraceBlock b(*this, "TW_DECODEFUNCTION", kInnerIndent, sizeof("SampleCount") - 1);
    b.Fixed("StartIn", p->StartIn);
    b.Fixed("BreakIn", p->BreakIn);
    b.Fixed("EndIn", p->EndIn);
    b.Fixed("StartOut", p->StartOut);
    b.Fixed("BreakOut", p->BreakOut);
    b.Fixed("EndOut", p->EndOut);
    b.Fixed("Gamma", p->Gamma);
    b.Fixed("SampleCount", p->SampleCount);
    return true;
}

bool CParaAnalyze::TwCiePointAnalyze(TW_CIEPOINT* p) {
    if (!p) return true;
    CTraceBlock b(*this, "TW_CIEPOINT", kNestedIndent, sizeof("X") - 1);
    b.Fixed("X", p->X);
    b.Fixed("Y", p->Y);
    b.Fixed("Z", p->Z);
    return true;
}

bool CParaAnalyze::TwInfoAnalyze(TW_INFO* p) {
    if (!p) return true;
    CTraceBlock b(*this, "TW_INFO", kNestedIndent, sizeof("ItemType") - 1);
    b.Number("InfoID", p->InfoID);
    b.Name<twty_macros>("ItemType", p->ItemType);
    b.Number("NumItems", p->NumItems);
    b.Name<twrc_macros>("CondCode", p->CondCode);
    b.Number("Item", p->Item);
    return true;
}
