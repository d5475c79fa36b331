#include "RecordText.h"

#include <cstdio>
#include <cstring>

void CRecordText::Append(const char* psz) {
    if (psz) Append(psz, strlen(psz));
}

void CRecordText::Append(const char* p, size_t n) {
    size_t kept = KeptLength();
    size_t room = kMaxWritten - kept;
    size_t copied = n < room ? n : room;
    memcpy(m_szText + kept, p, copied);
    m_szText[kept + copied] = '\0';
    m_nLength += n;
}

void CRecordText::AppendFormat(const char* pszFormat, ...) {
    va_list args;
    va_start(args, pszFormat);
    AppendFormatV(pszFormat, args);
    va_end(args);
}

void CRecordText::AppendFormatV(const char* pszFormat, va_list args) {
    size_t kept = KeptLength();
    // vsnprintf writes at most room - 1 characters and the NUL, so the kept text
    // ends exactly at kMaxWritten; its result is the length it wanted to write.
    int n = vsnprintf(m_szText + kept, kMaxWritten + 1 - kept, pszFormat, args);
    if (n > 0) m_nLength += static_cast<size_t>(n);
    else m_szText[kept] = '\0';
}
