#pragma once

#include "SettingsPage.h"
#include "Step2Rules.h"

// Throttle and current page: model information, switches, throttle sensor, current limits.
// Its rules are model::Step2Rules.
class CStep2 : public SettingsPage, public model::Step2Controls {
    Q_OBJECT
public:
    explicit CStep2(PageContext context) : SettingsPage(context, Template) {}
};
