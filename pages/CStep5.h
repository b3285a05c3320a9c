#pragma once

#include "SettingsPage.h"

// Regeneration page: regeneration, brake switch and brake sensor settings.
class CStep5 : public SettingsPage {
    Q_OBJECT
public:
    static constexpr int Template = 149;
    static constexpr kit::Required Controls[] = {
        {1016, kit::Kind::Option}, {1017, kit::Kind::Option}, {1018, kit::Kind::Option},
        {1019, kit::Kind::Option}, {1095, kit::Kind::Label},  {1094, kit::Kind::Slider},
        {1044, kit::Kind::Label},  {1045, kit::Kind::Slider}, {1041, kit::Kind::Label},
        {1043, kit::Kind::Slider}, {1081, kit::Kind::List},   {1108, kit::Kind::Label},
        {1079, kit::Kind::Slider}, {1112, kit::Kind::List},   {1109, kit::Kind::Label},
        {1080, kit::Kind::Slider}, {1113, kit::Kind::List},
    };

    explicit CStep5(PageContext context) : SettingsPage(context) {}
    std::span<const kit::Required> requiredControls() const override { return Controls; }

protected:
    void initialise() override;
    void load() override;
    void store() override;

private:
    bool sensorInVolts() const;
};
