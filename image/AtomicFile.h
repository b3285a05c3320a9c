#pragma once

#include <QString>

// Writes size bytes to path so that the file is either the old one or completely the new one:
// a temporary file beside it, every write and the sync checked, then renamed over it and the
// directory synced. A full disk or a crash never leaves a partial file, nor spoils the file that
// stood there. False, with the reason in *error, when the file was not written.
bool writeFileAtomically(const QString& path, const void* data, qint64 size,
                         QString* error = nullptr);
