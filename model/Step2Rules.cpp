#include "Step2Rules.h"

namespace model {

namespace {

// List 1031 index of the 1-4 V throttle, where it has one.
constexpr int SensorOneToFour = 1;
// Firmware that has the forward switch; that shows the 1-4 V throttle in volts before it,
// with thresholds from it; that dropped the old help text on the sensor's signal range.
constexpr unsigned ForwardSwitchFrom = 0x0402;
constexpr unsigned ThresholdsFrom = 0x0405;
constexpr unsigned SensorHelpUntil = 0x0403;

// List 1031's items in order: the codes of the throttle sensor types.
constexpr std::uint32_t SensorCodes[] = {1, 2, 3};
constexpr SpanKeys ThrottleSpan{"throttle_start", "throttle_end", "throttle_start_step",
                                "throttle_end_step"};

QString suffixLetters(std::uint8_t options) {
    static const char* const Power[] = {"", "A", "B", "H", "X", "E", "", ""};
    static const char* const Speed[] = {"", "S", "U", ""};
    static const char* const Can[] = {"", "C", "J", ""};
    return QLatin1String(Power[options & 0x07]) + QLatin1String(Speed[(options >> 3) & 0x03]) +
           QLatin1String(Can[(options >> 5) & 0x03]);
}

}  // namespace

QString Step2Controls::modelText(const CalibrationImage& image) {
    const QString model = image.text(Field::Model, Field::ModelLength);
    // A zero byte among the model characters ends the whole text.
    if (model.size() < Field::ModelLength)
        return model;
    if (image.byte(Field::Variant) == 'B')
        return model + QLatin1Char('B');
    return model +
           suffixLetters(image.byte(Field::ModelOptions)).leftJustified(3, QLatin1Char(' '));
}

namespace {

// Model information, switches, throttle sensor, current limits.
class Rules : public RulesOf<Step2Controls> {
public:
    using RulesOf::RulesOf;

    void bind() override {
        const Format throttle = [this](int value) {
            return throttleInVolts() ? sensorVolts(value) : percent(value);
        };
        reformat("throttle_start", throttle);
        reformat("throttle_end", throttle);
        refreshOnChange(IdSensor);
    }

    void clicked(int option) override {
        // The forward switch takes the foot switch: off and unavailable while it is on.
        if (option == IdForwardOn) {
            setPair(form(), IdFootOn, IdFootOff, false);
            enableControls(form(), {IdFootOn, IdFootOff}, false);
        } else if (option == IdForwardOff) {
            enableControls(form(), {IdFootOn, IdFootOff}, true);
        }
    }

    bool onOneToFour() const { return form().selected(IdSensor) == SensorOneToFour; }

    bool throttleInVolts() const {
        return onOneToFour() && !image.version().atLeast(ThresholdsFrom);
    }

    void refreshed() override {
        showControls(form(), {IdLowCaption, IdHighCaption, IdLowLabel, IdHighLabel, IdLow, IdHigh},
                     onOneToFour() && image.version().atLeast(ThresholdsFrom));
    }

    void load() override {
        Form& f = form();
        const FirmwareVersion version = image.version();

        f.setText(IdModel, modelText(image));
        f.setText(IdAdVersion, FormatHex(image.data() + Field::AdVersion, 1));
        f.setText(IdSerial, serialText(image));
        f.setText(IdSoftware, versionText(image));

        // Both forms of the throttle span are loaded; the firmware decides which one is shown.
        if (loadSpan(ThrottleSpan) && !version.atLeast(SensorHelpUntil))
            // Set in every module, in Chinese, as the program always did.
            f.setText(IdHelpSensor,
                      QStringLiteral("2.通常有效信号的范围是1V-4V,低于0.5V或者高于4.5V时，"
                                     "控制器将会报错"));

        const bool forward = setting("forward_switch").raw(image) != 0;
        const bool hasForward = version.atLeast(ForwardSwitchFrom);
        if (hasForward && forward) {
            setPair(f, IdForwardOn, IdForwardOff, true);
            setPair(f, IdFootOn, IdFootOff, false);
            enableControls(f, {IdFootOn, IdFootOff}, false);
        } else {
            if (hasForward) {
                setPair(f, IdForwardOn, IdForwardOff, false);
            } else {
                f.clearPair(IdForwardOn, IdForwardOff);
                enableControls(f, {IdForwardOn, IdForwardOff}, false);
                // Every module shows this text in Chinese: the program has always set it so.
                f.setText(IdHelpForward,
                          QStringLiteral("1、仅在软件版本不低于0402的控制器上可用。"));
            }
            enableControls(f, {IdFootOn, IdFootOff}, true);
            loadPair("foot_switch");
        }

        fillList("throttle_sensor_type");
        // Any other code selects item 0; 3 selects none where the list has two items.
        loadCode("throttle_sensor_type", SensorCodes, 0);

        loadSlider("max_motor_current");
        loadIfHeld("max_battery_current");
        loadAll({"threshold_low", "threshold_high"});
        // The threshold group follows the refresh that runs after every load.
    }

    const config::Setting* store() override {
        storeSpan(ThrottleSpan);

        storeAll({"foot_switch", "forward_switch"});

        // No selection stores 1.
        storeCode("throttle_sensor_type", SensorCodes, 1);

        storeSlider("max_motor_current");
        storeIfHeld("max_battery_current");
        // The thresholds belong to the 1-4 V throttle, whether or not their group is shown.
        if (onOneToFour()) {
            storeAll({"threshold_low", "threshold_high"});
        }
        return nullptr;
    }
};

}  // namespace

const RulesMaker makeStep2Rules = makeRules<Rules>;

}  // namespace model
