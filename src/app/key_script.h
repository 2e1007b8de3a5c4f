// Key scripts for the headless runner: UTF-8 text whose characters are
// typed as themselves, ^X for control keys and {Name} for other keys and
// actions. Line ends are ignored.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "input/keys.h"

struct ScriptStep {
    enum class Kind { Key, Click, Open, Export, Screen, Screenshot, Preview, Printer, Wait };
    Kind Action = Kind::Key;
    HostKey Key;              // Key
    Int Column = 0, Line = 0;  // Click: the character cell
    std::string Path;         // Open, Export (the extension), Screen, Screenshot, Preview, Printer
    Int Milliseconds = 0;     // Wait
};

// Bounds of what a script may ask for: scripts are read whole, a click
// lands on a screen of at most 121 x 80 cells, and no pause outlasts the
// runner's limit for one step.
inline constexpr std::size_t MaxKeyScriptBytes = std::size_t{16} << 20;
inline constexpr Int MaxScreenColumns = 121;
inline constexpr Int MaxScreenLines = 80;
inline constexpr Int MaxWaitMilliseconds = 60'000;

// Reads the steps of a script one at a time, so that a long script costs
// no more memory than its text.
class KeyScriptReader {
public:
    explicit KeyScriptReader(std::string_view script) : script_(script) {}
    // The next step; false at the end of the script or at a mistake, which
    // Error() then describes.
    bool Next(ScriptStep& step);
    const std::string& Error() const { return error_; }

private:
    bool Fail(std::string message);
    bool Brace(ScriptStep& step);

    std::string_view script_;
    std::size_t pos_ = 0;
    std::string error_;
};

// The first mistake in the script, or "" when all of it is understood.
std::string CheckKeyScript(std::string_view script);
