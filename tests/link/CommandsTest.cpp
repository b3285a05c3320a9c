#include <gtest/gtest.h>

#include <memory>

#include "CalibrationImage.h"
#include "ControllerLink.h"
#include "FakeStream.h"
#include "SimController.h"
#include "SimStream.h"

namespace {

// Every request answered by an empty frame with the request's command.
struct EchoFixture : ::testing::Test {
    FakeSleeper sleeper;
    ControllerLink link{sleeper};
    FakeStream* stream = nullptr;
    void SetUp() override {
        auto s = std::make_unique<FakeStream>();
        stream = s.get();
        link.attach(std::move(s));
    }
};

struct SimFixture : ::testing::Test {
    FakeSleeper sleeper;
    ControllerLink link{sleeper};
    SimController sim;
    SimStream* stream = nullptr;
    void SetUp() override {
        auto s = std::make_unique<SimStream>(sim);
        stream = s.get();
        link.attach(std::move(s));
    }
};

CalibrationImage counting() {
    CalibrationImage image;
    for (int i = 0; i < CalibrationImage::Size; ++i)
        image.setByte(i, static_cast<std::uint8_t>(i * 3 + 1));
    return image;
}

}  // namespace

TEST_F(EchoFixture, WriteImageFramesForAnUnwrittenImage) {
    for (int i = 0; i < 12; ++i) stream->plan({0xAA, 0x00, 0xAA});
    CalibrationImage image;  // all 0xFF
    ASSERT_TRUE(link.WriteImage(image));
    ASSERT_EQ(stream->writes.size(), 12u);
    EXPECT_EQ(stream->writes.front(), (std::vector<std::uint8_t>{0xF1, 0x00, 0xF1}));
    EXPECT_EQ(stream->writes.back(), (std::vector<std::uint8_t>{0xF4, 0x00, 0xF4}));

    std::vector<std::uint8_t> first{0xF3, 0x10, 0x00, 0x0D, 0x00};
    first.insert(first.end(), 13, 0xFF);
    std::uint8_t sum = 0;
    for (auto b : first) sum = static_cast<std::uint8_t>(sum + b);
    first.push_back(sum);
    EXPECT_EQ(stream->writes[1], first);

    for (int k = 0; k < 10; ++k) {
        const auto& w = stream->writes[static_cast<std::size_t>(1 + k)];
        ASSERT_EQ(w.size(), 19u) << k;
        EXPECT_EQ(w[0], 0xF3);
        EXPECT_EQ(w[1], 16);
        EXPECT_EQ(w[2], 13 * k);
        EXPECT_EQ(w[3], k < 9 ? 13 : 11);
        EXPECT_EQ(w[4], 0);
    }
    // Waits: 50 ms after open and 200 ms after commit, besides the 5 ms read sleeps.
    int fixed = 0;
    for (int s : sleeper.sleeps)
        if (s != 5)
            fixed += s;
    EXPECT_EQ(fixed, 250);
}

TEST_F(EchoFixture, LastChunkCarriesBytes115And116) {
    for (int i = 0; i < 12; ++i) stream->plan({0xAA, 0x00, 0xAA});
    const CalibrationImage image = counting();
    ASSERT_TRUE(link.WriteImage(image));
    const auto& last = stream->writes[10];
    EXPECT_EQ(last[2], 117);
    for (int i = 0; i < 11; ++i) EXPECT_EQ(last[5 + i], image.byte(117 + i));
    EXPECT_EQ(last[16], image.byte(115));
    EXPECT_EQ(last[17], image.byte(116));
}

TEST_F(EchoFixture, EmptyRepliesToReadsAreRefused) {
    // A controller that answers every request with an empty frame must not fill the image
    // with stale bytes of earlier replies.
    for (int i = 0; i < 12; ++i) stream->plan({0xAA, 0x00, 0xAA});
    CalibrationImage image;
    const CalibrationImage before = image;
    EXPECT_FALSE(link.ReadImage(image));
    EXPECT_EQ(image, before);
}

TEST_F(SimFixture, ReadImageTakesImageAndVersion) {
    sim.options.versionMajor = 0x02;
    sim.options.versionMinor = 0x09;
    const auto expected = SimController::sampleImage();
    CalibrationImage image;
    ASSERT_TRUE(link.ReadImage(image));
    for (int i = 0; i < CalibrationImage::Size; ++i) {
        if (i == Field::VersionMajor || i == Field::VersionMinor)
            continue;
        ASSERT_EQ(image.byte(i), expected[static_cast<std::size_t>(i)]) << i;
    }
    EXPECT_EQ(versionText(image), QStringLiteral("0209"));
    EXPECT_EQ(identityText(image), QStringLiteral("0209000AB0FF"));
    int fixed = 0;
    for (int s : sleeper.sleeps)
        if (s != 5)
            fixed += s;
    EXPECT_EQ(fixed, 150);
}

TEST_F(SimFixture, ReadImageWorksWithRepliesInPieces) {
    // Two bytes a read: a 19-byte reply needs all 10 attempts.
    stream->maxChunk = 2;
    CalibrationImage image;
    EXPECT_TRUE(link.ReadImage(image));
    EXPECT_EQ(image.text(Field::Model, 8), QStringLiteral("TRN48201"));

    // One byte a read cannot complete a 19-byte reply within 10 attempts.
    stream->maxChunk = 1;
    EXPECT_FALSE(link.ReadImage(image));
}

TEST_F(SimFixture, ShortReadRepliesFailTheRead) {
    sim.options.shortReads = true;
    CalibrationImage image;
    EXPECT_FALSE(link.ReadImage(image));
    // Nothing of a short reply reaches the image.
    EXPECT_EQ(image, CalibrationImage());
}

TEST_F(SimFixture, WriteImageCommitsTheWholeImage) {
    const CalibrationImage image = counting();
    ASSERT_TRUE(link.WriteImage(image));
    EXPECT_EQ(sim.commits(), 1);
    for (int i = 0; i < CalibrationImage::Size; ++i)
        ASSERT_EQ(sim.image[static_cast<std::size_t>(i)], image.byte(i)) << i;

    CalibrationImage back;
    ASSERT_TRUE(link.ReadImage(back));
    for (int i = 0; i < CalibrationImage::Size; ++i) {
        if (i == Field::VersionMajor || i == Field::VersionMinor)
            continue;
        ASSERT_EQ(back.byte(i), image.byte(i)) << i;
    }
}

TEST_F(SimFixture, FailurePartWayThenFullRetry) {
    const auto original = sim.image;
    sim.options.dropAfter = 5;  // open and four chunks answered, then silence
    const CalibrationImage image = counting();
    EXPECT_FALSE(link.WriteImage(image));
    EXPECT_EQ(sim.commits(), 0);
    EXPECT_EQ(sim.image, original);  // nothing committed

    sim.options.dropAfter = -1;
    ASSERT_TRUE(link.WriteImage(image));
    EXPECT_EQ(sim.commits(), 1);
    for (int i = 0; i < CalibrationImage::Size; ++i)
        ASSERT_EQ(sim.image[static_cast<std::size_t>(i)], image.byte(i)) << i;
}

TEST_F(SimFixture, BadChecksumOrSilenceFailsEverySequence) {
    CalibrationImage image;
    sim.options.badChecksum = true;
    EXPECT_FALSE(link.IdentifyController());
    EXPECT_FALSE(link.ReadImage(image));
    EXPECT_FALSE(link.WriteImage(image));
    sim.options.badChecksum = false;
    sim.options.silent = true;
    EXPECT_FALSE(link.WriteImage(image));
    EXPECT_EQ(sim.commits(), 0);
}

TEST_F(SimFixture, IdentifyReportsAcceptanceByte) {
    sim.options.acceptance = 2;
    ASSERT_TRUE(link.IdentifyController());
    EXPECT_EQ(link.replyData(2), 2);
    EXPECT_EQ(link.replyData(0), 0x04);
    EXPECT_EQ(link.replyData(1), 0x05);
}

TEST_F(SimFixture, ReadFailingStreamFailsTheSequence) {
    stream->failAfterReads = 3;
    CalibrationImage image;
    EXPECT_FALSE(link.ReadImage(image));
}
