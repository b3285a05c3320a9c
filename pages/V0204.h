#pragma once

#include "SettingsPage.h"
#include "V0204Rules.h"

// Motor and speed page: top speeds, motor poles and the function switches (firmware 0204 or later).
// Its rules are model::V0204Rules.
class V0204 : public SettingsPage, public model::V0204Controls {
    Q_OBJECT
public:
    explicit V0204(PageContext context) : SettingsPage(context, Template) {}
};
