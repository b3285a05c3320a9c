#include "CStep3.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QSlider>

#include "CalibrationImage.h"

void CStep3::initialise() {
    bindList(IdDelay, "startup_delay");
    bindList(IdHall, "hall_sensor_type");
    bindList(IdMode, "control_mode");
    bindSlider(IdUnder, IdUnderLabel, "under_voltage");
    bindSlider(IdOver, IdOverLabel, "over_voltage");
    bindSlider(IdRate, IdRateLabel, "throttle_rate");
    bindPair(IdPowerOnOn, IdPowerOnOff, "power_on_high_pedal_disable");
    bindPair(IdBrakeOn, IdBrakeOff, "releasing_brake_high_pedal_disable");
    // Older firmware has no releasing-brake protection; the hidden pair still carries its bit.
    if (image.version().atLeast(0x0209))
        showControls({IdBrakeOn, IdBrakeOff}, true);
    else
        showControls({IdBrakeCaption, IdBrakeOn, IdBrakeOff, IdBrakeHelp}, false);
}

void CStep3::load() {
    // The delay list's items are the tenths of a second it stores.
    kit::select(list(IdDelay), static_cast<int>(setting("startup_delay").raw(image)));
    kit::select(list(IdHall), setting("hall_sensor_type").raw(image) == 60 ? 0 : 1);

    fillList("control_mode");
    const config::Setting& mode = setting("control_mode");
    kit::select(list(IdMode), config::itemIndex(mode, image, mode.raw(image)));

    loadSlider("under_voltage");
    loadSlider("over_voltage");
    loadSlider("throttle_rate");

    loadPair("power_on_high_pedal_disable");
    loadPair("releasing_brake_high_pedal_disable");
}

void CStep3::store() {
    // No selection (a delay above 2 s) is kept as 0xFF.
    setting("startup_delay").setRaw(image, static_cast<std::uint8_t>(kit::selected(list(IdDelay))));
    setting("hall_sensor_type").setRaw(image, kit::selected(list(IdHall)) == 0 ? 60 : 120);

    // Anything but torque or speed stores balanced.
    const config::Setting& mode = setting("control_mode");
    mode.setRaw(image, config::itemAt(mode, image, kit::selected(list(IdMode))).value_or(0));

    storePair("power_on_high_pedal_disable");
    // The pair's off-button decides, so that a pair with neither button checked stores on.
    setting("releasing_brake_high_pedal_disable").setRaw(image, checked(IdBrakeOff) ? 0 : 1);
    storeSlider("under_voltage");
    storeSlider("over_voltage");
    storeSlider("throttle_rate");
}
