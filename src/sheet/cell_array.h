// The Calculation's parallel cell arrays. Reading a cell is free; every
// change goes through Set or Edit, which first tell the modules that keep
// something about cells (the formula cache, the history of changes) which
// cell is about to change, so that nothing they keep goes stale unnoticed.
#pragma once

#include <cstddef>
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

template <typename T>
class CellArray {
public:
    explicit CellArray(CellField field) : field_(field) {}

    const T& operator[](std::size_t i) const { return cells_[i]; }
    std::size_t size() const { return cells_.size(); }
    bool empty() const { return cells_.empty(); }
    auto begin() const { return cells_.cbegin(); }
    auto end() const { return cells_.cend(); }
    const T& back() const { return cells_.back(); }
    bool operator==(const CellArray& other) const { return cells_ == other.cells_; }

    void Set(std::size_t i, T value) {
        CellChanging(field_, i);
        cells_[i] = std::move(value);
    }
    // The cell to change in place, right away.
    T& Edit(std::size_t i) {
        CellChanging(field_, i);
        return cells_[i];
    }
    // `count` cells, each `empty`; buffers of the old cells are kept.
    void Reset(std::size_t count, const T& empty) {
        CellChanging(field_, AllCells);
        cells_.resize(count);
        for (T& cell : cells_) cell = empty;
    }
    // Only for what changes no content: a formula's value computed again.
    T& Computed(std::size_t i) { return cells_[i]; }

private:
    CellField field_;
    std::vector<T> cells_;
};
