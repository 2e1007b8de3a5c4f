#include <cstring>
#include <set>

#include "runtime/program.h"
#include "runtime_fixture.h"
#include "test_support.h"

namespace {

TEST_F(RuntimeTest, ToolTablesAndThreadNumbers) {
    ToolTables& t = Tools();
    std::memset(t.UpperCaseTable, 0x55, 256);  // garbage, so that every entry checked was written now
    std::memset(t.LowerCaseTable, 0x55, 256);
    std::fill_n(t.HexValueTable, 256, 99);
    initoxtools();
    EXPECT_TRUE(t.ToolsReady.Load());
    // Letters of the character set with their other case; everything else maps to itself.
    for (auto [lower, upper] : {std::pair{97, 65}, {122, 90}, {224, 192}, {228, 196}, {231, 199}, {246, 214}, {249, 217}, {252, 220}})
        EXPECT_EQ(t.UpperCaseTable[lower] * 1000 + t.LowerCaseTable[upper], upper * 1000 + lower) << lower;
    for (int same : {0, 64, 91, 96, 123, 127, 197, 198, 215, 216, 221, 223, 229, 230, 247, 248, 253, 255})
        EXPECT_EQ(t.UpperCaseTable[same] * 1000 + t.LowerCaseTable[same], same * 1001) << same;
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(t.HexDigitTable), 16), "0123456789ABCDEF");
    std::string digits;
    for (int i = 0; i < 256; ++i) digits += t.HexValueTable[i] < 0 ? "" : char(i) + std::to_string(t.HexValueTable[i]);
    EXPECT_EQ(digits, "00112233445566778899A10B11C12D13E14F15a10b11c12d13e14f15");
    for (auto [description, number] : {std::pair<const char*, Int>{"<NSThread: 0x6>{number = 10, name = main}", 10},
                                       {"{number =  -3, name = x}", -3}, {"{name = main}", 0}, {"{number = 5}", 0}, {"{number = 12a, x}", 0},
                                       {"{number = -, name = x}", 0}, {"{number = 99999999999999999999, name = x}", 0}})
        EXPECT_EQ(ThreadNumberFromDescription(description), number) << description;
    EXPECT_EQ(currentthreadnumber(), 1);  // the platform was made on this thread: the GUI thread
}

// Starts from several threads at once: each entry runs exactly once, on a thread of its own with the stack it asked for.
TEST_F(RuntimeTest, ConcurrentStartsRunEveryEntryOnce) {
    std::mutex mutex;
    std::vector<std::pair<int, Int>> ran;  // entry, thread number
    std::vector<std::thread> starters;
    for (int s = 0; s < 4; ++s)
        starters.emplace_back([&, s] {
            for (int k = 0; k < 5; ++k)
                startprocess([&, entry = s * 5 + k] {
                    const bool bigStack = StackSize() >= (std::size_t{1} << 21);
                    std::lock_guard lock(mutex);
                    ran.push_back({bigStack ? entry : -1, currentthreadnumber()});
                }, Int{1} << 21);
        });
    for (std::thread& t : starters) t.join();
    ASSERT_TRUE(WaitFor([&] {
        std::lock_guard lock(mutex);
        return ran.size() >= 20;
    }));
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    std::lock_guard lock(mutex);
    std::sort(ran.begin(), ran.end());
    std::set<Int> threads;
    for (int entry = 0; entry < 20; ++entry) EXPECT_EQ(ran.at(entry).first, entry);
    for (auto [entry, thread] : ran) threads.insert(thread);
    EXPECT_EQ(threads.size(), 20u);
    EXPECT_GE(*threads.begin(), 2);
}

TEST_F(RuntimeTest, LaunchLogsStartsTheProgramThreadAndMeasuresTheTitleBar) {
    host->SetWindowFrame(8, {100, 100, 600, 600.7});  // 600.7 - 540.2 - 20 = 40.5
    host->SetScrollViewFrame(8, {10, 10, 580, 540.2});
    std::atomic<std::size_t> stack{0};
    LogCapture log;
    ApplicationWillFinishLaunching();
    ApplicationDidFinishLaunching([&] { stack = StackSize(); });
    ASSERT_TRUE(WaitFor([&] { return stack != 0; }));
    ApplicationWillTerminate();
    EXPECT_EQ(log.Lines(), (std::vector<std::string>{"applicationWillFinishLaunching: Called.", "applicationDidFinishLaunching: Start.",
                                                     "initoxtools: Start.", "initoxtools: End.", "Program: Start.",
                                                     "applicationDidFinishLaunching: End.", "applicationWillTerminate: Called."}));
    EXPECT_EQ(Runtime().TitleBarHeight.Load(), 40);
    EXPECT_GE(stack.load(), std::size_t{1} << 30);
}

}  // namespace
