// Whole-program tests: the real program run by the shell, with key
// scripts, in a folder of each test's own.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "process_support.h"

namespace fs = std::filesystem;

class RunnerTest : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
        dir = fs::temp_directory_path() / ("tabrona-" + std::string(test->name()) + "-" + std::to_string(::getpid()));
        fs::create_directories(dir);
        ::setenv("XDG_CONFIG_HOME", dir.c_str(), 1);  // the macro file of this test alone
    }
    void TearDown() override { fs::remove_all(dir); }

    std::string File(const std::string& name, const std::string& text) const {
        std::ofstream(dir / name, std::ios::binary) << text;
        return "'" + (dir / name).string() + "'";
    }

    // Runs the keys with the further arguments and returns the screen.
    std::string Screen(const std::string& keys, const std::string& arguments) const {
        const std::string screen = (dir / "screen.txt").string();
        const auto [status, output] = RunCommand(exe + " --keys " + File("k.keys", keys) + " --screen '" + screen +
                                                 "' --log '" + (dir / "log").string() + "' " + arguments);
        EXPECT_EQ(status, 0) << output;
        return ReadAll(screen);
    }

    fs::path dir;
    const std::string exe = std::string("'") + TABRONA_EXE + "' --headless";
};

