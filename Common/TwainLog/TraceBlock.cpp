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
void CTraceBlock::CloseInColumn1() {
    m_bClosed = true;
    if (CRecordText* text = m_analyzer.m_pszText) text->Append("}\r\n", 3);
}

CRecordText* CTraceBlock::FieldStart(std::string_view name) {
    CRecordText* text = m_analyzer.m_pszText;
    if (!text) return nullptr;
    AppendBlanks(*text, static_cast<size_t>(m_nIndent + 2));
    size_t length = name.size();
    text->Append(name.data(), length);
    if (length < static_cast<size_t>(m_nNameWidth)) AppendBlanks(*text, m_nNameWidth - length);
    return text;
}

template <typename Format>
void CTraceBlock::FormattedLine(std::string_view name, size_t maxLength, char open, char close, Format format) {
    CRecordText* text = m_analyzer.m_pszText;
    if (!text) return;
    size_t indent = static_cast<size_t>(m_nIndent + 2);
    size_t nameLength = name.size();
    size_t padding = nameLength < static_cast<size_t>(m_nNameWidth) ? m_nNameWidth - nameLength : 0;
    size_t head = indent + nameLength + padding;
    // The whole line in place while the record has room for it: the usual case.
    // Indent and padding come from one store of blanks that the name then
    // overwrites, and the value is formatted straight into the line.
    static constexpr char kBlankHead[33] = "                                ";
    size_t most = head + 4 + maxLength + 3;
    char* out = head <= 32 ? text->Reserve(most > 32 ? most : 32) : nullptr;
    if (out) {
        memcpy(out, kBlankHead, 32);
        CopyPiece(out + indent, name.data(), nameLength);
        char* value = out + head;
        memcpy(value, " = ", 3);
        value[3] = open;
        char* end = value + 4 + format(value + 4);
        end[0] = close;
        end[1] = '\r';
        end[2] = '\n';
        text->Commit(static_cast<size_t>(end + 3 - out));
        return;
    }
    // Near the end of the kept part, where the line may be cut.
    char valueText[kValueTextSize];
    AppendLine(name, valueText, format(valueText), open, close);
}

void CTraceBlock::AppendLine(std::string_view name, const char* value, size_t length, char open, char close) {
    CRecordText* text = FieldStart(name);
    if (!text) return;
    char opening[4] = {' ', '=', ' ', open};
    text->Append(opening, 4);
    text->Append(value, length);
    char closing[3] = {close, '\r', '\n'};
    text->Append(closing, 3);
}

void CTraceBlock::BracketLine(std::string_view name, const char* value, size_t length, char open, char close) {
    // A value longer than the formatter's buffer is appended as it stands.
    if (length > kValueTextSize) {
        AppendLine(name, value, length, open, close);
        return;
    }
    FormattedLine(name, length, open, close, [&](char* out) {
        CopyPiece(out, value, length);
        return length;
    });
}

size_t CTraceBlock::WideListItemHead(size_t index, char* out) const {
    char digits[kNumberTextSize];
    size_t digitCount = FormatUnsigned(index, digits);
    size_t indent = static_cast<size_t>(m_nIndent + 2);
    size_t padding = (indent < 16 ? indent : 16) + (digitCount < 3 ? 3 - digitCount : 0);
    memset(out, ' ', padding);
    memcpy(out + padding, digits, digitCount);
    out[padding + digitCount] = ':';
    return padding + digitCount + 1;
}

void CTraceBlock::ListItem(size_t index, const char* value, bool more) {
    CRecordText* text = m_analyzer.m_pszText;
    if (!text) return;
    size_t length = strlen(value);
    char* out = text->Reserve(kListItemHeadMax + length + 3);
    if (!out) {
        // Past the kept part only the length still counts.
        char head[kListItemHeadMax];
        text->Append(head, ListItemHead(index, head));
        text->Append(value, length);
        if (more) text->Append(",", 1);
        AppendLineEnd(*text);
        return;
    }
    size_t n = ListItemHead(index, out);
    CopyPiece(out + n, value, length);
    n += length;
    if (more) out[n++] = ',';
    out[n] = '\r';
    out[n + 1] = '\n';
    text->Commit(n + 2);
}

void CTraceBlock::BeginField(std::string_view name) {
    if (CRecordText* text = FieldStart(name)) text->Append(" = ", 3);
}

void CTraceBlock::Value(std::string_view name, std::string_view text) {
    BracketLine(name, text.data(), text.size(), '[', ']');
}

void CTraceBlock::Number(std::string_view name, long long value) {
    FormattedLine(name, kNumberTextSize, '[', ']', [value](char* out) { return FormatSigned(value, out); });
}

void CTraceBlock::Hex(std::string_view name, unsigned long long value, int minDigits) {
    FormattedLine(name, kNumberTextSize, '[', ']',
                  [=](char* out) { return FormatHexWithPrefix(value, out, minDigits); });
}

void CTraceBlock::Pointer(std::string_view name, const void* p) {
    Pointer(name, static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(p)));
}

// The low 32 bits, as the trace has always shown addresses.
void CTraceBlock::Pointer(std::string_view name, unsigned long long value) {
    FormattedLine(name, kNumberTextSize, '<', '>',
                  [value](char* out) { return FormatHexWithPrefix(static_cast<uint32_t>(value), out, 8); });
}

void CTraceBlock::Fixed(std::string_view name, TW_FIX32 value) {
    FormattedLine(name, kNumberTextSize, '[', ']', [value](char* out) { return FormatFix32(value, out); });
}

void CTraceBlock::Flag(std::string_view name, TW_BOOL value) { Value(name, value ? "true" : "false"); }

void CTraceBlock::Text(std::string_view name, const char* field, size_t fieldSize) {
    // Room for the longest field, a TW_STR255, with every character escaped.
    char shown[kValueTextSize];
    BracketLine(name, shown, FormatShownText(field, strnlen(field, fieldSize), shown, sizeof(shown)), '[', ']');
}

void CTraceBlock::Label(std::string_view name) {
    if (CRecordText* text = FieldStart(name)) text->Append(" =\r\n", 4);
}

void CTraceBlock::LabelKeepingBlank(std::string_view name) {
    if (CRecordText* text = FieldStart(name)) text->Append(" = \r\n", 5);
}

void CTraceBlock::Line(std::string_view text) {
    BeginLine(text);
    if (CRecordText* record = m_analyzer.m_pszText) AppendLineEnd(*record);
}

void CTraceBlock::BeginLine(std::string_view text) {
    CRecordText* record = m_analyzer.m_pszText;
    if (!record) return;
    AppendBlanks(*record, static_cast<size_t>(m_nIndent + 2));
    record->Append(text.data(), text.size());
}

template <typename T>
void CTraceBlock::List(std::string_view name, const T* values, size_t count) {
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

void CTraceBlock::NumberList(std::string_view name, const TW_INT16* values, size_t count) {
    List(name, values, count);
}

void CTraceBlock::NumberList(std::string_view name, const TW_UINT16* values, size_t count) {
    List(name, values, count);
}
