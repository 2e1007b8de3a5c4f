// Other spreadsheets' files through the whole program: the batch mode by
// extension, a workbook opened as a new Calculation, and the desktop menu's
// export (as its request arrives).
#include <gtest/gtest.h>

#include "app/runner_fixture.h"

namespace {

constexpr const char* Budget =
    "S1:15\rZ1S1:000000000000F002>Gr\u00fc\u00dfe\rZ1S2:000000000000F003>2,5\rZ1S3:000000000000F003>=Z1S2*2\r";

TEST_F(RunnerTest, BatchModeSpeaksEveryFormatByItsExtension) {
    const std::string bin = std::string("'") + TABRONA_EXE + "'";
    const std::string calc = File("in.calc", Budget);
    const auto path = [&](const char* name) { return "'" + (dir / name).string() + "'"; };
    for (const char* out : {"a.xlsx", "a.ods", "a.csv", "a.txt", "a.TSV"})
        EXPECT_EQ(RunCommand(bin + " --export " + calc + " " + path(out)).first, 0) << out;
    EXPECT_EQ(ReadAll(dir / "a.csv"), "\xEF\xBB\xBFGr\u00fc\u00dfe;2,5;5\r\n");
    EXPECT_EQ(ReadAll(dir / "a.txt"), "Gr\u00fc\u00dfe\t2,5\t5\n");
    EXPECT_EQ(ReadAll(dir / "a.TSV"), ReadAll(dir / "a.txt"));
    // Workbooks come back as the Calculation was; CSV holds values only.
    for (const char* in : {"a.xlsx", "a.ods"}) {
        ASSERT_EQ(RunCommand(bin + " --import " + path(in) + " " + path("b.calc")).first, 0) << in;
        EXPECT_EQ(ReadAll(dir / "b.calc"), Budget) << in;
    }
    ASSERT_EQ(RunCommand(bin + " --import " + path("a.csv") + " " + path("b.calc")).first, 0);
    EXPECT_EQ(ReadAll(dir / "b.calc"),
              "Z1S1:000000000000F002>Gr\u00fc\u00dfe\rZ1S2:000000000000F003>2,5\rZ1S3:000000000000F003>5\r");
    // A Windows text with a byte-order mark of UTF-8 is no trouble either.
    ASSERT_EQ(RunCommand(bin + " --import " + File("w.txt", "Gr\xFC\xDF" "e\t=1+1\r\n") + " " + path("b.calc")).first, 0);
    EXPECT_EQ(ReadAll(dir / "b.calc"), "Z1S1:000000000000F002>Gr\u00fc\u00dfe\rZ1S2:000000000000F003>=1+1\r");
    ASSERT_EQ(RunCommand(bin + " --import " + File("u.txt", "\xEF\xBB\xBFx") + " " + path("b.calc")).first, 0);
    EXPECT_EQ(ReadAll(dir / "b.calc"), "Z1S1:000000000000F002>x\r");
}

TEST_F(RunnerTest, BatchModeSaysWhatDidNotGoAcross) {
    const std::string bin = std::string("'") + TABRONA_EXE + "'";
    std::string rows;
    for (int row = 1; row <= 1001; ++row) rows += std::to_string(row) + "\r\n";
    const std::string out = "'" + (dir / "out.calc").string() + "'";
    auto [status, message] = RunCommand(bin + " --import " + File("long.csv", rows) + " " + out);
    EXPECT_EQ(status, 0);
    EXPECT_NE(message.find("2 cells beyond 999 rows x 100 columns were left out (up to row 1001"), std::string::npos)
        << message;
    std::tie(status, message) = RunCommand(bin + " --export " + File("c.calc", "Z1S1:000000000000F003>=1<2\r") + " '" +
                                           (dir / "c.xlsx").string() + "'");
    EXPECT_EQ(status, 0);
    EXPECT_NE(message.find("1 formulas went across as their values, as the other side cannot compute them alike: Z1S1"),
              std::string::npos)
        << message;
    // A damaged file changes nothing.
    File("old.calc", "alt");
    for (const char* name : {"bad.xlsx", "bad.ods"}) {
        std::tie(status, message) =
            RunCommand(bin + " --import " + File(name, "PK\x03\x04 kaputt") + " '" + (dir / "old.calc").string() + "'");
        EXPECT_EQ(status, 1);
        EXPECT_NE(message.find("not a zip archive"), std::string::npos) << message;
    }
    EXPECT_EQ(ReadAll(dir / "old.calc"), "alt");
}

// Excel and OpenDocument come from a module of the program's. A program
// without it says so, writes nothing and overwrites nothing; its other
// formats work as ever.
TEST_F(RunnerTest, WorkbooksWithoutTheirModuleFailSafely) {
    std::filesystem::create_directory(dir / "bin");
    std::filesystem::copy_file(TABRONA_EXE, dir / "bin" / "tabrona");
    const std::string bin = "'" + (dir / "bin" / "tabrona").string() + "'";
    const std::string calc = File("in.calc", Budget);
    const auto path = [&](const char* name) { return "'" + (dir / name).string() + "'"; };
    for (const char* name : {"a.xlsx", "a.ods"}) {
        const auto [status, message] = RunCommand(bin + " --export " + calc + " " + path(name));
        EXPECT_EQ(status, 1) << name;
        EXPECT_NE(message.find("could not be loaded"), std::string::npos) << message;
        EXPECT_FALSE(std::filesystem::exists(dir / name)) << name;
    }
    ASSERT_EQ(RunCommand(std::string("'") + TABRONA_EXE + "' --export " + calc + " " + path("a.xlsx")).first, 0);
    File("old.calc", "alt");
    EXPECT_EQ(RunCommand(bin + " --import " + path("a.xlsx") + " " + path("old.calc")).first, 1);
    EXPECT_EQ(ReadAll(dir / "old.calc"), "alt");
    EXPECT_EQ(RunCommand(bin + " --export " + calc + " " + path("a.csv")).first, 0);
    EXPECT_EQ(ReadAll(dir / "a.csv"), "\xEF\xBB\xBFGr\u00fc\u00dfe;2,5;5\r\n");
}

// An opened workbook is a new Calculation named like it: a save writes the
// .calc beside it (or "name 2.calc" when that exists) and never the original.
TEST_F(RunnerTest, AnOpenedWorkbookBecomesANewCalculation) {
    const std::string bin = std::string("'") + TABRONA_EXE + "'";
    ASSERT_EQ(RunCommand(bin + " --export " + File("in.calc", Budget) + " '" + (dir / "Haushalt.xlsx").string() + "'").first, 0);
    const std::string workbook = ReadAll(dir / "Haushalt.xlsx");
    const std::string screen = Screen("^Qs", "'" + (dir / "Haushalt.xlsx").string() + "'");
    EXPECT_NE(screen.find("  1|Gr\u00fc\u00dfe          2,5      5"), std::string::npos) << screen;
    EXPECT_EQ(ReadAll(dir / "Haushalt.calc"), Budget);
    EXPECT_EQ(ReadAll(dir / "Haushalt.xlsx"), workbook);
    Screen("^Qs", "'" + (dir / "Haushalt.xlsx").string() + "'");
    EXPECT_EQ(ReadAll(dir / "Haushalt 2.calc"), Budget);
    // A sheet larger than a Calculation says how much was left out.
    std::string rows;
    for (int row = 1; row <= 1002; ++row) rows += "x;y\r\n";
    const std::string large = Screen("", File("gross.csv", rows));
    EXPECT_NE(large.find("\u00bbgross.csv\u00ab ist gr\u00f6\u00dfer als eine Calculation:"), std::string::npos) << large;
    EXPECT_NE(large.find("6 Zellen weggelassen (bis Zeile 1002)"), std::string::npos)
        << large;
    // One that cannot be read leaves the Calculation as it was.
    const std::string refused = Screen("", File("kaputt.ods", "PK"));
    EXPECT_NE(refused.find("\u00bbkaputt.ods\u00ab wurde nicht importiert:"), std::string::npos) << refused;
}

// The desktop menu's export writes beside the Calculation, and asks before
// it replaces a file.
TEST_F(RunnerTest, ExportAsWritesBesideTheCalculationAndAsks) {
    const std::string calc = File("Plan.calc", Budget);
    Screen("{Export .ods}x", calc);
    const std::string first = ReadAll(dir / "Plan.ods");
    EXPECT_EQ(first.substr(0, 2), "PK");
    Screen("9{Return}{Export .ods}n", calc);
    EXPECT_EQ(ReadAll(dir / "Plan.ods"), first);
    const std::string asked = Screen("9{Return}{Export .ods}j", calc);
    EXPECT_NE(ReadAll(dir / "Plan.ods"), first);
    EXPECT_NE(asked.find("\u00bbPlan.ods\u00ab wurde geschrieben."), std::string::npos) << asked;
    EXPECT_NE(Screen("x{Export .csv}", "").find("Die Calculation hat noch keinen Namen:"), std::string::npos);
}

}  // namespace
