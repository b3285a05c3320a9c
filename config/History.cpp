#include "History.h"

#include <algorithm>

#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include "Fields.h"

namespace config {

namespace {

const QString Suffix = QStringLiteral(".trncfg");
const QString TimeFormat = QStringLiteral("yyyyMMdd'T'HHmmss.zzz'Z'");

QString entryName(const QDateTime& time, int sequence) {
    QString name = time.toUTC().toString(TimeFormat);
    if (sequence > 1)
        name += QLatin1Char('_') + QString::number(sequence);
    return name + Suffix;
}

}  // namespace

QString History::folderFor(const CalibrationImage& image) const {
    // Only letters and digits of the model name, so that any bytes make a valid folder name.
    QString model;
    for (int i = 0; i < Field::ModelLength; ++i) {
        const std::uint8_t b = image.byte(Field::Model + i);
        if ((b >= '0' && b <= '9') || (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z'))
            model += QLatin1Char(static_cast<char>(b));
    }
    if (model.isEmpty())
        model = QStringLiteral("unnamed");
    const QString serial = FormatHex(image.data() + Field::SerialNumber, Field::SerialNumberLength);
    return QDir(base_).filePath(model + QLatin1Char('-') + serial);
}

std::optional<Message> History::save(const CalibrationImage& image, const FileInfo& info,
                                     Language language, QString* path) const {
    const QString folder = folderFor(image);
    if (!QDir().mkpath(folder))
        return Message{
            Message::Kind::WriteFailed, 0, {folder, QStringLiteral("cannot create the folder")}};
    const QDateTime time = info.date.isValid() ? info.date : QDateTime::currentDateTimeUtc();
    const QString text = ConfigFile::write(image, {time, info.program}, language);

    // Claim a free name first (creating it fails when it exists), then fill it through a save
    // file, so that an entry is never replaced and never left half written.
    for (int sequence = 1; sequence < 1000; ++sequence) {
        const QString candidate = QDir(folder).filePath(entryName(time, sequence));
        QFile claim(candidate);
        if (!claim.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
            if (QFile::exists(candidate))
                continue;
            return Message{Message::Kind::WriteFailed, 0, {candidate, claim.errorString()}};
        }
        claim.close();
        if (auto failed = saveText(candidate, text)) {
            QFile::remove(candidate);
            return failed;
        }
        if (path)
            *path = candidate;
        return std::nullopt;
    }
    return Message{Message::Kind::WriteFailed,
                   0,
                   {folder, QStringLiteral("too many entries with the same time")}};
}

std::vector<History::Entry> History::entries(const CalibrationImage& image) const {
    static const QRegularExpression name(
        QStringLiteral("^(\\d{8}T\\d{6}\\.\\d{3}Z)(?:_(\\d+))?\\.trncfg$"));
    std::vector<Entry> out;
    const QDir folder(folderFor(image));
    for (const QString& file : folder.entryList({QLatin1Char('*') + Suffix}, QDir::Files)) {
        const QRegularExpressionMatch m = name.match(file);
        if (!m.hasMatch())
            continue;
        // Date and time apart, so that no local clock change can make a name invalid.
        const QString stamp = m.captured(1);
        const QDateTime time(QDate::fromString(stamp.left(8), QStringLiteral("yyyyMMdd")),
                             QTime::fromString(stamp.mid(9, 10), QStringLiteral("HHmmss.zzz")),
                             Qt::UTC);
        if (!time.isValid())
            continue;
        const int sequence = m.captured(2).isEmpty() ? 1 : m.captured(2).toInt();
        out.push_back({folder.filePath(file), time, sequence});
    }
    std::sort(out.begin(), out.end(), [](const Entry& a, const Entry& b) {
        return a.time != b.time ? a.time > b.time : a.sequence > b.sequence;
    });
    return out;
}

}  // namespace config
