#pragma once

#include "SettingsPage.h"
#include "Step7Rules.h"

// J1939 page: preferred address and NAME fields.
// Its rules are model::Step7Rules.
class CStep7 : public SettingsPage, public model::Step7Controls {
    Q_OBJECT
public:
    explicit CStep7(PageContext context) : SettingsPage(context, Template) {}
};
