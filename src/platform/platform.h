// What the runtime needs from a desktop, role by role: the GUI thread,
// threads and the clock (host_threads.h); host windows and views
// (host_windows.h); the menu bar (host_menu_bar.h); the pasteboard and the
// bell (host_pasteboard.h); standard folders, resources and the program's
// name (host_folders.h). A front end provides each role; the document-open
// requests are the same for all and kept here. The core talks to the desktop
// only through this interface; the Qt host, the terminal and the headless
// platform implement it; current_platform.h holds the one the process uses.
#pragma once

#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "platform/host_folders.h"
#include "platform/host_menu_bar.h"
#include "platform/host_pasteboard.h"
#include "platform/host_threads.h"
#include "platform/host_windows.h"

class Platform : public HostThreads,
                 public HostWindows,
                 public HostMenuBar,
                 public HostPasteboard,
                 public HostFolders {
public:
    Platform() = default;
    ~Platform() override = default;
    Platform(const Platform&) = delete;
    Platform& operator=(const Platform&) = delete;

    // --- document-open requests ---------------------------------------------
    // Requests that come before the program has connected its handler (a
    // path on the command line, say) are kept and handed over, in their
    // order, when it connects.
    using DocumentHandler = std::function<void(const std::string& path)>;
    void SetDocumentHandler(DocumentHandler handler);
    // Called by the host for each file the user asks to open.
    void OpenDocument(const std::string& path);

private:
    std::mutex documentMutex_;  // guards the handler and the waiting paths
    DocumentHandler documentHandler_;
    std::vector<std::string> waitingDocuments_;
};
