#include "ControllerLink.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <thread>

#include <QCoreApplication>

#include "CalibrationImage.h"
#include "ControllerPorts.h"
#include "Wire.h"

namespace {
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
    transmit[wire::FrameHeader + n] = wire::checksum(transmit.data(), wire::FrameHeader + n);
    return port->write(transmit.data(), static_cast<std::size_t>(wire::frameSize(n)));
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
            if (frameStarted == 1 && receiveCount == wire::frameSize(length)) {
                frameStarted = 0;
                const std::uint8_t sum = wire::checksum(receive.data(), wire::FrameHeader + length);
                // Whatever follows the frame in this read is dropped.
                lastReceive = sum == receive[wire::FrameHeader + length] ? Receive::Complete
                                                                         : Receive::BadChecksum;
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
        std::copy(data, data + length, transmit.begin() + wire::FrameHeader);
}

bool ControllerLink::exchange(std::uint8_t command, int waitMs) {
    transmit[0] = command;
    SendFrame();  // a failed write shows up as a missing reply
    if (waitMs > 0)
        sleeper_.sleepMs(waitMs);
    return ReceiveFrame();
}

bool ControllerLink::openSequence(LinkProgress::Stage stage, int steps) {
    report(stage, 0, steps);
    setRequest(wire::CmdOpen);
    return exchange(wire::CmdOpen, WaitAfterOpenMs);
}

bool ControllerLink::IdentifyController() {
    setRequest(wire::CmdIdentify);
    SendFrame();
    return ReceiveFrame();
}

bool ControllerLink::ReadImage(CalibrationImage& image) {
    failure.clear();
    if (!openSequence(LinkProgress::Stage::Reading, wire::ReadBlocks))
        return stepFailed(QCoreApplication::translate("Link", "opening the read"));

    for (int k = 0; k < wire::ReadBlocks; ++k) {
        report(LinkProgress::Stage::Reading, k + 1, wire::ReadBlocks);
        const QString block =
            QCoreApplication::translate("Link", "block %1 of %2").arg(k + 1).arg(wire::ReadBlocks);
        const std::uint8_t request[wire::ReadRequestLength] = {
            static_cast<std::uint8_t>(wire::ReadBlock * k), wire::ReadBlock, 0};
        setRequest(wire::CmdRead, request, wire::ReadRequestLength);
        if (!exchange(wire::CmdRead, 0))
            return stepFailed(block);
        // A reply that does not carry all 16 bytes would leave stale bytes of earlier
        // replies in the image, which a later Finish would write into the controller.
        if (replyLength() != wire::ReadBlock) {
            failure = QCoreApplication::translate("Link", "%1: the reply carried %2 of %3 bytes")
                          .arg(block)
                          .arg(replyLength())
                          .arg(wire::ReadBlock);
            return false;
        }
        std::copy_n(receive.begin() + wire::FrameHeader, wire::ReadBlock,
                    image.data() + wire::ReadBlock * k);
    }

    setRequest(wire::CmdIdentify);
    if (!exchange(wire::CmdIdentify, WaitAfterIdentifyMs))
        return stepFailed(QCoreApplication::translate("Link", "the identify request"));
    image.setByte(Field::VersionMajor, replyData(wire::IdentifyMajor));
    image.setByte(Field::VersionMinor, replyData(wire::IdentifyMinor));
    return true;
}

bool ControllerLink::WriteImage(const CalibrationImage& image) {
    failure.clear();
    commitSent = false;
    if (!openSequence(LinkProgress::Stage::Writing, wire::WriteChunks))
        return stepFailed(QCoreApplication::translate("Link", "opening the write"));

    for (int k = 0; k < wire::WriteChunks; ++k) {
        report(LinkProgress::Stage::Writing, k + 1, wire::WriteChunks);
        const bool last = k == wire::WriteChunks - 1;
        const int offset = wire::WriteChunk * k;
        const int count = last ? wire::LastChunkCount : wire::WriteChunk;
        // Only the bytes of this chunk are refilled: the last chunk's two spare data bytes
        // keep image bytes 115 and 116 from the chunk before, as the controller expects.
        transmit[0] = wire::CmdWrite;
        transmit[1] = wire::MaxData;
        transmit[2] = static_cast<std::uint8_t>(offset);
        transmit[3] = static_cast<std::uint8_t>(count);
        transmit[4] = 0;
        std::copy_n(image.data() + offset, count,
                    transmit.begin() + wire::FrameHeader + wire::ChunkHeader);
        if (!exchange(wire::CmdWrite, 0))
            return stepFailed(QCoreApplication::translate("Link", "chunk %1 of %2 not confirmed")
                                  .arg(k + 1)
                                  .arg(wire::WriteChunks));
    }

    report(LinkProgress::Stage::Committing, wire::WriteChunks, wire::WriteChunks);
    setRequest(wire::CmdCommit);
    commitSent = true;
    if (!exchange(wire::CmdCommit, WaitAfterCommitMs))
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

bool ControllerLink::ConnectController() {
    if (portOpen == 1) {
        close();
        return true;
    }
    portNames = portSystem != nullptr ? portSystem->portNames() : QStringList();
    return search(portNames);
}

bool ControllerLink::ConnectPort(const QString& path) {
    if (portOpen == 1)
        return false;
    return search({path});
}

QString ControllerLink::searchDetail() const {
    if (searchOutcomes.empty())
        return openFailures.join(QLatin1Char('\n'));
    QStringList lines;
    for (const PortOutcome& o : searchOutcomes) lines << o.text();
    return lines.join(QLatin1Char('\n'));
}

bool ControllerLink::search(const QStringList& names) {
    close();  // a stream attached without the flag is not a connection either
    openFailures.clear();
    searchOutcomes.clear();
    if (portSystem == nullptr)
        return false;
    PortSearchResult found = portSystem->search(names, sleeper_, progress);

    searchOutcomes = std::move(found.outcomes);
    openFailures = found.openFailures;
    for (const QString& note : found.notes) {
        if (searchNote)
            searchNote(note);
        else
            std::fprintf(stderr, "trnsetup: %s\n", note.toLocal8Bit().constData());
    }
    for (int id : found.messages)
        if (reportMessage)
            reportMessage(id);

    if (!found.port)
        return false;
    attach(std::move(found.port));
    portName = found.portName;
    transmit = found.transmit;
    receive = found.receive;
    receiveCount = found.receiveCount;
    frameStarted = 0;
    lastReceive = Receive::Complete;
    return true;
}
