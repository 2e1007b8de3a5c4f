#include "platform/heap.h"

#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>

namespace {

constexpr std::uintptr_t HugePageSize = std::uintptr_t{2} << 20;

std::uintptr_t HeapTop() { return reinterpret_cast<std::uintptr_t>(::sbrk(0)); }

}  // namespace

void PrepareHeap() {
    // Blocks up to the largest size glibc allows come from the heap too;
    // above it they are mapped on their own.
    ::mallopt(M_MMAP_THRESHOLD, 32 << 20);
    ::mallopt(M_TOP_PAD, static_cast<int>(HeapStep));
    ::mallopt(M_TRIM_THRESHOLD, static_cast<int>(2 * HeapStep));
    ::mallopt(M_ARENA_MAX, 1);
    // One allocation makes the heap take its first step now, so that the
    // range it adds is known. The volatile keeps the compiler from dropping
    // the pair.
    const std::uintptr_t from = HeapTop();
    void* volatile probe = std::malloc(1 << 20);
    std::free(probe);
    const std::uintptr_t top = HeapTop();
    // Under a sanitizer, or when the heap cannot grow, nothing was added.
    const std::uintptr_t start = (from + HugePageSize - 1) & ~(HugePageSize - 1);
    if (top <= start + HugePageSize) return;
    ::madvise(reinterpret_cast<void*>(start), top - start, MADV_HUGEPAGE);
}
