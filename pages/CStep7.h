#pragma once

#include "SettingsPage.h"

// J1939 page: preferred address and NAME fields.
class CStep7 : public SettingsPage {
    Q_OBJECT
public:
    static constexpr int Template = 151;
    static constexpr std::span<const kit::Required> Controls{};
    explicit CStep7(PageContext context) : SettingsPage(context) {}
};
