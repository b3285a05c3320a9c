#include <gtest/gtest.h>

#include <memory>

#include "ControllerLink.h"
#include "FakeStream.h"

namespace {

struct LinkFixture : ::testing::Test {
    FakeSleeper sleeper;
    ControllerLink link{sleeper};
    FakeStream* stream = nullptr;

    void SetUp() override {
        auto s = std::make_unique<FakeStream>();
        stream = s.get();
        link.attach(std::move(s));
    }
};

std::vector<std::uint8_t> identifyReply() {
    return frame(0x11, {0x04, 0x05, 0x01});
}

}  // namespace

TEST_F(LinkFixture, SendFrameAddsChecksumAndWritesNPlus3Bytes) {
    link.setRequest(0x11);
    ASSERT_TRUE(link.SendFrame());
    ASSERT_EQ(stream->writes.size(), 1u);
    EXPECT_EQ(stream->writes[0], (std::vector<std::uint8_t>{0x11, 0x00, 0x11}));

    const std::uint8_t data[3] = {0x70, 0x10, 0x00};
    link.setRequest(0xF2, data, 3);
    ASSERT_TRUE(link.SendFrame());
    EXPECT_EQ(stream->writes[1], (std::vector<std::uint8_t>{0xF2, 3, 0x70, 0x10, 0x00, 0x75}));
}

TEST_F(LinkFixture, SendFrameReportsWriteFailure) {
    stream->writeResult = false;
    link.setRequest(0xF1);
    EXPECT_FALSE(link.SendFrame());
}

TEST_F(LinkFixture, ClosedPortNeitherWritesNorReads) {
    link.portOpen = 0;
    link.setRequest(0x11);
    EXPECT_FALSE(link.SendFrame());
    stream->plan(identifyReply());
    EXPECT_FALSE(link.ReceiveFrame());
    EXPECT_TRUE(stream->writes.empty());
    EXPECT_EQ(stream->readCalls, 0);
}

TEST_F(LinkFixture, ReplyOneBytePerReadCompletes) {
    for (auto b : identifyReply()) stream->plan({b});
    ASSERT_TRUE(link.ReceiveFrame());
    EXPECT_EQ(link.replyData(2), 0x01);
    EXPECT_EQ(stream->readCalls, 6);
    EXPECT_EQ(sleeper.sleeps, std::vector<int>(6, 5));
}

TEST_F(LinkFixture, ReplySpreadOverMoreThanTenReadsFails) {
    const auto reply = frame(0xF2, std::vector<std::uint8_t>(16, 0x33));
    for (auto b : reply) stream->plan({b});
    EXPECT_FALSE(link.ReceiveFrame());
    EXPECT_EQ(stream->readCalls, 10);
}

TEST_F(LinkFixture, LengthAbove16IsClampedAndSummedAsStored) {
    std::vector<std::uint8_t> reply{0xF2, 200};
    for (int i = 0; i < 16; ++i) reply.push_back(static_cast<std::uint8_t>(i));
    auto sum = static_cast<std::uint8_t>(0xF2 + 16);
    for (int i = 0; i < 16; ++i) sum = static_cast<std::uint8_t>(sum + i);
    reply.push_back(sum);
    reply.push_back(0xEE);  // never read: the frame is complete after 19 bytes
    stream->plan(reply);
    ASSERT_TRUE(link.ReceiveFrame());
    EXPECT_EQ(link.replyLength(), 16);
    EXPECT_EQ(link.receive[18], sum);

    // The checksum the controller would have formed with 200 does not match.
    reply[18] = static_cast<std::uint8_t>(int{sum} - 16 + 200);
    reply.pop_back();
    stream->plan(reply);
    EXPECT_FALSE(link.ReceiveFrame());
}

TEST_F(LinkFixture, TwoRepliesInOneReadKeepTheFirst) {
    auto bytes = frame(0xF1);
    const auto second = frame(0x11, {9, 9, 9});
    bytes.insert(bytes.end(), second.begin(), second.end());
    stream->plan(bytes);
    ASSERT_TRUE(link.ReceiveFrame());
    EXPECT_EQ(link.receive[0], 0xF1);
    EXPECT_EQ(link.replyLength(), 0);
    // The second reply was in the same read and is gone.
    EXPECT_FALSE(link.ReceiveFrame());
}

TEST_F(LinkFixture, StrayLeadingByteShiftsTheFrame) {
    auto bytes = identifyReply();
    bytes.insert(bytes.begin(), 0x00);
    stream->plan(bytes);
    // 0x00 becomes the command and 0x11 (17, clamped to 16) the length: no frame completes.
    EXPECT_FALSE(link.ReceiveFrame());
    EXPECT_EQ(stream->readCalls, 10);

    // A stray byte that makes a plausible length fails on the checksum instead.
    bytes = frame(0xF1);
    bytes.insert(bytes.begin(), 0x05);
    stream->plan(bytes);
    EXPECT_FALSE(link.ReceiveFrame());
}

TEST_F(LinkFixture, ThreeByteFrameIsAccepted) {
    stream->plan({0xF4, 0x00, 0xF4});
    EXPECT_TRUE(link.ReceiveFrame());
    stream->plan({0xF4, 0x00, 0xF5});
    EXPECT_FALSE(link.ReceiveFrame());
}

TEST_F(LinkFixture, FailingReadEndsAtOnce) {
    stream->planEmpty(2);
    stream->planFailure();
    stream->plan(identifyReply());
    EXPECT_FALSE(link.ReceiveFrame());
    EXPECT_EQ(stream->readCalls, 3);
}

TEST_F(LinkFixture, TenEmptyReadsFail) {
    stream->planEmpty(10);
    stream->plan(identifyReply());
    EXPECT_FALSE(link.ReceiveFrame());
    EXPECT_EQ(stream->readCalls, 10);
    EXPECT_EQ(sleeper.total(), 50);
}

TEST_F(LinkFixture, ReplyAfterEmptyReadsStillCounts) {
    stream->planEmpty(9);
    stream->plan(identifyReply());
    EXPECT_TRUE(link.ReceiveFrame());
}

TEST_F(LinkFixture, OversizedWriteLengthIsClamped) {
    link.transmit[0] = 0xF3;
    link.transmit[1] = 250;  // never trusted beyond the buffer
    ASSERT_TRUE(link.SendFrame());
    EXPECT_EQ(stream->writes[0].size(), 19u);
}

// The link connects through whatever ports it is given, and links without the serial library.
TEST_F(LinkFixture, ConnectControllerWithoutPortsClosesThenFindsNothing) {
    EXPECT_TRUE(link.ConnectController());  // an open port closes
    EXPECT_EQ(link.port, nullptr);
    EXPECT_FALSE(link.ConnectController());
    EXPECT_FALSE(link.ConnectPort(QStringLiteral("/dev/ttyS0")));
    EXPECT_EQ(link.portOpen, 0);
    EXPECT_TRUE(link.portNames.isEmpty());
    EXPECT_TRUE(link.searchDetail().isEmpty());
}
