#include "platform/heap.h"

#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>

namespace {

constexpr std::uintptr_t HugePageSize = std::uintptr_t{2} << 20;

std::uintptr_t HeapTop() { return reinterpret_cast<std::uintptr_t>(::sbrk(0)); }

// The heap would hand out the rest of the step below `start` first, up to
// 2 MB in small pages. Blocks are taken from it and held for good until one
// lies at or above `start`, which goes back: the later blocks follow it. A
// held block costs address space only, the kernel backs its first page.
void SkipToHugePages(std::uintptr_t start) {
    constexpr std::size_t FillerSize = std::size_t{256} << 10;
    static std::array<void*, 16> held{};
    for (void*& filler : held) {
        filler = std::malloc(FillerSize);
        if (filler == nullptr) return;
        if (reinterpret_cast<std::uintptr_t>(filler) >= start) {
            std::free(filler);
            filler = nullptr;
            return;
        }
    }
}

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
    constexpr std::size_t ProbeSize = std::size_t{1} << 20;
    const std::uintptr_t from = HeapTop();
    void* volatile probe = std::malloc(ProbeSize);
    // Behind the probe the heap noted the size of its free rest. That page
    // is backed by now, and a huge page cannot take the 2 MB around it.
    const std::uintptr_t touched = reinterpret_cast<std::uintptr_t>(probe) + ProbeSize + 64;
    std::free(probe);
    const std::uintptr_t top = HeapTop();
    const std::uintptr_t start = (std::max(from, touched) + HugePageSize - 1) & ~(HugePageSize - 1);
    // Under a sanitizer, or when the heap cannot grow, nothing was added.
    if (top <= start + HugePageSize) return;
    if (::madvise(reinterpret_cast<void*>(start), top - start, MADV_HUGEPAGE) != 0) return;
    SkipToHugePages(start);
}
