// A fresh runtime on a fresh headless platform for each test.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/current_platform.h"
#include "platform/headless_platform.h"
#include "platform/log.h"
#include "platform/program_state.h"
#include "runtime/runtime_state.h"

class RuntimeTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetProgramState();
        auto platform = std::make_unique<HeadlessPlatform>();
        host = platform.get();
        host->SetResourceFolder(TABRONA_TEST_RESOURCES);
        InstallPlatform(std::move(platform));
        Runtime().TitleBarHeight = static_cast<Int>(HeadlessPlatform::DefaultTitleBarHeight);
        SetLogToStdout(false);
    }
    void TearDown() override {
        ResetProgramState();
        SetLogToStdout(true);
    }

    HeadlessPlatform* host = nullptr;
};

// The log without the auto-update thread's lines, which come whenever that thread runs.
inline std::vector<std::string> RuntimeLines(const LogCapture& log) {
    std::vector<std::string> lines;
    for (const std::string& l : log.Lines())
        if (l.rfind("t_WindowAutoUpdateProcess:", 0) != 0) lines.push_back(l);
    return lines;
}
