// The wizard by keyboard alone, in both languages, and the mnemonics of every window.
#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QKeyEvent>
#include <QLibraryInfo>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QSet>
#include <QTranslator>

#include "Mnemonics.h"
#include "Prompter.h"
#include "WizardFixture.h"

namespace {

constexpr int IdNext = 1016, IdFinish = 1026;

void press(QWidget* target, int key) {
    QKeyEvent down(QEvent::KeyPress, key, Qt::NoModifier);
    QKeyEvent up(QEvent::KeyRelease, key, Qt::NoModifier);
    QApplication::sendEvent(target, &down);
    QApplication::sendEvent(target, &up);
}

// Every text has a mnemonic, and no two share one.
void expectMnemonics(const QStringList& texts, const char* window) {
    QString keys;
    for (const QString& text : texts) {
        const QChar key = mnemonic::keyOf(text);
        EXPECT_FALSE(key.isNull()) << window << ": " << qPrintable(text);
        EXPECT_FALSE(keys.contains(key)) << window << ": " << qPrintable(text);
        keys += key;
    }
}

}  // namespace

// Each fresh page has the focus on its first setting and Tab walks its settings before any
// button; Enter presses Next, and Finish on the last page, which writes.
TEST_F(WizardFixture, KeyboardAloneWalksAndWritesInBothLanguages) {
    for (const char* language : {"english", "chinese"}) {
        SCOPED_TRACE(language);
        ASSERT_TRUE(module.load(QStringLiteral(TRN_BIN_DIR "/%1.rcc").arg(language)));
        controller(0x0405, '1', 'J');  // every page
        const int commits = sim.commits();
        auto w = startWizard();
        ASSERT_TRUE(started);
        ASSERT_EQ(w->pageCount, 7u);
        w->activateWindow();  // keys go where the focus is only in the active window
        QApplication::processEvents();
        ASSERT_TRUE(w->isActiveWindow());
        auto* next = findControl<QPushButton>(w->form(), IdNext);
        auto* finish = findControl<QPushButton>(w->form(), IdFinish);
        QStringList buttons;
        for (const QPushButton* b : w->form()->findChildren<QPushButton*>()) buttons << b->text();
        expectMnemonics(buttons, "wizard");
        QStringList items;
        for (const QAction* a : w->configMenu().menu()->actions()) items << a->text();
        expectMnemonics(items, "Settings file menu");

        for (unsigned n = 1; n <= w->pageCount; ++n) {
            SCOPED_TRACE(n);
            w->ShowPage(n);  // fresh: as Next, Previous or Default leave it
            SettingsPage* page = w->page(n);
            QWidget* first = w->focusWidget();
            ASSERT_NE(first, nullptr);
            EXPECT_EQ(first, page->firstSetting() ? page->firstSetting() : finish);
            EXPECT_EQ(next->isDefault(), n < w->pageCount);
            EXPECT_EQ(finish->isDefault(), n == w->pageCount);
            int settings = 0;
            for (QWidget* at = first; page->isAncestorOf(at) && settings < 100; ++settings) {
                press(at, Qt::Key_Tab);
                at = w->focusWidget();
            }
            EXPECT_EQ(settings > 0, page->firstSetting() != nullptr);
            EXPECT_TRUE(qobject_cast<QPushButton*>(w->focusWidget()))
                << "after the settings: " << qPrintable(w->focusWidget()->objectName());
        }
        w->ShowPage(1);
        for (unsigned n = 1; n < w->pageCount; ++n) {
            press(w->focusWidget(), Qt::Key_Return);
            EXPECT_EQ(w->currentPage, n + 1);
        }
        press(w->focusWidget(), Qt::Key_Return);
        EXPECT_TRUE(w->closed());
        EXPECT_EQ(sim.commits(), commits + 1);
        w.reset();  // before its module goes
    }
}

// Message boxes get mnemonics for Qt's own buttons, which have none in English for OK, Cancel
// and Retry, nor in Chinese; a text with one keeps it.
TEST(Mnemonics, EveryButtonOfAWindowGetsAKeyOfItsOwn) {
    QTranslator chinese;
    const bool translated = chinese.load(QStringLiteral("qtbase_zh_CN"),
                                         QLibraryInfo::path(QLibraryInfo::TranslationsPath));
    for (bool inChinese : {false, true}) {
        if (inChinese && !(translated && QApplication::installTranslator(&chinese)))
            continue;
        for (QMessageBox::StandardButtons buttons :
             {QMessageBox::StandardButtons(QMessageBox::Ok), QMessageBox::Ok | QMessageBox::Cancel,
              QMessageBox::Yes | QMessageBox::No, QMessageBox::Retry | QMessageBox::Cancel}) {
            QMessageBox box;
            box.setStandardButtons(buttons);
            mnemonic::giveButtons(&box);
            QStringList texts;
            for (const QAbstractButton* b : box.buttons()) texts << b->text();
            expectMnemonics(texts, inChinese ? "Chinese message box" : "message box");
        }
    }
    QApplication::removeTranslator(&chinese);
}

// What a screen reader hears: on every page each setting control is named by its caption,
// distinctly (a list by the label it is labelled by), an option button by its setting and its
// choice, each names what it offers, and the page is named by its step.
TEST_F(WizardFixture, EverySettingIsNamedForAScreenReader) {
    using Of = model::PageRules::Binding::Of;
    const auto heard = [](QWidget* control, QAccessible::Text text = QAccessible::Name) {
        QAccessibleInterface* a = QAccessible::queryAccessibleInterface(control);
        if (qobject_cast<QComboBox*>(control) && text == QAccessible::Name)
            for (const auto& [label, relation] : a->relations(QAccessible::Label))
                return label->text(QAccessible::Name);
        return a->text(text);
    };
    struct Case {
        int firmware;
        char series, variant;
    };
    for (const char* language : {"english", "chinese"}) {
        ASSERT_TRUE(module.load(QStringLiteral(TRN_BIN_DIR "/%1.rcc").arg(language)));
        const auto lang =
            module.isChinese() ? config::Language::Chinese : config::Language::English;
        for (const Case c : {Case{0x0405, '1', 'J'}, Case{0x0204, '1', 'J'}}) {
            SCOPED_TRACE(testing::Message() << language << " " << std::hex << c.firmware);
            controller(c.firmware, c.series, c.variant);
            auto w = startWizard();
            ASSERT_TRUE(started);
            for (unsigned n = 1; n <= w->pageCount; ++n) {
                SCOPED_TRACE(n);
                w->ShowPage(n);
                SettingsPage* page = w->page(n);
                EXPECT_EQ(heard(page), w->windowTitle());
                QStringList names;
                for (const config::Setting* s : page->boundSettings()) {
                    const model::PageRules::Binding& b = *page->rules()->bindingOf(*s);
                    QWidget* control = page->control(b.control);
                    if (!control->isVisibleTo(page))
                        continue;
                    const QString name = heard(control);
                    EXPECT_TRUE(name.contains(s->caption(lang), Qt::CaseInsensitive))
                        << s->key << ": " << qPrintable(name);
                    names << name;
                    if (b.of != Of::Pair) {
                        EXPECT_FALSE(heard(control, QAccessible::Description).isEmpty()) << s->key;
                        continue;
                    }
                    // Both buttons: the same setting, each its own choice.
                    auto* other = page->control<QAbstractButton>(b.other);
                    const QString otherName = heard(other);
                    EXPECT_EQ(otherName.section(u':', 0, -2), name.section(u':', 0, -2));
                    EXPECT_TRUE(otherName.endsWith(mnemonic::plain(other->text())));
                    EXPECT_GT(name.section(u':', 0, -2).size(), 1) << qPrintable(name);
                    names << otherName;
                }
                EXPECT_EQ(QSet<QString>(names.begin(), names.end()).size(), names.size())
                    << qPrintable(names.join(u'|'));
                EXPECT_EQ(names.isEmpty(), page->boundSettings().empty());
            }
        }
    }
}
