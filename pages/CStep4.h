#pragma once

#include "SettingsPage.h"

// Temperature, CAN and smoothing page.
class CStep4 : public SettingsPage {
    Q_OBJECT
public:
    static constexpr int Template = 148;
    static constexpr std::span<const kit::Required> Controls{};
    explicit CStep4(PageContext context) : SettingsPage(context) {}
};
