#pragma once

#include "PageRules.h"

namespace model {

// The motor and speed page's template and controls.
struct V0204Controls {
    static constexpr int Template = 156;
    static constexpr int IdTopSpeed = 1058, IdTopSpeedLabel = 1057;
    static constexpr int IdPoles = 1085;
    static constexpr int IdHalfSpeedOn = 1090, IdHalfSpeedOff = 1091;
    static constexpr int IdBoostOn = 1097, IdBoostOff = 1098;
    static constexpr int IdEconomyOn = 1099, IdEconomyOff = 1100;
    static constexpr int IdHalfCurrentOn = 1101, IdHalfCurrentOff = 1102;
    static constexpr int IdJoystickOn = 1104, IdJoystickOff = 1105;
    static constexpr int IdNoiseOn = 1119, IdNoiseOff = 1120, IdNoiseCaption = 1121;
    static constexpr int IdNoiseHelp = 1122;
    static constexpr int IdAbsCaption = 1130, IdAbsOn = 1127, IdAbsOff = 1128;
    static constexpr int IdOutputCaption = 1131, IdOutputOn = 1129, IdOutputOff = 1126;
    static constexpr int IdReverseCaption = 1113, IdReverseSpeed = 1092;
    static constexpr int IdReverseSpeedLabel = 1111;

    static constexpr Bound Bindings[] = {
        sliderOf(IdTopSpeed, IdTopSpeedLabel, "top_speed"),
        listOf(IdPoles, "motor_poles"),
        pairOf(IdHalfSpeedOn, IdHalfSpeedOff, "half_speed_reverse"),
        pairOf(IdBoostOn, IdBoostOff, "boost"),
        pairOf(IdEconomyOn, IdEconomyOff, "economy"),
        pairOf(IdHalfCurrentOn, IdHalfCurrentOff, "half_current_reverse"),
        pairOf(IdNoiseOn, IdNoiseOff, "noise_reduction"),
        pairOf(IdAbsOn, IdAbsOff, "abs"),
        pairOf(IdOutputOn, IdOutputOff, "output_12v"),
        sliderOf(IdReverseSpeed, IdReverseSpeedLabel, "reverse_top_speed"),
    };
    static constexpr int Labels[] = {IdNoiseCaption, IdNoiseHelp, IdAbsCaption, IdOutputCaption,
                                     IdReverseCaption};
    // The hidden pair that carries the start-up page's releasing-brake bit.
    static constexpr int Options[] = {IdJoystickOn, IdJoystickOff};
};

// The rules of the page; the catalogue makes them.
extern const RulesMaker makeV0204Rules;

}  // namespace model
