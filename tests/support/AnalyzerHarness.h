// Runs triplets through a private analyzer the way DS_Entry does and returns the
// texts, so tests compare whole records.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>

#include "ParaAnalyze.h"

class CAnalyzerHarness {
public:
    explicit CAnalyzerHarness(int state = 0) { m_analyzer.SetTwainStatus(state); }

    std::string Triplet(TW_UINT32 DG, TW_UINT16 DAT, TW_UINT16 MSG, void* pData = nullptr) {
        m_text.Clear();
        m_analyzer.TripletAnalyze(nullptr, nullptr, DG, DAT, MSG, static_cast<char*>(pData), &m_text);
        return std::string(m_text.Text(), m_text.KeptLength());
    }

    std::string Params(TW_UINT32 DG, TW_UINT16 DAT, TW_UINT16 MSG, void* pData, TW_UINT16 RC,
                       TW_IDENTITY* pOrigin = nullptr) {
        m_text.Clear();
        m_analyzer.ParaAnalyze(pOrigin, nullptr, DG, DAT, MSG, static_cast<char*>(pData), RC, &m_text);
        return std::string(m_text.Text(), m_text.KeptLength());
    }

    // Both texts of the record of a call the source makes to the manager, to the
    // application pDest.
    std::string SourceRecord(TW_UINT16 DAT, TW_UINT16 MSG, void* pData, TW_UINT16 RC, TW_IDENTITY* pDest = nullptr) {
        auto* data = static_cast<char*>(pData);
        m_text.Clear();
        m_analyzer.TripletAnalyze(nullptr, pDest, DG_CONTROL, DAT, MSG, data, &m_text, CallSide::Source);
        std::string line(m_text.Text(), m_text.KeptLength());
        m_text.Clear();
        m_analyzer.ParaAnalyze(nullptr, pDest, DG_CONTROL, DAT, MSG, data, RC, &m_text, CallSide::Source);
        return line + std::string(m_text.Text(), m_text.KeptLength());
    }

    // Both texts of one record, as they reach the log.
    std::string Record(TW_UINT32 DG, TW_UINT16 DAT, TW_UINT16 MSG, void* pData, TW_UINT16 RC) {
        std::string line = Triplet(DG, DAT, MSG, pData);
        return line + Params(DG, DAT, MSG, pData, RC);
    }

    // What renderers called directly append to one fresh record; render gets the
    // analyzer, with m_DAT and m_MSG as the test sets them.
    template <typename Render>
    std::string Rendered(Render render) {
        m_text.Clear();
        m_analyzer.m_pszText = &m_text;
        render(m_analyzer);
        return std::string(m_text.Text(), m_text.KeptLength());
    }

    CParaAnalyze& analyzer() { return m_analyzer; }
    const CRecordText& text() const { return m_text; }

private:
    CParaAnalyze m_analyzer;
    CRecordText m_text;
};

// The parameter text of one call through the real dispatch, from the given state.
inline std::string ParamsFrom(int state, TW_UINT32 DG, TW_UINT16 DAT, TW_UINT16 MSG, void* pData, TW_UINT16 RC,
                              TW_IDENTITY* pOrigin = nullptr) {
    CAnalyzerHarness h(state);
    return h.Params(DG, DAT, MSG, pData, RC, pOrigin);
}

// What one renderer called directly appends to a fresh record.
template <typename Render>
std::string RenderedText(Render render) {
    CAnalyzerHarness h;
    return h.Rendered(render);
}

using RenderCall = std::function<void(CParaAnalyze&)>;

// Renderers handed a null pointer append nothing (and do not crash).
inline void ExpectNothingRendered(std::initializer_list<RenderCall> renders) {
    int index = 0;
    for (const RenderCall& render : renders) EXPECT_EQ(RenderedText(render), "") << "renderer " << index++;
}

// A TW_FIX32 of a value that sixteen fraction bits hold exactly (2.5, -1.25, ...).
inline TW_FIX32 Fix32(double value) {
    double whole = std::floor(value);
    return TW_FIX32{static_cast<TW_INT16>(whole), static_cast<TW_UINT16>((value - whole) * 65536.0)};
}

// A fixed-length text field: the text, NULs behind it; a text as long as the field has no NUL.
template <size_t N>
void SetText(char (&field)[N], std::string_view text) {
    memset(field, 0, N);
    memcpy(field, text.data(), text.size() < N ? text.size() : N);
}
