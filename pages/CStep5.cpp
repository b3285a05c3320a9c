#include "CStep5.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QSlider>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QToolTip>

#include "CalibrationImage.h"

namespace {

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

}  // namespace

void CStep5::initialise() {
    bindPair(IdRegenOn, IdRegenOff, "regeneration");
    bindPair(IdBrakeSwitchOn, IdBrakeSwitchOff, "brake_switch");
    bindSlider(IdBySwitch, IdBySwitchLabel, "brake_switch_regen");
    bindSlider(IdMaxRegen, IdMaxRegenLabel, "max_regen_current");
    bindSlider(IdReleasing, IdReleasingLabel, "releasing_throttle_regen",
               kit::offAtZero(kit::percent));
    bindList(IdSensorType, "brake_sensor_type");
    const kit::Format span = [this](int value) {
        return sensorInVolts() ? kit::sensorVolts(value) : kit::percent(value);
    };
    bindSlider(IdStart, IdStartLabel, "brake_start", span);
    bindSlider(IdEnd, IdEndLabel, "brake_end", span);
    bindList(IdStartStep, "brake_start_step");
    bindList(IdEndStep, "brake_end_step");
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

    loadPair("regeneration");
    refreshLabels();

    // Older firmware has no releasing-throttle regen: the slider stays at its initial 0 and
    // byte 16 is left alone.
    if (version.atLeast(0x0209))
        loadSlider("releasing_throttle_regen");
    else
        enableControls({IdReleasing}, false);

    loadPair("brake_switch");

    // Both forms of the sensor span are loaded; the firmware decides which one is shown.
    loadSlider("brake_switch_regen");
    loadSlider("max_regen_current");
    loadSlider("brake_start");
    kit::selectNibble(list(IdStartStep), setting("brake_start_step").raw(image), 2);
    loadSlider("brake_end");
    kit::selectNibble(list(IdEndStep), setting("brake_end_step").raw(image), 2);

    if (!version.atLeast(0x0302))
        showControls({IdStart, IdEnd, IdStartLabel, IdEndLabel}, false);
    else
        showControls({IdStartStep, IdEndStep}, false);
    fillList("brake_sensor_type");

    // 3 selects nothing where the list has three items.
    const auto type = static_cast<int>(setting("brake_sensor_type").raw(image));
    kit::select(list(IdSensorType), type <= 3 ? type : 0);
}

void CStep5::store() {
    storePair("regeneration");
    storePair("brake_switch");

    if (image.version().atLeast(0x0209))
        storeSlider("releasing_throttle_regen");

    storeSlider("brake_switch_regen");
    storeSlider("max_regen_current");

    if (image.version().atLeast(0x0302)) {
        storeSlider("brake_start");
        storeSlider("brake_end");
    } else {
        // A list without a selection leaves its nibble as it was.
        if (const int s = kit::selected(list(IdStartStep)); s >= 0)
            setting("brake_start_step").setRaw(image, static_cast<std::uint32_t>(s));
        if (const int e = kit::selected(list(IdEndStep)); e >= 0)
            setting("brake_end_step").setRaw(image, static_cast<std::uint32_t>(e));
    }

    // A brake sensor takes the brake input away from boost and economy.
    const int type = kit::selected(list(IdSensorType));
    if (type >= 1 && type <= 3) {
        for (const char* key : {"boost", "economy"}) setting(key).setRaw(image, 0);
        setting("brake_sensor_type").setRaw(image, static_cast<std::uint32_t>(type));
    } else {
        setting("brake_sensor_type").setRaw(image, 0);
    }
}
