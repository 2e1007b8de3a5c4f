// tabrona --terminal in a pseudo-terminal of 121 x 51: the time to its
// first screen, and for typed keys the time until they show, the program's
// processor time and the bytes it writes; then what it does while idle.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;

class Pty {
public:
    Pty(const Pty&) = delete;
    Pty& operator=(const Pty&) = delete;
    Pty() {
        winsize size{};
        size.ws_row = 51;
        size.ws_col = 121;
        char state[] = "/tmp/tabrona-bench-terminal-XXXXXX";
        folder_ = ::mkdtemp(state) ? state : "/tmp";
        pid_ = forkpty(&fd_, nullptr, nullptr, &size);
        if (pid_ == 0) {
            ::setenv("TERM", "xterm-256color", 1);
            ::setenv("XDG_STATE_HOME", folder_.c_str(), 1);
            ::setenv("XDG_CONFIG_HOME", folder_.c_str(), 1);
            ::execl(TABRONA_EXE, TABRONA_EXE, "--terminal", static_cast<char*>(nullptr));
            std::_Exit(127);
        }
    }
    ~Pty() {
        ::kill(pid_, SIGTERM);
        // Read what it writes while it ends, so that it is never blocked.
        for (int i = 0; i < 100 && ::waitpid(pid_, nullptr, WNOHANG) == 0; ++i) Read(10);
        ::close(fd_);
        std::system(("rm -rf '" + folder_ + "'").c_str());
    }

    // What came within `milliseconds`, appended to Output.
    std::size_t Read(int milliseconds) {
        pollfd p{fd_, POLLIN, 0};
        std::size_t got = 0;
        while (::poll(&p, 1, milliseconds) > 0) {
            char buffer[65536];
            const ssize_t n = ::read(fd_, buffer, sizeof buffer);
            if (n <= 0) break;
            Output.append(buffer, static_cast<std::size_t>(n));
            got += static_cast<std::size_t>(n);
            milliseconds = 0;
        }
        return got;
    }
    // Reads until the output holds text; false after five seconds.
    bool ReadUntil(const std::string& text) {
        const auto until = Clock::now() + std::chrono::seconds(5);
        while (Output.find(text) == std::string::npos) {
            if (Clock::now() > until) return false;
            Read(5);
        }
        return true;
    }
    // Reads until nothing more comes for `quiet` milliseconds.
    void Settle(int quiet) {
        while (Read(quiet) > 0) {
        }
    }
    void Type(const std::string& keys) { [[maybe_unused]] const ssize_t n = ::write(fd_, keys.data(), keys.size()); }
    // The program's processor time so far, in milliseconds.
    double CpuMilliseconds() const {
        std::ifstream stat("/proc/" + std::to_string(pid_) + "/stat");
        std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
        std::istringstream fields(text.substr(text.rfind(')') + 2));
        std::string field;
        long ticks = 0;
        for (int i = 3; i <= 15 && fields >> field; ++i)
            if (i == 14 || i == 15) ticks += std::stol(field);
        return 1000.0 * static_cast<double>(ticks) / static_cast<double>(::sysconf(_SC_CLK_TCK));
    }

    std::string Output;

private:
    int fd_ = -1;
    pid_t pid_ = -1;
    std::string folder_;
};

void BM_TerminalFirstScreen(benchmark::State& state) {
    for (auto _ : state) {
        const auto start = Clock::now();
        Pty pty;
        if (!pty.ReadUntil("Bitte irgendeine Taste")) state.SkipWithError("no title screen");
        // Manual time: ending the run is not counted.
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
    }
}
BENCHMARK(BM_TerminalFirstScreen)->UseManualTime()->Iterations(10)->Unit(benchmark::kMillisecond);

// Digits typed into a cell's input line: until each shows, and per key the
// program's processor time and the bytes written.
void BM_TerminalTypedKey(benchmark::State& state) {
    Pty pty;
    if (!pty.ReadUntil("Bitte irgendeine Taste")) state.SkipWithError("no title screen");
    pty.Type("x");
    pty.Settle(200);
    pty.Type("1");
    pty.Settle(200);
    const double cpuBefore = pty.CpuMilliseconds();
    std::size_t bytes = 0, keys = 0;
    for (auto _ : state) {
        const std::string digit = std::to_string(keys % 10);
        const std::size_t before = pty.Output.size();
        const auto start = Clock::now();
        pty.Type(digit);
        while (pty.Output.find(digit, before) == std::string::npos) pty.Read(50);
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
        pty.Settle(60);  // the rest of the frame
        bytes += pty.Output.size() - before;
        ++keys;
    }
    state.counters["bytes_per_key"] = static_cast<double>(bytes) / static_cast<double>(keys);
    state.counters["cpu_ms_per_key"] = (pty.CpuMilliseconds() - cpuBefore) / static_cast<double>(keys);
    // Idle: what it writes and the processor time it takes in two seconds.
    pty.Settle(300);
    const double idleBefore = pty.CpuMilliseconds();
    const std::size_t idleBytes = pty.Read(2000);
    state.counters["idle_bytes"] = static_cast<double>(idleBytes);
    state.counters["idle_cpu_percent"] = (pty.CpuMilliseconds() - idleBefore) / 2000.0 * 100.0;
}
BENCHMARK(BM_TerminalTypedKey)->UseManualTime()->Iterations(50)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
