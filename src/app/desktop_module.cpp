#include "app/desktop_module.h"

#include <cstdio>

#include "host/desktop_entry.h"
#include "platform/program_modules.h"

int RunDesktopModule(int argc, char** argv, const std::string& openFile, int zoom) {
    std::string error;
    const auto entry = reinterpret_cast<DesktopEntry>(ProgramModuleEntry("tabrona-desktop.so", DesktopEntryName, error));
    if (!entry) {
        std::fprintf(stderr,
                     "tabrona: the desktop module could not be loaded (%s); install Tabrona with cmake --install, "
                     "or run it from its build folder. --terminal, --headless, --export and --import work without it.\n",
                     error.c_str());
        return 1;
    }
    return entry(argc, argv, openFile.c_str(), zoom);
}
