#include "CStep3.h"

#include <QComboBox>

#include "CalibrationImage.h"

namespace {

constexpr int IdDelay = 1044, IdHall = 1046, IdMode = 1047;
constexpr int IdUnder = 1035, IdUnderLabel = 1077, IdOver = 1062, IdOverLabel = 1078;
constexpr int IdRate = 1065, IdRateLabel = 1079;
constexpr int IdPowerOnOn = 1024, IdPowerOnOff = 1025;
constexpr int IdBrakeCaption = 1112, IdBrakeOn = 1113, IdBrakeOff = 1114, IdBrakeHelp = 1115;

// Control-mode list items.
constexpr int ModeTorque = 0, ModeSpeed = 2;

}  // namespace

void CStep3::initialise() {
    bindLabel(IdUnder, IdUnderLabel, kit::volts);
    bindLabel(IdOver, IdOverLabel, kit::volts);
    bindLabel(IdRate, IdRateLabel, kit::plain);
    // Older firmware has no releasing-brake protection; the hidden pair still carries its bit.
    if (image.version().atLeast(0x0209))
        showControls({IdBrakeOn, IdBrakeOff}, true);
    else
        showControls({IdBrakeCaption, IdBrakeOn, IdBrakeOff, IdBrakeHelp}, false);
}

void CStep3::load() {
    kit::select(list(IdDelay), image.byte(Field::StartupDelay));
    kit::select(list(IdHall), image.byte(Field::HallSensorType) == 60 ? 0 : 1);

    kit::refill(list(IdMode),
                {QStringLiteral("转矩"), QStringLiteral("平衡"), QStringLiteral("速度")});
    if (image.byte(Field::SpeedMode) == 2)
        kit::select(list(IdMode), ModeSpeed);
    else if (image.byte(Field::ControlMode) == 3)
        kit::select(list(IdMode), ModeTorque);
    else
        kit::select(list(IdMode), 1);

    // An unknown voltage class keeps the range the sliders have.
    if (const auto range = voltageClassRange(image)) {
        slider(IdUnder)->setRange(range->minimum, range->maximum);
        slider(IdOver)->setRange(range->minimum, range->maximum);
    }
    slider(IdUnder)->setValue(image.byte(Field::UnderVoltage));
    slider(IdOver)->setValue(image.byte(Field::OverVoltage));
    setSlider(IdRate, 1, 20, image.byte(Field::ThrottleRate) / 10);

    kit::setPair(option(IdPowerOnOn), option(IdPowerOnOff),
                 !image.bit(Field::Switches, Field::PowerOnHighPedalOffBit));
    kit::setPair(option(IdBrakeOn), option(IdBrakeOff),
                 image.bit(Field::Functions, Field::ReleasingBrakeHighPedalBit));
}

void CStep3::store() {
    // No selection (a delay above 2 s) is kept as 0xFF.
    image.setByte(Field::StartupDelay, static_cast<std::uint8_t>(kit::selected(list(IdDelay))));
    image.setByte(Field::HallSensorType, kit::selected(list(IdHall)) == 0 ? 60 : 120);

    switch (kit::selected(list(IdMode))) {
        case ModeSpeed:
            image.setByte(Field::SpeedMode, 2);
            break;
        case ModeTorque:
            image.setByte(Field::SpeedMode, 0);
            image.setByte(Field::ControlMode, 3);
            image.setByte(Field::ControlModeCopy, 3);
            break;
        default:
            image.setByte(Field::SpeedMode, 0);
            image.setByte(Field::ControlMode, 1);
            image.setByte(Field::ControlModeCopy, 1);
            break;
    }

    image.setBit(Field::Switches, Field::PowerOnHighPedalOffBit, !checked(IdPowerOnOn));
    image.setBit(Field::Functions, Field::ReleasingBrakeHighPedalBit, !checked(IdBrakeOff));
    image.setByte(Field::UnderVoltage, static_cast<std::uint8_t>(position(IdUnder)));
    image.setByte(Field::OverVoltage, static_cast<std::uint8_t>(position(IdOver)));
    image.setByte(Field::ThrottleRate, static_cast<std::uint8_t>(10 * position(IdRate)));
}
