#include "database/datafile.h"

#include <chrono>
#include <optional>
#include <string_view>

#include "database/database.h"
#include "files/file_utilities.h"
#include "platform/log.h"
#include "platform/program_state.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr char LineEnd = 13;
constexpr std::size_t TypeAt = 11, PayloadAt = 13;
// The most of an illegal line that its log line shows.
constexpr std::size_t MaxShown = 200;

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

    DatafileReport Report() const { return {errors_, refused_}; }

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
            ++refused_;
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
    // break the report in two. A long line shows only its start.
    void Illegal(std::string_view line, char instruction, std::int64_t number) {
        const auto code = static_cast<unsigned char>(instruction);
        std::string shown;
        if (ValidUtf8(line))
            for (std::size_t i = 0; i < line.size() && shown.size() <= MaxShown; ++i)
                if (static_cast<unsigned char>(line[i]) >= 32) shown += line[i];
        shown = LogExcerpt(shown, MaxShown);
        const std::string character = code >= 32 && code < 128 ? std::string(1, instruction) : std::string();
        Fail("d_CreateDatabaseFromBinary: Illegal Instruction in line #" + std::to_string(number) + ": [" + character +
             "] #" + std::to_string(code) + ": '" + shown + "'");
    }

    Int table_ = -1;
    std::vector<Int> types_;
    Int record_ = -1;
    std::size_t cursor_ = 0;
    std::int64_t errors_ = 0;
    std::int64_t refused_ = 0;
};

ProgramState<DatafileReport> report;

// How much of a datafile is read at a time.
constexpr std::size_t ReadBlockBytes = std::size_t{1} << 20;

// Executes the file as it comes in blocks: lines are cut at byte 13, a line
// that runs over the end of a block waits for the rest.
class Execution {
public:
    Execution() : start_(Clock::now()) {
        LogLine("d_CreateDatabaseFromBinary: Start.");
        d_DeleteDatabase(true);
        // The store never moves: a file that fills it costs its size once.
        Database().DataStore.reserve(static_cast<std::size_t>(MaxDataValues + DataStoreStep));
        Database().DataNumbers.reserve(static_cast<std::size_t>(MaxDataValues + DataStoreStep));
    }

    void Feed(std::string_view block) {
        for (std::size_t from = 0; from < block.size();) {
            const std::size_t end = block.find(LineEnd, from);
            if (end == std::string_view::npos) {
                partial_.append(block.substr(from));
                return;
            }
            if (partial_.empty()) {
                loader_.Execute(block.substr(from, end - from), number_++);
            } else {
                partial_.append(block.substr(from, end - from));
                loader_.Execute(partial_, number_++);
                partial_.clear();
            }
            from = end + 1;
        }
    }

    // A file that does not end with byte 13 still has its last line run.
    bool Finish() {
        if (!partial_.empty()) loader_.Execute(partial_, number_++);
        const DatabaseState& d = Database();
        LogLine("d_CreateDatabaseFromBinary: End (" + std::to_string(d.TableCount) + " tables in database, " +
                std::to_string(d.DataCapacity) + " data-entries in database, " +
                std::to_string(MillisecondsSince(start_)) + " ms.");
        *report = loader_.Report();
        return report->Errors == 0;
    }

private:
    Clock::time_point start_;
    Loader loader_;
    std::string partial_;
    std::int64_t number_ = 1;
};

}  // namespace

DatafileReport LastDatafileReport() { return *report; }

// The file is executed as it is read, never held whole: a datafile of
// hundreds of megabytes costs no more memory than the database it builds.
bool d_LoadDatabase(const std::string& path) {
    const auto start = Clock::now();
    std::optional<Execution> execution;
    const bool read = getblocksfromfile(path, ReadBlockBytes, [&](std::string_view block) {
        if (!execution) {
            LogLine("d_LoadDatabase: Datafile loaded, " + std::to_string(MillisecondsSince(start)) + " ms.");
            execution.emplace();
        }
        execution->Feed(block);
    });
    if (!execution) {
        *report = {};
        LogLine("d_LoadDatabase: Datafile not found.");
        return false;
    }
    const bool done = execution->Finish();
    return read && done;
}

bool d_CreateDatabaseFromBinary(const std::vector<std::uint8_t>& bytes) {
    Execution execution;
    execution.Feed(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    return execution.Finish();
}
