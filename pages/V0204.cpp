#include "V0204.h"

#include <QAbstractButton>
#include <QComboBox>

#include "CalibrationImage.h"

namespace {

constexpr int IdTopSpeed = 1058, IdTopSpeedLabel = 1057;
constexpr int IdPoles = 1085;
constexpr int IdHalfSpeedOn = 1090, IdHalfSpeedOff = 1091;
constexpr int IdBoostOn = 1097, IdBoostOff = 1098;
constexpr int IdEconomyOn = 1099, IdEconomyOff = 1100;
constexpr int IdHalfCurrentOn = 1101, IdHalfCurrentOff = 1102;
constexpr int IdJoystickOn = 1104, IdJoystickOff = 1105;
constexpr int IdNoiseOn = 1119, IdNoiseOff = 1120, IdNoiseCaption = 1121, IdNoiseHelp = 1122;
constexpr int IdAbsCaption = 1130, IdAbsOn = 1127, IdAbsOff = 1128;
constexpr int IdOutputCaption = 1131, IdOutputOn = 1129, IdOutputOff = 1126;
constexpr int IdReverseCaption = 1113, IdReverseSpeed = 1092, IdReverseSpeedLabel = 1111;

}  // namespace

void V0204::initialise() {
    bindLabel(IdTopSpeed, IdTopSpeedLabel, kit::percent);
    bindLabel(IdReverseSpeed, IdReverseSpeedLabel, kit::percent);
}

void V0204::load() {
    const FirmwareVersion version = image.version();
    const std::uint8_t functions = image.byte(Field::Functions);
    const auto pair = [this, functions](int on, int off, std::uint8_t mask) {
        kit::setPair(option(on), option(off), (functions & mask) != 0);
    };

    // Only CAN-capable variants report the pole count; others show it read-only.
    const std::uint8_t variant = image.byte(Field::Variant);
    if (variant != 'J' && variant != 'C')
        enableControls({IdPoles}, false);

    setSlider(IdTopSpeed, 30, 100, image.byte(Field::TopSpeed));

    const int poles = image.byte(Field::MotorPoles);
    kit::select(list(IdPoles), poles <= 1 ? 0 : poles / 2 - 1);

    if (version.atLeast(0x0209))
        pair(IdHalfSpeedOn, IdHalfSpeedOff, Field::HalfSpeedReverseBit);
    else
        enableControls({IdHalfSpeedOn, IdHalfSpeedOff}, false);

    if (version.atLeast(0x0300)) {
        pair(IdBoostOn, IdBoostOff, Field::BoostBit);
        pair(IdEconomyOn, IdEconomyOff, Field::EconomyBit);
        pair(IdHalfCurrentOn, IdHalfCurrentOff, Field::HalfCurrentReverseBit);
    } else {
        enableControls(
            {IdBoostOn, IdBoostOff, IdEconomyOn, IdEconomyOff, IdHalfCurrentOn, IdHalfCurrentOff},
            false);
    }

    if (version.atLeast(0x0304))
        pair(IdNoiseOn, IdNoiseOff, Field::NoiseReductionBit);
    else
        showControls({IdNoiseOn, IdNoiseOff, IdNoiseCaption, IdNoiseHelp}, false);

    // The start-up page owns this bit; the hidden pair only carries it through the store.
    pair(IdJoystickOn, IdJoystickOff, Field::ReleasingBrakeHighPedalBit);

    if (!version.atLeast(0x0403)) {
        showControls({IdAbsCaption, IdAbsOn, IdAbsOff, IdOutputCaption, IdOutputOn, IdOutputOff,
                      IdReverseCaption, IdReverseSpeed, IdReverseSpeedLabel},
                     false);
    } else {
        // The top speed in reverse takes over from the half-speed switch, which keeps its state.
        enableControls({IdHalfSpeedOn, IdHalfSpeedOff}, false);
        setSlider(IdReverseSpeed, 20, 100, image.byte(Field::ReverseTopSpeed));
        if (image.text(Field::Series, Field::SeriesLength) == QLatin1String("TRE"))
            showControls({IdOutputCaption, IdOutputOn, IdOutputOff}, false);
        // Set even when hidden, so that the store writes the bit back unchanged.
        const bool abs = image.bit(Field::Switches, Field::AbsBit);
        const bool output = image.bit(Field::Switches, Field::Output12VBit);
        kit::setPair(option(IdAbsOn), option(IdAbsOff), abs);
        kit::setPair(option(IdOutputOn), option(IdOutputOff), output);
    }
}

void V0204::store() {
    const FirmwareVersion version = image.version();

    image.setByte(Field::TopSpeed, static_cast<std::uint8_t>(position(IdTopSpeed)));
    // No selection (-1) stores 0.
    image.setByte(Field::MotorPoles,
                  static_cast<std::uint8_t>(2 * (kit::selected(list(IdPoles)) + 1)));

    if (version.atLeast(0x0209))
        image.setBit(Field::Functions, Field::HalfSpeedReverseBit, checked(IdHalfSpeedOn));

    if (version.atLeast(0x0300)) {
        // Boost and economy both listen on the brake input, which then carries no brake
        // sensor; of the two, boost wins.
        if (checked(IdBoostOn)) {
            image.setBit(Field::Functions, Field::BoostBit, true);
            kit::setPair(option(IdEconomyOn), option(IdEconomyOff), false);
            image.setByte(Field::BrakeSensorType, 0);
        } else {
            image.setBit(Field::Functions, Field::BoostBit, false);
        }
        if (checked(IdEconomyOn)) {
            image.setBit(Field::Functions, Field::EconomyBit, true);
            kit::setPair(option(IdBoostOn), option(IdBoostOff), false);
            image.setByte(Field::BrakeSensorType, 0);
        } else {
            image.setBit(Field::Functions, Field::EconomyBit, false);
        }
        image.setBit(Field::Functions, Field::HalfCurrentReverseBit, checked(IdHalfCurrentOn));
    }

    image.setBit(Field::Functions, Field::ReleasingBrakeHighPedalBit, checked(IdJoystickOn));
    // A pair the load hid without setting has neither button checked: its bit is cleared.
    image.setBit(Field::Functions, Field::NoiseReductionBit, checked(IdNoiseOn));
    image.setBit(Field::Switches, Field::AbsBit, checked(IdAbsOn));
    image.setBit(Field::Switches, Field::Output12VBit, checked(IdOutputOn));

    if (version.atLeast(0x0403))
        image.setByte(Field::ReverseTopSpeed, static_cast<std::uint8_t>(position(IdReverseSpeed)));
}
