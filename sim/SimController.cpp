#include "SimController.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include <QFile>
#include <QFileInfo>

#include "AtomicFile.h"
#include "Wire.h"

namespace {
// What a controller with the short-reads fault answers a read with.
constexpr int ShortReadBlock = 8;
}  // namespace

SimController::SimController() : SimController(Options{}) {}

SimController::SimController(const Options& opts) : options(opts), image(sampleImage()) {
    staging = image;
}

std::vector<SimController::Frame> SimController::feed(const std::uint8_t* data, std::size_t count) {
    std::vector<Frame> out;
    for (std::size_t i = 0; i < count; ++i) {
        pending_.push_back(data[i]);
        if (pending_.size() >= 2 && pending_[1] > wire::MaxData) {
            // No controller request is that long: drop the byte that started it and resync.
            pending_.erase(pending_.begin());
            continue;
        }
        if (pending_.size() < 2 ||
            pending_.size() < static_cast<std::size_t>(wire::frameSize(pending_[1])))
            continue;
        Frame request;
        request.swap(pending_);
        ++requests_;
        Frame reply;
        std::string ignored;
        if (handle(request, reply, &ignored)) {
            if (options.silent)
                ignored = "fault: silent";
            else if (options.dropAfter >= 0 && replies_ >= options.dropAfter)
                ignored = "fault: dropping after " + std::to_string(options.dropAfter) + " replies";
        }
        if (onRequest)
            onRequest(request, ignored);
        if (ignored.empty()) {
            ++replies_;
            out.push_back(std::move(reply));
        }
    }
    return out;
}

bool SimController::handle(const Frame& request, Frame& reply, std::string* ignored) {
    const int length = request[1];
    const std::uint8_t* data = request.data() + wire::FrameHeader;
    const char* why = wire::checksum(request.data(), wire::FrameHeader + length) != data[length]
                          ? "bad checksum"
                          : answer(request[0], data, length, reply);
    if (why == nullptr)
        return true;
    *ignored = why;
    return false;
}

const char* SimController::answer(std::uint8_t command, const std::uint8_t* data, int length,
                                  Frame& reply) {
    // Only the requests a correct host sends are answered, exactly as it sends them; anything
    // else gets the silence of a real controller, so a faulty host fails instead of passing.
    switch (command) {
        case wire::CmdIdentify: {
            if (length != 0)
                return "identify with data";
            std::uint8_t identity[wire::IdentifyReplyLength] = {};
            identity[wire::IdentifyMajor] = options.versionMajor;
            identity[wire::IdentifyMinor] = options.versionMinor;
            identity[wire::IdentifyAcceptance] = options.acceptance;
            reply = makeReply(wire::CmdIdentify, identity, wire::IdentifyReplyLength);
            return nullptr;
        }
        case wire::CmdOpen:
            // May come at any time and starts a sequence afresh, as a Retry does.
            if (length != 0)
                return "open with data";
            staging = image;
            chunksWritten_ = 0;
            reply = makeReply(wire::CmdOpen, nullptr, 0);
            return nullptr;
        case wire::CmdRead: {
            if (length != wire::ReadRequestLength)
                return "read request not of 3 data bytes";
            if (data[1] != wire::ReadBlock)
                return "read count is not 16";
            if (data[2] != 0)
                return "read data byte 2 is not 0";
            if (data[0] % wire::ReadBlock != 0 ||
                data[0] + wire::ReadBlock > CalibrationImage::Size)
                return "read offset is not a 16-byte block of the image";
            const int count = options.shortReads ? ShortReadBlock : wire::ReadBlock;
            reply = makeReply(wire::CmdRead, image.data() + data[0], count);
            return nullptr;
        }
        case wire::CmdWrite:
            return takeChunk(data, length, reply);
        case wire::CmdCommit:
            return commit(length, reply);
        default:
            return "unknown command";
    }
}

const char* SimController::takeChunk(const std::uint8_t* data, int length, Frame& reply) {
    if (chunksWritten_ < 0)
        return "write without a preceding open";
    if (length != wire::MaxData)
        return "write request not of 16 data bytes";
    if (data[2] != 0)
        return "write data byte 2 is not 0";
    if (chunksWritten_ >= wire::WriteChunks)
        return "more than ten write chunks";
    const bool last = chunksWritten_ == wire::WriteChunks - 1;
    const int offset = chunksWritten_ * wire::WriteChunk;
    if (data[0] != offset || data[1] != (last ? wire::LastChunkCount : wire::WriteChunk))
        return "write chunk out of order or of the wrong size";
    if (last && !std::equal(data + wire::ChunkHeader + wire::LastChunkCount, data + wire::MaxData,
                            staging.begin() + wire::LastChunkSpareFrom))
        return "last write chunk does not end with image bytes 115 and 116";
    std::copy_n(data + wire::ChunkHeader, data[1], staging.begin() + offset);
    ++chunksWritten_;
    reply = makeReply(wire::CmdWrite, nullptr, 0);
    return nullptr;
}

const char* SimController::commit(int length, Frame& reply) {
    if (length != 0)
        return "commit with data";
    if (chunksWritten_ != wire::WriteChunks)
        return "commit without an open and ten chunks";
    // A controller whose memory fails: what it keeps is not what it was sent.
    if (options.corruptCommit)
        staging[CorruptedByte] ^= CorruptedBit;
    if (onCommit && !onCommit(staging))
        return "the image could not be saved";
    chunksWritten_ = -1;
    image = staging;
    ++commits_;
    // The line loses the acknowledgement, not the commit.
    if (options.loseCommitReply)
        return "fault: commit reply lost";
    reply = makeReply(wire::CmdCommit, nullptr, 0);
    return nullptr;
}

SimController::Frame SimController::makeReply(std::uint8_t command, const std::uint8_t* data,
                                              int length) const {
    Frame frame;
    frame.reserve(static_cast<std::size_t>(wire::frameSize(length)));
    frame.push_back(command);
    frame.push_back(static_cast<std::uint8_t>(length));
    if (length > 0)
        frame.insert(frame.end(), data, data + length);
    const std::uint8_t sum = wire::checksum(frame.data(), static_cast<int>(frame.size()));
    frame.push_back(options.badChecksum ? static_cast<std::uint8_t>(sum ^ 0x5A) : sum);
    return frame;
}

SimController::Image SimController::sampleImage() {
    Image img{};
    img.fill(0x00);
    const std::uint8_t head[] = {
        0x00,  // 0: functions
        0x44,  // 1: forward switch (so no foot switch), regeneration
        0x01,  // 2: throttle sensor 0-5V
        0x00,  // 3: no brake sensor
        0x14,  // 4: throttle start 10%
        0xC8,  // 5: throttle end 100%
    };
    std::copy(std::begin(head), std::end(head), img.begin());
    img[11] = 120;  // Hall sensor type
    img[12] = 5;    // start-up delay 0.5 s
    img[14] = 100;  // max motor current
    img[15] = 50;   // max regen current
    img[16] = 10;   // releasing throttle regen
    img[17] = 30;   // regen by brake switch
    img[18] = 3;    // control mode copy: torque
    img[19] = 36;   // under voltage
    img[20] = 60;   // over voltage
    img[21] = 50;   // throttle rate
    img[24] = 8;    // motor poles
    img[28] = 0;
    img[30] = 3;    // torque mode
    img[33] = 50;   // reverse top speed
    img[34] = 100;  // top speed
    img[38] = 10;   // brake sensor start
    img[39] = 90;   // brake sensor end
    img[40] = 15;   // smoothing inflection point
    img[41] = 40;
    img[42] = 60;
    img[43] = 80;
    img[44] = 100;
    img[45] = 0x01;  // smoothing on
    img[53] = 10;
    img[54] = 90;
    img[57] = 0x01;  // CAN receive 0x0123
    img[58] = 0x23;
    img[59] = 0x04;  // CAN send 0x0456
    img[60] = 0x56;
    img[61] = 2;    // the newer of the two temperature sensor types
    img[62] = 120;  // stop output temperature
    img[63] = 100;  // resume output temperature
    std::memcpy(img.data() + 64, "TRN48201", 8);
    img[72] = 0x29;  // suffix letters A, S, C
    img[73] = 0x12;  // AD version
    img[76] = 0x00;  // serial number 000AB0FF
    img[77] = 0x0A;
    img[78] = 0xB0;
    img[79] = 0xFF;
    img[83] = 0x04;  // firmware 0405
    img[84] = 0x05;
    img[100] = 80;   // max battery current
    img[107] = 'J';  // J1939 variant
    const std::uint8_t j1939[] = {0x25, 1, 0, 0, 0, 0, 130, 0, 0, 0x01, 0x23, 0x01, 0x23, 0x45};
    std::copy(std::begin(j1939), std::end(j1939), img.begin() + 108);
    return img;
}

namespace {

QString systemError(const char* what, const QString& path) {
    return QStringLiteral("cannot %1 %2: %3")
        .arg(QLatin1String(what), path, QString::fromLocal8Bit(std::strerror(errno)));
}

}  // namespace

bool loadOrCreateImageFile(const QString& path, SimController::Image& image, QString* error) {
    const QByteArray name = QFile::encodeName(path);
    // Non-blocking, so that a FIFO or a device given by mistake is refused instead of waited on.
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0 && errno == ENOENT) {
        image = SimController::sampleImage();
        return saveImageFile(path, image, error);
    }
    if (fd < 0) {
        if (error)
            *error = systemError("read", path);
        return false;
    }
    struct stat info {};
    bool ok = ::fstat(fd, &info) == 0;
    if (ok && !S_ISREG(info.st_mode)) {
        if (error)
            *error = QStringLiteral("%1 is not a regular file").arg(path);
        ok = false;
    } else if (ok && info.st_size != CalibrationImage::Size) {
        if (error)
            *error = QStringLiteral("%1 holds %2 bytes; an image file must hold exactly %3")
                         .arg(path)
                         .arg(qint64(info.st_size))
                         .arg(CalibrationImage::Size);
        ok = false;
    } else if (ok) {
        SimController::Image bytes{};
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::read(fd, bytes.data() + done, bytes.size() - done);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                break;
            done += static_cast<std::size_t>(n);
        }
        ok = done == bytes.size();
        if (ok)
            image = bytes;
        else if (error)
            *error = systemError("read", path);
    } else if (error) {
        *error = systemError("read", path);
    }
    ::close(fd);
    return ok;
}

bool saveImageFile(const QString& path, const SimController::Image& image, QString* error) {
    // A full disk or a crash leaves the old image file whole.
    QString reason;
    if (writeFileAtomically(path,
                            QByteArrayView(reinterpret_cast<const char*>(image.data()),
                                           static_cast<qsizetype>(image.size())),
                            &reason))
        return true;
    if (error)
        *error = QStringLiteral("cannot write %1: %2").arg(path, reason);
    return false;
}
