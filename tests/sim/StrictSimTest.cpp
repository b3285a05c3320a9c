// The simulator answers only what a correct host sends, and times bytes as a 19200-baud line.
#include <gtest/gtest.h>

#include <string>

#include "../support/Frames.h"
#include "LinePacer.h"
#include "SimController.h"
#include "WriteChunks.h"

namespace {

// Feeds the requests one after another; true when the last one was answered. Every earlier
// request must be answered, so a row fails for the reason it names.
bool lastAnswered(SimController& sim, const std::vector<Bytes>& requests, std::string* ignored) {
    std::string why;
    sim.onRequest = [&why](const SimController::Frame&, const std::string& reason) {
        why = reason;
    };
    for (std::size_t i = 0; i < requests.size(); ++i) {
        const bool answered = sim.feed(requests[i].data(), requests[i].size()).size() == 1;
        if (i + 1 < requests.size() && !answered) {
            *ignored = "earlier request " + std::to_string(i) + " ignored: " + why;
            return false;
        }
        if (i + 1 == requests.size()) {
            *ignored = why;
            return answered;
        }
    }
    return false;
}

std::vector<Bytes> upToChunk(const SimController::Image& image, int k) {
    std::vector<Bytes> frames = writeSequence(image);
    frames.resize(static_cast<std::size_t>(k) + 1);  // the open and chunks 0 .. k-1
    return frames;
}

template <class Change>
Bytes changed(Bytes request, Change change) {
    request.pop_back();
    change(request);
    return frame(request[0], Bytes(request.begin() + 2, request.end()));
}

}  // namespace

TEST(StrictSimulator, AnswersOnlyWhatACorrectHostSends) {
    const SimController::Image image = SimController::sampleImage();
    const auto with = [&](std::vector<Bytes> before, Bytes last) {
        before.push_back(std::move(last));
        return before;
    };
    const std::vector<Bytes> opened{frame(0xF1)};
    const std::vector<Bytes> allChunks = upToChunk(image, 10);
    const struct {
        const char* what;
        std::vector<Bytes> requests;
        bool answered;
    } rows[] = {
        {"identify", {frame(0x11)}, true},
        {"identify with a data byte", {frame(0x11, {0})}, false},
        {"open", {frame(0xF1)}, true},
        {"open with a data byte", {frame(0xF1, {0})}, false},
        {"read of block 7", {frame(0xF2, {112, 16, 0})}, true},
        {"read of two data bytes", {frame(0xF2, {0, 16})}, false},
        {"read of four data bytes", {frame(0xF2, {0, 16, 0, 0})}, false},
        {"read with count 15", {frame(0xF2, {0, 15, 0})}, false},
        {"read with data byte 2 set", {frame(0xF2, {0, 16, 1})}, false},
        {"read off the block grid", {frame(0xF2, {8, 16, 0})}, false},
        {"read past the end", {frame(0xF2, {128, 16, 0})}, false},
        {"whole write sequence", writeSequence(image), true},
        {"write without an open", {writeChunk(image, 0)}, false},
        {"commit without an open", {frame(0xF4)}, false},
        {"commit after an open alone", with(opened, frame(0xF4)), false},
        {"commit after nine chunks", with(upToChunk(image, 9), frame(0xF4)), false},
        {"commit with a data byte", with(allChunks, frame(0xF4, {0})), false},
        {"chunk 1 before chunk 0", with(opened, writeChunk(image, 1)), false},
        {"chunk 0 twice", with(upToChunk(image, 1), writeChunk(image, 0)), false},
        {"eleventh chunk", with(allChunks, writeChunk(image, 9)), false},
        {"chunk of 15 data bytes",
         with(opened, changed(writeChunk(image, 0), [](Bytes& r) { r.pop_back(); })), false},
        {"chunk with data byte 2 set",
         with(opened, changed(writeChunk(image, 0), [](Bytes& r) { r[4] = 1; })), false},
        {"chunk with count 12",
         with(opened, changed(writeChunk(image, 0), [](Bytes& r) { r[3] = 12; })), false},
        {"last chunk with count 13",
         with(upToChunk(image, 9), changed(writeChunk(image, 9), [](Bytes& r) { r[3] = 13; })),
         false},
        {"last chunk not ending with bytes 115 and 116",
         with(upToChunk(image, 9), changed(writeChunk(image, 9), [](Bytes& r) { r[17] ^= 1; })),
         false},
        {"an open part-way starts afresh",
         [&] {
             std::vector<Bytes> r = upToChunk(image, 4);
             const std::vector<Bytes> again = writeSequence(image);
             r.insert(r.end(), again.begin(), again.end());
             return r;
         }(),
         true},
        {"bad checksum", {Bytes{0x11, 0x00, 0x12}}, false},
        {"unknown command", {frame(0x42)}, false},
    };
    for (const auto& row : rows) {
        SimController sim;
        std::string ignored;
        EXPECT_EQ(lastAnswered(sim, row.requests, &ignored), row.answered)
            << row.what << ": " << ignored;
        if (!row.answered) {
            EXPECT_FALSE(ignored.empty()) << row.what;  // the log can say why
        }
    }
}

TEST(StrictSimulator, OnlyACompleteSequenceIsCommitted) {
    SimController sim;
    const SimController::Image before = sim.image;
    SimController::Image target{};
    target.fill(0x3C);
    std::string ignored;
    std::vector<Bytes> partial = upToChunk(target, 6);
    partial.push_back(frame(0xF4));
    EXPECT_FALSE(lastAnswered(sim, partial, &ignored));
    EXPECT_EQ(sim.image, before);
    EXPECT_EQ(sim.commits(), 0);
    EXPECT_TRUE(lastAnswered(sim, writeSequence(target), &ignored)) << ignored;
    EXPECT_EQ(sim.image, target);
    EXPECT_EQ(sim.commits(), 1);
}

TEST(LinePacer, BytesCrossTheLineOneAfterAnotherAt19200Baud) {
    constexpr std::int64_t B = LinePacer::ByteNs;
    EXPECT_EQ(B, 520833);
    const struct {
        const char* what;
        std::vector<std::int64_t> handedOver;
        std::vector<std::int64_t> carried;
    } rows[] = {
        {"a frame handed over at once", {1000, 1000, 1000}, {1000 + B, 1000 + 2 * B, 1000 + 3 * B}},
        {"a byte after a quiet line", {0, 10 * B}, {B, 11 * B}},
        {"a late sleeper does not slow the rest", {0, 0, 2 * B + 7}, {B, 2 * B, 3 * B + 7}},
        {"nineteen bytes take 9.9 ms", std::vector<std::int64_t>(19, 0),
         [] {
             std::vector<std::int64_t> t;
             for (int i = 1; i <= 19; ++i) t.push_back(i * B);
             return t;
         }()},
    };
    for (const auto& row : rows) {
        LinePacer pacer;
        std::vector<std::int64_t> carried;
        for (std::int64_t t : row.handedOver) carried.push_back(pacer.carry(t));
        EXPECT_EQ(carried, row.carried) << row.what;
    }
}
