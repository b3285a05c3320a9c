#include "CStep4.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

#include "CalibrationImage.h"
#include "NumberText.h"
#include "Prompter.h"

namespace {

constexpr int IdSensor = 1140;
constexpr int IdStop = 1084, IdStopLabel = 1039, IdResume = 1035, IdResumeLabel = 1040;
constexpr int IdSendCaption = 1123, IdSend = 1125, IdReceiveCaption = 1124, IdReceive = 1126;
constexpr int IdSmoothBox = 1139, IdSmoothCaption = 1138, IdSmoothOn = 1088, IdSmoothOff = 1089;

// The five smoothing rows, in image order: they are shown and hidden together.
struct SmoothRow {
    int slider;
    int label;
    int caption;
    int pos;
    int minimum;
    int maximum;
};
constexpr SmoothRow SmoothRows[] = {
    {1085, 1041, 1133, Field::SmoothInflection, 5, 30},
    {1037, 1042, 1134, Field::SmoothLowAccel, 1, 255},
    {1086, 1043, 1135, Field::SmoothLowDecel, 1, 255},
    {1132, 1044, 1136, Field::SmoothHighAccel, 1, 255},
    {1087, 1045, 1137, Field::SmoothHighDecel, 1, 255},
};

constexpr unsigned CanIdLimit = 2047;
constexpr std::uint8_t VariantCan = 'C';

}  // namespace

void CStep4::initialise() {
    bindLabel(IdStop, IdStopLabel, kit::celsius);
    bindLabel(IdResume, IdResumeLabel, kit::celsius);
    for (const SmoothRow& row : SmoothRows) bindLabel(row.slider, row.label, kit::plain);

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
    if (from0404)
        kit::refill(list(IdSensor), {QStringLiteral("禁用"), QStringLiteral("KTY83-122"),
                                     QStringLiteral("KTY84-130")});
    else
        kit::refill(list(IdSensor), {QStringLiteral("禁用"), QStringLiteral("使用")});
    switch (image.byte(Field::MotorTempSensor)) {
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

    setSlider(IdStop, 60, 170, image.byte(Field::StopTemperature));
    setSlider(IdResume, 60, 170, image.byte(Field::ResumeTemperature));

    // Only CAN models have the identifiers; the group box stays, empty, on the others.
    const bool can = image.byte(Field::Variant) == VariantCan;
    showControls({IdSend, IdReceive, IdSendCaption, IdReceiveCaption}, can);
    if (can) {
        setText(IdSend, QString::number(image.field(Field::CanSendId, 2)));
        setText(IdReceive, QString::number(image.field(Field::CanReceiveId, 2)));
    }

    showControls({IdSmoothBox, IdSmoothCaption, IdSmoothOn, IdSmoothOff}, from0404);
    if (from0404) {
        const bool enabled = image.bit(Field::SmoothEnable, Field::SmoothEnableBit);
        kit::setPair(option(IdSmoothOn), option(IdSmoothOff), enabled);
        showSmoothingRows(enabled);
    } else {
        showSmoothingRows(false);
    }

    // Loaded whatever the firmware and the enable bit, so the rows are ready when enabled.
    for (const SmoothRow& row : SmoothRows)
        setSlider(row.slider, row.minimum, row.maximum, image.byte(row.pos));
}

bool CStep4::storeIdentifier(int editId, int captionId, int pos, const QString& message) {
    // Compared unsigned, so that every negative number is out of range too.
    const auto number = static_cast<std::uint32_t>(kit::textToNumber(edit(editId)->text()));
    if (number > CanIdLimit) {
        prompter.tell(message);
        edit(editId)->setFocus();
        emit refused(label(captionId)->text());
        return false;
    }
    image.setField(pos, 2, number);
    return true;
}

void CStep4::store() {
    const int sensor = kit::selected(list(IdSensor));
    if (sensor >= 0)
        image.setByte(Field::MotorTempSensor, static_cast<std::uint8_t>(sensor));

    image.setByte(Field::StopTemperature, static_cast<std::uint8_t>(position(IdStop)));
    image.setByte(Field::ResumeTemperature, static_cast<std::uint8_t>(position(IdResume)));

    // A refused identifier ends the store: what follows keeps its previous bytes.
    if (image.byte(Field::Variant) == VariantCan) {
        if (!storeIdentifier(IdSend, IdSendCaption, Field::CanSendId,
                             QStringLiteral("Send ID must between 0 and 2047 ")))
            return;
        if (!storeIdentifier(IdReceive, IdReceiveCaption, Field::CanReceiveId,
                             QStringLiteral("Receive ID must between 0 and 2047 ")))
            return;
    }

    if (image.version().atLeast(0x0404)) {
        // Disabling clears the whole byte; enabling keeps its other bits.
        if (checked(IdSmoothOn))
            image.setBit(Field::SmoothEnable, Field::SmoothEnableBit, true);
        else
            image.setByte(Field::SmoothEnable, 0);
        if (image.bit(Field::SmoothEnable, Field::SmoothEnableBit))
            for (const SmoothRow& row : SmoothRows)
                image.setByte(row.pos, static_cast<std::uint8_t>(position(row.slider)));
    }
}
