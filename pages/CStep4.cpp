#include "CStep4.h"

#include <QAbstractButton>
#include <QComboBox>

#include "CalibrationImage.h"

void CStep4::initialise() {
    bindList(IdSensor, "motor_temperature_sensor");
    bindSlider(IdStop, IdStopLabel, "stop_temperature");
    bindSlider(IdResume, IdResumeLabel, "resume_temperature");
    bindEdit(IdSend, "can_send_id");
    bindEdit(IdReceive, "can_receive_id");
    bindPair(IdSmoothOn, IdSmoothOff, "smoothing");
    for (const SmoothRow& row : SmoothRows) bindSlider(row.slider, row.label, row.key);

    // A user's click only: the image is not touched until the page is left.
    connect(option(IdSmoothOn), &QAbstractButton::clicked, this, [this] {
        kit::setPair(option(IdSmoothOn), option(IdSmoothOff), true);
        showSmoothingRows(true);
    });
    connect(option(IdSmoothOff), &QAbstractButton::clicked, this, [this] {
        kit::setPair(option(IdSmoothOn), option(IdSmoothOff), false);
        showSmoothingRows(false);
    });
}

void CStep4::showSmoothingRows(bool visible) {
    for (const SmoothRow& row : SmoothRows)
        showControls({row.caption, row.label, row.slider}, visible);
}

void CStep4::load() {
    const bool from0404 = image.version().atLeast(0x0404);

    // Older firmware knows only whether a sensor is fitted, not which one.
    fillList("motor_temperature_sensor");
    switch (setting("motor_temperature_sensor").raw(image)) {
        case 0:
            kit::select(list(IdSensor), 0);
            break;
        case 2:
            kit::select(list(IdSensor), 2);
            break;  // none where the list has two items
        default:
            kit::select(list(IdSensor), 1);
            break;
    }

    loadSlider("stop_temperature");
    loadSlider("resume_temperature");

    // Only CAN models have the identifiers; the group box stays, empty, on the others.
    const bool can = isCanVariant(image);
    showControls({IdSend, IdReceive, IdSendCaption, IdReceiveCaption}, can);
    if (can) {
        loadEdit("can_send_id");
        loadEdit("can_receive_id");
    }

    showControls({IdSmoothBox, IdSmoothCaption, IdSmoothOn, IdSmoothOff}, from0404);
    if (from0404) {
        loadPair("smoothing");
        showSmoothingRows(checked(IdSmoothOn));
    } else {
        showSmoothingRows(false);
    }

    // Loaded whatever the firmware and the enable bit, so the rows are ready when enabled.
    for (const SmoothRow& row : SmoothRows) loadSlider(row.key);
}

void CStep4::store() {
    const int sensor = kit::selected(list(IdSensor));
    if (sensor >= 0)
        setting("motor_temperature_sensor").setRaw(image, static_cast<std::uint32_t>(sensor));

    storeSlider("stop_temperature");
    storeSlider("resume_temperature");

    // A refused identifier ends the store: what follows keeps its previous bytes.
    if (isCanVariant(image)) {
        if (!storeEdit("can_send_id"))
            return;
        if (!storeEdit("can_receive_id"))
            return;
    }

    if (image.version().atLeast(0x0404)) {
        // Disabling clears the whole byte; enabling keeps its other bits.
        const config::Setting& smoothing = setting("smoothing");
        if (checked(IdSmoothOn))
            smoothing.setRaw(image, 1);
        else
            image.setByte(smoothing.pos, 0);
        if (smoothing.raw(image) != 0)
            for (const SmoothRow& row : SmoothRows) storeSlider(row.key);
    }
}
