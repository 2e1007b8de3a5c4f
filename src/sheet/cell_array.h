// The Calculation's parallel cell arrays. Reading a cell is free; every
// change goes through Set or Edit, which first tell the modules that keep
// something about cells (the formula cache, the history of changes) which
// cell is about to change, so that nothing they keep goes stale unnoticed.
#pragma once

#include <algorithm>
#include <cstddef>
#include <memory>
#include <utility>
#include <vector>

#include "runtime/types.h"

// Which of the arrays a change is in.
enum class CellField : UInt8 { Text, Formula, Attributes };

// Stands for every cell at once (a cleared or loaded Calculation).
inline constexpr std::size_t AllCells = static_cast<std::size_t>(-1);

// Called before each change: tells the recalculation and the history. They
// sit above the arrays, so it is defined above them too (cell_changes.cpp):
// the arrays call it directly, and no hook needs setting at start.
void CellChanging(CellField field, std::size_t index);

// The cells are kept in blocks that are made at the first change inside
// them: a block nobody wrote reads as empty cells without taking memory. A
// sheet without formulas never touches the formula array, and an opened
// file fills only the blocks its cells are in. Blocks never move, so a
// reference to a cell stays valid across changes of others.
template <typename T>
class CellArray {
public:
    explicit CellArray(CellField field) : field_(field) {}
    CellArray(const CellArray& other) : field_(other.field_), count_(other.count_), empty_(other.empty_) {
        blocks_.resize(other.blocks_.size());
        for (std::size_t b = 0; b < blocks_.size(); ++b)
            if (other.blocks_[b]) blocks_[b] = CopyBlock(other.blocks_[b].get());
    }
    CellArray& operator=(const CellArray& other) {
        if (this != &other) *this = CellArray(other);
        return *this;
    }
    CellArray(CellArray&&) noexcept = default;
    CellArray& operator=(CellArray&&) noexcept = default;
    ~CellArray() = default;

    const T& operator[](std::size_t i) const {
        const T* block = blocks_[i >> BlockShift].get();
        return block != nullptr ? block[i & BlockMask] : empty_;
    }
    std::size_t size() const { return count_; }
    bool empty() const { return count_ == 0; }
    const T& back() const { return (*this)[count_ - 1]; }
    bool operator==(const CellArray& other) const {
        if (count_ != other.count_) return false;
        for (std::size_t i = 0; i < count_; ++i)
            if (!((*this)[i] == other[i])) return false;
        return true;
    }
    // The first cell at or after `from` that is not empty; size() when none is.
    std::size_t NextFilled(std::size_t from) const {
        for (std::size_t i = from; i < count_;) {
            const std::size_t next = (i | BlockMask) + 1;  // the next block's first cell
            if (const T* block = blocks_[i >> BlockShift].get()) {
                for (const std::size_t end = std::min(next, count_); i < end; ++i)
                    if (!(block[i & BlockMask] == empty_)) return i;
            }
            i = next;
        }
        return count_;
    }

    void Set(std::size_t i, T value) {
        CellChanging(field_, i);
        Cell(i) = std::move(value);
    }
    // The cell to change in place, right away.
    T& Edit(std::size_t i) {
        CellChanging(field_, i);
        return Cell(i);
    }
    // `count` cells, each `empty`; blocks already made are kept and filled.
    void Reset(std::size_t count, const T& empty) {
        CellChanging(field_, AllCells);
        count_ = count;
        empty_ = empty;
        blocks_.resize((count + BlockMask) >> BlockShift);
        for (std::unique_ptr<T[]>& block : blocks_)
            if (block) std::fill(block.get(), block.get() + BlockSize, empty_);
    }
    // Only for what changes no content: a formula's value computed again.
    T& Computed(std::size_t i) { return Cell(i); }

private:
    static constexpr std::size_t BlockShift = 12;
    static constexpr std::size_t BlockSize = std::size_t{1} << BlockShift;
    static constexpr std::size_t BlockMask = BlockSize - 1;

    std::unique_ptr<T[]> CopyBlock(const T* from) const {
        auto block = std::make_unique<T[]>(BlockSize);
        std::copy(from, from + BlockSize, block.get());
        return block;
    }
    T& Cell(std::size_t i) {
        std::unique_ptr<T[]>& block = blocks_[i >> BlockShift];
        if (!block) {
            block = std::make_unique<T[]>(BlockSize);
            std::fill(block.get(), block.get() + BlockSize, empty_);
        }
        return block[i & BlockMask];
    }

    CellField field_;
    std::size_t count_ = 0;
    T empty_{};
    std::vector<std::unique_ptr<T[]>> blocks_;
};
