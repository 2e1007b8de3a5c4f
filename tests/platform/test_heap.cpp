#include "platform/heap.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

// The VmFlags line of the mapping that holds the address.
std::string FlagsOfMappingAt(std::uintptr_t address) {
    std::ifstream smaps("/proc/self/smaps");
    bool inside = false;
    for (std::string line; std::getline(smaps, line);) {
        std::uintptr_t start = 0, end = 0;
        char dash = 0;
        if (std::istringstream range(line); range >> std::hex >> start >> dash >> end && dash == '-') {
            inside = start <= address && address < end;
        } else if (inside && line.rfind("VmFlags:", 0) == 0) {
            return line + " ";
        }
    }
    return "";
}

}  // namespace

// A sheet's arrays come from the part of the heap marked for huge pages,
// both on the thread that set the heap up and on another.
TEST(Heap, BlocksComeFromTheRangeMarkedForHugePages) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "the sanitizer's allocator keeps a heap of its own";
#endif
    if (!std::filesystem::exists("/sys/kernel/mm/transparent_hugepage")) GTEST_SKIP() << "no huge pages here";
    PrepareHeap();
    const std::vector<char> block(8 << 20);
    EXPECT_NE(FlagsOfMappingAt(reinterpret_cast<std::uintptr_t>(block.data())).find(" hg "), std::string::npos);
    std::string flags;
    std::thread([&flags] {
        const std::vector<char> other(4 << 20);
        flags = FlagsOfMappingAt(reinterpret_cast<std::uintptr_t>(other.data()));
    }).join();
    EXPECT_NE(flags.find(" hg "), std::string::npos) << flags;
}
