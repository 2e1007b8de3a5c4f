// The formula store: every cell gives back byte for byte what was set,
// however it was filled, cleared, copied or reset, and a formula filled
// down or across is kept once.
#include "sheet/formula_array.h"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "sheet/sheet_fixture.h"
#include "test_support.h"

namespace {

constexpr std::size_t Columns = 7, Rows = 40;

// A formula of the cell (row, column from 0) naming cells near it, with the
// forms a link must not take for its own: leading zeros, small letters,
// names run into letters, numbers below 1 or of ten digits, and numbers
// that change their width from one cell to the next.
std::string Formula(std::size_t shape, std::size_t row, std::size_t column) {
    const auto n = [](long value) { return std::to_string(value); };
    const long r = static_cast<long>(row), c = static_cast<long>(column);
    switch (shape % 10) {
    case 0: return "=Z" + n(r) + "S" + n(c + 1) + "+1";
    case 1: return "=Round(Z" + n(r + 1) + "S" + n(c + 1) + ",2)*Z" + n(r + 8) + "S" + n(c + 3) + "-Z1S1";
    case 2: return "=Z0" + n(r + 1) + "S" + n(c + 1) + "+z" + n(r + 1) + "s1";
    case 3: return "=Z" + n(r + 1) + "S" + n(c + 1) + "x+xZ" + n(r) + "S1";
    case 4: return "=Z" + n(r - 1) + "S" + n(c) + "+Z" + n(r * 1000000000L + 1) + "S1";
    case 5: return "=\"Z" + n(r + 95) + "S" + n(c + 5) + "\"";
    case 6: return "=Z" + n(r + 1) + "S" + n(c + 1);
    case 7: return "=1+2";
    case 8: return "Z" + n(r + 1) + "S" + n(c + 99);
    default: return "=Z" + n(9 - r) + "S" + n(c + 1) + "+Z" + n(r + 1) + "S" + n(9 - c);
    }
}

class FormulaArrayTest : public SheetTest {};

TEST_F(FormulaArrayTest, EveryCellGivesBackWhatWasSetAndAFillIsKeptOnce) {
    FormulaArray formulas;
    formulas.Reset(Rows * Columns, Columns);
    std::map<std::size_t, std::string> model;
    std::mt19937 random(11);
    const auto set = [&](std::size_t at, const std::string& text) {
        formulas.Set(at, T(text));
        if (text.empty()) model.erase(at);
        else model[at] = text;
    };
    const auto check = [&](int round) {
        Text scratch;
        for (std::size_t at = 0; at < Rows * Columns; ++at) {
            const std::string want = model.count(at) ? model[at] : "";
            const TextView view = formulas.View(at, scratch);
            ASSERT_EQ(std::string(view.begin(), view.end()), want) << round << " cell " << at;
            ASSERT_EQ(formulas.Empty(at), want.empty());
        }
    };
    for (int round = 0; round < 60; ++round) {
        const std::size_t shape = random() % 10, top = random() % Rows, left = random() % Columns;
        const std::size_t bottom = top + random() % (Rows - top), right = left + random() % (Columns - left);
        switch (random() % 6) {
        case 0:  // a fill across each row in turn
        case 1:
            for (std::size_t r = top; r <= bottom; ++r)
                for (std::size_t c = left; c <= right; ++c) set(r * Columns + c, Formula(shape, r, c));
            break;
        case 2:  // a fill down each column, from the bottom
            for (std::size_t c = left; c <= right; ++c)
                for (std::size_t r = bottom + 1; r-- > top;) set(r * Columns + c, Formula(shape, r, c));
            break;
        case 3:  // cells copied as text to others, and to themselves
            for (int k = 0; k < 30; ++k) {
                const std::size_t from = random() % (Rows * Columns), to = random() % (Rows * Columns);
                Text scratch;
                if (k % 2) formulas.Set(to, formulas.View(to, scratch));  // a view of its own text
                else set(to, S(formulas.Get(from)));
            }
            break;
        case 4:
            for (std::size_t r = top; r <= bottom; ++r) set(r * Columns + left, "");
            break;
        default:
            if (random() % 4 == 0) {
                formulas.Reset(Rows * Columns, Columns);
                model.clear();
            }
        }
        check(round);
        if (HasFailure()) return;
    }
    // A copy is equal until one of them changes.
    FormulaArray copy = formulas;
    EXPECT_TRUE(copy == formulas);
    copy.Set(5, T("=9"));
    EXPECT_EQ(copy == formulas, model.count(5) && model[5] == "=9");

    // A fill of one shape keeps a text for each width of its numbers, also
    // with a name that stays, and those cells have their names at the same
    // places.
    const auto fill = [&formulas](std::size_t shape) {
        formulas.Reset(Rows * Columns, Columns);
        for (std::size_t at = 0; at < Rows * Columns; ++at)
            formulas.Set(at, T(Formula(shape, at / Columns, at % Columns)));
    };
    fill(1);
    std::set<std::uint64_t> stamps;
    for (std::size_t at = 0; at < Rows * Columns; ++at) stamps.insert(formulas.Stamp(at));
    EXPECT_LE(stamps.size(), 4U);
    EXPECT_EQ(formulas.Stamp(12 * Columns + 1), formulas.Stamp(20 * Columns + 4));
    formulas.Set(18 * Columns + 2, T("=Z19S9+Z19S99")), formulas.Set(19 * Columns + 2, T("=Z20S9+Z20S99"));
    EXPECT_EQ(formulas.Stamp(18 * Columns + 2), formulas.Stamp(19 * Columns + 2));
    std::vector<FormulaArray::NamePlace> places;
    formulas.NamesOf(20 * Columns + 4, places);
    ASSERT_EQ(places.size(), 3U);
    // "Z28S7" from 16 to 21, and "Z1S1", which stays where it is in every copy.
    const auto [second, third] = std::pair(places[1], places[2]);
    EXPECT_EQ(std::tuple(second.Start, second.End, third.Start, third.End), std::tuple(16UL, 21UL, 22UL, 26UL));
    EXPECT_FALSE(formulas.NamesMoveWithin(20 * Columns + 4, 999, 100));
    // Names that all move, as far as they name cells of the sheet given.
    fill(6);
    EXPECT_TRUE(formulas.NamesMoveWithin(20 * Columns + 4, Rows, Columns));
    EXPECT_FALSE(formulas.NamesMoveWithin((Rows - 1) * Columns + 4, Rows - 1, Columns));
    EXPECT_FALSE(formulas.NamesMoveWithin(5 * Columns + Columns - 1, Rows, Columns - 1));
    // A copy may write a number with a leading zero, which names no cell.
    formulas.Set(10 * Columns, T("=Z10S1")), formulas.Set(9 * Columns, T("=Z09S1"));
    EXPECT_EQ(formulas.Stamp(9 * Columns), formulas.Stamp(10 * Columns));
    EXPECT_EQ(S(formulas.Get(9 * Columns)), "=Z09S1");
    EXPECT_FALSE(formulas.NamesMoveWithin(9 * Columns, Rows, Columns));
    EXPECT_TRUE(formulas.NamesMoveWithin(10 * Columns, Rows, Columns));
    // A source let go and taken for another text is not its copies' source.
    for (const std::string end : {"1", "2"}) {
        formulas.Set(0, T("=Z1S1+" + end)), formulas.Set(1, T("=Z1S2+" + end)), formulas.Set(2, T("=Z1S3+1"));
        EXPECT_EQ(S(formulas.Get(2)), "=Z1S3+1");
        for (std::size_t at = 0; at < 3; ++at) formulas.Set(at, {});
    }
    // A text set again gets a new stamp, never one seen before.
    formulas.Set(0, T(Formula(1, 0, 0)));
    EXPECT_GT(formulas.Stamp(0), *stamps.rbegin());
}

}  // namespace
