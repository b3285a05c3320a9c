#pragma once

#include "SettingsPage.h"

// Regeneration page: regeneration, brake switch and brake sensor settings.
class CStep5 : public SettingsPage {
    Q_OBJECT
public:
    static constexpr int Template = 149;
    static constexpr int IdRegenOn = 1016, IdRegenOff = 1017;
    static constexpr int IdBrakeSwitchOn = 1018, IdBrakeSwitchOff = 1019;
    static constexpr int IdReleasing = 1094, IdReleasingLabel = 1095;
    static constexpr int IdBySwitch = 1045, IdBySwitchLabel = 1044;
    static constexpr int IdMaxRegen = 1043, IdMaxRegenLabel = 1041;
    static constexpr int IdSensorType = 1081;
    static constexpr int IdStart = 1079, IdStartLabel = 1108, IdStartStep = 1112;
    static constexpr int IdEnd = 1080, IdEndLabel = 1109, IdEndStep = 1113;

    static constexpr kit::Required Controls[] = {
        {IdRegenOn, kit::Kind::Option},       {IdRegenOff, kit::Kind::Option},
        {IdBrakeSwitchOn, kit::Kind::Option}, {IdBrakeSwitchOff, kit::Kind::Option},
        {IdReleasingLabel, kit::Kind::Label}, {IdReleasing, kit::Kind::Slider},
        {IdBySwitchLabel, kit::Kind::Label},  {IdBySwitch, kit::Kind::Slider},
        {IdMaxRegenLabel, kit::Kind::Label},  {IdMaxRegen, kit::Kind::Slider},
        {IdSensorType, kit::Kind::List},      {IdStartLabel, kit::Kind::Label},
        {IdStart, kit::Kind::Slider},         {IdStartStep, kit::Kind::List},
        {IdEndLabel, kit::Kind::Label},       {IdEnd, kit::Kind::Slider},
        {IdEndStep, kit::Kind::List},
    };

    explicit CStep5(PageContext context) : SettingsPage(context) {}
    std::span<const kit::Required> requiredControls() const override { return Controls; }

protected:
    void initialise() override;
    void load() override;
    void store() override;

private:
    bool sensorInVolts() const;
};
