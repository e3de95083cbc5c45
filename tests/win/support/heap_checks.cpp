#include "support/heap_checks.h"

#include <cstdint>
#include <cstdlib>
#include <new>

// The test program's operator new and delete: the C library's heap, unless a
// FreedMemoryGuard is alive. Nothing here may itself use new.

namespace {

constexpr std::uint64_t kMagic = 0x6775617264656421ull;  // "guarded!"
constexpr std::size_t kHeader = 16;                      // keeps objects 16-byte aligned
constexpr std::size_t kMaxFreed = 1 << 16;

struct Header {
    std::uint64_t magic;
    std::uint64_t size;  // bytes reserved, header included
};

struct Freed {
    std::uintptr_t begin;
    std::uintptr_t end;
};

volatile LONG g_active = 0;
SRWLOCK g_lock = SRWLOCK_INIT;
Freed g_freed[kMaxFreed];
std::size_t g_freedCount = 0;
volatile LONG g_violations = 0;
const void* volatile g_firstViolation = nullptr;
PVOID g_handler = nullptr;
const void* volatile g_watched = nullptr;
volatile bool g_watchedDeleted = false;

std::size_t PageSize() {
    static std::size_t size = 0;
    if (size == 0) {
        SYSTEM_INFO info;
        ::GetSystemInfo(&info);
        size = info.dwPageSize;
    }
    return size;
}

void* GuardedAlloc(std::size_t size) {
    const std::size_t page = PageSize();
    const std::size_t total = (size + kHeader + page - 1) / page * page;
    void* base = ::VirtualAlloc(nullptr, total, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
    if (base == nullptr) return nullptr;
    Header* header = static_cast<Header*>(base);
    header->magic = kMagic;
    header->size = total;
    return static_cast<char*>(base) + kHeader;
}

// Whether p came from GuardedAlloc. A block of the C library's heap has
// readable heap bookkeeping before it, so looking is safe; a guarded block
// deleted before has its header locked away, and looking faults (a double
// delete), which the handler counts and lets through.
Header* GuardedHeader(void* p) {
    const std::uintptr_t address = reinterpret_cast<std::uintptr_t>(p);
    if (address % PageSize() != kHeader) return nullptr;
    Header* header = reinterpret_cast<Header*>(address - kHeader);
    return header->magic == kMagic ? header : nullptr;
}

void GuardedFree(Header* header) {
    const std::uintptr_t begin = reinterpret_cast<std::uintptr_t>(header);
    const std::size_t size = static_cast<std::size_t>(header->size);
    DWORD previous = 0;
    ::AcquireSRWLockExclusive(&g_lock);
    if (g_freedCount < kMaxFreed) g_freed[g_freedCount++] = Freed{begin, begin + size};
    ::ReleaseSRWLockExclusive(&g_lock);
    ::VirtualProtect(header, size, PAGE_NOACCESS, &previous);
}

LONG CALLBACK OnFault(EXCEPTION_POINTERS* info) {
    if (info->ExceptionRecord->ExceptionCode != EXCEPTION_ACCESS_VIOLATION ||
        info->ExceptionRecord->NumberParameters < 2) {
        return EXCEPTION_CONTINUE_SEARCH;
    }
    const std::uintptr_t address = static_cast<std::uintptr_t>(info->ExceptionRecord->ExceptionInformation[1]);
    bool found = false;
    Freed range = {0, 0};
    ::AcquireSRWLockShared(&g_lock);
    for (std::size_t i = 0; i < g_freedCount && !found; ++i) {
        if (address >= g_freed[i].begin && address < g_freed[i].end) {
            found = true;
            range = g_freed[i];
        }
    }
    ::ReleaseSRWLockShared(&g_lock);
    if (!found) return EXCEPTION_CONTINUE_SEARCH;
    if (::InterlockedIncrement(&g_violations) == 1) g_firstViolation = reinterpret_cast<const void*>(address);
    DWORD previous = 0;
    ::VirtualProtect(reinterpret_cast<void*>(range.begin), range.end - range.begin, PAGE_READWRITE, &previous);
    return EXCEPTION_CONTINUE_EXECUTION;
}

void* Allocate(std::size_t size) {
    if (size == 0) size = 1;
    if (g_active != 0) {
        if (void* p = GuardedAlloc(size)) return p;
    }
    if (void* p = std::malloc(size)) return p;
    throw std::bad_alloc();
}

void Release(void* p) {
    if (p == nullptr) return;
    if (p == g_watched) g_watchedDeleted = true;
    if (Header* header = GuardedHeader(p)) {
        GuardedFree(header);
        return;
    }
    std::free(p);
}

}  // namespace

void* operator new(std::size_t size) { return Allocate(size); }
void* operator new[](std::size_t size) { return Allocate(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return Allocate(size);
    } catch (...) {
        return nullptr;
    }
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return Allocate(size);
    } catch (...) {
        return nullptr;
    }
}
void operator delete(void* p) noexcept { Release(p); }
void operator delete[](void* p) noexcept { Release(p); }
void operator delete(void* p, std::size_t) noexcept { Release(p); }
void operator delete[](void* p, std::size_t) noexcept { Release(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { Release(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { Release(p); }

FreedMemoryGuard::FreedMemoryGuard() {
    g_violations = 0;
    g_firstViolation = nullptr;
    g_handler = ::AddVectoredExceptionHandler(1, OnFault);
    ::InterlockedExchange(&g_active, 1);
}

FreedMemoryGuard::~FreedMemoryGuard() {
    ::InterlockedExchange(&g_active, 0);
    // Deleted objects stay locked away: a later access is still a fault, no
    // longer counted but not hidden either.
    if (g_handler != nullptr) ::RemoveVectoredExceptionHandler(g_handler);
    g_handler = nullptr;
}

int FreedMemoryGuard::Violations() const { return static_cast<int>(g_violations); }

const void* FreedMemoryGuard::FirstViolation() const { return g_firstViolation; }

DeletionWatch::DeletionWatch(const void* pObject) {
    g_watchedDeleted = false;
    g_watched = pObject;
}

DeletionWatch::~DeletionWatch() { g_watched = nullptr; }

bool DeletionWatch::Deleted() const { return g_watchedDeleted; }
