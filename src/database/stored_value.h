// One value of the database's store in 16 bytes: up to 15 bytes held in
// place, a longer value in a block of its own. The store holds up to five
// million of them, which as std::string (32 bytes each) alone took 160 MB.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

class StoredValue {
public:
    StoredValue() noexcept { MakeEmpty(); }
    StoredValue(const StoredValue& other) : StoredValue() { Assign(other.View()); }
    StoredValue(StoredValue&& other) noexcept;
    StoredValue& operator=(const StoredValue& other);
    StoredValue& operator=(StoredValue&& other) noexcept;
    StoredValue& operator=(std::string_view text);
    ~StoredValue() { Release(); }

    std::string_view View() const;
    std::string String() const { return std::string(View()); }

private:
    static constexpr std::size_t InPlace = 15;
    // Byte 15 holds the length of a value in place, or OnHeap when bytes 0-7
    // point to the value's block and bytes 8-11 hold its length.
    static constexpr unsigned char OnHeap = 0xFF;

    void Assign(std::string_view text);
    void Release() noexcept;
    void MakeEmpty() noexcept { bytes_[InPlace] = 0; }
    bool Heap() const { return bytes_[InPlace] == OnHeap; }
    char* Block() const;
    std::uint32_t HeapLength() const;

    alignas(8) unsigned char bytes_[16];
};
static_assert(sizeof(StoredValue) == 16);
