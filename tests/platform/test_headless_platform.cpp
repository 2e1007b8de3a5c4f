// The headless platform (virtual windows, clipboard, bell, menus) and the
// platform services shared by every host (threads, folders, resources).
#include <gtest/gtest.h>
#include <pthread.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "test_support.h"
#include "platform/headless_platform.h"
#include "platform/platform.h"

namespace {

using Clock = std::chrono::steady_clock;

class HeadlessPlatformTest : public ::testing::Test {
protected:
    HeadlessPlatform platform;
};

TEST_F(HeadlessPlatformTest, StartsWithThirteenWindowsAndAMeasurableTitleBar) {
    for (int w = 0; w < HostWindowCount; ++w) {
        SCOPED_TRACE(w);
        EXPECT_TRUE(platform.HasWindow(w));
        EXPECT_EQ(platform.HasView(w), w <= 7);
        EXPECT_EQ(platform.HasTextView(w), w >= 8 && w <= 10);
        EXPECT_FALSE(platform.IsWindowVisible(w));
        EXPECT_EQ(platform.Window(w).styleMask, 7u);
        if (w != 8) {
            EXPECT_EQ(RectText(platform.WindowFrame(w)), "100,100,640,480");
        }
    }
    for (int w : {-1, 13, 255}) {
        EXPECT_FALSE(platform.HasWindow(w)) << w;
        EXPECT_FALSE(platform.HasView(w)) << w;
        EXPECT_EQ(RectText(platform.WindowFrame(w)), "0,0,0,0") << w;
    }
    // The desktop's way of measuring the title bar: frame - scroll view - 20.
    EXPECT_EQ(platform.WindowFrame(8).height - platform.ScrollViewFrame(8).height - 20,
              HeadlessPlatform::DefaultTitleBarHeight);
    EXPECT_EQ(RectText(platform.ScrollViewFrame(9)), "20,20,600,400");
    EXPECT_EQ(RectText(platform.ScrollViewFrame(10)), "20,20,600,400");
    EXPECT_EQ(RectText(platform.ScrollViewFrame(0)), "0,0,0,0");
    EXPECT_EQ(RectText(platform.ScreenFrame(0)), "0,0,1920,1080");
    platform.SetScreenSize(2560, 1440);
    EXPECT_EQ(RectText(platform.ScreenFrame(3)), "0,0,2560,1440");
}

TEST_F(HeadlessPlatformTest, ResourceFolderEndsInASlash) {
    // Without a folder of its own it uses the source tree's (or installed) resources.
    const std::string fallback = platform.ResourceFolder();
    ASSERT_FALSE(fallback.empty());
    EXPECT_EQ(fallback.back(), '/');
    platform.SetResourceFolder("/tmp/fonts");
    EXPECT_EQ(platform.ResourceFolder(), "/tmp/fonts/");
    platform.SetResourceFolder("/tmp/fonts/");
    EXPECT_EQ(platform.ResourceFolder(), "/tmp/fonts/");
    platform.SetResourceFolder("");
    EXPECT_EQ(platform.ResourceFolder(), fallback);
    EXPECT_EQ(platform.ApplicationName(), "Tabrona");
}

TEST_F(HeadlessPlatformTest, DocumentRequestsGoToTheHandler) {
    // Requests before the handler is connected wait for it, in order.
    platform.OpenDocument("/tmp/Erste.calc");
    platform.OpenDocument("/tmp/Zweite.calc");
    std::vector<std::string> opened;
    platform.SetDocumentHandler([&](const std::string& path) { opened.push_back(path); });
    platform.OpenDocument("/tmp/Kasse.calc");
    platform.SetDocumentHandler([&](const std::string& path) { opened.push_back(path); });
    EXPECT_EQ(opened, (std::vector<std::string>{"/tmp/Erste.calc", "/tmp/Zweite.calc", "/tmp/Kasse.calc"}));
}

TEST(PlatformThreadsTest, ThreadsAreNumberedNamedAndGetTheirStack) {
    HeadlessPlatform platform;  // made on this thread: this is number 1
    EXPECT_NE(platform.CurrentThreadDescription().find("{number = 1, name = "), std::string::npos)
        << platform.CurrentThreadDescription();

    struct Seen {
        std::string description;
        std::string kernelName;
        std::size_t stack = 0;
    };
    std::vector<Seen> seen(2);
    std::atomic<int> done{0};
    for (int i = 0; i < 2; ++i) {
        ASSERT_TRUE(platform.StartThread(std::size_t{4} << 20, [&, i] {
            Seen& s = seen[static_cast<std::size_t>(i)];
            if (i == 1) platform.SetCurrentThreadName("t_WindowAutoUpdate");
            s.description = platform.CurrentThreadDescription();
            char name[32] = {};
            pthread_getname_np(pthread_self(), name, sizeof name);
            s.kernelName = name;
            pthread_attr_t attr;
            if (pthread_getattr_np(pthread_self(), &attr) == 0) {
                pthread_attr_getstacksize(&attr, &s.stack);
                pthread_attr_destroy(&attr);
            }
            ++done;
        }));
        // One at a time, so that the numbers follow the start order.
        ASSERT_TRUE(WaitFor([&] { return done == i + 1; }));
    }
    int first = 0, second = 0;
    ASSERT_EQ(std::sscanf(seen[0].description.c_str(), "<Thread: %*[^>]>{number = %d,", &first), 1)
        << seen[0].description;
    ASSERT_EQ(std::sscanf(seen[1].description.c_str(), "<Thread: %*[^>]>{number = %d,", &second), 1)
        << seen[1].description;
    EXPECT_GE(first, 2);
    EXPECT_EQ(second, first + 1);
    EXPECT_NE(seen[0].description.find("name = (null)}"), std::string::npos) << seen[0].description;
    EXPECT_NE(seen[1].description.find("name = t_WindowAutoUpdate}"), std::string::npos) << seen[1].description;
    // Linux keeps 15 characters of a thread name.
    EXPECT_EQ(seen[1].kernelName, "t_WindowAutoUpd");
    EXPECT_GE(seen[0].stack, std::size_t{4} << 20);

    // A thread the platform did not start has no number.
    std::string foreign;
    std::thread([&] { foreign = platform.CurrentThreadDescription(); }).join();
    EXPECT_EQ(foreign.find("number = "), std::string::npos) << foreign;
}

TEST(PlatformClockTest, AbsoluteTimeIsWallClockSeconds) {
    HeadlessPlatform platform;
    const double before = static_cast<double>(std::time(nullptr));
    const double now = platform.AbsoluteTime();
    EXPECT_GE(now, before - 1);
    EXPECT_LE(now, before + 2);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_GE(platform.AbsoluteTime() - now, 0.015);
}

// Sets an environment variable for one test and restores it.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::string& value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        setenv(name, value.c_str(), 1);
    }
    ~ScopedEnv() {
        if (old_)
            setenv(name_, old_->c_str(), 1);
        else
            unsetenv(name_);
    }

private:
    const char* name_;
    std::optional<std::string> old_;
};

TEST(PlatformFoldersTest, StandardFoldersFollowTheUserDirectories) {
    char pattern[] = "/tmp/tabrona-home-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    const std::string home = pattern;
    std::filesystem::create_directories(home + "/.config");
    std::filesystem::create_directories(home + "/Schreibtisch");
    std::filesystem::create_directories(home + "/Documents");
    std::ofstream(home + "/.config/user-dirs.dirs") << "# written by xdg-user-dirs-update\n"
                                                       "XDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"\n"
                                                       "XDG_MUSIC_DIR=\"$HOME/Musik\"\n";
    {
        ScopedEnv homeVar("HOME", home);
        ScopedEnv config("XDG_CONFIG_HOME", home + "/.config");
        HeadlessPlatform platform;
        EXPECT_EQ(platform.Folder(StandardFolder::Home), home + "/");
        EXPECT_EQ(platform.Folder(StandardFolder::Preferences), home + "/.config/Tabrona/");
        EXPECT_EQ(platform.Folder(StandardFolder::Desktop), home + "/Schreibtisch/");
        // Listed but missing, and not listed and missing: the home folder.
        EXPECT_EQ(platform.Folder(StandardFolder::Music), home + "/");
        EXPECT_EQ(platform.Folder(StandardFolder::Pictures), home + "/");
        // Not listed, but the usual folder exists.
        EXPECT_EQ(platform.Folder(StandardFolder::Documents), home + "/Documents/");
        const std::string volumes = platform.Folder(StandardFolder::Volumes);
        EXPECT_EQ(volumes.back(), '/');
    }
    std::filesystem::remove_all(home);
}

TEST(PlatformSlotTest, InstalledPlatformIsTheCurrentOne) {
    auto mine = std::make_unique<HeadlessPlatform>();
    Platform* raw = mine.get();
    InstallPlatform(std::move(mine));
    EXPECT_EQ(&CurrentPlatform(), raw);
    InstallPlatform(nullptr);
    // With none installed, a headless one is made on first use.
    Platform& made = CurrentPlatform();
    EXPECT_NE(dynamic_cast<HeadlessPlatform*>(&made), nullptr);
    EXPECT_EQ(&CurrentPlatform(), &made);
}

}  // namespace
