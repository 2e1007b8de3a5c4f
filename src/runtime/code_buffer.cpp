#include "runtime/code_buffer.h"

#include <memory>

void CodeBuffer::Regrow(std::size_t capacity) {
    const std::size_t n = size();
    capacity = std::max(capacity, n);
    std::allocator<UInt8> heap;
    UInt8* run = heap.allocate(capacity);
    if (n > 0) std::memcpy(run, data(), n);
    Release();
    store_.Heap = HeapRun{run, n, capacity};
}

void CodeBuffer::FreeHeap() noexcept {
    std::allocator<UInt8>().deallocate(store_.Heap.Data, store_.Heap.Capacity);
    SetEmpty();
}

void CodeBuffer::AssignBytes(const UInt8* codes, std::size_t count) {
    // A run of this buffer's own codes fits its capacity, so it is never
    // freed before it is copied; memmove takes the overlap.
    if (count > capacity()) {
        clear();
        Regrow(count);
    }
    if (count > 0) std::memmove(data(), codes, count);
    SetSize(count);
}

void CodeBuffer::assign(std::size_t count, UInt8 code) {
    clear();
    resize(count, code);
}

void CodeBuffer::resize(std::size_t count, UInt8 code) {
    const std::size_t n = size();
    if (count > capacity()) Regrow(std::max(count, Grown(n)));
    if (count > n) std::memset(data() + n, code, count - n);
    SetSize(count);
}

UInt8* CodeBuffer::OpenGap(std::size_t offset, std::size_t count) {
    const std::size_t n = size();
    if (n + count > capacity()) Regrow(std::max(n + count, Grown(n)));
    UInt8* place = data() + offset;
    std::memmove(place + count, place, n - offset);
    SetSize(n + count);
    return place;
}

CodeBuffer::iterator CodeBuffer::insert(const_iterator at, std::size_t count, UInt8 code) {
    UInt8* place = OpenGap(static_cast<std::size_t>(at - data()), count);
    std::memset(place, code, count);
    return place;
}

CodeBuffer::iterator CodeBuffer::InsertBytes(const_iterator at, const UInt8* codes, std::size_t count) {
    const UInt8* own = data();
    if (codes >= own && codes < own + size()) {
        // Codes of this very buffer (text += text) move as the gap opens.
        const CodeBuffer copied(codes, codes + count);
        return InsertBytes(at, copied.data(), count);
    }
    UInt8* place = OpenGap(static_cast<std::size_t>(at - own), count);
    if (count > 0) std::memcpy(place, codes, count);
    return place;
}

CodeBuffer::iterator CodeBuffer::erase(const_iterator first, const_iterator last) noexcept {
    UInt8* place = data() + (first - data());
    const std::size_t n = size();
    const auto removed = static_cast<std::size_t>(last - first);
    std::memmove(place, place + removed, static_cast<std::size_t>(end() - last));
    SetSize(n - removed);
    return place;
}
