#include "sheet/menu_settings.h"

#include "platform/no_destructor.h"

SearchSettings& Search() {
    static NoDestructor<SearchSettings> settings;
    return *settings;
}

PrintSettings& Printing() {
    static NoDestructor<PrintSettings> settings;
    return *settings;
}
