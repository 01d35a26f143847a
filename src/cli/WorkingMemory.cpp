// A render of a 400 x 400 picture in a new process touches some 20 MB for the
// first time (the faces' pictures, their texture levels, the bands, the encoder's
// rows). On a virtual machine the first touch of each 4 KB page is a trip through
// the kernel and the hypervisor: 5,300 page faults were more than half the CPU
// time of such a `render` command. Backed by 2 MB pages the same memory takes a
// few hundred faults.
//
// So the heap is grown by kReserve at once (address space only: nothing is
// touched), that stretch is marked for transparent huge pages, blocks up to the
// mmap threshold are served from the heap instead of a fresh mapping each, the
// heap is never trimmed (freed memory is taken again by the next band or
// picture, already backed), and all threads allocate from the one arena, so
// that a render thread's bands come from the same stretch.
#include "cli/WorkingMemory.h"

#include <cstdint>
#include <cstdlib>

#if defined(__GLIBC__)
#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace {

#if defined(__GLIBC__)
// The largest mmap threshold the allocator accepts on 64-bit systems.
constexpr int kMmapThreshold = 32 << 20;
// Two blocks just under the threshold, so that they come from the heap.
constexpr std::size_t kReserveBlock = 30u << 20;
constexpr std::uintptr_t kHugePage = 2u << 20;

// The block that fills the heap up to its first 2 MB boundary (below).
void* g_belowBoundary = nullptr;
#endif

}  // namespace

void PrepareWorkingMemory()
{
#if defined(__GLIBC__)
    mallopt(M_ARENA_MAX, 1);
    if (mallopt(M_MMAP_THRESHOLD, kMmapThreshold) == 0) return;
    mallopt(M_TRIM_THRESHOLD, 1 << 30);
    void* first = std::malloc(kReserveBlock);
    void* second = std::malloc(kReserveBlock);
    const auto a = reinterpret_cast<std::uintptr_t>(first);
    const auto b = reinterpret_cast<std::uintptr_t>(second);
    std::free(second);
    std::free(first);
    // Both blocks lie in the heap, one after the other, below its end; freed,
    // they are its top, which the next large blocks are carved from.
    const auto end = reinterpret_cast<std::uintptr_t>(sbrk(0));
    if (a == 0 || b == 0 || a >= b || b >= end) return;
    const std::uintptr_t from = (a + kHugePage - 1) & ~(kHugePage - 1);
    const std::uintptr_t to = end & ~(kHugePage - 1);
    if (to > from) madvise(reinterpret_cast<void*>(from), to - from, MADV_HUGEPAGE);
    // Below `from` the heap can only have 4 KB pages, and the next blocks
    // would be carved there first: the faces' pictures of a render took some
    // 220 page faults in it. A block that is never written nor freed takes
    // that stretch (address space only), so they begin at the boundary.
    if (from - a >= 4096) {
        g_belowBoundary = std::malloc(from - a - sizeof(std::size_t));
        if (reinterpret_cast<std::uintptr_t>(g_belowBoundary) != a) {  // not where it was meant to go
            std::free(g_belowBoundary);
            g_belowBoundary = nullptr;
        }
    }
#endif
}
