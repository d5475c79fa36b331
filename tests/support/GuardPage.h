// Test memory that ends where an inaccessible page begins, so that a renderer that
// reads one byte past what it was given crashes the test instead of passing.
#pragma once

#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

class CGuardedBlock {
public:
    // size bytes, zero-filled, placed as close to the guard page as the alignment
    // allows (the block ends fewer than `alignment` bytes before it).
    explicit CGuardedBlock(size_t size, size_t alignment = alignof(std::max_align_t)) : m_nSize(size) {
        size_t page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
        size_t dataPages = (size + page - 1) / page + 1;
        m_nMapped = (dataPages + 1) * page;
        void* map = mmap(nullptr, m_nMapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (map == MAP_FAILED) abort();
        m_pMap = static_cast<unsigned char*>(map);
        unsigned char* guard = m_pMap + dataPages * page;
        if (mprotect(guard, page, PROT_NONE) != 0) abort();
        uintptr_t start = reinterpret_cast<uintptr_t>(guard) - size;
        start -= start % alignment;
        m_pData = reinterpret_cast<unsigned char*>(start);
        memset(m_pData, 0, size);
    }
    ~CGuardedBlock() { munmap(m_pMap, m_nMapped); }
    CGuardedBlock(const CGuardedBlock&) = delete;
    CGuardedBlock& operator=(const CGuardedBlock&) = delete;

    unsigned char* data() { return m_pData; }
    size_t size() const { return m_nSize; }
    template <typename T>
    T* as() {
        return reinterpret_cast<T*>(m_pData);
    }

private:
    unsigned char* m_pMap = nullptr;
    size_t m_nMapped = 0;
    unsigned char* m_pData = nullptr;
    size_t m_nSize;
};

// A T at the very end of readable memory (T's size is a multiple of its alignment).
template <typename T>
class CGuarded : public CGuardedBlock {
public:
    CGuarded() : CGuardedBlock(sizeof(T), alignof(T)) {}
    explicit CGuarded(const T& value) : CGuarded() { *get() = value; }
    T* operator->() { return as<T>(); }
    T* get() { return as<T>(); }
};
