// The text of one trace record. The first kMaxWritten characters are kept exactly
// as formatted; anything appended beyond them is only counted, so no append can
// write outside the buffer and the caller still sees the full length it asked for.
#pragma once

#include <cstdarg>
#include <cstddef>
#include <cstring>
#include <string_view>

#include "PrintfFormat.h"

// memcpy for the short pieces a record is made of, without a library call: two
// moves of one fixed width, overlapping in the middle, cover any length up to
// twice that width. Source and destination must not overlap.
inline void CopyPiece(char* out, const char* in, size_t n) {
    if (n >= 16) {
        if (n > 32) {
            memcpy(out, in, n);
            return;
        }
        memcpy(out, in, 16);
        memcpy(out + n - 16, in + n - 16, 16);
    } else if (n >= 8) {
        memcpy(out, in, 8);
        memcpy(out + n - 8, in + n - 8, 8);
    } else if (n >= 4) {
        memcpy(out, in, 4);
        memcpy(out + n - 4, in + n - 4, 4);
    } else if (n >= 2) {
        memcpy(out, in, 2);
        memcpy(out + n - 2, in + n - 2, 2);
    } else if (n == 1) {
        *out = *in;
    }
}

class CRecordText {
public:
    static constexpr size_t kMaxWritten = 5120;

    CRecordText() { Clear(); }

    void Clear() {
        m_nLength = 0;
        m_szText[0] = '\0';
    }

    void Append(const char* psz) {
        if (psz) Append(psz, strlen(psz));
    }
    // Inline: a record is built from many short pieces.
    void Append(const char* p, size_t n) {
        size_t kept = KeptLength();
        size_t room = kMaxWritten - kept;
        size_t copied = n < room ? n : room;
        CopyPiece(m_szText + kept, p, copied);
        m_szText[kept + copied] = '\0';
        m_nLength += n;
    }
    // Several pieces as one line: one bounds check and one copy each. Inline,
    // so that the length of a piece written as a literal is known when compiled.
    template <typename... Pieces>
    void AppendPieces(const Pieces&... pieces) {
        AppendViews(std::string_view(pieces)...);
    }
    // Room to write n characters in place, or null when fewer are left; Commit
    // then says how many were written.
    char* Reserve(size_t n) {
        if (m_nLength > kMaxWritten || n > kMaxWritten - m_nLength) return nullptr;
        return m_szText + m_nLength;
    }
    // How many characters can still be appended whole to the kept part.
    size_t Room() const { return kMaxWritten - KeptLength(); }
    void Commit(size_t n) {
        m_nLength += n;
        m_szText[m_nLength] = '\0';
    }
    void AppendFormat(const char* pszFormat, ...) TW_PRINTF_FORMAT(2, 3);
    void AppendFormatV(const char* pszFormat, va_list args) TW_PRINTF_FORMAT(2, 0);

    // Total number of characters appended, kept or not.
    size_t Length() const { return m_nLength; }
    // The kept characters, NUL-terminated.
    const char* Text() const { return m_szText; }
    size_t KeptLength() const { return m_nLength < kMaxWritten ? m_nLength : kMaxWritten; }
    bool IsFull() const { return m_nLength >= kMaxWritten; }

private:
    template <typename... Views>
    void AppendViews(Views... views) {
        size_t total = (views.size() + ...);
        if (char* out = Reserve(total)) {
            ((CopyPiece(out, views.data(), views.size()), out += views.size()), ...);
            Commit(total);
            return;
        }
        (Append(views.data(), views.size()), ...);
    }

    char m_szText[kMaxWritten + 1];
    size_t m_nLength;
};
