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

    static constexpr Bound Bindings[] = {
        listOf(IdSensor, "motor_temperature_sensor"),
        sliderOf(IdStop, IdStopLabel, "stop_temperature"),
        sliderOf(IdResume, IdResumeLabel, "resume_temperature"),
        editOf(IdSend, "can_send_id"),
        editOf(IdReceive, "can_receive_id"),
        pairOf(IdSmoothOn, IdSmoothOff, "smoothing"),
        sliderOf(SmoothRows[0].slider, SmoothRows[0].label, SmoothRows[0].key),
        sliderOf(SmoothRows[1].slider, SmoothRows[1].label, SmoothRows[1].key),
        sliderOf(SmoothRows[2].slider, SmoothRows[2].label, SmoothRows[2].key),
        sliderOf(SmoothRows[3].slider, SmoothRows[3].label, SmoothRows[3].key),
        sliderOf(SmoothRows[4].slider, SmoothRows[4].label, SmoothRows[4].key),
    };
    static constexpr int Labels[] = {
        IdSendCaption,         IdReceiveCaption,      IdSmoothCaption,       SmoothRows[0].caption,
        SmoothRows[1].caption, SmoothRows[2].caption, SmoothRows[3].caption, SmoothRows[4].caption};
    static constexpr int Groups[] = {IdCanBox, IdSmoothBox};
};

// The rules of the page; the catalogue makes them.
extern const RulesMaker makeStep4Rules;

}  // namespace model
