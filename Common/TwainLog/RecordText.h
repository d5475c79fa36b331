// The text of one trace record. The first kMaxWritten characters are kept exactly
// as formatted; anything appended beyond them is only counted, so no append can
// write outside the buffer and the caller still sees the full length it asked for.
#pragma once

#include <cstdarg>
#include <cstddef>

class CRecordText {
public:
    static constexpr size_t kMaxWritten = 5120;

    CRecordText() { Clear(); }

    void Clear() {
        m_nLength = 0;
        m_szText[0] = '\0';
    }

    void Append(const char* psz);
    void Append(const char* p, size_t n);
    void AppendFormat(const char* pszFormat, ...) __attribute__((format(printf, 2, 3)));
    void AppendFormatV(const char* pszFormat, va_list args) __attribute__((format(printf, 2, 0)));

    // Total number of characters appended, kept or not.
    size_t Length() const { return m_nLength; }
    // The kept characters, NUL-terminated.
    const char* Text() const { return m_szText; }
    size_t KeptLength() const { return m_nLength < kMaxWritten ? m_nLength : kMaxWritten; }
    bool IsFull() const { return m_nLength >= kMaxWritten; }

private:
    char m_szText[kMaxWritten + 1];
    size_t m_nLength;
};
