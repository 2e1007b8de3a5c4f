// Program start: the tool tables, thread numbers and names, the serialised
// program-thread start and the launch sequence.
#include <pthread.h>
#include <time.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "test_support.h"
#include "platform/headless_platform.h"
#include "platform/log.h"
#include "runtime/memory.h"
#include "runtime/program.h"
#include "runtime/window.h"
#include "runtime_fixture.h"

namespace {

using Clock = std::chrono::steady_clock;

// A headless platform that records what the runtime asks of threads, can
// pretend to be any thread (by its description) and can hold a started
// thread before it runs its body.
class ThreadRecordingPlatform : public HeadlessPlatform {
public:
    bool StartThread(std::size_t stackSize, std::function<void()> body) override {
        bool hold = false;
        {
            std::lock_guard lock(mutex_);
            stackSizes_.push_back(stackSize);
            hold = holdNext_;
            holdNext_ = false;
        }
        auto wrapped = [this, hold, body = std::move(body)] {
            if (hold) {
                std::unique_lock lock(mutex_);
                released_.wait(lock, [this] { return !holding_; });
            }
            body();
        };
        return HeadlessPlatform::StartThread(stackSize, std::move(wrapped));
    }

    std::string CurrentThreadDescription() override {
        std::lock_guard lock(mutex_);
        return description_.empty() ? HeadlessPlatform::CurrentThreadDescription() : description_;
    }

    // Recorded only: the test thread keeps its own name.
    void SetCurrentThreadName(const std::string& name) override {
        std::lock_guard lock(mutex_);
        names_.push_back(name);
    }

    void PretendDescription(const std::string& description) {
        std::lock_guard lock(mutex_);
        description_ = description;
    }
    void HoldNextThread() {
        std::lock_guard lock(mutex_);
        holdNext_ = true;
        holding_ = true;
    }
    void ReleaseHeldThread() {
        {
            std::lock_guard lock(mutex_);
            holding_ = false;
        }
        released_.notify_all();
    }
    std::vector<std::size_t> StackSizes() {
        std::lock_guard lock(mutex_);
        return stackSizes_;
    }
    std::vector<std::string> Names() {
        std::lock_guard lock(mutex_);
        return names_;
    }

private:
    std::mutex mutex_;
    std::condition_variable released_;
    bool holdNext_ = false;
    bool holding_ = false;
    std::string description_;
    std::vector<std::size_t> stackSizes_;
    std::vector<std::string> names_;
};

class ProgramStartTest : public RuntimeTest {
protected:
    // Replaces the fixture's platform with a recording one.
    ThreadRecordingPlatform* InstallRecordingPlatform(const std::string& description = {}) {
        auto platform = std::make_unique<ThreadRecordingPlatform>();
        ThreadRecordingPlatform* recording = platform.get();
        recording->SetResourceFolder(TABRONA_TEST_RESOURCES);
        recording->PretendDescription(description);
        InstallPlatform(std::move(platform));
        host = recording;
        return recording;
    }
};

std::size_t CurrentStackSize() {
    pthread_attr_t attr;
    if (pthread_getattr_np(pthread_self(), &attr) != 0) return 0;
    std::size_t size = 0;
    pthread_attr_getstacksize(&attr, &size);
    pthread_attr_destroy(&attr);
    return size;
}

TEST_F(ProgramStartTest, InitoxtoolsBuildsCaseAndHexTables) {
    ToolTables& t = Tools();
    // Start from garbage so that every entry checked below was written now.
    std::memset(t.UpperCaseTable, 0x55, sizeof t.UpperCaseTable);
    std::memset(t.LowerCaseTable, 0x55, sizeof t.LowerCaseTable);
    std::memset(t.HexDigitTable, 0x55, sizeof t.HexDigitTable);
    for (Int& v : t.HexValueTable) v = 99;
    t.ToolsReady = false;

    LogCapture log;
    initoxtools();
    EXPECT_EQ(log.Lines(), (std::vector<std::string>{"initoxtools: Start.", "initoxtools: End."}));
    EXPECT_TRUE(t.ToolsReady.Load());

    struct Pair {
        int from, to;
    };
    const Pair upper[] = {{'a', 'A'}, {'m', 'M'}, {'z', 'Z'}, {'A', 'A'}, {'`', '`'}, {'{', '{'}, {'0', '0'},
                          {224, 192}, {228, 196}, {229, 229}, {230, 230}, {231, 199}, {246, 214}, {247, 247},
                          {248, 248}, {249, 217}, {252, 220}, {253, 253}, {254, 254}, {255, 255}, {223, 223},
                          {196, 196}, {0, 0},     {127, 127}};
    for (const Pair& p : upper) EXPECT_EQ(t.UpperCaseTable[p.from], p.to) << "upper of " << p.from;
    const Pair lower[] = {{'A', 'a'}, {'Z', 'z'}, {'a', 'a'}, {'@', '@'}, {'[', '['}, {192, 224}, {196, 228},
                          {197, 197}, {198, 198}, {199, 231}, {214, 246}, {215, 215}, {216, 216}, {217, 249},
                          {220, 252}, {221, 221}, {223, 223}, {228, 228}, {255, 255}};
    for (const Pair& p : lower) EXPECT_EQ(t.LowerCaseTable[p.from], p.to) << "lower of " << p.from;

    EXPECT_EQ(std::string(reinterpret_cast<const char*>(t.HexDigitTable), 16), "0123456789ABCDEF");
    const Pair hex[] = {{'0', 0},  {'5', 5},  {'9', 9},  {'A', 10}, {'a', 10}, {'F', 15}, {'f', 15},
                        {'G', -1}, {'g', -1}, {'/', -1}, {':', -1}, {'@', -1}, {'`', -1}, {' ', -1}};
    for (const Pair& p : hex) EXPECT_EQ(t.HexValueTable[p.from], p.to) << "hex value of " << p.from;
    int digits = 0;
    for (int i = 0; i < 256; ++i) {
        if (t.HexValueTable[i] >= 0) ++digits;
        if (i > 127) {
            EXPECT_EQ(t.HexValueTable[i], -1) << "byte " << i;
        }
    }
    EXPECT_EQ(digits, 22);
}

TEST_F(ProgramStartTest, ThreadNumberIsReadFromTheDescription) {
    struct Case {
        const char* description;
        Int number;
    };
    const Case cases[] = {
        {"<NSThread: 0x600000>{number = 1, name = main}", 1},
        {"<NSThread: 0x600000>{number = 17, name = (null)}", 17},
        {"<Thread: 0x1>{number =    4, name = x}", 4},
        {"<Thread: 0x1>{number = -3, name = x}", -3},
        {"<Thread: 0x1>{name = main}", 0},            // no number marker
        {"<Thread: 0x1>{number = 5}", 0},             // no comma after it
        {"<Thread: 0x1>{number = x5, name = x}", 0},  // not a number
        {"<Thread: 0x1>{number = , name = x}", 0},
        {"<Thread: 0x1>{number = -, name = x}", 0},
        {"<Thread: 0x1>{number = --2, name = x}", 0},
        {"<Thread: 0x1>{number = 12a, name = x}", 0},
        {"", 0},
    };
    for (const Case& c : cases) EXPECT_EQ(ThreadNumberFromDescription(c.description), c.number) << c.description;
}

TEST_F(ProgramStartTest, CurrentThreadNumberOfGuiStartedAndForeignThreads) {
    // The fixture's platform was created on this thread, which makes it the GUI thread.
    EXPECT_EQ(currentthreadnumber(), 1);

    std::atomic<Int> started{-1};
    ASSERT_TRUE(host->StartThread(0, [&] { started = currentthreadnumber(); }));
    ASSERT_TRUE(WaitFor([&] { return started != -1; }));
    EXPECT_GE(started.load(), 2);

    Int foreign = -1;
    std::thread([&] { foreign = currentthreadnumber(); }).join();
    EXPECT_EQ(foreign, 0);
}

TEST_F(ProgramStartTest, ThreadsAreNamedOnlyForTheirThreadNumber) {
    struct Case {
        const char* description;
        std::vector<std::string> names;
    };
    const Case cases[] = {
        {"<NSThread: 0x1>{number = 1, name = main}", {"AppDelegate"}},
        {"<NSThread: 0x2>{number = 2, name = (null)}", {"Main Program"}},
        {"<NSThread: 0x3>{number = 3, name = (null)}", {"t_WindowAutoUpdate"}},
        {"<NSThread: 0x4>{name = (null)}", {}},
    };
    for (const Case& c : cases) {
        ResetRuntime();
        ThreadRecordingPlatform* platform = InstallRecordingPlatform(c.description);
        ApplicationWillFinishLaunching();
        // Runs t_InitMemory here and starts the auto-update thread.
        t_InitWindow(0, 8, true, 32, 32, 0, 0, EmptyFont(), true);
        // A refresh request means the auto-update thread is past its naming.
        ASSERT_TRUE(WaitFor([&] { return platform->Window(0).needsDisplayCount > 0; })) << c.description;
        EXPECT_EQ(platform->Names(), c.names) << c.description;
    }
}

TEST_F(ProgramStartTest, SecondStartWaitsUntilTheFirstEntryIsTaken) {
    ThreadRecordingPlatform* platform = InstallRecordingPlatform();
    std::atomic<Int> firstNumber{0};
    std::atomic<Int> secondNumber{0};
    std::atomic<int> firstRuns{0};
    std::atomic<int> secondRuns{0};

    platform->HoldNextThread();
    const auto before = Clock::now();
    startprocess(
        [&] {
            ++firstRuns;
            firstNumber = currentthreadnumber();
        },
        1 << 20);
    // The fixed pause before the thread is created.
    EXPECT_GE(Clock::now() - before, std::chrono::milliseconds(10));

    std::atomic<bool> secondReturned{false};
    std::thread second([&] {
        startprocess(
            [&] {
                ++secondRuns;
                secondNumber = currentthreadnumber();
            },
            1 << 21);
        secondReturned = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(60));
    EXPECT_FALSE(secondReturned.load()) << "the first thread has not taken its entry yet";
    EXPECT_EQ(firstRuns.load(), 0);

    platform->ReleaseHeldThread();
    second.join();
    ASSERT_TRUE(WaitFor([&] { return firstRuns == 1 && secondRuns == 1; }));
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(firstRuns.load(), 1);
    EXPECT_EQ(secondRuns.load(), 1);
    EXPECT_GE(firstNumber.load(), 2);
    EXPECT_GT(secondNumber.load(), firstNumber.load());
    EXPECT_EQ(platform->StackSizes(), (std::vector<std::size_t>{1u << 20, 1u << 21}));
}

TEST_F(ProgramStartTest, LaunchSequenceLogsStartsTheProgramThreadAndMeasuresTheTitleBar) {
    ThreadRecordingPlatform* platform = InstallRecordingPlatform();
    // 600.7 - 540.2 - 20 = 40.5, truncated to 40.
    platform->SetWindowFrame(8, {100, 100, 600, 600.7});
    platform->SetScrollViewFrame(8, {10, 10, 580, 540.2});

    std::atomic<bool> ran{false};
    std::atomic<Int> number{0};
    std::atomic<std::size_t> stack{0};
    LogCapture log;
    ApplicationWillFinishLaunching();
    ApplicationDidFinishLaunching([&] {
        number = currentthreadnumber();
        stack = CurrentStackSize();
        ran = true;
    });
    ASSERT_TRUE(WaitFor([&] { return ran.load(); }));
    ApplicationWillTerminate();

    EXPECT_EQ(log.Lines(), (std::vector<std::string>{
                               "applicationWillFinishLaunching: Called.",
                               "applicationDidFinishLaunching: Start.",
                               "initoxtools: Start.",
                               "initoxtools: End.",
                               "Program: Start.",
                               "applicationDidFinishLaunching: End.",
                               "applicationWillTerminate: Called.",
                           }));
    EXPECT_TRUE(Tools().ToolsReady.Load());
    EXPECT_EQ(Runtime().TitleBarHeight.Load(), 40);
    EXPECT_EQ(platform->StackSizes(), (std::vector<std::size_t>{std::size_t{1} << 30}));
    EXPECT_GE(stack.load(), std::size_t{1} << 30);
    EXPECT_GE(number.load(), 2);
    // This thread is the GUI thread (number 1), so launch names it.
    EXPECT_EQ(platform->Names(), (std::vector<std::string>{"AppDelegate"}));
}

}  // namespace
