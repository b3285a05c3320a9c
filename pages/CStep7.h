#pragma once

#include "SettingsPage.h"

// J1939 page: preferred address and NAME fields.
class CStep7 : public SettingsPage {
    Q_OBJECT
public:
    static constexpr int Template = 151;

    // One row per field, in the order the store checks them.
    struct Row {
        int edit;
        const char* key;
    };
    static constexpr Row Rows[] = {
        {1127, "j1939_address"},        {1137, "j1939_arbitrary_address"},
        {1138, "j1939_industry_group"}, {1139, "j1939_vehicle_system_instance"},
        {1140, "j1939_vehicle_system"}, {1141, "j1939_reserved"},
        {1142, "j1939_function"},       {1143, "j1939_function_instance"},
        {1128, "j1939_ecu_instance"},   {1145, "j1939_manufacturer"},
        {1146, "j1939_identity"},
    };
    static constexpr kit::Required Controls[] = {
        {Rows[0].edit, kit::Kind::Edit},  {Rows[1].edit, kit::Kind::Edit},
        {Rows[2].edit, kit::Kind::Edit},  {Rows[3].edit, kit::Kind::Edit},
        {Rows[4].edit, kit::Kind::Edit},  {Rows[5].edit, kit::Kind::Edit},
        {Rows[6].edit, kit::Kind::Edit},  {Rows[7].edit, kit::Kind::Edit},
        {Rows[8].edit, kit::Kind::Edit},  {Rows[9].edit, kit::Kind::Edit},
        {Rows[10].edit, kit::Kind::Edit},
    };

    explicit CStep7(PageContext context) : SettingsPage(context) {}
    std::span<const kit::Required> requiredControls() const override { return Controls; }

protected:
    void initialise() override;
    void load() override;
    void store() override;
};
