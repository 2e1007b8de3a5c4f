// Case folding and the order of names in the formula language: function
// names and variable names are matched and sorted by their folded form.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

#include "runtime/charset.h"
#include "runtime/text.h"

// The single-byte upper-case map, which needs no tool tables (tests, early
// start-up). Inline: the parser folds every name character it reads.
inline UInt8 parser_UpperCaseByte(UInt8 code) { return UpperCaseBytes[code]; }

// A name's folded form packed into a number, first byte highest, so that
// keys order as parser_CompareNames orders names. Empty when the folded form
// is longer than 8 bytes or holds a 0 byte, which would read as padding.
std::optional<std::uint64_t> parser_NameKey(TextView name);

// Upper-cases each byte with parser_UpperCaseByte and writes 223 as "SS":
// the result may be longer than the input.
Text TextUpper(const Text& text);

// Compares the folded forms byte by byte, unsigned; a prefix is smaller.
// Returns -1, 0 or 1. Folds on the fly, so nothing is allocated.
int parser_CompareNames(TextView a, TextView b);

// In-place Shell sort of records with a `Name` field by parser_CompareNames,
// over the whole array including entry 0. Gaps 1, 4, 13, 40, ... (h = 3h + 1):
// the first pass uses a third of the smallest gap above 1 that is not below
// the length. Shell sort is not stable across passes, and the resulting order
// of names that fold equal depends on exactly this gap sequence, so it must
// not be replaced by another sort.
template <typename Entry>
void parser_SortByName(std::vector<Entry>& entries) {
    const std::size_t length = entries.size();
    std::size_t gap = 1;
    do {
        gap = 3 * gap + 1;
    } while (gap < length);
    while (gap > 1) {
        gap /= 3;
        for (std::size_t i = gap; i < length; ++i) {
            Entry moving = std::move(entries[i]);
            std::size_t j = i;
            // Only a strictly greater earlier entry moves.
            while (j >= gap && parser_CompareNames(entries[j - gap].Name, moving.Name) > 0) {
                entries[j] = std::move(entries[j - gap]);
                j -= gap;
            }
            entries[j] = std::move(moving);
        }
    }
}
