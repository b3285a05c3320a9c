#include "Step5Rules.h"

namespace model {

namespace {

// List 1081 index whose sensor span reads in volts.
constexpr int SensorInVolts = 2;

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
        if (firmwareHas("releasing_throttle_regen"))
            loadSlider("releasing_throttle_regen");
        else
            enableControls(f, {IdReleasing}, false);

        loadPair("brake_switch");

        // Both forms of the sensor span are loaded; the firmware decides which one is shown.
        loadSlider("brake_switch_regen");
        loadSlider("max_regen_current");
        loadSlider("brake_start");
        selectNibble(f, IdStartStep, static_cast<int>(setting("brake_start_step").raw(image)), 2);
        loadSlider("brake_end");
        selectNibble(f, IdEndStep, static_cast<int>(setting("brake_end_step").raw(image)), 2);

        if (!firmwareHas("brake_start"))
            showControls(f, {IdStart, IdEnd, IdStartLabel, IdEndLabel}, false);
        else
            showControls(f, {IdStartStep, IdEndStep}, false);
        fillList("brake_sensor_type");

        // 3 selects nothing where the list has three items.
        const auto type = static_cast<int>(setting("brake_sensor_type").raw(image));
        f.select(IdSensorType, type <= 3 ? type : 0);
    }

    const config::Setting* store() override {
        Form& f = form();
        storePair("regeneration");
        storePair("brake_switch");

        if (firmwareHas("releasing_throttle_regen"))
            storeSlider("releasing_throttle_regen");

        storeSlider("brake_switch_regen");
        storeSlider("max_regen_current");

        if (firmwareHas("brake_start")) {
            storeSlider("brake_start");
            storeSlider("brake_end");
        } else {
            // A list without a selection leaves its nibble as it was.
            if (const int s = f.selected(IdStartStep); s >= 0)
                setting("brake_start_step").setRaw(image, static_cast<std::uint32_t>(s));
            if (const int e = f.selected(IdEndStep); e >= 0)
                setting("brake_end_step").setRaw(image, static_cast<std::uint32_t>(e));
        }

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

std::unique_ptr<PageRules> makeStep5Rules(CalibrationImage& image) {
    return std::make_unique<Rules>(image);
}

}  // namespace model
