// The formulas of the Calculation. A formula filled down or across keeps
// its text once: the first cell's text is kept as a source, and every copy
// is a link to it, whose cell names are the source's moved along (or kept,
// for a name every copy keeps, as "Z12S2" in "=Z2S2/Z12S2" filled down). A
// column of a thousand such formulas then takes four bytes a cell and no
// heap block each, which a full sheet of them feels in its loading time.
// A link is only made where writing the source out for the cell gives the
// text that was set, byte for byte; any other formula is its own source.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <utility>
#include <vector>

#include "runtime/text.h"
#include "sheet/cell_array.h"

class FormulaArray {
public:
    FormulaArray() = default;

    std::size_t size() const { return links_.size(); }
    bool Empty(std::size_t i) const { return links_[i] == 0; }
    // The first cell at or after `from` with a formula; size() when none has.
    std::size_t NextFilled(std::size_t from) const { return links_.NextFilled(from); }

    // The formula as it was set: the kept text itself, or the cell's copy
    // written into `scratch`. Valid until the cell or `scratch` changes.
    TextView View(std::size_t i, Text& scratch) const;
    Text Get(std::size_t i) const;
    // Whether every cell holds the same formula, however it is kept.
    bool operator==(const FormulaArray& other) const;

    // Cells whose formulas have one stamp are one text moved along: the same
    // bytes but for the digits of the names NamesOf gives. 0 for a cell
    // without formula; a stamp is never given to another text.
    std::uint64_t Stamp(std::size_t i) const { return links_[i] == 0 ? 0 : Of(links_[i]).Stamp; }
    // Where those names ("Z" row "S" column) are in the cell's formula: "Z"
    // at Start, the column's digits ending before End.
    struct NamePlace {
        std::size_t Start = 0, End = 0;
    };
    void NamesOf(std::size_t i, std::vector<NamePlace>& places) const;
    // Whether every such name of the cell's formula moves along in the
    // stamp's other cells and, as this cell writes it, names a cell of a
    // sheet of `rows` x `columns` without a leading zero.
    bool NamesMoveWithin(std::size_t i, std::int64_t rows, std::int64_t columns) const;

    // Tells the recalculation and the history first (CellChanging), while
    // the cell still holds what it held.
    void Set(std::size_t i, TextView formula);
    // `count` cells without formulas, in rows of `columns`.
    void Reset(std::size_t count, std::size_t columns);

private:
    // Each number either moves with a copy or stays: which, the first copy
    // that moves it tells (Unknown until then, while every copy is in the
    // source's row, or column, where both give the same).
    enum class Follows : std::int8_t { Unknown, Moves, Stays };
    // A row's or column's number of a name in a source, plain (no leading
    // zero): its digits [From, To). A copy has as many digits there.
    struct Number {
        std::uint32_t From = 0, To = 0;
        std::int32_t Value = 0;
        std::int32_t Least = 0;  // of its width: 10 to the width less one
        bool Row = false;
        Follows How = Follows::Unknown;
        // Its value in a copy `rows` and `columns` away.
        std::int64_t In(std::int64_t rows, std::int64_t columns) const {
            return How == Follows::Stays ? Value : Value + (Row ? rows : columns);
        }
    };
    struct Source {
        Text Codes;
        std::vector<Number> Numbers;  // a name's row and column, one name after another
        std::size_t Cell = 0;         // whose text it is: a link is moved by its distance from it
        std::int64_t Row = 0, Column = 0;  // of that cell, from 0
        std::size_t Users = 0;
        std::uint64_t Stamp = 0;
        // Whether every number moves, and how far the cell may be moved (in
        // rows, in columns) for each to keep its width: at least Least, and at
        // most the sheet's last row or column plus Most.
        bool AllMove = true;
        std::int64_t Least[2] = {}, Most[2] = {};
    };
    // A source written out for a cell `Rows` and `Columns` from its own; one
    // source is known by its id and stamp (a stamp tells one text).
    struct Copy {
        std::uint32_t Id = 0;
        std::uint64_t Stamp = 0;
        std::int64_t Rows = 0, Columns = 0;
        Text Written;
    };
    // What a copy told of numbers whose Follows was Unknown, by place.
    using Learnt = std::vector<std::pair<std::size_t, Follows>>;

    // Source ids count from 1; 0 is a cell without formula.
    const Source& Of(std::uint32_t id) const { return sources_[id - 1]; }
    std::pair<std::int64_t, std::int64_t> Place(std::size_t cell) const;
    std::pair<std::int64_t, std::int64_t> Distance(const Source& source, std::size_t cell) const;
    void Write(const Source& source, std::size_t cell, Text& out) const;
    bool Gives(std::uint32_t id, std::size_t cell, TextView formula, Learnt& learnt);
    std::uint32_t Linked(std::size_t cell, TextView formula, Learnt& learnt);
    void Learn(Source& source, const Learnt& learnt);
    static void Bound(Source& source);
    std::uint32_t Kept(std::size_t cell, TextView formula);
    void Release(std::uint32_t id);

    CellArray<std::uint32_t> links_{CellField::Formula};
    std::deque<Source> sources_;  // a deque: a view of a kept text outlives sources added
    std::vector<std::uint32_t> free_;
    std::size_t columns_ = 1;
    std::uint32_t last_ = 0;    // the source set last: where a fill's next cell looks first
    std::uint64_t stamps_ = 0;  // the stamp given last, across resets too
    Copy checked_;              // the copy Gives wrote last
};
