// Desktop fonts from 9 to 12 points: every page fits the wizard's page area in both languages.
#include <QApplication>
#include <QFont>
#include <QLabel>

#include "WizardFixture.h"

TEST_F(WizardFixture, EveryPageFitsThePageAreaAtCommonFontSizes) {
    const QFont original = QApplication::font();
    for (const char* language : {"english", "chinese"}) {
        ASSERT_TRUE(module.load(QStringLiteral(TRN_BIN_DIR "/%1.rcc").arg(QLatin1String(language)),
                                &error));
        for (int points = 9; points <= 12; ++points) {
            SCOPED_TRACE(std::string(language) + " " + std::to_string(points) + " pt");
            QFont font = original;
            font.setPointSize(points);
            QApplication::setFont(font);
            controller(0x0405, '1', 'J');
            prompter = ScriptedPrompter();
            auto w = startWizard();
            ASSERT_TRUE(started);
            for (unsigned n = 1; n <= w->pageCount; ++n) {
                SettingsPage* page = w->page(n);
                QSize need = page->minimumSizeHint().expandedTo(page->sizeHint());
                if (page->hasHeightForWidth())
                    need.setHeight(
                        std::max(need.height(), page->heightForWidth(w->contentRect.width())));
                EXPECT_GE(w->contentRect.width(), need.width()) << page->metaObject()->className();
                EXPECT_GE(w->contentRect.height(), need.height())
                    << page->metaObject()->className();
                EXPECT_EQ(page->geometry(), w->contentRect);
                // Shown and laid out, every wrapped text has the height its lines need.
                w->ShowPage(n);
                QApplication::processEvents();
                for (const QLabel* label : page->findChildren<QLabel*>()) {
                    if (!label->isVisible() || !label->wordWrap())
                        continue;
                    EXPECT_GE(label->height(), label->heightForWidth(label->width()))
                        << page->metaObject()->className() << " "
                        << label->text().left(30).toStdString();
                }
            }
        }
    }
    QApplication::setFont(original);
}
