// What the pages decide, without a widget: which settings a controller is offered, what a load
// and a store make of the bytes, the interlocks, and the store that stops at a refused number.
#include <gtest/gtest.h>

#include "ModelSupport.h"
#include "PageCatalogue.h"
#include "Step5Rules.h"
#include "Step7Rules.h"
#include "TemplateForm.h"

namespace {

CalibrationImage controller(unsigned firmware, const char* model = "TRN48201", char variant = 'J') {
    CalibrationImage image = randomImage(7, firmware, model, variant);
    config::findSetting("forward_switch")->setRaw(image, 0);        // it would take the foot switch
    config::findSetting("throttle_sensor_type")->setRaw(image, 2);  // the 1-4 V throttle
    return image;
}

}  // namespace

// Each firmware gate at its edge: a wrong version in a page's rules fails its row.
TEST(Rules, WhatEachFirmwareIsOffered) {
    const struct {
        unsigned firmware;
        const char* key;
        bool offered;
        const char* model = "TRN48201";
    } rows[] = {
        {0x0207, "max_battery_current", false},
        {0x0208, "max_battery_current", true},
        {0x0301, "throttle_start", false},
        {0x0302, "throttle_start", true},
        {0x0301, "throttle_start_step", true},
        {0x0302, "throttle_start_step", false},
        {0x0401, "forward_switch", false},
        {0x0402, "forward_switch", true},
        {0x0404, "threshold_low", false},
        {0x0405, "threshold_low", true},
        {0x0208, "half_speed_reverse", false},
        {0x0209, "half_speed_reverse", true},
        {0x0403, "half_speed_reverse", false},
        {0x0208, "releasing_brake_high_pedal_disable", false},
        {0x0209, "releasing_brake_high_pedal_disable", true},
        {0x0209, "boost", false, "TRN48200"},
        {0x0300, "boost", true, "TRN48200"},
        {0x0303, "noise_reduction", false},
        {0x0304, "noise_reduction", true},
        {0x0402, "reverse_top_speed", false},
        {0x0403, "reverse_top_speed", true},
        {0x0208, "releasing_throttle_regen", false},
        {0x0209, "releasing_throttle_regen", true},
        {0x0301, "brake_start", false},
        {0x0302, "brake_start", true},
        {0x0403, "smoothing", false},
        {0x0404, "smoothing", true},
        {0x0404, "j1939_address", true},
        {0x0404, "can_send_id", false},
    };
    for (const auto& row : rows) {
        const Pages p(controller(row.firmware, row.model));
        EXPECT_EQ(p.offers(row.key), row.offered) << row.key << " at " << std::hex << row.firmware;
    }
}

// What a load and a store make of bytes the controls cannot show: a slider clamps and stores
// the clamped value; a list loaded past its end has no selection and stores its fallback.
TEST(Rules, BytesTheControlsCannotShow) {
    const struct {
        const char* key;
        std::uint32_t held;
        std::uint32_t stored;
        unsigned firmware = 0x0405;
    } rows[] = {
        {"max_motor_current", 150, 100},
        {"max_motor_current", 3, 20},
        {"startup_delay", 25, 0xFF},  // no selection is kept as 0xFF
        {"hall_sensor_type", 90, 120},
        {"motor_poles", 1, 2},
        {"motor_poles", 250, 2},  // no selection stores 0, which the next visit takes as 2
        {"control_mode", 7, 1},   // anything but torque or speed is balanced
        {"throttle_sensor_type", 3, 1, 0x0302},  // past a two-item list: no selection, code 1
        {"motor_temperature_sensor", 2, 2},
        {"brake_sensor_type", 9, 0},
    };
    for (const auto& row : rows) {
        CalibrationImage image = controller(row.firmware);
        const config::Setting& s = *config::findSetting(QLatin1String(row.key));
        s.setRaw(image, row.held);
        const Pages p(image);
        EXPECT_EQ(p.raw(row.key), row.stored) << row.key << " held " << row.held;
    }
}

// One page's rules on a form of its template: loaded, changed as a user would, stored.
CalibrationImage storedAfter(int templateId, CalibrationImage image,
                             const std::function<void(model::Form&)>& change,
                             const config::Setting** refused = nullptr) {
    QString why;
    const model::PageKind& kind = *model::pageKind(templateId);
    auto form = model::TemplateForm::read(templateText(templateId), kind.controls, &why);
    EXPECT_TRUE(form) << why.toStdString();
    auto rules = kind.rules(image);
    rules->attach(*form);
    rules->load();
    change(*form);
    const config::Setting* stopped = rules->store();
    if (refused)
        *refused = stopped;
    return image;
}

// One setting decides another, as on the page: the forward switch takes the foot switch, a
// brake sensor takes the brake input from boost and economy, and of those two boost wins.
TEST(Rules, Interlocks) {
    using Set = std::vector<std::pair<const char*, std::uint32_t>>;
    const struct {
        Set set;
        Set stored;
    } walks[] = {
        {{{"forward_switch", 1}, {"foot_switch", 1}}, {{"foot_switch", 0}}},
        {{{"brake_sensor_type", 1}, {"boost", 1}, {"economy", 1}},
         {{"boost", 1}, {"economy", 0}, {"brake_sensor_type", 0}}},
        {{{"brake_sensor_type", 2}, {"boost", 0}, {"economy", 1}},
         {{"economy", 1}, {"brake_sensor_type", 0}}},
    };
    for (const auto& walk : walks) {
        CalibrationImage image = controller(0x0405);
        for (const auto& [key, raw] : walk.set)
            config::findSetting(QLatin1String(key))->setRaw(image, raw);
        const Pages p(image);
        for (const auto& [key, raw] : walk.stored) EXPECT_EQ(p.raw(key), raw) << key;
    }
    // The regeneration page, a sensor chosen once boost and economy are on.
    CalibrationImage image = controller(0x0405);
    for (const char* key : {"boost", "economy"}) config::findSetting(key)->setRaw(image, 1);
    const CalibrationImage after = storedAfter(model::Step5Controls::Template, image, [](auto& f) {
        f.select(model::Step5Controls::IdSensorType, 1);
    });
    for (const char* key : {"boost", "economy"})
        EXPECT_EQ(config::findSetting(key)->raw(after), 0u);
}

// The J1939 page stops at the first number it refuses: that field and the later ones keep
// their bytes, and the store names it.
TEST(Rules, TheStoreEndsAtARefusedNumber) {
    const CalibrationImage before = controller(0x0405);
    const auto& rows = model::Step7Controls::Rows;
    const config::Setting* refused = nullptr;
    const CalibrationImage image = storedAfter(
        model::Step7Controls::Template, before,
        [&](model::Form& f) {
            f.setText(rows[0].edit, QStringLiteral("1"));
            f.setText(rows[1].edit, QStringLiteral("-5"));
            f.setText(rows[2].edit, QStringLiteral("1"));
        },
        &refused);
    ASSERT_NE(refused, nullptr);
    EXPECT_EQ(QLatin1String(refused->key), QLatin1String(rows[1].key));
    EXPECT_EQ(config::findSetting(QLatin1String(rows[0].key))->raw(image), 1u);
    EXPECT_EQ(config::findSetting(QLatin1String(rows[2].key))->raw(image),
              config::findSetting(QLatin1String(rows[2].key))->raw(before));
}
