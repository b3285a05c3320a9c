#pragma once

#include "SettingsPage.h"

// Throttle and current page: model information, switches, throttle sensor, current limits.
class CStep2 : public SettingsPage {
    Q_OBJECT
public:
    static constexpr int Template = 146;
    static constexpr std::span<const kit::Required> Controls{};
    explicit CStep2(PageContext context) : SettingsPage(context) {}
};
