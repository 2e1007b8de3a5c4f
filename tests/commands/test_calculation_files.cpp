// Saving a Calculation: a failed write says so, keeps the old file and
// leaves the Calculation modified; a good one stores the file's lines.
#include "commands/calculation_files.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "files/file_faults.h"
#include "platform/log.h"
#include "runtime/key_codes.h"
#include "runtime/program.h"
#include "screen/screen_fixture.h"
#include "sheet/calculation.h"

namespace {

std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class SaveCalculationTest : public ScreenTest {};

TEST_F(SaveCalculationTest, AFailedWriteKeepsTheOldFileAndModified) {
    initoxtools();
    ClearCalculation();
    char pattern[] = "/tmp/tabrona-save-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    CalculationState& c = Calculation();
    c.CalcFolder = std::string(pattern) + "/";
    Keys({EscapeKey});  // no name yet: the save selector asks for one, and is cancelled
    EXPECT_FALSE(SaveCalculation());
    c.CalcFileName = "Umsatz.calc";
    const std::string path = c.CalcFolder + c.CalcFileName;
    std::ofstream(path) << "S2:15\r";
    c.CellText.Set(0, Text{'G', 'r', 0xF6, 0xDF, 'e'});  // program codes of "Größe"
    SetCellKind(c.CellAttributes.Edit(0), CellKindText);
    c.Modified = true;

    InjectWriteFault(WriteStep::Write, ENOSPC);
    Keys({ReturnKey});  // dismisses the message that the save failed
    LogCapture log;
    EXPECT_FALSE(SaveCalculation());
    EXPECT_TRUE(c.Modified);
    EXPECT_EQ(Read(path), "S2:15\r");
    const std::string text = log.Text();
    const std::size_t built = text.find("TabronaSave: Write memory to calculation, ");
    const std::size_t failed =
        text.find("setstringtofile: Error #" + std::to_string(ENOSPC) + " " + std::strerror(ENOSPC) + ": " + path);
    const std::size_t written = text.find("TabronaSave: Write calculation to disk, ");
    EXPECT_TRUE(built < failed && failed < written && written != std::string::npos) << text.substr(0, 500);

    InjectWriteFault(WriteStep::None, 0);
    EXPECT_TRUE(SaveCalculation());
    EXPECT_FALSE(c.Modified);
    EXPECT_EQ(Read(path), "Z1S1:000000000000F002>Gr\xC3\xB6\xC3\x9F" "e\r");
    std::filesystem::remove_all(pattern);
}

}  // namespace
