#pragma once

#include "SettingsPage.h"

// Throttle and current page: model information, switches, throttle sensor, current limits.
class CStep2 : public SettingsPage {
    Q_OBJECT
public:
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

    static constexpr kit::Required Controls[] = {
        {IdModel, kit::Kind::Label},
        {IdSerial, kit::Kind::Label},
        {IdSoftware, kit::Kind::Label},
        {IdAdVersion, kit::Kind::Label},
        {IdForwardOn, kit::Kind::Option},
        {IdForwardOff, kit::Kind::Option},
        {IdHelpForward, kit::Kind::Label},
        {IdFootOn, kit::Kind::Option},
        {IdFootOff, kit::Kind::Option},
        {IdSensor, kit::Kind::List},
        {IdHelpSensor, kit::Kind::Label},
        {IdStart, kit::Kind::Slider},
        {IdStartLabel, kit::Kind::Label},
        {IdEnd, kit::Kind::Slider},
        {IdEndLabel, kit::Kind::Label},
        {IdStartStep, kit::Kind::List},
        {IdEndStep, kit::Kind::List},
        {IdMotorCurrent, kit::Kind::Slider},
        {IdMotorCurrentLabel, kit::Kind::Label},
        {IdBatteryCurrent, kit::Kind::Slider},
        {IdBatteryCurrentLabel, kit::Kind::Label},
        {IdLow, kit::Kind::Slider},
        {IdLowLabel, kit::Kind::Label},
        {IdLowCaption, kit::Kind::Label},
        {IdHigh, kit::Kind::Slider},
        {IdHighLabel, kit::Kind::Label},
        {IdHighCaption, kit::Kind::Label},
    };

    explicit CStep2(PageContext context) : SettingsPage(context) {}
    std::span<const kit::Required> requiredControls() const override { return Controls; }

    // The model text of label 1039: the eight model characters and the suffix letters.
    static QString modelText(const CalibrationImage& image);

protected:
    void initialise() override;
    void load() override;
    void store() override;
    void refreshed() override;

private:
    bool throttleInVolts() const;
};
