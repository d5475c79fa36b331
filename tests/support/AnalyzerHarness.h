// Runs triplets through a private analyzer the way DS_Entry does and returns the
// texts, so tests compare whole records.
#pragma once

#include <string>

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
