#pragma once

#include "PageCatalogue.h"
#include "SettingsPage.h"

// Finish page: only tells the user to press Finish; it loads and stores nothing.
class CStep6 : public SettingsPage, public model::Step6Controls {
    Q_OBJECT
public:
    explicit CStep6(PageContext context) : SettingsPage(context, Template) {}
};
