// Ended by SIGTERM, SIGINT or SIGHUP, the engine lets go of every key and
// button it holds, then ends by the same signal, also when the server goes
// in the middle of it. And an engine without a display says so and stops.
#include <gtest/gtest.h>

#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <cstring>
#include <thread>

#include "support.h"
#include "x_watch.h"

namespace {

class ReleaseOnSignal : public ::testing::TestWithParam<int> {};

int unix_socket(const std::string &path, bool abstract, bool listen_there)
{
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    memcpy(addr.sun_path + (abstract ? 1 : 0), path.data(), path.size());
    const auto len =
        static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + path.size() + (abstract ? 1 : 0));
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const sockaddr *a = reinterpret_cast<const sockaddr *>(&addr);
    if (fd >= 0 && (listen_there ? bind(fd, a, len) != 0 || listen(fd, 4) != 0 : connect(fd, a, len) != 0)) {
        close(fd);
        fd = -1;
    }
    return fd;
}

// A display that passes each connection on to a real server until the
// server's setup reply has gone through, then cuts it: to its client the
// server is gone just after it connected.
class ServerGoneAfterSetup {
public:
    explicit ServerGoneAfterSetup(const std::string &server)
        : server_socket_("/tmp/.X11-unix/X" + server.substr(1))
    {
        // Xlib tries the abstract name of a display first.
        for (number_ = 900; number_ < 1000 && listen_fd_ < 0; ++number_)
            listen_fd_ = unix_socket("/tmp/.X11-unix/X" + std::to_string(number_), true, true);
        --number_;
        thread_ = std::thread([this] { serve(); });
    }
    ~ServerGoneAfterSetup()
    {
        stop_ = true;
        thread_.join();
        close(listen_fd_);
    }
    std::string env() const { return "DISPLAY=:" + std::to_string(number_); }
    int cuts() const { return cuts_; }

private:
    void serve()
    {
        while (!stop_) {
            pollfd p{listen_fd_, POLLIN, 0};
            if (poll(&p, 1, 20) != 1)
                continue;
            int client = accept4(listen_fd_, nullptr, nullptr, SOCK_CLOEXEC);
            int server = unix_socket(server_socket_, false, false);
            if (client >= 0 && server >= 0)
                pass_setup(client, server);
            close(server);
            close(client);
        }
    }
    void pass_setup(int client, int server)
    {
        char buf[65536];
        char head[8];
        size_t passed = 0, reply = 0;  // reply: the setup reply's length, once known
        while (!stop_ && (reply == 0 || passed < reply)) {
            pollfd p[2] = {{client, POLLIN, 0}, {server, POLLIN, 0}};
            if (poll(p, 2, 20) <= 0)
                continue;
            if (p[0].revents) {
                ssize_t n = read(client, buf, sizeof buf);
                if (n <= 0 || write(server, buf, static_cast<size_t>(n)) != n)
                    return;
            }
            if (p[1].revents) {
                // The 8-byte head first, then only as much as the reply says:
                // nothing of a later answer.
                const size_t want = reply ? reply - passed : 8 - passed;
                ssize_t n = read(server, buf, want);
                if (n <= 0 || write(client, buf, static_cast<size_t>(n)) != n)
                    return;
                if (passed < 8)
                    memcpy(head + passed, buf, static_cast<size_t>(n));
                passed += static_cast<size_t>(n);
                // The reply's length in 4-byte words after the head, in the
                // client's byte order (this machine's).
                if (reply == 0 && passed == 8) {
                    uint16_t words;
                    memcpy(&words, head + 6, sizeof words);
                    reply = 8 + 4 * static_cast<size_t>(words);
                }
            }
        }
        if (reply && passed == reply)
            ++cuts_;
    }

    std::string server_socket_;
    int number_ = 0;
    int listen_fd_ = -1;
    std::atomic<bool> stop_{false};
    std::atomic<int> cuts_{0};
    std::thread thread_;
};

}  // namespace

TEST_P(ReleaseOnSignal, HeldKeysAndButtonsAreReleasedAndTheSignalEndsTheProcess)
{
    const int sig = GetParam();
    Xvfb xvfb;
    XWatch watch(xvfb.display());
    Background probe({bin_path("held_probe"), "hold"}, RunOptions{"", {xvfb.env()}, "", 20});
    ASSERT_TRUE(probe.wait_for_output("holding 4", 15)) << probe.out() << probe.err();

    EXPECT_TRUE(watch.key_down("Alt_L"));
    EXPECT_TRUE(watch.key_down("Left"));
    EXPECT_TRUE(watch.button_down(1));
    EXPECT_TRUE(watch.button_down(3));

    EXPECT_EQ(probe.stop(sig, 10), 128 + sig);

    EXPECT_FALSE(watch.key_down("Alt_L"));
    EXPECT_FALSE(watch.key_down("Left"));
    EXPECT_FALSE(watch.key_down("Shift_L"));
    EXPECT_FALSE(watch.button_down(1));
    EXPECT_FALSE(watch.button_down(3));
}

// SIGKILL cannot be caught: what was held stays held. This keeps the test
// above honest (the server does not let go on its own when the client dies).
TEST(ReleaseOnSignalControl, AfterSigkillTheServerStillHoldsTheInput)
{
    Xvfb xvfb;
    XWatch watch(xvfb.display());
    Background probe({bin_path("held_probe"), "hold"}, RunOptions{"", {xvfb.env()}, "", 20});
    ASSERT_TRUE(probe.wait_for_output("holding 4", 15)) << probe.out() << probe.err();
    EXPECT_EQ(probe.stop(SIGKILL, 10), 128 + SIGKILL);
    EXPECT_TRUE(watch.key_down("Alt_L"));
    EXPECT_TRUE(watch.button_down(1));
}

// The server goes while the signal's clean-up lets go over its own
// connection: the engine still ends by the signal, not stuck in an X error
// handler that starts the clean-up over again.
TEST(ReleaseOnSignalServerGone, TheServerGoingDuringTheReleaseStillEndsItByTheSignal)
{
    Xvfb xvfb;
    ServerGoneAfterSetup gone(xvfb.display());
    Background probe({bin_path("held_probe"), "lose", xvfb.display()}, RunOptions{"", {gone.env()}, "", 20});
    ASSERT_TRUE(probe.wait_for_output("holding 1", 15)) << probe.out() << probe.err();
    EXPECT_EQ(probe.stop(SIGTERM, 10), 128 + SIGTERM) << probe.err();
    EXPECT_EQ(gone.cuts(), 1);
}

INSTANTIATE_TEST_SUITE_P(Signals, ReleaseOnSignal, ::testing::Values(SIGTERM, SIGINT, SIGHUP));

TEST(HotkeyThread, WithoutADisplayItSaysSoAndEndsWithStatusOne)
{
    RunResult r = run_program({bin_path("held_probe"), "hotkey"}, RunOptions{"", {"DISPLAY=:97531"}, "", 20});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "Can't open display.\n");
    r = run_program({bin_path("held_probe"), "hotkey"}, RunOptions{"", {"DISPLAY"}, "", 20});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "Can't open display.\n");
}
