// Files on a file system that fails, targets that are not files, and names that are not text:
// nothing the user had is lost, and no failure is reported as success.
#include <dirent.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include "../support/FullDisk.h"
#include "../support/TrnsimProcess.h"
#include "AtomicFile.h"
#include "ConfigFile.h"
#include "SimController.h"

namespace {

const QString Trnsetup = QStringLiteral(TRN_BIN_DIR "/trnsetup");

struct Result {
    int status = -1;
    QByteArray out;
    QStringList err;  // lines
};

// A program with no display; a run that outlasts timeoutMs counts as hung (status -1).
Result run(const QString& program, const QStringList& arguments,
           const std::function<void(QProcess&)>& prepare = {}, int timeoutMs = 60000) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    p.setProcessEnvironment(env);
    if (prepare)
        prepare(p);
    p.start(program, arguments);
    Result r;
    if (!p.waitForFinished(timeoutMs)) {
        p.kill();
        p.waitForFinished();
        return r;
    }
    r.status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = p.readAllStandardOutput();
    r.err = QString::fromUtf8(p.readAllStandardError()).split('\n', Qt::SkipEmptyParts);
    return r;
}

QByteArray systemName(const QString& path) {
    return QFile::encodeName(path);
}

void put(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(f.write(bytes), bytes.size());
}

// The names in a directory as the system has them, sorted.
std::vector<std::string> names(const QByteArray& dir) {
    std::vector<std::string> out;
    if (DIR* d = ::opendir(dir.constData())) {
        while (const dirent* e = ::readdir(d))
            if (std::string(e->d_name) != "." && std::string(e->d_name) != "..")
                out.emplace_back(e->d_name);
        ::closedir(d);
    }
    std::sort(out.begin(), out.end());
    return out;
}

// Everything a directory holds, never opening what is not a regular file: each entry's kind,
// and its bytes, link target or contents.
std::string snapshot(const QByteArray& dir) {
    std::string out;
    for (const std::string& name : names(dir)) {
        const QByteArray path = dir + '/' + QByteArray::fromStdString(name);
        struct stat info {};
        char link[256] = {};
        QFile file(QFile::decodeName(path));
        out +=
            name + " " + std::to_string(::lstat(path.constData(), &info) == 0 ? info.st_mode : 0);
        if (S_ISREG(info.st_mode) && file.open(QIODevice::ReadOnly))
            out += " " + std::to_string(qHash(file.readAll()));
        if (S_ISLNK(info.st_mode) && ::readlink(path.constData(), link, sizeof link - 1) > 0)
            out += std::string(" -> ") + link;
        if (S_ISDIR(info.st_mode))
            out += " {" + snapshot(path) + "}";
        out += "; ";
    }
    return out;
}

}  // namespace

// Each file-system fault and each target that is not a regular file, under every writer: the
// writer says it failed, naming the file and the reason, and the folder holds exactly what it
// held before (the old file byte for byte, no temporary file, the FIFO still a FIFO).
TEST(FileWriters, FaultsLeaveEverythingAsItWas) {
    using Mount = FullDisk::Mount;
    const QByteArray old = "# the file the user had\nmax_motor_current = 90%\n";
    const auto oldFileThen = [&](void (FullDisk::*fault)()) {
        return [=](FullDisk& disk, const QByteArray& target) {
            put(QFile::decodeName(target), old);
            (disk.*fault)();
            return true;
        };
    };
    const struct {
        const char* what;
        Mount how;
        std::function<bool(FullDisk&, const QByteArray&)> make;  // false: not possible here
        const char* reason;                                      // as a real file system says it
        bool fileSystem = false;
    } faults[] = {
        {"full disk", Mount::Writable, oldFileThen(&FullDisk::fill), "No space left on device",
         true},
        {"read-only file system", Mount::Writable, oldFileThen(&FullDisk::makeReadOnly),
         "Read-only file system", true},
        {"no inodes left", Mount::FewInodes,
         [&](FullDisk& disk, const QByteArray& target) {
             return disk.mounted() && oldFileThen(&FullDisk::fill)(disk, target);
         },
         "No space left on device", true},
        {"a FIFO", Mount::Writable,
         [](FullDisk&, const QByteArray& target) {
             return ::mkfifo(target.constData(), 0644) == 0;
         },
         "a FIFO, not a regular file"},
        {"a device node", Mount::Writable,
         [](FullDisk&, const QByteArray& target) {
             return ::mknod(target.constData(), S_IFCHR | 0666, makedev(1, 3)) == 0;
         },
         "a device, not a regular file"},
        {"a folder", Mount::Writable,
         [&](FullDisk&, const QByteArray& target) {
             if (::mkdir(target.constData(), 0755) != 0)
                 return false;
             put(QFile::decodeName(target + "/inside"), old);
             return true;
         },
         "a directory, not a regular file"},
        {"a link to nothing", Mount::Writable,
         [](FullDisk&, const QByteArray& target) {
             return ::symlink("gone", target.constData()) == 0;
         },
         "a symbolic link to a file that does not exist"},
    };

    QTemporaryDir simDir;
    TrnsimProcess controller({QStringLiteral("--image"), simDir.filePath(QStringLiteral("s.img"))});
    ASSERT_FALSE(controller.device().isEmpty()) << controller.errors().toStdString();
    // Each writer's message about the failure; an empty one when it reported success.
    const struct {
        const char* name;
        std::function<QString(const FullDisk&, const QString&)> write;
    } writers[] = {
        {"the writer itself",
         [](const FullDisk&, const QString& target) {
             QString reason;
             return writeFileAtomically(target, "new", &reason) ? QString()
                                                                : target + ": " + reason;
         }},
        {"the simulator's image",
         [](const FullDisk&, const QString& target) {
             QString error;
             return saveImageFile(target, SimController::sampleImage(), &error) ? QString() : error;
         }},
        {"trnsetup read -o",
         [&](const FullDisk& disk, const QString& target) {
             const Result r = run(Trnsetup, {"read", "--port", controller.device(), "-o", target},
                                  [&](QProcess& p) { disk.applyTo(p); });
             return r.status == 0 ? QString()
                                  : QStringLiteral("status %1: ").arg(r.status) + r.err.join('|');
         }},
    };

    for (const auto& fault : faults) {
        for (const auto& writer : writers) {
            SCOPED_TRACE(std::string(fault.what) + ", " + writer.name);
            FullDisk disk(fault.how);
            const QString target = disk.filePath(QStringLiteral("keep.trncfg"));
            if (!fault.make(disk, systemName(target))) {
                std::printf("[ skipped  ] %s: not possible on this machine\n", fault.what);
                continue;
            }
            const QByteArray dir = systemName(disk.filePath(QString()));
            const std::string before = snapshot(dir);
            const QString message = writer.write(disk, target);
            disk.unlimit();
            EXPECT_EQ(snapshot(dir), before);
            ASSERT_FALSE(message.isEmpty()) << "reported success";
            EXPECT_TRUE(message.contains(target)) << message.toStdString();
            // Without a mount a file-size limit stands in for the file system, with its own reason.
            if (disk.mounted() || !fault.fileSystem) {
                EXPECT_TRUE(message.contains(QLatin1String(fault.reason))) << message.toStdString();
            }
            if (QLatin1String(writer.name) == QLatin1String("trnsetup read -o")) {
                EXPECT_TRUE(message.startsWith(QStringLiteral("status 1: trnsetup: Cannot write ")))
                    << message.toStdString();
            }
        }
    }
}

// -o - writes the file to standard output and nothing else; any other name is the system's
// bytes as given, 0xFF included, for read and show alike.
TEST(FileWriters, StandardOutputAndNamesThatAreNotText) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    TrnsimProcess sim({QStringLiteral("--image"), dir.filePath(QStringLiteral("sim.img"))});
    ASSERT_FALSE(sim.device().isEmpty());

    const Result toStdout =
        run(Trnsetup, {QStringLiteral("read"), QStringLiteral("--port"), sim.device(),
                       QStringLiteral("-o"), QStringLiteral("-")});
    ASSERT_EQ(toStdout.status, 0) << toStdout.err.join('\n').toStdString();
    EXPECT_TRUE(toStdout.err.isEmpty());
    const config::ReadResult read = config::ConfigFile::parse(toStdout.out);
    ASSERT_TRUE(read.ok()) << read.error->text(config::Language::English).toStdString();
    EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(read.file->image().data()), 128),
              QByteArray(reinterpret_cast<const char*>(SimController::sampleImage().data()), 128));

    // The shell makes the byte: QProcess would pass the arguments as text.
    const QString prefix = dir.filePath(QStringLiteral("unit"));
    const Result written =
        run(QStringLiteral("/bin/sh"), {QStringLiteral("-c"),
                                        QStringLiteral("exec \"$0\" read --port \"$1\" -o "
                                                       "\"$2$(printf '\\377').trncfg\""),
                                        Trnsetup, sim.device(), prefix});
    ASSERT_EQ(written.status, 0) << written.err.join('\n').toStdString();
    EXPECT_TRUE(
        QString::fromUtf8(written.out).trimmed().endsWith(QStringLiteral("unit\\xff.trncfg")))
        << written.out.toStdString();
    struct stat info {};
    EXPECT_EQ(::stat((systemName(prefix) + "\xFF.trncfg").constData(), &info), 0);
    EXPECT_EQ(names(systemName(dir.path())),
              (std::vector<std::string>{"sim.img", "unit\xFF.trncfg"}));

    const Result shown =
        run(QStringLiteral("/bin/sh"),
            {QStringLiteral("-c"),
             QStringLiteral("exec \"$0\" show \"$1$(printf '\\377').trncfg\""), Trnsetup, prefix});
    EXPECT_EQ(shown.status, 0) << shown.err.join('\n').toStdString();
    EXPECT_TRUE(shown.out.startsWith("TRN48201 (variant J, firmware 0405, serial 000AB0FF)"));
    // The temporary folder's clean-up knows names only as text.
    ::unlink((systemName(prefix) + "\xFF.trncfg").constData());
}

// Inputs that are not regular files are refused at once: a FIFO that nobody writes is never
// waited on, a device never read.
TEST(FileReaders, WhatIsNotARegularFileIsRefusedAtOnce) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString fifo = dir.filePath(QStringLiteral("pipe.trncfg"));
    ASSERT_EQ(::mkfifo(systemName(fifo).constData(), 0644), 0);
    const struct {
        QStringList arguments;
        QString refused;
        int status;  // diff says trouble as diff(1) does
    } rows[] = {
        {{"show", fifo}, fifo, 1},
        {{"diff", fifo, fifo}, fifo, 2},
        {{"write", fifo, "--port", "/dev/null", "--yes"}, fifo, 1},
        {{"show", dir.path()}, dir.path(), 1},
        {{"show", "/dev/null"}, "/dev/null", 1},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.arguments.join(' ').toStdString());
        const Result r = run(Trnsetup, row.arguments, {}, 20000);
        EXPECT_EQ(r.status, row.status);
        EXPECT_EQ(r.err.value(0).toStdString(),
                  QStringLiteral("trnsetup: %1: Cannot read %1: not a regular file")
                      .arg(row.refused)
                      .toStdString());
    }
}

// A NUL, a tab or a line break in a value or a name shows escaped, and the line goes on to its
// end: the last line of each run, as a script reads it.
TEST(FileReaders, ErrorLinesShowControlCharactersWhole) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString nul = dir.filePath(QStringLiteral("nul.trncfg"));
    const char withNul[] =
        "model = TRN48201\nmax_motor_current = 9\0"
        "0%\n";
    put(nul, QByteArray(withNul, sizeof withNul - 1));
    const QString broken = dir.filePath(QStringLiteral("a\nb.trncfg"));
    const QString shownBroken = dir.filePath(QStringLiteral("a\\x0ab.trncfg"));
    const QString port = dir.filePath(QStringLiteral("tty\tS0"));
    const struct {
        QStringList arguments;
        QString line;
        int status;  // a file that reads wrong is the user's to mend: 2
    } rows[] = {
        {{"show", nul},
         QStringLiteral("trnsetup: %1: Line 2: \"9\\x000%\" is not a value of max_motor_current "
                        "(expected a whole number, 0 to 255%)")
             .arg(nul),
         2},
        {{"show", broken},
         QStringLiteral("trnsetup: %1: Cannot read %1: No such file or directory").arg(shownBroken),
         1},
        {{"read", "--port", port, "-o", dir.filePath(QStringLiteral("out.trncfg"))},
         QStringLiteral("trnsetup: no controller found on %1/tty\\x09S0").arg(dir.path()),
         1},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.arguments.join(' ').toStdString());
        const Result r = run(Trnsetup, row.arguments);
        EXPECT_EQ(r.status, row.status);
        EXPECT_EQ(r.err.value(r.err.size() - 1).toStdString(), row.line.toStdString());
    }
}

// The program's own messages follow the language chosen: the Chinese catalogue beside the
// modules is found and used, in a failure as in a success.
TEST(FileReaders, MessagesFollowTheLanguage) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const struct {
        const char* language;
        const char* says;
    } rows[] = {
        {"english", "trnsetup: nothing written: add --yes once the motor is not running"},
        {"chinese", "trnsetup: 未写入任何内容：确认电机未运行后请加上 --yes"},
    };
    const QString file = dir.filePath(QStringLiteral("unit.trncfg"));
    put(file, "model = TRN48201\n");
    for (const auto& row : rows) {
        SCOPED_TRACE(row.language);
        const Result r = run(Trnsetup, {QStringLiteral("write"), file, QStringLiteral("-l"),
                                        QString::fromLatin1(row.language)});
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(r.err.value(0).toStdString(), row.says);
    }
}

// The system's reasons are said in the language chosen; a default file that is not one is
// refused as edit refuses it.
TEST(FileReaders, ReasonsFollowTheLanguageAndDefaultFilesAreChecked) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString missing = dir.filePath(QStringLiteral("gone.trncfg"));
    const QString missingDefault = dir.filePath(QStringLiteral("0405000AB0FFV.v"));
    const QString shortDefault = dir.filePath(QStringLiteral("0405000AB0FEV.v"));
    put(shortDefault, QByteArray(10, '\0'));
    const struct {
        QStringList arguments;
        int status;
        QString says;
    } rows[] = {
        {{"show", missing},
         1,
         QStringLiteral("trnsetup: %1: Cannot read %1: No such file or directory").arg(missing)},
        {{"show", missing, "-l", "chinese"}, 1, QStringLiteral("没有那个文件或目录")},
        {{"diff", missingDefault, missing, "-l", "chinese"},
         2,
         QStringLiteral("没有那个文件或目录")},
        {{"show", dir.path(), "-l", "chinese"}, 1, QStringLiteral("不是普通文件")},
        {{"show", shortDefault},
         2,
         QStringLiteral("trnsetup: %1: not a default configuration file: it holds 10 bytes "
                        "instead of 128.")
             .arg(shortDefault)},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.arguments.join(' ').toStdString());
        const Result r = run(Trnsetup, row.arguments);
        EXPECT_EQ(r.status, row.status);
        EXPECT_TRUE(r.err.value(0).contains(row.says)) << r.err.join('\n').toStdString();
        EXPECT_FALSE(r.err.value(0).contains(QLatin1String("No such")) &&
                     row.arguments.contains(QLatin1String("chinese")));
    }
}

// Output that never reaches standard output (a full disk) is a failure, whatever the command
// printed and however it was asked to print it.
TEST(FileWriters, OutputLostToAFullDeviceIsAFailure) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    TrnsimProcess sim({QStringLiteral("--image"), dir.filePath(QStringLiteral("sim.img"))});
    ASSERT_FALSE(sim.device().isEmpty());
    const QString file = dir.filePath(QStringLiteral("unit.trncfg"));
    ASSERT_EQ(run(Trnsetup, {QStringLiteral("read"), QStringLiteral("--port"), sim.device(),
                             QStringLiteral("-o"), file})
                  .status,
              0);
    const QString unit = QStringLiteral("TRN48201-000AB0FF");
    const QStringList rows[] = {
        {"write", file, "--port", sim.device(), "--yes", "--force"},  // leaves an entry
        {"write", file, "--port", sim.device(), "--yes", "--force", "--json"},
        {"show", file},
        {"show", file, "--json"},
        {"diff", file, file},  // prints nothing without --json
        {"diff", file, file, "--json"},
        {"history", unit},
        {"history", unit, "--json"},
        {"history", "--export", "1", "-o", "-"},
        {"--help"},
    };
    for (const QStringList& arguments : rows) {
        SCOPED_TRACE(arguments.join(' ').toStdString());
        const Result r = run(Trnsetup, arguments, [](QProcess& p) {
            p.setStandardOutputFile(QStringLiteral("/dev/full"));
        });
        const bool printsNothing = arguments == QStringList{"diff", file, file};
        EXPECT_EQ(r.status, printsNothing ? 0 : 1) << r.err.join('\n').toStdString();
        EXPECT_EQ(r.err.join('\n').contains(QLatin1String("standard output: No space left")),
                  !printsNothing)
            << r.err.join('\n').toStdString();
    }
}
