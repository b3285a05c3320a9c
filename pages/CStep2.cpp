#include "CStep2.h"

#include <QAbstractButton>
#include <QComboBox>

#include "CalibrationImage.h"

namespace {

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
    bindPair(IdForwardOn, IdForwardOff, "forward_switch");
    bindPair(IdFootOn, IdFootOff, "foot_switch");
    bindList(IdSensor, "throttle_sensor_type");
    const kit::Format throttle = [this](int value) {
        return throttleInVolts() ? kit::sensorVolts(value) : kit::percent(value);
    };
    bindSlider(IdStart, IdStartLabel, "throttle_start", throttle);
    bindSlider(IdEnd, IdEndLabel, "throttle_end", throttle);
    bindList(IdStartStep, "throttle_start_step");
    bindList(IdEndStep, "throttle_end_step");
    bindSlider(IdMotorCurrent, IdMotorCurrentLabel, "max_motor_current");
    bindSlider(IdBatteryCurrent, IdBatteryCurrentLabel, "max_battery_current");
    bindSlider(IdLow, IdLowLabel, "threshold_low");
    bindSlider(IdHigh, IdHighLabel, "threshold_high");
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
    setText(IdSerial, serialText(image));
    setText(IdSoftware, versionText(image));

    // Both forms of the throttle span are loaded; the firmware decides which one is shown.
    loadSlider("throttle_start");
    kit::selectNibble(list(IdStartStep), setting("throttle_start_step").raw(image), 2);
    loadSlider("throttle_end");
    kit::selectNibble(list(IdEndStep), setting("throttle_end_step").raw(image), 2);

    const bool forward = setting("forward_switch").raw(image) != 0;
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
        loadPair("foot_switch");
    }

    if (!version.atLeast(0x0302)) {
        showControls({IdStart, IdEnd, IdStartLabel, IdEndLabel}, false);
    } else {
        showControls({IdStartStep, IdEndStep}, false);
        if (!version.atLeast(0x0403))
            setText(IdHelpSensor,
                    QStringLiteral("2.通常有效信号的范围是1V-4V,低于0.5V或者高于4.5V时，"
                                   "控制器将会报错"));
    }
    fillList("throttle_sensor_type");

    switch (setting("throttle_sensor_type").raw(image)) {
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

    loadSlider("max_motor_current");
    if (version.atLeast(0x0208))
        loadSlider("max_battery_current");
    else
        enableControls({IdBatteryCurrent}, false);
    loadSlider("threshold_low");
    loadSlider("threshold_high");
    // The threshold group follows the refresh that runs after every load.
}

void CStep2::store() {
    if (image.version().atLeast(0x0302)) {
        storeSlider("throttle_start");
        storeSlider("throttle_end");
    } else {
        // A list without a selection leaves its nibble as it was.
        if (const int s = kit::selected(list(IdStartStep)); s >= 0)
            setting("throttle_start_step").setRaw(image, static_cast<std::uint32_t>(s));
        if (const int t = kit::selected(list(IdEndStep)); t >= 0)
            setting("throttle_end_step").setRaw(image, static_cast<std::uint32_t>(t));
    }

    storePair("foot_switch");
    storePair("forward_switch");

    // Items 0, 1 and 2 are codes 1, 2 and 3; no selection stores 1.
    const int sensor = kit::selected(list(IdSensor));
    setting("throttle_sensor_type")
        .setRaw(image, sensor == 1 || sensor == 2 ? static_cast<std::uint32_t>(sensor + 1) : 1u);

    storeSlider("max_motor_current");
    if (image.version().atLeast(0x0208))
        storeSlider("max_battery_current");
    // The thresholds belong to the 1-4 V throttle, whether or not their group is shown.
    if (kit::selected(list(IdSensor)) == SensorOneToFour) {
        storeSlider("threshold_low");
        storeSlider("threshold_high");
    }
}
