#pragma once

#include "SettingsPage.h"
#include "Step4Rules.h"

// Temperature, CAN and smoothing page.
// Its rules are model::Step4Rules.
class CStep4 : public SettingsPage, public model::Step4Controls {
    Q_OBJECT
public:
    explicit CStep4(PageContext context) : SettingsPage(context, Template) {}
};
