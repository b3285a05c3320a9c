// Where message 107 sends users of other series, and where the progress window appears.
#include <QApplication>
#include <QFile>
#include <QScreen>

#include <atomic>
#include <chrono>
#include <thread>

#include "LinkRunner.h"
#include "Prompter.h"
#include "WizardFixture.h"

TEST_F(WizardFixture, WrongSeriesMessageNamesTheManualsSectionNotThePlaceholder) {
    const QUrl url = makeWizard()->supportedControllersUrl();
    if (!url.isLocalFile())
        GTEST_SKIP() << "built with a support address, which message 107 names as it is";
    EXPECT_EQ(url.fragment(), QStringLiteral("controllers"));
    for (const char* language : {"english", "chinese"}) {
        SCOPED_TRACE(language);
        ASSERT_TRUE(module.load(QStringLiteral(TRN_BIN_DIR "/%1.rcc").arg(language)));
        const QString shown = messageText(module, 107, url.toString());
        EXPECT_TRUE(shown.contains(url.toString())) << qPrintable(shown);
        EXPECT_FALSE(shown.contains(QLatin1String("example.com"))) << qPrintable(shown);
        EXPECT_EQ(messageText(module, 107), module.string(107));
        QFile manual(QStringLiteral(TRN_SOURCE_DIR "/docs/manual/%1/index.html")
                         .arg(language == std::string("english") ? "en" : "zh_CN"));
        ASSERT_TRUE(manual.open(QIODevice::ReadOnly));
        EXPECT_TRUE(manual.readAll().contains("id=\"controllers\""));
    }
}

// Centred on the wizard once it is shown, on the screen before; wide enough for its title.
TEST(ProgressWindow, IsCentredAndShowsItsWholeTitle) {
    FakeSleeper sleeper;
    ControllerLink link{sleeper};
    for (bool ownerShown : {true, false}) {
        SCOPED_TRACE(ownerShown);
        QWidget owner;
        owner.setWindowTitle(
            QStringLiteral("Step 1 -       TRN/TRE Series Controllers "
                           "Configuration Program V4.1"));
        owner.setGeometry(40, 60, 700, 600);
        if (ownerShown)
            owner.show();
        LinkRunner runner(link, &owner);
        runner.delayMs = 0;
        QRect window;
        std::atomic<bool> shown{false};
        QObject::connect(&runner, &LinkRunner::indicatorShown, [&] {
            window = runner.indicator()->frameGeometry();
            shown = true;
        });
        runner.run([&] {
            for (int i = 0; i < 2000 && !shown; ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            return true;
        });
        ASSERT_TRUE(shown);
        const QRect around =
            ownerShown ? owner.frameGeometry() : owner.screen()->availableGeometry();
        EXPECT_LE((window.center() - around.center()).manhattanLength(), 2);
        QFont bold = QApplication::font();
        bold.setBold(true);
        EXPECT_GT(window.width(), QFontMetrics(bold).horizontalAdvance(owner.windowTitle()));
    }
}
