#pragma once

#include "SettingsPage.h"
#include "Step3Rules.h"

// Start-up and voltage page: start-up delay, Hall sensor, control mode, voltage limits, throttle
// rate, high-pedal protections.
// Its rules are model::Step3Rules.
class CStep3 : public SettingsPage, public model::Step3Controls {
    Q_OBJECT
public:
    explicit CStep3(PageContext context) : SettingsPage(context, Template) {}
};
