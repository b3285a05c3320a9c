#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

#include <QFile>
#include <QTemporaryDir>

#include "../support/TrnsimProcess.h"
#include "CalibrationImage.h"
#include "ControllerLink.h"
#include "FakePorts.h"
#include "PortSystem.h"
#include "PosixSerialPort.h"
#include "SerialSupport.h"
#include "SimController.h"

namespace {

Bytes identifyReply(std::uint8_t acceptance) {
    return frame(0x11, {0x04, 0x05, acceptance});
}

struct FakeSearch : ::testing::Test {
    NoSleep sleeper;
    // The ports and the reports outlive the link: closing its port at the end still logs.
    FakePortSystem ports;
    std::vector<int> reports;
    ControllerLink link{sleeper};
    void SetUp() override {
        link.portSystem = &ports;
        link.reportMessage = [this](int id) { reports.push_back(id); };
    }
    void add(const QString& name, FakeDevice device = {}) {
        ports.names.append(name);
        ports.devices[name] = std::move(device);
    }
    static FakeDevice controller(std::uint8_t acceptance = 1) {
        FakeDevice d;
        d.replies.push_back(identifyReply(acceptance));
        return d;
    }
};

// Holds each probe at its identify request until every port has got its own: a search that
// went port by port would never release the first, and fails after a generous wait instead.
struct AllAtOnce {
    explicit AllAtOnce(int ports) : expected(ports) {}
    void arrive() {
        std::unique_lock<std::mutex> lock(mutex);
        ++arrived;
        changed.notify_all();
        if (!changed.wait_for(lock, std::chrono::seconds(5),
                              [this] { return arrived >= expected; }))
            timedOut = true;
    }
    int expected;
    int arrived = 0;
    std::atomic<bool> timedOut{false};
    std::mutex mutex;
    std::condition_variable changed;
};

// The real port system, noting which devices it was asked to open.
class RecordingPorts : public PortSystem {
public:
    using PortSystem::PortSystem;
    std::unique_ptr<SerialPort> open(const QString& path, QString* reason) override {
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            opened.append(path);
        }
        return PortSystem::open(path, reason);
    }
    QStringList sortedOpened() const {
        QStringList list = opened;
        list.sort();
        return list;
    }
    QStringList opened;

private:
    std::mutex mutex_;
};

struct RealSearch : ::testing::Test {
    ThreadSleeper sleeper;
    ControllerLink link{sleeper};
    std::vector<int> reports;
    std::unique_ptr<RecordingPorts> ports;
    void SetUp() override {
        link.reportMessage = [this](int id) { reports.push_back(id); };
    }
    bool connect(const QStringList& names) {
        ports = std::make_unique<RecordingPorts>(names);
        link.portSystem = ports.get();
        return link.ConnectController();
    }
};

bool deviceFree(const QString& path) {
    int error = 0;
    return PosixSerialPort::open(path, &error) != nullptr;
}

}  // namespace

// ---- The search, step by step, on recording ports --------------------------------------

TEST_F(FakeSearch, ConfiguresTwiceThenIdentifiesAndKeepsTheAnsweringPort) {
    add(QStringLiteral("A"));  // no controller behind it
    add(QStringLiteral("B"), controller(2));
    ASSERT_TRUE(link.ConnectController());
    const std::vector<std::string> steps{"buffers", "read", "write", "timeouts", "purge"};
    for (const char* name : {"A", "B"}) {
        std::vector<std::string> expected{"open"};
        expected.insert(expected.end(), steps.begin(), steps.end());
        expected.push_back("close");
        expected.push_back("open");
        expected.insert(expected.end(), steps.begin(), steps.end());
        expected.push_back("send");
        if (name == std::string("A"))
            expected.push_back("close");
        EXPECT_EQ(ports.devices[QString::fromLatin1(name)].log, expected) << name;
    }
    EXPECT_EQ(link.portName, QStringLiteral("B"));
    EXPECT_EQ(ports.devices[QStringLiteral("A")].written, std::vector<Bytes>{frame(0x11)});
    EXPECT_EQ(link.portOpen, 1);
    EXPECT_NE(link.port, nullptr);
    EXPECT_EQ(link.portNames, (QStringList{QStringLiteral("A"), QStringLiteral("B")}));
    EXPECT_TRUE(link.openFailures.isEmpty());
    EXPECT_TRUE(reports.empty());
}

TEST_F(FakeSearch, AcceptanceByteAndWhatEachPortGave) {
    using Kind = PortOutcome::Kind;
    const struct {
        Bytes reply;
        bool hungUp;
        Kind kind;
        const char* text;
    } cases[] = {
        {identifyReply(0), false, Kind::Refused,
         "A: answered, but not as a controller (acceptance byte 0)"},
        {identifyReply(1), false, Kind::Accepted, "A: controller found"},
        {identifyReply(2), false, Kind::Accepted, "A: controller found"},
        {identifyReply(3), false, Kind::Refused,
         "A: answered, but not as a controller (acceptance byte 3)"},
        {[] {
             Bytes f = identifyReply(1);
             f.back() ^= 0xFF;
             return f;
         }(),
         false, Kind::BadFrame, "A: answered with a bad checksum"},
        {frame(0x11, {0x04, 0x05, 0x01, 0x00}), false, Kind::Accepted, "A: controller found"},
        {frame(0x11, {0x04}), false, Kind::Refused,
         "A: answered, but not as a controller (a reply of 1 data bytes)"},
        {{}, false, Kind::Silent, "A: opened, no answer"},
        {identifyReply(1), true, Kind::LineFailed,
         "A: the line failed while waiting for an answer"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        FakeDevice d;
        if (!c.reply.empty())
            d.replies.push_back(c.reply);
        d.hungUp = c.hungUp;
        add(QStringLiteral("A"), d);
        const bool accepted = c.kind == Kind::Accepted;
        EXPECT_EQ(link.ConnectController(), accepted);
        EXPECT_EQ(link.portOpen, accepted ? 1 : 0);
        EXPECT_EQ(link.port != nullptr, accepted);
        ASSERT_EQ(link.searchOutcomes.size(), 1u);
        EXPECT_EQ(link.searchOutcomes[0].kind, c.kind);
        EXPECT_EQ(link.searchDetail(), QString::fromLatin1(c.text));
        link.close();
        ports.names.clear();
    }
}

TEST_F(FakeSearch, ShortReplyCannotBorrowAnEarlierAcceptanceByte) {
    add(QStringLiteral("A"), controller(1));
    ASSERT_TRUE(link.ConnectController());
    ASSERT_TRUE(link.ConnectController());  // disconnect; the old reply stays in the buffer
    ASSERT_EQ(link.receive[4], 1);

    ports.names.clear();
    FakeDevice foreign;
    foreign.replies.push_back(frame(0x11, {0x04}));
    add(QStringLiteral("B"), foreign);
    EXPECT_FALSE(link.ConnectController());
    EXPECT_EQ(link.portOpen, 0);
}

TEST_F(FakeSearch, OnlyTheFirstConfigurationReports) {
    FakeDevice d = controller();
    d.failingSteps = {"read", "purge"};
    add(QStringLiteral("A"), d);
    // The port is still taken when the controller answers.
    EXPECT_TRUE(link.ConnectController());
    EXPECT_EQ(reports, (std::vector<int>{164, 164}));
}

TEST_F(FakeSearch, PortsThatDoNotOpenArePassedOverWithTheirReasons) {
    FakeDevice locked;
    locked.opensBeforeFailing = 0;
    locked.failureReason = QStringLiteral("busy (in use by another program)");
    FakeDevice flaky = controller();
    flaky.opensBeforeFailing = 1;  // the reopen fails
    flaky.failureReason = QStringLiteral("no such device");
    add(QStringLiteral("L"), locked);
    add(QStringLiteral("F"), flaky);
    add(QStringLiteral("C"), controller());

    EXPECT_TRUE(link.ConnectController());
    EXPECT_EQ(link.openFailures,
              (QStringList{QStringLiteral("cannot open L: busy (in use by another program)"),
                           QStringLiteral("cannot open F: no such device")}));
    EXPECT_TRUE(reports.empty());
    // No configuration and no request went to the ports that did not open.
    EXPECT_TRUE(ports.devices[QStringLiteral("L")].written.empty());
    EXPECT_TRUE(ports.devices[QStringLiteral("F")].written.empty());
}

TEST_F(FakeSearch, NoPortsFailsAtOnce) {
    EXPECT_FALSE(link.ConnectController());
    EXPECT_TRUE(link.portNames.isEmpty());
    EXPECT_TRUE(ports.log.empty());
    EXPECT_EQ(link.portOpen, 0);
}

TEST_F(FakeSearch, DisconnectDoesNotSearchAndEachSearchListsAfresh) {
    add(QStringLiteral("X"));  // does not exist
    add(QStringLiteral("A"), controller());
    ports.devices.erase(QStringLiteral("X"));
    ASSERT_TRUE(link.ConnectController());
    ASSERT_EQ(link.openFailures.size(), 1);
    const int listings = ports.listings;

    EXPECT_TRUE(link.ConnectController());
    EXPECT_EQ(link.portOpen, 0);
    EXPECT_EQ(link.port, nullptr);
    EXPECT_EQ(ports.listings, listings);
    EXPECT_EQ(ports.log.back(), "close A");

    ports.names = {QStringLiteral("B")};
    ports.devices[QStringLiteral("B")] = controller();
    EXPECT_TRUE(link.ConnectController());
    EXPECT_EQ(link.portNames, QStringList{QStringLiteral("B")});
    EXPECT_TRUE(link.openFailures.isEmpty());
}

TEST_F(FakeSearch, EveryPortIsAskedBeforeAnyAnswerIsWaitedFor) {
    AllAtOnce gate(4);
    for (const char* name : {"A", "B", "C", "D"}) {
        FakeDevice d = name == std::string("C") ? controller() : FakeDevice{};
        d.onWrite = [&gate] { gate.arrive(); };
        add(QString::fromLatin1(name), std::move(d));
    }
    ASSERT_TRUE(link.ConnectController());
    EXPECT_FALSE(gate.timedOut) << "the ports were probed one after another";
    EXPECT_EQ(link.portName, QStringLiteral("C"));
    // Ports not chosen are closed; the identify request went to every port once.
    for (const char* name : {"A", "B", "D"})
        EXPECT_EQ(ports.devices[QString::fromLatin1(name)].log.back(), "close") << name;
    for (const auto& [name, device] : ports.devices)
        EXPECT_EQ(device.written, std::vector<Bytes>{frame(0x11)});
}

TEST_F(FakeSearch, FirstListedControllerWinsWhicheverAnswersFirst) {
    // The second controller answers while the first is still held at its request.
    std::atomic<bool> secondAsked{false};
    FakeDevice first = controller(1);
    first.replies.front() = frame(0x11, {0x07, 0x01, 0x01});
    first.onWrite = [&secondAsked] {
        for (int i = 0; i < 5000 && !secondAsked; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    };
    FakeDevice second = controller(2);
    second.onWrite = [&secondAsked] { secondAsked = true; };
    add(QStringLiteral("S"));
    add(QStringLiteral("first"), std::move(first));
    add(QStringLiteral("second"), std::move(second));
    ASSERT_TRUE(link.ConnectController());
    EXPECT_EQ(link.portName, QStringLiteral("first"));
    EXPECT_EQ(link.replyData(0), 0x07);  // the chosen port's reply is the link's
    EXPECT_EQ(ports.devices[QStringLiteral("second")].log.back(), "close");
    // Only the ports before the controller's are reported, as a search port by port would.
    ASSERT_EQ(link.searchOutcomes.size(), 3u);
    EXPECT_EQ(link.searchOutcomes[0].kind, PortOutcome::Kind::Silent);
}

TEST_F(FakeSearch, ProgressNamesThePortsStillWaiting) {
    std::vector<QStringList> news;
    std::mutex mutex;
    std::condition_variable told;
    link.progress = [&](const LinkProgress& p) {
        const std::lock_guard<std::mutex> lock(mutex);
        EXPECT_EQ(p.stage, LinkProgress::Stage::Searching);
        news.push_back(p.ports);
        told.notify_all();
    };
    // No probe may finish before the first news, so that it names every port.
    const auto holdUntilTold = [&] {
        std::unique_lock<std::mutex> lock(mutex);
        told.wait_for(lock, std::chrono::seconds(5), [&] { return !news.empty(); });
    };
    for (const char* name : {"A", "B", "C"}) {
        FakeDevice d;
        d.onWrite = holdUntilTold;
        add(QString::fromLatin1(name), std::move(d));
    }
    EXPECT_FALSE(link.ConnectController());
    ASSERT_FALSE(news.empty());
    EXPECT_EQ(news.front(),
              (QStringList{QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")}));
    for (std::size_t i = 1; i < news.size(); ++i) EXPECT_LT(news[i].size(), news[i - 1].size());
    EXPECT_EQ(link.searchDetail(),
              QStringLiteral("A: opened, no answer\nB: opened, no answer\nC: opened, no answer"));
    LinkProgress p;
    p.ports = news.front();
    EXPECT_EQ(p.text(), QStringLiteral("Searching for the controller on A, B, C"));
}

TEST_F(FakeSearch, ADeviceListedTwiceIsProbedOnce) {
    add(QStringLiteral("A"));
    add(QStringLiteral("B"), controller());
    ports.names << QStringLiteral("A");
    ASSERT_TRUE(link.ConnectController());
    EXPECT_EQ(ports.devices[QStringLiteral("A")].written.size(), 1u);
    EXPECT_EQ(link.portNames.size(), 3);
}

TEST_F(FakeSearch, ConnectPortProbesThatPathOnly) {
    add(QStringLiteral("A"), controller());
    add(QStringLiteral("B"), controller());
    ASSERT_TRUE(link.ConnectPort(QStringLiteral("B")));
    EXPECT_EQ(link.portName, QStringLiteral("B"));
    EXPECT_TRUE(ports.devices[QStringLiteral("A")].log.empty());
    EXPECT_EQ(ports.listings, 0);
    EXPECT_FALSE(link.ConnectPort(QStringLiteral("A"))) << "refused while connected";
}

TEST(EnumerateSerialPorts, NamedPortsExactlyAsGiven) {
    const QStringList named{QStringLiteral("/dev/ttyUSB1"), QStringLiteral("/dev/ttyS0"),
                            QStringLiteral("/dev/ttyUSB1")};
    QStringList names{QStringLiteral("stale")};
    EXPECT_EQ(EnumerateSerialPorts(PortSystem(named), names), 3);
    EXPECT_EQ(names, named);
}

// ---- The search against trnsim on real pseudo-terminals --------------------------------

TEST_F(RealSearch, FindsTheSimulatorAndReadsAndWritesItsImage) {
    for (const bool pace : {false, true}) {
        SCOPED_TRACE(pace ? "paced" : "unpaced");
        QTemporaryDir dir;
        ASSERT_TRUE(dir.isValid());
        const QString imageFile = dir.filePath(QStringLiteral("image.bin"));
        QStringList args{QStringLiteral("--image"), imageFile};
        if (pace)
            args << QStringLiteral("--pace");
        TrnsimProcess sim(args);
        ASSERT_FALSE(sim.device().isEmpty()) << qPrintable(sim.errors());

        auto start = Clock::now();
        ASSERT_TRUE(connect({sim.device()}));
        const double connectMs = msSince(start);
        EXPECT_EQ(link.portNames, QStringList{sim.device()});
        EXPECT_TRUE(reports.empty());

        CalibrationImage image;
        start = Clock::now();
        ASSERT_TRUE(link.ReadImage(image));
        const double readMs = msSince(start);
        const SimController::Image sample = SimController::sampleImage();
        for (int i = 0; i < CalibrationImage::Size; ++i) {
            if (i == 83 || i == 84)
                continue;  // firmware version from the identify reply
            ASSERT_EQ(image.byte(i), sample[static_cast<std::size_t>(i)]) << "byte " << i;
        }
        EXPECT_EQ(image.byte(83), 0x04);
        EXPECT_EQ(image.byte(84), 0x05);

        image.setByte(14, 77);
        image.setByte(127, 0x5A);
        start = Clock::now();
        ASSERT_TRUE(link.WriteImage(image));
        const double writeMs = msSince(start);
        QFile saved(imageFile);
        ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
        const QByteArray written = saved.readAll();
        ASSERT_EQ(written.size(), CalibrationImage::Size);
        EXPECT_EQ(static_cast<std::uint8_t>(written[14]), 77);
        EXPECT_EQ(static_cast<std::uint8_t>(written[127]), 0x5A);
        EXPECT_EQ(static_cast<std::uint8_t>(written[0]), sample[0]);

        std::printf("[ timing   ] %s: connect %.0f ms, ReadImage %.0f ms, WriteImage %.0f ms\n",
                    pace ? "trnsim --pace" : "trnsim", connectMs, readMs, writeMs);
        link.close();
    }
}

TEST_F(RealSearch, SilentPortIsPassedOverInAboutOneAndAHalfSeconds) {
    TrnsimProcess silent({QStringLiteral("--silent")});
    TrnsimProcess good;
    ASSERT_FALSE(silent.device().isEmpty());
    ASSERT_FALSE(good.device().isEmpty());
    const auto start = Clock::now();
    ASSERT_TRUE(connect({silent.device(), good.device()}));
    const double ms = msSince(start);
    QStringList expected{silent.device(), silent.device(), good.device(), good.device()};
    expected.sort();
    EXPECT_EQ(ports->sortedOpened(), expected);
    EXPECT_GE(ms, 1300.0);
    EXPECT_LE(ms, 2600.0);
    EXPECT_TRUE(deviceFree(silent.device())) << "a passed-over port is closed";
    EXPECT_FALSE(deviceFree(good.device())) << "the controller's port stays open";
    std::printf("[ timing   ] search past one silent port: %.0f ms\n", ms);
}

TEST_F(RealSearch, AcceptanceByteFromTheSimulator) {
    const struct {
        const char* accept;
        bool accepted;
    } cases[] = {{"0", false}, {"1", true}, {"2", true}, {"3", false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.accept);
        TrnsimProcess sim({QStringLiteral("--accept"), QString::fromLatin1(c.accept)});
        ASSERT_FALSE(sim.device().isEmpty());
        EXPECT_EQ(connect({sim.device()}), c.accepted);
        EXPECT_EQ(link.portOpen, c.accepted ? 1 : 0);
        link.close();
    }
}

TEST_F(RealSearch, FirstListedControllerWinsAndTheOtherIsClosed) {
    TrnsimProcess first;
    TrnsimProcess second({QStringLiteral("--version"), QStringLiteral("0300")});
    ASSERT_FALSE(first.device().isEmpty());
    ASSERT_FALSE(second.device().isEmpty());
    ASSERT_TRUE(connect({first.device(), second.device()}));
    EXPECT_EQ(link.portName, first.device());
    EXPECT_EQ(link.replyData(0), 0x04);
    EXPECT_TRUE(deviceFree(second.device()));
    EXPECT_FALSE(deviceFree(first.device()));
}

// The search costs about one silent port's time-out however many silent ports there are, and
// no more than one exchange when the controller comes first.
TEST_F(RealSearch, SilentPortsAreWaitedForTogether) {
    std::vector<std::unique_ptr<TrnsimProcess>> silent;
    for (int i = 0; i < 4; ++i) {
        silent.push_back(std::make_unique<TrnsimProcess>(QStringList{QStringLiteral("--silent")}));
        ASSERT_FALSE(silent.back()->device().isEmpty());
    }
    TrnsimProcess good;
    ASSERT_FALSE(good.device().isEmpty());
    QStringList before, after{good.device()};
    for (const auto& s : silent) before << s->device(), after << s->device();

    auto start = Clock::now();
    ASSERT_TRUE(connect(before + QStringList{good.device()}));
    const double behind = msSince(start);
    link.close();
    start = Clock::now();
    ASSERT_TRUE(connect(after));
    const double ahead = msSince(start);
    EXPECT_LE(behind, 2600.0);
    EXPECT_LE(ahead, 500.0);
    for (const QString& path : before) EXPECT_TRUE(deviceFree(path)) << qPrintable(path);
    std::printf(
        "[ timing   ] controller behind four silent ports: %.0f ms, ahead of them: %.0f ms\n",
        behind, ahead);
}

TEST_F(RealSearch, MissingBusyAndForeignDevicesAreSkipped) {
    TrnsimProcess held;
    TrnsimProcess good;
    ASSERT_FALSE(held.device().isEmpty());
    ASSERT_FALSE(good.device().isEmpty());
    LockHolder holder(held.device());
    ASSERT_TRUE(holder.holding());
    const QString missing = QStringLiteral("/dev/ttyNoSuchPort9");

    ASSERT_TRUE(connect({missing, held.device(), QStringLiteral("/dev/null"), good.device()}));
    EXPECT_EQ(
        link.openFailures,
        (QStringList{
            QStringLiteral("cannot open %1: no such device").arg(missing),
            QStringLiteral("cannot open %1: busy (in use by another program)").arg(held.device()),
            QStringLiteral("cannot open /dev/null: not a serial device")}));
    EXPECT_EQ(reports, std::vector<int>{});
    EXPECT_EQ(link.portNames.size(), 4);
    CalibrationImage image;
    EXPECT_TRUE(link.ReadImage(image));
}

TEST_F(RealSearch, ConnectWhileConnectedClosesThePort) {
    TrnsimProcess sim;
    ASSERT_FALSE(sim.device().isEmpty());
    ASSERT_TRUE(connect({sim.device()}));
    ASSERT_FALSE(deviceFree(sim.device()));
    EXPECT_TRUE(link.ConnectController());
    EXPECT_EQ(link.portOpen, 0);
    EXPECT_EQ(link.port, nullptr);
    EXPECT_TRUE(deviceFree(sim.device()));
    CalibrationImage image;
    EXPECT_FALSE(link.ReadImage(image));
    // And the next call searches again.
    EXPECT_TRUE(link.ConnectController());
    EXPECT_EQ(link.portOpen, 1);
}

TEST_F(RealSearch, SimulatorKilledMidExchangeFailsWithoutHanging) {
    TrnsimProcess sim({QStringLiteral("--delay"), QStringLiteral("150")});
    ASSERT_FALSE(sim.device().isEmpty());
    ASSERT_TRUE(connect({sim.device()}));

    bool result = true;
    double ms = 0;
    std::thread exchange([&] {
        CalibrationImage image;
        const auto start = Clock::now();
        result = link.ReadImage(image);
        ms = msSince(start);
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    sim.stop();
    exchange.join();
    EXPECT_FALSE(result);
    EXPECT_LT(ms, 1500.0);
    std::printf("[ timing   ] ReadImage with the simulator killed: false after %.0f ms\n", ms);
}
