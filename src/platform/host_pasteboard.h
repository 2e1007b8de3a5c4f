// What the program shares with the desktop outside its windows: the
// system's pasteboard (clipboard) and its bell.
#pragma once

#include <optional>
#include <string>

#include "platform/argb_image.h"

class HostPasteboard {
public:
    virtual ~HostPasteboard() = default;
    HostPasteboard(const HostPasteboard&) = delete;
    HostPasteboard& operator=(const HostPasteboard&) = delete;

    // --- clipboard ----------------------------------------------------------
    virtual std::optional<std::string> ClipboardString() = 0;  // UTF-8
    virtual void SetClipboardString(const std::string& text) = 0;
    virtual void SetClipboardImage(const ArgbImage& image) = 0;
    virtual void ClearClipboard() = 0;

    // --- bell ---------------------------------------------------------------
    virtual void Bell() = 0;

protected:
    HostPasteboard() = default;
};
