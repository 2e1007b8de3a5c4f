// Formulas across: table-driven in both directions and both dialects, what
// cannot go across, and round trips computed by the program itself. What the
// other side computes of them is checked against Gnumeric in the xlsx and
// ods tests.
#include "workbook/formula_translation.h"

#include "workbook/workbook_fixture.h"

namespace {

class FormulaTranslationTest : public WorkbookTest {
protected:
    void SetUp() override {
        WorkbookTest::SetUp();
        Enter(1, 1, "-2,5");
        Enter(1, 2, "Grüße");
        Enter(1, 3, "2,345");
        RecalculateCells();
    }
    static CellKindLookup Kinds() {
        return [](Int row, Int column) { return CellKind(AttributesAt(row, column)); };
    }
    static std::string Out(const std::string& ours, FormulaDialect dialect) {
        return FormulaToForeign(CalculationCodes(ours), dialect, Kinds()).value_or("(none)");
    }
    static std::string In(const std::string& theirs, FormulaDialect dialect, Int rows = 0, Int columns = 0) {
        const std::optional<Text> ours = FormulaFromForeign(theirs, dialect, Kinds(), rows, columns);
        return ours ? CalculationFileText(*ours) : "(none)";
    }
    // The formula's value as the program computes it in cell Z9S9.
    static std::string Value(const std::string& formula) {
        Enter(9, 9, formula);
        RecalculateCells();
        return Shown(9, 9);
    }
};

TEST_F(FormulaTranslationTest, OursGoesOutInBothDialects) {
    const std::pair<const char*, const char*> excel[] = {
        {"=Z1S1+Z2S1*2", "=A1+A2*2"},
        {"= ( Z1S1 + 1 ) * 2", "=(A1+1)*2"},
        {"=Z1S1-(Z1S2x-Z1S3)", "(none)"},
        {"=Z1S1-(Z1S3-Z1S1)/Z1S3^2", "=A1-(C1-A1)/C1^2"},
        {"=-Z1S1^2", "=(-A1)^2"},
        {"=2^-3", "=2^(-3)"},
        {"=2^3^2", "=(2^3)^2"},
        {"=Sin(z1s1)+SQRT(4)", "=SIN(A1)+SQRT(4)"},
        {"=Round(Z1S1,2)", "=(TRUNC((A1)*10^ABS(TRUNC(2))+0.5)/10^ABS(TRUNC(2)))"},
        {"=Min(1,Z1S1)", "=(IF((A1)<(1),A1,1))"},
        {"=e+e()", "=(EXP(1))+(EXP(1))"},
        {"=\xc3\xb0*2", "=PI()*2"},
        {"=7\\2", "=(TRUNC((7)/(2)))"},
        {"=Mid$(\"Grüße\",2,3)", "=MID(\"Grüße\",2,3)"},
        {"=Z1S2+\"x\"", "=B1&\"x\""},
        {"=.5+1e20", "=0.5+1E+20"},
        {"=Log(Z100S1)+Exp10(2)+Sqr(3)", "=(LN(A100)/2.302585092994046)+(10^(2))+((3)*(3))"},
    };
    for (const auto& [ours, theirs] : excel) EXPECT_EQ(Out(ours, FormulaDialect::Excel), theirs) << ours;
    EXPECT_EQ(Out("=Sin(Z1S1)+Left$(\"a;b\",1)", FormulaDialect::OpenDocument), "(none)");
    EXPECT_EQ(Out("=Len(Left$(\"a;b\",1))*Z10S27", FormulaDialect::OpenDocument), "of:=LEN(LEFT(\"a;b\";1))*[.AA10]");
    EXPECT_EQ(Out("=Max(Z1S1,0)", FormulaDialect::OpenDocument), "of:=(IF(([.A1])>(0);[.A1];0))");
}

// Comparisons, bit operators, variables, hexadecimal numerals and functions
// without a partner go as values; so do types each side treats otherwise.
TEST_F(FormulaTranslationTest, WhatCannotBeSaidThereStaysHere) {
    std::string deep = "=";
    for (int i = 0; i < 150; ++i) deep += "(";
    deep += "1";
    for (int i = 0; i < 150; ++i) deep += ")";
    for (const std::string& ours : std::vector<std::string>{"=Z1S1<2", "=1&3", "=Var(\"x\",1)", "=x", "=Hex$(255)", "=1 2", "=0xff", "=Z1S1%2",
                                    "=Z1S2+1", "=5+\"x\"", "=Round(1)", "=Abs(\"x\")", "=Len(Z1S1)", "=!1", "=\"offen",
                                    "=Sin(1", "=1e999", "=Z0S1", "=Z1000S1", "", "Z1S1", deep})
        EXPECT_EQ(Out(ours, FormulaDialect::Excel), "(none)") << ours;
}

TEST_F(FormulaTranslationTest, TheirsComesIn) {
    const std::pair<const char*, const char*> excel[] = {
        {"=A1+C1*2", "=Z1S1+Z1S3*2"},
        {"A1+C1", "=Z1S1+Z1S3"},
        {"=$A$1*2", "=Z1S1*2"},
        {"=sin(A1) + SQRT( 4 )", "=Sin(Z1S1)+Sqrt(4)"},
        {"=POWER(2,3)", "=2^3"},
        {"=PI()", "=\xc3\xb0"},
        {"=-A1^2", "=(-Z1S1)^2"},
        {"=(2^3)^2", "=(2^3)^2"},
        {"=(TRUNC((A1)*10^ABS(TRUNC(2))+0.5)/10^ABS(TRUNC(2)))", "=Round(Z1S1,2)"},
        {"=TRUNC((A1)*10^ABS(TRUNC(2))+0.5)/10^ABS(TRUNC(2))", "=Trunc(Z1S1*10^Abs(Trunc(2))+0.5)/10^Abs(Trunc(2))"},
        {"=(IF((C1)<(A1),C1,A1))*2", "=Min(Z1S1,Z1S3)*2"},
        {"=--A1", "=-(-Z1S1)"},
        {"=+A1", "=Z1S1"},
        {"=\"a\"&B1&\"ü\"", "=\"a\"+Z1S2+\"ü\""},
        {"=1.5E+20", "=1.5e+20"},
        {"=MID(B1,2,3)&REPT(\"-\",2)", "=Mid$(Z1S2,2,3)+Repeat$(\"-\",2)"},
        {"=TRUNC(A1)+INT(A1)+LEN(B1)", "=Trunc(Z1S1)+Int(Z1S1)+Len(Z1S2)"},
    };
    for (const auto& [theirs, ours] : excel) EXPECT_EQ(In(theirs, FormulaDialect::Excel), ours) << theirs;
    for (const char* theirs : {"=SUM(A1:A3)", "=Sheet2!A1", "=A1=1", "=IF(A1,1,2)", "=50%", "=LOG10(100)",
                               "=ROUND(A1,0)", "=\"say \"\"hi\"\"\"", "=A1 B1", "=A1&1", "=A1000", "=XFD1", "=TRUNC(A1,2)",
                               "=_xlfn.CONCAT(B1)", "=MIN(A1,2)", "=A1+", "=(A1", "=2^3^2",
                               "=IF(A1<C1,C1,A1)", "=(IF((C1)<(A1),A1,C1))", "=A1<C1"})
        EXPECT_EQ(In(theirs, FormulaDialect::Excel), "(none)") << theirs;
    EXPECT_EQ(In("of:=[.A1]+SIN([.$B$2])", FormulaDialect::OpenDocument), "=Z1S1+Sin(Z2S2)");
    EXPECT_EQ(In("of:=MID(\"abc\";2;1)", FormulaDialect::OpenDocument), "=Mid$(\"abc\",2,1)");
    EXPECT_EQ(In("msoxl:=A1*2", FormulaDialect::OpenDocument), "=Z1S1*2");
    for (const char* theirs : {"of:=[$Tabelle1.A1]", "of:=[.A1:.A3]", "of:=MID(\"abc\",2,1)", "A1"})
        EXPECT_EQ(In(theirs, FormulaDialect::OpenDocument), "(none)") << theirs;
    // A shared formula's cells: relative parts move, fixed ones stay.
    EXPECT_EQ(In("=A1+$C$1+C$1+$A2", FormulaDialect::Excel, 2, 1), "=Z3S2+Z1S3+Z1S4+Z4S1");
}

// Ours out and back in means the same, computed by the program: the pairs
// and the expressions that stand for ours where no pair exists.
TEST_F(FormulaTranslationTest, RoundTripsComputeTheSame) {
    for (const std::string& ours : std::vector<std::string>
         {"=Min(Z1S1,Z1S3)", "=Max(Z1S3,Z1S1)", "=Sgn(-0.5)+Sgn(Z1S1)", "=Abs(Z1S1)+Sin(Z1S1)+Cos(Z1S1)+Tan(Z1S1)+ArcTan(Z1S1)", "=ArcCos(0.5)+ArcSin(0.5)+Ln(Z1S3)+Exp(Z1S1)",
          "=Sqrt(Z1S3)+Trunc(Z1S1)+Int(Z1S1)", "=Round(Z1S1,0)", "=Round(Z1S3,2)", "=Round(1234.5,-2)",
          "=Round(-1.2,0)", "=Log(1000)", "=Exp10(2)+Sqr(Z1S1)", "=Frac(Z1S1)",
          "=Sum(1,2,Z1S1,Z1S3)", "=e*\xc3\xb0", "=-7\\2", "=Len(Z1S2)", "=Left$(Z1S2,2)+Right$(Z1S2,0)",
          "=Mid$(Z1S2,0,2)+Repeat$(\"ab\",3)", "=Z1S2+\"!\"", "=(2^3)^2", "=(-2)^2", "=1-(2-3)", "=8/(4/2)"}) {
        const std::string theirs = Out(ours, FormulaDialect::Excel);
        ASSERT_NE(theirs, "(none)") << ours;
        const std::string back = In(theirs, FormulaDialect::Excel);
        ASSERT_NE(back, "(none)") << ours << " -> " << theirs;
        EXPECT_EQ(Value(back), Value(ours)) << ours << " -> " << theirs << " -> " << back;
        EXPECT_EQ(back, ours) << theirs;
        EXPECT_EQ(In(Out(ours, FormulaDialect::OpenDocument), FormulaDialect::OpenDocument), back) << ours;
    }
}

TEST(ColumnLetters, BothWays) {
    for (const auto& [column, letters] : std::vector<std::pair<Int, std::string>>{
             {1, "A"}, {26, "Z"}, {27, "AA"}, {100, "CV"}, {702, "ZZ"}, {703, "AAA"}, {16384, "XFD"}}) {
        EXPECT_EQ(ColumnLetters(column), letters);
        EXPECT_EQ(ColumnFromLetters(letters), column);
    }
    EXPECT_EQ(ColumnFromLetters(""), 0);
    EXPECT_EQ(ColumnFromLetters("AAAA"), 0);
    EXPECT_EQ(ColumnFromLetters("A1"), 0);
}

}  // namespace
