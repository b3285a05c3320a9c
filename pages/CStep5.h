#pragma once

#include "SettingsPage.h"

// Regeneration page: regeneration, brake switch and brake sensor settings.
class CStep5 : public SettingsPage {
    Q_OBJECT
public:
    static constexpr int Template = 149;
    static constexpr std::span<const kit::Required> Controls{};
    explicit CStep5(PageContext context) : SettingsPage(context) {}
};
