#include <gtest/gtest.h>

#include <algorithm>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "../support/Frames.h"
#include "../support/TrnsimProcess.h"
#include "PtyClient.h"
#include "SimController.h"
#include "WriteChunks.h"

namespace {

std::vector<Bytes> feed(SimController& sim, const Bytes& bytes) {
    std::vector<Bytes> out;
    for (auto& f : sim.feed(bytes.data(), bytes.size())) out.push_back(f);
    return out;
}

}  // namespace

TEST(SimController, AnswersEachCommand) {
    SimController sim;
    auto r = feed(sim, frame(0x11));
    ASSERT_EQ(r.size(), 1u);
    EXPECT_EQ(r[0], frame(0x11, {0x04, 0x05, 0x01}));

    EXPECT_EQ(feed(sim, frame(0xF1)), std::vector<Bytes>{frame(0xF1)});

    r = feed(sim, frame(0xF2, {112, 16, 0}));
    ASSERT_EQ(r.size(), 1u);
    Bytes expected(sim.image.begin() + 112, sim.image.end());
    EXPECT_EQ(r[0], frame(0xF2, expected));
}

TEST(SimController, RefusesBadRequestsSilently) {
    SimController sim;
    const struct {
        const char* what;
        Bytes request;
    } cases[] = {
        {"bad checksum", {0x11, 0x00, 0x12}},
        {"unknown command", frame(0x42)},
        {"read past the end", frame(0xF2, {113, 16, 0})},
        {"write past the end",
         [] {
             Bytes d{120, 13, 0};
             d.insert(d.end(), 13, 0);
             return frame(0xF3, d);
         }()},
        {"write count beyond its data", frame(0xF3, {0, 13, 0, 1, 2})},
    };
    for (const auto& c : cases) EXPECT_TRUE(feed(sim, c.request).empty()) << c.what;
    // The engine is still in step afterwards.
    EXPECT_EQ(feed(sim, frame(0xF1)).size(), 1u);
}

TEST(SimController, WritesAreStagedUntilCommit) {
    SimController sim;
    const auto before = sim.image;
    auto target = before;
    std::fill(target.begin() + 13, target.begin() + 26, 0x77);
    const auto frames = writeSequence(target);
    for (std::size_t i = 0; i + 1 < frames.size(); ++i)
        EXPECT_EQ(feed(sim, frames[i]).size(), 1u) << i;
    EXPECT_EQ(sim.image, before);
    SimController::Image committed{};
    sim.onCommit = [&](const SimController::Image& img) {
        committed = img;
        return true;
    };
    EXPECT_EQ(feed(sim, frame(0xF4)), std::vector<Bytes>{frame(0xF4)});
    EXPECT_EQ(sim.image[13], 0x77);
    EXPECT_EQ(sim.image[25], 0x77);
    EXPECT_EQ(sim.image[26], before[26]);
    EXPECT_EQ(committed, sim.image);
}

TEST(SimController, FaultModes) {
    SimController sim;
    sim.options.dropAfter = 2;
    EXPECT_EQ(feed(sim, frame(0xF1)).size(), 1u);
    EXPECT_EQ(feed(sim, frame(0xF1)).size(), 1u);
    EXPECT_TRUE(feed(sim, frame(0xF1)).empty());

    SimController bad;
    bad.options.badChecksum = true;
    auto r = feed(bad, frame(0xF1));
    ASSERT_EQ(r.size(), 1u);
    EXPECT_NE(r[0], frame(0xF1));

    SimController shortReads;
    shortReads.options.shortReads = true;
    r = feed(shortReads, frame(0xF2, {0, 16, 0}));
    ASSERT_EQ(r.size(), 1u);
    EXPECT_EQ(r[0][1], 8);
}

TEST(SimController, ResyncDropsPartialRequest) {
    SimController sim;
    const Bytes partial{0xF2, 3, 0};
    EXPECT_TRUE(feed(sim, partial).empty());
    sim.resync();
    EXPECT_EQ(feed(sim, frame(0x11)).size(), 1u);
}

TEST(SimImageFile, CreatedRefusedAndSaved) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("image.bin"));
    SimController::Image image{};
    QString error;
    ASSERT_TRUE(loadOrCreateImageFile(path, image, &error)) << error.toStdString();
    EXPECT_EQ(image, SimController::sampleImage());
    EXPECT_EQ(QFile(path).size(), 128);

    image[0] = 0x5A;
    ASSERT_TRUE(saveImageFile(path, image, &error));
    SimController::Image again{};
    ASSERT_TRUE(loadOrCreateImageFile(path, again, &error));
    EXPECT_EQ(again[0], 0x5A);

    const QString wrong = dir.filePath(QStringLiteral("short.bin"));
    QFile f(wrong);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("abc");
    f.close();
    EXPECT_FALSE(loadOrCreateImageFile(wrong, again, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("exactly 128"))) << error.toStdString();
}

TEST(TrnsimProgram, AnswersOverARealPseudoTerminal) {
    QTemporaryDir dir;
    const QString imagePath = dir.filePath(QStringLiteral("sim.bin"));
    const QString linkPath = dir.filePath(QStringLiteral("ttyTRN"));
    TrnsimProcess sim({QStringLiteral("--image"), imagePath, QStringLiteral("--version"),
                       QStringLiteral("0209"), QStringLiteral("--accept"), QStringLiteral("2"),
                       QStringLiteral("--link"), linkPath});
    ASSERT_FALSE(sim.device().isEmpty()) << sim.errors().toStdString();
    EXPECT_TRUE(sim.device().startsWith(QStringLiteral("/dev/pts/")));
    EXPECT_TRUE(QFile::exists(imagePath));

    {
        PtyClient client(linkPath.toStdString());
        ASSERT_TRUE(client.ok());
        ASSERT_TRUE(client.send({0x11, 0x00, 0x11}));
        EXPECT_EQ(client.receive(6, 2000), frame(0x11, {0x02, 0x09, 0x02}));
    }
    // The line survives the client closing and reopening it; a commit reaches the file.
    PtyClient client(sim.device().toStdString());
    ASSERT_TRUE(client.ok());
    auto target = SimController::sampleImage();
    std::fill(target.begin(), target.begin() + 13, 0x42);
    for (const Bytes& request : writeSequence(target)) {
        ASSERT_TRUE(client.send(request));
        EXPECT_EQ(client.receive(3, 2000), frame(request[0]));
    }
    QFile file(imagePath);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray saved = file.readAll();
    ASSERT_EQ(saved.size(), 128);
    EXPECT_EQ(static_cast<std::uint8_t>(saved[0]), 0x42);
    EXPECT_EQ(static_cast<std::uint8_t>(saved[12]), 0x42);
    EXPECT_EQ(static_cast<std::uint8_t>(saved[13]), SimController::sampleImage()[13]);

    sim.stop();
    EXPECT_FALSE(QFileInfo::exists(linkPath));
}

TEST(TrnsimProgram, RefusesAnImageOfTheWrongSize) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bad.bin"));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QByteArray(127, '\0'));
    f.close();
    QProcess p;
    p.start(QStringLiteral(TRN_BIN_DIR "/trnsim"), {QStringLiteral("--image"), path});
    ASSERT_TRUE(p.waitForFinished(5000));
    EXPECT_NE(p.exitCode(), 0);
    EXPECT_TRUE(p.readAllStandardError().contains("exactly 128"));
}
