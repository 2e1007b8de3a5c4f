#include "workbook/workbook_codecs.h"

#include "workbook/ods_file.h"
#include "workbook/xlsx_file.h"

// The entry named WorkbookCodecsName; exported from the module.
extern "C" __attribute__((visibility("default"))) const WorkbookCodecs* TabronaWorkbookCodecs() {
    static constexpr WorkbookCodecs codecs{XlsxFromTable, XlsxToTable, OdsFromTable, OdsToTable};
    return &codecs;
}
