#include "V0204Rules.h"

namespace model {

namespace {

// Firmware that shows noise reduction on this page (the table stores it from 0204).
constexpr unsigned NoiseReductionShownFrom = 0x0304;

// Top speeds, motor poles and the function switches (firmware 0204 or later).
class Rules : public RulesOf<V0204Controls> {
public:
    using RulesOf::RulesOf;

    void load() override {
        Form& f = form();

        // Only CAN-capable variants report the pole count; others show it read-only.
        if (!isJ1939Variant(image) && !isCanVariant(image))
            enableControls(f, {IdPoles}, false);

        loadSlider("top_speed");

        const int poles = static_cast<int>(setting("motor_poles").raw(image));
        f.select(IdPoles, poles <= 1 ? 0 : poles / 2 - 1);

        loadIfHeld("half_speed_reverse");

        // Boost and economy come with half current in reverse.
        if (firmwareHas("half_current_reverse")) {
            loadAll({"boost", "economy", "half_current_reverse"});
        } else {
            enableControls(f,
                           {IdBoostOn, IdBoostOff, IdEconomyOn, IdEconomyOff, IdHalfCurrentOn,
                            IdHalfCurrentOff},
                           false);
        }

        if (image.version().atLeast(NoiseReductionShownFrom))
            loadPair("noise_reduction");
        else
            showControls(f, {IdNoiseOn, IdNoiseOff, IdNoiseCaption, IdNoiseHelp}, false);

        // The start-up page owns this bit; the hidden pair only carries it through the store.
        setPair(f, IdJoystickOn, IdJoystickOff,
                setting("releasing_brake_high_pedal_disable").raw(image) != 0);

        if (!firmwareHas("reverse_top_speed")) {
            showControls(f,
                         {IdAbsCaption, IdAbsOn, IdAbsOff, IdOutputCaption, IdOutputOn, IdOutputOff,
                          IdReverseCaption, IdReverseSpeed, IdReverseSpeedLabel},
                         false);
        } else {
            // The top speed in reverse takes over from the half-speed switch, which keeps its
            // state.
            enableControls(f, {IdHalfSpeedOn, IdHalfSpeedOff}, false);
            loadSlider("reverse_top_speed");
            if (isTreSeries(image))
                showControls(f, {IdOutputCaption, IdOutputOn, IdOutputOff}, false);
            // Set even when hidden, so that the store writes the bit back unchanged.
            loadAll({"abs", "output_12v"});
        }
    }

    const config::Setting* store() override {
        Form& f = form();

        storeSlider("top_speed");
        // No selection (-1) stores 0.
        setting("motor_poles")
            .setRaw(image, static_cast<std::uint8_t>(2 * (f.selected(IdPoles) + 1)));

        storeIfHeld("half_speed_reverse");

        if (firmwareHas("half_current_reverse")) {
            // Boost and economy both listen on the brake input, which then carries no brake
            // sensor; of the two, boost wins.
            const config::Setting& brakeSensor = setting("brake_sensor_type");
            storePair("boost");
            if (f.checked(IdBoostOn)) {
                setPair(f, IdEconomyOn, IdEconomyOff, false);
                brakeSensor.setRaw(image, 0);
            }
            storePair("economy");
            if (f.checked(IdEconomyOn)) {
                setPair(f, IdBoostOn, IdBoostOff, false);
                brakeSensor.setRaw(image, 0);
            }
            storePair("half_current_reverse");
        }

        setting("releasing_brake_high_pedal_disable")
            .setRaw(image, f.checked(IdJoystickOn) ? 1 : 0);
        // A pair the load hid without setting has neither button checked: its bit is cleared.
        storeAll({"noise_reduction", "abs", "output_12v"});

        storeIfHeld("reverse_top_speed");
        return nullptr;
    }
};

}  // namespace

const RulesMaker makeV0204Rules = makeRules<Rules>;

}  // namespace model
