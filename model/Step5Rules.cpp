#include "Step5Rules.h"

namespace model {

namespace {

// List 1081 index whose sensor span reads in volts.
constexpr int SensorInVolts = 2;

constexpr SpanKeys BrakeSpan{"brake_start", "brake_end", "brake_start_step", "brake_end_step"};

// Regeneration, brake switch and brake sensor settings.
class Rules : public RulesOf<Step5Controls> {
public:
    using RulesOf::RulesOf;

    void bind() override {
        reformat("releasing_throttle_regen", offAtZero(percent));
        const Format span = [this](int value) {
            return sensorInVolts() ? sensorVolts(value) : percent(value);
        };
        reformat("brake_start", span);
        reformat("brake_end", span);
        // The span labels change unit with the sensor type at once, never showing a stale one.
        refreshOnChange(IdSensorType);
        refreshOnClick(IdRegenOn);
        refreshOnClick(IdRegenOff);
    }

    bool sensorInVolts() const { return form().selected(IdSensorType) == SensorInVolts; }

    void load() override {
        Form& f = form();

        loadPair("regeneration");

        // Older firmware has no releasing-throttle regen: the slider stays at its initial 0 and
        // byte 16 is left alone.
        loadIfHeld("releasing_throttle_regen");

        loadPair("brake_switch");

        loadAll({"brake_switch_regen", "max_regen_current"});
        // Both forms of the sensor span are loaded; the firmware decides which one is shown.
        loadSpan(BrakeSpan);
        fillList("brake_sensor_type");

        // 3 selects nothing where the list has three items.
        const auto type = static_cast<int>(setting("brake_sensor_type").raw(image));
        f.select(IdSensorType, type <= 3 ? type : 0);
    }

    const config::Setting* store() override {
        Form& f = form();
        storeAll({"regeneration", "brake_switch"});

        storeIfHeld("releasing_throttle_regen");

        storeAll({"brake_switch_regen", "max_regen_current"});

        storeSpan(BrakeSpan);

        // A brake sensor takes the brake input away from boost and economy.
        const int type = f.selected(IdSensorType);
        if (type >= 1 && type <= 3) {
            for (const char* key : {"boost", "economy"}) setting(key).setRaw(image, 0);
            setting("brake_sensor_type").setRaw(image, static_cast<std::uint32_t>(type));
        } else {
            setting("brake_sensor_type").setRaw(image, 0);
        }
        return nullptr;
    }
};

}  // namespace

const RulesMaker makeStep5Rules = makeRules<Rules>;

}  // namespace model
