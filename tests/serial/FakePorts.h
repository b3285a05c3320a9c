#pragma once
// In-process ports that record what is done to them, for the search logic and the order of
// the configuration steps, without real time. The search probes ports on threads of its own,
// so everything shared between ports is behind the port system's mutex.

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "../support/Frames.h"
#include "ByteStream.h"
#include "PortSystem.h"
#include "SerialPort.h"

struct NoSleep : Sleeper {
    void sleepMs(int) override {}
};

// What sits behind one port name.
struct FakeDevice {
    // Answer to each written frame, in turn; none left: silence.
    std::deque<Bytes> replies;
    std::set<std::string> failingSteps;  // "buffers", "read", "write", "timeouts", "purge"
    int opensBeforeFailing = -1;         // opens that succeed before every further one fails
    QString failureReason = QStringLiteral("no such device");
    std::vector<Bytes> written;
    // What was done to this device alone, in order ("open", the steps, "send", "close").
    std::vector<std::string> log;
    // Runs on the probing thread when a frame is written, before the reply is queued.
    std::function<void()> onWrite;
    // Every read fails, as on a line that hung up.
    bool hungUp = false;
};

class FakePort : public SerialPort {
public:
    FakePort(const QString& name, FakeDevice& device, std::vector<std::string>& log,
             std::mutex& mutex)
        : name_(name.toStdString()), device_(device), log_(log), mutex_(&mutex) {}
    // A port on its own, with nobody else writing to its log.
    FakePort(const QString& name, FakeDevice& device, std::vector<std::string>& log)
        : name_(name.toStdString()), device_(device), log_(log), mutex_(&ownMutex_) {}
    ~FakePort() override { note("close"); }

    bool write(const std::uint8_t* data, std::size_t count) override {
        device_.written.emplace_back(data, data + count);
        note("send");
        if (device_.onWrite)
            device_.onWrite();
        if (!device_.replies.empty()) {
            const Bytes& r = device_.replies.front();
            pending_.insert(pending_.end(), r.begin(), r.end());
            device_.replies.pop_front();
        }
        return true;
    }
    int read(std::uint8_t* buffer, std::size_t maxCount) override {
        if (device_.hungUp)
            return -1;
        std::size_t n = 0;
        while (n < maxCount && !pending_.empty()) {
            buffer[n++] = pending_.front();
            pending_.pop_front();
        }
        return static_cast<int>(n);
    }
    bool setBufferSizes(int receiveBytes, int transmitBytes) override {
        bufferSizes = {receiveBytes, transmitBytes};
        return step("buffers");
    }
    bool readLineSettings() override { return step("read"); }
    bool writeLineSettings(const LineParameters& l) override {
        line = l;
        return step("write");
    }
    bool setTimeouts(const SerialTimeouts& t) override {
        timeouts = t;
        return step("timeouts");
    }
    bool purge() override { return step("purge"); }

    std::pair<int, int> bufferSizes{};
    LineParameters line{0, 0, LineParameters::Parity::Odd, 0};
    SerialTimeouts timeouts{-1, -1, -1, -1, -1};

private:
    bool step(const std::string& what) {
        {
            const std::lock_guard<std::mutex> lock(*mutex_);
            log_.push_back(what);
        }
        device_.log.push_back(what);
        return device_.failingSteps.count(what) == 0;
    }
    void note(const std::string& what) {
        {
            const std::lock_guard<std::mutex> lock(*mutex_);
            log_.push_back(what + " " + name_);
        }
        device_.log.push_back(what);
    }

    std::string name_;
    FakeDevice& device_;
    std::vector<std::string>& log_;
    std::mutex* mutex_;
    std::mutex ownMutex_;
    std::deque<std::uint8_t> pending_;
};

class FakePortSystem : public PortSystem {
public:
    QStringList portNames() const override {
        ++listings;
        return names;
    }
    std::unique_ptr<SerialPort> open(const QString& path, QString* reason) override {
        const std::lock_guard<std::mutex> lock(mutex);
        log.push_back("open " + path.toStdString());
        auto it = devices.find(path);
        if (it != devices.end())
            it->second.log.push_back("open");
        if (it == devices.end() || it->second.opensBeforeFailing == 0) {
            if (reason != nullptr)
                *reason = it == devices.end() ? QStringLiteral("no such device")
                                              : it->second.failureReason;
            return nullptr;
        }
        if (it->second.opensBeforeFailing > 0)
            --it->second.opensBeforeFailing;
        return std::make_unique<FakePort>(path, it->second, log, mutex);
    }

    QStringList names;
    // Devices must all be in place before a search starts: the probes hold on to them.
    std::map<QString, FakeDevice> devices;
    std::vector<std::string> log;  // every port's events, in the order they happened
    mutable int listings = 0;
    std::mutex mutex;
};
