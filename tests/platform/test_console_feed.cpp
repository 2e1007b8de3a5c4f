// The console window's feed: lines taken in batches, runs of one line
// counted, the oldest left out beyond what the window keeps.
#include "platform/console_feed.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

namespace {

TEST(ConsoleFeedTest, RunsAreCountedAndTheOldestLinesLeftOut) {
    ConsoleFeed feed(4);
    EXPECT_EQ(feed.Take(), "");
    feed.Add("a");
    for (int i = 0; i < 3; ++i) feed.Add("b");
    feed.Add("a");
    EXPECT_EQ(feed.Take(), "a\nb\n… 2 weitere gleiche Zeilen\na");
    // A run that goes on after a batch is counted again in the next.
    feed.Add("a");
    feed.Add("a");
    EXPECT_EQ(feed.Take(), "… 2 weitere gleiche Zeilen");
    feed.Add("a");
    feed.Add("c");
    EXPECT_EQ(feed.Take(), "… 1 weitere gleiche Zeile\nc");
    for (int i = 0; i < 10; ++i) feed.Add(std::to_string(i));
    EXPECT_EQ(feed.Take(), "… 6 Zeilen ausgelassen (siehe Standardausgabe)\n6\n7\n8\n9");
    EXPECT_EQ(feed.Take(), "");
    EXPECT_EQ(GroupedNumber(4'999'990) + " " + GroupedNumber(999) + " " + GroupedNumber(-1000), "4.999.990 999 -1.000");
}

// Five million lines from two threads cost a handful of batches, each at
// most the lines kept and a line of count.
TEST(ConsoleFeedTest, AFloodStaysBounded) {
    ConsoleFeed feed(1000);
    std::vector<std::string> batches;
    std::thread flood([&] {
        for (int i = 0; i < 5'000'000; ++i) feed.Add(i % 1000 == 0 ? "Zeile " + std::to_string(i) : "gleich");
    });
    for (int i = 0; i < 3; ++i) batches.push_back(feed.Take());
    flood.join();
    batches.push_back(feed.Take());
    std::size_t lines = 0;
    for (const std::string& batch : batches) {
        const auto count = static_cast<std::size_t>(std::count(batch.begin(), batch.end(), '\n')) + !batch.empty();
        EXPECT_LE(count, 1001u);
        lines += count;
    }
    EXPECT_GT(lines, 0u);
    EXPECT_NE(batches.back().find("Zeile 4999000\ngleich\n… 998 weitere gleiche Zeilen"), std::string::npos);
}

}  // namespace
