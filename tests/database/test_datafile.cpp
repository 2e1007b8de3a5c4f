// The datafile loader: each instruction, its problem reports, and what a
// partly broken file still builds.
#include "database/datafile.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "database/database.h"
#include "runtime_fixture.h"

namespace {

using Lines = std::vector<std::string>;

// A line of the datafile: instruction, ten identifier bytes, the type
// letter, one unread byte, the payload.
std::string L(char instruction, const std::string& payload = "", char type = ' ') {
    return std::string(1, instruction) + "0000000001" + type + " " + payload + "\r";
}

std::vector<std::uint8_t> Bytes(const std::string& text) { return {text.begin(), text.end()}; }

// The report lines of a run, without the start, the end and the deletion.
Lines Problems(const LogCapture& log) {
    Lines problems;
    for (const std::string& line : log.Lines())
        if (line.find("Start") == std::string::npos && line.find(": End") == std::string::npos &&
            line.find("d_Delete") == std::string::npos && line.find("created.") == std::string::npos)
            problems.push_back(line);
    return problems;
}

class DatafileTest : public RuntimeTest {};

TEST_F(DatafileTest, InstructionsBuildTablesAndReportEveryProblem) {
    const std::string good = L('T', "Kunden") + L('F', "Name", 'S') + L('F', "Alter", 'I') + L('F', "Aktiv", 'B') +
                             L('R') + L(' ', "M\xC3\xBCller") + L(' ', "42") + L(' ', "ja") + L('R') + L(' ', "Kurz");
    const struct {
        const char* name;
        std::string file;
        bool ok;
        Lines problems;
    } cases[] = {
        {"good", good, true, {}},
        {"line feeds", "T0000000001  Kunden\r\nF0000000001S Name\r\n", false,
         {"d_CreateDatabaseFromBinary: Illegal Instruction in line #2: [] #10: 'F0000000001S Name'",
          "d_CreateDatabaseFromBinary: Illegal Instruction in line #3: [] #10: ''"}},
        {"empty line", good + "\r", false, {"d_CreateDatabaseFromBinary: Illegal Instruction in line #11: [] #13: ''"}},
        {"value first", L(' ', "x") + good, false, {"d_CreateDatabaseFromBinary: Could not set field-data."}},
        {"value too many", good + L(' ', "a") + L(' ', "b") + L(' ', "c"), false,
         {"d_CreateDatabaseFromBinary: Could not set field-data."}},
        {"table twice", good + L('T', "Kunden"), false,
         {"d_CreateTable: Table [Kunden] already exists.", "d_CreateDatabaseFromBinaryt: Could not create table."}},
        {"field after record", good + L('F', "Ort", 'S'), false,
         {"d_CreateField: Table is not empty (2 records), cannot create field.",
          "d_CreateDatabaseFromBinary: Could not create layout-field."}},
        {"record without fields", L('T', "Leer") + L('R'), false,
         {"d_CreateRecord: Table #0 has no fields.", "d_CreateDatabaseFromBinary: Could not create record #-1."}},
        {"unknown instruction", good + "X0000000001  ?\r", false,
         {"d_CreateDatabaseFromBinary: Illegal Instruction in line #11: [X] #88: 'X0000000001  ?'"}},
    };
    for (const auto& c : cases) {
        LogCapture log;
        EXPECT_EQ(d_CreateDatabaseFromBinary(Bytes(c.file)), c.ok) << c.name;
        EXPECT_EQ(Problems(log), c.problems) << c.name;
    }
    // A broken file still builds all it can: the good table, read last.
    d_CreateDatabaseFromBinary(Bytes(good + L(' ', "zu viel") + L(' ', "\xFF") + L(' ')));
    EXPECT_EQ(d_RecordsInTable(0), 2);
    EXPECT_EQ(d_GetData(0, 1, 0) + "|" + d_GetData(0, 1, 1) + "|" + d_GetData(0, 1, 2) + "|" + d_GetData(0, 2, 0),
              "M\xC3\xBC"
              "ller|42|True|Kurz");
    EXPECT_EQ(d_GetData(0, 2, 1) + d_GetData(0, 2, 2), "0");  // invalid UTF-8 and a bare line: empty values
}

TEST_F(DatafileTest, FilesThatAreMissingHugeOrNoDatafilesAreSafe) {
    LogCapture log;
    EXPECT_FALSE(d_LoadDatabase("/nonexistent/kunden.datb"));
    EXPECT_EQ(log.Lines().back(), "d_LoadDatabase: Datafile not found.");
    // More records than the store takes: the rest are refused and reported.
    std::string many =
        L('T', "Gross") + L('F', "A", 'I') + L('F', "B", 'I') + L('F', "C", 'I') + L('F', "D", 'I') + L('F', "E", 'I');
    for (int i = 0; i < MaxDataValues / 5 + 10; ++i) many += "R\r";
    log.Clear();
    EXPECT_FALSE(d_CreateDatabaseFromBinary(Bytes(many)));
    EXPECT_LE(Database().DataCursor, MaxDataValues);
    EXPECT_EQ(d_RecordsInTable(0), MaxDataValues / 5 - 1);
    EXPECT_EQ(LastDatafileReport().RecordsRefused, 11);  // the working record took a place
}

// A hundred thousand tables, and a table of a hundred thousand fields, are
// read with every duplicate name found (on the first 32 characters); a
// deleted table's name is free again, and later tables keep theirs.
TEST_F(DatafileTest, ManyTablesAndFieldsAreReadByName) {
    std::string file;
    for (int i = 0; i < 100'000; ++i) file += L('T', "Tabelle " + std::to_string(i));
    file += L('T', "Tabelle 7");
    for (int i = 0; i < 100'000; ++i) file += L('F', "Feld " + std::to_string(i), 'S');
    file += L('F', std::string(32, 'x') + "a", 'S') + L('F', std::string(32, 'x') + "b", 'S');
    EXPECT_FALSE(d_CreateDatabaseFromBinary(Bytes(file)));
    EXPECT_EQ(LastDatafileReport().Errors, 2);
    EXPECT_EQ(Database().TableCount, 100'000);
    EXPECT_EQ(d_FieldsInTable(99'999), 100'001);
    EXPECT_EQ(d_GetFieldIndexI(99'999, "Feld 54321"), 54'321);
    d_DeleteTable(5);
    EXPECT_EQ(d_CreateTable("Tabelle 99999"), -1);
    EXPECT_EQ(d_CreateTable("Tabelle 5"), 99'999);
    EXPECT_EQ(d_CreateTable("Tabelle 6"), -1);
}

}  // namespace
