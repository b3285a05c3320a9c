// The command line works with no display at all, and titles are the language module's own.
#include <gtest/gtest.h>

#include <functional>
#include <optional>

#include <QApplication>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QTimer>

#include "CVexlaControllerApp.h"
#include "Prompter.h"
#include "ResourceModule.h"

namespace {

std::vector<QByteArray> storage;

// argv as main gets it.
std::vector<char*> argvOf(const QStringList& args) {
    storage.clear();
    for (const QString& a : args) storage.push_back(a.toLocal8Bit());
    std::vector<char*> argv;
    for (QByteArray& a : storage) argv.push_back(a.data());
    argv.push_back(nullptr);
    return argv;
}

}  // namespace

TEST(CommandLine, ToolkitOptionsAreLeftToTheToolkit) {
    const struct {
        QStringList typed;
        QStringList kept;
    } rows[] = {
        {{"trnsetup", "-platform", "offscreen", "--version"}, {"trnsetup", "--version"}},
        {{"trnsetup", "-style=fusion", "-reverse", "--port", "/dev/ttyS0"},
         {"trnsetup", "--port", "/dev/ttyS0"}},
        {{"trnsetup", "--platform", "x"}, {"trnsetup", "--platform", "x"}},
        {{"trnsetup", "-p", "/dev/ttyUSB0", "-l", "english"},
         {"trnsetup", "-p", "/dev/ttyUSB0", "-l", "english"}},
        {{"trnsetup", "-platform"}, {"trnsetup"}},
    };
    for (const auto& row : rows) {
        std::vector<char*> argv = argvOf(row.typed);
        EXPECT_EQ(programArguments(static_cast<int>(row.typed.size()), argv.data()), row.kept)
            << row.typed.join(' ').toStdString();
    }
}

TEST(Program, CommandLineWithoutAnyDisplay) {
    const struct {
        QStringList args;
        int status;
        const char* out;
        const char* err;
    } rows[] = {
        {{"--help"}, 0, "Usage: trnsetup [options]", nullptr},
        {{"--version"}, 0, "trnsetup " TRN_VERSION "\n", nullptr},
        {{"-platform", "xcb", "--version"}, 0, "trnsetup " TRN_VERSION "\n", nullptr},
        {{"--bogus"}, 2, nullptr, "bogus"},
        {{"--port"}, 2, nullptr, "port"},
        {{"stray"}, 2, nullptr, "stray"},
        {{"--port-folder", "/no/such/folder"}, 2, nullptr, "is not a folder"},
        {{"--port-folder", "/tmp", "--port", "/dev/ttyS0"}, 2, nullptr, "exclude each other"},
    };
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(QString::fromLatin1(name));
    for (const auto& row : rows) {
        SCOPED_TRACE(row.args.join(' ').toStdString());
        QProcess p;
        p.setProcessEnvironment(env);
        p.start(QStringLiteral(TRN_BIN_DIR "/trnsetup"), row.args);
        ASSERT_TRUE(p.waitForFinished(10000));
        EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(p.exitCode(), row.status);
        const QString out = QString::fromLocal8Bit(p.readAllStandardOutput());
        const QString err = QString::fromLocal8Bit(p.readAllStandardError());
        if (row.out != nullptr) {
            EXPECT_TRUE(out.startsWith(QLatin1String(row.out))) << out.toStdString();
        }
        if (row.err != nullptr) {
            EXPECT_TRUE(err.contains(QLatin1String(row.err))) << err.toStdString();
        }
        EXPECT_TRUE(row.out != nullptr ? err.isEmpty() : out.isEmpty());
    }
}

// The window system appends an application display name to every title when one is set;
// none is, so the wizard's and the message boxes' titles reach it as the module gives them.
TEST(Titles, MessageBoxesCarryTheWizardsTitleAndNothingElse) {
    EXPECT_EQ(QGuiApplication::applicationDisplayName(), QCoreApplication::applicationName());
    for (const char* language : {"english", "chinese"}) {
        SCOPED_TRACE(language);
        ResourceModule module;
        QString error;
        ASSERT_TRUE(
            module.load(QStringLiteral(TRN_BIN_DIR "/%1.rcc").arg(QLatin1String(language)), &error))
            << error.toStdString();
        QWidget wizard;
        const QString title = module.string(165).replace(QLatin1String("%d"), QLatin1String("7"));
        wizard.setWindowTitle(title);
        MessageBoxPrompter prompter(module, &wizard);
        QString shown;
        QTimer look;
        look.setInterval(10);
        QObject::connect(&look, &QTimer::timeout, [&] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                shown = box->windowTitle();
                box->button(QMessageBox::Cancel)->click();
            }
        });
        look.start();
        prompter.ask(102, Prompter::Buttons::OkCancelQuestion);
        EXPECT_EQ(shown, title);
        module.release();
    }
}

// After any command word, --help prints that command's own help (its entries, not the
// others') and --version the version, both with status 0 and without a display.
TEST(Program, HelpAndVersionAfterEveryCommand) {
    const QStringList entries{
        QStringLiteral("trnsetup read [--port"),     QStringLiteral("trnsetup write FILE"),
        QStringLiteral("trnsetup show FILE"),        QStringLiteral("trnsetup diff A B"),
        QStringLiteral("trnsetup history --export"), QStringLiteral("trnsetup edit FILE")};
    const struct {
        QStringList args;
        int entry;  // the entry the help holds; -1 for --version
    } rows[] = {
        {{"read", "--help"}, 0},
        {{"write", "unit7.trncfg", "--help"}, 1},
        {{"--language", "chinese", "show", "-h"}, 2},
        {{"diff", "--help"}, 3},
        {{"history", "--help"}, 4},
        {{"edit", "--help"}, 5},
        {{"edit", "unit7.trncfg", "--help"}, 5},
        {{"read", "--version"}, -1},
        {{"write", "--version"}, -1},
        {{"show", "a.trncfg", "-v"}, -1},
        {{"diff", "--version"}, -1},
        {{"history", "--version"}, -1},
        {{"edit", "--version"}, -1},
        {{"edit", "unit7.trncfg", "--version"}, -1},
    };
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(QString::fromLatin1(name));
    for (const auto& row : rows) {
        SCOPED_TRACE(row.args.join(' ').toStdString());
        QProcess p;
        p.setProcessEnvironment(env);
        p.start(QStringLiteral(TRN_BIN_DIR "/trnsetup"), row.args);
        ASSERT_TRUE(p.waitForFinished(10000));
        EXPECT_EQ(p.exitCode(), 0);
        const QString out = QString::fromUtf8(p.readAllStandardOutput());
        EXPECT_EQ(p.readAllStandardError(), QByteArray());
        if (row.entry < 0) {
            EXPECT_EQ(out.toStdString(), "trnsetup " TRN_VERSION "\n");
            continue;
        }
        for (qsizetype e = 0; e < entries.size(); ++e)
            EXPECT_EQ(out.contains(entries[e]), e == row.entry) << entries[e].toStdString() << "\n"
                                                                << out.toStdString();
        EXPECT_TRUE(out.contains(QLatin1String("--language"))) << out.toStdString();
    }
}

// Success and what changed by itself inform; failures, warnings and questions keep their icons;
// no message loses or gains a button.
TEST(Titles, MessageBoxIconsFollowTheMessage) {
    ResourceModule module;
    ASSERT_TRUE(module.load(QStringLiteral(TRN_BIN_DIR "/english.rcc")));
    MessageBoxPrompter prompter(module);
    using B = QMessageBox::StandardButton;
    const struct {
        std::function<void()> show;
        QMessageBox::Icon icon;
        QMessageBox::StandardButtons buttons;
    } rows[] = {
        {[&] { prompter.ask(106, Prompter::Buttons::YesNo); }, QMessageBox::Information,
         B::Yes | B::No},
        {[&] { prompter.ask(108, Prompter::Buttons::Ok); }, QMessageBox::Information, B::Ok},
        {[&] { prompter.inform(QStringLiteral("saved")); }, QMessageBox::Information, B::Ok},
        {[&] { prompter.ask(104, Prompter::Buttons::Ok); }, QMessageBox::Warning, B::Ok},
        {[&] { prompter.ask(110, Prompter::Buttons::YesNo); }, QMessageBox::Warning,
         B::Yes | B::No},
        {[&] { prompter.ask(105, Prompter::Buttons::RetryCancel); }, QMessageBox::Warning,
         B::Retry | B::Cancel},
        {[&] { prompter.ask(102, Prompter::Buttons::OkCancelQuestion); }, QMessageBox::Question,
         B::Ok | B::Cancel},
        {[&] { prompter.tell(QStringLiteral("cannot")); }, QMessageBox::Warning, B::Ok},
    };
    for (const auto& row : rows) {
        std::optional<QMessageBox::Icon> icon;
        QMessageBox::StandardButtons buttons;
        QTimer look;
        look.setInterval(10);
        QObject::connect(&look, &QTimer::timeout, [&] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                icon = box->icon();
                buttons = box->standardButtons();
                box->done(0);
            }
        });
        look.start();
        row.show();
        ASSERT_TRUE(icon);
        EXPECT_EQ(*icon, row.icon);
        EXPECT_EQ(buttons, row.buttons);
    }
    module.release();
}
