#pragma once

#include "SettingsPage.h"

// Motor and speed page: top speeds, motor poles and the function switches (firmware 0204 or later).
class V0204 : public SettingsPage {
    Q_OBJECT
public:
    static constexpr int Template = 156;
    static constexpr kit::Required Controls[] = {
        {1058, kit::Kind::Slider}, {1057, kit::Kind::Label},  {1085, kit::Kind::List},
        {1090, kit::Kind::Option}, {1091, kit::Kind::Option}, {1097, kit::Kind::Option},
        {1098, kit::Kind::Option}, {1099, kit::Kind::Option}, {1100, kit::Kind::Option},
        {1101, kit::Kind::Option}, {1102, kit::Kind::Option}, {1104, kit::Kind::Option},
        {1105, kit::Kind::Option}, {1121, kit::Kind::Label},  {1119, kit::Kind::Option},
        {1120, kit::Kind::Option}, {1122, kit::Kind::Label},  {1130, kit::Kind::Label},
        {1127, kit::Kind::Option}, {1128, kit::Kind::Option}, {1131, kit::Kind::Label},
        {1129, kit::Kind::Option}, {1126, kit::Kind::Option}, {1113, kit::Kind::Label},
        {1092, kit::Kind::Slider}, {1111, kit::Kind::Label},
    };

    explicit V0204(PageContext context) : SettingsPage(context) {}
    std::span<const kit::Required> requiredControls() const override { return Controls; }

protected:
    void initialise() override;
    void load() override;
    void store() override;
};
