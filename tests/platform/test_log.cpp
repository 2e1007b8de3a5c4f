// The log: whole lines to standard output and to a sink, and the capture
// that tests use.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/log.h"

namespace {

// Runs work with standard output sent to a temporary file and returns
// what reached it.
template <typename Work>
std::string StandardOutputOf(Work work) {
    char path[] = "/tmp/tabrona-log-XXXXXX";
    const int file = mkstemp(path);
    if (file < 0) return "<no temporary file>";
    std::fflush(stdout);
    const int saved = dup(STDOUT_FILENO);
    dup2(file, STDOUT_FILENO);
    work();
    std::fflush(stdout);
    dup2(saved, STDOUT_FILENO);
    close(saved);
    close(file);
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    std::remove(path);
    return text.str();
}

class LogTest : public ::testing::Test {
protected:
    void TearDown() override { SetLogToStdout(true); }
};

TEST_F(LogTest, LinesGoToStandardOutputUnlessSwitchedOff) {
    SetLogToStdout(true);
    EXPECT_EQ(StandardOutputOf([] {
                  LogLine("t_InitMemory: Start.");
                  ConsoleWrite("ohne Zeilenende");
                  LogLine("");
              }),
              "t_InitMemory: Start.\nohne Zeilenende\n");
    SetLogToStdout(false);
    std::string captured;
    {
        LogCapture log;
        EXPECT_EQ(StandardOutputOf([] { LogLine("still"); }), "");
        captured = log.Text();
    }
    EXPECT_EQ(captured, "still\n");
}

TEST_F(LogTest, SinkReceivesLinesWithTheirEnd) {
    SetLogToStdout(false);
    std::vector<std::string> received;
    LogSink previous = SetLogSink([&](std::string_view text) { received.emplace_back(text); });
    LogLine("eins");
    ConsoleWrite("zwei");
    LogLine("Umlaute: äöü €");
    LogSink mine = SetLogSink(previous);
    EXPECT_EQ(received, (std::vector<std::string>{"eins\n", "zwei", "Umlaute: äöü €\n"}));
    ASSERT_TRUE(static_cast<bool>(mine));
    // After restoring, the sink hears nothing more.
    LogLine("drei");
    EXPECT_EQ(received.size(), 3u);
}

TEST_F(LogTest, CaptureSplitsLinesAndRestoresTheSinkBefore) {
    SetLogToStdout(false);
    std::string outer;
    LogSink previous = SetLogSink([&](std::string_view text) { outer.append(text); });
    {
        LogCapture log;
        LogLine("a: b.");
        LogLine("");
        ConsoleWrite("x");
        ConsoleWrite("y\nz");
        EXPECT_EQ(log.Lines(), (std::vector<std::string>{"a: b.", "", "xy", "z"}));
        EXPECT_EQ(log.Text(), "a: b.\n\nxy\nz");
        EXPECT_TRUE(log.Contains("a: b."));
        EXPECT_TRUE(log.Contains(""));
        EXPECT_FALSE(log.Contains("a: b"));  // whole lines only
        EXPECT_FALSE(log.Contains("a: b.\n"));
        log.Clear();
        EXPECT_TRUE(log.Lines().empty());
        LogLine("neu");
        EXPECT_EQ(log.Lines(), (std::vector<std::string>{"neu"}));
    }
    EXPECT_EQ(outer, "");  // the capture took the lines meanwhile
    LogLine("danach");
    EXPECT_EQ(outer, "danach\n");
    SetLogSink(previous);
}

TEST_F(LogTest, LinesFromManyThreadsStayWhole) {
    SetLogToStdout(false);
    LogCapture log;
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([t] {
            for (int i = 0; i < 200; ++i)
                LogLine("thread " + std::to_string(t) + " line " + std::to_string(i) + " " + std::string(40, 'x'));
        });
    for (std::thread& t : threads) t.join();
    const std::vector<std::string> lines = log.Lines();
    ASSERT_EQ(lines.size(), 800u);
    std::vector<int> next(4, 0);
    for (const std::string& l : lines) {
        int t = -1, i = -1;
        ASSERT_EQ(std::sscanf(l.c_str(), "thread %d line %d", &t, &i), 2) << l;
        ASSERT_TRUE(t >= 0 && t < 4) << l;
        EXPECT_EQ(i, next[static_cast<std::size_t>(t)]++) << "lines of one thread keep their order";
        EXPECT_EQ(l, "thread " + std::to_string(t) + " line " + std::to_string(i) + " " + std::string(40, 'x'));
    }
}

}  // namespace
