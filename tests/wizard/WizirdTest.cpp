#include <functional>

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPushButton>
#include <QRegion>
#include <QScreen>
#include <QSlider>

#include "CStep2.h"
#include "CStep3.h"
#include "CStep4.h"
#include "CStep5.h"
#include "CStep6.h"
#include "CStep7.h"
#include "V0204.h"
#include "WizardFixture.h"

namespace {

using Answer = Prompter::Answer;
using Entry = PageEventLog::Entry;

constexpr int IdNext = 1016;
constexpr int IdPrevious = 1018;
constexpr int IdFinish = 1026;
constexpr int IdDefault = 1103;
constexpr int IdCancel = 1017;

template <class T>
bool is(SettingsPage* page) {
    return dynamic_cast<T*>(page) != nullptr;
}

bool enabled(Wizird& w, int id) {
    return w.frameControl(id)->isEnabled();
}

}  // namespace

TEST_F(WizardFixture, FourPageCatalogue) {
    controller(0x0203, '0', 'X');
    sim.image[Field::Switches] = 0xFF;
    auto w = startWizard();
    ASSERT_TRUE(started);
    ASSERT_EQ(w->pageCount, 4u);
    EXPECT_TRUE(is<CStep2>(w->page(1)));
    EXPECT_TRUE(is<CStep3>(w->page(2)));
    EXPECT_TRUE(is<CStep4>(w->page(3)));
    EXPECT_TRUE(is<CStep6>(w->page(4)));
    EXPECT_EQ(image.byte(Field::Switches), 0xBF);  // regeneration cleared
    EXPECT_EQ(w->currentPage, 1u);
    EXPECT_FALSE(w->page(1)->isHidden());
    for (unsigned n = 2; n <= 4; ++n) EXPECT_TRUE(w->page(n)->isHidden()) << n;
    EXPECT_EQ(prompter.ids(), std::vector<int>{110});
}

TEST_F(WizardFixture, SevenPageCatalogue) {
    controller(0x0204, '1', 'J');
    sim.image[Field::Switches] = 0xFF;
    auto w = startWizard();
    ASSERT_TRUE(started);
    ASSERT_EQ(w->pageCount, 7u);
    EXPECT_TRUE(is<CStep2>(w->page(1)));
    EXPECT_TRUE(is<CStep3>(w->page(2)));
    EXPECT_TRUE(is<V0204>(w->page(3)));
    EXPECT_TRUE(is<CStep5>(w->page(4)));
    EXPECT_TRUE(is<CStep4>(w->page(5)));
    EXPECT_TRUE(is<CStep7>(w->page(6)));
    EXPECT_TRUE(is<CStep6>(w->page(7)));
    EXPECT_EQ(image.byte(Field::Switches), 0xFF);
    for (unsigned n = 1; n <= 7; ++n) {
        EXPECT_EQ(w->page(n)->geometry(), w->contentRect) << n;
        EXPECT_EQ(w->page(n)->parentWidget(), w.get());
    }
    EXPECT_FALSE(w->contentRect.isEmpty());
}

TEST_F(WizardFixture, TitleCarriesTheStepNumber) {
    controller(0x0405, '1', 'J');
    auto w = startWizard();
    ASSERT_TRUE(started);
    EXPECT_EQ(
        w->windowTitle(),
        QStringLiteral("Step 1 -       TRN/TRE Series Controllers Configuration Program V4.1"));
    w->ShowPage(3);
    EXPECT_EQ(
        w->windowTitle(),
        QStringLiteral("Step 3 -       TRN/TRE Series Controllers Configuration Program V4.1"));
}

TEST_F(WizardFixture, ButtonStatesOnFirstMiddleAndLastPage) {
    controller(0x0203, '0', 'X');
    auto w = startWizard();
    ASSERT_TRUE(started);
    const struct {
        unsigned page;
        bool previous, next, finish, deflt;
    } cases[] = {
        {1, false, true, true, true},
        {2, true, true, true, false},
        {3, true, true, true, false},
        {4, true, false, true, false},
    };
    for (const auto& c : cases) {
        w->ShowPage(c.page);
        SCOPED_TRACE(c.page);
        EXPECT_EQ(enabled(*w, IdPrevious), c.previous);
        EXPECT_EQ(enabled(*w, IdNext), c.next);
        EXPECT_EQ(enabled(*w, IdFinish), c.finish);
        EXPECT_EQ(enabled(*w, IdDefault), c.deflt);
        EXPECT_TRUE(enabled(*w, IdCancel));
    }
    // Out-of-range numbers settle on the first or the last page.
    w->ShowPage(0);
    EXPECT_EQ(w->currentPage, 1u);
    w->ShowPage(99);
    EXPECT_EQ(w->currentPage, 4u);
}

TEST_F(WizardFixture, NextAndPreviousStoreTheLeftPageBeforeLoadingTheNext) {
    controller(0x0405, '1', 'J');
    auto w = startWizard();
    ASSERT_TRUE(started);
    log.entries.clear();
    w->OnNextButton();
    EXPECT_EQ(w->currentPage, 2u);
    EXPECT_EQ(log.entries, (std::vector<Entry>{{1, false}, {2, true}}));
    log.entries.clear();
    w->OnNextButton();
    w->OnPreviousButton();
    EXPECT_EQ(w->currentPage, 2u);
    // Backwards too: page 3 is hidden (stores) before page 2 is shown (loads).
    EXPECT_EQ(log.entries, (std::vector<Entry>{{2, false}, {3, true}, {3, false}, {2, true}}));
}

TEST_F(WizardFixture, FinishFromPageOneStoresItThenWrites) {
    controller(0x0405, '1', 'J');
    auto w = startWizard();
    ASSERT_TRUE(started);
    w->page(1)->control<QSlider>(1034)->setValue(77);
    log.entries.clear();
    prompter.script(106, {Answer::Yes});
    w->OnFinishButton();
    // Closing hides the whole window afterwards; what matters is the order before the write.
    ASSERT_GE(log.entries.size(), 2u);
    EXPECT_EQ(log.entries[0], (Entry{1, false}));
    EXPECT_EQ(log.entries[1], (Entry{7, true}));
    EXPECT_EQ(sim.commits(), 1);
    EXPECT_EQ(sim.image[Field::MaxMotorCurrent], 77);
    EXPECT_TRUE(w->closed());
    EXPECT_EQ(w->result(), QDialog::Accepted);
}

TEST_F(WizardFixture, WriteFailureRetryCancelThenWriteAgain) {
    controller(0x0405, '1', 'J');
    auto w = startWizard();
    ASSERT_TRUE(started);
    sim.options.silent = true;
    prompter.script(105, {Answer::Retry, Answer::Cancel});
    w->OnFinishButton();
    EXPECT_EQ(prompter.count(105), 2);
    EXPECT_FALSE(w->closed());
    EXPECT_EQ(w->currentPage, w->pageCount);
    EXPECT_EQ(sim.commits(), 0);

    sim.options.silent = false;
    const int requestsBefore = sim.requests();
    prompter.script(106, {Answer::No, Answer::Yes});
    w->OnFinishButton();
    // The whole sequence again: open, ten chunks and the commit; then the read-back: open,
    // eight blocks and identify.
    EXPECT_EQ(sim.requests() - requestsBefore, 12 + 10);
    EXPECT_EQ(sim.commits(), 1);
    EXPECT_FALSE(w->closed());  // No stays
    w->OnFinishButton();
    EXPECT_EQ(sim.commits(), 2);
    EXPECT_TRUE(w->closed());  // Yes closes
}

TEST_F(WizardFixture, CancelAsksFirst) {
    controller(0x0405, '1', 'J');
    auto w = startWizard();
    ASSERT_TRUE(started);
    prompter.script(102, {Answer::Cancel, Answer::Ok});
    w->OnCancelButton();
    EXPECT_FALSE(w->closed());
    w->OnCancelButton();
    EXPECT_TRUE(w->closed());
    EXPECT_EQ(w->result(), QDialog::Rejected);
    EXPECT_EQ(sim.commits(), 0);
    EXPECT_EQ(prompter.asked.back().buttons, Prompter::Buttons::OkCancelQuestion);
}

TEST_F(WizardFixture, SeriesCheck) {
    const struct {
        const char* series;
        bool accepted;
    } cases[] = {{"TRN", true},  {"TRE", true},  {"trn", false},
                 {"tre", false}, {"TRX", false}, {"XTR", false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.series);
        prompter = ScriptedPrompter();
        controller(0x0405, '1', 'J');
        for (int i = 0; i < 3; ++i)
            sim.image[static_cast<std::size_t>(64 + i)] = static_cast<std::uint8_t>(c.series[i]);
        auto w = makeWizard();
        EXPECT_EQ(w->OnInitDialog(), c.accepted);
        EXPECT_EQ(w->closed(), !c.accepted);
        EXPECT_EQ(prompter.count(107), c.accepted ? 0 : 1);
        if (!c.accepted) {
            EXPECT_GT(w->pageCount, 0u);  // pages exist and go with the wizard
        }
    }
}

TEST_F(WizardFixture, SpecialVersionIsRefused) {
    controller(0x0405, '1', 'J');
    sim.image[Field::ModelOptions] = 0x80;
    auto w = makeWizard();
    EXPECT_FALSE(w->OnInitDialog());
    EXPECT_TRUE(w->closed());
    EXPECT_EQ(prompter.ids(), (std::vector<int>{110, 111}));
}

TEST_F(WizardFixture, OldControlModeIsUpgradedAndWritten) {
    controller(0x0405, '1', 'J');
    sim.image[Field::ControlMode] = 2;
    sim.image[Field::ControlModeCopy] = 2;
    sim.image[Field::SpeedMode] = 7;
    auto w = startWizard();
    ASSERT_TRUE(started);
    EXPECT_EQ(prompter.ids(), (std::vector<int>{110, 108}));
    EXPECT_EQ(image.byte(Field::SpeedMode), 0);
    EXPECT_EQ(image.byte(Field::ControlMode), 3);
    EXPECT_EQ(image.byte(Field::ControlModeCopy), 3);
    w->OnFinishButton();
    EXPECT_EQ(sim.image[Field::SpeedMode], 0);
    EXPECT_EQ(sim.image[Field::ControlMode], 3);
    EXPECT_EQ(sim.image[Field::ControlModeCopy], 3);

    // Only the pair (2, 2) is the old coding.
    prompter = ScriptedPrompter();
    sim.image[Field::ControlMode] = 2;
    sim.image[Field::ControlModeCopy] = 1;
    auto again = makeWizard();
    ASSERT_TRUE(again->OnInitDialog());
    EXPECT_EQ(prompter.count(108), 0);
    EXPECT_EQ(image.byte(Field::ControlMode), 2);
}

TEST_F(WizardFixture, WarningDeclinedEndsBeforeConnecting) {
    prompter.script(110, {Answer::No});
    auto w = makeWizard();
    EXPECT_FALSE(w->OnInitDialog());
    EXPECT_EQ(connects, 0);
    EXPECT_TRUE(w->closed());
    EXPECT_EQ(sim.requests(), 0);
}

TEST_F(WizardFixture, NoControllerOffersRetryWithTheReasons) {
    controller(0x0405, '1', 'J');
    failConnects = 2;
    prompter.script(103, {Answer::Retry, Answer::Retry});
    auto w = makeWizard();
    EXPECT_TRUE(w->OnInitDialog());
    EXPECT_EQ(connects, 3);
    EXPECT_EQ(prompter.count(103), 2);
    EXPECT_EQ(prompter.asked[1].buttons, Prompter::Buttons::RetryCancel);
    EXPECT_TRUE(prompter.asked[1].detail.contains(QStringLiteral("permission denied")));

    prompter = ScriptedPrompter();
    failConnects = 5;
    auto cancelled = makeWizard();
    EXPECT_FALSE(cancelled->OnInitDialog());
    EXPECT_EQ(connects, 1);
    EXPECT_TRUE(cancelled->closed());
}

TEST_F(WizardFixture, ReadFailureEndsWithMessage104) {
    controller(0x0405, '1', 'J');
    sim.options.shortReads = true;
    auto w = makeWizard();
    EXPECT_FALSE(w->OnInitDialog());
    EXPECT_EQ(prompter.ids(), (std::vector<int>{110, 104}));
    EXPECT_EQ(w->pageCount, 0u);
    // No default copy is made of an image that was not read whole.
    EXPECT_TRUE(QDir(dir).entryList(QDir::Files).isEmpty());
}

// Help opens the manual in the module's language; when it is missing or no browser opens it,
// the user is told where it belongs instead of nothing happening.
TEST_F(WizardFixture, HelpOpensTheManualOrSaysWhereItIs) {
    controller(0x0405, '1', 'J');
    auto w = startWizard();
    ASSERT_TRUE(started);
    const QString manual =
        QDir::cleanPath(dir + QStringLiteral("/../share/doc/trnsetup/manual/en/index.html"));
    const struct {
        bool installed;
        bool browserOpens;
        const char* told;  // empty: nothing to say
    } rows[] = {
        {false, true, "The manual is not installed"},
        {true, true, ""},
        {true, false, "No browser could open the manual"},
    };
    for (const auto& row : rows) {
        if (row.installed) {
            QDir().mkpath(QFileInfo(manual).absolutePath());
            QFile file(manual);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        }
        browserOpens = row.browserOpens;
        opened.clear();
        prompter.told.clear();
        w->OnHelpButton();
        EXPECT_EQ(opened, row.installed ? std::vector<QUrl>{QUrl::fromLocalFile(manual)}
                                        : std::vector<QUrl>{});
        if (*row.told == 0) {
            EXPECT_TRUE(prompter.told.empty());
        } else {
            ASSERT_EQ(prompter.told.size(), 1u);
            EXPECT_TRUE(prompter.told[0].startsWith(QLatin1String(row.told)));
            EXPECT_TRUE(prompter.told[0].contains(manual));
        }
    }
    w->OnUpgradeButton();
    EXPECT_FALSE(w->closed());
}

TEST_F(WizardFixture, FinishPageChangesNothing) {
    controller(0x0405, '1', 'J');
    auto w = startWizard();
    ASSERT_TRUE(started);
    const CalibrationImage before = image;
    w->ShowPage(w->pageCount);
    w->ShowPage(w->pageCount - 1);
    w->ShowPage(w->pageCount);
    EXPECT_EQ(image, before);
    log.entries.clear();
    prompter.script(106, {Answer::No});
    w->OnFinishButton();  // already on the last page: no page changes visibility
    EXPECT_TRUE(log.entries.empty());
}

TEST_F(WizardFixture, EscapeAndCloseBoxEndAtOnce) {
    controller(0x0405, '1', 'J');
    for (bool escape : {true, false}) {
        SCOPED_TRACE(escape ? "escape" : "close box");
        auto w = startWizard();
        ASSERT_TRUE(started);
        if (escape) {
            QKeyEvent press(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
            QApplication::sendEvent(w.get(), &press);
        } else {
            w->close();
        }
        EXPECT_FALSE(w->isVisible());
        EXPECT_EQ(w->result(), QDialog::Rejected);
        EXPECT_EQ(prompter.count(102), 0);
        EXPECT_EQ(sim.commits(), 0);
    }
}

// Escape and the close box ask, as Cancel does, whenever closing would lose the user's work.
TEST_F(WizardFixture, EscapeAsksWhenAnEditWouldBeLost) {
    controller(0x0405, '1', 'J');
    const struct {
        const char* name;
        std::function<void(Wizird&)> before;
        bool asks;
    } rows[] = {
        {"a slider moved", [](Wizird& w) { w.page(1)->control<QSlider>(1034)->setValue(61); },
         true},
        {"moved on another page",
         [](Wizird& w) {
             w.OnNextButton();
             w.page(2)->control<QSlider>(1065)->setValue(3);
             w.OnPreviousButton();
         },
         true},
        {"pages walked", [](Wizird& w) { w.OnNextButton(), w.OnNextButton(); }, false},
        {"default restored", [](Wizird& w) { w.OnDefaultButton(); }, true},
        {"written",
         [this](Wizird& w) {
             w.page(1)->control<QSlider>(1034)->setValue(61);
             prompter.script(106, {Answer::No});
             w.OnFinishButton();
         },
         false},
    };
    for (const auto& row : rows) {
        for (Answer answer : {Answer::Cancel, Answer::Ok}) {
            SCOPED_TRACE(std::string(row.name) + (answer == Answer::Ok ? ", OK" : ", Cancel"));
            auto w = startWizard();
            ASSERT_TRUE(started);
            row.before(*w);
            const int asked = prompter.count(102);
            prompter.script(102, {answer});
            QKeyEvent press(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
            QApplication::sendEvent(w.get(), &press);
            EXPECT_EQ(prompter.count(102) - asked, row.asks ? 1 : 0);
            EXPECT_EQ(w->isVisible(), row.asks && answer == Answer::Cancel);
            prompter = ScriptedPrompter();
        }
    }
}

// Finish reads the controller back: message 106 only when it holds what was written, 105 naming
// what differs otherwise; afterwards Show changes compares with what the controller holds.
TEST_F(WizardFixture, FinishReadsTheControllerBack) {
    const struct {
        const char* name;
        void (*fault)(SimController::Options&);
        bool written;
        const char* detail;  // of message 105
    } rows[] = {
        {"holds what was written", [](SimController::Options&) {}, true, ""},
        {"reply lost", [](SimController::Options& o) { o.loseCommitReply = true; }, true, ""},
        {"keeps something else", [](SimController::Options& o) { o.corruptCommit = true; }, false,
         "Max Motor Current: 61% -> 60%"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        sim = SimController();
        controller(0x0405, '1', 'J');
        prompter = ScriptedPrompter();
        auto w = startWizard();
        ASSERT_TRUE(started);
        row.fault(sim.options);
        w->page(1)->control<QSlider>(1034)->setValue(61);
        prompter.script(106, {Answer::No});
        prompter.script(105, {Answer::Cancel});
        w->OnFinishButton();
        EXPECT_EQ(prompter.count(106), row.written ? 1 : 0);
        EXPECT_EQ(prompter.count(105), row.written ? 0 : 1);
        if (!row.written) {
            EXPECT_TRUE(prompter.asked.back().detail.contains(QLatin1String(row.detail)))
                << prompter.asked.back().detail.toStdString();
            continue;
        }
        w->configMenu().showChanges();
        EXPECT_TRUE(prompter.told.back().startsWith(QStringLiteral("No setting differs")))
            << prompter.told.back().toStdString();
        w->ShowPage(1);
        w->page(1)->control<QSlider>(1034)->setValue(70);
        w->configMenu().showChanges();
        EXPECT_TRUE(prompter.told.back().endsWith(QStringLiteral("Max Motor Current: 61% -> 70%")))
            << prompter.told.back().toStdString();
    }
}

// The window fits the screen it opens on, scrolling its page area when the screen is smaller
// than the frame (run again on a small screen at twice the scale), with every button in reach.
TEST_F(WizardFixture, WindowFitsTheScreen) {
    controller(0x0405, '1', 'J');
    const QSize room = QGuiApplication::primaryScreen()->availableGeometry().size();
    auto w = startWizard();
    ASSERT_TRUE(started);
    EXPECT_LE(w->width(), room.width());
    EXPECT_LE(w->height(), room.height());
    EXPECT_LT(w->minimumHeight(), w->maximumHeight());  // resizable
    // However small it is made, no page lies over a button.
    w->resize(w->minimumSize());
    QCoreApplication::processEvents();
    const SettingsPage* page = w->page(1);
    EXPECT_EQ(page->geometry(), w->contentRect);
    const QRegion pageShows =
        (page->mask().isEmpty() ? QRegion(page->rect()) : page->mask()).translated(page->pos());
    for (QPushButton* b : w->form()->findChildren<QPushButton*>()) {
        if (!b->isVisible())
            continue;
        const QRect button(b->mapTo(w.get(), QPoint()), b->size());
        EXPECT_TRUE(w->rect().contains(button)) << b->text().toStdString();
        EXPECT_FALSE(pageShows.intersects(button)) << b->text().toStdString();
    }
}

TEST_F(WizardFixture, WindowOpensAtTheSizeItWasLeft) {
    controller(0x0405, '1', 'J');
    QSize left;
    {
        auto w = startWizard();
        ASSERT_TRUE(started);
        w->resize(w->size() + QSize(40, 30));
        left = w->size();
        w->close();
    }
    auto again = startWizard();
    ASSERT_TRUE(started);
    EXPECT_EQ(again->size(), left);
}
