// The built-in function table, name folding and order, the function lookup,
// the help listing and the variable tables.
#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "formula/builtins.h"
#include "formula/function_table.h"
#include "formula/names.h"
#include "formula/parser_state.h"
#include "formula/variables.h"
#include "platform/log.h"
#include "platform/program_state.h"
#include "runtime/program.h"
#include "test_support.h"

namespace {



class FormulaTablesTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetProgramState();
        parser_InitFunctions();
    }
    static const parser_Function& Entry(Int index) { return Parser().FunctionTable.at(std::size_t(index)); }
};

// After the placeholder every built-in once, strictly by folded name; a second start builds anew.
TEST_F(FormulaTablesTest, InitBuildsTheSortedTableAndEmptyVariableTables) {
    parser_StoreNumericVariable(T("x"), 1.0);
    parser_StoreTextVariable(T("y"), T("text"));
    Parser().FunctionTable.pop_back();
    parser_InitFunctions();
    ASSERT_EQ(Parser().FunctionTable.size(), static_cast<std::size_t>(Parser().FunctionCount) + 1);
    std::set<Int> tokens = {Entry(0).Token};
    for (Int i = 1; i <= Parser().FunctionCount; ++i) {
        const BuiltinFunction* row = BuiltinFunctionByToken(Entry(i).Token);
        ASSERT_NE(row, nullptr) << S(Entry(i).Name);
        EXPECT_LT(parser_CompareNames(Entry(i - 1).Name, Entry(i).Name), 0) << S(Entry(i).Name);
        EXPECT_EQ(std::string(row->Name) + "/" + std::to_string(row->ParamCount),
                  S(Entry(i).Name) + "/" + std::to_string(Entry(i).ParamCount));
        tokens.insert(Entry(i).Token);
    }
    EXPECT_EQ(tokens.size(), BuiltinFunctions().size() + 1);  // with the placeholder's 0
    EXPECT_TRUE(BuiltinFunctionByToken(0) == nullptr && BuiltinFunctionByToken(53) == nullptr);
    EXPECT_EQ(Parser().NumericVariables.size() + Parser().TextVariables.size(), 2u);
    EXPECT_EQ(Parser().NumericVariableCount + Parser().TextVariableCount, 0);
    // Without tables nothing is found, and entry 0 of a variable table stays a placeholder.
    Parser() = ParserState{};
    EXPECT_EQ(parser_FindFunction(T("Abs")), 0);
    EXPECT_TRUE(parser_FunctionList(20).Empty());
    EXPECT_EQ(parser_StoreNumericVariable(T("a"), 1.0), VariableStore::Created);
    EXPECT_EQ(Parser().NumericVariables.size(), 2u);
    EXPECT_EQ(parser_FindNumericVariable(T("A")), 1);
}

// The order of equal names depends on the gaps, worked out by hand: 5 entries get
// a gap-4 pass, 14 a gap-13 pass, up to 4 only the gap-1 pass, which keeps their order.
TEST(ShellSort, TheGapSequenceDecidesTheOrderOfEqualNames) {
    const auto sortedIds = [](const std::vector<std::string>& names) {
        std::vector<parser_VariableNumeric> entries;
        for (const std::string& name : names) entries.push_back({T(name), static_cast<double>(entries.size())});
        parser_SortByName(entries);
        std::vector<int> ids;
        for (const parser_VariableNumeric& entry : entries) ids.push_back(static_cast<int>(entry.Value));
        return ids;
    };
    EXPECT_EQ(sortedIds({"b", "a", "c", "d", "A"}), (std::vector<int>{4, 1, 0, 2, 3}));
    EXPECT_EQ(sortedIds({"b", "a", "c", "d", "e", "f", "g", "h", "i", "j", "k", "l", "m", "A"}),
              (std::vector<int>{13, 1, 0, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}));
    EXPECT_EQ(sortedIds({"b", "ss", "a", "\xDF"}), (std::vector<int>{2, 0, 1, 3}));
    EXPECT_TRUE(sortedIds({}).empty());
}

TEST(TextUpper, FoldsLikeTheToolTableAndWritesSharpSAsTwoLetters) {
    SetLogToStdout(false);
    initoxtools();
    for (int code = 0; code < 256; ++code) {
        const Text folded = TextUpper(Text{static_cast<UInt8>(code)});
        EXPECT_EQ(folded, code == 223 ? T("SS") : Text{Tools().UpperCaseTable[code]}) << code;
    }
    EXPECT_EQ(S(TextUpper(T("Stra\xDF" "e"))), "STRASSE");
}

// Names of bytes where folding is interesting: cases, the sharp s, Latin-1, "_", "$", 0.
std::string RandomName(std::mt19937& random, std::size_t longest) {
    static constexpr std::string_view Alphabet("aAsSmMiIdDzZ19_$\xDF\xE4\xC4\0eE", 22);
    std::string name(std::uniform_int_distribution<std::size_t>(0, longest)(random), ' ');
    for (char& c : name) c = Alphabet[std::uniform_int_distribution<std::size_t>(0, Alphabet.size() - 1)(random)];
    return name;
}

// Names, and keys of folded forms up to 8 bytes without a 0, order as the upper-case forms.
TEST(NameOrder, NamesAndKeysOrderAsTheUpperCaseFormsDo) {
    std::mt19937 random(7);
    for (int i = 0; i < 20000; ++i) {
        const Text a = T(RandomName(random, 10)), b = T(RandomName(random, 10));
        const std::string upperA = S(TextUpper(a));
        const int order = upperA.compare(S(TextUpper(b))), sign = (order > 0) - (order < 0);
        ASSERT_EQ(parser_CompareNames(a, b), sign) << S(a) << " / " << S(b);
        const std::optional<std::uint64_t> keyA = parser_NameKey(a), keyB = parser_NameKey(b);
        ASSERT_EQ(keyA.has_value(), upperA.size() <= 8 && upperA.find('\0') == std::string::npos) << upperA;
        ASSERT_TRUE(!keyA || !keyB || (*keyA > *keyB) - (*keyA < *keyB) == sign) << S(a) << " / " << S(b);
    }
}

// The keyed lookup finds what a plain search by folded name finds, for all spellings.
TEST_F(FormulaTablesTest, KeyedLookupAgreesWithASearchByName) {
    const auto searchByName = [](const Text& name) -> Int {
        for (Int i = 1; i <= Parser().FunctionCount; ++i)
            if (parser_CompareNames(Entry(i).Name, name) == 0) return i;
        return 0;
    };
    std::vector<Text> names = {T("UNIQUEIDS"), T("Z999S100"), T("Mid $"), T("")};
    for (const BuiltinFunction& row : BuiltinFunctions()) {
        const std::string name(row.Name);
        for (const std::string& spelling : {name, S(TextUpper(T(name))), name + "x", name.substr(0, name.size() - 1)})
            names.push_back(T(spelling));
    }
    std::mt19937 random(3);
    for (int i = 0; i < 5000; ++i) names.push_back(T(RandomName(random, 9)));
    for (const Text& name : names) ASSERT_EQ(parser_FindFunction(name), searchByName(name)) << S(name);
    EXPECT_EQ(Entry(parser_FindFunction(T("mid$"))).Token, 28);
    // A table with a name too long for a key is searched by name.
    Parser().FunctionTable.push_back({T("AVeryLongName"), 1, 1});
    ++Parser().FunctionCount;
    parser_SortFunctions();
    EXPECT_EQ(Entry(parser_FindFunction(T("averylongname"))).Token, 1);
    for (const Text& name : names) ASSERT_EQ(parser_FindFunction(name), searchByName(name)) << S(name);
}

// Each function as Name(A, B, ...) padded with blanks and cut to the width, in table order.
TEST_F(FormulaTablesTest, FunctionListHasOneEntryOfTheWidthPerFunction) {
    std::string expected, initials;
    for (Int i = 1; i <= Parser().FunctionCount; ++i) {
        std::string entry = S(Entry(i).Name);
        for (Int p = 1; p <= Entry(i).ParamCount; ++p) entry += (p == 1 ? "(" : ", ") + std::string(1, 'A' + p - 1);
        expected += entry + (Entry(i).ParamCount > 0 ? ")" : "") + std::string(20, ' ');
        expected.resize(static_cast<std::size_t>(20 * i));
        initials += entry[0];
    }
    EXPECT_EQ(S(parser_FunctionList(20)), expected);
    EXPECT_EQ(S(parser_FunctionList(5)).substr(0, 10), "Abs(AArcCo");
    EXPECT_EQ(S(parser_FunctionList(1)), initials);
    EXPECT_TRUE(parser_FunctionList(0).Empty() && parser_FunctionList(-3).Empty());
}

}  // namespace
