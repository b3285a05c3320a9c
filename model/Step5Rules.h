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

    static constexpr Required Controls[] = {
        {IdRegenOn, Kind::Option},       {IdRegenOff, Kind::Option},
        {IdBrakeSwitchOn, Kind::Option}, {IdBrakeSwitchOff, Kind::Option},
        {IdReleasingLabel, Kind::Label}, {IdReleasing, Kind::Slider},
        {IdBySwitchLabel, Kind::Label},  {IdBySwitch, Kind::Slider},
        {IdMaxRegenLabel, Kind::Label},  {IdMaxRegen, Kind::Slider},
        {IdSensorType, Kind::List},      {IdStartLabel, Kind::Label},
        {IdStart, Kind::Slider},         {IdStartStep, Kind::List},
        {IdEndLabel, Kind::Label},       {IdEnd, Kind::Slider},
        {IdEndStep, Kind::List},
    };
};

// The rules of the page; the catalogue makes them.
std::unique_ptr<PageRules> makeStep5Rules(CalibrationImage& image);

}  // namespace model
