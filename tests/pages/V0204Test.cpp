#include <gtest/gtest.h>

#include "V0204.h"

#include "CalibrationImage.h"
#include "PageFixture.h"

namespace {

constexpr const char* Trn = "TRN48201";
constexpr const char* Tre = "TRE72301";

std::string name(unsigned firmware) { return QString::asprintf("%04X", firmware).toStdString(); }

// Label text, or the item a list shows.
QString shown(PageFixture<V0204>& fx, int id) {
    if (auto* list = qobject_cast<QComboBox*>(fx.control(id))) return list->currentText();
    return fx.text(id);
}

// Valid values for the bytes a test does not look at, and no function switch on.
void settle(PageFixture<V0204>& fx) {
    fx.image.setByte(0, 0x00);
    fx.image.setByte(1, 0x00);
    fx.image.setByte(3, 2);
    fx.image.setByte(24, 20);
    fx.image.setByte(33, 70);
    fx.image.setByte(34, 70);
}

// What each firmware offers, and what a visit without changes makes of an image whose bytes 0
// and 1 are all ones and whose brake sensor type is 2.
struct FirmwareRow {
    unsigned firmware;
    bool halfSpeedEditable;
    bool functionsEditable;  // boost, economy, half current
    bool noiseShown;
    bool lateRowsShown;  // ABS, 12 V output, top speed in reverse
    int byte0;
    int byte1;
    int byte3;
};

constexpr FirmwareRow FirmwareRows[] = {
    // Boost wins over economy from 0300 on; pairs hidden without being set clear their bits.
    {0x0204, false, false, false, false, 0xBF, 0xE7, 2},
    {0x0208, false, false, false, false, 0xBF, 0xE7, 2},
    {0x0209, true, false, false, false, 0xBF, 0xE7, 2},
    {0x0300, true, true, false, false, 0xBD, 0xE7, 0},
    {0x0301, true, true, false, false, 0xBD, 0xE7, 0},
    {0x0302, true, true, false, false, 0xBD, 0xE7, 0},
    {0x0303, true, true, false, false, 0xBD, 0xE7, 0},
    {0x0304, true, true, true, false, 0xFD, 0xE7, 0},
    {0x0402, true, true, true, false, 0xFD, 0xE7, 0},
    {0x0403, false, true, true, true, 0xFD, 0xFF, 0},
    {0x0405, false, true, true, true, 0xFD, 0xFF, 0},
};

}  // namespace

TEST(V0204, FirmwareSeriesAndVariantDecideWhatIsOfferedAndStored) {
    unsigned seed = 1;
    for (const FirmwareRow& row : FirmwareRows) {
        for (const char* model : {Trn, Tre}) {
            for (char variant : {'J', 'C', 'B'}) {
                SCOPED_TRACE(name(row.firmware) + " " + model + " " + variant);
                const bool tre = model == Tre;
                PageFixture<V0204> fx(row.firmware, model, variant, ++seed);
                fx.image.setByte(0, 0xFF);
                fx.image.setByte(1, 0xFF);
                fx.image.setByte(3, 2);
                fx.image.setByte(24, 10);
                fx.image.setByte(34, 50);
                fx.image.setByte(33, 60);
                fx.show();

                EXPECT_EQ(fx.enabled(1085), variant != 'B');
                EXPECT_EQ(shown(fx, 1085), "10");
                EXPECT_EQ(fx.text(1057), "50%");
                EXPECT_EQ(fx.enabled(1090), row.halfSpeedEditable);
                EXPECT_EQ(fx.enabled(1091), row.halfSpeedEditable);
                for (int id : {1097, 1098, 1099, 1100, 1101, 1102})
                    EXPECT_EQ(fx.enabled(id), row.functionsEditable) << id;
                for (int id : {1119, 1120, 1121, 1122}) EXPECT_EQ(fx.hidden(id), !row.noiseShown) << id;
                for (int id : {1130, 1127, 1128, 1113, 1092, 1111})
                    EXPECT_EQ(fx.hidden(id), !row.lateRowsShown) << id;
                for (int id : {1131, 1129, 1126})
                    EXPECT_EQ(fx.hidden(id), !row.lateRowsShown || tre) << id;
                EXPECT_TRUE(fx.hidden(1104) && fx.hidden(1105));
                EXPECT_TRUE(fx.checked(1104));
                if (row.lateRowsShown) {
                    EXPECT_EQ(fx.text(1111), "60%");
                    EXPECT_TRUE(fx.checked(1127) && fx.checked(1129) && !fx.checked(1126));
                }
                EXPECT_EQ(fx.hide({{0, row.byte0}, {1, row.byte1}, {3, row.byte3}}), "");

                // A second visit writes back what the first left, and nothing it disabled or
                // hid comes back.
                fx.show();
                EXPECT_EQ(fx.enabled(1085), variant != 'B');
                EXPECT_EQ(fx.enabled(1090), row.halfSpeedEditable);
                EXPECT_EQ(fx.hidden(1119), !row.noiseShown);
                EXPECT_EQ(fx.hidden(1129), !row.lateRowsShown || tre);
                EXPECT_EQ(fx.hide(), "");

                // All bits off: nothing to carry, nothing to override.
                fx.image.setByte(0, 0x00);
                fx.image.setByte(1, 0x00);
                fx.show();
                EXPECT_EQ(fx.hide(), "");
            }
        }
    }
}

TEST(V0204, OutOfRangeBytesAreClampedOrDropped) {
    struct Row {
        unsigned firmware;
        int pos;
        int value;
        int control;
        QString shown;
        int stored;
    };
    const Row rows[] = {
        {0x0204, 34, 0xFF, 1057, "100%", 100},
        {0x0204, 34, 10, 1057, "30%", 30},
        {0x0403, 33, 5, 1111, "20%", 20},
        {0x0405, 33, 0xFF, 1111, "100%", 100},
        // Pole count: item i is 2 x (i + 1); beyond "200" nothing is selected and 0 is stored.
        {0x0300, 24, 0, 1085, "2", 2},
        {0x0300, 24, 1, 1085, "2", 2},
        {0x0300, 24, 7, 1085, "6", 6},
        {0x0300, 24, 200, 1085, "200", 200},
        {0x0300, 24, 201, 1085, "200", 200},
        {0x0300, 24, 202, 1085, "", 0},
        {0x0300, 24, 255, 1085, "", 0},
    };
    for (const Row& row : rows) {
        for (char variant : {'J', 'x'}) {
            SCOPED_TRACE(name(row.firmware) + " byte " + std::to_string(row.pos) + " = " +
                         std::to_string(row.value) + " " + variant);
            PageFixture<V0204> fx(row.firmware, Trn, variant, static_cast<unsigned>(row.value));
            settle(fx);
            fx.image.setByte(row.pos, static_cast<std::uint8_t>(row.value));
            fx.show();
            EXPECT_EQ(shown(fx, row.control), row.shown);
            EXPECT_EQ(fx.hide({{row.pos, row.stored}}), "");
        }
    }

    // Below 0403 the top speed in reverse is neither offered nor written.
    PageFixture<V0204> old(0x0402, Trn, 'C');
    settle(old);
    old.image.setByte(33, 5);
    old.show();
    EXPECT_EQ(old.hide(), "");
}

TEST(V0204, UserChoicesReachTheImage) {
    struct Row {
        const char* what;
        unsigned firmware;
        std::vector<int> clicks;
        std::map<int, int> stored;  // from settle()
        std::vector<int> checkedAfter;
    };
    const Row rows[] = {
        {"boost and economy: boost wins", 0x0300, {1097, 1099}, {{0, 0x01}, {3, 0}}, {1097, 1100}},
        {"economy alone", 0x0405, {1099}, {{0, 0x02}, {3, 0}}, {1098, 1099}},
        {"neither", 0x0405, {1098, 1100}, {}, {1098, 1100}},
        {"half current", 0x0300, {1101}, {{0, 0x04}}, {1101}},
        {"half speed", 0x0209, {1090}, {{0, 0x10}}, {1090}},
        {"noise reduction", 0x0304, {1119}, {{0, 0x40}}, {1119}},
        {"ABS and 12 V output", 0x0403, {1127, 1129}, {{1, 0x18}}, {1127, 1129}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        PageFixture<V0204> fx(row.firmware, Trn, 'C');
        settle(fx);
        fx.show();
        for (int id : row.clicks) fx.click(id);
        EXPECT_EQ(fx.hide(row.stored), "");
        for (int id : row.checkedAfter) EXPECT_TRUE(fx.checked(id)) << id;
    }

    PageFixture<V0204> fx(0x0403, Trn, 'J');
    settle(fx);
    fx.show();
    fx.move(1058, 85);
    fx.move(1092, 41);
    fx.pick(1085, 3);
    EXPECT_EQ(fx.text(1057), "85%");
    EXPECT_EQ(fx.text(1111), "41%");
    EXPECT_EQ(fx.differences({}), "");  // nothing is written while the page is shown
    EXPECT_EQ(fx.hide({{34, 85}, {33, 41}, {24, 8}}), "");
}
