// Whole-program tests: the real program run by the shell, with key
// scripts, in a folder of each test's own.
#pragma once

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>

namespace fs = std::filesystem;

inline std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Runs a shell command and returns its exit status and what it wrote to
// standard error (and standard output).
inline std::pair<int, std::string> RunCommand(const std::string& command) {
    std::string output;
    FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
    if (!pipe) return {-1, ""};
    char buffer[4096];
    while (std::size_t n = std::fread(buffer, 1, sizeof buffer, pipe)) output.append(buffer, n);
    const int status = ::pclose(pipe);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status), output};
}

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

