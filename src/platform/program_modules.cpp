#include "platform/program_modules.h"

#include <dlfcn.h>

#include <mutex>

#include "platform/current_platform.h"

void* ProgramModuleEntry(const char* moduleFile, const char* entry, std::string& error) {
    const std::string path =
        CurrentPlatform().Folder(StandardFolder::Application) + TABRONA_MODULE_FOLDER + "/" + moduleFile;
    // dlerror is one process-wide state: opening and asking come as a pair.
    static std::mutex loading;
    const std::lock_guard<std::mutex> lock(loading);
    // Bound at once, so that a module from another build fails here, with a
    // message, rather than at its first call of something missing. A loaded
    // module is never closed: dlopen of it again only finds it.
    void* module = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    void* found = module ? ::dlsym(module, entry) : nullptr;
    if (!found) {
        const char* why = ::dlerror();
        error = why ? why : path + ": no " + entry;
    }
    return found;
}
