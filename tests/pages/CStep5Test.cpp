#include <gtest/gtest.h>

#include "CStep5.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QSlider>
#include <QToolTip>

#include "PageFixture.h"

namespace {

using Fx = PageFixture<CStep5>;

const unsigned Firmware[] = {0x0203, 0x0204, 0x0208, 0x0209, 0x0300, 0x0301,
                             0x0302, 0x0303, 0x0304, 0x0402, 0x0403, 0x0405};

// Valid values for the bytes a case does not name.
void settle(Fx& fx, const std::map<int, int>& bytes) {
    std::map<int, int> all{{0, 0x0B}, {1, 0x00}, {3, 0},   {5, 0x15}, {15, 60},
                           {16, 10},  {17, 30},  {38, 20}, {39, 80}};
    for (auto [pos, value] : bytes) all[pos] = value;
    for (auto [pos, value] : all) fx.image.setByte(pos, static_cast<std::uint8_t>(value));
}

}  // namespace

// An untouched visit at every firmware, series and variant: what is offered, and what comes
// back from out-of-range bytes.
TEST(CStep5, LoadsAndStoresByFirmware) {
    const QStringList templateTypes{"No Used", "0-5V ", "5-0V "};
    const QStringList pedalTypes{QStringLiteral("无"), QStringLiteral("3线式踏板"),
                                 QStringLiteral("霍尔有源踏板")};
    const QStringList sensorTypes{QStringLiteral("无"), "0-5V", "1-4V", "0-5K"};
    for (unsigned fw : Firmware) {
        for (const char* model : {"TRN48201", "TRE72301"}) {
            for (char variant : {'J', 'C', 'B'}) {
                SCOPED_TRACE(testing::Message()
                             << std::hex << fw << " " << model << " " << variant);
                const bool v0209 = fw >= 0x0209, v0302 = fw >= 0x0302;
                Fx fx(fw, model, variant, fw + static_cast<unsigned>(variant));
                // Byte 5: start 30 %, end invalid (80 %); bytes 15 to 17 and 38 out of range.
                settle(fx,
                       {{1, 0xFF}, {3, 1}, {5, 0x37}, {15, 0}, {16, 25}, {17, 0xFF}, {38, 0xFF}});
                // A type clears boost and economy; each firmware writes one form of the span.
                std::map<int, int> out{{0, 0x08}, {15, 20}, {17, 50}};
                if (v0209)
                    out[16] = 20;
                if (v0302)
                    out[38] = 40;
                else
                    out[5] = 0x32;

                for (int visit = 1; visit <= 2; ++visit) {  // a second visit adds nothing
                    fx.show();
                    EXPECT_TRUE(fx.checked(1016) && !fx.checked(1017));
                    EXPECT_TRUE(fx.checked(1018) && !fx.checked(1019));
                    EXPECT_EQ(fx.enabled(1094), v0209);
                    EXPECT_EQ(fx.text(1095), v0209 ? "20%" : QStringLiteral("禁止"));
                    EXPECT_EQ(fx.text(1044), "50%");
                    EXPECT_EQ(fx.text(1041), "20%");
                    EXPECT_EQ(fx.items(1081), !v0302        ? templateTypes
                                              : fw < 0x0403 ? pedalTypes
                                                            : sensorTypes);
                    EXPECT_EQ(fx.index(1081), 1);
                    for (int id : {1079, 1080, 1108, 1109}) EXPECT_EQ(fx.hidden(id), !v0302) << id;
                    for (int id : {1112, 1113}) EXPECT_EQ(fx.hidden(id), v0302) << id;
                    EXPECT_EQ(fx.index(1112), 3);
                    EXPECT_EQ(fx.index(1113), 2);
                    EXPECT_EQ(fx.text(1108), "40%");
                    EXPECT_EQ(fx.text(1109), "80%");
                    EXPECT_EQ(fx.hide(visit == 1 ? out : std::map<int, int>{}), "");
                }
            }
        }
    }
}

TEST(CStep5, ValuesAndChoices) {
    struct Case {
        const char* what;
        unsigned firmware;
        std::map<int, int> in;
        std::vector<std::pair<int, int>> actions;  // option: click; list: pick; slider: move
        std::map<int, QString> shown;
        std::map<int, int> out;
    };
    const QString none = QStringLiteral("无"), off = QStringLiteral("禁止");
    // clang-format off
    const Case cases[] = {
        // Brake sensor type: by index where the list has it; only a real sensor clears boost
        // and economy (bits 0 and 1 of byte 0).
        {"type 3 of three", 0x0301, {{3, 3}}, {}, {{1081, ""}}, {{3, 0}}},
        {"type 2 before 0302", 0x0301, {{3, 2}}, {}, {{1081, "5-0V "}}, {{0, 0x08}}},
        {"type 3 of three pedals", 0x0302, {{3, 3}}, {}, {{1081, ""}}, {{3, 0}}},
        {"type 3 of four", 0x0403, {{3, 3}}, {}, {{1081, "0-5K"}}, {{0, 0x08}}},
        {"type 4", 0x0403, {{3, 4}}, {}, {{1081, none}}, {{3, 0}}},
        {"type 255", 0x0405, {{3, 0xFF}}, {}, {{1081, none}}, {{3, 0}}},
        {"type chosen", 0x0405, {}, {{1081, 2}}, {}, {{0, 0x08}, {3, 2}}},
        {"type none chosen", 0x0405, {{3, 2}}, {{1081, 0}}, {}, {{3, 0}}},
        {"type unselected", 0x0402, {{3, 1}}, {{1081, -1}}, {}, {{3, 0}}},
        // Span labels read in volts for type item 2 only, and follow a new choice at once.
        {"volts", 0x0403, {{3, 2}, {38, 10}, {39, 90}}, {},
         {{1108, "1.3V"}, {1109, "3.7V"}}, {{0, 0x08}}},
        {"percent", 0x0403, {{3, 1}, {38, 10}, {39, 90}}, {},
         {{1108, "10%"}, {1109, "90%"}}, {{0, 0x08}}},
        {"volts at the ends", 0x0302, {{3, 2}, {38, 0}, {39, 100}}, {},
         {{1108, "1.0V"}, {1109, "4.0V"}}, {{0, 0x08}}},
        {"to volts", 0x0405, {{38, 5}, {39, 50}}, {{1081, 2}},
         {{1108, "1.1V"}, {1109, "2.5V"}}, {{0, 0x08}, {3, 2}}},
        {"to percent", 0x0405, {{3, 2}}, {{1081, 0}, {1079, 33}},
         {{1108, "33%"}, {1109, "80%"}}, {{3, 0}, {38, 33}}},
        // Releasing-throttle regen and the regen currents.
        {"releasing off", 0x0209, {{16, 0}}, {}, {{1095, off}}, {}},
        {"old firmware keeps byte 16", 0x0208, {{16, 15}}, {{1045, 12}}, {{1095, off}}, {{17, 12}}},
        {"sliders", 0x0209, {}, {{1094, 7}, {1045, 12}, {1043, 99}},
         {{1095, "7%"}, {1044, "12%"}, {1041, "99%"}}, {{16, 7}, {17, 12}, {15, 99}}},
        // Option pairs: other bits of byte 1 stay.
        {"both disabled", 0x0405, {{1, 0xFF}}, {{1017, 0}, {1019, 0}}, {}, {{1, 0xBD}}},
        {"both enabled", 0x0405, {}, {{1016, 0}, {1018, 0}}, {}, {{1, 0x42}}},
        // Older firmware: byte 5 nibbles; a list without a selection keeps its nibble.
        {"span lists", 0x0301, {}, {{1112, 1}, {1113, 4}}, {}, {{5, 0x14}}},
        {"start unselected", 0x0301, {}, {{1112, -1}, {1113, 0}}, {}, {{5, 0x10}}},
        {"end unselected", 0x0208, {}, {{1112, 4}, {1113, -1}}, {}, {{5, 0x45}}},
        {"invalid nibbles", 0x0208, {{5, 0xF6}}, {}, {{1112, "20%"}, {1113, "80%"}}, {{5, 0x22}}},
        {"lists hidden", 0x0302, {}, {{1112, 4}, {1113, 4}}, {}, {}},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Fx fx(c.firmware, "TRN48201", 'C');
        settle(fx, c.in);
        fx.show();
        for (auto [id, value] : c.actions) {
            if (qobject_cast<QSlider*>(fx.control(id)))
                fx.move(id, value);
            else if (qobject_cast<QComboBox*>(fx.control(id)))
                fx.pick(id, value);
            else
                fx.click(id);
        }
        for (const auto& [id, text] : c.shown) {
            auto* list = qobject_cast<QComboBox*>(fx.control(id));
            EXPECT_EQ(list ? list->currentText() : fx.text(id), text) << id;
        }
        EXPECT_EQ(fx.hide(c.out), "");
    }
}

TEST(CStep5, DraggingTheReleasingSliderShowsItsPosition) {
    Fx fx(0x0405, "TRN48201", 'C');
    settle(fx, {});
    fx.show();
    auto* slider = fx.control<QSlider>(1094);
    slider->setSliderDown(true);
    slider->setSliderPosition(13);
    EXPECT_TRUE(QToolTip::isVisible());
    EXPECT_EQ(QToolTip::text(), "13");
    slider->setSliderDown(false);
    const QDeadlineTimer deadline(2000);
    while (QToolTip::isVisible() && !deadline.hasExpired()) QCoreApplication::processEvents();
    EXPECT_FALSE(QToolTip::isVisible());
    EXPECT_EQ(fx.hide({{16, 13}}), "");
}
