#include "ControllerLink.h"

#include <algorithm>
#include <chrono>
#include <thread>

#include <QCoreApplication>

#include "CalibrationImage.h"

namespace {
constexpr std::uint8_t CmdIdentify = 0x11;
constexpr std::uint8_t CmdOpen = 0xF1;
constexpr std::uint8_t CmdRead = 0xF2;
constexpr std::uint8_t CmdWrite = 0xF3;
constexpr std::uint8_t CmdCommit = 0xF4;

constexpr int ReadBlock = 16;
constexpr int WriteChunk = 13;
constexpr int WriteChunks = 9;
constexpr int LastChunkOffset = WriteChunks * WriteChunk;                 // 117
constexpr int LastChunkCount = CalibrationImage::Size - LastChunkOffset;  // 11

constexpr int WaitAfterOpenMs = 50;
constexpr int WaitAfterIdentifyMs = 100;
constexpr int WaitAfterCommitMs = 200;
}  // namespace

void ThreadSleeper::sleepMs(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

void ControllerLink::attach(std::unique_ptr<ByteStream> stream) {
    port = std::move(stream);
    portOpen = port ? 1 : 0;
    portFailed = false;
}

void ControllerLink::close() {
    port.reset();
    portOpen = 0;
}

bool ControllerLink::SendFrame() {
    if (portOpen == 0 || !port)
        return false;
    // The length byte is the caller's; clamp it so a bad value can never overrun the buffer.
    const int n = std::min<int>(transmit[1], MaxData);
    std::uint8_t sum = 0;
    for (int i = 0; i < n + 2; ++i) sum = static_cast<std::uint8_t>(sum + transmit[i]);
    transmit[n + 2] = sum;
    return port->write(transmit.data(), static_cast<std::size_t>(n + 3));
}

bool ControllerLink::ReceiveFrame() {
    lastReceive = Receive::NotOpen;
    if (portOpen == 0 || !port)
        return false;
    frameStarted = 0;
    receiveCount = 0;
    receive[1] = 0;

    std::array<std::uint8_t, ReceiveSize> chunk{};
    for (int attempt = 0; attempt < ReadAttempts; ++attempt) {
        sleeper_.sleepMs(AttemptSleepMs);
        const int got = port->read(chunk.data(), chunk.size());
        if (got < 0) {
            lastReceive = Receive::ReadFailed;
            portFailed = true;
            return false;
        }
        const int count = std::min<int>(got, static_cast<int>(chunk.size()));
        for (int i = 0; i < count; ++i) {
            if (frameStarted == 0) {
                frameStarted = 1;
                receiveCount = 0;
                receive[1] = 0;
            }
            if (receiveCount < ReceiveSize)
                receive[receiveCount++] = chunk[static_cast<std::size_t>(i)];
            if (receive[1] > MaxData)
                receive[1] = MaxData;
            const int length = receive[1];
            if (frameStarted == 1 && receiveCount == length + 3) {
                frameStarted = 0;
                std::uint8_t sum = 0;
                for (int k = 0; k < length + 2; ++k)
                    sum = static_cast<std::uint8_t>(sum + receive[k]);
                // Whatever follows the frame in this read is dropped.
                lastReceive = sum == receive[length + 2] ? Receive::Complete : Receive::BadChecksum;
                return lastReceive == Receive::Complete;
            }
        }
    }
    lastReceive = Receive::NoFrame;
    return false;
}

void ControllerLink::setRequest(std::uint8_t command, const std::uint8_t* data, int length) {
    length = std::clamp(length, 0, MaxData);
    transmit[0] = command;
    transmit[1] = static_cast<std::uint8_t>(length);
    if (data != nullptr)
        std::copy(data, data + length, transmit.begin() + 2);
}

bool ControllerLink::exchange(std::uint8_t command, int waitMs) {
    transmit[0] = command;
    SendFrame();  // a failed write shows up as a missing reply
    if (waitMs > 0)
        sleeper_.sleepMs(waitMs);
    return ReceiveFrame();
}

bool ControllerLink::IdentifyController() {
    setRequest(CmdIdentify);
    SendFrame();
    return ReceiveFrame();
}

bool ControllerLink::ReadImage(CalibrationImage& image) {
    failure.clear();
    constexpr int Blocks = CalibrationImage::Size / ReadBlock;
    report(LinkProgress::Stage::Reading, 0, Blocks);
    setRequest(CmdOpen);
    if (!exchange(CmdOpen, WaitAfterOpenMs))
        return stepFailed(QCoreApplication::translate("Link", "opening the read"));

    for (int k = 0; k < Blocks; ++k) {
        report(LinkProgress::Stage::Reading, k + 1, Blocks);
        const QString block =
            QCoreApplication::translate("Link", "block %1 of %2").arg(k + 1).arg(Blocks);
        const std::uint8_t request[3] = {static_cast<std::uint8_t>(ReadBlock * k), ReadBlock, 0};
        setRequest(CmdRead, request, 3);
        if (!exchange(CmdRead, 0))
            return stepFailed(block);
        // A reply that does not carry all 16 bytes would leave stale bytes of earlier
        // replies in the image, which a later Finish would write into the controller.
        if (replyLength() != ReadBlock) {
            failure = QCoreApplication::translate("Link", "%1: the reply carried %2 of %3 bytes")
                          .arg(block)
                          .arg(replyLength())
                          .arg(ReadBlock);
            return false;
        }
        std::copy_n(receive.begin() + 2, ReadBlock, image.data() + ReadBlock * k);
    }

    setRequest(CmdIdentify);
    if (!exchange(CmdIdentify, WaitAfterIdentifyMs))
        return stepFailed(QCoreApplication::translate("Link", "the identify request"));
    image.setByte(Field::VersionMajor, replyData(0));
    image.setByte(Field::VersionMinor, replyData(1));
    return true;
}

bool ControllerLink::WriteImage(const CalibrationImage& image) {
    failure.clear();
    commitSent = false;
    constexpr int Chunks = WriteChunks + 1;
    report(LinkProgress::Stage::Writing, 0, Chunks);
    setRequest(CmdOpen);
    if (!exchange(CmdOpen, WaitAfterOpenMs))
        return stepFailed(QCoreApplication::translate("Link", "opening the write"));

    for (int k = 0; k <= WriteChunks; ++k) {
        report(LinkProgress::Stage::Writing, k + 1, Chunks);
        const bool last = k == WriteChunks;
        const int offset = WriteChunk * k;
        const int count = last ? LastChunkCount : WriteChunk;
        // Only the bytes of this chunk are refilled: the last chunk's two spare data bytes
        // keep image bytes 115 and 116 from the chunk before, as the controller expects.
        transmit[0] = CmdWrite;
        transmit[1] = MaxData;
        transmit[2] = static_cast<std::uint8_t>(offset);
        transmit[3] = static_cast<std::uint8_t>(count);
        transmit[4] = 0;
        std::copy_n(image.data() + offset, count, transmit.begin() + 5);
        if (!exchange(CmdWrite, 0))
            return stepFailed(QCoreApplication::translate("Link", "chunk %1 of %2 not confirmed")
                                  .arg(k + 1)
                                  .arg(Chunks));
    }

    report(LinkProgress::Stage::Committing, Chunks, Chunks);
    setRequest(CmdCommit);
    commitSent = true;
    if (!exchange(CmdCommit, WaitAfterCommitMs))
        return stepFailed(QCoreApplication::translate("Link", "the commit not confirmed"));
    return true;
}

void ControllerLink::report(LinkProgress::Stage stage, int step, int steps) {
    if (!progress)
        return;
    LinkProgress p;
    p.stage = stage;
    p.step = step;
    p.steps = steps;
    progress(p);
}

bool ControllerLink::stepFailed(const QString& step) {
    QString why;
    switch (lastReceive) {
        case Receive::NoFrame:
            why = QCoreApplication::translate("Link", "no valid reply in %1 attempts")
                      .arg(ReadAttempts);
            break;
        case Receive::BadChecksum:
            why = QCoreApplication::translate("Link", "a reply with a bad checksum");
            break;
        case Receive::ReadFailed:
            why = QCoreApplication::translate("Link", "the port was lost (hang-up or I/O error)");
            break;
        case Receive::NotOpen:
        case Receive::Complete:
            why = QCoreApplication::translate("Link", "the port is not open");
            break;
    }
    failure = QCoreApplication::translate("Link", "%1: %2").arg(step, why);
    return false;
}

QString LinkProgress::text() const {
    switch (stage) {
        case Stage::Searching:
            return QCoreApplication::translate("Link", "Searching for the controller on %1")
                .arg(ports.join(QStringLiteral(", ")));
        case Stage::Reading:
            return step == 0 ? QCoreApplication::translate("Link", "Reading the configuration")
                             : QCoreApplication::translate("Link", "Reading block %1 of %2")
                                   .arg(step)
                                   .arg(steps);
        case Stage::Writing:
            return step == 0 ? QCoreApplication::translate("Link", "Writing the configuration")
                             : QCoreApplication::translate("Link", "Writing chunk %1 of %2")
                                   .arg(step)
                                   .arg(steps);
        case Stage::Committing:
            return QCoreApplication::translate("Link", "Committing the configuration");
    }
    return {};
}
