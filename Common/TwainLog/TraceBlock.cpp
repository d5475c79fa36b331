#include "TraceBlock.h"

#include <cstring>

#include "TextFormat.h"

namespace {

void AppendBlanks(CRecordText& text, size_t n) {
    static constexpr char kBlanks[] = "                                ";
    while (n > 0) {
        size_t piece = n < sizeof(kBlanks) - 1 ? n : sizeof(kBlanks) - 1;
        text.Append(kBlanks, piece);
        n -= piece;
    }
}

void AppendLineEnd(CRecordText& text) { text.Append(kCrLf, 2); }

}  // namespace

// Formatted by hand rather than with printf: these lines are most of every record.
CTraceBlock::CTraceBlock(CParaAnalyze& analyzer, const char* typeName, int indent, int nameWidth)
    : m_analyzer(analyzer), m_nIndent(indent), m_nNameWidth(nameWidth), m_bClosed(false) {
    CRecordText* text = m_analyzer.m_pszText;
    if (!text) return;
    AppendBlanks(*text, static_cast<size_t>(m_nIndent));
    text->Append(typeName);
    text->Append(" = {\r\n", 6);
}

CTraceBlock::~CTraceBlock() {
    CRecordText* text = m_analyzer.m_pszText;
    if (m_bClosed || !text) return;
    AppendBlanks(*text, static_cast<size_t>(m_nIndent));
    text->Append("}\r\n", 3);
}

void CTraceBlock::CloseInColumn1() {
    m_bClosed = true;
    if (CRecordText* text = m_analyzer.m_pszText) text->Append("}\r\n", 3);
}

CRecordText* CTraceBlock::FieldStart(const char* name) {
    CRecordText* text = m_analyzer.m_pszText;
    if (!text) return nullptr;
    AppendBlanks(*text, static_cast<size_t>(m_nIndent + 2));
    size_t length = strlen(name);
    text->Append(name, length);
    if (length < static_cast<size_t>(m_nNameWidth)) AppendBlanks(*text, m_nNameWidth - length);
    return text;
}

void CTraceBlock::BracketLine(const char* name, const char* value, size_t length, char open, char close) {
    CRecordText* text = FieldStart(name);
    if (!text) return;
    char opening[4] = {' ', '=', ' ', open};
    text->Append(opening, 4);
    text->Append(value, length);
    char closing[3] = {close, '\r', '\n'};
    text->Append(closing, 3);
}

void CTraceBlock::BeginField(const char* name) {
    if (CRecordText* text = FieldStart(name)) text->Append(" = ", 3);
}

void CTraceBlock::Value(const char* name, const char* text) {
    BracketLine(name, text, strlen(text), '[', ']');
}

void CTraceBlock::Number(const char* name, long long value) {
    char digits[kNumberTextSize];
    BracketLine(name, digits, FormatSigned(value, digits), '[', ']');
}

void CTraceBlock::Hex(const char* name, unsigned long long value, int minDigits) {
    char digits[kNumberTextSize] = {'0', 'x'};
    BracketLine(name, digits, 2 + FormatHex(value, digits + 2, minDigits), '[', ']');
}

void CTraceBlock::Pointer(const char* name, const void* p) {
    Pointer(name, static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(p)));
}

// The low 32 bits, as the trace has always shown addresses.
void CTraceBlock::Pointer(const char* name, unsigned long long value) {
    char digits[kNumberTextSize] = {'0', 'x'};
    BracketLine(name, digits, 2 + FormatHex(static_cast<uint32_t>(value), digits + 2, 8), '<', '>');
}

void CTraceBlock::Fixed(const char* name, TW_FIX32 value) {
    char digits[kNumberTextSize];
    BracketLine(name, digits, FormatFix32(value, digits), '[', ']');
}

void CTraceBlock::Flag(const char* name, TW_BOOL value) { Value(name, value ? "true" : "false"); }

void CTraceBlock::Text(const char* name, const char* field, size_t fieldSize) {
    BracketLine(name, field, strnlen(field, fieldSize), '[', ']');
}

void CTraceBlock::Label(const char* name) {
    if (CRecordText* text = FieldStart(name)) text->Append(" =\r\n", 4);
}

void CTraceBlock::LabelKeepingBlank(const char* name) {
    if (CRecordText* text = FieldStart(name)) text->Append(" = \r\n", 5);
}

void CTraceBlock::Line(const char* text) {
    BeginLine(text);
    if (CRecordText* record = m_analyzer.m_pszText) AppendLineEnd(*record);
}

void CTraceBlock::BeginLine(const char* text) {
    CRecordText* record = m_analyzer.m_pszText;
    if (!record) return;
    AppendBlanks(*record, static_cast<size_t>(m_nIndent + 2));
    record->Append(text);
}

template <typename T>
void CTraceBlock::List(const char* name, const T* values, size_t count) {
    BeginField(name);
    CRecordText* text = m_analyzer.m_pszText;
    if (!text) return;
    text->Append("{", 1);
    for (size_t i = 0; i < count; ++i) {
        char digits[kNumberTextSize];
        size_t n = FormatSigned(values[i], digits);
        if (i + 1 < count) digits[n++] = ',';
        text->Append(digits, n);
    }
    text->Append("}\r\n", 3);
}

void CTraceBlock::NumberList(const char* name, const TW_INT16* values, size_t count) {
    List(name, values, count);
}

void CTraceBlock::NumberList(const char* name, const TW_UINT16* values, size_t count) {
    List(name, values, count);
}
