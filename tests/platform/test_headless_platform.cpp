// The headless platform's windows, and the platform services every host shares.
#include <gtest/gtest.h>
#include <pthread.h>

#include <atomic>
#include <filesystem>
#include <fstream>

#include "platform/headless_platform.h"
#include "test_support.h"

namespace {

TEST(HeadlessPlatform, WindowsResourcesAndDocumentRequests) {
    HeadlessPlatform platform;
    for (int w = -1; w <= HostWindowCount; ++w) {
        SCOPED_TRACE(w);
        EXPECT_EQ(platform.HasWindow(w), w >= 0 && w < HostWindowCount);
        EXPECT_EQ(platform.HasView(w), w >= 0 && w <= 7);
        EXPECT_EQ(platform.HasTextView(w), w >= 8 && w <= 10);
    }
    // The desktop's way of measuring the title bar: frame - scroll view - 20.
    EXPECT_EQ(platform.WindowFrame(8).Height - platform.ScrollViewFrame(8).Height - 20,
              HeadlessPlatform::DefaultTitleBarHeight);
    platform.SetScreenSize(1000, 600);
    platform.CenterWindow(2);
    EXPECT_EQ(RectText(platform.WindowFrame(2)), "180,60,640,480");
    platform.SetWindowExists(0, false);
    EXPECT_FALSE(platform.HasWindow(0));
    EXPECT_TRUE(platform.ResourceFolder().ends_with('/'));  // the source tree's or the installed one
    platform.SetResourceFolder("/tmp/fonts");
    EXPECT_EQ(platform.ResourceFolder(), "/tmp/fonts/");
    // Requests before the handler is connected wait for it, in order.
    platform.OpenDocument("/tmp/Erste.calc");
    platform.OpenDocument("/tmp/Zweite.calc");
    std::vector<std::string> opened;
    platform.SetDocumentHandler([&](const std::string& path) { opened.push_back(path); });
    platform.OpenDocument("/tmp/Kasse.calc");
    EXPECT_EQ(opened, (std::vector<std::string>{"/tmp/Erste.calc", "/tmp/Zweite.calc", "/tmp/Kasse.calc"}));
}

TEST(PlatformThreads, NumberedInStartOrderNamedAndWithTheirStack) {
    HeadlessPlatform platform;  // made on this thread: this is number 1
    EXPECT_NE(platform.CurrentThreadDescription().find("{number = 1, name = (null)}"), std::string::npos);
    std::string seen[2];
    std::size_t stack = 0;
    std::atomic<int> done{0};
    for (int i = 0; i < 2; ++i) {
        ASSERT_TRUE(platform.StartThread(std::size_t{4} << 20, [&, i] {
            stack = StackSize();
            if (i == 1) platform.SetCurrentThreadName("t_WindowAutoUpdate");
            char name[16] = {};
            pthread_getname_np(pthread_self(), name, sizeof name);
            seen[i] = platform.CurrentThreadDescription() + " " + name;
            ++done;
        }));
        ASSERT_TRUE(WaitFor([&] { return done == i + 1; }));  // one at a time: numbers follow the start order
        EXPECT_GE(stack, std::size_t{4} << 20);
    }
    auto number = [](const std::string& d) { return std::stoi(d.substr(d.find(">{number = ") + 11)); };
    EXPECT_EQ(number(seen[0]), 2);
    EXPECT_EQ(number(seen[1]), number(seen[0]) + 1);
    EXPECT_TRUE(seen[1].ends_with(", name = t_WindowAutoUpdate} t_WindowAutoUpd")) << seen[1];  // Linux keeps 15
    std::string foreign;
    std::thread([&] { foreign = platform.CurrentThreadDescription(); }).join();
    EXPECT_EQ(foreign.find("number"), std::string::npos) << foreign;  // a thread the platform did not start
    const double now = platform.AbsoluteTime();
    EXPECT_NEAR(now, static_cast<double>(std::time(nullptr)), 2);
    EXPECT_NE(now, static_cast<double>(static_cast<std::int64_t>(now)));  // finer than seconds
}

TEST(PlatformFolders, StandardFoldersFollowTheUserDirectories) {
    char pattern[] = "/tmp/tabrona-home-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    const std::string home = pattern;
    for (const char* f : {"/.config", "/Schreibtisch", "/Documents", "/Laden"}) std::filesystem::create_directories(home + f);
    std::ofstream(home + "/.config/user-dirs.dirs") << "# by xdg\nXDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"\nXDG_MUSIC_DIR=\"$HOME/Musik\"\nXDG_VIDEOS_DIR=\"$HOME\"\nXDG_DOWNLOAD_DIR="
                                                << home << "/Laden";  // unquoted: taken as it stands
    setenv("HOME", home.c_str(), 1);  // each test runs in a process of its own
    unsetenv("XDG_CONFIG_HOME");
    unsetenv("USER");
    HeadlessPlatform platform;
    EXPECT_EQ(platform.Folder(StandardFolder::Home), home + "/");
    EXPECT_EQ(platform.Folder(StandardFolder::Preferences), home + "/.config/Tabrona/");
    EXPECT_EQ(platform.Folder(StandardFolder::Desktop), home + "/Schreibtisch/");
    EXPECT_EQ(platform.Folder(StandardFolder::Music), home + "/");     // listed but missing
    EXPECT_EQ(platform.Folder(StandardFolder::Pictures), home + "/");  // neither listed nor there
    EXPECT_EQ(platform.Folder(StandardFolder::Movies), home + "/");    // listed as the home folder itself
    EXPECT_EQ(platform.Folder(StandardFolder::Volumes), "/mnt/");      // no user name to look for
    EXPECT_EQ(platform.Folder(StandardFolder::Documents), home + "/Documents/");
    EXPECT_EQ(platform.Folder(StandardFolder::Downloads), home + "/Laden/");
    std::filesystem::remove_all(home);
}

}  // namespace
