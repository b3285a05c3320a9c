#include "V0204.h"

#include <QAbstractButton>
#include <QComboBox>

#include "CalibrationImage.h"

void V0204::initialise() {
    bindSlider(IdTopSpeed, IdTopSpeedLabel, "top_speed");
    bindList(IdPoles, "motor_poles");
    bindPair(IdHalfSpeedOn, IdHalfSpeedOff, "half_speed_reverse");
    bindPair(IdBoostOn, IdBoostOff, "boost");
    bindPair(IdEconomyOn, IdEconomyOff, "economy");
    bindPair(IdHalfCurrentOn, IdHalfCurrentOff, "half_current_reverse");
    bindPair(IdNoiseOn, IdNoiseOff, "noise_reduction");
    bindPair(IdAbsOn, IdAbsOff, "abs");
    bindPair(IdOutputOn, IdOutputOff, "output_12v");
    bindSlider(IdReverseSpeed, IdReverseSpeedLabel, "reverse_top_speed");
}

void V0204::load() {
    const FirmwareVersion version = image.version();

    // Only CAN-capable variants report the pole count; others show it read-only.
    if (!isJ1939Variant(image) && !isCanVariant(image))
        enableControls({IdPoles}, false);

    loadSlider("top_speed");

    const int poles = static_cast<int>(setting("motor_poles").raw(image));
    kit::select(list(IdPoles), poles <= 1 ? 0 : poles / 2 - 1);

    if (version.atLeast(0x0209))
        loadPair("half_speed_reverse");
    else
        enableControls({IdHalfSpeedOn, IdHalfSpeedOff}, false);

    if (version.atLeast(0x0300)) {
        loadPair("boost");
        loadPair("economy");
        loadPair("half_current_reverse");
    } else {
        enableControls(
            {IdBoostOn, IdBoostOff, IdEconomyOn, IdEconomyOff, IdHalfCurrentOn, IdHalfCurrentOff},
            false);
    }

    if (version.atLeast(0x0304))
        loadPair("noise_reduction");
    else
        showControls({IdNoiseOn, IdNoiseOff, IdNoiseCaption, IdNoiseHelp}, false);

    // The start-up page owns this bit; the hidden pair only carries it through the store.
    kit::setPair(option(IdJoystickOn), option(IdJoystickOff),
                 setting("releasing_brake_high_pedal_disable").raw(image) != 0);

    if (!version.atLeast(0x0403)) {
        showControls({IdAbsCaption, IdAbsOn, IdAbsOff, IdOutputCaption, IdOutputOn, IdOutputOff,
                      IdReverseCaption, IdReverseSpeed, IdReverseSpeedLabel},
                     false);
    } else {
        // The top speed in reverse takes over from the half-speed switch, which keeps its state.
        enableControls({IdHalfSpeedOn, IdHalfSpeedOff}, false);
        loadSlider("reverse_top_speed");
        if (isTreSeries(image))
            showControls({IdOutputCaption, IdOutputOn, IdOutputOff}, false);
        // Set even when hidden, so that the store writes the bit back unchanged.
        loadPair("abs");
        loadPair("output_12v");
    }
}

void V0204::store() {
    const FirmwareVersion version = image.version();

    storeSlider("top_speed");
    // No selection (-1) stores 0.
    setting("motor_poles")
        .setRaw(image, static_cast<std::uint8_t>(2 * (kit::selected(list(IdPoles)) + 1)));

    if (version.atLeast(0x0209))
        storePair("half_speed_reverse");

    if (version.atLeast(0x0300)) {
        // Boost and economy both listen on the brake input, which then carries no brake
        // sensor; of the two, boost wins.
        const config::Setting& brakeSensor = setting("brake_sensor_type");
        storePair("boost");
        if (checked(IdBoostOn)) {
            kit::setPair(option(IdEconomyOn), option(IdEconomyOff), false);
            brakeSensor.setRaw(image, 0);
        }
        storePair("economy");
        if (checked(IdEconomyOn)) {
            kit::setPair(option(IdBoostOn), option(IdBoostOff), false);
            brakeSensor.setRaw(image, 0);
        }
        storePair("half_current_reverse");
    }

    setting("releasing_brake_high_pedal_disable").setRaw(image, checked(IdJoystickOn) ? 1 : 0);
    // A pair the load hid without setting has neither button checked: its bit is cleared.
    storePair("noise_reduction");
    storePair("abs");
    storePair("output_12v");

    if (version.atLeast(0x0403))
        storeSlider("reverse_top_speed");
}
