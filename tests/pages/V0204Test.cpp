#include <gtest/gtest.h>

#include "V0204.h"

#include "CalibrationImage.h"
#include "PageFixture.h"

namespace {

using Fx = PageFixture<V0204>;
constexpr const char* Trn = "TRN48201";
constexpr const char* Tre = "TRE72301";

// Label text, or the item a list shows.
QString shown(Fx& fx, int id) {
    if (auto* list = qobject_cast<QComboBox*>(fx.control(id)))
        return list->currentText();
    return fx.text(id);
}

// What a user does to a control: move a slider, pick a list item, click an option.
void act(Fx& fx, int id, int value) {
    if (qobject_cast<QSlider*>(fx.control(id)))
        fx.move(id, value);
    else if (qobject_cast<QComboBox*>(fx.control(id)))
        fx.pick(id, value);
    else
        fx.click(id);
}

// Valid values for the bytes a case does not name, and no function switch on.
void settle(Fx& fx, const std::map<int, int>& bytes) {
    std::map<int, int> all{{0, 0x00}, {1, 0x00}, {3, 2}, {24, 20}, {33, 70}, {34, 70}};
    for (auto [pos, value] : bytes) all[pos] = value;
    for (auto [pos, value] : all) fx.image.setByte(pos, static_cast<std::uint8_t>(value));
}

// What each firmware offers, and what an untouched visit makes of bytes 0 and 1 all ones
// with brake sensor type 2.
struct FirmwareRow {
    unsigned firmware;
    bool halfSpeed, functions, noise;  // editable, editable, shown
    bool late;                         // ABS, 12 V output, top speed in reverse shown
    int byte0, byte1, byte3;
};
// clang-format off
constexpr FirmwareRow FirmwareRows[] = {
    // Boost wins over economy from 0300 on; pairs hidden without being set clear their bits.
    {0x0204, false, false, false, false, 0xBF, 0xE7, 2},
    {0x0208, false, false, false, false, 0xBF, 0xE7, 2},
    {0x0209, true,  false, false, false, 0xBF, 0xE7, 2},
    {0x0300, true,  true,  false, false, 0xBD, 0xE7, 0},
    {0x0301, true,  true,  false, false, 0xBD, 0xE7, 0},
    {0x0302, true,  true,  false, false, 0xBD, 0xE7, 0},
    {0x0303, true,  true,  false, false, 0xBD, 0xE7, 0},
    {0x0304, true,  true,  true,  false, 0xFD, 0xE7, 0},
    {0x0402, true,  true,  true,  false, 0xFD, 0xE7, 0},
    {0x0403, false, true,  true,  true,  0xFD, 0xFF, 0},
    {0x0405, false, true,  true,  true,  0xFD, 0xFF, 0},
};
// clang-format on

}  // namespace

TEST(V0204, FirmwareSeriesAndVariantDecideWhatIsOfferedAndStored) {
    for (const FirmwareRow& row : FirmwareRows) {
        for (const char* model : {Trn, Tre}) {
            for (char variant : {'J', 'C', 'B'}) {
                SCOPED_TRACE(testing::Message()
                             << std::hex << row.firmware << " " << model << " " << variant);
                Fx fx(row.firmware, model, variant, row.firmware + static_cast<unsigned>(variant));
                settle(fx, {{0, 0xFF}, {1, 0xFF}, {24, 10}, {34, 50}, {33, 60}});
                const bool output = row.late && model == Trn;
                const std::map<int, int> out{{0, row.byte0}, {1, row.byte1}, {3, row.byte3}};
                // What a load disables or hides stays so; the second visit writes back what
                // the first left.
                for (int visit = 1; visit <= 2; ++visit) {
                    fx.show();
                    EXPECT_EQ(fx.enabled(1085), variant != 'B');
                    EXPECT_EQ(shown(fx, 1085), "10");
                    EXPECT_EQ(fx.text(1057), "50%");
                    for (int id : {1090, 1091}) EXPECT_EQ(fx.enabled(id), row.halfSpeed) << id;
                    for (int id : {1097, 1098, 1099, 1100, 1101, 1102})
                        EXPECT_EQ(fx.enabled(id), row.functions) << id;
                    for (int id : {1119, 1120, 1121, 1122})
                        EXPECT_EQ(fx.hidden(id), !row.noise) << id;
                    for (int id : {1130, 1127, 1128, 1113, 1092, 1111})
                        EXPECT_EQ(fx.hidden(id), !row.late) << id;
                    for (int id : {1131, 1129, 1126}) EXPECT_EQ(fx.hidden(id), !output) << id;
                    EXPECT_TRUE(fx.hidden(1104) && fx.hidden(1105) && fx.checked(1104));
                    EXPECT_EQ(fx.text(1111), row.late ? "60%" : "0%");  // hidden: left as created
                    EXPECT_EQ(fx.hide(visit == 1 ? out : std::map<int, int>{}), "");
                }
                // All bits off: nothing to carry, nothing to override.
                settle(fx, {});
                fx.show();
                EXPECT_EQ(fx.hide(), "");
            }
        }
    }
}

TEST(V0204, ValuesAndChoices) {
    struct Case {
        const char* what;
        unsigned firmware;
        char variant;
        std::map<int, int> in;
        std::vector<std::pair<int, int>> actions;  // {control, value}
        std::map<int, QString> shown;
        std::map<int, int> out;
        std::vector<int> checkedAfter;
    };
    // clang-format off
    const Case cases[] = {
        {"top speed above", 0x0204, 'J', {{34, 0xFF}}, {}, {{1057, "100%"}}, {{34, 100}}, {}},
        {"top speed below", 0x0204, 'x', {{34, 10}}, {}, {{1057, "30%"}}, {{34, 30}}, {}},
        {"reverse speed below", 0x0403, 'C', {{33, 5}}, {}, {{1111, "20%"}}, {{33, 20}}, {}},
        {"reverse speed not offered", 0x0402, 'C', {{33, 5}}, {}, {}, {}, {}},
        // Pole count: item i is 2 x (i + 1); beyond "200" nothing is selected and 0 stored.
        {"poles 0", 0x0300, 'J', {{24, 0}}, {}, {{1085, "2"}}, {{24, 2}}, {}},
        {"poles 1", 0x0300, 'x', {{24, 1}}, {}, {{1085, "2"}}, {{24, 2}}, {}},
        {"poles odd", 0x0300, 'J', {{24, 7}}, {}, {{1085, "6"}}, {{24, 6}}, {}},
        {"poles 200", 0x0300, 'x', {{24, 200}}, {}, {{1085, "200"}}, {}, {}},
        {"poles 201", 0x0300, 'J', {{24, 201}}, {}, {{1085, "200"}}, {{24, 200}}, {}},
        {"poles 202", 0x0300, 'x', {{24, 202}}, {}, {{1085, ""}}, {{24, 0}}, {}},
        {"poles 255", 0x0300, 'J', {{24, 255}}, {}, {{1085, ""}}, {{24, 0}}, {}},
        {"sliders and list", 0x0403, 'J', {}, {{1058, 85}, {1092, 41}, {1085, 3}},
         {{1057, "85%"}, {1111, "41%"}, {1085, "8"}}, {{34, 85}, {33, 41}, {24, 8}}, {}},
        // Function switches; boost and economy take the brake input (byte 3).
        {"boost and economy: boost wins", 0x0300, 'C', {}, {{1097, 0}, {1099, 0}}, {},
         {{0, 0x01}, {3, 0}}, {1097, 1100}},
        {"economy alone", 0x0405, 'C', {}, {{1099, 0}}, {}, {{0, 0x02}, {3, 0}}, {1098, 1099}},
        {"neither", 0x0405, 'C', {{0, 0x03}}, {{1098, 0}, {1100, 0}}, {}, {{0, 0x00}}, {}},
        {"half current", 0x0300, 'C', {}, {{1101, 0}}, {}, {{0, 0x04}}, {}},
        {"half speed", 0x0209, 'C', {}, {{1090, 0}}, {}, {{0, 0x10}}, {}},
        {"noise reduction", 0x0304, 'C', {}, {{1119, 0}}, {}, {{0, 0x40}}, {}},
        {"ABS and 12 V output", 0x0403, 'C', {}, {{1127, 0}, {1129, 0}}, {}, {{1, 0x18}}, {}},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Fx fx(c.firmware, Trn, c.variant);
        settle(fx, c.in);
        fx.show();
        for (auto [id, value] : c.actions) act(fx, id, value);
        for (const auto& [id, text] : c.shown) EXPECT_EQ(shown(fx, id), text) << id;
        EXPECT_EQ(fx.differences({}), "");  // nothing is written while the page is shown
        EXPECT_EQ(fx.hide(c.out), "");
        for (int id : c.checkedAfter) EXPECT_TRUE(fx.checked(id)) << id;
    }
}
