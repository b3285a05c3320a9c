#pragma once

#include "SettingsPage.h"
#include "Step5Rules.h"

// Regeneration page: regeneration, brake switch and brake sensor settings.
// Its rules are model::Step5Rules.
class CStep5 : public SettingsPage, public model::Step5Controls {
    Q_OBJECT
public:
    explicit CStep5(PageContext context) : SettingsPage(context, Template) {}

protected:
    // While the user drags the releasing-throttle slider, its position shows above its handle.
    void initialise() override;
};
