// Key scripts for the headless runner: UTF-8 text whose characters are
// typed as themselves, ^X for control keys and {Name} for other keys and
// actions. Line ends are ignored.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "runtime/keys.h"

struct ScriptStep {
    enum class Kind { Key, Click, Open, Screen, Screenshot, Wait };
    Kind Action = Kind::Key;
    HostKey Key;              // Key
    Int Column = 0, Line = 0;  // Click: the character cell
    std::string Path;         // Open, Screen, Screenshot
    Int Milliseconds = 0;     // Wait
};

struct ParsedScript {
    std::vector<ScriptStep> Steps;
    std::string Error;  // empty when the whole script was understood
};

ParsedScript ParseKeyScript(std::string_view script);
