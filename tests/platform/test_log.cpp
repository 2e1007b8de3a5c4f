// The log: whole lines to standard output and to a sink, and the tests' capture.
#include <gtest/gtest.h>

#include <thread>

#include "platform/log.h"

namespace {

TEST(Log, StandardOutputSinksAndTheCapture) {
    std::string outer;
    SetLogSink([&](std::string_view text) { outer.append(text); });
    testing::internal::CaptureStdout();
    LogLine("t_InitMemory: Start.");
    ConsoleWrite("ohne Zeilenende");
    LogLine("");
    SetLogToStdout(false);  // sinks still hear what standard output no longer gets
    {
        LogCapture log;
        LogLine("a: b.");
        ConsoleWrite("x");
        ConsoleWrite("y\nz");
        EXPECT_EQ(log.Lines(), (std::vector<std::string>{"a: b.", "xy", "z"}));
        EXPECT_TRUE(log.Contains("xy"));
        EXPECT_FALSE(log.Contains("a: b"));
        log.Clear();
        LogLine("");
        EXPECT_EQ(log.Lines(), std::vector<std::string>{""});
    }
    LogLine("danach");
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "t_InitMemory: Start.\nohne Zeilenende\n");
    EXPECT_EQ(outer, "t_InitMemory: Start.\nohne Zeilenende\ndanach\n");  // nothing while the capture lived
}

TEST(Log, LinesFromManyThreadsStayWholeAndInOrder) {
    SetLogToStdout(false);
    LogCapture log;
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([t] {
            for (int i = 0; i < 200; ++i) LogLine(std::to_string(t) + std::string(40, 'x') + std::to_string(i));
        });
    for (std::thread& t : threads) t.join();
    int next[4] = {};
    for (const std::string& l : log.Lines()) EXPECT_EQ(l, l.substr(0, 1) + std::string(40, 'x') + std::to_string(next[l[0] & 3]++));
    EXPECT_EQ(next[0] + next[1] + next[2] + next[3], 800);
}

}  // namespace

// A line too long for the log is cut where a character starts, saying how
// long it was; excerpts of what a file holds are cut the same way.
TEST(Log, LongLinesAreCutAtACharacter) {
    SetLogToStdout(false);
    LogCapture log;
    std::string umlauts;
    for (int i = 0; i < 3000; ++i) umlauts += "\xC3\xA4";
    LogLine(umlauts);
    EXPECT_EQ(log.Lines().at(0), umlauts.substr(0, MaxLogLineBytes) + "… (6000 Bytes)");
    EXPECT_EQ(LogExcerpt(umlauts, 5), "\xC3\xA4\xC3\xA4…");
    EXPECT_EQ(LogExcerpt("kurz"), "kurz");
    EXPECT_EQ(LogExcerpt(umlauts, 4096), umlauts.substr(0, 4096) + "…");
}
