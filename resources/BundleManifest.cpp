#include "BundleManifest.h"

#include <QCryptographicHash>
#include <QSet>

namespace BundleManifest {

namespace {

const QByteArray kHeader = QByteArrayLiteral("trn-bundle-manifest 1\n");
const QByteArray kListTag = QByteArrayLiteral("list ");
constexpr int kDigestHex = 64;

QByteArray digest(const QByteArray& bytes) {
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256);
}

bool fail(QString* error, const QString& reason) {
    if (error != nullptr)
        *error = reason;
    return false;
}

// Exactly 64 lower-case hexadecimal digits, as write() produces them.
bool readDigest(const QByteArray& hex, QByteArray* raw) {
    if (hex.size() != kDigestHex)
        return false;
    for (char c : hex)
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f')))
            return false;
    *raw = QByteArray::fromHex(hex);
    return true;
}

// A decimal size without sign, blanks or leading zeros, within the entry bound.
bool readSize(const QByteArray& text, qint64* size) {
    if (text.isEmpty() || text.size() > 10 || (text.size() > 1 && text[0] == '0'))
        return false;
    qint64 value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + (c - '0');
    }
    if (value > MaxEntrySize)
        return false;
    *size = value;
    return true;
}

}  // namespace

bool isEntryPath(const QString& path) {
    if (path.isEmpty() || path.size() > 200 || path.startsWith(u'/') || path.endsWith(u'/') ||
        path.contains(QStringLiteral("//")))
        return false;
    for (QChar c : path) {
        const char16_t u = c.unicode();
        const bool allowed = (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') ||
                             (u >= '0' && u <= '9') || u == '.' || u == '_' || u == '-' || u == '/';
        if (!allowed)
            return false;
    }
    return true;
}

QByteArray write(const QList<Entry>& entries) {
    QByteArray text = kHeader;
    for (const Entry& e : entries)
        text +=
            e.sha256.toHex() + ' ' + QByteArray::number(e.size) + ' ' + e.path.toLatin1() + '\n';
    return text + kListTag + digest(text).toHex() + '\n';
}

bool read(const QByteArray& text, QList<Entry>* entries, QString* error) {
    if (text.size() > MaxManifestSize)
        return fail(error, QStringLiteral("the manifest is too large"));
    if (!text.startsWith(kHeader) || !text.endsWith('\n'))
        return fail(error, QStringLiteral("the manifest is not one this program reads"));
    const qsizetype lastLine = text.lastIndexOf('\n', text.size() - 2) + 1;
    const QByteArray list = text.left(lastLine);
    QByteArray listDigest;
    if (!text.mid(lastLine).startsWith(kListTag) ||
        !readDigest(text.mid(lastLine + kListTag.size()).chopped(1), &listDigest))
        return fail(error, QStringLiteral("the manifest has no digest of its own list"));
    if (digest(list) != listDigest)
        return fail(error, QStringLiteral("the manifest does not match its own digest"));

    QList<Entry> result;
    QSet<QString> paths;
    const QList<QByteArray> lines = list.mid(kHeader.size()).split('\n');
    // The split leaves an empty piece after the last newline.
    for (qsizetype i = 0; i + 1 < lines.size(); ++i) {
        const QList<QByteArray> fields = lines[i].split(' ');
        Entry entry;
        if (fields.size() != 3 || !readDigest(fields[0], &entry.sha256) ||
            !readSize(fields[1], &entry.size))
            return fail(error, QStringLiteral("line %1 of the manifest is damaged").arg(i + 2));
        entry.path = QString::fromLatin1(fields[2]);
        if (!isEntryPath(entry.path) || entry.path == QLatin1String(EntryName) ||
            paths.contains(entry.path))
            return fail(error,
                        QStringLiteral("line %1 of the manifest names no usable entry").arg(i + 2));
        if (result.size() >= MaxEntries)
            return fail(error, QStringLiteral("the manifest lists too many entries"));
        paths.insert(entry.path);
        result.append(entry);
    }
    *entries = std::move(result);
    return true;
}

}  // namespace BundleManifest
