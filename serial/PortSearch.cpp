#include "PortSearch.h"

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#include <QCoreApplication>

#include "ControllerLink.h"
#include "PosixSerialPort.h"
#include "Wire.h"

namespace {

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
    std::vector<int> messages;  // what the first configuration asked to be shown
    bool done = false;
    std::unique_ptr<SerialPort> port;  // kept only when accepted
    std::array<std::uint8_t, wire::TransmitSize> transmit{};
    std::array<std::uint8_t, wire::ReceiveSize> receive{};
    std::uint8_t receiveCount = 0;
    ProbeStream* live = nullptr;  // the line while the identify exchange runs; under the mutex

    bool accepted() const { return outcome.kind == PortOutcome::Kind::Accepted; }

    void run(const PortSearch::Open& open, Sleeper& sleeper, const std::atomic<bool>& stop,
             std::mutex& mutex) {
        using Kind = PortOutcome::Kind;
        const QString& name = outcome.port;
        if (stop) {
            outcome.kind = Kind::NotNeeded;
            return;
        }
        std::unique_ptr<SerialPort> first = open(name, &outcome.reason);
        if (!first) {
            outcome.kind = Kind::NotOpened;
            return;
        }
        ConfigurePort(*first, true, [this](int id) { messages.push_back(id); });
        first.reset();
        std::unique_ptr<SerialPort> second = open(name, &outcome.reason);
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
        judge(line, answered, stop);
        if (accepted())
            port = probeStream->release();
    }

    // What the identify exchange on line made of this port.
    void judge(const ControllerLink& line, bool answered, const std::atomic<bool>& stop) {
        using Kind = PortOutcome::Kind;
        // A reply shorter than the identify reply must not make a silent or foreign device look
        // like a controller.
        const bool whole = line.replyLength() >= wire::IdentifyReplyLength;
        const std::uint8_t acceptance = line.replyData(wire::IdentifyAcceptance);
        if (answered && whole && (acceptance == 1 || acceptance == 2)) {
            outcome.kind = Kind::Accepted;
            transmit = line.transmit;
            receive = line.receive;
            receiveCount = line.receiveCount;
        } else if (answered) {
            outcome.kind = Kind::Refused;
            outcome.reason =
                whole ? QCoreApplication::translate("Port", "acceptance byte %1").arg(acceptance)
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

// Waits until the first port in list order that has not failed decides, telling progress the
// ports still waiting whenever they change; returns the chosen port, or -1 when none answered
// and was accepted. Called with the probes running, which set done under the mutex.
std::ptrdiff_t awaitChoice(const std::vector<Probe>& probes, std::mutex& mutex,
                           std::condition_variable& changed,
                           const std::function<void(const LinkProgress&)>& progress) {
    std::unique_lock<std::mutex> lock(mutex);
    const std::size_t count = probes.size();
    QStringList waitingBefore;
    for (;;) {
        std::size_t first = 0;
        while (first < count && probes[first].done && !probes[first].accepted()) ++first;
        if (first == count)
            return -1;
        if (probes[first].done)
            return static_cast<std::ptrdiff_t>(first);
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

// What the probes gave. Messages and notes only for the ports up to the chosen one: those a
// search port by port would have reached.
PortSearchResult gather(std::vector<Probe>& probes, std::ptrdiff_t chosen) {
    PortSearchResult result;
    const std::size_t count = probes.size();
    const std::size_t reached = chosen >= 0 ? static_cast<std::size_t>(chosen) + 1 : count;
    for (std::size_t i = 0; i < count; ++i) {
        const PortOutcome& outcome = probes[i].outcome;
        result.outcomes.push_back(outcome);
        if (i >= reached)
            continue;
        if (outcome.kind == PortOutcome::Kind::NotOpened)
            result.openFailures << outcome.text();
        if (!probes[i].accepted())
            result.notes << outcome.text();
    }
    for (std::size_t i = 0; i < reached; ++i)
        result.messages.insert(result.messages.end(), probes[i].messages.begin(),
                               probes[i].messages.end());
    if (chosen < 0)
        return result;
    Probe& found = probes[static_cast<std::size_t>(chosen)];
    result.port = std::move(found.port);
    result.portName = found.outcome.port;
    result.transmit = found.transmit;
    result.receive = found.receive;
    result.receiveCount = found.receiveCount;
    return result;
}

}  // namespace

PortSearchResult PortSearch::run(const QStringList& listed) {
    // A device listed twice is probed once: two probes would lock each other out.
    QStringList names;
    for (const QString& name : listed)
        if (!names.contains(name))
            names << name;
    std::vector<Probe> probes(static_cast<std::size_t>(names.size()));
    for (std::size_t i = 0; i < probes.size(); ++i)
        probes[i].outcome.port = names[static_cast<qsizetype>(i)];

    std::mutex mutex;
    std::condition_variable changed;
    std::atomic<bool> stop{false};
    std::vector<std::thread> threads;
    threads.reserve(probes.size());
    for (Probe& probe : probes) {
        threads.emplace_back([&, p = &probe] {
            p->run(open_, sleeper_, stop, mutex);
            const std::lock_guard<std::mutex> lock(mutex);
            p->done = true;
            changed.notify_all();
        });
    }

    // Once the chosen port is known, every port after it is given up.
    const std::ptrdiff_t chosen = awaitChoice(probes, mutex, changed, progress_);
    {
        const std::lock_guard<std::mutex> lock(mutex);
        stop = true;
        for (Probe& p : probes)
            if (p.live != nullptr)
                p.live->interrupt();
    }
    for (std::thread& t : threads) t.join();
    return gather(probes, chosen);
}
