#include "CStep2.h"

#include <QAbstractButton>
#include <QComboBox>

#include "CalibrationImage.h"

namespace {

constexpr int IdModel = 1039, IdSerial = 1040, IdSoftware = 1041, IdAdVersion = 1042;
constexpr int IdForwardOn = 1123, IdForwardOff = 1124, IdHelpForward = 1125;
constexpr int IdFootOn = 1037, IdFootOff = 1038;
constexpr int IdSensor = 1031, IdHelpSensor = 1055;
constexpr int IdStart = 1030, IdStartLabel = 1106, IdEnd = 1032, IdEndLabel = 1107;
constexpr int IdStartStep = 1110, IdEndStep = 1111;
constexpr int IdMotorCurrent = 1034, IdMotorCurrentLabel = 1036;
constexpr int IdBatteryCurrent = 1094, IdBatteryCurrentLabel = 1096;
constexpr int IdLow = 1033, IdLowLabel = 1108, IdLowCaption = 1142;
constexpr int IdHigh = 1035, IdHighLabel = 1109, IdHighCaption = 1143;

// List 1031 index of the 1-4 V throttle, where it has one.
constexpr int SensorOneToFour = 1;

QString suffixLetters(std::uint8_t options) {
    QString letters;
    switch (options & 0x07) {
        case 1:
            letters += QLatin1Char('A');
            break;
        case 2:
            letters += QLatin1Char('B');
            break;
        case 3:
            letters += QLatin1Char('H');
            break;
        case 4:
            letters += QLatin1Char('X');
            break;
        case 5:
            letters += QLatin1Char('E');
            break;
        default:
            break;
    }
    switch ((options >> 3) & 0x03) {
        case 1:
            letters += QLatin1Char('S');
            break;
        case 2:
            letters += QLatin1Char('U');
            break;
        default:
            break;
    }
    switch ((options >> 5) & 0x03) {
        case 1:
            letters += QLatin1Char('C');
            break;
        case 2:
            letters += QLatin1Char('J');
            break;
        default:
            break;
    }
    return letters;
}

}  // namespace

QString CStep2::modelText(const CalibrationImage& image) {
    const QString model = image.text(Field::Model, Field::ModelLength);
    // A zero byte among the model characters ends the whole text.
    if (model.size() < Field::ModelLength)
        return model;
    if (image.byte(Field::Variant) == 'B')
        return model + QLatin1Char('B');
    return model +
           suffixLetters(image.byte(Field::ModelOptions)).leftJustified(3, QLatin1Char(' '));
}

void CStep2::initialise() {
    bindLabel(IdMotorCurrent, IdMotorCurrentLabel, kit::percent);
    bindLabel(IdBatteryCurrent, IdBatteryCurrentLabel, kit::percent);
    bindLabel(IdLow, IdLowLabel, kit::percent);
    bindLabel(IdHigh, IdHighLabel, kit::percent);
    const kit::Format throttle = [this](int value) {
        return throttleInVolts() ? kit::sensorVolts(value) : kit::percent(value);
    };
    bindLabel(IdStart, IdStartLabel, throttle);
    bindLabel(IdEnd, IdEndLabel, throttle);
    refreshOnChange(IdSensor);

    // A user's click only: a load sets the buttons without this interlock.
    connect(option(IdForwardOn), &QAbstractButton::clicked, this, [this] {
        kit::setPair(option(IdFootOn), option(IdFootOff), false);
        enableControls({IdFootOn, IdFootOff}, false);
    });
    connect(option(IdForwardOff), &QAbstractButton::clicked, this, [this] {
        enableControls({IdFootOn, IdFootOff}, true);
    });
}

bool CStep2::throttleInVolts() const {
    return kit::selected(list(IdSensor)) == SensorOneToFour && !image.version().atLeast(0x0405);
}

void CStep2::refreshed() {
    const bool thresholds =
        kit::selected(list(IdSensor)) == SensorOneToFour && image.version().atLeast(0x0405);
    showControls({IdLowCaption, IdHighCaption, IdLowLabel, IdHighLabel, IdLow, IdHigh}, thresholds);
}

void CStep2::load() {
    const FirmwareVersion version = image.version();

    setText(IdModel, modelText(image));
    setText(IdAdVersion, FormatHex(image.data() + Field::AdVersion, 1));
    setText(IdSerial, FormatHex(image.data() + Field::SerialNumber, Field::SerialNumberLength));
    setText(IdSoftware, FormatHex(image.data() + Field::VersionMajor, 2));

    const std::uint8_t start = image.byte(Field::ThrottleStart);
    setSlider(IdStart, 0, 40, start >> 1);
    kit::selectNibble(list(IdStartStep), start >> 4, 2);
    setSlider(IdEnd, 60, 100, image.byte(Field::ThrottleEnd) >> 1);
    kit::selectNibble(list(IdEndStep), start & 0x0F, 2);

    const bool forward = image.bit(Field::Switches, Field::ForwardSwitchBit);
    const bool foot = image.bit(Field::Switches, Field::FootSwitchBit);
    if (version.atLeast(0x0402) && forward) {
        kit::setPair(option(IdForwardOn), option(IdForwardOff), true);
        kit::setPair(option(IdFootOn), option(IdFootOff), false);
        enableControls({IdFootOn, IdFootOff}, false);
    } else {
        if (version.atLeast(0x0402)) {
            kit::setPair(option(IdForwardOn), option(IdForwardOff), false);
        } else {
            kit::clearPair(option(IdForwardOn), option(IdForwardOff));
            enableControls({IdForwardOn, IdForwardOff}, false);
            setText(IdHelpForward, QStringLiteral("1、仅在软件版本不低于0402的控制器上可用。"));
        }
        enableControls({IdFootOn, IdFootOff}, true);
        kit::setPair(option(IdFootOn), option(IdFootOff), foot);
    }

    if (!version.atLeast(0x0302)) {
        showControls({IdStart, IdEnd, IdStartLabel, IdEndLabel}, false);
    } else if (!version.atLeast(0x0403)) {
        showControls({IdStartStep, IdEndStep}, false);
        setText(
            IdHelpSensor,
            QStringLiteral("2.通常有效信号的范围是1V-4V,低于0.5V或者高于4.5V时，控制器将会报错"));
        kit::refill(list(IdSensor), {QStringLiteral("3线式踏板"), QStringLiteral("霍尔有源踏板")});
    } else {
        showControls({IdStartStep, IdEndStep}, false);
        kit::refill(list(IdSensor),
                    {QStringLiteral("0-5V"), QStringLiteral("1-4V"), QStringLiteral("0-5K")});
    }

    switch (image.byte(Field::ThrottleSensorType)) {
        case 2:
            kit::select(list(IdSensor), 1);
            break;
        case 3:
            kit::select(list(IdSensor), 2);
            break;  // none where the list has two items
        default:
            kit::select(list(IdSensor), 0);
            break;
    }

    setSlider(IdMotorCurrent, 20, 100, image.byte(Field::MaxMotorCurrent));
    if (version.atLeast(0x0208)) {
        const bool tre = image.text(Field::Series, Field::SeriesLength) == QLatin1String("TRE");
        setSlider(IdBatteryCurrent, 20, tre ? 70 : 100, image.byte(Field::MaxBatteryCurrent));
    } else {
        enableControls({IdBatteryCurrent}, false);
    }
    setSlider(IdLow, 0, 40, image.byte(Field::ThresholdLow));
    setSlider(IdHigh, 60, 100, image.byte(Field::ThresholdHigh));
    // The threshold group follows the refresh that runs after every load.
}

void CStep2::store() {
    const FirmwareVersion version = image.version();

    if (version.atLeast(0x0302)) {
        image.setByte(Field::ThrottleStart, static_cast<std::uint8_t>(2 * position(IdStart)));
        image.setByte(Field::ThrottleEnd, static_cast<std::uint8_t>(2 * position(IdEnd)));
    } else {
        // A list without a selection leaves its nibble as it was.
        const int s = kit::selected(list(IdStartStep));
        if (s >= 0)
            image.setByte(
                Field::ThrottleStart,
                static_cast<std::uint8_t>((s << 4) | (image.byte(Field::ThrottleStart) & 0x0F)));
        const int t = kit::selected(list(IdEndStep));
        if (t >= 0)
            image.setByte(Field::ThrottleStart,
                          static_cast<std::uint8_t>((image.byte(Field::ThrottleStart) & 0xF0) | t));
    }

    image.setBit(Field::Switches, Field::FootSwitchBit, checked(IdFootOn));
    image.setBit(Field::Switches, Field::ForwardSwitchBit, checked(IdForwardOn));

    switch (kit::selected(list(IdSensor))) {
        case 1:
            image.setByte(Field::ThrottleSensorType, 2);
            break;
        case 2:
            image.setByte(Field::ThrottleSensorType, 3);
            break;
        default:
            image.setByte(Field::ThrottleSensorType, 1);
            break;
    }

    image.setByte(Field::MaxMotorCurrent, static_cast<std::uint8_t>(position(IdMotorCurrent)));
    if (version.atLeast(0x0208))
        image.setByte(Field::MaxBatteryCurrent,
                      static_cast<std::uint8_t>(position(IdBatteryCurrent)));
    // The thresholds belong to the 1-4 V throttle, whether or not their group is shown.
    if (kit::selected(list(IdSensor)) == SensorOneToFour) {
        image.setByte(Field::ThresholdLow, static_cast<std::uint8_t>(position(IdLow)));
        image.setByte(Field::ThresholdHigh, static_cast<std::uint8_t>(position(IdHigh)));
    }
}
