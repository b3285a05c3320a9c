#pragma once

#include "SettingsPage.h"

// Start-up and voltage page: start-up delay, Hall sensor, control mode, voltage limits, throttle
// rate, high-pedal protections.
class CStep3 : public SettingsPage {
    Q_OBJECT
public:
    static constexpr int Template = 147;
    static constexpr kit::Required Controls[] = {
        {1044, kit::Kind::List},   {1046, kit::Kind::List},   {1047, kit::Kind::List},
        {1035, kit::Kind::Slider}, {1077, kit::Kind::Label},  {1062, kit::Kind::Slider},
        {1078, kit::Kind::Label},  {1065, kit::Kind::Slider}, {1079, kit::Kind::Label},
        {1024, kit::Kind::Option}, {1025, kit::Kind::Option}, {1112, kit::Kind::Label},
        {1113, kit::Kind::Option}, {1114, kit::Kind::Option}, {1115, kit::Kind::Label},
    };

    explicit CStep3(PageContext context) : SettingsPage(context) {}
    std::span<const kit::Required> requiredControls() const override { return Controls; }

protected:
    void initialise() override;
    void load() override;
    void store() override;
};
