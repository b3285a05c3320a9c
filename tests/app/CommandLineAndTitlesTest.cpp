// The command line works with no display at all, and titles are the language module's own.
#include <gtest/gtest.h>

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
        // After a command word: that command's own help (its entries first, no other's before
        // them), and the version.
        {{"read", "--help"}, 0, "Usage:\n  trnsetup read [--port", nullptr},
        {{"write", "unit7.trncfg", "--help"}, 0, "Usage:\n  trnsetup write FILE", nullptr},
        {{"-l", "chinese", "show", "-h"}, 0, "Usage:\n  trnsetup show FILE\n", nullptr},
        {{"diff", "--help"}, 0, "Usage:\n  trnsetup diff A B\n", nullptr},
        {{"history", "--help"}, 0, "Usage:\n  trnsetup history [--port", nullptr},
        {{"edit", "unit7.trncfg", "--help"}, 0, "Usage: trnsetup edit FILE", nullptr},
        {{"edit", "--help"}, 0, "Usage: trnsetup edit FILE", nullptr},
        {{"read", "--version"}, 0, "trnsetup " TRN_VERSION "\n", nullptr},
        {{"write", "a.trncfg", "--version"}, 0, "trnsetup " TRN_VERSION "\n", nullptr},
        {{"history", "-v"}, 0, "trnsetup " TRN_VERSION "\n", nullptr},
        {{"edit", "--version"}, 0, "trnsetup " TRN_VERSION "\n", nullptr},
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

// Success and what changed by itself inform; failures, warnings and questions keep their icons;
// no message loses or gains a button.
TEST(Titles, MessageBoxIconsFollowTheMessage) {
    ResourceModule module;
    ASSERT_TRUE(module.load(QStringLiteral(TRN_BIN_DIR "/english.rcc")));
    MessageBoxPrompter prompter(module);
    using B = QMessageBox::StandardButton;
    using P = Prompter::Buttons;
    const struct {
        int id;  // 0: a text of the program's, told; 1: informed
        P asked;
        QMessageBox::Icon icon;
        QMessageBox::StandardButtons buttons;
    } rows[] = {
        {106, P::YesNo, QMessageBox::Information, B::Yes | B::No},
        {108, P::Ok, QMessageBox::Information, B::Ok},
        {1, P::Ok, QMessageBox::Information, B::Ok},
        {104, P::Ok, QMessageBox::Warning, B::Ok},
        {110, P::YesNo, QMessageBox::Warning, B::Yes | B::No},
        {105, P::RetryCancel, QMessageBox::Warning, B::Retry | B::Cancel},
        {102, P::OkCancelQuestion, QMessageBox::Question, B::Ok | B::Cancel},
        {0, P::Ok, QMessageBox::Warning, B::Ok},
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
        if (row.id > 1)
            prompter.ask(row.id, row.asked);
        else
            row.id == 1 ? prompter.inform(QStringLiteral("saved"))
                        : prompter.tell(QStringLiteral("not"));
        ASSERT_TRUE(icon);
        EXPECT_EQ(*icon, row.icon);
        EXPECT_EQ(buttons, row.buttons);
    }
    module.release();
}
