// The history of writes: one folder per controller, newest first, nothing replaced.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "ConfigSupport.h"
#include "History.h"

using namespace config;

namespace {

QByteArray contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

TEST(History, KeepsEveryWriteNewestFirst) {
    QTemporaryDir base;
    ASSERT_TRUE(base.isValid());
    const History history(base.path());
    const CalibrationImage unit = randomImage(31, 0x0405, "TRN48201", 'C');
    CalibrationImage otherUnit = unit;
    otherUnit.setByte(Field::SerialNumber + 3,
                      static_cast<std::uint8_t>(unit.byte(Field::SerialNumber + 3) + 1));
    const QDateTime t0(QDate(2024, 3, 31), QTime(2, 30), Qt::UTC);

    struct Write {
        const CalibrationImage* image;
        int minutes;  // after t0
        std::uint8_t motorCurrent;
    };
    // Out of time order, twice at the same moment, and one write of another unit between.
    const Write writes[] = {
        {&unit, 60, 61}, {&unit, 0, 62}, {&otherUnit, 30, 63}, {&unit, 60, 64}, {&unit, 90, 65}};
    std::map<QString, QByteArray> written;
    for (const Write& w : writes) {
        CalibrationImage image = *w.image;
        image.setByte(Field::MaxMotorCurrent, w.motorCurrent);
        QString path;
        const auto failed =
            history.save(image, {t0.addSecs(60 * w.minutes), QStringLiteral("trnsetup 4.1.0")},
                         Language::English, &path);
        ASSERT_FALSE(failed.has_value()) << failed->text(Language::English).toStdString();
        ASSERT_FALSE(written.count(path)) << "replaced " << path.toStdString();
        written[path] = contents(path);
    }
    // Nothing written earlier changed.
    for (const auto& [path, bytes] : written)
        EXPECT_EQ(contents(path), bytes) << path.toStdString();

    const auto entries = history.entries(unit);
    std::vector<int> currents;
    for (const History::Entry& e : entries) {
        const ReadResult read = ConfigFile::load(e.path);
        ASSERT_TRUE(read.ok());
        EXPECT_EQ(QFileInfo(e.path).dir().path(), history.folderFor(unit));
        currents.push_back(read.file->image().byte(Field::MaxMotorCurrent));
    }
    EXPECT_EQ(currents, (std::vector<int>{65, 64, 61, 62}));
    EXPECT_EQ(entries.front().time, t0.addSecs(90 * 60));
    ASSERT_EQ(history.entries(otherUnit).size(), 1u);
    EXPECT_NE(history.folderFor(otherUnit), history.folderFor(unit));
}

TEST(History, ReportsAFolderThatCannotBeMade) {
    QTemporaryDir base;
    ASSERT_TRUE(base.isValid());
    // A plain file where the history's base folder would be.
    const QString blocked = base.filePath(QStringLiteral("blocked"));
    QFile file(blocked);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    const History history(blocked);
    const CalibrationImage unit = randomImage(32, 0x0405, "\x01\x02\x03\x04\x05\x06\x07\x08", 'C');
    EXPECT_TRUE(history.folderFor(unit).endsWith(QLatin1String("unnamed-") +
                                                 FormatHex(unit.data() + Field::SerialNumber, 4)));
    const auto failed = history.save(unit, SampleInfo, Language::English);
    ASSERT_TRUE(failed.has_value());
    EXPECT_EQ(failed->kind, Message::Kind::WriteFailed);
    EXPECT_TRUE(history.entries(unit).empty());
}
