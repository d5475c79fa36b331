#include "TraceBlock.h"

CTraceBlock::CTraceBlock(CParaAnalyze& analyzer, const char* typeName, int indent, int nameWidth)
    : m_analyzer(analyzer), m_nIndent(indent), m_nNameWidth(nameWidth), m_bClosed(false) {
    m_analyzer.AppendFormat("%*s%s = {%s", m_nIndent, "", typeName, kCrLf);
}

CTraceBlock::~CTraceBlock() {
    if (!m_bClosed) m_analyzer.AppendFormat("%*s}%s", m_nIndent, "", kCrLf);
}

void CTraceBlock::CloseInColumn1() {
    m_analyzer.AppendFormat("}%s", kCrLf);
    m_bClosed = true;
}

void CTraceBlock::BeginField(const char* name) {
    m_analyzer.AppendFormat("%*s%-*s = ", m_nIndent + 2, "", m_nNameWidth, name);
}

void CTraceBlock::Value(const char* name, const char* text) {
    m_analyzer.AppendFormat("%*s%-*s = [%s]%s", m_nIndent + 2, "", m_nNameWidth, name, text, kCrLf);
}

void CTraceBlock::Number(const char* name, long long value) {
    m_analyzer.AppendFormat("%*s%-*s = [%lld]%s", m_nIndent + 2, "", m_nNameWidth, name, value, kCrLf);
}

void CTraceBlock::Hex(const char* name, unsigned long long value, int minDigits) {
    m_analyzer.AppendFormat("%*s%-*s = [0x%0*llx]%s", m_nIndent + 2, "", m_nNameWidth, name, minDigits,
                            value, kCrLf);
}

void CTraceBlock::Pointer(const char* name, const void* p) {
    Pointer(name, static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(p)));
}

void CTraceBlock::Pointer(const char* name, unsigned long long value) {
    m_analyzer.AppendFormat("%*s%-*s = <0x%08x>%s", m_nIndent + 2, "", m_nNameWidth, name,
                            static_cast<unsigned int>(value), kCrLf);
}

void CTraceBlock::Fixed(const char* name, TW_FIX32 value) {
    m_analyzer.AppendFormat("%*s%-*s = [%.3f]%s", m_nIndent + 2, "", m_nNameWidth, name,
                            Fix32ToDouble(value), kCrLf);
}

void CTraceBlock::Flag(const char* name, TW_BOOL value) { Value(name, value ? "true" : "false"); }

void CTraceBlock::Text(const char* name, const char* field, size_t fieldSize) {
    size_t n = 0;
    while (n < fieldSize && field[n] != '\0') ++n;
    m_analyzer.AppendFormat("%*s%-*s = [%.*s]%s", m_nIndent + 2, "", m_nNameWidth, name,
                            static_cast<int>(n), field, kCrLf);
}

void CTraceBlock::Label(const char* name) {
    m_analyzer.AppendFormat("%*s%-*s =%s", m_nIndent + 2, "", m_nNameWidth, name, kCrLf);
}

void CTraceBlock::LabelKeepingBlank(const char* name) {
    BeginField(name);
    m_analyzer.AppendText(kCrLf);
}

void CTraceBlock::Line(const char* text) {
    m_analyzer.AppendFormat("%*s%s%s", m_nIndent + 2, "", text, kCrLf);
}

void CTraceBlock::BeginLine(const char* text) {
    m_analyzer.AppendFormat("%*s%s", m_nIndent + 2, "", text);
}

template <typename T>
void CTraceBlock::List(const char* name, const T* values, size_t count) {
    BeginField(name);
    m_analyzer.AppendText("{");
    for (size_t i = 0; i < count; ++i) {
        m_analyzer.AppendFormat(i + 1 < count ? "%d," : "%d", static_cast<int>(values[i]));
    }
    m_analyzer.AppendFormat("}%s", kCrLf);
}

void CTraceBlock::NumberList(const char* name, const TW_INT16* values, size_t count) {
    List(name, values, count);
}

void CTraceBlock::NumberList(const char* name, const TW_UINT16* values, size_t count) {
    List(name, values, count);
}
