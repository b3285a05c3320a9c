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
    static constexpr Bound Bindings[] = {
        editOf(Rows[0].edit, Rows[0].key),   editOf(Rows[1].edit, Rows[1].key),
        editOf(Rows[2].edit, Rows[2].key),   editOf(Rows[3].edit, Rows[3].key),
        editOf(Rows[4].edit, Rows[4].key),   editOf(Rows[5].edit, Rows[5].key),
        editOf(Rows[6].edit, Rows[6].key),   editOf(Rows[7].edit, Rows[7].key),
        editOf(Rows[8].edit, Rows[8].key),   editOf(Rows[9].edit, Rows[9].key),
        editOf(Rows[10].edit, Rows[10].key),
    };
};

// The rules of the page; the catalogue makes them.
extern const RulesMaker makeStep7Rules;

}  // namespace model
