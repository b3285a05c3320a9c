#pragma once

#include "PageRules.h"

namespace model {

// The throttle and current page's template and controls.
struct Step2Controls {
    static constexpr int Template = 146;

    static constexpr int IdModel = 1039, IdSerial = 1040, IdSoftware = 1041, IdAdVersion = 1042;
    static constexpr int IdForwardOn = 1123, IdForwardOff = 1124, IdHelpForward = 1125;
    static constexpr int IdFootOn = 1037, IdFootOff = 1038;
    static constexpr int IdSensor = 1031, IdHelpSensor = 1055;
    static constexpr int IdStart = 1030, IdStartLabel = 1106, IdEnd = 1032, IdEndLabel = 1107;
    static constexpr int IdStartStep = 1110, IdEndStep = 1111;
    static constexpr int IdMotorCurrent = 1034, IdMotorCurrentLabel = 1036;
    static constexpr int IdBatteryCurrent = 1094, IdBatteryCurrentLabel = 1096;
    static constexpr int IdLow = 1033, IdLowLabel = 1108, IdLowCaption = 1142;
    static constexpr int IdHigh = 1035, IdHighLabel = 1109, IdHighCaption = 1143;

    static constexpr Bound Bindings[] = {
        pairOf(IdForwardOn, IdForwardOff, "forward_switch"),
        pairOf(IdFootOn, IdFootOff, "foot_switch"),
        listOf(IdSensor, "throttle_sensor_type"),
        sliderOf(IdStart, IdStartLabel, "throttle_start"),
        sliderOf(IdEnd, IdEndLabel, "throttle_end"),
        listOf(IdStartStep, "throttle_start_step"),
        listOf(IdEndStep, "throttle_end_step"),
        sliderOf(IdMotorCurrent, IdMotorCurrentLabel, "max_motor_current"),
        sliderOf(IdBatteryCurrent, IdBatteryCurrentLabel, "max_battery_current"),
        sliderOf(IdLow, IdLowLabel, "threshold_low"),
        sliderOf(IdHigh, IdHighLabel, "threshold_high"),
    };
    static constexpr int Labels[] = {IdModel,       IdSerial,     IdSoftware,   IdAdVersion,
                                     IdHelpForward, IdHelpSensor, IdLowCaption, IdHighCaption};

    // The model text of label 1039: the eight model characters and the suffix letters.
    static QString modelText(const CalibrationImage& image);
};

// The rules of the page; the catalogue makes them.
extern const RulesMaker makeStep2Rules;

}  // namespace model
