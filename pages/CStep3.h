#pragma once

#include "SettingsPage.h"

// Start-up and voltage page: start-up delay, Hall sensor, control mode, voltage limits, throttle rate, high-pedal protections.
class CStep3 : public SettingsPage {
    Q_OBJECT
public:
    static constexpr int Template = 147;
    static constexpr std::span<const kit::Required> Controls{};
    explicit CStep3(PageContext context) : SettingsPage(context) {}
};
