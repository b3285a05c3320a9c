#include "SimController.h"

#include <algorithm>
#include <cstring>

#include <QFile>
#include <QSaveFile>

namespace {
constexpr std::uint8_t CmdIdentify = 0x11;
constexpr std::uint8_t CmdOpen = 0xF1;
constexpr std::uint8_t CmdRead = 0xF2;
constexpr std::uint8_t CmdWrite = 0xF3;
constexpr std::uint8_t CmdCommit = 0xF4;
constexpr int MaxData = 16;
constexpr int ReadBlock = 16;
constexpr int ShortReadBlock = 8;
constexpr int MaxWriteCount = 13;
}  // namespace

SimController::SimController() : SimController(Options{}) {}

SimController::SimController(const Options& opts) : options(opts), image(sampleImage()) {
    staging = image;
}

std::vector<SimController::Frame> SimController::feed(const std::uint8_t* data, std::size_t count) {
    std::vector<Frame> out;
    for (std::size_t i = 0; i < count; ++i) {
        pending_.push_back(data[i]);
        if (pending_.size() >= 2 && pending_[1] > MaxData) {
            // No controller request is that long: drop the byte that started it and resync.
            pending_.erase(pending_.begin());
            continue;
        }
        if (pending_.size() < 2 || pending_.size() < static_cast<std::size_t>(pending_[1]) + 3)
            continue;
        Frame request;
        request.swap(pending_);
        ++requests_;
        Frame reply;
        if (handle(request, reply) && !options.silent &&
            (options.dropAfter < 0 || replies_ < options.dropAfter)) {
            ++replies_;
            out.push_back(std::move(reply));
        }
    }
    return out;
}

bool SimController::handle(const Frame& request, Frame& reply) {
    const int length = request[1];
    std::uint8_t sum = 0;
    for (int i = 0; i < length + 2; ++i) sum = static_cast<std::uint8_t>(sum + request[i]);
    if (sum != request[static_cast<std::size_t>(length + 2)]) return false;
    const std::uint8_t* data = request.data() + 2;

    switch (request[0]) {
        case CmdIdentify: {
            const std::uint8_t answer[3] = {options.versionMajor, options.versionMinor,
                                            options.acceptance};
            reply = makeReply(CmdIdentify, answer, 3);
            return true;
        }
        case CmdOpen:
            staging = image;
            reply = makeReply(CmdOpen, nullptr, 0);
            return true;
        case CmdRead: {
            if (length < 2) return false;
            const int offset = data[0];
            if (offset + ReadBlock > ImageSize) return false;
            const int count = options.shortReads ? ShortReadBlock : ReadBlock;
            reply = makeReply(CmdRead, image.data() + offset, count);
            return true;
        }
        case CmdWrite: {
            if (length < 3) return false;
            const int offset = data[0];
            const int count = data[1];
            if (count > MaxWriteCount || count > length - 3 || offset + count > ImageSize)
                return false;
            std::copy_n(data + 3, count, staging.begin() + offset);
            reply = makeReply(CmdWrite, nullptr, 0);
            return true;
        }
        case CmdCommit:
            if (onCommit && !onCommit(staging)) return false;
            image = staging;
            ++commits_;
            reply = makeReply(CmdCommit, nullptr, 0);
            return true;
        default:
            return false;
    }
}

SimController::Frame SimController::makeReply(std::uint8_t command, const std::uint8_t* data,
                                              int length) const {
    Frame frame;
    frame.reserve(static_cast<std::size_t>(length) + 3);
    frame.push_back(command);
    frame.push_back(static_cast<std::uint8_t>(length));
    if (length > 0) frame.insert(frame.end(), data, data + length);
    std::uint8_t sum = 0;
    for (std::uint8_t b : frame) sum = static_cast<std::uint8_t>(sum + b);
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
    img[61] = 2;    // KTY84-130
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

bool loadOrCreateImageFile(const QString& path, SimController::Image& image, QString* error) {
    QFile file(path);
    if (!file.exists()) {
        image = SimController::sampleImage();
        return saveImageFile(path, image, error);
    }
    if (!file.open(QIODevice::ReadOnly)) {
        if (error) *error = QStringLiteral("cannot read %1: %2").arg(path, file.errorString());
        return false;
    }
    if (file.size() != SimController::ImageSize) {
        if (error)
            *error = QStringLiteral("%1 holds %2 bytes; an image file must hold exactly %3")
                         .arg(path)
                         .arg(file.size())
                         .arg(SimController::ImageSize);
        return false;
    }
    const QByteArray bytes = file.read(SimController::ImageSize);
    if (bytes.size() != SimController::ImageSize) {
        if (error) *error = QStringLiteral("cannot read %1: %2").arg(path, file.errorString());
        return false;
    }
    std::memcpy(image.data(), bytes.constData(), SimController::ImageSize);
    return true;
}

bool saveImageFile(const QString& path, const SimController::Image& image, QString* error) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(reinterpret_cast<const char*>(image.data()), SimController::ImageSize) !=
            SimController::ImageSize ||
        !file.commit()) {
        if (error) *error = QStringLiteral("cannot write %1: %2").arg(path, file.errorString());
        return false;
    }
    return true;
}
