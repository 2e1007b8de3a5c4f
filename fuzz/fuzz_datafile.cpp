// Hostile datafiles: any bytes must execute without a crash, leak or hang,
// and leave a database whose every record has a value for every field.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "database/database.h"
#include "database/datafile.h"
#include "platform/log.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool ready = [] {
        SetLogToStdout(false);
        return true;
    }();
    (void)ready;
    d_CreateDatabaseFromBinary(std::vector<std::uint8_t>(data, data + size));
    const DatabaseState& d = Database();
    for (const d_table& table : d.DatabaseTables)
        for (const Int first : table.RecordIndex)
            if (first + static_cast<Int>(table.Field.size()) > static_cast<Int>(d.DataStore.size())) std::abort();
    return 0;
}
