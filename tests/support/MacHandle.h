// A live Mac handle whose block is exactly the given bytes, disposed at scope end.
#pragma once

#include <CoreServices/CoreServices.h>

#include <cstddef>
#include <cstring>

#include "TwainTypes.h"

class CHandle {
public:
    CHandle(const void* bytes, size_t size) : m_h(NewHandleClear(static_cast<Size>(size))) {
        if (size) memcpy(*m_h, bytes, size);
    }
    // Any container of bytes with data() and size().
    template <typename Bytes>
    explicit CHandle(const Bytes& bytes) : CHandle(bytes.data(), bytes.size()) {}
    ~CHandle() { DisposeHandle(m_h); }
    CHandle(const CHandle&) = delete;
    CHandle& operator=(const CHandle&) = delete;
    TW_HANDLE get() const { return m_h; }

private:
    Handle m_h;
};
