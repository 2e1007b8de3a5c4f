// The program's one in-memory database: named tables of typed fields and
// their records, whose values all live in one flat store. Every operation
// reports a problem as a log line starting with its own name and answers
// with -1 or an empty value; none ever stops the program.
#pragma once

#include <string>
#include <unordered_map>
#include <vector>

#include "database/stored_value.h"
#include "runtime/types.h"

// Field types, as d_FieldType gives them.
enum d_FieldTypes : Int {
    FieldInteger = 0,
    FieldReal = 1,
    FieldBoolean = 2,
    FieldString = 3,
    FieldData = 4,
    FieldTime = 5,
    FieldLongTime = 6,
    FieldUnknown = 7,
};

// Names of tables and fields keep at most this many characters.
inline constexpr std::size_t MaxNameLength = 32;
// The flat store grows by this many values at a time.
inline constexpr Int DataStoreStep = 10000;

struct d_field {
    std::string FieldID;
    Int FieldType = FieldUnknown;
};

struct d_table {
    std::string TableID;
    std::vector<d_field> Field;
    std::unordered_map<std::string, Int> FieldNumbers;  // FieldID to its place in Field
    std::vector<Int> RecordIndex;  // record n's first value in DataStore; 0 is the working record
    Int RecordCurrent = 0;
};

struct d_selection {
    std::string SelectionID;
    Int SelectionRecordSelected = 0;
    std::vector<Int> SelectionRecordIndex;
};

struct DatabaseState {
    std::vector<d_table> DatabaseTables;
    std::vector<d_selection> DatabaseSelections;
    Int TableCount = 0;
    // TableID to the table's number: a file of many tables is read in
    // linear time.
    std::unordered_map<std::string, Int> TableNumbers;
    std::vector<StoredValue> DataStore = std::vector<StoredValue>(DataStoreStep);
    std::vector<Int> DataNumbers = std::vector<Int>(DataStoreStep);
    Int DataCursor = 0;
    Int DataCapacity = DataStoreStep;
};
DatabaseState& Database();

Int d_CreateTable(const std::string& name);
Int d_CreateField(Int table, const std::string& name, Int type);
// The first call on a table makes its working record 0 and record 1.
Int d_CreateRecord(Int table);
// Copies the record made last into the table's working record.
void d_LoadRecord(Int table);
void d_SetData(Int position, Int type, const std::string& value);
std::string d_GetData(Int table, Int record, Int field);
std::string d_GetFieldID(Int table, Int field);
Int d_GetFieldIndexI(Int table, const std::string& name);
Int d_FieldsInTable(Int table);
// Records without the working record.
Int d_RecordsInTable(Int table);
void d_DeleteDatabase(bool quick);
void d_DeleteTable(Int table);
void d_DeleteTableRecords(Int table);
Int d_FieldType(const std::string& name);
