// The built-in function table, name folding and order, the help listing,
// the variable tables and the lexical scanners.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <random>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "formula/function_table.h"
#include "formula/lexical.h"
#include "formula/names.h"
#include "formula/parser_state.h"
#include "formula/value.h"
#include "formula/variables.h"
#include "platform/log.h"
#include "runtime/program.h"

namespace {

Text T(std::string_view bytes) { return Text::FromBytes(bytes); }

std::string S(const Text& text) { return std::string(text.Elements.begin(), text.Elements.end()); }

// The expected table order, read from entry 1.
const std::vector<std::string> ExpectedOrder = {
    "Abs",    "ArcCos", "ArcSin",  "ArcTan",  "Asc",    "BinCoef", "BinDist", "Chr$",   "Cos",   "CRC16", "Dec",
    "e",      "Exp",    "Exp10",   "Fact",    "Frac",   "GGT",     "Hex$",    "HiByte", "HiWord", "IndCell", "Index",
    "Int",    "Left$",  "Len",     "LenVal",  "Ln",     "LoByte",  "Log",     "LoWord", "Max",   "Mid$",  "Min",
    "Repeat$", "Result", "Right$", "Rnd",     "Round",  "Self",    "Sgn",     "Sin",    "Sqr",   "Sqrt",  "Str$",
    "Sum",    "Tan",    "Trunc",   "UniqueID", "Val",   "Var",     "Void",    "Void$",
};

class FormulaTablesTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetLogToStdout(false);
        ResetParser();
        parser_InitFunctions();
    }
    void TearDown() override {
        ResetParser();
        SetLogToStdout(true);
    }

    static const parser_Function& Entry(Int index) { return Parser().FunctionTable.at(static_cast<std::size_t>(index)); }
};

// ---- The rows in token order ----

std::string Kinds(const BuiltinFunction& row) {
    std::string kinds;
    for (Int i = 0; i < row.ParamCount; ++i) {
        if (!kinds.empty()) kinds += ",";
        switch (row.Arguments[static_cast<std::size_t>(i)]) {
        case ArgumentKind::Real: kinds += "R"; break;
        case ArgumentKind::Text: kinds += "T"; break;
        case ArgumentKind::Any: kinds += "any"; break;
        case ArgumentKind::Unused: kinds += "?"; break;
        }
    }
    return kinds;
}

std::string ResultName(ResultKind kind) {
    switch (kind) {
    case ResultKind::Real: return "R";
    case ResultKind::Text: return "T";
    case ResultKind::PreviousResult: return "previous";
    case ResultKind::CellValue: return "cell";
    }
    return "?";
}

TEST(BuiltinFunctions, RowsAreTheListedFunctionsInTokenOrder) {
    struct Row {
        Int token;
        std::string name;
        Int paramCount;
        std::string arguments;
        std::string result;
    };
    const Row expected[] = {
        {1, "Abs", 1, "R", "R"},          {2, "Sin", 1, "R", "R"},
        {3, "Cos", 1, "R", "R"},          {4, "Tan", 1, "R", "R"},
        {5, "Sqr", 1, "R", "R"},          {6, "ArcTan", 1, "R", "R"},
        {7, "Ln", 1, "R", "R"},           {8, "Log", 1, "R", "R"},
        {9, "Exp", 1, "R", "R"},          {10, "Exp10", 1, "R", "R"},
        {11, "ArcCos", 1, "R", "R"},      {12, "ArcSin", 1, "R", "R"},
        {13, "Sqrt", 1, "R", "R"},        {14, "e", 0, "", "R"},
        {15, "Sgn", 1, "R", "R"},         {16, "Trunc", 1, "R", "R"},
        {17, "Round", 2, "R,R", "R"},     {18, "LenVal", 1, "R", "R"},
        {19, "UniqueID", 0, "", "T"},     {20, "Rnd", 1, "R", "R"},
        {21, "GGT", 2, "R,R", "R"},       {22, "BinCoef", 2, "R,R", "R"},
        {23, "Min", 2, "R,R", "R"},       {24, "Max", 2, "R,R", "R"},
        {25, "Fact", 1, "R", "R"},        {26, "Result", 0, "", "previous"},
        {27, "Str$", 1, "R", "T"},        {28, "Mid$", 3, "T,R,R", "T"},
        {29, "Left$", 2, "T,R", "T"},     {30, "Right$", 2, "T,R", "T"},
        {31, "Hex$", 1, "R", "T"},        {32, "Chr$", 1, "R", "T"},
        {33, "Asc", 1, "T", "R"},         {34, "Val", 1, "T", "R"},
        {35, "Len", 1, "T", "R"},         {36, "Int", 1, "R", "R"},
        {37, "Frac", 1, "R", "R"},        {38, "HiByte", 1, "R", "R"},
        {39, "LoByte", 1, "R", "R"},      {40, "HiWord", 1, "R", "R"},
        {41, "LoWord", 1, "R", "R"},      {42, "BinDist", 3, "R,R,R", "R"},
        {43, "Dec", 1, "T", "R"},         {44, "Sum", 4, "R,R,R,R", "R"},
        {45, "Var", 2, "T,any", "R"},     {46, "CRC16", 2, "R,R", "R"},
        {47, "Void", 1, "any", "R"},      {48, "Void$", 1, "any", "T"},
        {49, "Repeat$", 2, "T,R", "T"},   {50, "Index", 1, "T", "R"},
        {51, "IndCell", 1, "R", "cell"},  {52, "Self", 0, "", "R"},
    };
    const auto rows = BuiltinFunctions();
    ASSERT_EQ(rows.size(), std::size(expected));
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const BuiltinFunction& row = rows[i];
        const Row& want = expected[i];
        EXPECT_EQ(row.Token, want.token) << want.name;
        EXPECT_EQ(std::string(row.Name), want.name);
        EXPECT_EQ(row.ParamCount, want.paramCount) << want.name;
        EXPECT_EQ(Kinds(row), want.arguments) << want.name;
        EXPECT_EQ(ResultName(row.Result), want.result) << want.name;
        for (Int slot = row.ParamCount; slot < MaxParamCount; ++slot) {
            EXPECT_EQ(row.Arguments[static_cast<std::size_t>(slot)], ArgumentKind::Unused) << want.name << " slot " << slot;
        }
    }
}

TEST(BuiltinFunctions, ByTokenFindsTheRowAndNothingOutsideTheRange) {
    ASSERT_NE(BuiltinFunctionByToken(28), nullptr);
    EXPECT_EQ(BuiltinFunctionByToken(28)->Name, "Mid$");
    EXPECT_EQ(BuiltinFunctionByToken(52)->Name, "Self");
    EXPECT_EQ(BuiltinFunctionByToken(0), nullptr);
    EXPECT_EQ(BuiltinFunctionByToken(53), nullptr);
    EXPECT_EQ(BuiltinFunctionByToken(-1), nullptr);
}

// ---- Building and sorting the table ----

TEST_F(FormulaTablesTest, InitBuildsThePlaceholderAndFiftyTwoEntries) {
    const ParserState& parser = Parser();
    EXPECT_EQ(parser.FunctionCount, 52);
    ASSERT_EQ(parser.FunctionTable.size(), 53u);
    EXPECT_TRUE(Entry(0).Name.Empty());
    EXPECT_EQ(Entry(0).ParamCount, 0);
    EXPECT_EQ(Entry(0).Token, 0);
    ASSERT_EQ(parser.NumericVariables.size(), 1u);
    EXPECT_TRUE(parser.NumericVariables[0].Name.Empty());
    EXPECT_EQ(parser.NumericVariables[0].Value, 0.0);
    EXPECT_EQ(parser.NumericVariableCount, 0);
    ASSERT_EQ(parser.TextVariables.size(), 1u);
    EXPECT_TRUE(parser.TextVariables[0].Name.Empty());
    EXPECT_TRUE(parser.TextVariables[0].Value.Empty());
    EXPECT_EQ(parser.TextVariableCount, 0);
}

TEST_F(FormulaTablesTest, SortedTableIsInTheListedOrder) {
    std::vector<std::string> names;
    for (Int i = 1; i <= Parser().FunctionCount; ++i) names.push_back(S(Entry(i).Name));
    EXPECT_EQ(names, ExpectedOrder);
}

TEST_F(FormulaTablesTest, SortedTableIsStrictlyAscendingByFoldedName) {
    for (Int i = 1; i <= Parser().FunctionCount; ++i) {
        EXPECT_LT(parser_CompareNames(Entry(i - 1).Name, Entry(i).Name), 0) << S(Entry(i - 1).Name) << " / " << S(Entry(i).Name);
    }
}

TEST_F(FormulaTablesTest, EveryEntryKeepsItsTokenAndParamCount) {
    std::set<Int> tokens;
    for (Int i = 1; i <= Parser().FunctionCount; ++i) {
        const parser_Function& entry = Entry(i);
        const BuiltinFunction* row = BuiltinFunctionByToken(entry.Token);
        ASSERT_NE(row, nullptr) << S(entry.Name);
        EXPECT_EQ(std::string(row->Name), S(entry.Name));
        EXPECT_EQ(row->ParamCount, entry.ParamCount) << S(entry.Name);
        tokens.insert(entry.Token);
    }
    EXPECT_EQ(tokens.size(), 52u);
    EXPECT_EQ(S(Entry(1).Name), "Abs");
    EXPECT_EQ(Entry(1).Token, 1);
    EXPECT_EQ(S(Entry(39).Name), "Self");
    EXPECT_EQ(Entry(39).Token, 52);
    EXPECT_EQ(S(Entry(12).Name), "e");
    EXPECT_EQ(Entry(12).Token, 14);
    EXPECT_EQ(Entry(12).ParamCount, 0);
}

TEST_F(FormulaTablesTest, InitAgainRebuildsTheTableAndEmptiesTheVariables) {
    parser_StoreNumericVariable(T("x"), 1.0);
    parser_StoreTextVariable(T("y"), T("text"));
    Parser().FunctionTable.pop_back();
    parser_InitFunctions();
    EXPECT_EQ(Parser().FunctionCount, 52);
    EXPECT_EQ(Parser().FunctionTable.size(), 53u);
    EXPECT_EQ(S(Entry(52).Name), "Void$");
    EXPECT_EQ(Parser().NumericVariableCount, 0);
    EXPECT_EQ(Parser().NumericVariables.size(), 1u);
    EXPECT_EQ(Parser().TextVariableCount, 0);
    EXPECT_EQ(Parser().TextVariables.size(), 1u);
}

TEST_F(FormulaTablesTest, ResetEmptiesEveryTable) {
    ResetParser();
    const ParserState& parser = Parser();
    EXPECT_TRUE(parser.FunctionTable.empty());
    EXPECT_EQ(parser.FunctionCount, 0);
    EXPECT_TRUE(parser.NumericVariables.empty());
    EXPECT_TRUE(parser.TextVariables.empty());
    EXPECT_EQ(parser_FindFunction(T("Abs")), 0);
    EXPECT_TRUE(parser_FunctionList(20).Empty());
}

// ---- The Shell sort itself ----

struct Named {
    Text Name;
    int Id = 0;
};

std::vector<Named> MakeNamed(const std::vector<std::string>& names) {
    std::vector<Named> entries;
    for (std::size_t i = 0; i < names.size(); ++i) entries.push_back({T(names[i]), static_cast<int>(i)});
    return entries;
}

std::vector<int> Ids(const std::vector<Named>& entries) {
    std::vector<int> ids;
    for (const Named& e : entries) ids.push_back(e.Id);
    return ids;
}

// Worked by hand: five entries get a gap-4 pass, which swaps "b" (0) with
// "A" (4) and so puts "A" ahead of the equal "a" (1). A stable sort would
// keep "a" first.
TEST(ShellSort, GapFourPassMovesAnEqualNameAheadForFiveEntries) {
    auto entries = MakeNamed({"b", "a", "c", "d", "A"});
    parser_SortByName(entries);
    EXPECT_EQ(Ids(entries), (std::vector<int>{4, 1, 0, 2, 3}));
}

// Fourteen entries start with a gap-13 pass (40 / 3): it swaps "b" (0) with
// "A" (13). Starting at gap 4 instead would leave "a" (1) ahead of "A".
TEST(ShellSort, GapThirteenPassRunsForFourteenEntries) {
    auto entries = MakeNamed({"b", "a", "c", "d", "e", "f", "g", "h", "i", "j", "k", "l", "m", "A"});
    parser_SortByName(entries);
    EXPECT_EQ(Ids(entries), (std::vector<int>{13, 1, 0, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}));
}

// Up to four entries only the gap-1 pass runs, which never moves an entry
// past an equal one.
TEST(ShellSort, EqualNamesKeepTheirOrderInTheGapOnePass) {
    auto entries = MakeNamed({"b", "ss", "a", "\xDF"});
    parser_SortByName(entries);
    EXPECT_EQ(Ids(entries), (std::vector<int>{2, 0, 1, 3}));
}

TEST(ShellSort, SortsEmptySingleAndReversedArrays) {
    std::vector<Named> none;
    parser_SortByName(none);
    EXPECT_TRUE(none.empty());
    auto one = MakeNamed({"x"});
    parser_SortByName(one);
    EXPECT_EQ(Ids(one), std::vector<int>{0});
    std::vector<std::string> reversed;
    for (char c = 'z'; c >= 'a'; --c) reversed.push_back(std::string(1, c) + std::string(1, c));
    for (char c = 'Z'; c >= 'A'; --c) reversed.push_back(std::string(1, c));
    auto entries = MakeNamed(reversed);
    parser_SortByName(entries);
    for (std::size_t i = 1; i < entries.size(); ++i) {
        EXPECT_LE(parser_CompareNames(entries[i - 1].Name, entries[i].Name), 0) << i;
    }
    EXPECT_EQ(S(entries.front().Name), "A");
    EXPECT_EQ(S(entries.back().Name), "zz");
}

// ---- Folding and name order ----

// The folding rule written out independently of the implementation.
int FoldedByte(int code) {
    const bool lower = (code >= 97 && code <= 122) || (code >= 224 && code <= 228) || (code >= 231 && code <= 246) ||
                       (code >= 249 && code <= 252);
    return lower ? code - 32 : code;
}

TEST_F(FormulaTablesTest, TextUpperFoldsEverySingleByteLikeTheToolTable) {
    initoxtools();
    for (int code = 0; code < 256; ++code) {
        if (code == 223) continue;
        const Text folded = TextUpper(Text{static_cast<UInt8>(code)});
        ASSERT_EQ(folded.Size(), 1u) << code;
        EXPECT_EQ(folded[0], FoldedByte(code)) << code;
        EXPECT_EQ(folded[0], Tools().UpperCaseTable[code]) << code;
    }
}

TEST_F(FormulaTablesTest, TextUpperKeepsTheBytesOutsideTheRanges) {
    for (int code : {64, 91, 96, 123, 192, 215, 222, 229, 230, 247, 248, 253, 254, 255}) {
        EXPECT_EQ(TextUpper(Text{static_cast<UInt8>(code)}), (Text{static_cast<UInt8>(code)})) << code;
    }
    EXPECT_EQ(TextUpper(Text{224, 228, 231, 246, 249, 252}), (Text{192, 196, 199, 214, 217, 220}));
}

TEST_F(FormulaTablesTest, TextUpperWritesSharpSAsTwoLetters) {
    EXPECT_EQ(S(TextUpper(T("Stra\xDF" "e"))), "STRASSE");
    EXPECT_EQ(S(TextUpper(T("\xDF\xDF"))), "SSSS");
    EXPECT_EQ(S(TextUpper(T("mid$"))), "MID$");
    EXPECT_TRUE(TextUpper(Text{}).Empty());
}

TEST_F(FormulaTablesTest, NamesCompareByFoldedUnsignedBytes) {
    struct Case {
        std::string a;
        std::string b;
        int expected;
    };
    const Case cases[] = {
        {"Exp", "Exp10", -1},           // a prefix sorts first
        {"Void", "Void$", -1},
        {"e", "E", 0},                  // folded
        {"Chr$", "Cos", -1},            // first differing byte decides
        {"IndCell", "Index", -1},
        {"", "a", -1},                  // the placeholder sorts first
        {"", "", 0},
        {"\xDF", "SS", 0},              // 223 folds to "SS"
        {"Ma\xDF", "mass", 0},
        {"\xDF" "a", "ssb", -1},
        {"\xDF", "S", 1},
        {"Z", "a", 1},
        {"_", "a", 1},                  // "a" folds to 65, below "_" (95)
        {"\xE4", "b", 1},               // unsigned: 196 above 66
        {"\xE4", "\xC4", 0},
        {"\xE5", "\xC5", 1},            // 229 does not fold
    };
    for (const Case& c : cases) {
        EXPECT_EQ(parser_CompareNames(T(c.a), T(c.b)), c.expected) << c.a << " / " << c.b;
        EXPECT_EQ(parser_CompareNames(T(c.b), T(c.a)), -c.expected) << c.b << " / " << c.a;
    }
}

// ---- Looking up functions ----

TEST_F(FormulaTablesTest, FunctionNamesMatchAfterFolding) {
    struct Case {
        std::string written;
        Int token;  // 0: no function
    };
    const Case cases[] = {
        {"Mid$", 28}, {"mid$", 28}, {"MID$", 28}, {"Mid", 0},   {"Mid $", 0}, {"", 0},
        {"E", 14},    {"e", 14},    {"crc16", 46}, {"void", 47}, {"VOID$", 48}, {"Exp1", 0},
        {"Abs", 1},   {"SELF", 52}, {"Abss", 0},
    };
    for (const Case& c : cases) {
        const Int index = parser_FindFunction(T(c.written));
        if (c.token == 0) {
            EXPECT_EQ(index, 0) << c.written;
        } else {
            ASSERT_GT(index, 0) << c.written;
            EXPECT_EQ(Entry(index).Token, c.token) << c.written;
        }
    }
}

// Random names from bytes where folding is interesting: both cases, the
// sharp s and what it folds to, a Latin-1 pair, digits, "_", "$" and 0.
std::string RandomName(std::mt19937& random, std::size_t longest) {
    using namespace std::string_view_literals;
    static constexpr std::string_view Alphabet = "aAsSmMiIdDzZ19_$\xDF" "\xE4" "\xC4" "\x00" "eE"sv;
    std::uniform_int_distribution<std::size_t> length(0, longest);
    std::uniform_int_distribution<std::size_t> pick(0, Alphabet.size() - 1);
    std::string name(length(random), ' ');
    for (char& c : name) c = Alphabet[pick(random)];
    return name;
}

int Sign(int n) { return (n > 0) - (n < 0); }

TEST_F(FormulaTablesTest, NamesCompareAsTheirUpperCaseFormsDo) {
    std::mt19937 random(7);
    for (int i = 0; i < 20000; ++i) {
        const Text a = T(RandomName(random, 6));
        const Text b = T(RandomName(random, 6));
        const int expected = Sign(S(TextUpper(a)).compare(S(TextUpper(b))));
        ASSERT_EQ(parser_CompareNames(a, b), expected) << S(a) << " / " << S(b);
    }
}

TEST_F(FormulaTablesTest, NameKeysOrderAsTheNamesDo) {
    std::mt19937 random(11);
    for (int i = 0; i < 20000; ++i) {
        const Text a = T(RandomName(random, 10));
        const Text b = T(RandomName(random, 10));
        const std::optional<std::uint64_t> keyA = parser_NameKey(a);
        const std::optional<std::uint64_t> keyB = parser_NameKey(b);
        const std::string upperA = S(TextUpper(a));
        const std::string upperB = S(TextUpper(b));
        const auto keyed = [](const std::string& upper) {
            return upper.size() <= 8 && upper.find('\0') == std::string::npos;
        };
        ASSERT_EQ(keyA.has_value(), keyed(upperA)) << upperA;
        if (!keyA || !keyB) continue;
        const int order = parser_CompareNames(a, b);
        ASSERT_EQ(*keyA < *keyB ? -1 : *keyA == *keyB ? 0 : 1, order) << upperA << " / " << upperB;
    }
}

// The keyed lookup must find exactly what a plain search by folded name
// finds, for every function name in every spelling and for near misses.
TEST_F(FormulaTablesTest, KeyedLookupAgreesWithASearchByName) {
    const auto searchByName = [](const Text& name) -> Int {
        for (Int i = 1; i <= Parser().FunctionCount; ++i)
            if (parser_CompareNames(Entry(i).Name, name) == 0) return i;
        return 0;
    };
    std::vector<Text> names;
    for (const std::string& name : ExpectedOrder) {
        names.push_back(T(name));
        names.push_back(TextUpper(T(name)));
        names.push_back(T(name + "x"));
        names.push_back(T(name.substr(0, name.size() - 1)));
    }
    std::mt19937 random(3);
    for (int i = 0; i < 5000; ++i) names.push_back(T(RandomName(random, 9)));
    names.push_back(T("UNIQUEIDS"));
    names.push_back(T("Z999S100"));
    for (const Text& name : names) ASSERT_EQ(parser_FindFunction(name), searchByName(name)) << S(name);

    // A table with a name too long for a key is searched by name.
    Parser().FunctionTable.push_back({T("AVeryLongName"), 1, 1});
    ++Parser().FunctionCount;
    parser_SortFunctions();
    EXPECT_EQ(Entry(parser_FindFunction(T("averylongname"))).Token, 1);
    for (const Text& name : names) ASSERT_EQ(parser_FindFunction(name), searchByName(name)) << S(name);
}

TEST_F(FormulaTablesTest, AScannedNameIsKeyedWithItsDollar) {
    struct Case {
        std::string formula;
        Int end;
        bool dollar;
        std::string keyed;  // the name the key must belong to; "-" for none
    };
    const Case cases[] = {
        {"mid$(a", 4, true, "MID$"},      {"Z12S3+1", 6, false, "Z12S3"}, {"abcdefgh", 9, false, "ABCDEFGH"},
        {"abcdefg$", 8, true, "ABCDEFG$"}, {"abcdefgh$", 9, true, "-"},    {"abcdefghi", 10, false, "-"},
        {"1abc", 1, false, ""},           {"$", 1, true, "$"},            {"a_9 ", 4, false, "A_9"},
    };
    for (const Case& c : cases) {
        const ScannedName name = parser_ScanName(T(c.formula), 1);
        EXPECT_EQ(name.End, c.end) << c.formula;
        EXPECT_EQ(name.Dollar, c.dollar) << c.formula;
        if (c.keyed == "-") {
            EXPECT_FALSE(name.Key.has_value()) << c.formula;
        } else {
            EXPECT_EQ(name.Key, parser_NameKey(T(c.keyed))) << c.formula;
        }
    }
}

// ---- The help listing ----

TEST_F(FormulaTablesTest, FunctionListHasOneTwentyWideEntryPerFunction) {
    const std::string list = S(parser_FunctionList(20));
    ASSERT_EQ(list.size(), 1040u);
    auto entry = [&](int index) { return list.substr(static_cast<std::size_t>(index - 1) * 20, 20); };
    EXPECT_EQ(entry(1), "Abs(A)" + std::string(14, ' '));
    EXPECT_EQ(entry(7), "BinDist(A, B, C)    ");
    EXPECT_EQ(entry(12), "e" + std::string(19, ' '));
    EXPECT_EQ(entry(17), "GGT(A, B)           ");
    EXPECT_EQ(entry(32), "Mid$(A, B, C)       ");
    EXPECT_EQ(entry(45), "Sum(A, B, C, D)     ");
    EXPECT_EQ(entry(48), "UniqueID            ");
    EXPECT_EQ(entry(52), "Void$(A)            ");
    for (int i = 1; i <= 52; ++i) {
        const std::string& name = ExpectedOrder[static_cast<std::size_t>(i - 1)];
        EXPECT_EQ(entry(i).substr(0, name.size()), name) << i;
        EXPECT_EQ(entry(i).back(), ' ') << i;  // nothing is cut at width 20
    }
    EXPECT_EQ(list.find('\r'), std::string::npos);
    EXPECT_EQ(list.find('\n'), std::string::npos);
}

TEST_F(FormulaTablesTest, FunctionListCutsEntriesToTheWidth) {
    const std::string five = S(parser_FunctionList(5));
    ASSERT_EQ(five.size(), 260u);
    EXPECT_EQ(five.substr(0, 5), "Abs(A");
    EXPECT_EQ(five.substr(30, 5), "BinDi");
    EXPECT_EQ(five.substr(55, 5), "e    ");

    std::string initials;
    for (const std::string& name : ExpectedOrder) initials += name[0];
    EXPECT_EQ(S(parser_FunctionList(1)), initials);

    EXPECT_TRUE(parser_FunctionList(0).Empty());
    EXPECT_TRUE(parser_FunctionList(-3).Empty());
}

// ---- The variable tables ----

std::vector<std::string> NumericNames() {
    std::vector<std::string> names;
    for (const parser_VariableNumeric& v : Parser().NumericVariables) names.push_back(S(v.Name));
    return names;
}

TEST_F(FormulaTablesTest, NewVariablesAreKeptInNameOrder) {
    EXPECT_EQ(parser_StoreNumericVariable(T("Zeta"), 1.0), VariableStore::Created);
    EXPECT_EQ(parser_StoreNumericVariable(T("alpha"), 2.0), VariableStore::Created);
    EXPECT_EQ(parser_StoreNumericVariable(T("Beta"), 3.0), VariableStore::Created);
    EXPECT_EQ(Parser().NumericVariableCount, 3);
    EXPECT_EQ(NumericNames(), (std::vector<std::string>{"", "alpha", "Beta", "Zeta"}));
    EXPECT_EQ(Parser().NumericVariables[2].Value, 3.0);
    EXPECT_EQ(parser_FindNumericVariable(T("ZETA")), 3);
    EXPECT_EQ(parser_FindNumericVariable(T("gamma")), 0);
}

TEST_F(FormulaTablesTest, ChangingAVariableKeepsTheFirstWrittenName) {
    parser_StoreNumericVariable(T("Rate"), 1.0);
    EXPECT_EQ(parser_StoreNumericVariable(T("RATE"), 2.5), VariableStore::Changed);
    EXPECT_EQ(Parser().NumericVariableCount, 1);
    EXPECT_EQ(S(Parser().NumericVariables[1].Name), "Rate");
    EXPECT_EQ(Parser().NumericVariables[1].Value, 2.5);

    parser_StoreTextVariable(T("Stra\xDF" "e"), T("Weg"));
    EXPECT_EQ(parser_StoreTextVariable(T("STRASSE"), T("Gasse")), VariableStore::Changed);
    EXPECT_EQ(Parser().TextVariableCount, 1);
    EXPECT_EQ(S(Parser().TextVariables[1].Name), "Stra\xDF" "e");
    EXPECT_EQ(S(Parser().TextVariables[1].Value), "Gasse");
}

TEST_F(FormulaTablesTest, NumericAndTextVariablesAreSeparate) {
    parser_StoreNumericVariable(T("x"), 4.0);
    EXPECT_EQ(parser_StoreTextVariable(T("x"), T("vier")), VariableStore::Created);
    EXPECT_EQ(Parser().NumericVariableCount, 1);
    EXPECT_EQ(Parser().TextVariableCount, 1);
    EXPECT_EQ(Parser().NumericVariables[1].Value, 4.0);
    EXPECT_EQ(S(Parser().TextVariables[1].Value), "vier");
    EXPECT_EQ(parser_FindTextVariable(T("X")), 1);
}

TEST_F(FormulaTablesTest, EachVariableTableHoldsAtMostTen) {
    EXPECT_EQ(VariableLimit, 10);
    for (int i = 0; i < 10; ++i) {
        const std::string name = "v" + std::to_string(i);
        EXPECT_EQ(parser_StoreNumericVariable(T(name), i), VariableStore::Created) << name;
        EXPECT_EQ(parser_StoreTextVariable(T(name), T(name)), VariableStore::Created) << name;
    }
    EXPECT_EQ(parser_StoreNumericVariable(T("w"), 99.0), VariableStore::TableFull);
    EXPECT_EQ(parser_StoreTextVariable(T("w"), T("w")), VariableStore::TableFull);
    EXPECT_EQ(Parser().NumericVariableCount, 10);
    EXPECT_EQ(Parser().NumericVariables.size(), 11u);
    EXPECT_EQ(Parser().TextVariableCount, 10);
    EXPECT_EQ(Parser().TextVariables.size(), 11u);
    EXPECT_EQ(parser_FindNumericVariable(T("w")), 0);
    // A full table still changes what it holds.
    EXPECT_EQ(parser_StoreNumericVariable(T("V3"), 33.0), VariableStore::Changed);
    EXPECT_EQ(Parser().NumericVariables[static_cast<std::size_t>(parser_FindNumericVariable(T("v3")))].Value, 33.0);
}

TEST_F(FormulaTablesTest, StoringBeforeTheTablesAreBuiltKeepsThePlaceholder) {
    ResetParser();
    EXPECT_EQ(parser_StoreNumericVariable(T("a"), 1.0), VariableStore::Created);
    EXPECT_EQ(NumericNames(), (std::vector<std::string>{"", "a"}));
    EXPECT_EQ(parser_FindNumericVariable(T("A")), 1);
}

// ---- The value record ----

TEST(UniversalType, FreshValueHasNoValue) {
    const parser_UniversalType value;
    EXPECT_EQ(value.ValueType, ValueTypeNone);
    EXPECT_EQ(value.ValueType, 0);
    EXPECT_EQ(value.ValueNumeric, 0.0);
    EXPECT_TRUE(value.ValueText.Empty());
    EXPECT_EQ(ValueTypeText, 2);
    EXPECT_EQ(ValueTypeReal, 3);
}

// ---- Lexical scanners ----

TEST_F(FormulaTablesTest, CharacterAtIsZeroOutsideTheFormula) {
    const Text formula = T("ab");
    EXPECT_EQ(parser_CharacterAt(formula, 0), 0);
    EXPECT_EQ(parser_CharacterAt(formula, 1), 'a');
    EXPECT_EQ(parser_CharacterAt(formula, 2), 'b');
    EXPECT_EQ(parser_CharacterAt(formula, 3), 0);
}

TEST_F(FormulaTablesTest, NamesStartWithALetterAndRunOverLettersDigitsAndUnderscore) {
    struct Case {
        std::string formula;
        Int start;
        Int end;
    };
    const Case cases[] = {
        {"Mid$(a)", 1, 4},  {"a_1b+2", 1, 5}, {"x", 1, 2},        {"1abc", 1, 1},  {"_a", 1, 1},
        {"ab\xE4" "c", 1, 3}, {"Z12S3 ", 1, 6}, {"(Abs", 2, 5},     {"a b", 1, 2},   {"", 1, 1},
        {"\xE4" "b", 1, 1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(parser_ScanName(T(c.formula), c.start).End, c.end) << c.formula;
    }
}

TEST_F(FormulaTablesTest, DigitRunsStepOverBlanksAndTakeHexLettersAfterZeroX) {
    struct Case {
        std::string formula;
        Int start;
        Int stop;
        UInt8 stopCharacter;
        bool hexadecimal;
    };
    const Case cases[] = {
        {"12 34+5", 1, 6, '+', false},
        {"1 2", 1, 4, 0, false},
        {"0xfF g", 1, 6, 'g', true},
        {"0x", 1, 3, 0, true},
        {"0X1", 1, 2, 'X', false},     // upper-case X does not count
        {"12ab", 1, 3, 'a', false},    // letters only after "0x"
        {"5x3", 1, 4, 0, false},       // an "x" after another digit is taken but is no hex
        {"1.5", 1, 2, '.', false},
        {"1.5e3", 2, 4, 'e', false},   // a run may start on its "."
        {"1e+5", 2, 3, '+', false},    // stops at once at the sign
        {"1e+5", 3, 5, 0, false},
        {"0x 1f", 1, 6, 0, true},
        {"7", 2, 2, 0, false},
    };
    for (const Case& c : cases) {
        const DigitRun run = parser_ScanDigitRun(T(c.formula), c.start);
        EXPECT_EQ(run.StopPosition, c.stop) << c.formula << " from " << c.start;
        EXPECT_EQ(run.StopCharacter, c.stopCharacter) << c.formula << " from " << c.start;
        EXPECT_EQ(run.Hexadecimal, c.hexadecimal) << c.formula << " from " << c.start;
    }
}

}  // namespace
