#pragma once

#include "PageRules.h"

namespace model {

// The start-up and voltage page's template and controls.
struct Step3Controls {
    static constexpr int Template = 147;
    static constexpr int IdDelay = 1044, IdHall = 1046, IdMode = 1047;
    static constexpr int IdUnder = 1035, IdUnderLabel = 1077, IdOver = 1062, IdOverLabel = 1078;
    static constexpr int IdRate = 1065, IdRateLabel = 1079;
    static constexpr int IdPowerOnOn = 1024, IdPowerOnOff = 1025;
    static constexpr int IdBrakeCaption = 1112, IdBrakeOn = 1113, IdBrakeOff = 1114;
    static constexpr int IdBrakeHelp = 1115;

    static constexpr Bound Bindings[] = {
        listOf(IdDelay, "startup_delay"),
        listOf(IdHall, "hall_sensor_type"),
        listOf(IdMode, "control_mode"),
        sliderOf(IdUnder, IdUnderLabel, "under_voltage"),
        sliderOf(IdOver, IdOverLabel, "over_voltage"),
        sliderOf(IdRate, IdRateLabel, "throttle_rate"),
        pairOf(IdPowerOnOn, IdPowerOnOff, "power_on_high_pedal_disable"),
        pairOf(IdBrakeOn, IdBrakeOff, "releasing_brake_high_pedal_disable"),
    };
    static constexpr int Labels[] = {IdBrakeCaption, IdBrakeHelp};
};

// The rules of the page; the catalogue makes them.
extern const RulesMaker makeStep3Rules;

}  // namespace model
