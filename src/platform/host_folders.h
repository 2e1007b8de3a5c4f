// Where the program finds and keeps its files on this machine, and the name
// it goes by. The defaults follow the XDG folders and the executable's
// place; a front end overrides only what it keeps elsewhere.
#pragma once

#include <string>

// Each folder ends with "/". Application is the running program's own folder;
// State the program's folder in the user's XDG state folder.
enum class StandardFolder {
    Home, Preferences, Desktop, Documents, Downloads, Pictures, Music, Movies, Volumes, Application, State
};

class HostFolders {
public:
    virtual ~HostFolders() = default;
    HostFolders(const HostFolders&) = delete;
    HostFolders& operator=(const HostFolders&) = delete;

    // --- folders and resources ----------------------------------------------
    virtual std::string Folder(StandardFolder folder);
    virtual std::string ResourceFolder();
    // Where copies of unsaved work are kept, ending in "/": the state
    // folder. Empty: none are kept.
    virtual std::string RecoveryFolder();
    // The program's file name, as the window titles show it.
    virtual std::string ApplicationName();

protected:
    HostFolders() = default;
};
