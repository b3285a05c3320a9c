#include <gtest/gtest.h>

#include <QButtonGroup>
#include <QComboBox>
#include <QLabel>
#include <QRadioButton>
#include <QSlider>

#include "PageFixture.h"
#include "PageKit.h"

TEST(PageKit, Formats) {
    const struct {
        kit::Format format;
        int value;
        const char* text;
    } rows[] = {
        {kit::sensorVolts, 0, "1.0V"},
        {kit::sensorVolts, 45, "2.3V"},
        {kit::sensorVolts, 65, "3.0V"},
        {kit::sensorVolts, 100, "4.0V"},
        {kit::percent, 7, "7%"},
        {kit::volts, 136, "136V"},
        {kit::celsius, -5, "-5C"},
        {kit::plain, 20, "20"},
        {kit::offAtZero(kit::percent), 0, "禁止"},
        {kit::offAtZero(kit::percent), 1, "1%"},
    };
    for (const auto& row : rows) EXPECT_EQ(row.format(row.value), QString::fromUtf8(row.text));
}

TEST(PageKit, ListsAndPairs) {
    QComboBox list;
    kit::refill(&list, {"a", "b", "c"});
    kit::refill(&list, {"a", "b", "c"});
    EXPECT_EQ(list.count(), 3);
    for (auto [index, selected] : {std::pair{2, 2}, {3, -1}, {-4, -1}, {0, 0}}) {
        kit::select(&list, index);
        EXPECT_EQ(kit::selected(&list), selected) << index;
    }
    for (auto [nibble, selected] : {std::pair{1, 1}, {3, 0}, {15, 0}}) {
        kit::selectNibble(&list, nibble, 0);
        EXPECT_EQ(kit::selected(&list), selected) << nibble;
    }

    QWidget parent;
    auto* on = new QRadioButton(&parent);
    auto* off = new QRadioButton(&parent);
    QButtonGroup group;
    group.addButton(on);
    group.addButton(off);
    kit::setPair(on, off, true);
    EXPECT_TRUE(on->isChecked() && !off->isChecked());
    kit::clearPair(on, off);
    EXPECT_FALSE(on->isChecked() || off->isChecked());
    EXPECT_TRUE(group.exclusive());
    off->click();  // still one pair after clearing
    on->click();
    EXPECT_TRUE(on->isChecked() && !off->isChecked());
}

TEST(PageKit, RequiredControls) {
    QWidget form;
    (new QLabel(&form))->setObjectName("id1");
    (new QSlider(&form))->setObjectName("id2");
    const struct {
        kit::Required required;
        const char* problem;
    } rows[] = {
        {{1, kit::Kind::Label}, ""},
        {{2, kit::Kind::Slider}, ""},
        {{2, kit::Kind::Widget}, ""},
        {{2, kit::Kind::Label}, "control 2 (a label)"},
        {{3, kit::Kind::List}, "control 3 (a drop-down list)"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(kit::missingControl(&form, {&row.required, 1}), row.problem) << row.required.id;
}
