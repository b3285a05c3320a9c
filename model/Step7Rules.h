#pragma once

#include "PageRules.h"

namespace model {

// The J1939 page's template and controls.
struct Step7Controls {
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
    static constexpr Required Controls[] = {
        {Rows[0].edit, Kind::Edit}, {Rows[1].edit, Kind::Edit},  {Rows[2].edit, Kind::Edit},
        {Rows[3].edit, Kind::Edit}, {Rows[4].edit, Kind::Edit},  {Rows[5].edit, Kind::Edit},
        {Rows[6].edit, Kind::Edit}, {Rows[7].edit, Kind::Edit},  {Rows[8].edit, Kind::Edit},
        {Rows[9].edit, Kind::Edit}, {Rows[10].edit, Kind::Edit},
    };
};

// The rules of the page; the catalogue makes them.
std::unique_ptr<PageRules> makeStep7Rules(CalibrationImage& image);

}  // namespace model
