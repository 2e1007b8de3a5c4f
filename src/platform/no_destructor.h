// Process-wide state lives for the whole run and is never destroyed, so that
// threads still running at exit never see it torn down.
#pragma once

#include <new>
#include <utility>

template <typename T>
class NoDestructor {
public:
    template <typename... Args>
    explicit NoDestructor(Args&&... args) {
        new (storage_) T(std::forward<Args>(args)...);
    }
    NoDestructor(const NoDestructor&) = delete;
    NoDestructor& operator=(const NoDestructor&) = delete;

    T& operator*() { return *Get(); }
    T* operator->() { return Get(); }
    T* Get() { return std::launder(reinterpret_cast<T*>(storage_)); }

private:
    alignas(T) unsigned char storage_[sizeof(T)];
};
