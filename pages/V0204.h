#pragma once

#include "SettingsPage.h"

// Motor and speed page: top speeds, motor poles and the function switches (firmware 0204 or later).
class V0204 : public SettingsPage {
    Q_OBJECT
public:
    static constexpr int Template = 156;
    static constexpr std::span<const kit::Required> Controls{};
    explicit V0204(PageContext context) : SettingsPage(context) {}
};
