#include "Step3Rules.h"

namespace model {

namespace {

// Firmware that has the releasing-brake protection on this page.
constexpr unsigned ReleasingBrakeFrom = 0x0209;

// Start-up delay, Hall sensor, control mode, voltage limits, throttle rate, high-pedal
// protections.
class Rules : public RulesOf<Step3Controls> {
public:
    using RulesOf::RulesOf;

    void bind() override {
        // Older firmware has no releasing-brake protection; the hidden pair still carries its bit.
        if (image.version().atLeast(ReleasingBrakeFrom))
            showControls(form(), {IdBrakeOn, IdBrakeOff}, true);
        else
            showControls(form(), {IdBrakeCaption, IdBrakeOn, IdBrakeOff, IdBrakeHelp}, false);
    }

    void load() override {
        Form& f = form();
        // The delay list's items are the tenths of a second it stores.
        f.select(IdDelay, static_cast<int>(setting("startup_delay").raw(image)));
        f.select(IdHall, setting("hall_sensor_type").raw(image) == 60 ? 0 : 1);

        fillList("control_mode");
        const config::Setting& mode = setting("control_mode");
        f.select(IdMode, config::itemIndex(mode, image, mode.raw(image)));

        loadAll({"under_voltage", "over_voltage", "throttle_rate", "power_on_high_pedal_disable",
                 "releasing_brake_high_pedal_disable"});
    }

    const config::Setting* store() override {
        Form& f = form();
        // No selection (a delay above 2 s) is kept as 0xFF.
        setting("startup_delay").setRaw(image, static_cast<std::uint8_t>(f.selected(IdDelay)));
        setting("hall_sensor_type").setRaw(image, f.selected(IdHall) == 0 ? 60 : 120);

        // Anything but torque or speed stores balanced.
        const config::Setting& mode = setting("control_mode");
        mode.setRaw(image, config::itemAt(mode, image, f.selected(IdMode)).value_or(0));

        storePair("power_on_high_pedal_disable");
        // The pair's off-button decides, so that a pair with neither button checked stores on.
        setting("releasing_brake_high_pedal_disable").setRaw(image, f.checked(IdBrakeOff) ? 0 : 1);
        storeAll({"under_voltage", "over_voltage", "throttle_rate"});
        return nullptr;
    }
};

}  // namespace

const RulesMaker makeStep3Rules = makeRules<Rules>;

}  // namespace model
