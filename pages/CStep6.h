#pragma once

#include "SettingsPage.h"

// Finish page: only tells the user to press Finish; it loads and stores nothing.
class CStep6 : public SettingsPage {
    Q_OBJECT
public:
    static constexpr int Template = 150;
    static constexpr std::span<const kit::Required> Controls{};
    explicit CStep6(PageContext context) : SettingsPage(context) {}
};
