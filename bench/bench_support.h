// A fresh program state with the main screen open, for the benchmarks.
#pragma once

#include <memory>

#include "platform/headless_platform.h"
#include "platform/log.h"
#include "platform/program_state.h"
#include "runtime/memory.h"
#include "runtime/window.h"

inline void OpenMainScreen(Int lines) {
    ResetProgramState();
    auto platform = std::make_unique<HeadlessPlatform>();
    platform->SetResourceFolder(TABRONA_BENCH_RESOURCES);
    InstallPlatform(std::move(platform));
    SetLogToStdout(false);
    t_InitWindow(0, 24, 121, lines, 8, DefaultFontName);
    t_WindowVisible(0, true);
}
