#pragma once

#include "SettingsPage.h"

// Start-up and voltage page: start-up delay, Hall sensor, control mode, voltage limits, throttle
// rate, high-pedal protections.
class CStep3 : public SettingsPage {
    Q_OBJECT
public:
    static constexpr int Template = 147;

    static constexpr int IdDelay = 1044, IdHall = 1046, IdMode = 1047;
    static constexpr int IdUnder = 1035, IdUnderLabel = 1077, IdOver = 1062, IdOverLabel = 1078;
    static constexpr int IdRate = 1065, IdRateLabel = 1079;
    static constexpr int IdPowerOnOn = 1024, IdPowerOnOff = 1025;
    static constexpr int IdBrakeCaption = 1112, IdBrakeOn = 1113, IdBrakeOff = 1114;
    static constexpr int IdBrakeHelp = 1115;

    static constexpr kit::Required Controls[] = {
        {IdDelay, kit::Kind::List},        {IdHall, kit::Kind::List},
        {IdMode, kit::Kind::List},         {IdUnder, kit::Kind::Slider},
        {IdUnderLabel, kit::Kind::Label},  {IdOver, kit::Kind::Slider},
        {IdOverLabel, kit::Kind::Label},   {IdRate, kit::Kind::Slider},
        {IdRateLabel, kit::Kind::Label},   {IdPowerOnOn, kit::Kind::Option},
        {IdPowerOnOff, kit::Kind::Option}, {IdBrakeCaption, kit::Kind::Label},
        {IdBrakeOn, kit::Kind::Option},    {IdBrakeOff, kit::Kind::Option},
        {IdBrakeHelp, kit::Kind::Label},
    };

    explicit CStep3(PageContext context) : SettingsPage(context) {}
    std::span<const kit::Required> requiredControls() const override { return Controls; }

protected:
    void initialise() override;
    void load() override;
    void store() override;
};
