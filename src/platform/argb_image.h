// A picture of a graphic window as the runtime makes it and a desktop takes
// it (pasteboard, PNG files).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

// 4 bytes per pixel in the order alpha, red, green, blue; rows top first,
// Width * 4 bytes each.
struct ArgbImage {
    int Width = 0;
    int Height = 0;
    std::unique_ptr<std::uint8_t[]> Bytes;
    std::size_t Size() const {
        return static_cast<std::size_t>(Width) * static_cast<std::size_t>(Height) * 4;
    }
};
