#pragma once

#include "PageRules.h"

namespace model {

// The regeneration page's template and controls.
struct Step5Controls {
    static constexpr int Template = 149;
    static constexpr int IdRegenOn = 1016, IdRegenOff = 1017;
    static constexpr int IdBrakeSwitchOn = 1018, IdBrakeSwitchOff = 1019;
    static constexpr int IdReleasing = 1094, IdReleasingLabel = 1095;
    static constexpr int IdBySwitch = 1045, IdBySwitchLabel = 1044;
    static constexpr int IdMaxRegen = 1043, IdMaxRegenLabel = 1041;
    static constexpr int IdSensorType = 1081;
    static constexpr int IdStart = 1079, IdStartLabel = 1108, IdStartStep = 1112;
    static constexpr int IdEnd = 1080, IdEndLabel = 1109, IdEndStep = 1113;

    static constexpr Bound Bindings[] = {
        pairOf(IdRegenOn, IdRegenOff, "regeneration"),
        pairOf(IdBrakeSwitchOn, IdBrakeSwitchOff, "brake_switch"),
        sliderOf(IdBySwitch, IdBySwitchLabel, "brake_switch_regen"),
        sliderOf(IdMaxRegen, IdMaxRegenLabel, "max_regen_current"),
        sliderOf(IdReleasing, IdReleasingLabel, "releasing_throttle_regen"),
        listOf(IdSensorType, "brake_sensor_type"),
        sliderOf(IdStart, IdStartLabel, "brake_start"),
        sliderOf(IdEnd, IdEndLabel, "brake_end"),
        listOf(IdStartStep, "brake_start_step"),
        listOf(IdEndStep, "brake_end_step"),
    };
};

// The rules of the page; the catalogue makes them.
extern const RulesMaker makeStep5Rules;

}  // namespace model
