#include "AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <optional>

#include "FileNames.h"
#include "SystemError.h"

namespace {

QString systemReason(int code) {
    return systemErrorText(code);
}

QString kindOf(mode_t mode) {
    if (S_ISDIR(mode))
        return QStringLiteral("a directory");
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return QStringLiteral("a device");
    if (S_ISFIFO(mode))
        return QStringLiteral("a FIFO");
    if (S_ISSOCK(mode))
        return QStringLiteral("a socket");
    return QStringLiteral("a special file");
}

// The file that writing name replaces, or why it may not be written.
struct Target {
    QByteArray name;
    std::optional<struct stat> old;  // none for a new name
    QString refusal;
};

Target resolve(const QByteArray& name) {
    Target target{name, std::nullopt, {}};
    if (name.isEmpty()) {
        target.refusal = systemReason(ENOENT);
        return target;
    }
    struct stat info {};
    if (::lstat(name.constData(), &info) != 0) {
        // A new name; a missing folder is reported when the temporary file cannot be made.
        if (errno != ENOENT)
            target.refusal = systemReason(errno);
        return target;
    }
    if (S_ISLNK(info.st_mode)) {
        if (::stat(name.constData(), &info) != 0) {
            target.refusal = errno == ENOENT
                                 ? QStringLiteral("a symbolic link to a file that does not exist")
                                 : systemReason(errno);
            return target;
        }
        if (!S_ISREG(info.st_mode)) {
            target.refusal = QStringLiteral("a symbolic link to %1, not to a regular file")
                                 .arg(kindOf(info.st_mode));
            return target;
        }
        char* real = ::realpath(name.constData(), nullptr);
        if (real == nullptr) {
            target.refusal = systemReason(errno);
            return target;
        }
        target.name = real;
        std::free(real);
    } else if (!S_ISREG(info.st_mode)) {
        target.refusal = kindOf(info.st_mode) + QStringLiteral(", not a regular file");
        return target;
    }
    target.old = info;
    return target;
}

QByteArray directoryOf(const QByteArray& name) {
    const qsizetype slash = name.lastIndexOf('/');
    if (slash < 0)
        return QByteArrayLiteral(".");
    return slash == 0 ? QByteArrayLiteral("/") : name.left(slash);
}

// 0, or the errno value of the write that failed.
int writeAll(const AtomicFileCalls& calls, int fd, QByteArrayView bytes) {
    const char* data = bytes.data();
    qsizetype count = bytes.size();
    while (count > 0) {
        const ssize_t n = calls.write(fd, data, static_cast<std::size_t>(count));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return errno;
        if (n == 0)
            return EIO;  // no progress and no reason: never loop on it
        data += n;
        count -= n;
    }
    return 0;
}

}  // namespace

QString refusalToWrite(const QString& path) {
    return resolve(fileNameToSystem(path)).refusal;
}

bool writeFileAtomically(const QString& path, QByteArrayView bytes, QString* reason,
                         const AtomicFileCalls& calls) {
    const auto fail = [&](const QString& why) {
        if (reason)
            *reason = why;
        return false;
    };
    const Target target = resolve(fileNameToSystem(path));
    if (!target.refusal.isEmpty())
        return fail(target.refusal);

    QByteArray temp = target.name + ".XXXXXX";
    const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0)
        return fail(systemReason(errno));
    const auto abandon = [&](int code, bool open) {
        if (open)
            ::close(fd);
        ::unlink(temp.constData());
        return fail(systemReason(code));
    };
    // A file system without permissions (a memory stick) keeps its own; that is no failure.
    [[maybe_unused]] const int moded =
        ::fchmod(fd, target.old ? target.old->st_mode & 07777 : 0644);
    if (target.old && ::geteuid() == 0) {
        [[maybe_unused]] const int owned = ::fchown(fd, target.old->st_uid, target.old->st_gid);
    }
    if (const int code = writeAll(calls, fd, bytes))
        return abandon(code, true);
    if (calls.fsync(fd) != 0)
        return abandon(errno, true);
    // Some file systems report a failed write only here.
    if (calls.close(fd) != 0)
        return abandon(errno, false);
    if (calls.rename(temp.constData(), target.name.constData()) != 0)
        return abandon(errno, false);

    // The rename itself is made durable by syncing the directory. A folder that cannot be opened
    // for reading cannot be synced; one whose file system cannot sync folders says EINVAL.
    const int dir =
        ::open(directoryOf(target.name).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir < 0)
        return true;
    const bool synced = calls.fsync(dir) == 0 || errno == EINVAL;
    const int code = errno;
    ::close(dir);
    if (!synced)
        return fail(QStringLiteral("written, but it may not survive a crash: ") +
                    systemReason(code));
    return true;
}
