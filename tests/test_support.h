// Small helpers shared by the tests.
#pragma once

#include <pthread.h>

#include <chrono>
#include <string>
#include <string_view>
#include <thread>

#include "platform/platform.h"
#include "runtime/text.h"

// A text of the program's codes from bytes, and back.
inline Text T(std::string_view bytes) { return Text::FromBytes(bytes); }
inline std::string S(const Text& text) { return std::string(text.Elements.begin(), text.Elements.end()); }

// Polls until done() holds or five seconds have passed; a generous limit so
// that a loaded machine does not fail the test, while a hang still ends.
template <typename Predicate>
bool WaitFor(Predicate done) {
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!done()) {
        if (std::chrono::steady_clock::now() > limit) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

// "x,y,width,height" without trailing zeros, for readable comparisons.
inline std::string RectText(const HostRect& r) {
    auto n = [](double v) {
        std::string s = std::to_string(v);
        s.erase(s.find_last_not_of('0') + 1);
        if (!s.empty() && s.back() == '.') s.pop_back();
        return s;
    };
    return n(r.X) + "," + n(r.Y) + "," + n(r.Width) + "," + n(r.Height);
}

// The stack size of the calling thread.
inline std::size_t StackSize() {
    pthread_attr_t attr;
    std::size_t size = 0;
    pthread_getattr_np(pthread_self(), &attr);
    pthread_attr_getstacksize(&attr, &size);
    pthread_attr_destroy(&attr);
    return size;
}
