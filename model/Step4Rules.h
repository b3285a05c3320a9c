#pragma once

#include "PageRules.h"

namespace model {

// The temperature, CAN and smoothing page's template and controls.
struct Step4Controls {
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

    static constexpr Required Controls[] = {
        {IdSensor, Kind::List},
        {IdStop, Kind::Slider},
        {IdStopLabel, Kind::Label},
        {IdResume, Kind::Slider},
        {IdResumeLabel, Kind::Label},
        {IdCanBox, Kind::Group},
        {IdSendCaption, Kind::Label},
        {IdSend, Kind::Edit},
        {IdReceiveCaption, Kind::Label},
        {IdReceive, Kind::Edit},
        {IdSmoothBox, Kind::Group},
        {IdSmoothCaption, Kind::Label},
        {IdSmoothOn, Kind::Option},
        {IdSmoothOff, Kind::Option},
        {SmoothRows[0].caption, Kind::Label},
        {SmoothRows[0].label, Kind::Label},
        {SmoothRows[0].slider, Kind::Slider},
        {SmoothRows[1].caption, Kind::Label},
        {SmoothRows[1].label, Kind::Label},
        {SmoothRows[1].slider, Kind::Slider},
        {SmoothRows[2].caption, Kind::Label},
        {SmoothRows[2].label, Kind::Label},
        {SmoothRows[2].slider, Kind::Slider},
        {SmoothRows[3].caption, Kind::Label},
        {SmoothRows[3].label, Kind::Label},
        {SmoothRows[3].slider, Kind::Slider},
        {SmoothRows[4].caption, Kind::Label},
        {SmoothRows[4].label, Kind::Label},
        {SmoothRows[4].slider, Kind::Slider},
    };
};

// The rules of the page; the catalogue makes them.
std::unique_ptr<PageRules> makeStep4Rules(CalibrationImage& image);

}  // namespace model
