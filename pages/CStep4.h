#pragma once

#include "SettingsPage.h"

// Temperature, CAN and smoothing page.
class CStep4 : public SettingsPage {
    Q_OBJECT
public:
    static constexpr int Template = 148;
    static constexpr int IdSensor = 1140;
    static constexpr int IdStop = 1084, IdStopLabel = 1039, IdResume = 1035, IdResumeLabel = 1040;
    static constexpr int IdCanBox = 1122;
    static constexpr int IdSendCaption = 1123, IdSend = 1125, IdReceiveCaption = 1124;
    static constexpr int IdReceive = 1126;
    static constexpr int IdSmoothBox = 1139, IdSmoothCaption = 1138;
    static constexpr int IdSmoothOn = 1088, IdSmoothOff = 1089;

    // The five smoothing rows, in image order: they are shown and hidden together.
    struct SmoothRow {
        int caption;
        int label;
        int slider;
        const char* key;
    };
    static constexpr SmoothRow SmoothRows[] = {
        {1133, 1041, 1085, "smooth_inflection"}, {1134, 1042, 1037, "smooth_low_accel"},
        {1135, 1043, 1086, "smooth_low_decel"},  {1136, 1044, 1132, "smooth_high_accel"},
        {1137, 1045, 1087, "smooth_high_decel"},
    };

    static constexpr kit::Required Controls[] = {
        {IdSensor, kit::Kind::List},
        {IdStop, kit::Kind::Slider},
        {IdStopLabel, kit::Kind::Label},
        {IdResume, kit::Kind::Slider},
        {IdResumeLabel, kit::Kind::Label},
        {IdCanBox, kit::Kind::Group},
        {IdSendCaption, kit::Kind::Label},
        {IdSend, kit::Kind::Edit},
        {IdReceiveCaption, kit::Kind::Label},
        {IdReceive, kit::Kind::Edit},
        {IdSmoothBox, kit::Kind::Group},
        {IdSmoothCaption, kit::Kind::Label},
        {IdSmoothOn, kit::Kind::Option},
        {IdSmoothOff, kit::Kind::Option},
        {SmoothRows[0].caption, kit::Kind::Label},
        {SmoothRows[0].label, kit::Kind::Label},
        {SmoothRows[0].slider, kit::Kind::Slider},
        {SmoothRows[1].caption, kit::Kind::Label},
        {SmoothRows[1].label, kit::Kind::Label},
        {SmoothRows[1].slider, kit::Kind::Slider},
        {SmoothRows[2].caption, kit::Kind::Label},
        {SmoothRows[2].label, kit::Kind::Label},
        {SmoothRows[2].slider, kit::Kind::Slider},
        {SmoothRows[3].caption, kit::Kind::Label},
        {SmoothRows[3].label, kit::Kind::Label},
        {SmoothRows[3].slider, kit::Kind::Slider},
        {SmoothRows[4].caption, kit::Kind::Label},
        {SmoothRows[4].label, kit::Kind::Label},
        {SmoothRows[4].slider, kit::Kind::Slider},
    };

    explicit CStep4(PageContext context) : SettingsPage(context) {}
    std::span<const kit::Required> requiredControls() const override { return Controls; }

protected:
    void initialise() override;
    void load() override;
    void store() override;

private:
    void showSmoothingRows(bool visible);
};
