// The one file writer: what it replaces, what it refuses, and each step failing.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <functional>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "AtomicFile.h"

namespace {

QByteArray contents(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

void put(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(f.write(bytes), bytes.size());
}

QStringList entries(const QString& dir) {
    return QDir(dir).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

QString reasonOf(int code) {
    return QString::fromLocal8Bit(std::strerror(code));
}

}  // namespace

// Every call after the temporary file is made, failing in turn: the old file (or the absence of
// one) stays, the temporary file goes, and the reason is the system's.
TEST(AtomicFile, AFailingStepLeavesWhatWasThere) {
    const QByteArray fresh(5000, 'n');
    const auto failing = [](int code) {
        return [code](auto&&...) {
            errno = code;
            return -1;
        };
    };
    const struct {
        const char* what;
        std::function<void(AtomicFileCalls&)> breakCall;
        int code;
    } rows[] = {
        {"a write after part of the file",
         [](AtomicFileCalls& c) {
             c.write = [calls = 0](int fd, const void* data, std::size_t) mutable -> ssize_t {
                 if (calls++ > 0) {
                     errno = EDQUOT;
                     return -1;
                 }
                 return ::write(fd, data, 100);
             };
         },
         EDQUOT},
        {"a write that makes no progress",
         [](AtomicFileCalls& c) { c.write = [](int, const void*, std::size_t) { return 0; }; },
         EIO},
        {"the sync", [&](AtomicFileCalls& c) { c.fsync = failing(EIO); }, EIO},
        {"the close",
         [](AtomicFileCalls& c) {
             c.close = [](int fd) {
                 ::close(fd);
                 errno = ENOSPC;
                 return -1;
             };
         },
         ENOSPC},
        {"the rename", [&](AtomicFileCalls& c) { c.rename = failing(EXDEV); }, EXDEV},
    };
    for (const auto& row : rows) {
        for (const bool hadFile : {true, false}) {
            SCOPED_TRACE(std::string(row.what) + (hadFile ? ", over a file" : ", a new name"));
            QTemporaryDir dir;
            ASSERT_TRUE(dir.isValid());
            const QString path = dir.filePath(QStringLiteral("unit.trncfg"));
            if (hadFile)
                put(path, "old contents");
            AtomicFileCalls calls;
            row.breakCall(calls);
            QString reason;
            EXPECT_FALSE(writeFileAtomically(path, fresh, &reason, calls));
            EXPECT_EQ(reason, reasonOf(row.code));
            EXPECT_EQ(entries(dir.path()),
                      hadFile ? QStringList{QStringLiteral("unit.trncfg")} : QStringList());
            if (hadFile) {
                EXPECT_EQ(contents(path), QByteArray("old contents"));
            }
        }
    }
}

// A new name is made readable by all, a file keeps its permissions, and a symbolic link to a
// regular file is followed: the link stays and the file it names gets the new contents. A link
// to anything else is refused.
TEST(AtomicFile, WhatIsReplaced) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const auto at = [&](const char* name) { return dir.filePath(QLatin1String(name)); };
    const auto name = [&](const char* n) { return QFile::encodeName(at(n)); };
    put(at("private.trncfg"), "old");
    ASSERT_EQ(::chmod(name("private.trncfg").constData(), 0600), 0);
    put(at("real.trncfg"), "old");
    ASSERT_EQ(::symlink("real.trncfg", name("link.trncfg").constData()), 0);
    ASSERT_EQ(::mkfifo(name("pipe").constData(), 0600), 0);
    ASSERT_EQ(::symlink("pipe", name("to-pipe.trncfg").constData()), 0);

    const struct {
        const char* write;
        const char* changes;
        mode_t mode;
    } rows[] = {
        {"new.trncfg", "new.trncfg", 0644},
        {"private.trncfg", "private.trncfg", 0600},
        {"link.trncfg", "real.trncfg", 0644},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.write);
        ASSERT_TRUE(writeFileAtomically(at(row.write), "new"));
        EXPECT_EQ(contents(at(row.changes)), QByteArray("new"));
        struct stat info {};
        ASSERT_EQ(::stat(name(row.changes).constData(), &info), 0);
        EXPECT_EQ(info.st_mode & 07777, row.mode);
    }
    EXPECT_EQ(QFileInfo(at("link.trncfg")).symLinkTarget(), at("real.trncfg"));
    QString reason;
    EXPECT_FALSE(writeFileAtomically(at("to-pipe.trncfg"), "new", &reason));
    EXPECT_EQ(reason, QStringLiteral("a symbolic link to a FIFO, not to a regular file"));
    EXPECT_EQ(entries(dir.path()),
              (QStringList{"link.trncfg", "new.trncfg", "pipe", "private.trncfg", "real.trncfg",
                           "to-pipe.trncfg"}));
}
