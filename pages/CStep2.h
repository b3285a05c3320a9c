#pragma once

#include "SettingsPage.h"

// Throttle and current page: model information, switches, throttle sensor, current limits.
class CStep2 : public SettingsPage {
    Q_OBJECT
public:
    static constexpr int Template = 146;
    explicit CStep2(PageContext context) : SettingsPage(context) {}
};
