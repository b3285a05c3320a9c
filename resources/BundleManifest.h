#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// The manifest every language bundle carries as its entry "manifest": one line per other entry
// with the SHA-256 digest of its content, its size and its path, sorted by path, and a last
// line with the digest of everything above it:
//
//   trn-bundle-manifest 1
//   <64 hex digits> <size> <path>
//   ...
//   list <64 hex digits>
namespace BundleManifest {

inline constexpr char EntryName[] = "manifest";
// Bounds on what a bundle may declare, far above any real one; nothing larger is allocated.
inline constexpr qint64 MaxEntrySize = 4 * 1024 * 1024;
inline constexpr qint64 MaxManifestSize = 256 * 1024;
inline constexpr int MaxEntries = 1024;

struct Entry {
    QString path;
    qint64 size = 0;
    QByteArray sha256;  // 32 raw bytes
};

// A path an entry may have: letters, digits, '.', '_', '-', folders split by single '/'.
bool isEntryPath(const QString& path);

// The manifest text of the entries, in the order given.
QByteArray write(const QList<Entry>& entries);

// Parses and checks a manifest text: its layout, its own digest and the bounds above.
// False, with the reason in *error, when it is not a sound manifest.
bool read(const QByteArray& text, QList<Entry>* entries, QString* error);

}  // namespace BundleManifest
