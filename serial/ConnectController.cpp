#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <thread>

#include <QCoreApplication>

#include "ControllerLink.h"
#include "PortSystem.h"
#include "PosixSerialPort.h"

namespace {

// Position of the acceptance byte (data byte 2) in the identify reply.
constexpr int AcceptancePosition = 4;

PortSystem& systemPorts() {
    static PortSystem ports;
    return ports;
}

// The line a probe talks through. Once the search no longer needs this port's answer, reads
// fail at once, so the probe ends within the read that is under way.
class ProbeStream : public ByteStream {
public:
    ProbeStream(std::unique_ptr<SerialPort> port, const std::atomic<bool>& stop)
        : port_(std::move(port)), stop_(stop) {}
    // Cuts a read under way short where the port can; otherwise the next read fails.
    void interrupt() {
        if (auto* posix = dynamic_cast<PosixSerialPort*>(port_.get()))
            posix->interrupt();
    }
    bool write(const std::uint8_t* data, std::size_t count) override {
        return port_->write(data, count);
    }
    int read(std::uint8_t* buffer, std::size_t maxCount) override {
        return stop_ ? -1 : port_->read(buffer, maxCount);
    }
    std::unique_ptr<SerialPort> release() { return std::move(port_); }

private:
    std::unique_ptr<SerialPort> port_;
    const std::atomic<bool>& stop_;
};

// One port's probe: the opens, settings and identify exchange of the sequential search, on a
// frame state of its own.
struct Probe {
    PortOutcome outcome;
    int settingFailures = 0;  // message 164s the first configuration asked for
    bool done = false;
    std::unique_ptr<SerialPort> port;  // kept only when accepted
    std::array<std::uint8_t, ControllerLink::TransmitSize> transmit{};
    std::array<std::uint8_t, ControllerLink::ReceiveSize> receive{};
    std::uint8_t receiveCount = 0;
    ProbeStream* live = nullptr;  // the line while the identify exchange runs; under the mutex

    bool accepted() const { return outcome.kind == PortOutcome::Kind::Accepted; }

    void run(PortSystem& system, Sleeper& sleeper, const std::atomic<bool>& stop,
             std::mutex& mutex) {
        using Kind = PortOutcome::Kind;
        const QString& name = outcome.port;
        if (stop) {
            outcome.kind = Kind::NotNeeded;
            return;
        }
        std::unique_ptr<SerialPort> first = system.open(name, &outcome.reason);
        if (!first) {
            outcome.kind = Kind::NotOpened;
            return;
        }
        ConfigurePort(*first, true, [this](int) { ++settingFailures; });
        first.reset();
        std::unique_ptr<SerialPort> second = system.open(name, &outcome.reason);
        if (!second) {
            outcome.kind = Kind::NotOpened;
            return;
        }
        outcome.reason.clear();
        ConfigurePort(*second, false, {});

        ControllerLink line(sleeper);
        auto stream = std::make_unique<ProbeStream>(std::move(second), stop);
        ProbeStream* probeStream = stream.get();
        line.attach(std::move(stream));
        {
            const std::lock_guard<std::mutex> lock(mutex);
            live = probeStream;
        }
        const bool answered = line.IdentifyController();
        {
            const std::lock_guard<std::mutex> lock(mutex);
            live = nullptr;
        }
        // A reply shorter than three data bytes must not make a silent or foreign device
        // look like a controller.
        const std::uint8_t acceptance = line.receive[AcceptancePosition];
        if (answered && line.replyLength() >= 3 && (acceptance == 1 || acceptance == 2)) {
            outcome.kind = Kind::Accepted;
            port = probeStream->release();
            transmit = line.transmit;
            receive = line.receive;
            receiveCount = line.receiveCount;
        } else if (answered) {
            outcome.kind = Kind::Refused;
            outcome.reason =
                line.replyLength() >= 3
                    ? QCoreApplication::translate("Port", "acceptance byte %1").arg(acceptance)
                    : QCoreApplication::translate("Port", "a reply of %1 data bytes")
                          .arg(line.replyLength());
        } else if (stop) {
            outcome.kind = Kind::NotNeeded;
        } else if (line.lastReceive == ControllerLink::Receive::BadChecksum) {
            outcome.kind = Kind::BadFrame;
        } else if (line.lastReceive == ControllerLink::Receive::ReadFailed) {
            outcome.kind = Kind::LineFailed;
        } else {
            outcome.kind = Kind::Silent;
        }
    }
};

}  // namespace

QString PortOutcome::text() const {
    switch (kind) {
        case Kind::NotOpened:
            return QCoreApplication::translate("Port", "cannot open %1: %2").arg(port, reason);
        case Kind::Silent:
            return QCoreApplication::translate("Port", "%1: opened, no answer").arg(port);
        case Kind::BadFrame:
            return QCoreApplication::translate("Port", "%1: answered with a bad checksum")
                .arg(port);
        case Kind::LineFailed:
            return QCoreApplication::translate("Port",
                                               "%1: the line failed while waiting for an answer")
                .arg(port);
        case Kind::Refused:
            return QCoreApplication::translate("Port", "%1: answered, but not as a controller (%2)")
                .arg(port, reason);
        case Kind::Accepted:
            return QCoreApplication::translate("Port", "%1: controller found").arg(port);
        case Kind::NotNeeded:
            return QCoreApplication::translate(
                       "Port", "%1: not needed, a controller answered earlier in the list")
                .arg(port);
    }
    return {};
}

bool ControllerLink::ConnectController() {
    if (portOpen == 1) {
        close();
        return true;
    }
    PortSystem& system = portSystem != nullptr ? *portSystem : systemPorts();
    EnumerateSerialPorts(system, portNames);
    return search(portNames);
}

bool ControllerLink::ConnectPort(const QString& path) {
    if (portOpen == 1)
        return false;
    return search({path});
}

QString ControllerLink::searchDetail() const {
    if (searchOutcomes.empty())
        return openFailures.join(QLatin1Char('\n'));
    QStringList lines;
    for (const PortOutcome& o : searchOutcomes) lines << o.text();
    return lines.join(QLatin1Char('\n'));
}

bool ControllerLink::search(const QStringList& listed) {
    close();  // a stream attached without the flag is not a connection either
    openFailures.clear();
    searchOutcomes.clear();
    PortSystem& system = portSystem != nullptr ? *portSystem : systemPorts();

    // A device listed twice is probed once: two probes would lock each other out.
    QStringList names;
    for (const QString& name : listed)
        if (!names.contains(name))
            names << name;
    const std::size_t count = static_cast<std::size_t>(names.size());
    std::vector<Probe> probes(count);
    for (std::size_t i = 0; i < count; ++i)
        probes[i].outcome.port = names[static_cast<qsizetype>(i)];

    std::mutex mutex;
    std::condition_variable changed;
    std::atomic<bool> stop{false};
    std::vector<std::thread> threads;
    threads.reserve(count);
    for (Probe& probe : probes) {
        threads.emplace_back([&, p = &probe] {
            p->run(system, sleeper_, stop, mutex);
            const std::lock_guard<std::mutex> lock(mutex);
            p->done = true;
            changed.notify_all();
        });
    }

    // The first port in list order that has not failed decides: once it is accepted, every
    // port after it is given up.
    std::ptrdiff_t chosen = -1;
    {
        std::unique_lock<std::mutex> lock(mutex);
        QStringList waitingBefore;
        for (;;) {
            std::size_t first = 0;
            while (first < count && probes[first].done && !probes[first].accepted()) ++first;
            if (first == count)
                break;
            if (probes[first].done) {
                chosen = static_cast<std::ptrdiff_t>(first);
                break;
            }
            QStringList waiting;
            for (const Probe& p : probes)
                if (!p.done)
                    waiting << p.outcome.port;
            if (progress && waiting != waitingBefore) {
                LinkProgress news;
                news.ports = waiting;
                progress(news);
            }
            waitingBefore = waiting;
            changed.wait(lock);
        }
    }
    {
        const std::lock_guard<std::mutex> lock(mutex);
        stop = true;
        for (Probe& p : probes)
            if (p.live != nullptr)
                p.live->interrupt();
    }
    for (std::thread& t : threads) t.join();

    // Messages and notes only for the ports up to the chosen one: those a search port by
    // port would have reached.
    const std::size_t reached = chosen >= 0 ? static_cast<std::size_t>(chosen) + 1 : count;
    for (std::size_t i = 0; i < count; ++i) {
        const PortOutcome& outcome = probes[i].outcome;
        searchOutcomes.push_back(outcome);
        if (i >= reached)
            continue;
        if (outcome.kind == PortOutcome::Kind::NotOpened)
            openFailures << outcome.text();
        if (probes[i].accepted())
            continue;
        if (searchNote)
            searchNote(outcome.text());
        else
            std::fprintf(stderr, "trnsetup: %s\n", outcome.text().toLocal8Bit().constData());
    }
    for (std::size_t i = 0; i < reached; ++i)
        for (int n = 0; n < probes[i].settingFailures; ++n)
            if (reportMessage)
                reportMessage(SetPortErrorMessage);

    if (chosen < 0)
        return false;
    Probe& found = probes[static_cast<std::size_t>(chosen)];
    attach(std::move(found.port));
    portName = found.outcome.port;
    transmit = found.transmit;
    receive = found.receive;
    receiveCount = found.receiveCount;
    frameStarted = 0;
    lastReceive = Receive::Complete;
    return true;
}
