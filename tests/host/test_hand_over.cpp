// The hand-over of a second start's file: the socket lives in a folder only
// this user may enter, the path goes only to a program of this user, and a
// second start ends only when the running program confirmed the path.
#include "host/hand_over.h"

#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

namespace {

namespace fs = std::filesystem;

void Put(int fd, const std::string& text) {
    const ssize_t written = write(fd, text.data(), text.size());
    (void)written;
}

class HandOverTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "tabrona-run-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        runtime_ = pattern;
        setenv("XDG_RUNTIME_DIR", runtime_.c_str(), 1);
    }
    void TearDown() override {
        unsetenv("XDG_RUNTIME_DIR");
        fs::remove_all(runtime_);
    }

    // A program at the socket's path that reads one line and answers with
    // `reply` (nothing when empty), as `uid`; what it read comes back
    // through a pipe when it ends.
    pid_t Listener(const std::string& reply, uid_t uid) {
        const std::string path = HandOverSocketPath();
        if (pipe(pipe_) != 0) return -1;
        chmod(runtime_.c_str(), 0777);  // for a listener of another user
        const pid_t child = fork();
        if (child == 0) {
            close(pipe_[0]);
            alarm(10);  // never left behind
            if (uid != getuid() && setuid(uid) != 0) _exit(2);
            const int server = socket(AF_UNIX, SOCK_STREAM, 0);
            sockaddr_un address{};
            address.sun_family = AF_UNIX;
            std::strcpy(address.sun_path, path.c_str());
            if (bind(server, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(server, 1) != 0)
                _exit(3);
            Put(pipe_[1], "+");
            const int client = accept(server, nullptr, nullptr);
            char buffer[4096];
            const ssize_t n = read(client, buffer, sizeof buffer);
            Put(client, reply);
            if (n > 0) Put(pipe_[1], std::string(buffer, static_cast<std::size_t>(n)));
            _exit(0);
        }
        close(pipe_[1]);
        char ready = 0;
        EXPECT_EQ(read(pipe_[0], &ready, 1), 1);
        chmod(runtime_.c_str(), 0700);
        return child;
    }

    // What the listener read, once it has ended.
    std::string Heard(pid_t child) {
        waitpid(child, nullptr, 0);
        std::string heard;
        char buffer[4096];
        for (ssize_t n; (n = read(pipe_[0], buffer, sizeof buffer)) > 0;) heard.append(buffer, static_cast<std::size_t>(n));
        close(pipe_[0]);
        unlink(HandOverSocketPath().c_str());
        return heard;
    }

    std::string runtime_;
    int pipe_[2] = {-1, -1};
};

TEST_F(HandOverTest, TheSocketLivesInAFolderOnlyThisUserMayEnter) {
    EXPECT_TRUE(PrivateFolder(runtime_));
    EXPECT_EQ(HandOverSocketPath().rfind(runtime_ + "/tabrona-", 0), 0u) << HandOverSocketPath();
    // A runtime folder others may enter or write to is not used: the user's
    // own folder under /tmp is.
    for (const mode_t mode : {0777, 0755, 0711}) {
        chmod(runtime_.c_str(), mode);
        EXPECT_FALSE(PrivateFolder(runtime_)) << mode;
        const std::string own = "/tmp/tabrona-" + std::to_string(getuid());
        EXPECT_EQ(HandOverSocketPath().rfind(own + "/", 0), 0u) << HandOverSocketPath();
        EXPECT_TRUE(PrivateFolder(own));
    }
    fs::create_directory_symlink(runtime_, runtime_ + "-link");
    EXPECT_FALSE(PrivateFolder(runtime_ + "-link"));
    fs::remove(runtime_ + "-link");
    EXPECT_FALSE(PrivateFolder("relative"));
}

// A running program of this user gets the absolute path and confirms it; one
// that does not confirm, or belongs to another user, gets no success.
TEST_F(HandOverTest, APathGoesOnlyToAProgramOfThisUserThatConfirmsIt) {
    EXPECT_FALSE(SendToRunningInstance("a.calc"));  // nobody listens
    pid_t child = Listener(HandOverConfirmation, getuid());
    EXPECT_TRUE(SendToRunningInstance("sub/../a.calc"));
    EXPECT_EQ(Heard(child), fs::current_path().string() + "/a.calc\n");
    child = Listener("", getuid());  // reads, but never confirms
    EXPECT_FALSE(SendToRunningInstance("a.calc"));
    Heard(child);
    EXPECT_FALSE(SendToRunningInstance("zwei\nZeilen.calc"));
    // A program of another user at the path hears nothing (only root can
    // arrange one here).
    if (getuid() != 0) return;
    child = Listener(HandOverConfirmation, 65534);
    EXPECT_FALSE(SendToRunningInstance("geheim.calc"));
    EXPECT_EQ(Heard(child), "");
}

}  // namespace
