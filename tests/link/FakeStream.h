#pragma once
// Scripted stand-ins for the serial line and the clock, so link logic runs without waiting.

#include <cstdint>
#include <deque>
#include <vector>

#include "../support/Frames.h"
#include "ByteStream.h"

struct FakeSleeper : Sleeper {
    std::vector<int> sleeps;
    void sleepMs(int ms) override { sleeps.push_back(ms); }
    int total() const {
        int t = 0;
        for (int s : sleeps) t += s;
        return t;
    }
};

// Each read returns the next planned chunk (possibly empty); a planned failure returns -1;
// once the plan is used up reads return nothing.
class FakeStream : public ByteStream {
public:
    struct Read {
        std::vector<std::uint8_t> bytes;
        bool fail = false;
    };

    void plan(std::vector<std::uint8_t> bytes) { reads_.push_back({std::move(bytes), false}); }
    void planEmpty(int count = 1) {
        for (int i = 0; i < count; ++i) reads_.push_back({{}, false});
    }
    void planFailure() { reads_.push_back({{}, true}); }

    bool write(const std::uint8_t* data, std::size_t count) override {
        writes.emplace_back(data, data + count);
        return writeResult;
    }
    int read(std::uint8_t* buffer, std::size_t maxCount) override {
        ++readCalls;
        if (reads_.empty())
            return 0;
        Read r = std::move(reads_.front());
        reads_.pop_front();
        if (r.fail)
            return -1;
        const std::size_t n = std::min(maxCount, r.bytes.size());
        std::copy_n(r.bytes.begin(), n, buffer);
        return static_cast<int>(n);
    }

    std::vector<std::vector<std::uint8_t>> writes;
    bool writeResult = true;
    int readCalls = 0;

private:
    std::deque<Read> reads_;
};
