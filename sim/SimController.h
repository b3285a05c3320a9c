#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include <QString>

#include "CalibrationImage.h"

// Protocol engine of the controller simulator: takes request bytes, answers like a controller.
class SimController {
public:
    // The byte and bit a corrupting commit flips: the maximum motor current, a setting of
    // every controller.
    static constexpr int CorruptedByte = 14;
    static constexpr std::uint8_t CorruptedBit = 0x01;
    using Image = std::array<std::uint8_t, CalibrationImage::Size>;
    using Frame = std::vector<std::uint8_t>;

    struct Options {
        std::uint8_t versionMajor = 0x04;
        std::uint8_t versionMinor = 0x05;
        std::uint8_t acceptance = 1;
        bool silent = false;           // never answer
        bool badChecksum = false;      // answer with a wrong checksum
        bool shortReads = false;       // answer 0xF2 with 8 bytes instead of 16
        int delayMs = 0;               // wait before every reply (applied by the transport)
        int dropAfter = -1;            // stop answering after this many replies; -1 never
        bool corruptCommit = false;    // keep a committed image with one settings bit flipped
        bool loseCommitReply = false;  // commit, then stay silent to that one request
    };

    SimController();
    explicit SimController(const Options& options);

    Options options;
    Image image{};
    Image staging{};
    // Called with the new image on every commit (0xF4); false makes the commit fail unanswered.
    std::function<bool(const Image&)> onCommit;
    // Called for every complete request frame: `ignored` is empty when it is answered, else
    // why the controller stays silent (a request a correct host never sends, or a fault mode).
    std::function<void(const Frame& request, const std::string& ignored)> onRequest;

    // Consumes request bytes and returns the reply frames they produce, in order.
    std::vector<Frame> feed(const std::uint8_t* data, std::size_t count);
    // The line went quiet: a partial request is thrown away.
    void resync() { pending_.clear(); }

    int replies() const { return replies_; }
    int commits() const { return commits_; }
    int requests() const { return requests_; }

    // A plausible TRN controller with regeneration and J1939 (model text, serial number,
    // regeneration marker "1" at byte 71, variant letter J).
    static Image sampleImage();

private:
    // The reply to a request, or empty with the reason for silence in *ignored.
    bool handle(const Frame& request, Frame& reply, std::string* ignored);
    // The reply to a request whose checksum is right: null with the reply in place, else why
    // the controller stays silent.
    const char* answer(std::uint8_t command, const std::uint8_t* data, int length, Frame& reply);
    const char* takeChunk(const std::uint8_t* data, int length, Frame& reply);
    const char* commit(int length, Frame& reply);
    Frame makeReply(std::uint8_t command, const std::uint8_t* data, int length) const;

    Frame pending_;
    // Where a write sequence stands: -1 before 0xF1, else the number of chunks received.
    int chunksWritten_ = -1;
    int replies_ = 0;
    int commits_ = 0;
    int requests_ = 0;
};

// Image files of exactly 128 bytes. A missing file is created from the sample image.
bool loadOrCreateImageFile(const QString& path, SimController::Image& image, QString* error);
// Writes the file atomically: either the whole new image is on disk (written, flushed and
// synced before the rename), or the old file stays as it was and *error says why.
bool saveImageFile(const QString& path, const SimController::Image& image, QString* error);
