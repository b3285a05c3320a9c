#include "SystemError.h"

#include <cerrno>
#include <cstring>

#include <QCoreApplication>

namespace {

struct Reason {
    int code;
    const char* text;  // as the C library says it, so that the English program is unchanged
};

constexpr Reason Reasons[] = {
    {ENOENT, QT_TRANSLATE_NOOP("System", "No such file or directory")},
    {EACCES, QT_TRANSLATE_NOOP("System", "Permission denied")},
    {EPERM, QT_TRANSLATE_NOOP("System", "Operation not permitted")},
    {EISDIR, QT_TRANSLATE_NOOP("System", "Is a directory")},
    {ENOTDIR, QT_TRANSLATE_NOOP("System", "Not a directory")},
    {ENOSPC, QT_TRANSLATE_NOOP("System", "No space left on device")},
    {EDQUOT, QT_TRANSLATE_NOOP("System", "Disk quota exceeded")},
    {EROFS, QT_TRANSLATE_NOOP("System", "Read-only file system")},
    {EBUSY, QT_TRANSLATE_NOOP("System", "Device or resource busy")},
    {ETXTBSY, QT_TRANSLATE_NOOP("System", "Text file busy")},
    {EEXIST, QT_TRANSLATE_NOOP("System", "File exists")},
    {EIO, QT_TRANSLATE_NOOP("System", "Input/output error")},
    {ENODEV, QT_TRANSLATE_NOOP("System", "No such device")},
    {ENXIO, QT_TRANSLATE_NOOP("System", "No such device or address")},
    {ENAMETOOLONG, QT_TRANSLATE_NOOP("System", "File name too long")},
    {ELOOP, QT_TRANSLATE_NOOP("System", "Too many levels of symbolic links")},
    {EMFILE, QT_TRANSLATE_NOOP("System", "Too many open files")},
    {EFBIG, QT_TRANSLATE_NOOP("System", "File too large")},
    {EAGAIN, QT_TRANSLATE_NOOP("System", "Resource temporarily unavailable")},
    {EPIPE, QT_TRANSLATE_NOOP("System", "Broken pipe")},
};

QString systemText(int code) {
    return QString::fromLocal8Bit(std::strerror(code));
}

}  // namespace

QString systemErrorText(int code) {
    for (const Reason& r : Reasons) {
        if (r.code != code)
            continue;
        const QString text = QCoreApplication::translate("System", r.text);
        if (text != QLatin1String(r.text))
            return text;
    }
    return systemText(code);
}

QString systemErrorText(const QString& text) {
    for (const Reason& r : Reasons)
        if (text == QLatin1String(r.text) || text == systemText(r.code))
            return systemErrorText(r.code);
    return text;
}
