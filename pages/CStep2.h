#pragma once

#include "SettingsPage.h"

// Throttle and current page: model information, switches, throttle sensor, current limits.
class CStep2 : public SettingsPage {
    Q_OBJECT
public:
    static constexpr int Template = 146;
    static constexpr kit::Required Controls[] = {
        {1039, kit::Kind::Label},  {1040, kit::Kind::Label},  {1041, kit::Kind::Label},
        {1042, kit::Kind::Label},  {1123, kit::Kind::Option}, {1124, kit::Kind::Option},
        {1125, kit::Kind::Label},  {1037, kit::Kind::Option}, {1038, kit::Kind::Option},
        {1031, kit::Kind::List},   {1055, kit::Kind::Label},  {1030, kit::Kind::Slider},
        {1106, kit::Kind::Label},  {1032, kit::Kind::Slider}, {1107, kit::Kind::Label},
        {1110, kit::Kind::List},   {1111, kit::Kind::List},   {1034, kit::Kind::Slider},
        {1036, kit::Kind::Label},  {1094, kit::Kind::Slider}, {1096, kit::Kind::Label},
        {1033, kit::Kind::Slider}, {1108, kit::Kind::Label},  {1142, kit::Kind::Label},
        {1035, kit::Kind::Slider}, {1109, kit::Kind::Label},  {1143, kit::Kind::Label},
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
