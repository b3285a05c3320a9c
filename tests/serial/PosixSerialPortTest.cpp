#include <gtest/gtest.h>
#include <signal.h>
#include <sys/ioctl.h>

#include <cerrno>
#include <thread>

#include <QFile>
#include <QTemporaryDir>

#include "../support/Frames.h"
#include "PortSystem.h"
#include "PosixSerialPort.h"
#include "SerialSupport.h"

namespace {

std::unique_ptr<PosixSerialPort> openConfigured(const QString& path,
                                                PosixSerialPort::Calls calls = {}) {
    int error = 0;
    auto port = PosixSerialPort::open(path, &error, std::move(calls));
    if (port) {
        EXPECT_TRUE(ConfigurePort(*port, false, {}));
    }
    return port;
}

Bytes counting(int n) {
    Bytes b;
    for (int i = 0; i < n; ++i) b.push_back(static_cast<std::uint8_t>(0x30 + i));
    return b;
}

}  // namespace

TEST(PosixSerialPortOpen, ReasonsForRefusedDevices) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString plainFile = dir.filePath(QStringLiteral("notes.txt"));
    {
        QFile f(plainFile);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("keep me");
    }
    const struct {
        QString path;
        int error;
        const char* reason;
    } cases[] = {
        {QStringLiteral("/dev/no-such-serial-port"), ENOENT, "no such device"},
        {QString(), ENOENT, "no such device"},
        // A user naming a file by mistake must not get frames written into it.
        {plainFile, ENOTTY, "not a serial device"},
        // A device that is no terminal takes frames and no line settings.
        {QStringLiteral("/dev/null"), ENOTTY, "not a serial device"},
        {dir.path(), EISDIR, nullptr},
    };
    for (const auto& c : cases) {
        int error = 0;
        EXPECT_EQ(PosixSerialPort::open(c.path, &error), nullptr) << qPrintable(c.path);
        EXPECT_EQ(error, c.error) << qPrintable(c.path);
        if (c.reason != nullptr) {
            EXPECT_EQ(describeOpenError(error), QString::fromLatin1(c.reason));
        }
    }
    QFile f(plainFile);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("keep me"));
}

TEST(PosixSerialPortOpen, DescribesErrorsForTheUser) {
    const struct {
        int error;
        const char* text;
    } cases[] = {
        {EACCES, "permission denied (add your user to the dialout group)"},
        {EPERM, "permission denied (add your user to the dialout group)"},
        {EBUSY, "busy (in use by another program)"},
        {ENOENT, "no such device"},
        {ENODEV, "no such device"},
        {ENXIO, "no such device"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(describeOpenError(c.error), QString::fromLatin1(c.text)) << c.error;
    // Anything else: the system's own words.
    EXPECT_EQ(describeOpenError(EIO), QString::fromLocal8Bit(std::strerror(EIO)));
}

TEST(PosixSerialPortOpen, ExclusiveAgainstOtherOpenersUntilClosed) {
    PtyPair pty;
    ASSERT_TRUE(pty.ok());
    int error = 0;
    auto first = PosixSerialPort::open(pty.path(), &error);
    ASSERT_NE(first, nullptr) << describeOpenError(error).toStdString();

    {
        // A second opener in another process (or this one) is refused as busy.
        LockHolder other(pty.path());
        EXPECT_FALSE(other.holding());
    }
    EXPECT_EQ(PosixSerialPort::open(pty.path(), &error), nullptr);
    EXPECT_EQ(error, EBUSY);

    first->close();
    EXPECT_FALSE(first->isOpen());
    auto again = PosixSerialPort::open(pty.path(), &error);
    EXPECT_NE(again, nullptr) << "closing must release the device";
}

TEST(PosixSerialPortOpen, DeviceHeldByAnotherProcessIsBusy) {
    PtyPair pty;
    ASSERT_TRUE(pty.ok());
    LockHolder holder(pty.path());
    ASSERT_TRUE(holder.holding());
    int error = 0;
    EXPECT_EQ(PosixSerialPort::open(pty.path(), &error), nullptr);
    EXPECT_EQ(error, EBUSY);
    holder.release();
    EXPECT_NE(PosixSerialPort::open(pty.path(), &error), nullptr);
}

// A program killed while it holds a port leaves nothing behind: the lock goes with its
// descriptor, and the terminal is not left in exclusive mode (which would keep every later
// user but root out until the far end closes it).
TEST(PosixSerialPortOpen, AKilledHolderLeavesThePortFree) {
    PtyPair pty;
    ASSERT_TRUE(pty.ok());
    int ready[2];
    ASSERT_EQ(::pipe2(ready, O_CLOEXEC), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        int error = 0;
        auto port = PosixSerialPort::open(pty.path(), &error);
        const char held = port ? 1 : 0;
        if (::write(ready[1], &held, 1) != 1)
            ::_exit(1);
        ::pause();
        ::_exit(0);
    }
    ::close(ready[1]);
    char held = 0;
    ASSERT_EQ(::read(ready[0], &held, 1), 1);
    ::close(ready[0]);
    ASSERT_EQ(held, 1);
    int error = 0;
    EXPECT_EQ(PosixSerialPort::open(pty.path(), &error), nullptr);
    EXPECT_EQ(error, EBUSY);

    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    int exclusive = -1;
    ASSERT_EQ(::ioctl(pty.keeper(), TIOCGEXCL, &exclusive), 0);
    EXPECT_EQ(exclusive, 0);
    EXPECT_NE(PosixSerialPort::open(pty.path(), &error), nullptr) << error;
}

// Read time-outs on a real line: the count arriving, 20 ms of silence after a byte, or
// 50 + 5 x 19 = 145 ms in all.
TEST(PosixSerialPortRead, TimeOuts) {
    struct Burst {
        int atMs;  // after the read started; negative: already waiting when it starts
        int count;
    };
    struct Case {
        const char* what;
        std::vector<Burst> bursts;
        int minCount, maxCount;
        bool fromStart;  // measure from the start of the read instead of from the last byte
        double minMs, maxMs;
    };
    const Case cases[] = {
        {"a whole frame waiting returns at once", {{-1, 19}}, 19, 19, false, 0, 18},
        {"the count arriving in two parts ends the read", {{0, 10}, {10, 9}}, 19, 19, false, 0, 18},
        {"a short reply ends 20 ms after its last byte", {{-1, 3}}, 3, 3, false, 19, 80},
        {"each byte restarts the silence",
         {{0, 1}, {10, 1}, {20, 1}, {30, 1}, {40, 1}},
         5,
         5,
         false,
         19,
         80},
        {"nothing returns after the total time", {}, 0, 0, true, 144, 300},
        {"a slow trickle is cut at the total time",
         [] {
             std::vector<Burst> b;
             for (int i = 0; i < 19; ++i) b.push_back({i * 15, 1});
             return b;
         }(),
         4, 18, true, 144, 300},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        PtyPair pty;
        ASSERT_TRUE(pty.ok());
        auto port = openConfigured(pty.path());
        ASSERT_NE(port, nullptr);

        for (const Burst& b : c.bursts) {
            if (b.atMs < 0) {
                ASSERT_TRUE(pty.send(counting(b.count)));
            }
        }
        std::uint8_t buffer[19];
        Clock::time_point lastWrite{};
        const auto start = Clock::now();
        std::thread writer([&] {
            for (const Burst& b : c.bursts) {
                if (b.atMs < 0)
                    continue;
                std::this_thread::sleep_until(start + std::chrono::milliseconds(b.atMs));
                pty.send(counting(b.count));
                lastWrite = Clock::now();
            }
        });
        const int got = port->read(buffer, sizeof buffer);
        const auto end = Clock::now();
        writer.join();

        EXPECT_GE(got, c.minCount);
        EXPECT_LE(got, c.maxCount);
        const auto from = c.fromStart ? start : std::max(start, std::min(lastWrite, end));
        const double ms = msBetween(from, end);
        EXPECT_GE(ms, c.minMs);
        EXPECT_LE(ms, c.maxMs);
        if (got > 0) {
            EXPECT_EQ(buffer[0], 0x30);
        }
        std::printf("[ timing   ] %s: %d bytes, %.1f ms\n", c.what, got, ms);
    }
}

TEST(PosixSerialPortRead, ZeroCountAndInterruptedWaits) {
    PtyPair pty;
    ASSERT_TRUE(pty.ok());
    int interrupts = 0;
    PosixSerialPort::Calls calls;
    calls.poll = [&interrupts](pollfd* fds, nfds_t n, int timeoutMs) {
        if (interrupts++ < 2) {
            errno = EINTR;
            return -1;
        }
        return ::poll(fds, n, timeoutMs);
    };
    auto port = openConfigured(pty.path(), calls);
    ASSERT_NE(port, nullptr);
    std::uint8_t buffer[19];
    EXPECT_EQ(port->read(buffer, 0), 0);

    ASSERT_TRUE(pty.send(frame(0x11, {4, 5, 1})));
    EXPECT_EQ(port->read(buffer, sizeof buffer), 6);
    EXPECT_GE(interrupts, 3);
}

TEST(PosixSerialPortRead, FailuresAreFailedReadsNotHangs) {
    PtyPair pty;
    ASSERT_TRUE(pty.ok());
    PosixSerialPort::Calls calls;
    bool failRead = false;
    calls.read = [&failRead](int fd, void* b, std::size_t n) -> ssize_t {
        if (failRead) {
            errno = EIO;
            return -1;
        }
        return ::read(fd, b, n);
    };
    auto port = openConfigured(pty.path(), calls);
    ASSERT_NE(port, nullptr);
    std::uint8_t buffer[19];

    failRead = true;
    ASSERT_TRUE(pty.send({1, 2, 3}));
    EXPECT_EQ(port->read(buffer, sizeof buffer), -1);
    failRead = false;
    ASSERT_TRUE(port->purge());

    // The far end disappearing in the middle of a read ends it at once.
    const auto start = Clock::now();
    std::thread hangUp([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        pty.hangUp();
    });
    EXPECT_EQ(port->read(buffer, sizeof buffer), -1);
    hangUp.join();
    EXPECT_LT(msSince(start), 120.0);
    EXPECT_EQ(port->read(buffer, sizeof buffer), -1);
    const Bytes identify = frame(0x11);
    EXPECT_FALSE(port->write(identify.data(), identify.size()));
}

TEST(PosixSerialPortWrite, WholeFrameOrTimeOut) {
    PtyPair pty;
    ASSERT_TRUE(pty.ok());
    auto port = openConfigured(pty.path());
    ASSERT_NE(port, nullptr);

    const Bytes longest = frame(0xF3, Bytes(16, 0xA5));
    ASSERT_EQ(longest.size(), 19u);
    EXPECT_TRUE(port->write(longest.data(), longest.size()));
    EXPECT_EQ(pty.receive(19, 500), longest);

    // Output held back (as by flow control): the write gives up after 50 + 20 x 3 ms and
    // the frame does not go out later.
    ASSERT_EQ(::tcflow(pty.keeper(), TCOOFF), 0);
    const Bytes open = frame(0xF1);
    const auto start = Clock::now();
    EXPECT_FALSE(port->write(open.data(), open.size()));
    const double ms = msSince(start);
    EXPECT_GE(ms, 105.0);
    EXPECT_LE(ms, 400.0);
    ASSERT_EQ(::tcflow(pty.keeper(), TCOON), 0);

    const Bytes identify = frame(0x11);
    EXPECT_TRUE(port->write(identify.data(), identify.size()));
    EXPECT_EQ(pty.receive(6, 200), identify);
}
