#include "RecordText.h"

#include <cstdio>

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
