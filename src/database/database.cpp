#include "database/database.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <functional>
#include <limits>

#include "numbers/number_format.h"
#include "platform/log.h"
#include "platform/program_state.h"
#include "runtime/text.h"

namespace {

ProgramState<DatabaseState> state;

DatabaseState& D() { return *state; }

std::string N(Int value) { return std::to_string(value); }

// The first 32 characters (not bytes) of a name.
std::string Cut(const std::string& name) {
    const std::u32string scalars = Scalars(name);
    if (scalars.size() <= MaxNameLength) return name;
    return Utf8(std::u32string_view(scalars).substr(0, MaxNameLength));
}

bool TableExists(Int table) { return table >= 0 && table < D().TableCount; }
d_table& Table(Int table) { return D().DatabaseTables[static_cast<std::size_t>(table)]; }

// Leading blanks, an optional "-", digits up to the first other character;
// beyond the range of Int it stays at its end.
Int ReadInteger(const std::string& text) {
    std::size_t i = text.find_first_not_of(' ');
    if (i == std::string::npos) return 0;
    const bool negative = text[i] == '-';
    if (negative) ++i;
    Int value = 0;
    constexpr Int Limit = std::numeric_limits<Int>::max() / 10 - 1;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        value = value < Limit ? value * 10 + (text[i] - '0') : value;
    return negative ? -value : value;
}

std::string Lower(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

std::string FromCodes(const Text& text) { return std::string(text.Elements.begin(), text.Elements.end()); }

// The number of a double as an Int: its integer part, 0 for no number, the
// ends of the range beyond them.
Int IntegerPart(double x) {
    if (std::isnan(x)) return 0;
    if (x >= 9.2e18) return std::numeric_limits<Int>::max();
    if (x <= -9.2e18) return std::numeric_limits<Int>::min();
    return static_cast<Int>(x);
}

Int Key(const std::string& text) { return static_cast<Int>(std::hash<std::string>{}(text) >> 1); }

// A further block of values for the store, as often as the cursor needs.
void Grow() {
    DatabaseState& d = D();
    while (d.DataCursor >= d.DataCapacity) {
        d.DataCapacity += DataStoreStep;
        d.DataStore.resize(static_cast<std::size_t>(d.DataCapacity));
        d.DataNumbers.resize(static_cast<std::size_t>(d.DataCapacity));
    }
}

Int AppendRecord(d_table& table) {
    DatabaseState& d = D();
    const auto number = static_cast<Int>(table.RecordIndex.size());
    table.RecordIndex.push_back(d.DataCursor);
    table.RecordCurrent = number;
    d.DataCursor += static_cast<Int>(table.Field.size());
    Grow();
    return number;
}

}  // namespace

DatabaseState& Database() { return D(); }

Int d_CreateTable(const std::string& name) {
    DatabaseState& d = D();
    const std::string id = Cut(name);
    if (!d.TableNumbers.try_emplace(id, d.TableCount).second) {
        LogLine("d_CreateTable: Table [" + LogExcerpt(name) + "] already exists.");
        return -1;
    }
    d.DatabaseTables.push_back({id, {}, {}, {}, 0});
    d.DatabaseSelections.push_back({id, 0, {}});
    const Int number = d.TableCount++;
    LogLine("d_CreateTable: Table [" + LogExcerpt(name) + "] #" + N(number) + " created.");
    return number;
}

Int d_CreateField(Int table, const std::string& name, Int type) {
    if (!TableExists(table)) {
        LogLine("d_CreateField: Table #" + N(table) + " not found.");
        return -1;
    }
    d_table& t = Table(table);
    if (!t.RecordIndex.empty()) {
        LogLine("d_CreateField: Table is not empty (" + N(d_RecordsInTable(table)) + " records), cannot create field.");
        return -1;
    }
    const auto number = static_cast<Int>(t.Field.size());
    const std::string id = Cut(name);
    if (!t.FieldNumbers.try_emplace(id, number).second) {
        LogLine("d_CreateField: Field [" + LogExcerpt(name) + "] already exists.");
        return -1;
    }
    t.Field.push_back({id, type});
    return number;
}

Int d_CreateRecord(Int table) {
    if (!TableExists(table)) {
        LogLine("d_CreateRecord: Table #" + N(table) + " not found.");
        return -1;
    }
    d_table& t = Table(table);
    if (t.Field.empty()) {
        LogLine("d_CreateRecord: Table #" + N(table) + " has no fields.");
        return -1;
    }
    if (AppendRecord(t) == 0) {
        LogLine("d_CreateRecord: Working Record created.");
        AppendRecord(t);
    }
    d_LoadRecord(table);
    return t.RecordCurrent;
}

void d_LoadRecord(Int table) {
    if (!TableExists(table) || Table(table).Field.empty() || Table(table).RecordIndex.empty()) {
        LogLine("d_LoadRecord: Table #" + N(table) + " not found or table has no fields.");
        return;
    }
    DatabaseState& d = D();
    const d_table& t = Table(table);
    const auto from = static_cast<std::size_t>(t.RecordIndex[static_cast<std::size_t>(t.RecordCurrent)]);
    const auto to = static_cast<std::size_t>(t.RecordIndex[0]);
    if (from == to) return;
    for (std::size_t f = 0; f < t.Field.size(); ++f) {
        d.DataStore[to + f] = d.DataStore[from + f];
        d.DataNumbers[to + f] = d.DataNumbers[from + f];
    }
}

void d_SetData(Int position, Int type, const std::string& value) {
    DatabaseState& d = D();
    if (position < 0 || position >= static_cast<Int>(d.DataStore.size())) return;
    std::string text;
    Int& number = d.DataNumbers[static_cast<std::size_t>(position)];
    switch (type) {
        case FieldInteger:
            number = ReadInteger(value);
            text = N(number);
            break;
        case FieldReal: {
            const Text codes(CodeBuffer(value.begin(), value.end()));
            const double x = TextToNumber(codes.Elements);
            text = FromCodes(FormulaNumberText(x));
            number = IntegerPart(x);
            break;
        }
        case FieldBoolean: {
            const std::string word = Lower(value);
            const bool yes = word == "true" || word == "ja" || word == "yes";
            const bool no = word == "false" || word == "nein" || word == "no";
            text = yes ? "True" : no ? "False" : value;
            number = yes ? 1 : 0;
            break;
        }
        case FieldString:
            text = value;
            number = Key(Lower(value));
            break;
        case FieldTime:
            number = ReadInteger(value);
            text = FromCodes(IntegerText(number / 60000, '0', 2, false)) + ":" +
                   FromCodes(IntegerText((number / 1000) % 60, '0', 2, false));
            break;
        case FieldLongTime:
            number = ReadInteger(value);
            text = FromCodes(TimeText(number, 0, true));
            break;
        default:  // data, and a type the database does not know
            text = value;
            number = Key(value);
            break;
    }
    d.DataStore[static_cast<std::size_t>(position)] = text;
}

std::string d_GetData(Int table, Int record, Int field) {
    if (!TableExists(table)) {
        LogLine("d_GetData: Table #" + N(table) + " not found.");
        return {};
    }
    const d_table& t = Table(table);
    if (field < 0 || field >= static_cast<Int>(t.Field.size())) {
        LogLine("d_GetData: Field #" + N(field) + " not found.");
        return {};
    }
    if (record < 0 || record >= static_cast<Int>(t.RecordIndex.size())) {
        LogLine("d_GetData: Record #" + N(record) + " not found.");
        return {};
    }
    return D().DataStore[static_cast<std::size_t>(t.RecordIndex[static_cast<std::size_t>(record)] + field)].String();
}

std::string d_GetFieldID(Int table, Int field) {
    if (!TableExists(table) || field < 0 || field >= static_cast<Int>(Table(table).Field.size())) {
        LogLine("d_GetFieldID: Table #[" + N(table) + "] or field #" + N(field) + " not found.");
        return {};
    }
    return Table(table).Field[static_cast<std::size_t>(field)].FieldID;
}

Int d_GetFieldIndexI(Int table, const std::string& name) {
    if (!TableExists(table)) {
        LogLine("d_GetFieldIndexI: Table #" + N(table) + " not found.");
        return -1;
    }
    const auto& numbers = Table(table).FieldNumbers;
    const auto found = numbers.find(Cut(name));
    return found == numbers.end() ? -1 : found->second;
}

Int d_FieldsInTable(Int table) {
    if (!TableExists(table)) {
        LogLine("d_FieldsInTable: Table #" + N(table) + " not found.");
        return -1;
    }
    return static_cast<Int>(Table(table).Field.size());
}

Int d_RecordsInTable(Int table) {
    if (!TableExists(table)) {
        LogLine("d_RecordsInTable: Table #" + N(table) + " not found.");
        return -1;
    }
    return std::max<Int>(static_cast<Int>(Table(table).RecordIndex.size()) - 1, 0);
}

void d_DeleteDatabase(bool quick) {
    const auto start = std::chrono::steady_clock::now();
    LogLine("d_DeleteDatabase: Start (" + N(D().TableCount) + " tables in database)");
    while (D().TableCount > 0) d_DeleteTable(D().TableCount - 1);
    // The store starts again empty.
    DatabaseState& d = D();
    d.DataStore.assign(static_cast<std::size_t>(DataStoreStep), StoredValue());
    d.DataNumbers.assign(static_cast<std::size_t>(DataStoreStep), 0);
    d.DataCursor = 0;
    d.DataCapacity = DataStoreStep;
    const auto ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
    LogLine("d_DeleteDatabase: End (" + N(d.TableCount) + " tables in database, " + std::to_string(ms) + " ms." +
            (quick ? " (quick)." : " (recursive)."));
}

void d_DeleteTable(Int table) {
    LogLine("d_DeleteTable: Start.");
    if (!TableExists(table)) {
        LogLine("d_DeleteTable: Table #" + N(table) + " not found.");
        return;
    }
    DatabaseState& d = D();
    LogLine("d_DeleteTable: Table = #" + N(table));
    LogLine("d_DeleteTable: Delete WorkingRecord.");
    LogLine("d_DeleteTable: Start deleting fields.");
    LogLine("d_DeleteTable: End deleting fields.");
    d.TableNumbers.erase(Table(table).TableID);
    d.DatabaseTables.erase(d.DatabaseTables.begin() + table);
    d.DatabaseSelections.erase(d.DatabaseSelections.begin() + table);
    --d.TableCount;
    // The tables after it moved down by one.
    if (table < d.TableCount)
        for (auto& [id, number] : d.TableNumbers) number -= number > table ? 1 : 0;
    LogLine("d_DeleteTable: End.");
}

void d_DeleteTableRecords(Int table) {
    LogLine("d_DeleteTableRecords: Start.");
    if (!TableExists(table)) {
        LogLine("d_DeleteTableRecords: Table #" + N(table) + " not found.");
        return;
    }
    d_table& t = Table(table);
    LogLine("d_DeleteTableRecords: Table = #" + N(table));
    LogLine("d_DeleteTableRecords: Delete " + N(d_RecordsInTable(table)) + " records start.");
    t.RecordIndex.clear();
    t.RecordCurrent = 0;
    LogLine("d_DeleteTableRecords: Delete records end.");
    LogLine("d_DeleteTableRecords: End.");
}

Int d_FieldType(const std::string& name) {
    static const std::pair<const char*, const char*> names[] = {{"I", "Integer"}, {"R", "Real"}, {"B", "Boolean"},
                                                                {"S", "String"},  {"D", "Data"}, {"T", "Time"},
                                                                {"L", "LongTime"}};
    for (Int type = 0; type < static_cast<Int>(std::size(names)); ++type)
        if (name == names[type].first || name == names[type].second) return type;
    return FieldUnknown;
}
