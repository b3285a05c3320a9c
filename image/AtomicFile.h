#pragma once
// The one way the programs write a file: configuration files, history entries, the default
// file and the simulator's image all go through writeFileAtomically.

#include <sys/types.h>
#include <unistd.h>

#include <cstdio>
#include <functional>

#include <QByteArrayView>
#include <QString>

// The calls whose failures a real file system rarely shows on demand, replaceable so that tests
// can make each of them fail.
struct AtomicFileCalls {
    std::function<ssize_t(int, const void*, std::size_t)> write =
        [](int fd, const void* data, std::size_t count) { return ::write(fd, data, count); };
    std::function<int(int)> fsync = [](int fd) { return ::fsync(fd); };
    std::function<int(int)> close = [](int fd) { return ::close(fd); };
    std::function<int(const char*, const char*)> rename = [](const char* from, const char* to) {
        return std::rename(from, to);
    };
};

// Why path may not be written, or an empty string when it may: only a regular file or a name
// that does not exist yet is replaced. A directory, a device, a FIFO or a socket is refused, and
// so is a symbolic link to nothing (writing would create a file wherever it points) or to
// anything but a regular file. path is a name as fileNameFromSystem gives it.
QString refusalToWrite(const QString& path);

// Writes bytes to path so that the file is either the old one or completely the new one: a
// temporary file beside it, every write, the sync and the close checked, then renamed over it
// and the directory synced. A symbolic link to a regular file is followed, so that the file it
// names is replaced and the link stays. An existing file keeps its permissions (and, for root,
// its owner); a new one is made readable by all.
//
// False, with the reason in *reason, when the file was not written: the old file is then as it
// was and no temporary file is left. (Only when syncing the directory fails after the rename is
// the new file in place although the call reports the failure: whether it survives a crash is
// not known.)
bool writeFileAtomically(const QString& path, QByteArrayView bytes, QString* reason = nullptr,
                         const AtomicFileCalls& calls = {});
