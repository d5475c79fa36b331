// An analyzer with a record of its own, so that a test can call a renderer, or run
// a triplet through the real parameter dispatch, and compare the whole text.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>

#include "ParaAnalyze.h"
#include "RecordText.h"

class CRenderHarness {
public:
    CRenderHarness() { m_cAnalyzer.m_pszText = &m_cRecord; }

    // For calling a renderer directly; set m_DAT or m_MSG first where it reads them.
    CParaAnalyze* operator->() { return &m_cAnalyzer; }

    std::string Text() const { return std::string(m_cRecord.Text(), m_cRecord.KeptLength()); }

    // The parameter text of one forwarded triplet, with the TWAIN state set first.
    std::string Parameters(TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg, void* pData, TW_UINT16 rc,
                           int stateBefore, TW_IDENTITY* pOrigin = nullptr) {
        m_cRecord.Clear();
        m_cAnalyzer.SetTwainStatus(stateBefore);
        m_cAnalyzer.ParaAnalyze(pOrigin, nullptr, dg, dat, msg, static_cast<char*>(pData), rc, &m_cRecord);
        return Text();
    }

private:
    CParaAnalyze m_cAnalyzer;
    CRecordText m_cRecord;
};

// "<0x%08x>": how every pointer field shows an address, for expected texts that
// hold the address of test memory.
inline std::string PointerText(const void* p) {
    char sz[32];
    snprintf(sz, sizeof(sz), "<0x%08x>", static_cast<unsigned int>(reinterpret_cast<uintptr_t>(p)));
    return sz;
}

// The two lines in front of a structure in the parameter text.
inline std::string ResultLines(const std::string& returnCode, const void* pData) {
    return "        Return Code = [" + returnCode + "]\r\npData   = " + PointerText(pData) + "\r\n";
}

// The state line behind it.
inline std::string StateLine(int state) {
    return "\r\nTWAIN Status = [" + std::to_string(state) + "]\r\n";
}

// A TW_FIX32 of a value that sixteen fraction bits hold exactly (2.5, -1.25, ...).
inline TW_FIX32 Fix32(double value) {
    double whole = std::floor(value);
    return TW_FIX32{static_cast<TW_INT16>(whole), static_cast<TW_UINT16>((value - whole) * 65536.0)};
}
