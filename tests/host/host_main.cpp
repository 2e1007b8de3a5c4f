// Every host test runs in its own process with one offscreen QApplication:
// ctest starts one per test; by hand, pick one with --gtest_filter, since a
// test leaves its program thread behind. The process ends without tearing
// anything down: that thread may still be waiting. Each process keeps its
// recovery copies and preferences in a folder of its own, as a test may end
// with unsaved work that the next test's program would offer to restore.
#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>
#include <filesystem>
#include <string>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    std::string state = (std::filesystem::temp_directory_path() / "tabrona-host-XXXXXX").string();
    if (!mkdtemp(state.data())) return 2;
    setenv("XDG_STATE_HOME", state.c_str(), 1);
    setenv("XDG_CONFIG_HOME", state.c_str(), 1);  // the macro file, the single-instance key
    testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    const int status = RUN_ALL_TESTS();
    std::fflush(nullptr);
    std::error_code ignored;
    std::filesystem::remove_all(state, ignored);
    std::_Exit(status);
}
