#include "platform/host_threads.h"

#include <pthread.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <memory>
#include <utility>

#include "platform/program_state.h"

namespace {

// Thread numbers as the platform hands them out: the GUI thread is 1, the
// threads started through StartThread 2, 3, ...
struct ThreadNumbering {
    std::atomic<int> Next{2};
};
// Starts again at 2, so the program thread of each test is 2, as in a real run.
ProgramState<ThreadNumbering> numbering{[](ThreadNumbering& n) { n.Next = 2; }};
thread_local int threadNumber = 0;
thread_local std::string threadName;

struct ThreadStart {
    int Number;
    std::function<void()> Body;
};

void* RunThread(void* arg) {
    std::unique_ptr<ThreadStart> start(static_cast<ThreadStart*>(arg));
    threadNumber = start->Number;
    start->Body();
    return nullptr;
}

}  // namespace

HostThreads::HostThreads() { threadNumber = 1; }

bool HostThreads::StartThread(std::size_t stackSize, std::function<void()> body) {
    pthread_attr_t attr;
    if (pthread_attr_init(&attr) != 0) return false;
    pthread_attr_setdetachstate(&attr, PTHREAD_CREATE_DETACHED);
    if (stackSize > 0) pthread_attr_setstacksize(&attr, stackSize);
    auto start = std::make_unique<ThreadStart>(ThreadStart{numbering->Next.fetch_add(1), std::move(body)});
    pthread_t thread;
    const int rc = pthread_create(&thread, &attr, RunThread, start.get());
    pthread_attr_destroy(&attr);
    if (rc != 0) return false;
    start.release();  // owned by the new thread now
    return true;
}

std::string HostThreads::CurrentThreadDescription() {
    char address[32];
    std::snprintf(address, sizeof address, "%p", static_cast<void*>(&threadNumber));
    std::string text = "<Thread: " + std::string(address) + ">{";
    if (threadNumber > 0) text += "number = " + std::to_string(threadNumber) + ", ";
    text += "name = " + (threadName.empty() ? std::string("(null)") : threadName) + "}";
    return text;
}

void HostThreads::SetCurrentThreadName(const std::string& name) {
    threadName = name;
    pthread_setname_np(pthread_self(), name.substr(0, 15).c_str());
}

double HostThreads::AbsoluteTime() {
    using namespace std::chrono;
    return duration<double>(system_clock::now().time_since_epoch()).count();
}
