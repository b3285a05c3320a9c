// The exact exchange the command sequences put on the line: every request frame byte for
// byte, and every wait and read in its place, against a controller that answers at once.
#include <gtest/gtest.h>

#include <QString>
#include <QStringList>

#include <deque>
#include <functional>
#include <memory>

#include "../support/Frames.h"
#include "CalibrationImage.h"
#include "ControllerLink.h"

namespace {

QString hex(const Bytes& bytes) {
    QStringList parts;
    for (std::uint8_t b : bytes)
        parts << QStringLiteral("%1").arg(b, 2, 16, QLatin1Char('0')).toUpper();
    return parts.join(QLatin1Char(' '));
}

// Writes, sleeps and reads in the order they happen, as one list of lines.
struct Wire {
    QStringList events;
};

class WireSleeper : public Sleeper {
public:
    explicit WireSleeper(Wire& wire) : wire_(wire) {}
    void sleepMs(int ms) override { wire_.events << QStringLiteral("sleep %1").arg(ms); }

private:
    Wire& wire_;
};

// Answers each request at once with a frame of the same command: 16 data bytes to a read,
// the version and acceptance byte to an identify, no data otherwise.
class WireStream : public ByteStream {
public:
    explicit WireStream(Wire& wire) : wire_(wire) {}
    bool write(const std::uint8_t* data, std::size_t count) override {
        const Bytes request(data, data + count);
        wire_.events << QStringLiteral("send ") + hex(request);
        const Bytes reply = request[0] == 0xF2   ? frame(0xF2, Bytes(16, 0x5A))
                            : request[0] == 0x11 ? frame(0x11, {0x02, 0x09, 0x01})
                                                 : frame(request[0]);
        pending_.insert(pending_.end(), reply.begin(), reply.end());
        return true;
    }
    int read(std::uint8_t* buffer, std::size_t maxCount) override {
        wire_.events << QStringLiteral("read");
        const std::size_t n = std::min(maxCount, pending_.size());
        std::copy_n(pending_.begin(), n, buffer);
        pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(n));
        return static_cast<int>(n);
    }

private:
    Wire& wire_;
    std::deque<std::uint8_t> pending_;
};

// One exchange as it must look: the request, the fixed wait (if any), then ReceiveFrame's
// 5 ms sleep before the read that finds the whole reply.
QStringList exchange(const Bytes& request, int waitMs = 0) {
    QStringList lines{QStringLiteral("send ") + hex(request)};
    if (waitMs > 0)
        lines << QStringLiteral("sleep %1").arg(waitMs);
    return lines << QStringLiteral("sleep 5") << QStringLiteral("read");
}

CalibrationImage counting() {
    CalibrationImage image;
    for (int i = 0; i < CalibrationImage::Size; ++i)
        image.setByte(i, static_cast<std::uint8_t>(i * 7 + 3));
    return image;
}

QStringList readImageWire() {
    QStringList lines = exchange(frame(0xF1), 50);
    for (int k = 0; k < 8; ++k) lines << exchange(frame(0xF2, {std::uint8_t(16 * k), 16, 0}));
    return lines << exchange(frame(0x11), 100);
}

QStringList writeImageWire(const CalibrationImage& image) {
    QStringList lines = exchange(frame(0xF1), 50);
    for (int k = 0; k < 10; ++k) {
        const bool last = k == 9;
        Bytes data{std::uint8_t(13 * k), std::uint8_t(last ? 11 : 13), 0};
        for (int i = 0; i < (last ? 11 : 13); ++i) data.push_back(image.byte(13 * k + i));
        // The last chunk's spare bytes are what the chunk before left: image bytes 115, 116.
        if (last)
            data.insert(data.end(), {image.byte(115), image.byte(116)});
        lines << exchange(frame(0xF3, data));
    }
    return lines << exchange(frame(0xF4), 200);
}

}  // namespace

TEST(WireTest, EachSequenceSendsExactFramesWithEachWaitInItsPlace) {
    const CalibrationImage blank;  // all 0xFF, as before the first read
    const CalibrationImage filled = counting();
    const struct {
        const char* sequence;
        std::function<bool(ControllerLink&)> run;
        QStringList wire;
    } rows[] = {
        {"identify", [](ControllerLink& l) { return l.IdentifyController(); },
         exchange(frame(0x11))},
        {"read image",
         [](ControllerLink& l) {
             CalibrationImage image;
             return l.ReadImage(image);
         },
         readImageWire()},
        {"write blank image", [&](ControllerLink& l) { return l.WriteImage(blank); },
         writeImageWire(blank)},
        {"write filled image", [&](ControllerLink& l) { return l.WriteImage(filled); },
         writeImageWire(filled)},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.sequence);
        Wire wire;
        WireSleeper sleeper(wire);
        ControllerLink link(sleeper);
        link.attach(std::make_unique<WireStream>(wire));
        EXPECT_TRUE(row.run(link));
        EXPECT_EQ(wire.events.join(QLatin1Char('\n')).toStdString(),
                  row.wire.join(QLatin1Char('\n')).toStdString());
    }
}
