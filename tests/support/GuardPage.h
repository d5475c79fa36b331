// Test memory that ends where an inaccessible page begins, so that a renderer that
// reads one byte past what it was given crashes the test instead of passing.
#pragma once

#if defined(_WIN32)
#include <windows.h>
#else
#include <sys/mman.h>
#include <unistd.h>
#endif

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

class CGuardedBlock {
public:
    // size bytes, zero-filled, placed as close to the guard page as the alignment
    // allows (the block ends fewer than `alignment` bytes before it).
    explicit CGuardedBlock(size_t size, size_t alignment = alignof(std::max_align_t)) : m_nSize(size) {
        size_t page = PageSize();
        size_t dataPages = (size + page - 1) / page + 1;
        m_nMapped = (dataPages + 1) * page;
        m_pMap = MapPages(m_nMapped);
        unsigned char* guard = m_pMap + dataPages * page;
        ProtectPage(guard, page);
        uintptr_t start = reinterpret_cast<uintptr_t>(guard) - size;
        start -= start % alignment;
        m_pData = reinterpret_cast<unsigned char*>(start);
        memset(m_pData, 0, size);
    }
    ~CGuardedBlock() { UnmapPages(m_pMap, m_nMapped); }
    CGuardedBlock(const CGuardedBlock&) = delete;
    CGuardedBlock& operator=(const CGuardedBlock&) = delete;

    unsigned char* data() { return m_pData; }
    size_t size() const { return m_nSize; }
    template <typename T>
    T* as() {
        return reinterpret_cast<T*>(m_pData);
    }

private:
#if defined(_WIN32)
    static size_t PageSize() {
        SYSTEM_INFO info;
        GetSystemInfo(&info);
        return info.dwPageSize;
    }
    static unsigned char* MapPages(size_t size) {
        void* map = VirtualAlloc(nullptr, size, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
        if (!map) abort();
        return static_cast<unsigned char*>(map);
    }
    static void ProtectPage(unsigned char* page, size_t size) {
        DWORD before;
        if (!VirtualProtect(page, size, PAGE_NOACCESS, &before)) abort();
    }
    static void UnmapPages(unsigned char* map, size_t) { VirtualFree(map, 0, MEM_RELEASE); }
#else
    static size_t PageSize() { return static_cast<size_t>(sysconf(_SC_PAGESIZE)); }
    static unsigned char* MapPages(size_t size) {
        void* map = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (map == MAP_FAILED) abort();
        return static_cast<unsigned char*>(map);
    }
    static void ProtectPage(unsigned char* page, size_t size) {
        if (mprotect(page, size, PROT_NONE) != 0) abort();
    }
    static void UnmapPages(unsigned char* map, size_t size) { munmap(map, size); }
#endif

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
