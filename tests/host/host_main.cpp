// Every host test runs in its own process with one offscreen QApplication:
// ctest starts one per test; by hand, pick one with --gtest_filter, since a
// test leaves its program thread behind. The process ends without tearing
// anything down: that thread may still be waiting.
#include <gtest/gtest.h>

#include <QApplication>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    const int status = RUN_ALL_TESTS();
    std::fflush(nullptr);
    std::_Exit(status);
}
