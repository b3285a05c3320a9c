// The link's command sequences against a line that delivers whatever the fuzzer chooses.
// Input: a run of chunks, each a length byte then that many bytes; a length byte of 0xFF is
// a failing read. Every read takes the next chunk; once they run out, reads return nothing.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>

#include "CalibrationImage.h"
#include "ControllerLink.h"

namespace {

class NoSleep : public Sleeper {
public:
    void sleepMs(int) override {}
};

class FuzzedLine : public ByteStream {
public:
    FuzzedLine(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    bool write(const std::uint8_t*, std::size_t count) override { return count > 0 && count <= 19; }
    int read(std::uint8_t* buffer, std::size_t maxCount) override {
        if (at_ >= size_)
            return 0;
        const std::uint8_t length = data_[at_++];
        if (length == 0xFF)
            return -1;
        std::size_t n = length;
        if (n > size_ - at_)
            n = size_ - at_;
        if (n > maxCount)
            n = maxCount;
        for (std::size_t i = 0; i < n; ++i) buffer[i] = data_[at_ + i];
        at_ += length;  // bytes beyond what the reader asked for are lost, as on a real line
        return static_cast<int>(n);
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t at_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    NoSleep sleeper;
    ControllerLink link(sleeper);
    link.attach(std::make_unique<FuzzedLine>(data, size));
    CalibrationImage image;
    link.IdentifyController();
    link.ReadImage(image);
    link.WriteImage(image);
    if (link.receiveCount > ControllerLink::ReceiveSize ||
        link.replyLength() > ControllerLink::MaxData)
        std::abort();
    return 0;
}
