// The trnsim program: its command line, its link and image file, its log and its pace.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <functional>

#include <QDir>
#include <QRegularExpression>

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include "../support/Frames.h"
#include "../support/FullDisk.h"
#include "../support/TrnsimProcess.h"
#include "PtyClient.h"
#include "SimController.h"
#include "WriteChunks.h"

namespace {

struct Ended {
    int status = -1;
    QString err;
};

// A run of trnsim that must end by itself (a refused command line); -1 when it hangs.
Ended runToEnd(const QStringList& arguments) {
    QProcess p;
    p.start(QStringLiteral(TRN_BIN_DIR "/trnsim"), arguments);
    if (!p.waitForFinished(5000)) {
        p.kill();
        p.waitForFinished(3000);
        return {};
    }
    return {p.exitCode(), QString::fromLocal8Bit(p.readAllStandardError())};
}

QByteArray fileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

bool writeBytes(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

}  // namespace

TEST(TrnsimProgram, RefusesBadOptionValuesAndNonFileImages) {
    QTemporaryDir dir;
    const QString fifo = dir.filePath(QStringLiteral("fifo"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const struct {
        QStringList args;
        const char* message;
    } rows[] = {
        {{QStringLiteral("--version"), QStringLiteral("+123")}, "four hex digits"},
        {{QStringLiteral("--version"), QStringLiteral("0x12")}, "four hex digits"},
        {{QStringLiteral("--version"), QStringLiteral(" 405")}, "four hex digits"},
        {{QStringLiteral("--version"), QStringLiteral("12345")}, "four hex digits"},
        {{QStringLiteral("--accept"), QStringLiteral("+1")}, "--accept"},
        {{QStringLiteral("--accept"), QStringLiteral("256")}, "--accept"},
        {{QStringLiteral("--delay"), QStringLiteral("-5")}, "--delay"},
        {{QStringLiteral("--drop-after"), QStringLiteral("3 ")}, "--drop-after"},
        {{QStringLiteral("--image"), fifo}, "not a regular file"},
        {{QStringLiteral("--image"), dir.path()}, "not a regular file"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(qPrintable(row.args.join(QLatin1Char(' '))));
        const Ended r = runToEnd(row.args);
        EXPECT_EQ(r.status, 2) << qPrintable(r.err);
        EXPECT_TRUE(r.err.contains(QLatin1String(row.message))) << qPrintable(r.err);
    }
}

// --link replaces only a stale link and removes on exit only the link it made.
TEST(TrnsimProgram, LinkReplacesOnlyAStaleLink) {
    QTemporaryDir dir;
    TrnsimProcess other;  // a live pseudo-terminal that is not ours
    ASSERT_FALSE(other.device().isEmpty());
    const QString link = dir.filePath(QStringLiteral("ttyTRN"));
    const QByteArray l = QFile::encodeName(link);
    const struct {
        const char* what;
        std::function<bool()> plant;  // what stands at the path before the start
        bool replaced;
    } rows[] = {
        {"nothing", [] { return true; }, true},
        {"a stale link", [&] { return ::symlink("/dev/pts/999999", l.constData()) == 0; }, true},
        {"a regular file", [&] { return writeBytes(link, "keep me"); }, false},
        {"a directory", [&] { return ::mkdir(l.constData(), 0700) == 0; }, false},
        {"a live link",
         [&] {
             return ::symlink(QFile::encodeName(other.device()).constData(), l.constData()) == 0;
         },
         false},
        {"a link to a missing file elsewhere",
         [&] { return ::symlink("/nonexistent/x", l.constData()) == 0; }, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        ASSERT_TRUE(row.plant());
        const QFileInfo before(link);
        const QString target = before.symLinkTarget();
        TrnsimProcess sim({QStringLiteral("--link"), link});
        if (row.replaced) {
            ASSERT_FALSE(sim.device().isEmpty()) << qPrintable(sim.errors());
            EXPECT_EQ(QFileInfo(link).symLinkTarget(), sim.device());
            sim.stop();
            EXPECT_FALSE(QFileInfo::exists(link) || QFileInfo(link).isSymLink());
        } else {
            EXPECT_TRUE(sim.device().isEmpty());
            EXPECT_TRUE(sim.errors().contains(QStringLiteral("already exists")));
            EXPECT_EQ(QFileInfo(link).symLinkTarget(), target);
            EXPECT_EQ(QFileInfo(link).isDir(), before.isDir());
        }
        ::unlink(l.constData());
        ::rmdir(l.constData());
    }

    // A link that someone replaced while the simulator ran is left alone at exit.
    TrnsimProcess sim({QStringLiteral("--link"), link});
    ASSERT_FALSE(sim.device().isEmpty());
    ASSERT_EQ(::unlink(l.constData()), 0);
    ASSERT_EQ(::symlink(QFile::encodeName(other.device()).constData(), l.constData()), 0);
    sim.stop();
    EXPECT_EQ(QFileInfo(link).symLinkTarget(), other.device());
}

// On a full disk a commit is not acknowledged and the old image file stays whole, so the
// simulator can start again from it.
TEST(TrnsimProgram, FullDiskKeepsTheOldImageAndLeavesTheCommitUnanswered) {
    FullDisk disk;
    ASSERT_TRUE(disk.valid());
    const QString image = disk.filePath(QStringLiteral("sim.bin"));
    const auto sample = SimController::sampleImage();
    const QByteArray old(reinterpret_cast<const char*>(sample.data()), 128);
    ASSERT_TRUE(writeBytes(image, old));
    disk.fill();

    QProcess* started = nullptr;
    {
        TrnsimProcess sim({QStringLiteral("--image"), image}, [&](QProcess& p) {
            disk.applyTo(p);
            started = &p;
        });
        ASSERT_NE(started, nullptr);
        ASSERT_FALSE(sim.device().isEmpty()) << qPrintable(sim.errors());
        PtyClient client(sim.device().toStdString());
        ASSERT_TRUE(client.ok());
        auto target = sample;
        target.fill(0x11);
        const auto frames = writeSequence(target);
        for (std::size_t i = 0; i + 1 < frames.size(); ++i) {
            ASSERT_TRUE(client.send(frames[i]));
            ASSERT_EQ(client.receive(3, 2000), frame(frames[i][0])) << i;
        }
        ASSERT_TRUE(client.send(frame(0xF4)));
        EXPECT_TRUE(client.receive(3, 600).empty());
        sim.stop();
        EXPECT_TRUE(sim.errors().contains(QStringLiteral("cannot write")))
            << qPrintable(sim.errors());
    }
    disk.unlimit();
    EXPECT_EQ(fileBytes(image), old);
    EXPECT_EQ(QDir(QFileInfo(image).path()).entryList({QStringLiteral("sim.bin.*")}, QDir::Files),
              QStringList());  // no temporary file left behind
    TrnsimProcess again({QStringLiteral("--image"), image});
    EXPECT_FALSE(again.device().isEmpty()) << qPrintable(again.errors());
}

TEST(TrnsimProgram, LogHasALinePerRequestAndReplySayingWhyOneIsIgnored) {
    QTemporaryDir dir;
    const QString logPath = dir.filePath(QStringLiteral("exchange.log"));
    TrnsimProcess sim({QStringLiteral("--log"), logPath});
    ASSERT_FALSE(sim.device().isEmpty()) << qPrintable(sim.errors());
    PtyClient client(sim.device().toStdString());
    ASSERT_TRUE(client.ok());
    ASSERT_TRUE(client.send(frame(0x11)));
    ASSERT_EQ(client.receive(6, 2000).size(), 6u);
    ASSERT_TRUE(client.send(frame(0xF4)));  // no open before it
    EXPECT_TRUE(client.receive(3, 300).empty());
    sim.stop();

    const QStringList lines =
        QString::fromLatin1(fileBytes(logPath)).split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 3) << qPrintable(lines.join(u'\n'));
    const QRegularExpression stamp(QStringLiteral("^\\d+\\.\\d{6} "));
    for (const QString& line : lines) EXPECT_TRUE(stamp.match(line).hasMatch()) << qPrintable(line);
    EXPECT_TRUE(lines[0].endsWith(QStringLiteral(" > 11 00 11")));
    EXPECT_TRUE(lines[1].endsWith(QStringLiteral(" < 11 03 04 05 01 1E")));
    EXPECT_TRUE(lines[2].contains(QStringLiteral(" > F4 00 F4  (ignored: commit without")));
}

// Paced, a request of 6 bytes and its reply of 19 take at least 25 byte times of 0.52 ms.
TEST(TrnsimProgram, PaceCarriesBothDirectionsAt19200Baud) {
    TrnsimProcess sim({QStringLiteral("--pace")});
    ASSERT_FALSE(sim.device().isEmpty());
    PtyClient client(sim.device().toStdString());
    ASSERT_TRUE(client.ok());
    for (int block = 0; block < 3; ++block) {
        const Bytes request = frame(0xF2, {std::uint8_t(16 * block), 16, 0});
        ASSERT_EQ(request.size(), 6u);
        const auto start = std::chrono::steady_clock::now();
        ASSERT_TRUE(client.send(request));
        ASSERT_EQ(client.receive(19, 2000).size(), 19u);
        const double ms =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count();
        EXPECT_GE(ms, 25 * 0.5208) << block;
    }
}
