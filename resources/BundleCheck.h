#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// Checks a language bundle (a binary Qt resource file) before Qt is given it. Qt trusts the
// offsets and sizes inside such a file, so a damaged one could make it read past the file's
// end, allocate whatever a size field claims, or hand out silently changed texts.
namespace BundleCheck {

struct Entry {
    QString path;       // inside the bundle, such as "dialog/146.ui"
    quint16 flags = 0;  // Qt's node flags: compressed, directory, compressed with zstd
    qsizetype at = 0;   // where the stored bytes start in the file
    qsizetype stored = 0;
};

// Walks the bundle's file table: every offset and length stays inside the file, every node is
// reached once. The file entries, with their full paths, go to *entries.
bool readTable(const QByteArray& bundle, QList<Entry>* entries, QString* error);

// The content of an entry, decompressed into at most `limit` bytes; a compressed entry must
// declare exactly the size it holds. False, with a reason, otherwise.
bool content(const QByteArray& bundle, const Entry& entry, qint64 limit, QByteArray* out,
             QString* error);

// The whole check: a sound file table, a manifest, and every entry present with the size and
// digest the manifest gives it (no entry missing, none extra). The manifest's entries go to
// *sizes as path and size when the check passes.
bool verify(const QByteArray& bundle, QString* error,
            QList<QPair<QString, qint64>>* sizes = nullptr);

}  // namespace BundleCheck
