#include "CStep5.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QSlider>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QToolTip>

#include "CalibrationImage.h"

namespace {

constexpr int IdRegenOn = 1016, IdRegenOff = 1017;
constexpr int IdBrakeSwitchOn = 1018, IdBrakeSwitchOff = 1019;
constexpr int IdReleasing = 1094, IdReleasingLabel = 1095;
constexpr int IdBySwitch = 1045, IdBySwitchLabel = 1044;
constexpr int IdMaxRegen = 1043, IdMaxRegenLabel = 1041;
constexpr int IdSensorType = 1081;
constexpr int IdStart = 1079, IdStartLabel = 1108, IdStartStep = 1112;
constexpr int IdEnd = 1080, IdEndLabel = 1109, IdEndStep = 1113;

// List 1081 index whose sensor span reads in volts.
constexpr int SensorInVolts = 2;

// While the user drags the slider, a tool tip above its handle shows the position.
void showPositionWhileDragged(QSlider* slider) {
    const auto tip = [slider] {
        QStyleOptionSlider option;
        option.initFrom(slider);
        option.orientation = slider->orientation();
        option.minimum = slider->minimum();
        option.maximum = slider->maximum();
        option.sliderPosition = slider->sliderPosition();
        option.sliderValue = slider->value();
        option.upsideDown = slider->invertedAppearance();
        const QRect handle = slider->style()->subControlRect(QStyle::CC_Slider, &option,
                                                             QStyle::SC_SliderHandle, slider);
        QToolTip::showText(slider->mapToGlobal(handle.topLeft()),
                           QString::number(slider->sliderPosition()), slider);
    };
    QObject::connect(slider, &QSlider::sliderPressed, slider, tip);
    QObject::connect(slider, &QSlider::sliderMoved, slider, tip);
    QObject::connect(slider, &QSlider::sliderReleased, slider, [] { QToolTip::hideText(); });
}

// Before 0302 byte 5 holds the sensor span in two nibbles; a list without a selection leaves
// its nibble as it was.
std::uint8_t withNibble(std::uint8_t byte, int index, bool high) {
    if (index < 0)
        return byte;
    return high ? static_cast<std::uint8_t>((index << 4) | (byte & 0x0F))
                : static_cast<std::uint8_t>((byte & 0xF0) | (index & 0x0F));
}

}  // namespace

void CStep5::initialise() {
    bindLabel(IdBySwitch, IdBySwitchLabel, kit::percent);
    bindLabel(IdMaxRegen, IdMaxRegenLabel, kit::percent);
    bindLabel(IdReleasing, IdReleasingLabel, kit::offAtZero(kit::percent));
    const kit::Format span = [this](int value) {
        return sensorInVolts() ? kit::sensorVolts(value) : kit::percent(value);
    };
    bindLabel(IdStart, IdStartLabel, span);
    bindLabel(IdEnd, IdEndLabel, span);
    // The span labels change unit with the sensor type at once, never showing a stale one.
    refreshOnChange(IdSensorType);
    for (int id : {IdRegenOn, IdRegenOff})
        connect(option(id), &QAbstractButton::clicked, this, &SettingsPage::refreshLabels);
    showPositionWhileDragged(slider(IdReleasing));
}

bool CStep5::sensorInVolts() const {
    return kit::selected(list(IdSensorType)) == SensorInVolts;
}

void CStep5::load() {
    const FirmwareVersion version = image.version();

    kit::setPair(option(IdRegenOn), option(IdRegenOff),
                 image.bit(Field::Switches, Field::RegenerationBit));
    refreshLabels();

    // Older firmware has no releasing-throttle regen: the slider stays at its initial 0 and
    // byte 16 is left alone.
    if (version.atLeast(0x0209))
        setSlider(IdReleasing, 0, 20, image.byte(Field::ReleasingThrottleRegen));
    else
        enableControls({IdReleasing}, false);

    kit::setPair(option(IdBrakeSwitchOn), option(IdBrakeSwitchOff),
                 image.bit(Field::Switches, Field::BrakeSwitchBit));

    // Both forms of the sensor span are loaded; the firmware decides which one is shown.
    setSlider(IdBySwitch, 5, 50, image.byte(Field::BrakeSwitchRegen));
    setSlider(IdMaxRegen, 20, 100, image.byte(Field::MaxRegenCurrent));
    setSlider(IdStart, 0, 40, image.byte(Field::BrakeSensorStart));
    const std::uint8_t span = image.byte(Field::ThrottleEnd);
    kit::selectNibble(list(IdStartStep), span >> 4, 2);
    setSlider(IdEnd, 50, 100, image.byte(Field::BrakeSensorEnd));
    kit::selectNibble(list(IdEndStep), span & 0x0F, 2);

    if (!version.atLeast(0x0302)) {
        showControls({IdStart, IdEnd, IdStartLabel, IdEndLabel}, false);
    } else if (!version.atLeast(0x0403)) {
        showControls({IdStartStep, IdEndStep}, false);
        kit::refill(list(IdSensorType), {QStringLiteral("无"), QStringLiteral("3线式踏板"),
                                         QStringLiteral("霍尔有源踏板")});
    } else {
        showControls({IdStartStep, IdEndStep}, false);
        kit::refill(list(IdSensorType), {QStringLiteral("无"), QStringLiteral("0-5V"),
                                         QStringLiteral("1-4V"), QStringLiteral("0-5K")});
    }

    // 3 selects nothing where the list has three items.
    const int type = image.byte(Field::BrakeSensorType);
    kit::select(list(IdSensorType), type <= 3 ? type : 0);
}

void CStep5::store() {
    const FirmwareVersion version = image.version();

    image.setBit(Field::Switches, Field::RegenerationBit, checked(IdRegenOn));
    image.setBit(Field::Switches, Field::BrakeSwitchBit, checked(IdBrakeSwitchOn));

    if (version.atLeast(0x0209))
        image.setByte(Field::ReleasingThrottleRegen,
                      static_cast<std::uint8_t>(position(IdReleasing)));

    image.setByte(Field::BrakeSwitchRegen, static_cast<std::uint8_t>(position(IdBySwitch)));
    image.setByte(Field::MaxRegenCurrent, static_cast<std::uint8_t>(position(IdMaxRegen)));

    if (version.atLeast(0x0302)) {
        image.setByte(Field::BrakeSensorStart, static_cast<std::uint8_t>(position(IdStart)));
        image.setByte(Field::BrakeSensorEnd, static_cast<std::uint8_t>(position(IdEnd)));
    } else {
        image.setByte(Field::ThrottleEnd, withNibble(image.byte(Field::ThrottleEnd),
                                                     kit::selected(list(IdStartStep)), true));
        image.setByte(Field::ThrottleEnd, withNibble(image.byte(Field::ThrottleEnd),
                                                     kit::selected(list(IdEndStep)), false));
    }

    // A brake sensor takes the brake input away from boost and economy.
    const int type = kit::selected(list(IdSensorType));
    if (type >= 1 && type <= 3) {
        image.setByte(Field::Functions,
                      static_cast<std::uint8_t>(image.byte(Field::Functions) & 0xFC));
        image.setByte(Field::BrakeSensorType, static_cast<std::uint8_t>(type));
    } else {
        image.setByte(Field::BrakeSensorType, 0);
    }
}
