// The brake input serves either the brake sensor of the regeneration page or the boost and
// economy switches of the motor and speed page, never both. Each page gives way to what the
// other stored, through the image, as the wizard moves between them.
#include <QAbstractButton>
#include <QComboBox>

#include "CStep5.h"
#include "V0204.h"
#include "WizardFixture.h"

namespace {

constexpr int IdBoostOn = 1097, IdBoostOff = 1098, IdEconomyOn = 1099, IdEconomyOff = 1100;
constexpr int IdSensorType = 1081;

bool isChecked(SettingsPage* page, int id) {
    return page->control<QAbstractButton>(id)->isChecked();
}
int typeIndex(SettingsPage* page) {
    return page->control<QComboBox>(IdSensorType)->currentIndex();
}

}  // namespace

TEST_F(WizardFixture, BrakeInputGoesToWhicheverPageStoredLast) {
    struct Row {
        const char* what;
        std::vector<int> switches;  // clicked on the motor and speed page
        int type;                   // chosen on the regeneration page, -1 for none
        int byte0;                  // bits 0 and 1 written on Finish
        int byte3;
    };
    const Row rows[] = {
        {"boost, then a sensor", {IdBoostOn}, 2, 0x00, 2},
        {"economy, then a sensor", {IdEconomyOn}, 3, 0x00, 3},
        {"boost and economy, no sensor", {IdBoostOn, IdEconomyOn}, -1, 0x01, 0},
        {"economy, no sensor", {IdEconomyOn}, -1, 0x02, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        sim = SimController();
        sim.image[Field::Functions] = 0xF8;  // boost and economy off, the other bits on
        sim.image[Field::BrakeSensorType] = 1;
        controller(0x0405, '1', 'C');
        auto w = startWizard();
        ASSERT_TRUE(started);
        ASSERT_EQ(w->pageCount, 6u);
        SettingsPage* speed = w->page(3);
        SettingsPage* regen = w->page(4);
        ASSERT_TRUE(dynamic_cast<V0204*>(speed) && dynamic_cast<CStep5*>(regen));

        w->OnNextButton();
        w->OnNextButton();
        ASSERT_FALSE(speed->isHidden());
        for (int id : row.switches) speed->control<QAbstractButton>(id)->click();

        // Leaving with a switch on took the brake input from the sensor.
        w->OnNextButton();
        ASSERT_FALSE(regen->isHidden());
        EXPECT_EQ(typeIndex(regen), 0);

        if (row.type >= 0) {
            regen->control<QComboBox>(IdSensorType)->setCurrentIndex(row.type);
            // Going back, the sensor has switched boost and economy off.
            w->OnPreviousButton();
            ASSERT_FALSE(speed->isHidden());
            EXPECT_TRUE(isChecked(speed, IdBoostOff) && !isChecked(speed, IdBoostOn));
            EXPECT_TRUE(isChecked(speed, IdEconomyOff) && !isChecked(speed, IdEconomyOn));
            w->OnNextButton();
            EXPECT_EQ(typeIndex(regen), row.type);
        }

        prompter.script(106, {Prompter::Answer::Yes});
        w->OnFinishButton();
        ASSERT_EQ(sim.commits(), 1);
        EXPECT_EQ(sim.image[Field::Functions], 0xF8 | row.byte0);
        EXPECT_EQ(sim.image[Field::BrakeSensorType], row.byte3);
    }
}
