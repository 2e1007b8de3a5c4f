// A picture of a graphic window as the runtime makes it and a desktop takes
// it (pasteboard, PNG files).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

// 4 bytes per pixel in the order alpha, red, green, blue; rows top first,
// width * 4 bytes each.
struct ArgbImage {
    int width = 0;
    int height = 0;
    std::unique_ptr<std::uint8_t[]> bytes;
    std::size_t Size() const {
        return static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4;
    }
};
