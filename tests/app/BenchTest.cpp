// Figures for scripts/bench.sh, not run with the suite: the real program against simulators
// on pseudo-terminals, timed from the warning's Yes to page 1, with the GUI thread's longest
// pause while the link works.
#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <memory>

#include "../support/TrnsetupProcess.h"
#include "../support/TrnsimProcess.h"
#include "AppFixture.h"
#include "CVexlaControllerApp.h"
#include "ConfigFile.h"
#include "Controls.h"
#include "SimController.h"
#include "Wizird.h"

namespace {

constexpr int IdFinish = 1026;

struct Figures {
    qint64 yesToPageOneMs = -1;
    qint64 finishToCompletedMs = -1;
    qint64 longestPauseMs = 0;  // between two 5 ms ticks of the GUI thread, Yes to the end
    qint64 longestPageChangeMs = 0;
    qint64 longestResizeMs = 0;
};

// Every page shown and the window resized, each until it is painted, once the pages are up.
void timePagesAndResizes(Wizird& wizard, Figures& f) {
    const auto timed = [](const auto& step) {
        QElapsedTimer t;
        t.start();
        step();
        QApplication::processEvents();
        return t.elapsed();
    };
    for (unsigned n = 2; n <= wizard.pageCount + 1; ++n)
        f.longestPageChangeMs = std::max(
            f.longestPageChangeMs, timed([&] { wizard.ShowPage(n <= wizard.pageCount ? n : 1); }));
    const QSize original = wizard.size();
    for (const QSize size : {wizard.minimumSize(), QSize(900, 700), QSize(1200, 900), original})
        f.longestResizeMs =
            std::max(f.longestResizeMs,
                     timed([&] { wizard.resize(size.expandedTo(wizard.minimumSize())); }));
}

Figures runOnce(int silentPorts) {
    std::vector<std::unique_ptr<TrnsimProcess>> sims;
    QStringList args{QStringLiteral("trnsetup"), QStringLiteral("--language"),
                     QStringLiteral(TRN_BIN_DIR "/english.rcc")};
    for (int i = 0; i <= silentPorts; ++i) {
        const bool controller = i == silentPorts;
        sims.push_back(std::make_unique<TrnsimProcess>(
            controller ? QStringList{} : QStringList{QStringLiteral("--silent")}));
        args << QStringLiteral("--port") << sims.back()->device();
    }
    Figures f;
    QElapsedTimer clock;
    QElapsedTimer tick;
    QTimer beat;
    beat.setInterval(5);
    QObject::connect(&beat, &QTimer::timeout, [&] {
        if (clock.isValid() && tick.isValid())
            f.longestPauseMs = std::max(f.longestPauseMs, tick.restart());
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* box = qobject_cast<QMessageBox*>(modal);
            box && box->property("answered").isNull()) {
            box->setProperty("answered", true);
            const bool warning = box->text().startsWith(QLatin1String("Warning:"));
            if (warning) {
                clock.start();
                tick.start();
            } else if (f.finishToCompletedMs < 0) {
                f.finishToCompletedMs = clock.elapsed() - f.yesToPageOneMs;
            }
            QMetaObject::invokeMethod(
                box->button(warning || box->button(QMessageBox::Yes) ? QMessageBox::Yes
                                                                     : QMessageBox::Ok),
                &QAbstractButton::click, Qt::QueuedConnection);
        } else if (auto* wizard = qobject_cast<Wizird*>(modal); wizard && f.yesToPageOneMs < 0) {
            f.yesToPageOneMs = clock.elapsed();
            timePagesAndResizes(*wizard, f);
            tick.restart();  // the walk is timed apart from the link's pauses
            QMetaObject::invokeMethod(findControl<QPushButton>(wizard->form(), IdFinish),
                                      &QAbstractButton::click, Qt::QueuedConnection);
        }
    });
    beat.start();
    QTemporaryDir dir;
    CVexlaControllerApp& app = theApp();
    const QString saved = app.programDir;
    app.programDir = dir.path();
    app.InitInstance(args);
    app.ExitInstance();
    app.programDir = saved;
    return f;
}

}  // namespace

TEST(Bench, DISABLED_SearchBehindSilentPorts) {
    const Figures one = runOnce(1);
    const Figures four = runOnce(4);
    std::printf("yes to page 1, one silent port before the controller:   %lld ms\n",
                static_cast<long long>(one.yesToPageOneMs));
    std::printf("yes to page 1, four silent ports before the controller: %lld ms (%.2f times)\n",
                static_cast<long long>(four.yesToPageOneMs),
                static_cast<double>(four.yesToPageOneMs) /
                    static_cast<double>(std::max<qint64>(1, one.yesToPageOneMs)));
    std::printf("finish to message 106: %lld ms\n",
                static_cast<long long>(four.finishToCompletedMs));
    std::printf("longest pause of the GUI thread while the link worked: %lld ms\n",
                static_cast<long long>(std::max(one.longestPauseMs, four.longestPauseMs)));
    std::printf("longest page change: %lld ms, longest resize: %lld ms\n",
                static_cast<long long>(std::max(one.longestPageChangeMs, four.longestPageChangeMs)),
                static_cast<long long>(std::max(one.longestResizeMs, four.longestResizeMs)));
    EXPECT_GT(one.yesToPageOneMs, 0);
    EXPECT_GT(four.yesToPageOneMs, 0);
}

// trnsetup write from start to exit: one paced simulator on one port, then a batch of eight on
// eight ports, alternately, three times each; the medians side by side.
TEST(Bench, DISABLED_BatchOfEight) {
    QTemporaryDir dir;
    CalibrationImage image;
    const SimController::Image sample = SimController::sampleImage();
    std::copy(sample.begin(), sample.end(), image.data());
    image.setByte(Field::MaxMotorCurrent, 85);
    const QString file = dir.filePath(QStringLiteral("batch.trncfg"));
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(config::ConfigFile::write(image, {}, config::Language::English).toUtf8());
    }
    int run = 0;
    const auto timeWrite = [&](int units) {
        std::vector<std::unique_ptr<TrnsimProcess>> sims;
        QStringList arguments{QStringLiteral("write"), file, QStringLiteral("--yes")};
        for (int i = 0; i < units; ++i) {
            // A new image each time: the sample, which the file changes.
            sims.push_back(std::make_unique<TrnsimProcess>(
                QStringList{QStringLiteral("--pace"), QStringLiteral("--image"),
                            dir.filePath(QStringLiteral("%1-%2.img").arg(++run).arg(i))}));
            arguments << QStringLiteral("--port") << sims.back()->device();
        }
        QElapsedTimer clock;
        clock.start();
        const CommandResult r = runTrnsetup(arguments, dir.filePath(QStringLiteral("data")));
        const qint64 ms = clock.elapsed();
        EXPECT_EQ(r.status, 0) << r.err.join('\n').toStdString();
        return ms;
    };
    std::vector<qint64> one, eight;
    for (int i = 0; i < 3; ++i) {
        one.push_back(timeWrite(1));
        eight.push_back(timeWrite(8));
    }
    std::sort(one.begin(), one.end());
    std::sort(eight.begin(), eight.end());
    std::printf("write, one paced controller on one port:        %lld ms\n",
                static_cast<long long>(one[1]));
    std::printf("write, a batch of eight on eight ports:         %lld ms (%.2f times)\n",
                static_cast<long long>(eight[1]),
                static_cast<double>(eight[1]) / static_cast<double>(std::max<qint64>(1, one[1])));
}
