// Typed numbers show the range they take and whether the text would be stored as shown; a
// refusal says which later fields of the same store were not stored either; the J1939 page
// describes its fields with the table's ranges; a box the page leaves empty takes no room.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>

#include "CStep4.h"
#include "CStep7.h"
#include "NumberText.h"
#include "PageFixture.h"

namespace {

TEST(TypedNumber, ReadsAsTypedOnlyWhenTheStoredNumberIsTheOneShown) {
    const struct {
        QString text;
        bool asTyped;
    } rows[] = {
        // the texts the fields' marks below do not try
        {QStringLiteral(" +0012 "), true},     {QStringLiteral("-2147483648"), true},
        {QStringLiteral("2147483648"), false}, {QStringLiteral("\u300012"), false},
        {QStringLiteral("1 2"), false},        {QStringLiteral("-"), false},
    };
    for (const auto& row : rows)
        EXPECT_EQ(kit::readsAsTyped(row.text), row.asTyped) << qPrintable(row.text);
}

// The mark follows the text as it is typed; the store still takes what it took before.
TEST(TypedNumber, FieldsMarkTextsRefusedOrReadAsAnotherNumber) {
    enum class Mark { None, Refused, Misread };
    const struct {
        int edit;
        QString text;
        Mark mark;
    } rows[] = {
        {1125, QStringLiteral("2047"), Mark::None},
        {1125, QStringLiteral("2048"), Mark::Refused},
        {1125, QStringLiteral("-1"), Mark::Refused},
        {1126, QStringLiteral("12abc"), Mark::Misread},
        {1126, QStringLiteral("２０４７"), Mark::Misread},
        {1126, QString(), Mark::Misread},
        {1126, QStringLiteral("0x10"), Mark::Misread},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(qPrintable(row.text));
        PageFixture<CStep4> fx(0x0405, "TRN48201", 'C');
        fx.show();
        auto* field = fx.control<QLineEdit>(row.edit);
        fx.type(row.edit, QStringLiteral("7"));
        const QColor plain = field->palette().color(QPalette::Base);
        fx.type(row.edit, row.text);
        ASSERT_EQ(field->actions().size(), 1);
        EXPECT_EQ(field->actions()[0]->isVisible(), row.mark != Mark::None);
        EXPECT_EQ(field->palette().color(QPalette::Base) != plain, row.mark != Mark::None);
        EXPECT_TRUE(field->toolTip().contains(QLatin1String("0..2047")))
            << qPrintable(field->toolTip());
        if (row.mark == Mark::Misread) {
            EXPECT_TRUE(field->toolTip().contains(QString::number(kit::textToNumber(row.text))));
        }
    }
}

// The detail names the later fields the page offers (the refusal itself is unchanged).
TEST(TypedNumber, RefusalNamesTheFieldsTheStoreDidNotReach) {
    const struct {
        unsigned firmware;
        int refused;
        bool smoothing;
        const char* detail;  // the end of it; empty: no detail
    } rows[] = {
        {0x0405, 1125, true,
         "Receive ID, Smooth, Inflection Point, Low Accel, Low Decel, High Accel, High Decel"},
        {0x0405, 1126, false, "Smooth"},
        {0x0403, 1126, true, ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.refused);
        PageFixture<CStep4> fx(row.firmware, "TRN48201", 'C');
        fx.image.setByte(45, row.smoothing ? 1 : 0);
        fx.show();
        fx.type(1125, QStringLiteral("1"));
        fx.type(1126, QStringLiteral("2"));
        fx.type(row.refused, QStringLiteral("4000"));
        fx.hide();
        ASSERT_EQ(fx.prompter.toldDetails.size(), 1u);
        const QString detail = fx.prompter.toldDetails[0];
        EXPECT_EQ(detail.isEmpty(), *row.detail == 0) << qPrintable(detail);
        EXPECT_EQ(detail.right(qstrlen(row.detail)), QLatin1String(row.detail));
    }
}

TEST(TypedNumber, J1939DescriptionAndCanBoxFollowTheController) {
    for (const char* language : {"english", "chinese"}) {
        SCOPED_TRACE(language);
        CalibrationImage image = randomImage(3, 0x0405, "TRN48201", 'J');
        ScriptedPrompter prompter;
        ResourceModule module;
        ASSERT_TRUE(module.load(QStringLiteral(TRN_BIN_DIR "/%1.rcc").arg(language)));
        QWidget window;
        {
            CStep7 page({image, prompter});
            ASSERT_TRUE(page.create(module, CStep7::Template, &window, nullptr));
            page.show();
            const auto* help = page.findChild<QLabel*>(QStringLiteral("j1939Help"));
            ASSERT_NE(help, nullptr);
            for (const char* range : {"0..127, 248..253", "0..15", "0..2047", "0..2097151"})
                EXPECT_TRUE(help->text().contains(QLatin1String(range))) << range;
            EXPECT_FALSE(help->text().contains(u'{')) << qPrintable(help->text());
        }
        for (char variant : {'J', 'C'}) {
            image = randomImage(3, 0x0405, "TRN48201", variant);
            CStep4 page({image, prompter});
            ASSERT_TRUE(page.create(module, CStep4::Template, &window, nullptr));
            window.show();
            page.show();
            QApplication::processEvents();  // the layout places the boxes
            const auto* can = page.control<QGroupBox>(CStep4::IdCanBox);
            EXPECT_EQ(can->height() == 0, variant != 'C');
        }
        module.release();
    }
}

}  // namespace
