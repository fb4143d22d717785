#include "common/LargeBuffers.h"

#if defined(__GLIBC__)
#include <malloc.h>
#endif
#if defined(Q_OS_LINUX)
#include <sys/mman.h>
#include <unistd.h>
#endif

#include <cstdint>

void keepLargeBuffersOffTheHeap()
{
#if defined(__GLIBC__)
    static const bool done = mallopt(M_MMAP_THRESHOLD, 128 * 1024) != 0;
    Q_UNUSED(done);
#endif
}

void adviseLargePages(void *data, qsizetype bytes)
{
#if defined(Q_OS_LINUX) && defined(MADV_HUGEPAGE)
    // A buffer under two large pages is not worth a system call.
    constexpr qsizetype LargePageBytes = 2 * 1024 * 1024;
    if (!data || bytes < 2 * LargePageBytes)
        return;
    // Only whole pages inside the buffer: the advice never reaches memory around it.
    const auto pageBytes = std::uintptr_t(sysconf(_SC_PAGESIZE));
    const auto begin = (reinterpret_cast<std::uintptr_t>(data) + pageBytes - 1) & ~(pageBytes - 1);
    const auto end = (reinterpret_cast<std::uintptr_t>(data) + std::uintptr_t(bytes)) & ~(pageBytes - 1);
    if (end > begin)
        madvise(reinterpret_cast<void *>(begin), end - begin, MADV_HUGEPAGE);
#else
    Q_UNUSED(data);
    Q_UNUSED(bytes);
#endif
}
