#include "PosixSerialPort.h"

#include <fcntl.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <optional>
#include <thread>
#include <utility>

#include <QCoreApplication>

#include "FileNames.h"
#include "SystemError.h"

namespace {

using Clock = std::chrono::steady_clock;

// Whole milliseconds until deadline, rounded up so that poll never wakes just short of it.
int msUntil(Clock::time_point deadline) {
    const auto left = deadline - Clock::now();
    if (left <= Clock::duration::zero())
        return 0;
    const auto ms = std::chrono::ceil<std::chrono::milliseconds>(left).count();
    return static_cast<int>(std::min<long long>(ms, 60'000));
}

// Time-out budgets grow with the byte count; a huge count must not overflow them.
long long budgetMs(int constantMs, int perByteMs, std::size_t count) {
    const long long bytes = static_cast<long long>(std::min<std::size_t>(count, 1'000'000));
    return std::max(0, constantMs) + std::max(0, perByteMs) * bytes;
}

// The terminal's codes of the line speeds and character sizes the port can set.
constexpr std::pair<int, speed_t> Speeds[] = {
    {1200, B1200},   {2400, B2400},   {4800, B4800},   {9600, B9600},
    {19200, B19200}, {38400, B38400}, {57600, B57600}, {115200, B115200},
};
constexpr std::pair<int, tcflag_t> Sizes[] = {{5, CS5}, {6, CS6}, {7, CS7}, {8, CS8}};

// The code of value in table; none (0) for a value the table lacks.
template <class Code, std::size_t N>
Code codeOf(const std::pair<int, Code> (&table)[N], int value) {
    for (const auto& [v, code] : table)
        if (v == value)
            return code;
    return 0;
}

constexpr tcflag_t FramingFlags = CSIZE | PARENB | PARODD | CSTOPB;

// The terminal settings base becomes for line; none for a line the terminal cannot carry.
std::optional<termios> framedFor(termios base, const LineParameters& line) {
    const speed_t speed = codeOf(Speeds, line.baudRate);
    const tcflag_t size = codeOf(Sizes, line.dataBits);
    if (speed == B0 || size == 0 || (line.stopBits != 1 && line.stopBits != 2))
        return std::nullopt;
    termios wanted = base;
    // Frames are binary: no echo, no line editing, no character translation, and no
    // software flow control, which would take the identify command (0x11, XON) for itself.
    // Hardware flow control stays as the driver reports it.
    ::cfmakeraw(&wanted);
    wanted.c_iflag &= ~static_cast<tcflag_t>(IXOFF | IXANY);
    wanted.c_cflag |= CREAD | CLOCAL;
    wanted.c_cflag &= ~FramingFlags;
    wanted.c_cflag |= size;
    if (line.parity != LineParameters::Parity::None)
        wanted.c_cflag |= PARENB;
    if (line.parity == LineParameters::Parity::Odd)
        wanted.c_cflag |= PARODD;
    if (line.stopBits == 2)
        wanted.c_cflag |= CSTOPB;
    // Reads are timed by poll, never by the terminal.
    wanted.c_cc[VMIN] = 0;
    wanted.c_cc[VTIME] = 0;
    if (::cfsetispeed(&wanted, speed) != 0 || ::cfsetospeed(&wanted, speed) != 0)
        return std::nullopt;
    return wanted;
}

// Whether the driver took the speeds and the framing asked of it.
bool sameFraming(const termios& actual, const termios& wanted) {
    return ::cfgetispeed(&actual) == ::cfgetispeed(&wanted) &&
           ::cfgetospeed(&actual) == ::cfgetospeed(&wanted) &&
           (actual.c_cflag & FramingFlags) == (wanted.c_cflag & FramingFlags);
}

// The settings the driver holds for the terminal now; none when it cannot say (or none is open).
std::optional<termios> heldSettings(const PosixSerialCalls& calls, int fd) {
    termios held{};
    if (fd < 0 || calls.tcgetattr(fd, &held) != 0)
        return std::nullopt;
    return held;
}

}  // namespace

std::unique_ptr<PosixSerialPort> PosixSerialPort::open(const QString& path, int* error,
                                                       Calls calls) {
    int ignored = 0;
    if (error == nullptr)
        error = &ignored;
    *error = 0;
    const QByteArray name = fileNameToSystem(path);
    if (name.isEmpty()) {
        *error = ENOENT;
        return nullptr;
    }
    int fd = -1;
    do {
        fd = ::open(name.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        *error = errno;
        return nullptr;
    }
    // Frames are written to whatever was opened: never to a regular file a user named by mistake,
    // nor to a device that is no terminal (/dev/null takes every frame and sets no line).
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISCHR(info.st_mode) || ::isatty(fd) != 1) {
        ::close(fd);
        *error = ENOTTY;
        return nullptr;
    }
    // The lock is what other programs see as "busy". It belongs to the open descriptor, so the
    // kernel drops it however this process ends. The terminal's exclusive mode (TIOCEXCL) is
    // not used: it belongs to the device and outlives a killed process, barring every later
    // user until whoever keeps the device open (a pseudo-terminal's owner) lets go.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int e = errno;
        ::close(fd);
        *error = e == EWOULDBLOCK ? EBUSY : e;
        return nullptr;
    }
    std::unique_ptr<PosixSerialPort> port(new PosixSerialPort(fd, std::move(calls)));
    // Without it an interrupt still ends the next read, only not the one under way.
    port->wake_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    return port;
}

void PosixSerialPort::interrupt() {
    interrupted_ = true;
    if (wake_ >= 0) {
        const std::uint64_t one = 1;
        [[maybe_unused]] const ssize_t n = ::write(wake_, &one, sizeof one);
    }
}

PosixSerialPort::~PosixSerialPort() {
    close();
}

void PosixSerialPort::close() {
    if (fd_ < 0)
        return;
    ::close(fd_);
    fd_ = -1;
    if (wake_ >= 0)
        ::close(wake_);
    wake_ = -1;
}

int PosixSerialPort::read(std::uint8_t* buffer, std::size_t maxCount) {
    if (fd_ < 0 || buffer == nullptr)
        return -1;
    if (maxCount == 0)
        return 0;
    maxCount = std::min<std::size_t>(maxCount, 1 << 20);

    const auto start = Clock::now();
    const auto totalDeadline =
        start + std::chrono::milliseconds(budgetMs(timeouts_.readTotalConstantMs,
                                                   timeouts_.readTotalPerByteMs, maxCount));
    const auto interval = std::chrono::milliseconds(timeouts_.readIntervalMs);
    Clock::time_point lastByte{};
    std::size_t got = 0;

    while (got < maxCount) {
        if (interrupted_)
            return -1;
        auto deadline = totalDeadline;
        if (got > 0 && timeouts_.readIntervalMs > 0)
            deadline = std::min(deadline, lastByte + interval);
        if (Clock::now() >= deadline)
            break;

        pollfd fds[2] = {{fd_, POLLIN, 0}, {wake_, POLLIN, 0}};
        const pollfd& pfd = fds[0];
        const int ready = calls_.poll(fds, wake_ >= 0 ? 2 : 1, msUntil(deadline));
        if (ready < 0) {
            if (errno == EINTR)
                continue;
            return -1;
        }
        if (ready == 0)
            continue;
        if ((fds[1].revents & POLLIN) != 0)
            return -1;
        if ((pfd.revents & POLLIN) != 0) {
            const ssize_t n = calls_.read(fd_, buffer + got, maxCount - got);
            if (n > 0) {
                got += static_cast<std::size_t>(n);
                lastByte = Clock::now();
                continue;
            }
            if (n < 0 && (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK))
                continue;
            // End of file on a terminal means the line hung up; anything else is an error.
            return -1;
        }
        if ((pfd.revents & (POLLERR | POLLHUP | POLLNVAL)) != 0)
            return -1;
    }
    return static_cast<int>(got);
}

bool PosixSerialPort::write(const std::uint8_t* data, std::size_t count) {
    if (fd_ < 0 || (data == nullptr && count > 0))
        return false;
    const auto deadline =
        Clock::now() + std::chrono::milliseconds(budgetMs(timeouts_.writeTotalConstantMs,
                                                          timeouts_.writeTotalPerByteMs, count));

    std::size_t done = 0;
    while (done < count) {
        const ssize_t n = calls_.write(fd_, data + done, count - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK)
            return false;

        // The driver has no room: wait for it, within the budget.
        const int waitMs = msUntil(deadline);
        if (waitMs <= 0) {
            // A frame that missed its time must not reach the controller later, mixed with the
            // next.
            calls_.tcflush(fd_, TCOFLUSH);
            return false;
        }
        pollfd pfd{fd_, POLLOUT, 0};
        const int ready = calls_.poll(&pfd, 1, waitMs);
        if (ready < 0 && errno != EINTR)
            return false;
        if (ready > 0 && (pfd.revents & POLLOUT) == 0 &&
            (pfd.revents & (POLLERR | POLLHUP | POLLNVAL)) != 0)
            return false;
        // A stopped terminal reports room it does not take: do not spin on it.
        if (ready > 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return drainOutput(deadline);
}

bool PosixSerialPort::drainOutput(std::chrono::steady_clock::time_point deadline) {
    // tcdrain has no time-out of its own (a line held by flow control would block it for
    // ever), so wait for the output queue to empty first, within the write budget.
    for (;;) {
        int queued = 0;
        if (::ioctl(fd_, TIOCOUTQ, &queued) != 0) {
            if (errno == ENOTTY || errno == EINVAL)
                return true;  // nothing queued that we can see
            return false;
        }
        if (queued <= 0)
            break;
        if (Clock::now() >= deadline) {
            calls_.tcflush(fd_, TCOFLUSH);
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    // What is left is at most the character in the transmitter.
    while (::tcdrain(fd_) != 0) {
        if (errno == EINTR)
            continue;
        return errno == ENOTTY || errno == EINVAL;
    }
    return true;
}

bool PosixSerialPort::setBufferSizes(int receiveBytes, int transmitBytes) {
    // The kernel sizes a terminal's queues itself; the sizes are only remembered.
    if (fd_ < 0 || receiveBytes <= 0 || transmitBytes <= 0)
        return false;
    receiveBufferSize_ = receiveBytes;
    transmitBufferSize_ = transmitBytes;
    return true;
}

bool PosixSerialPort::readLineSettings() {
    const std::optional<termios> current = heldSettings(calls_, fd_);
    if (!current)
        return false;
    settings_ = *current;
    return true;
}

bool PosixSerialPort::writeLineSettings(const LineParameters& line) {
    const std::optional<termios> wanted = fd_ < 0 ? std::nullopt : framedFor(settings_, line);
    if (!wanted || calls_.tcsetattr(fd_, TCSANOW, &*wanted) != 0)
        return false;
    // tcsetattr reports success when any part of the request was taken: read back.
    const std::optional<termios> actual = heldSettings(calls_, fd_);
    if (!actual || !sameFraming(*actual, *wanted))
        return false;
    settings_ = *actual;
    return true;
}

bool PosixSerialPort::setTimeouts(const SerialTimeouts& timeouts) {
    if (fd_ < 0)
        return false;
    if (timeouts.readIntervalMs < 0 || timeouts.readTotalPerByteMs < 0 ||
        timeouts.readTotalConstantMs < 0 || timeouts.writeTotalPerByteMs < 0 ||
        timeouts.writeTotalConstantMs < 0)
        return false;
    timeouts_ = timeouts;
    return true;
}

bool PosixSerialPort::purge() {
    if (fd_ < 0)
        return false;
    return calls_.tcflush(fd_, TCIOFLUSH) == 0;
}

QString describeOpenError(int errorNumber) {
    switch (errorNumber) {
        case EACCES:
        case EPERM:
            return QCoreApplication::translate(
                "Port", "permission denied (add your user to the dialout group)");
        case EBUSY:
            return QCoreApplication::translate("Port", "busy (in use by another program)");
        case ENOENT:
        case ENODEV:
        case ENXIO:
            return QCoreApplication::translate("Port", "no such device");
        case ENOTTY:
            return QCoreApplication::translate("Port", "not a serial device");
        default:
            return systemErrorText(errorNumber);
    }
}
