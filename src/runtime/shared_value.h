// A value that one thread writes and others read (flags and fields the GUI
// and auto-update threads look at). It copies like a plain value, so records
// holding it can still be reset by assignment.
#pragma once

#include <atomic>

template <typename T>
class SharedValue {
public:
    SharedValue(T value = T{}) : value_(value) {}  // NOLINT: reads like the plain field
    SharedValue(const SharedValue& other) : value_(other.Load()) {}
    SharedValue& operator=(const SharedValue& other) {
        value_.store(other.Load());
        return *this;
    }
    SharedValue& operator=(T value) {
        value_.store(value);
        return *this;
    }
    operator T() const { return Load(); }  // NOLINT: reads like the plain field
    T Load() const { return value_.load(); }

private:
    std::atomic<T> value_;
};
