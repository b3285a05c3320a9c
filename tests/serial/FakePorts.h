#pragma once
// In-process ports that record what is done to them, for the search logic and the order of
// the configuration steps, without real time.

#include <deque>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "ByteStream.h"
#include "PortSystem.h"
#include "SerialPort.h"
#include "../support/Frames.h"

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
};

class FakePort : public SerialPort {
public:
    FakePort(const QString& name, FakeDevice& device, std::vector<std::string>& log)
        : name_(name.toStdString()), device_(device), log_(log) {}
    ~FakePort() override { log_.push_back("close " + name_); }

    bool write(const std::uint8_t* data, std::size_t count) override {
        device_.written.emplace_back(data, data + count);
        log_.push_back("send " + name_);
        if (!device_.replies.empty()) {
            const Bytes& r = device_.replies.front();
            pending_.insert(pending_.end(), r.begin(), r.end());
            device_.replies.pop_front();
        }
        return true;
    }
    int read(std::uint8_t* buffer, std::size_t maxCount) override {
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
        log_.push_back(what);
        return device_.failingSteps.count(what) == 0;
    }

    std::string name_;
    FakeDevice& device_;
    std::vector<std::string>& log_;
    std::deque<std::uint8_t> pending_;
};

class FakePortSystem : public PortSystem {
public:
    QStringList portNames() const override {
        ++listings;
        return names;
    }
    std::unique_ptr<SerialPort> open(const QString& path, QString* reason) override {
        log.push_back("open " + path.toStdString());
        auto it = devices.find(path);
        if (it == devices.end() || it->second.opensBeforeFailing == 0) {
            if (reason != nullptr)
                *reason = it == devices.end() ? QStringLiteral("no such device") : it->second.failureReason;
            return nullptr;
        }
        if (it->second.opensBeforeFailing > 0) --it->second.opensBeforeFailing;
        return std::make_unique<FakePort>(path, it->second, log);
    }

    QStringList names;
    std::map<QString, FakeDevice> devices;
    std::vector<std::string> log;
    mutable int listings = 0;
};
