#include "platform/console_feed.h"

#include <cstdlib>

ConsoleFeed::ConsoleFeed(std::size_t keptLines) : keptLines_(keptLines) {}

void ConsoleFeed::Add(std::string_view line) {
    std::lock_guard lock(mutex_);
    if (hasLast_ && line == last_) {
        ++repeats_;
        return;
    }
    FlushRepeats();
    last_ = line;
    hasLast_ = true;
    lines_.emplace_back(line);
    while (lines_.size() > keptLines_) {
        lines_.pop_front();
        ++dropped_;
    }
}

std::string ConsoleFeed::Take() {
    std::lock_guard lock(mutex_);
    FlushRepeats();
    std::string text;
    if (dropped_ > 0) text = "… " + GroupedNumber(dropped_) + " Zeilen ausgelassen (siehe Standardausgabe)";
    dropped_ = 0;
    for (const std::string& line : lines_) {
        if (!text.empty()) text += '\n';
        text += line;
    }
    lines_.clear();
    return text;
}

void ConsoleFeed::FlushRepeats() {
    if (repeats_ == 0) return;
    lines_.push_back("… " + GroupedNumber(repeats_) + (repeats_ == 1 ? " weitere gleiche Zeile" : " weitere gleiche Zeilen"));
    repeats_ = 0;
    while (lines_.size() > keptLines_) {
        lines_.pop_front();
        ++dropped_;
    }
}

std::string GroupedNumber(std::int64_t number) {
    const std::string digits = std::to_string(std::llabs(number));
    std::string grouped = number < 0 ? "-" : "";
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) grouped += '.';
        grouped += digits[i];
    }
    return grouped;
}
