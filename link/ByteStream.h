#pragma once

#include <cstddef>
#include <cstdint>

// A serial line as the frame exchange sees it.
class ByteStream {
public:
    virtual ~ByteStream() = default;
    // Blocking write of a whole frame; false when the write failed or timed out.
    virtual bool write(const std::uint8_t* data, std::size_t count) = 0;
    // Blocking read of up to maxCount bytes within the line's read time-outs.
    // Returns the number of bytes stored (0 is a valid result) or -1 when the read failed.
    virtual int read(std::uint8_t* buffer, std::size_t maxCount) = 0;
};

// Sleeping, so that tests can run the exchange without waiting.
class Sleeper {
public:
    virtual ~Sleeper() = default;
    virtual void sleepMs(int ms) = 0;
};

class ThreadSleeper : public Sleeper {
public:
    void sleepMs(int ms) override;
};
