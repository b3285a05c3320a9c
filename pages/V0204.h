#pragma once

#include "SettingsPage.h"

// Motor and speed page: top speeds, motor poles and the function switches (firmware 0204 or later).
class V0204 : public SettingsPage {
    Q_OBJECT
public:
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

    static constexpr kit::Required Controls[] = {
        {IdTopSpeed, kit::Kind::Slider},
        {IdTopSpeedLabel, kit::Kind::Label},
        {IdPoles, kit::Kind::List},
        {IdHalfSpeedOn, kit::Kind::Option},
        {IdHalfSpeedOff, kit::Kind::Option},
        {IdBoostOn, kit::Kind::Option},
        {IdBoostOff, kit::Kind::Option},
        {IdEconomyOn, kit::Kind::Option},
        {IdEconomyOff, kit::Kind::Option},
        {IdHalfCurrentOn, kit::Kind::Option},
        {IdHalfCurrentOff, kit::Kind::Option},
        {IdJoystickOn, kit::Kind::Option},
        {IdJoystickOff, kit::Kind::Option},
        {IdNoiseCaption, kit::Kind::Label},
        {IdNoiseOn, kit::Kind::Option},
        {IdNoiseOff, kit::Kind::Option},
        {IdNoiseHelp, kit::Kind::Label},
        {IdAbsCaption, kit::Kind::Label},
        {IdAbsOn, kit::Kind::Option},
        {IdAbsOff, kit::Kind::Option},
        {IdOutputCaption, kit::Kind::Label},
        {IdOutputOn, kit::Kind::Option},
        {IdOutputOff, kit::Kind::Option},
        {IdReverseCaption, kit::Kind::Label},
        {IdReverseSpeed, kit::Kind::Slider},
        {IdReverseSpeedLabel, kit::Kind::Label},
    };

    explicit V0204(PageContext context) : SettingsPage(context) {}
    std::span<const kit::Required> requiredControls() const override { return Controls; }

protected:
    void initialise() override;
    void load() override;
    void store() override;
};
