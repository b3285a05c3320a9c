#pragma once
// Real pseudo-terminals and processes for tests of the serial code.

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include <QString>

using Clock = std::chrono::steady_clock;

inline double msSince(Clock::time_point t) {
    return std::chrono::duration<double, std::milli>(Clock::now() - t).count();
}

inline double msBetween(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double, std::milli>(to - from).count();
}

// A pseudo-terminal whose far end the test drives directly. Like trnsim, it keeps its own
// handle to the device, so the line survives the port under test closing it. The line
// starts raw at the kernel's default speed.
class PtyPair {
public:
    PtyPair() {
        master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0)
            return;
        const char* name = ::ptsname(master_);
        if (name == nullptr)
            return;
        path_ = name;
        keeper_ = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
        termios tio{};
        if (keeper_ >= 0 && ::tcgetattr(keeper_, &tio) == 0) {
            ::cfmakeraw(&tio);
            ::tcsetattr(keeper_, TCSANOW, &tio);
        }
    }
    ~PtyPair() {
        closeKeeper();
        hangUp();
    }
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    bool ok() const { return master_ >= 0 && keeper_ >= 0; }
    QString path() const { return QString::fromStdString(path_); }
    int keeper() const { return keeper_; }

    bool send(const std::vector<std::uint8_t>& bytes) {
        return ::write(master_, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
    }
    // What the port under test sent, until count bytes arrived or timeoutMs passed.
    std::vector<std::uint8_t> receive(std::size_t count, int timeoutMs) {
        std::vector<std::uint8_t> out;
        const auto end = Clock::now() + std::chrono::milliseconds(timeoutMs);
        while (out.size() < count && Clock::now() < end) {
            pollfd pfd{master_, POLLIN, 0};
            if (::poll(&pfd, 1, 5) <= 0)
                continue;
            std::uint8_t buf[64];
            const ssize_t n = ::read(master_, buf, std::min(sizeof buf, count - out.size()));
            if (n <= 0)
                break;
            out.insert(out.end(), buf, buf + n);
        }
        return out;
    }
    // The far end goes away, as when a simulator or a USB adapter disappears.
    void hangUp() {
        if (master_ >= 0)
            ::close(master_);
        master_ = -1;
    }
    void closeKeeper() {
        if (keeper_ >= 0)
            ::close(keeper_);
        keeper_ = -1;
    }

private:
    int master_ = -1;
    int keeper_ = -1;
    std::string path_;
};

// Another process that opens a device and holds its lock until this object is destroyed,
// as a terminal program or a modem manager would.
class LockHolder {
public:
    explicit LockHolder(const QString& device) {
        const std::string path = device.toStdString();
        int ready[2];
        int release[2];
        if (::pipe2(ready, O_CLOEXEC) != 0)
            return;
        if (::pipe2(release, O_CLOEXEC) != 0) {
            ::close(ready[0]);
            ::close(ready[1]);
            return;
        }
        pid_ = ::fork();
        if (pid_ == 0) {
            // Only async-signal-safe calls in the child.
            ::close(ready[0]);
            ::close(release[1]);
            const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
            const char held = (fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) == 0) ? 1 : 0;
            if (::write(ready[1], &held, 1) != 1)
                ::_exit(1);
            char c = 0;
            while (::read(release[0], &c, 1) != 0) {
            }
            ::_exit(0);
        }
        ::close(ready[1]);
        ::close(release[0]);
        release_ = release[1];
        char held = 0;
        if (pid_ > 0 && ::read(ready[0], &held, 1) == 1)
            holding_ = held == 1;
        ::close(ready[0]);
    }
    ~LockHolder() { release(); }
    LockHolder(const LockHolder&) = delete;
    LockHolder& operator=(const LockHolder&) = delete;

    bool holding() const { return holding_; }
    void release() {
        if (release_ >= 0)
            ::close(release_);
        release_ = -1;
        if (pid_ > 0)
            ::waitpid(pid_, nullptr, 0);
        pid_ = -1;
        holding_ = false;
    }

private:
    pid_t pid_ = -1;
    int release_ = -1;
    bool holding_ = false;
};
