#include "host/desktop_entry.h"

#include <cstdio>

#include "commands/help_overview.h"
#include "commands/main_program.h"
#include "host/desktop.h"
#include "host/hand_over.h"
#include "sheet/calculation.h"
#include "terminal/terminal_runner.h"

namespace {

// What the program's help menu offers: the keys of each menu and the formula primer.
std::vector<HelpPage> ProgramHelpPages() {
    std::vector<HelpPage> pages;
    for (Int menu = MainMenu; menu <= MacroMenu; ++menu)
        pages.push_back({"Tasten: " + MenuOverviewTitle(menu), [menu] { return MenuKeyOverview(menu); }});
    pages.push_back({"Formeln und Funktionen", FormulaPrimer});
    return pages;
}

}  // namespace

extern "C" int TabronaDesktopMain(int argc, char** argv, const char* openFile, int zoom) {
    if (!DesktopAvailable()) {
        std::fprintf(stderr, "tabrona: no display found (DISPLAY and WAYLAND_DISPLAY are not set); %s\n",
                     WithoutDisplayAdvice());
        return 1;
    }
    DesktopOptions options;
    options.OpenFile = openFile ? openFile : "";
    options.Zoom = zoom;
    options.Help = ProgramHelpPages();
    if (!options.OpenFile.empty() && SendToRunningInstance(options.OpenFile)) return 0;
    RunDesktop(argc, argv, options, MainProgram);
}
