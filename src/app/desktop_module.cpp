#include "app/desktop_module.h"

#include <dlfcn.h>

#include <cstdio>

#include "host/desktop_entry.h"
#include "platform/current_platform.h"

int RunDesktopModule(int argc, char** argv, const std::string& openFile, int zoom) {
    // Where the build and the installation put it, relative to the program.
    const std::string path = CurrentPlatform().Folder(StandardFolder::Application) + TABRONA_DESKTOP_MODULE;
    // Bound at once, so that a module from another build fails here, with a
    // message, rather than at its first call of something missing.
    void* module = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    const auto entry = module ? reinterpret_cast<DesktopEntry>(::dlsym(module, DesktopEntryName)) : nullptr;
    if (!entry) {
        std::fprintf(stderr,
                     "tabrona: the desktop module could not be loaded (%s); install Tabrona with cmake --install, "
                     "or run it from its build folder. --terminal, --headless, --export and --import work without it.\n",
                     ::dlerror());
        return 1;
    }
    return entry(argc, argv, openFile.c_str(), zoom);
}
