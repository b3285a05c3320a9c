// A typed value that a page refuses: its message box must not re-enter the wizard, the page
// change goes on afterwards, and Finish says which field kept its previous value.
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>

#include "WizardFixture.h"

namespace {
constexpr int IdSend = 1125;
const QString SendRefused = QStringLiteral("Send ID must between 0 and 2047 ");
}  // namespace

TEST_F(WizardFixture, RefusedValueNeitherReentersNorPassesForWritten) {
    controller(0x0405, '1', 'C');
    auto w = startWizard();
    ASSERT_TRUE(started);
    unsigned canPage = 0;
    for (unsigned n = 1; n <= w->pageCount; ++n)
        if (QLatin1String(w->page(n)->metaObject()->className()) == QLatin1String("CStep4"))
            canPage = n;
    ASSERT_GT(canPage, 1u);
    while (w->currentPage < canPage) w->OnNextButton();
    const CalibrationImage before = image;

    // Everything a user could try behind the message box is ignored while it is open.
    std::vector<PageEventLog::Entry> during;
    prompter.whileTelling = [&](const QString&) {
        const auto mark = static_cast<std::ptrdiff_t>(log.entries.size());
        w->OnNextButton();
        w->OnPreviousButton();
        w->OnFinishButton();
        w->OnDefaultButton();
        w->OnCancelButton();
        w->OnHelpButton();
        QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(w.get(), &escape);
        w->close();
        during.assign(log.entries.begin() + mark, log.entries.end());
    };
    w->page(canPage)->control<QLineEdit>(IdSend)->setText(QStringLiteral("3000"));
    log.entries.clear();
    w->OnNextButton();
    EXPECT_EQ(prompter.told, std::vector<QString>{SendRefused});
    EXPECT_TRUE(during.empty());
    EXPECT_FALSE(w->closed());
    EXPECT_TRUE(w->isVisible());
    EXPECT_TRUE(opened.empty());
    EXPECT_EQ(prompter.count(102), 0);
    EXPECT_EQ(sim.commits(), 0);
    // The page change that was under way is completed.
    EXPECT_EQ(w->currentPage, canPage + 1);
    EXPECT_EQ(log.entries,
              (std::vector<PageEventLog::Entry>{{canPage, false}, {canPage + 1, true}}));

    // Refused again on Finish: the previous identifiers are written, and message 106 says so.
    prompter.whileTelling = nullptr;
    w->OnPreviousButton();
    auto* send = w->page(canPage)->control<QLineEdit>(IdSend);
    EXPECT_EQ(send->text(), QString::number(before.field(Field::CanSendId, 2)));
    send->setText(QStringLiteral("3000"));
    w->OnFinishButton();
    ASSERT_TRUE(w->closed());
    ASSERT_EQ(prompter.count(106), 1);
    const QString detail = prompter.asked.back().detail;
    EXPECT_TRUE(detail.contains(QStringLiteral("Send ID"))) << detail.toStdString();
    for (int pos = Field::CanReceiveId; pos < Field::CanSendId + 2; ++pos)
        EXPECT_EQ(sim.image[static_cast<std::size_t>(pos)], before.byte(pos)) << pos;
}

TEST_F(WizardFixture, FinishWithoutRefusalsHasNoDetail) {
    controller(0x0405, '1', 'C');
    auto w = startWizard();
    ASSERT_TRUE(started);
    w->OnFinishButton();
    ASSERT_TRUE(w->closed());
    ASSERT_EQ(prompter.count(106), 1);
    EXPECT_TRUE(prompter.asked.back().detail.isEmpty());
}
