#include "database/stored_value.h"

#include <cstring>
#include <memory>

StoredValue::StoredValue(StoredValue&& other) noexcept {
    std::memcpy(bytes_, other.bytes_, sizeof bytes_);
    other.MakeEmpty();
}

StoredValue& StoredValue::operator=(const StoredValue& other) {
    if (this != &other) Assign(other.View());
    return *this;
}

StoredValue& StoredValue::operator=(StoredValue&& other) noexcept {
    if (this == &other) return *this;
    Release();
    std::memcpy(bytes_, other.bytes_, sizeof bytes_);
    other.MakeEmpty();
    return *this;
}

StoredValue& StoredValue::operator=(std::string_view text) {
    Assign(text);
    return *this;
}

std::string_view StoredValue::View() const {
    if (Heap()) return {Block(), HeapLength()};
    return {reinterpret_cast<const char*>(bytes_), bytes_[InPlace]};
}

char* StoredValue::Block() const {
    char* block = nullptr;
    std::memcpy(&block, bytes_, sizeof block);
    return block;
}

std::uint32_t StoredValue::HeapLength() const {
    std::uint32_t length = 0;
    std::memcpy(&length, bytes_ + 8, sizeof length);
    return length;
}

// The text may lie inside this value: it is copied before the old value goes.
void StoredValue::Assign(std::string_view text) {
    if (text.size() <= InPlace) {
        unsigned char copy[InPlace];
        std::memcpy(copy, text.data(), text.size());
        Release();
        std::memcpy(bytes_, copy, text.size());
        bytes_[InPlace] = static_cast<unsigned char>(text.size());
        return;
    }
    // Values come from files of at most a few hundred megabytes.
    const auto length = static_cast<std::uint32_t>(text.size());
    auto block = std::make_unique<char[]>(length);
    std::memcpy(block.get(), text.data(), length);
    Release();
    char* owned = block.release();
    std::memcpy(bytes_, &owned, sizeof owned);
    std::memcpy(bytes_ + 8, &length, sizeof length);
    bytes_[InPlace] = OnHeap;
}

void StoredValue::Release() noexcept {
    if (Heap()) {
        const std::unique_ptr<char[]> owned(Block());
    }
    MakeEmpty();
}
