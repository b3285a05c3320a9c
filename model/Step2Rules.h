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

    static constexpr Required Controls[] = {
        {IdModel, Kind::Label},
        {IdSerial, Kind::Label},
        {IdSoftware, Kind::Label},
        {IdAdVersion, Kind::Label},
        {IdForwardOn, Kind::Option},
        {IdForwardOff, Kind::Option},
        {IdHelpForward, Kind::Label},
        {IdFootOn, Kind::Option},
        {IdFootOff, Kind::Option},
        {IdSensor, Kind::List},
        {IdHelpSensor, Kind::Label},
        {IdStart, Kind::Slider},
        {IdStartLabel, Kind::Label},
        {IdEnd, Kind::Slider},
        {IdEndLabel, Kind::Label},
        {IdStartStep, Kind::List},
        {IdEndStep, Kind::List},
        {IdMotorCurrent, Kind::Slider},
        {IdMotorCurrentLabel, Kind::Label},
        {IdBatteryCurrent, Kind::Slider},
        {IdBatteryCurrentLabel, Kind::Label},
        {IdLow, Kind::Slider},
        {IdLowLabel, Kind::Label},
        {IdLowCaption, Kind::Label},
        {IdHigh, Kind::Slider},
        {IdHighLabel, Kind::Label},
        {IdHighCaption, Kind::Label},
    };

    // The model text of label 1039: the eight model characters and the suffix letters.
    static QString modelText(const CalibrationImage& image);
};

// The rules of the page; the catalogue makes them.
std::unique_ptr<PageRules> makeStep2Rules(CalibrationImage& image);

}  // namespace model
