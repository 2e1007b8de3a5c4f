// The codes of a Text: a vector of bytes that keeps up to 23 of them in
// place, within its own 24 bytes, and only longer runs on the heap. Almost
// every cell text is that short, so a full sheet of 99,900 texts needs no
// heap block for them: no allocation each, and about 3 MB less memory
// touched. The interface is the part of std::vector's that the program uses,
// with the same meaning; iterators are plain pointers.
#pragma once

#include <algorithm>
#include <bit>
#include <compare>
#include <cstddef>
#include <cstring>
#include <initializer_list>
#include <iterator>
#include <type_traits>

#include "runtime/types.h"

class CodeBuffer {
public:
    using value_type = UInt8;
    using size_type = std::size_t;
    using difference_type = std::ptrdiff_t;
    using reference = UInt8&;
    using const_reference = const UInt8&;
    using pointer = UInt8*;
    using const_pointer = const UInt8*;
    using iterator = UInt8*;
    using const_iterator = const UInt8*;

    // Codes kept in place.
    static constexpr std::size_t InPlace = 23;

    CodeBuffer() noexcept { SetEmpty(); }
    CodeBuffer(std::initializer_list<UInt8> codes) : CodeBuffer() { AssignBytes(codes.begin(), codes.size()); }
    CodeBuffer(std::size_t count, UInt8 code) : CodeBuffer() { assign(count, code); }
    template <std::input_iterator It>
    CodeBuffer(It first, It last) : CodeBuffer() {
        assign(first, last);
    }
    CodeBuffer(const CodeBuffer& other) : CodeBuffer() { AssignBytes(other.data(), other.size()); }
    CodeBuffer(CodeBuffer&& other) noexcept : store_(other.store_) { other.SetEmpty(); }
    CodeBuffer& operator=(const CodeBuffer& other) {
        if (this != &other) AssignBytes(other.data(), other.size());
        return *this;
    }
    CodeBuffer& operator=(CodeBuffer&& other) noexcept {
        if (this != &other) {
            Release();
            store_ = other.store_;
            other.SetEmpty();
        }
        return *this;
    }
    ~CodeBuffer() { Release(); }

    UInt8* data() noexcept { return IsShort() ? store_.Place : store_.Heap.Data; }
    const UInt8* data() const noexcept { return IsShort() ? store_.Place : store_.Heap.Data; }
    std::size_t size() const noexcept { return IsShort() ? store_.Place[InPlace] & SizeMask : store_.Heap.Size; }
    std::size_t capacity() const noexcept { return IsShort() ? InPlace : store_.Heap.Capacity; }
    bool empty() const noexcept { return size() == 0; }

    iterator begin() noexcept { return data(); }
    iterator end() noexcept { return data() + size(); }
    const_iterator begin() const noexcept { return data(); }
    const_iterator end() const noexcept { return data() + size(); }
    const_iterator cbegin() const noexcept { return begin(); }
    const_iterator cend() const noexcept { return end(); }

    UInt8& operator[](std::size_t i) noexcept { return data()[i]; }
    UInt8 operator[](std::size_t i) const noexcept { return data()[i]; }
    UInt8& front() noexcept { return data()[0]; }
    UInt8 front() const noexcept { return data()[0]; }
    UInt8& back() noexcept { return data()[size() - 1]; }
    UInt8 back() const noexcept { return data()[size() - 1]; }

    void clear() noexcept {
        if (IsShort()) SetEmpty();
        else store_.Heap.Size = 0;
    }
    void reserve(std::size_t wanted) {
        if (wanted > capacity()) Regrow(wanted);
    }
    void resize(std::size_t count, UInt8 code = 0);
    void push_back(UInt8 code) {
        const std::size_t n = size();
        if (n == capacity()) Regrow(Grown(n + 1));
        data()[n] = code;
        SetSize(n + 1);
    }
    void pop_back() noexcept { SetSize(size() - 1); }

    void assign(std::size_t count, UInt8 code);
    template <std::input_iterator It>
    void assign(It first, It last) {
        if constexpr (ContiguousBytes<It>) {
            AssignBytes(reinterpret_cast<const UInt8*>(std::to_address(first)), static_cast<std::size_t>(last - first));
        } else {
            clear();
            for (; first != last; ++first) push_back(static_cast<UInt8>(*first));
        }
    }

    iterator insert(const_iterator at, UInt8 code) { return InsertBytes(at, &code, 1); }
    iterator insert(const_iterator at, std::size_t count, UInt8 code);
    template <std::input_iterator It>
    iterator insert(const_iterator at, It first, It last) {
        if constexpr (ContiguousBytes<It>) {
            return InsertBytes(at, reinterpret_cast<const UInt8*>(std::to_address(first)),
                               static_cast<std::size_t>(last - first));
        } else {
            const CodeBuffer copied(first, last);
            return InsertBytes(at, copied.data(), copied.size());
        }
    }
    iterator erase(const_iterator first, const_iterator last) noexcept;
    iterator erase(const_iterator at) noexcept { return erase(at, at + 1); }

    friend bool operator==(const CodeBuffer& a, const CodeBuffer& b) noexcept {
        return a.size() == b.size() && (a.empty() || std::memcmp(a.data(), b.data(), a.size()) == 0);
    }
    friend std::strong_ordering operator<=>(const CodeBuffer& a, const CodeBuffer& b) noexcept {
        const std::size_t common = std::min(a.size(), b.size());
        const int order = common == 0 ? 0 : std::memcmp(a.data(), b.data(), common);
        return order != 0 ? order <=> 0 : a.size() <=> b.size();
    }

private:
    // Iterators of one-byte elements in one run of memory: copied with memcpy.
    template <class It>
    static constexpr bool ContiguousBytes = std::contiguous_iterator<It> && sizeof(std::iter_value_t<It>) == 1 &&
                                           std::is_trivially_copyable_v<std::iter_value_t<It>>;

    // On the heap, Capacity's highest byte, which is the place's last, is
    // below 0x80; in place, that byte is 0x80 plus the size.
    struct HeapRun {
        UInt8* Data;
        std::size_t Size;
        std::size_t Capacity;
    };
    union Store {
        HeapRun Heap;
        UInt8 Place[InPlace + 1];
    };
    static_assert(std::endian::native == std::endian::little, "the flag is the capacity's highest byte");
    static_assert(sizeof(Store) == sizeof(HeapRun));
    static constexpr UInt8 ShortFlag = 0x80;
    static constexpr UInt8 SizeMask = 0x7F;

    bool IsShort() const noexcept { return (store_.Place[InPlace] & ShortFlag) != 0; }
    void SetShort(std::size_t size) noexcept { store_.Place[InPlace] = static_cast<UInt8>(ShortFlag | size); }
    // Empty and in place, by a store of the whole last word: a move reads
    // that word right after (a value stack moves its values all the time),
    // and a read that spans a byte just written alone waits for the store.
    void SetEmpty() noexcept {
        const std::uint64_t tail = std::uint64_t{ShortFlag} << 56;
        std::memcpy(store_.Place + InPlace - 7, &tail, sizeof tail);
    }
    void SetSize(std::size_t size) noexcept {
        if (IsShort()) SetShort(size);
        else store_.Heap.Size = size;
    }
    static std::size_t Grown(std::size_t needed) noexcept { return std::max<std::size_t>(needed, 2 * needed - needed / 2); }

    void AssignBytes(const UInt8* codes, std::size_t count);
    iterator InsertBytes(const_iterator at, const UInt8* codes, std::size_t count);
    // Makes room for `count` codes at `offset`, growing when needed; where they go.
    UInt8* OpenGap(std::size_t offset, std::size_t count);
    // Moves the codes to a heap run of the capacity (at least the size).
    void Regrow(std::size_t capacity);
    // Inline, since every text destroyed asks, and nearly all are short.
    void Release() noexcept {
        if (!IsShort()) FreeHeap();
    }
    void FreeHeap() noexcept;

    Store store_{};
};
