// Tables, fields and records: what each operation answers and reports,
// the values by field type, and the flat store's growth.
#include "database/database.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "runtime_fixture.h"

namespace {

using Lines = std::vector<std::string>;

class DatabaseTest : public RuntimeTest {};

TEST_F(DatabaseTest, OperationsAnswerAndReportAsTheyShould) {
    LogCapture log;
    const std::string longName(40, 'x');
    EXPECT_EQ(d_CreateTable(longName), 0);
    EXPECT_EQ(Database().DatabaseTables[0].TableID, std::string(32, 'x'));
    EXPECT_EQ(d_CreateTable(std::string(32, 'x') + "yz"), -1);
    EXPECT_EQ(d_CreateTable("Kunden"), 1);
    EXPECT_EQ(d_CreateField(1, "Name", d_FieldType("S")), 0);
    EXPECT_EQ(d_CreateField(1, "Alter", d_FieldType("Integer")), 1);
    EXPECT_EQ(d_CreateField(1, "Name", 3), -1);
    EXPECT_EQ(d_CreateField(5, "X", 3), -1);
    EXPECT_EQ(d_CreateRecord(0), -1);  // no fields
    EXPECT_EQ(d_CreateRecord(1), 1);
    EXPECT_EQ(d_RecordsInTable(1), 1);
    EXPECT_EQ(d_CreateField(1, "Ort", 3), -1);
    const Int first = Database().DatabaseTables[1].RecordIndex[1];
    d_SetData(first, FieldString, "Meier"), d_SetData(first + 1, FieldInteger, "  -42abc");
    EXPECT_EQ(d_GetData(1, 1, 0) + "|" + d_GetData(1, 1, 1), "Meier|-42");
    for (const auto& [table, record, field] : {std::tuple{1, 1, 2}, {1, 2, 0}, {2, 0, 0}})
        EXPECT_EQ(d_GetData(table, record, field), "");
    EXPECT_EQ(d_GetFieldID(1, 2), "");
    EXPECT_EQ(d_GetFieldID(1, 1) + "|" + std::to_string(d_GetFieldIndexI(1, "Alter")) + "|" +
                  std::to_string(d_GetFieldIndexI(1, "Ort")) + "|" + std::to_string(d_FieldsInTable(1)),
              "Alter|1|-1|2");
    EXPECT_EQ(log.Lines(),
              (Lines{"d_CreateTable: Table [" + longName + "] #0 created.",
                     "d_CreateTable: Table [" + std::string(32, 'x') + "yz] already exists.",
                     "d_CreateTable: Table [Kunden] #1 created.", "d_CreateField: Field [Name] already exists.",
                     "d_CreateField: Table #5 not found.", "d_CreateRecord: Table #0 has no fields.",
                     "d_CreateRecord: Working Record created.",
                     "d_CreateField: Table is not empty (1 records), cannot create field.",
                     "d_GetData: Field #2 not found.", "d_GetData: Record #2 not found.",
                     "d_GetData: Table #2 not found.", "d_GetFieldID: Table #[1] or field #2 not found."}));
    log.Clear();
    d_DeleteDatabase(true);
    EXPECT_EQ(Database().TableCount, 0);
    EXPECT_EQ(log.Lines().front(), "d_DeleteDatabase: Start (2 tables in database)");
    EXPECT_EQ(log.Lines().back().rfind("d_DeleteDatabase: End (0 tables in database, ", 0), 0u);
    EXPECT_EQ(d_RecordsInTable(0), -1);
}

TEST_F(DatabaseTest, ValuesAreStoredByTheirFieldType) {
    const struct {
        Int type;
        const char* value;
        const char* stored;
        Int number;
    } cases[] = {
        {FieldInteger, "12x", "12", 12},
        {FieldReal, "2,50", "2,5", 2},
        {FieldReal, "-7.9", "-7,9", -7},
        {FieldBoolean, "JA", "True", 1},
        {FieldBoolean, "nein", "False", 0},
        {FieldBoolean, "vielleicht", "vielleicht", 0},
        {FieldTime, "754000", "12:34", 754000},
        {FieldLongTime, "3723000", "1:02:03", 3723000},
        {FieldString,
         "Gr\xC3\xBC\xC3\x9F"
         "e",
         "Gr\xC3\xBC\xC3\x9F"
         "e",
         -1},
    };
    for (const auto& c : cases) {
        d_SetData(5, c.type, c.value);
        EXPECT_EQ(Database().DataStore[5].String(), c.stored) << c.value;
        if (c.number >= -1 && c.type != FieldString) {
            EXPECT_EQ(Database().DataNumbers[5], c.number) << c.value;
        }
    }
    d_SetData(-1, FieldString, "x"), d_SetData(DataStoreStep, FieldString, "x");  // outside the store: nothing
    EXPECT_EQ(d_FieldType("LongTime"), FieldLongTime);
    EXPECT_EQ(d_FieldType("long"), FieldUnknown);
}

TEST_F(DatabaseTest, TheStoreGrowsBy10000WhenARecordReachesItsEnd) {
    d_CreateTable("T");
    d_CreateField(0, "A", FieldInteger);
    for (int i = 0; i < 9999; ++i) d_CreateRecord(0);  // with the working record, 10000 values
    EXPECT_EQ(Database().DataCapacity, 20000);
    EXPECT_EQ(Database().DataCursor, 10000);
    d_DeleteTableRecords(0);
    EXPECT_EQ(d_RecordsInTable(0), 0);
    d_DeleteTable(7);
    EXPECT_EQ(Database().TableCount, 1);
}

}  // namespace
