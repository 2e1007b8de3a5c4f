#include "sheet/formula_array.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <tuple>

namespace {

bool IsLetterOrDigit(UInt8 code) {
    return IsDigit(code) || (code >= 'A' && code <= 'Z') || (code >= 'a' && code <= 'z');
}

// The end of the digits from `at` when they are a plain number (no leading
// zero, at most nine digits); `at` itself for any other run.
std::size_t NumberEnd(TextView text, std::size_t at) {
    std::size_t end = at;
    while (end < text.size() && IsDigit(text[end])) ++end;
    return end > at && end - at <= 9 && text[at] != '0' ? end : at;
}

std::int32_t NumberOf(TextView text, std::size_t from, std::size_t to) {
    std::int32_t value = 0;
    for (std::size_t i = from; i < to; ++i) value = value * 10 + (text[i] - '0');
    return value;
}

// "00" to "99", two digits at a time.
constexpr std::array<UInt8, 200> DigitPairs = [] {
    std::array<UInt8, 200> pairs{};
    for (std::size_t i = 0; i < 100; ++i) {
        pairs[2 * i] = static_cast<UInt8>('0' + i / 10);
        pairs[2 * i + 1] = static_cast<UInt8>('0' + i % 10);
    }
    return pairs;
}();

// The last `width` digits of the number (0 or more) into [at, at + width).
void WriteDigits(UInt8* at, std::int64_t value, std::size_t width) {
    auto rest = static_cast<std::uint32_t>(value);
    switch (width) {  // a sheet's rows and columns have one to three
    case 1: at[0] = DigitPairs[2 * (rest % 10) + 1]; return;
    case 2: std::memcpy(at, &DigitPairs[2 * (rest % 100)], 2); return;
    case 3:
        at[0] = DigitPairs[2 * (rest / 100 % 10) + 1];
        std::memcpy(at + 1, &DigitPairs[2 * (rest % 100)], 2);
        return;
    default:
        for (std::size_t i = width; i-- > 0; rest /= 10) at[i] = static_cast<UInt8>('0' + rest % 10);
    }
}

// Whether [from, to) of the text holds the number's digits, as WriteDigits
// writes them (so never a number that does not fit, nor one below 0).
bool DigitsAre(TextView text, std::size_t from, std::size_t to, std::int64_t value) {
    std::int64_t read = 0;
    for (std::size_t i = from; i < to; ++i) {
        const unsigned digit = text[i] - unsigned{'0'};
        if (digit > 9) return false;
        read = read * 10 + digit;
    }
    return read == value;
}

}  // namespace

// Every "Z" row "S" column that stands apart from letters and digits around
// it, with plain numbers, gives two numbers. Which of them the formula reads
// as cells does not matter here: a link is only made where the text written
// out is the text set.
std::uint32_t FormulaArray::Kept(std::size_t cell, TextView formula) {
    std::uint32_t id = 0;
    if (!free_.empty()) {
        id = free_.back();
        free_.pop_back();
    } else {
        sources_.emplace_back();
        id = static_cast<std::uint32_t>(sources_.size());
    }
    Source& source = sources_[id - 1];
    source.Codes.Elements.assign(formula.begin(), formula.end());
    source.Cell = cell;
    std::tie(source.Row, source.Column) = Place(cell);
    source.Stamp = ++stamps_;
    source.Numbers.clear();
    const auto number = [&](std::size_t from, std::size_t to, bool row) {
        std::int32_t least = 1;
        for (std::size_t k = from + 1; k < to; ++k) least *= 10;
        source.Numbers.push_back({static_cast<std::uint32_t>(from), static_cast<std::uint32_t>(to),
                                  NumberOf(formula, from, to), least, row, Follows::Unknown});
    };
    for (std::size_t i = 0; i < formula.size(); ++i) {
        if (formula[i] != 'Z' || (i > 0 && IsLetterOrDigit(formula[i - 1]))) continue;
        const std::size_t s = NumberEnd(formula, i + 1);
        if (s == i + 1 || s == formula.size() || formula[s] != 'S') continue;
        const std::size_t end = NumberEnd(formula, s + 1);
        if (end == s + 1 || (end < formula.size() && IsLetterOrDigit(formula[end]))) continue;
        number(i + 1, s, true);
        number(s + 1, end, false);
        i = end - 1;
    }
    Bound(source);
    return id;
}

// How far the cell is from the source's, in rows and in columns.
std::pair<std::int64_t, std::int64_t> FormulaArray::Distance(const Source& source, std::size_t cell) const {
    const auto [row, column] = Place(cell);
    return {row - source.Row, column - source.Column};
}

// The cell's row and column, from 0 (a sheet has far fewer than 2^32 cells:
// one division of 32 bits gives both).
std::pair<std::int64_t, std::int64_t> FormulaArray::Place(std::size_t cell) const {
    const auto at = static_cast<std::uint32_t>(cell), width = static_cast<std::uint32_t>(columns_);
    return {at / width, at % width};
}

void FormulaArray::Write(const Source& source, std::size_t cell, Text& out) const {
    const auto [rows, columns] = Distance(source, cell);
    // A scratch text written again and again keeps its size.
    if (out.Size() != source.Codes.Size()) out.Elements.resize(source.Codes.Size());
    UInt8* codes = out.Elements.data();
    std::memcpy(codes, source.Codes.Elements.data(), source.Codes.Size());
    for (const Number& number : source.Numbers)
        WriteDigits(codes + number.From, number.In(rows, columns), number.To - number.From);
}

void FormulaArray::NamesOf(std::size_t i, std::vector<NamePlace>& places) const {
    places.clear();
    if (links_[i] == 0) return;
    const std::vector<Number>& numbers = Of(links_[i]).Numbers;
    for (std::size_t k = 0; k + 1 < numbers.size(); k += 2) places.push_back({numbers[k].From - 1, numbers[k + 1].To});
}

bool FormulaArray::NamesMoveWithin(std::size_t i, std::int64_t rows, std::int64_t columns) const {
    if (links_[i] == 0) return true;
    const Source& source = Of(links_[i]);
    const auto [down, across] = Distance(source, i);
    return source.AllMove && down >= source.Least[0] && down <= rows + source.Most[0] && across >= source.Least[1] &&
           across <= columns + source.Most[1];
}

// A number of value v and least value l is moved by d within a sheet of n
// rows or columns when l <= v + d <= n: d from l - v up to n - v.
void FormulaArray::Bound(Source& source) {
    source.AllMove = true;
    constexpr std::int64_t Far = std::int64_t{1} << 40;
    for (int k = 0; k < 2; ++k) source.Least[k] = -Far, source.Most[k] = Far;
    for (const Number& number : source.Numbers) {
        const int k = number.Row ? 0 : 1;
        source.AllMove = source.AllMove && number.How != Follows::Stays;
        source.Least[k] = std::max<std::int64_t>(source.Least[k], number.Least - number.Value);
        source.Most[k] = std::min<std::int64_t>(source.Most[k], -number.Value);
    }
}

TextView FormulaArray::View(std::size_t i, Text& scratch) const {
    const std::uint32_t id = links_[i];
    if (id == 0) return {};
    const Source& source = Of(id);
    if (source.Cell == i || source.Numbers.empty()) return source.Codes;
    Write(source, i, scratch);
    return scratch;
}

Text FormulaArray::Get(std::size_t i) const {
    Text scratch;
    const TextView view = View(i, scratch);
    if (view.data() == scratch.Elements.data()) return scratch;
    return Text(CodeBuffer(view.begin(), view.end()));
}

bool FormulaArray::operator==(const FormulaArray& other) const {
    if (size() != other.size()) return false;
    Text mine, theirs;
    for (std::size_t i = 0; i < size(); ++i) {
        const TextView a = View(i, mine), b = other.View(i, theirs);
        if (!std::equal(a.begin(), a.end(), b.begin(), b.end())) return false;
    }
    return true;
}

// Whether the source written out for the cell is the formula, without the
// text made: the same bytes but for the numbers' digits, and those the
// numbers moved along or kept, as each number follows. A number that does
// not tell yet may do either: what it does is learnt.
bool FormulaArray::Gives(std::uint32_t id, std::size_t cell, TextView formula, Learnt& learnt) {
    if (id == 0) return false;
    const Source& source = Of(id);
    const std::size_t n = formula.size();
    if (source.Users == 0 || n != source.Codes.Size() || n == 0) return false;
    const std::pair<std::int64_t, std::int64_t> distance = Distance(source, cell);
    const std::int64_t rows = distance.first, columns = distance.second;
    learnt.clear();
    // Nearly always every number knows how it follows: the copy is written
    // and compared whole.
    const bool learns = std::any_of(source.Numbers.begin(), source.Numbers.end(), [&](const Number& number) {
        return number.How == Follows::Unknown && (number.Row ? rows : columns) != 0;
    });
    if (!learns) {
        // The copy checked last is mostly of the same source, a row or a
        // column away: only the numbers that differ are written again.
        Copy& last = checked_;
        if (last.Id == id && last.Stamp == source.Stamp) {
            for (const Number& number : source.Numbers)
                if (const std::int64_t value = number.In(rows, columns); value != number.In(last.Rows, last.Columns))
                    WriteDigits(last.Written.Elements.data() + number.From, value, number.To - number.From);
        } else {
            Write(source, cell, last.Written);
        }
        last.Id = id, last.Stamp = source.Stamp, last.Rows = rows, last.Columns = columns;
        return std::memcmp(last.Written.Elements.data(), formula.data(), n) == 0;
    }
    // Else number by number, and the text between them alike.
    const UInt8* text = source.Codes.Elements.data();
    std::size_t at = 0;
    for (const Number& number : source.Numbers) {
        if (std::memcmp(formula.data() + at, text + at, number.From - at) != 0) return false;
        at = number.To;
    }
    if (std::memcmp(formula.data() + at, text + at, n - at) != 0) return false;
    for (std::size_t k = 0; k < source.Numbers.size(); ++k) {
        const Number& number = source.Numbers[k];
        const std::int64_t by = number.Row ? rows : columns;
        if (by == 0 || number.How != Follows::Unknown) {
            if (!DigitsAre(formula, number.From, number.To, number.In(rows, columns))) return false;
        } else if (DigitsAre(formula, number.From, number.To, number.Value + by)) {
            learnt.emplace_back(k, Follows::Moves);
        } else if (DigitsAre(formula, number.From, number.To, number.Value)) {
            learnt.emplace_back(k, Follows::Stays);
        } else {
            return false;
        }
    }
    return true;
}

// A source that gives the formula for the cell: the one set last, or that of
// the cell above or to the left; 0 for none.
std::uint32_t FormulaArray::Linked(std::size_t cell, TextView formula, Learnt& learnt) {
    if (Gives(last_, cell, formula, learnt)) return last_;
    const std::uint32_t above = cell >= columns_ ? links_[cell - columns_] : 0;
    if (above != last_ && Gives(above, cell, formula, learnt)) return above;
    const std::uint32_t left = cell % columns_ != 0 ? links_[cell - 1] : 0;
    if (left != last_ && left != above && Gives(left, cell, formula, learnt)) return left;
    return 0;
}

// What a copy told of numbers that did not tell before. Every copy so far
// is in the source's row or column, where those numbers read alike either
// way; the stamp changes, since the cells no longer all differ in names
// that move alone.
void FormulaArray::Learn(Source& source, const Learnt& learnt) {
    for (const auto& [k, follows] : learnt) source.Numbers[k].How = follows;
    if (learnt.empty()) return;
    source.Stamp = ++stamps_;
    Bound(source);
}

void FormulaArray::Release(std::uint32_t id) {
    if (id == 0) return;
    Source& source = sources_[id - 1];
    if (--source.Users > 0) return;
    source = Source{};
    free_.push_back(id);
}

void FormulaArray::Set(std::size_t i, TextView formula) {
    std::uint32_t id = 0;
    if (!formula.empty()) {
        thread_local Learnt learnt;
        id = Linked(i, formula, learnt);
        if (id != 0) Learn(sources_[id - 1], learnt);
        else id = Kept(i, formula);
        ++sources_[id - 1].Users;
    }
    const std::uint32_t was = links_[i];
    links_.Set(i, id);
    Release(was);
    if (id != 0) last_ = id;
}

void FormulaArray::Reset(std::size_t count, std::size_t columns) {
    links_.Reset(count, 0);
    sources_.clear();
    free_.clear();
    columns_ = std::max<std::size_t>(columns, 1);
    last_ = 0;
}
