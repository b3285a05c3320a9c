#include <gtest/gtest.h>

#include <cerrno>

#include "FakePorts.h"
#include "PortSystem.h"
#include "PosixSerialPort.h"
#include "SerialSupport.h"

namespace {

struct Reports {
    std::vector<int> ids;
    std::function<void(int)> sink() {
        return [this](int id) { ids.push_back(id); };
    }
};

const std::vector<std::string> AllSteps{"buffers", "read", "write", "timeouts", "purge"};

}  // namespace

TEST(ConfigurePort, StepsInOrderWithTheControllerSettings) {
    FakeDevice device;
    std::vector<std::string> log;
    FakePort port(QStringLiteral("A"), device, log);
    Reports reports;
    EXPECT_TRUE(ConfigurePort(port, true, reports.sink()));
    EXPECT_TRUE(reports.ids.empty());
    EXPECT_EQ(log, AllSteps);
    EXPECT_EQ(port.bufferSizes, (std::pair<int, int>{512, 512}));
    EXPECT_EQ(port.line.baudRate, 19200);
    EXPECT_EQ(port.line.dataBits, 8);
    EXPECT_EQ(port.line.parity, LineParameters::Parity::None);
    EXPECT_EQ(port.line.stopBits, 1);
    EXPECT_EQ(port.timeouts.readIntervalMs, 20);
    EXPECT_EQ(port.timeouts.readTotalPerByteMs, 5);
    EXPECT_EQ(port.timeouts.readTotalConstantMs, 50);
    EXPECT_EQ(port.timeouts.writeTotalPerByteMs, 20);
    EXPECT_EQ(port.timeouts.writeTotalConstantMs, 50);
}

TEST(ConfigurePort, EachFailingStepReportsOnceAndTheRestStillRuns) {
    const std::vector<std::set<std::string>> failures{
        {"buffers"},
        {"read"},
        {"write"},
        {"timeouts"},
        {"purge"},
        {"read", "purge"},
        {"buffers", "read", "write", "timeouts", "purge"},
    };
    for (const auto& failing : failures) {
        for (const bool report : {true, false}) {
            SCOPED_TRACE(testing::Message() << failing.size() << " failing, report " << report);
            FakeDevice device;
            device.failingSteps = failing;
            std::vector<std::string> log;
            FakePort port(QStringLiteral("A"), device, log);
            Reports reports;
            EXPECT_FALSE(ConfigurePort(port, report, reports.sink()));
            EXPECT_EQ(log, AllSteps);
            EXPECT_EQ(reports.ids, std::vector<int>(report ? failing.size() : 0, 164));
        }
    }
}

TEST(ConfigurePort, SetsTheRealLine) {
    PtyPair pty;
    ASSERT_TRUE(pty.ok());
    int error = 0;
    auto port = PosixSerialPort::open(pty.path(), &error);
    ASSERT_NE(port, nullptr);
    ASSERT_TRUE(pty.send({1, 2, 3}));
    Reports reports;
    EXPECT_TRUE(ConfigurePort(*port, true, reports.sink()));
    EXPECT_TRUE(reports.ids.empty());

    // Seen through another handle of the same line.
    termios tio{};
    ASSERT_EQ(::tcgetattr(pty.keeper(), &tio), 0);
    EXPECT_EQ(::cfgetospeed(&tio), static_cast<speed_t>(B19200));
    EXPECT_EQ(::cfgetispeed(&tio), static_cast<speed_t>(B19200));
    EXPECT_EQ(tio.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_EQ(tio.c_cflag & (PARENB | CSTOPB), 0u);
    EXPECT_EQ(tio.c_cflag & (CREAD | CLOCAL), static_cast<tcflag_t>(CREAD | CLOCAL));
    EXPECT_EQ(tio.c_lflag & (ICANON | ECHO | ISIG), 0u);
    EXPECT_EQ(tio.c_iflag & (IXON | IXOFF | ICRNL), 0u);
    EXPECT_EQ(tio.c_oflag & OPOST, 0u);
    EXPECT_EQ(port->receiveBufferSize(), 512);
    EXPECT_EQ(port->transmitBufferSize(), 512);

    // The purge threw away what was waiting.
    std::uint8_t buffer[19];
    EXPECT_EQ(port->read(buffer, sizeof buffer), 0);
}

// System calls failing on a real terminal, one at a time.
TEST(ConfigurePort, FailingSystemCallsOnARealLine) {
    struct Case {
        const char* what;
        std::function<void(PosixSerialPort::Calls&)> breakIt;
        int reports;
    };
    const Case cases[] = {
        {"tcgetattr fails: nothing to start from, nothing to check the write against",
         [](PosixSerialPort::Calls& c) {
             c.tcgetattr = [](int, termios*) {
                 errno = EIO;
                 return -1;
             };
         },
         2},
        {"tcsetattr fails",
         [](PosixSerialPort::Calls& c) {
             c.tcsetattr = [](int, int, const termios*) {
                 errno = EINVAL;
                 return -1;
             };
         },
         1},
        {"tcsetattr claims success but the line keeps its old speed",
         [](PosixSerialPort::Calls& c) {
             c.tcsetattr = [](int, int, const termios*) { return 0; };
         },
         1},
        {"tcflush fails",
         [](PosixSerialPort::Calls& c) {
             c.tcflush = [](int, int) {
                 errno = EIO;
                 return -1;
             };
         },
         1},
    };
    for (const Case& c : cases) {
        for (const bool report : {true, false}) {
            SCOPED_TRACE(testing::Message() << c.what << ", report " << report);
            PtyPair pty;
            ASSERT_TRUE(pty.ok());
            PosixSerialPort::Calls calls;
            c.breakIt(calls);
            int error = 0;
            auto port = PosixSerialPort::open(pty.path(), &error, calls);
            ASSERT_NE(port, nullptr);
            Reports reports;
            EXPECT_FALSE(ConfigurePort(*port, report, reports.sink()));
            EXPECT_EQ(reports.ids, std::vector<int>(report ? c.reports : 0, 164));
        }
    }
}
