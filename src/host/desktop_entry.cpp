#include "host/desktop_entry.h"

#include <cstdio>

#include "commands/main_program.h"
#include "host/desktop.h"
#include "host/hand_over.h"

extern "C" int TabronaDesktopMain(int argc, char** argv, const char* openFile, int zoom) {
    if (!DesktopAvailable()) {
        std::fputs("tabrona: no display found (DISPLAY and WAYLAND_DISPLAY are not set); "
                   "use tabrona --headless to run without one\n",
                   stderr);
        return 1;
    }
    DesktopOptions options;
    options.OpenFile = openFile ? openFile : "";
    options.Zoom = zoom;
    if (!options.OpenFile.empty() && SendToRunningInstance(options.OpenFile)) return 0;
    RunDesktop(argc, argv, options, MainProgram);
}
