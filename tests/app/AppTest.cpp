#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include "AppFixture.h"
#include "CVexlaControllerApp.h"

namespace {

CommandLine parse(std::initializer_list<const char*> args) {
    QStringList list{QStringLiteral("trnsetup")};
    for (const char* a : args) list << QString::fromUtf8(a);
    return parseCommandLine(list, QStringLiteral("/opt/trn"));
}

struct ProgramRun {
    int status;
    QString out;
    QString err;
};

ProgramRun runProgram(const QStringList& args) {
    QProcess p;
    p.start(QStringLiteral(TRN_BIN_DIR "/trnsetup"), args);
    if (!p.waitForFinished(10000)) {
        p.kill();
        p.waitForFinished();
        return {-1, {}, QStringLiteral("timed out")};
    }
    return {p.exitCode(), QString::fromLocal8Bit(p.readAllStandardOutput()),
            QString::fromLocal8Bit(p.readAllStandardError())};
}

}  // namespace

TEST(CommandLine, ChoosesModuleAndPorts) {
    using A = CommandLine::Action;
    struct Case {
        std::initializer_list<const char*> args;
        A action;
        const char* module;
        QStringList ports;
    };
    const Case cases[] = {
        {{}, A::Run, "/opt/trn/chinese.rcc", {}},
        {{"--language", "english"}, A::Run, "/opt/trn/english.rcc", {}},
        {{"--language=chinese"}, A::Run, "/opt/trn/chinese.rcc", {}},
        {{"-l", "/tmp/other.rcc"}, A::Run, "/tmp/other.rcc", {}},
        {{"--port", "/dev/ttyUSB1", "--port", "/dev/ttyS0"},
         A::Run,
         "/opt/trn/chinese.rcc",
         {QStringLiteral("/dev/ttyUSB1"), QStringLiteral("/dev/ttyS0")}},
        {{"--help"}, A::Help, "", {}},
        {{"--version"}, A::Version, "", {}},
        {{"--bogus"}, A::Error, "", {}},
        {{"--port"}, A::Error, "", {}},
        {{"--port", ""}, A::Error, "", {}},
        {{"--language", ""}, A::Error, "", {}},
        {{"stray"}, A::Error, "", {}},
    };
    for (const auto& c : cases) {
        const CommandLine line = parse(c.args);
        SCOPED_TRACE(line.message.toStdString());
        EXPECT_EQ(line.action, c.action);
        if (c.action == A::Run) {
            EXPECT_EQ(line.languageFile, QString::fromUtf8(c.module));
            EXPECT_EQ(line.ports, c.ports);
        } else {
            EXPECT_FALSE(line.message.isEmpty());
        }
    }
}

TEST(Program, HelpVersionAndBadOptions) {
    ProgramRun r = runProgram({QStringLiteral("--help")});
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(r.out.contains(QStringLiteral("--port"))) << r.out.toStdString();
    EXPECT_TRUE(r.out.contains(QStringLiteral("--language")));

    r = runProgram({QStringLiteral("--version")});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out.toStdString(), "trnsetup " TRN_VERSION "\n");

    r = runProgram({QStringLiteral("--frobnicate")});
    EXPECT_EQ(r.status, 2);
    EXPECT_TRUE(r.err.contains(QStringLiteral("frobnicate"))) << r.err.toStdString();
}

// Files the wizard writes name the program by this version.
TEST(Application, VersionIsTheBuilds) {
    theApp();
    EXPECT_EQ(QCoreApplication::applicationVersion(), QStringLiteral(TRN_VERSION));
}

// A module that is missing, or lacks a control a page addresses, ends the program before the
// warning, with a message naming what is wrong.
TEST(Application, UnusableModuleIsReportedAndFails) {
    const struct {
        QString file;
        QStringList named;
    } rows[] = {
        {QStringLiteral("/nonexistent/dir/chinese.rcc"), {}},
        {QStringLiteral(TRN_LACKING_MODULE),
         {QStringLiteral("template 146"), QStringLiteral("control 1034")}},
    };
    CVexlaControllerApp& app = theApp();
    for (const auto& row : rows) {
        QStringList reports;
        const auto saved = app.reportFatal;
        app.reportFatal = [&](const QString& text) { reports << text; };
        const int status =
            app.InitInstance({QStringLiteral("trnsetup"), QStringLiteral("--language"), row.file});
        app.ExitInstance();
        app.reportFatal = saved;
        EXPECT_EQ(status, 1);
        ASSERT_EQ(reports.size(), 1);
        for (const QString& text : QStringList{row.file} + row.named)
            EXPECT_TRUE(reports[0].contains(text)) << reports[0].toStdString();
        EXPECT_FALSE(app.languageModule.isLoaded());
    }
}

// Modules beside the program (build folder, portable copy) come first; otherwise the installed
// ones in ../share/trnsetup, and then the program runs installed.
TEST(CommandLine, FindsModulesBesideTheProgramOrInstalled) {
    const struct {
        const char* name;
        bool beside;
        bool shared;
        bool installed;
    } rows[] = {
        {"build folder", true, false, false},
        {"build folder with an installed copy too", true, true, false},
        {"installed", false, true, true},
        {"nothing anywhere", false, false, false},
    };
    for (const auto& row : rows) {
        QTemporaryDir root;
        const QString bin = root.filePath(QStringLiteral("bin"));
        const QString share = root.filePath(QStringLiteral("share/trnsetup"));
        QDir().mkpath(bin);
        QDir().mkpath(share);
        for (auto [wanted, folder] : {std::pair{row.beside, bin}, {row.shared, share}}) {
            QFile file(QDir(folder).filePath(QStringLiteral("english.rcc")));
            if (wanted) {
                ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            }
        }
        EXPECT_EQ(runsInstalled(bin), row.installed) << row.name;
        const QString expected =
            QDir(row.installed ? share : bin).filePath(QStringLiteral("english.rcc"));
        EXPECT_EQ(parseCommandLine({"trnsetup", "--language", "english"}, bin).languageFile,
                  expected)
            << row.name;
    }
}
