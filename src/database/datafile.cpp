#include "database/datafile.h"

#include <chrono>
#include <string_view>

#include "database/database.h"
#include "files/file_utilities.h"
#include "platform/log.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr char LineEnd = 13;
constexpr std::size_t TypeAt = 11, PayloadAt = 13;

long long MillisecondsSince(Clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

// Bytes 13 to the end; empty when there are none or they are no UTF-8.
std::string Payload(std::string_view line) {
    if (line.size() <= PayloadAt) return {};
    const std::string_view payload = line.substr(PayloadAt);
    return ValidUtf8(payload) ? std::string(payload) : std::string();
}

// The loader's place in the file: the current table with its fields, the
// current record, the next field's place in it, the errors so far.
class Loader {
public:
    void Execute(std::string_view line, std::int64_t number) {
        const char instruction = line.empty() ? LineEnd : line[0];
        switch (instruction) {
            case 'T': return StartTable(Payload(line));
            case 'F': return AddField(Payload(line), line.size() > TypeAt ? line[TypeAt] : ' ');
            case 'R': return StartRecord();
            case ' ': return SetValue(Payload(line));
            default: return Illegal(line, instruction, number);
        }
    }

    std::int64_t Errors() const { return errors_; }

private:
    void Fail(const std::string& message) {
        LogLine(message);
        ++errors_;
    }

    void StartTable(const std::string& name) {
        const Int created = d_CreateTable(name);
        if (created < 0) return Fail("d_CreateDatabaseFromBinaryt: Could not create table.");
        table_ = created;
        types_.clear();
        record_ = -1;
        cursor_ = 0;
    }

    void AddField(const std::string& name, char letter) {
        const Int type = d_FieldType(std::string(1, letter));
        const Int field = d_CreateField(table_, name, type);
        if (field < 0) return Fail("d_CreateDatabaseFromBinary: Could not create layout-field.");
        types_.push_back(type);
    }

    void StartRecord() {
        // A file of millions of records stops at a bounded store.
        const bool first =
            table_ >= 0 && Database().DatabaseTables[static_cast<std::size_t>(table_)].RecordIndex.empty();
        const Int needed = static_cast<Int>(types_.size()) * (first ? 2 : 1);  // the first brings the working record
        if (table_ >= 0 && Database().DataCursor + needed > MaxDataValues) {
            record_ = -1;
            return Fail("d_CreateDatabaseFromBinary: Database full (" + std::to_string(MaxDataValues) +
                        " values), record not created.");
        }
        const Int created = d_CreateRecord(table_);
        record_ = created;
        cursor_ = 0;
        if (created < 0) Fail("d_CreateDatabaseFromBinary: Could not create record #" + std::to_string(created) + ".");
    }

    void SetValue(const std::string& value) {
        if (table_ < 0 || record_ < 0 || cursor_ >= types_.size())
            return Fail("d_CreateDatabaseFromBinary: Could not set field-data.");
        const d_table& table = Database().DatabaseTables[static_cast<std::size_t>(table_)];
        const Int position = table.RecordIndex[static_cast<std::size_t>(record_)] + static_cast<Int>(cursor_);
        d_SetData(position, types_[cursor_], value);
        ++cursor_;
    }

    // Control characters are left out of the line shown: a line feed would
    // break the report in two.
    void Illegal(std::string_view line, char instruction, std::int64_t number) {
        const auto code = static_cast<unsigned char>(instruction);
        std::string shown;
        if (ValidUtf8(line))
            for (const char c : line)
                if (static_cast<unsigned char>(c) >= 32) shown += c;
        const std::string character = code >= 32 && code < 128 ? std::string(1, instruction) : std::string();
        Fail("d_CreateDatabaseFromBinary: Illegal Instruction in line #" + std::to_string(number) + ": [" + character +
             "] #" + std::to_string(code) + ": '" + shown + "'");
    }

    Int table_ = -1;
    std::vector<Int> types_;
    Int record_ = -1;
    std::size_t cursor_ = 0;
    std::int64_t errors_ = 0;
};

}  // namespace

bool d_LoadDatabase(const std::string& path) {
    const auto start = Clock::now();
    const std::vector<std::uint8_t> bytes = getbinaryfromfile(path);
    if (bytes.empty()) {
        LogLine("d_LoadDatabase: Datafile not found.");
        return false;
    }
    LogLine("d_LoadDatabase: Datafile loaded, " + std::to_string(MillisecondsSince(start)) + " ms.");
    return d_CreateDatabaseFromBinary(bytes);
}

bool d_CreateDatabaseFromBinary(const std::vector<std::uint8_t>& bytes) {
    LogLine("d_CreateDatabaseFromBinary: Start.");
    d_DeleteDatabase(true);
    const auto start = Clock::now();
    const std::string_view all(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    Loader loader;
    std::int64_t number = 1;
    for (std::size_t from = 0; from < all.size(); ++number) {
        std::size_t end = all.find(LineEnd, from);
        if (end == std::string_view::npos) end = all.size();
        loader.Execute(all.substr(from, end - from), number);
        from = end + 1;
    }
    const DatabaseState& d = Database();
    LogLine("d_CreateDatabaseFromBinary: End (" + std::to_string(d.TableCount) + " tables in database, " +
            std::to_string(d.DataCapacity) + " data-entries in database, " + std::to_string(MillisecondsSince(start)) +
            " ms.");
    return loader.Errors() == 0;
}
