// Writes the manifest of a language bundle: the SHA-256 digest and size of every entry, and
// a last line with the digest of the list itself. The loader refuses a bundle whose content
// does not match its manifest, so a damaged file is never half used.
//
//   trnmanifest <output> <alias> <file> [<alias> <file>]...
//
// The format is described in BundleManifest.h.
#include <QCryptographicHash>
#include <QFile>
#include <QMap>
#include <QSaveFile>

#include <cstdio>

#include "BundleManifest.h"

int main(int argc, char** argv) {
    if (argc < 2 || argc % 2 != 0) {
        std::fprintf(stderr, "usage: trnmanifest <output> <alias> <file> [<alias> <file>]...\n");
        return 2;
    }
    QMap<QString, BundleManifest::Entry> entries;  // sorted by path, so the text is reproducible
    for (int i = 2; i + 1 < argc; i += 2) {
        const QString alias = QString::fromLocal8Bit(argv[i]);
        QFile file(QString::fromLocal8Bit(argv[i + 1]));
        if (!file.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "trnmanifest: cannot read %s: %s\n", argv[i + 1],
                         qPrintable(file.errorString()));
            return 1;
        }
        const QByteArray content = file.readAll();
        if (!BundleManifest::isEntryPath(alias) || alias == BundleManifest::EntryName ||
            entries.contains(alias) || content.size() > BundleManifest::MaxEntrySize) {
            std::fprintf(stderr, "trnmanifest: %s cannot be an entry of a language bundle\n",
                         argv[i]);
            return 1;
        }
        entries.insert(alias, {alias, content.size(),
                               QCryptographicHash::hash(content, QCryptographicHash::Sha256)});
    }

    QSaveFile out(QString::fromLocal8Bit(argv[1]));
    const QByteArray text = BundleManifest::write(entries.values());
    if (!out.open(QIODevice::WriteOnly) || out.write(text) != text.size() || !out.commit()) {
        std::fprintf(stderr, "trnmanifest: cannot write %s: %s\n", argv[1],
                     qPrintable(out.errorString()));
        return 1;
    }
    return 0;
}
