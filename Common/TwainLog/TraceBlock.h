// The shared form of every structure block in the trace:
//
//   <indent>TYPE = {
//   <indent+2>Name<blanks> = [value]
//   <indent>}
//
// A renderer opens a CTraceBlock and lists its fields in memory order; the block
// writes the heading at once and the closing line when it goes out of scope. The
// indentation, the common "=" column and the CR LF come from here, never from
// blanks counted by hand in a renderer.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "../TwainTypes.h"
#include "ParaAnalyze.h"
#include "twaintbl.h"

// Where a block opens: as the triplet's data, inside another structure, or two
// levels down. Fields stand two blanks further in.
inline constexpr int kTopIndent = 2;
inline constexpr int kNestedIndent = 4;
inline constexpr int kInnerIndent = 6;


class CTraceBlock {
public:
    // nameWidth is the length of the block's longest field name: the names are
    // padded to it so that every "=" of the block stands in one column.
    // Inline, as are the lines they write: the type name and the indentation are
    // constants where a renderer opens a block.
    CTraceBlock(CParaAnalyze& analyzer, std::string_view typeName, int indent, int nameWidth)
        : m_analyzer(analyzer), m_nIndent(indent), m_nNameWidth(nameWidth), m_bClosed(false) {
        if (CRecordText* text = m_analyzer.m_pszText) text->AppendPieces(Blanks(m_nIndent), typeName, " = {\r\n");
    }
    ~CTraceBlock() {
        CRecordText* text = m_analyzer.m_pszText;
        if (m_bClosed || !text) return;
        text->AppendPieces(Blanks(m_nIndent), "}\r\n");
    }
    CTraceBlock(const CTraceBlock&) = delete;
    CTraceBlock& operator=(const CTraceBlock&) = delete;

    // "[%d]" / "[%ld]": pass the member as its own type; the widening of the
    // parameter gives the sign or zero extension that the member calls for.
    void Number(std::string_view name, long long value);
    // "[0x%x]" with at least minDigits lower-case digits.
    void Hex(std::string_view name, unsigned long long value, int minDigits = 1);
    // "<0x%08x>": the low 32 bits of a pointer or handle.
    void Pointer(std::string_view name, const void* p);
    void Pointer(std::string_view name, unsigned long long value);
    // "[%.3f]" of a TW_FIX32.
    void Fixed(std::string_view name, TW_FIX32 value);
    // "[true]" when the 16-bit value is not zero, else "[false]".
    void Flag(std::string_view name, TW_BOOL value);
    // "[NAME]" of a constant, named by Table.
    template <const auto& Table>
    void Name(std::string_view name, int64_t value) {
        UnnamedValueText fallback;
        std::string_view text = NameOrFallback<Table>(value, fallback);
        BracketLine(name, text.data(), text.size(), '[', ']');
    }
    // "[text]" of a fixed-length string field: up to its first NUL, never past it,
    // control characters escaped.
    void Text(std::string_view name, const char* field, size_t fieldSize);
    // "[text]" of a value already made.
    void Value(std::string_view name, std::string_view text);
    // "Name<blanks> =" alone on its line: a nested structure's block follows.
    void Label(std::string_view name);
    // The same label with the blank after "=" kept ("Name<blanks> = "), as the
    // vendor blocks write it.
    void LabelKeepingBlank(std::string_view name);
    // "{a,b,c}" of a list of numbers, on one line.
    void NumberList(std::string_view name, const TW_INT16* values, size_t count);
    void NumberList(std::string_view name, const TW_UINT16* values, size_t count);

    // An item of a list block: "%3d:value", a comma when more items follow.
    void ListItem(size_t index, const char* value, bool more);
    // The count items of a list block, each formatted straight into the record:
    // format(i, out) writes item i's text there, at most maxLength characters,
    // and returns how many. As many lines as the record surely has room for are
    // made in place after one check of room; near the end of the kept part,
    // where a line may be cut, the rest go one at a time, and none past the end.
    template <typename Format>
    void ListItems(size_t count, size_t maxLength, Format format) {
        CRecordText* text = m_analyzer.m_pszText;
        if (!text) return;
        size_t indent = static_cast<size_t>(m_nIndent + 2);
        // The head's store of blanks is 16 wide, whatever the line's length.
        size_t lineMax = (indent + 4 > 16 ? indent + 4 : 16) + maxLength + 3;
        size_t i = 0;
        while (i < count && i < 1000 && indent <= 16) {
            size_t fit = text->Room() / lineMax;
            if (fit == 0) break;
            size_t end = count - i < fit ? count : i + fit;
            if (end > 1000) end = 1000;
            char* start = text->Reserve(0);
            char* out = start;
            // Only locals here: a store through out may alias any member.
            for (; i < end; ++i) {
                out += IndexHead(i, indent, out);
                out += format(i, out);
                *out = ',';
                out += i + 1 < count;
                memcpy(out, "\r\n", 2);
                out += 2;
            }
            text->Commit(static_cast<size_t>(out - start));
        }
        for (; i < count && !text->IsFull(); ++i) {
            char value[kValueTextSize + 1];
            value[format(i, value)] = '\0';
            ListItem(i, value, i + 1 < count);
        }
    }

    // For lines that depart from the common form: the field's indentation and
    // padded name with " = ", and the caller appends the rest of the line.
    void BeginField(std::string_view name);
    // A whole line at the field indentation, CR LF added: "StageABC=" and the like.
    void Line(std::string_view text);
    // The start of such a line, without the line end: the caller's next output
    // continues it.
    void BeginLine(std::string_view text);
    // The one block that closes in column 1 instead of at its heading's indent.
    void CloseInColumn1();

private:
    static constexpr char kBlanks[17] = "                ";
    // Indentation as a piece of a line; block indents are small.
    static std::string_view Blanks(int n) {
        size_t count = n < 0 ? 0 : static_cast<size_t>(n);
        return std::string_view(kBlanks, count < sizeof(kBlanks) - 1 ? count : sizeof(kBlanks) - 1);
    }
    // "%3d:" of every index below 1000.
    static constexpr auto kListIndexHeads = [] {
        std::array<std::array<char, 4>, 1000> heads{};
        for (size_t i = 0; i < heads.size(); ++i) {
            heads[i] = {i >= 100 ? static_cast<char>('0' + i / 100) : ' ',
                        i >= 10 ? static_cast<char>('0' + i / 10 % 10) : ' ', static_cast<char>('0' + i % 10), ':'};
        }
        return heads;
    }();
    // The longest head of a list item: the indentation, an index of 20 digits, ':'.
    static constexpr size_t kListItemHeadMax = 16 + 20 + 1;
    // Writes the head of a list item to out, which has room for kListItemHeadMax
    // characters, and returns its length. Inline: it is written for every item.
    size_t ListItemHead(size_t index, char* out) const {
        auto indent = static_cast<size_t>(m_nIndent + 2);
        if (index >= 1000 || indent > 16) return WideListItemHead(index, out);
        return IndexHead(index, indent, out);
    }
    // The head of an index below 1000 at an indentation up to 16: one store of
    // blanks, then the index from the table; out has room for 20 characters.
    static size_t IndexHead(size_t index, size_t indent, char* out) {
        memcpy(out, kBlanks, 16);
        memcpy(out + indent, kListIndexHeads[index].data(), 4);
        return indent + 4;
    }
    // The same for an index past 999, or a deeper block.
    size_t WideListItemHead(size_t index, char* out) const;
    // The indentation and the padded name; null without a record.
    CRecordText* FieldStart(std::string_view name);
    // "Name<blanks> = " open value close CR LF.
    void BracketLine(std::string_view name, const char* value, size_t length, char open, char close);
    // The same line appended piece by piece, each counted where it is cut.
    void AppendLine(std::string_view name, const char* value, size_t length, char open, char close);
    // The same line with the value formatted by format(out), which writes at
    // most maxLength characters (no more than kValueTextSize) and returns how many.
    template <typename Format>
    void FormattedLine(std::string_view name, size_t maxLength, char open, char close, Format format);
    template <typename T>
    void List(std::string_view name, const T* values, size_t count);

    CParaAnalyze& m_analyzer;
    int m_nIndent;
    int m_nNameWidth;
    bool m_bClosed;
};
