#include "Step4Rules.h"

namespace model {

namespace {

// List 1140's items in order, by the code each stands for; any other code selects item 1.
constexpr std::uint32_t SensorCodes[] = {0, 1, 2};

// Temperature sensor and limits, CAN identifiers, throttle smoothing.
class Rules : public RulesOf<Step4Controls> {
public:
    using RulesOf::RulesOf;

    void clicked(int option) override {
        // The image is not touched until the page is left.
        if (option == IdSmoothOn || option == IdSmoothOff) {
            setPair(form(), IdSmoothOn, IdSmoothOff, option == IdSmoothOn);
            showSmoothingRows(option == IdSmoothOn);
        }
    }

    void showSmoothingRows(bool visible) {
        for (const SmoothRow& row : SmoothRows)
            showControls(form(), {row.caption, row.label, row.slider}, visible);
    }

    void load() override {
        Form& f = form();
        const bool smoothing = firmwareHas("smoothing");

        // Older firmware knows only whether a sensor is fitted, not which one; 2 selects none
        // where the list has two items.
        fillList("motor_temperature_sensor");
        loadCode("motor_temperature_sensor", SensorCodes, 1);

        loadAll({"stop_temperature", "resume_temperature"});

        // Only CAN models have the identifiers; the group box stays, empty, on the others.
        const bool can = isCanVariant(image);
        showControls(f, {IdSend, IdReceive, IdSendCaption, IdReceiveCaption}, can);
        if (can) {
            loadEdit("can_send_id");
            loadEdit("can_receive_id");
        }

        showControls(f, {IdSmoothBox, IdSmoothCaption, IdSmoothOn, IdSmoothOff}, smoothing);
        if (smoothing) {
            loadPair("smoothing");
            showSmoothingRows(f.checked(IdSmoothOn));
        } else {
            showSmoothingRows(false);
        }

        // Loaded whatever the firmware and the enable bit, so the rows are ready when enabled.
        for (const SmoothRow& row : SmoothRows) loadSlider(row.key);
    }

    const config::Setting* store() override {
        Form& f = form();
        if (const int sensor = f.selected(IdSensor); sensor >= 0)
            setting("motor_temperature_sensor").setRaw(image, static_cast<std::uint32_t>(sensor));

        storeAll({"stop_temperature", "resume_temperature"});

        // A refused identifier ends the store: what follows keeps its previous bytes.
        if (isCanVariant(image))
            for (const char* key : {"can_send_id", "can_receive_id"})
                if (!storeEdit(key))
                    return &setting(key);

        if (firmwareHas("smoothing")) {
            // Disabling clears the whole byte; enabling keeps its other bits.
            const config::Setting& smoothing = setting("smoothing");
            if (f.checked(IdSmoothOn))
                smoothing.setRaw(image, 1);
            else
                image.setByte(smoothing.pos, 0);
            if (smoothing.raw(image) != 0)
                for (const SmoothRow& row : SmoothRows) storeSlider(row.key);
        }
        return nullptr;
    }
};

}  // namespace

const RulesMaker makeStep4Rules = makeRules<Rules>;

}  // namespace model
