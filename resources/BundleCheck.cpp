#include "BundleCheck.h"

#include <QCryptographicHash>
#include <QHash>
#include <QtEndian>

#include <vector>

#include <zlib.h>

#include "BundleManifest.h"

namespace BundleCheck {

namespace {

constexpr quint16 kCompressed = 0x01;
constexpr quint16 kDirectory = 0x02;
constexpr quint16 kCompressedZstd = 0x04;
constexpr int kMaxDepth = 32;

bool fail(QString* error, const QString& reason) {
    if (error != nullptr)
        *error = reason;
    return false;
}

// Inflates a zlib stream into exactly `size` bytes; a stream that holds more or less fails.
bool inflateExactly(const uchar* in, qsizetype inSize, qint64 size, QByteArray* out) {
    z_stream zs{};
    if (inflateInit(&zs) != Z_OK)
        return false;
    QByteArray buffer(qsizetype(size) + 1,
                      Qt::Uninitialized);  // one spare byte sees an overlong stream
    zs.next_in = const_cast<Bytef*>(in);
    zs.avail_in = uInt(inSize);
    zs.next_out = reinterpret_cast<Bytef*>(buffer.data());
    zs.avail_out = uInt(buffer.size());
    const int result = inflate(&zs, Z_FINISH);
    const bool ok = result == Z_STREAM_END && zs.total_out == uLong(size) && zs.avail_in == 0;
    inflateEnd(&zs);
    if (!ok)
        return false;
    buffer.truncate(qsizetype(size));
    *out = std::move(buffer);
    return true;
}

}  // namespace

bool readTable(const QByteArray& bundle, QList<Entry>* entries, QString* error) {
    const quint64 size = quint64(bundle.size());
    const auto* d = reinterpret_cast<const uchar*>(bundle.constData());
    const auto u16 = [d](quint64 at) { return quint64(qFromBigEndian<quint16>(d + at)); };
    const auto u32 = [d](quint64 at) { return quint64(qFromBigEndian<quint32>(d + at)); };
    const QString damaged = QStringLiteral("its file table is damaged");

    if (size < 20 || !bundle.startsWith("qres"))
        return fail(error, QStringLiteral("it is not a resource bundle"));
    const quint64 version = u32(4);
    if (version < 1 || version > 3)
        return fail(error, QStringLiteral("it is a resource bundle of unknown version"));
    const quint64 tree = u32(8), data = u32(12), names = u32(16);
    const quint64 headerSize = version >= 3 ? 24 : 20;
    const quint64 nodeSize = version >= 2 ? 22 : 14;  // later versions add a modification time
    if (size < headerSize || tree < headerSize || tree > size || data > size || names > size)
        return fail(error, damaged);
    const quint64 nodeCount = (size - tree) / nodeSize;
    if (nodeCount == 0)
        return fail(error, damaged);

    struct Pending {
        quint64 node;
        QString prefix;
        int depth;
    };
    QList<Entry> found;
    std::vector<bool> seen(nodeCount, false);
    std::vector<Pending> pending{{0, QString(), 0}};
    while (!pending.empty()) {
        const Pending p = pending.back();
        pending.pop_back();
        if (p.node >= nodeCount || seen[p.node] || p.depth > kMaxDepth)
            return fail(error, damaged);
        seen[p.node] = true;
        const quint64 at = tree + p.node * nodeSize;
        const quint64 name = names + u32(at);  // length, hash, then UTF-16 characters
        if (name + 6 > size || name + 6 + 2 * u16(name) > size)
            return fail(error, damaged);
        QString path;
        if (p.node != 0) {  // the root's name is not part of any path
            const qsizetype length = qsizetype(u16(name));
            QString own(length, Qt::Uninitialized);
            for (qsizetype i = 0; i < length; ++i)
                own[i] = QChar(char16_t(u16(name + 6 + 2 * quint64(i))));
            path = p.prefix.isEmpty() ? own : p.prefix + QLatin1Char('/') + own;
        }
        const quint16 flags = quint16(u16(at + 4));
        if (flags & kDirectory) {
            const quint64 count = u32(at + 6), first = u32(at + 10);
            if (first + count > nodeCount)
                return fail(error, damaged);
            for (quint64 child = first; child < first + count; ++child)
                pending.push_back({child, path, p.depth + 1});
        } else {
            const quint64 blob = data + u32(at + 10);  // length, then the (compressed) content
            if (p.node == 0 || blob + 4 > size || blob + 4 + u32(blob) > size)
                return fail(error, damaged);
            found.append({path, flags, qsizetype(blob + 4), qsizetype(u32(blob))});
        }
    }
    *entries = std::move(found);
    return true;
}

bool content(const QByteArray& bundle, const Entry& entry, qint64 limit, QByteArray* out,
             QString* error) {
    const auto* stored = reinterpret_cast<const uchar*>(bundle.constData()) + entry.at;
    if (entry.flags & kCompressedZstd)
        return fail(error, QStringLiteral("entry %1 is compressed in a way this program does not "
                                          "check (build the bundle with zlib compression)")
                               .arg(entry.path));
    if (!(entry.flags & kCompressed)) {
        if (entry.stored > limit)
            return fail(error, QStringLiteral("entry %1 is larger than it may be").arg(entry.path));
        *out = QByteArray(reinterpret_cast<const char*>(stored), entry.stored);
        return true;
    }
    // A compressed entry starts with the size it declares once uncompressed.
    if (entry.stored < 4)
        return fail(error, QStringLiteral("entry %1 is damaged").arg(entry.path));
    const qint64 declared = qFromBigEndian<quint32>(stored);
    if (declared > limit)
        return fail(error, QStringLiteral("entry %1 declares %2 bytes, more than it may hold")
                               .arg(entry.path)
                               .arg(declared));
    if (!inflateExactly(stored + 4, entry.stored - 4, declared, out))
        return fail(error, QStringLiteral("entry %1 is damaged (its compressed data does not "
                                          "decompress to the size it declares)")
                               .arg(entry.path));
    return true;
}

bool verify(const QByteArray& bundle, QString* error, QList<QPair<QString, qint64>>* sizes) {
    QList<Entry> entries;
    if (!readTable(bundle, &entries, error))
        return false;

    QHash<QString, Entry> byPath;
    for (const Entry& e : entries) byPath.insert(e.path, e);
    const auto manifestEntry = byPath.constFind(QLatin1String(BundleManifest::EntryName));
    if (manifestEntry == byPath.constEnd())
        return fail(error,
                    QStringLiteral("it carries no manifest, so its content cannot be checked "
                                   "(build it with the project's bundle rules)"));
    QByteArray text;
    QList<BundleManifest::Entry> listed;
    QString reason;
    if (!content(bundle, *manifestEntry, BundleManifest::MaxManifestSize, &text, error))
        return false;
    if (!BundleManifest::read(text, &listed, &reason))
        return fail(error, reason);
    if (listed.size() + 1 != byPath.size() || entries.size() != byPath.size())
        return fail(error, QStringLiteral("it holds entries its manifest does not list"));

    QList<QPair<QString, qint64>> checked;
    for (const BundleManifest::Entry& m : listed) {
        const auto it = byPath.constFind(m.path);
        if (it == byPath.constEnd())
            return fail(error, QStringLiteral("entry %1 of its manifest is missing").arg(m.path));
        QByteArray bytes;
        if (!content(bundle, *it, m.size, &bytes, error))
            return false;
        if (bytes.size() != m.size ||
            QCryptographicHash::hash(bytes, QCryptographicHash::Sha256) != m.sha256)
            return fail(error, QStringLiteral("entry %1 does not match its manifest (the file is "
                                              "damaged)")
                                   .arg(m.path));
        checked.append({m.path, m.size});
    }
    if (sizes != nullptr)
        *sizes = std::move(checked);
    return true;
}

}  // namespace BundleCheck
