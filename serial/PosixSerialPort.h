#pragma once

#include <poll.h>
#include <sys/types.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>

#include <QString>

#include "SerialPort.h"

// The system calls whose failures matter, replaceable so tests can make one fail.
struct PosixSerialCalls {
    std::function<int(int, termios*)> tcgetattr = [](int fd, termios* t) {
        return ::tcgetattr(fd, t);
    };
    std::function<int(int, int, const termios*)> tcsetattr =
        [](int fd, int when, const termios* t) { return ::tcsetattr(fd, when, t); };
    std::function<int(int, int)> tcflush = [](int fd, int queue) { return ::tcflush(fd, queue); };
    std::function<int(pollfd*, nfds_t, int)> poll = [](pollfd* fds, nfds_t count, int timeoutMs) {
        return ::poll(fds, count, timeoutMs);
    };
    std::function<ssize_t(int, void*, std::size_t)> read =
        [](int fd, void* buffer, std::size_t count) { return ::read(fd, buffer, count); };
    std::function<ssize_t(int, const void*, std::size_t)> write =
        [](int fd, const void* data, std::size_t count) { return ::write(fd, data, count); };
};

// A serial device through termios. The descriptor is non-blocking; reads and writes wait
// with poll against a monotonic clock, so that no call can outlast its time-out.
class PosixSerialPort : public SerialPort {
public:
    using Calls = PosixSerialCalls;

    // Opens an existing character device for exclusive use. On failure returns null and
    // stores the errno value in *error (EBUSY when another opener holds the device).
    static std::unique_ptr<PosixSerialPort> open(const QString& path, int* error, Calls calls = {});

    ~PosixSerialPort() override;
    PosixSerialPort(const PosixSerialPort&) = delete;
    PosixSerialPort& operator=(const PosixSerialPort&) = delete;

    bool write(const std::uint8_t* data, std::size_t count) override;
    int read(std::uint8_t* buffer, std::size_t maxCount) override;

    bool setBufferSizes(int receiveBytes, int transmitBytes) override;
    bool readLineSettings() override;
    bool writeLineSettings(const LineParameters& line) override;
    bool setTimeouts(const SerialTimeouts& timeouts) override;
    bool purge() override;

    void close();
    // Ends a read under way, and every later one, as a failed read: a search that no longer
    // needs this port's answer does not wait out its time-out. Safe from any thread.
    void interrupt();
    bool isOpen() const { return fd_ >= 0; }
    int descriptor() const { return fd_; }
    const SerialTimeouts& timeouts() const { return timeouts_; }
    int receiveBufferSize() const { return receiveBufferSize_; }
    int transmitBufferSize() const { return transmitBufferSize_; }

private:
    PosixSerialPort(int fd, Calls calls) : fd_(fd), calls_(std::move(calls)) {}
    bool drainOutput(std::chrono::steady_clock::time_point deadline);

    int fd_ = -1;
    int wake_ = -1;  // an event descriptor that interrupt() makes readable
    std::atomic<bool> interrupted_{false};
    Calls calls_;
    termios settings_{};
    SerialTimeouts timeouts_{};
    int receiveBufferSize_ = 0;
    int transmitBufferSize_ = 0;
};

// The reason an open failed, as the user should read it ("permission denied (...)").
QString describeOpenError(int errorNumber);
