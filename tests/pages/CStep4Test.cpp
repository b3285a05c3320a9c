#include <gtest/gtest.h>

#include "CStep4.h"
#include "PageFixture.h"

namespace {

const int SmoothRows[] = {1133, 1041, 1085, 1134, 1042, 1037, 1135, 1043,
                          1086, 1136, 1044, 1132, 1137, 1045, 1087};

void setBytes(CalibrationImage& image, const std::map<int, int>& bytes) {
    for (auto [pos, value] : bytes) image.setByte(pos, static_cast<std::uint8_t>(value));
}

}  // namespace

// Every firmware and variant, smoothing on and off, left untouched: what the page shows and
// the bytes it stores (only a disabled byte 45 changes, to 0, from 0404 on).
TEST(CStep4, LoadsAndStoresByFirmwareVariantAndSmoothing) {
    for (unsigned fw : {0x0403u, 0x0404u, 0x0405u}) {
        for (char variant : {'C', 'J', 'B'}) {
            for (bool enabled : {false, true}) {
                SCOPED_TRACE(testing::Message() << std::hex << fw << variant << enabled);
                const bool v0404 = fw >= 0x0404, can = variant == 'C';
                PageFixture<CStep4> fx(fw, "TRN48201", variant, fw + enabled);
                setBytes(fx.image, {{40, 10},
                                    {41, 11},
                                    {42, 12},
                                    {43, 13},
                                    {44, 14},
                                    {45, enabled ? 0x07 : 0x06},
                                    {57, 0x01},
                                    {58, 0x23},
                                    {59, 0x07},
                                    {60, 0xFF},
                                    {61, 2},
                                    {62, 120},
                                    {63, 100}});
                fx.show();
                const QStringList sensors =
                    v0404 ? QStringList{QStringLiteral("禁用"), "KTY83-122", "KTY84-130"}
                          : QStringList{QStringLiteral("禁用"), QStringLiteral("使用")};
                EXPECT_EQ(fx.items(1140), sensors);
                EXPECT_EQ(fx.index(1140), v0404 ? 2 : -1);
                EXPECT_EQ(fx.text(1039) + fx.text(1040), "120C100C");
                EXPECT_FALSE(fx.hidden(1122));
                for (int id : {1123, 1124, 1125, 1126}) EXPECT_EQ(fx.hidden(id), !can) << id;
                EXPECT_EQ(fx.text(1125) + "/" + fx.text(1126), can ? "2047/291" : "/");
                for (int id : {1139, 1138, 1088, 1089}) EXPECT_EQ(fx.hidden(id), !v0404) << id;
                for (int id : SmoothRows) EXPECT_EQ(fx.hidden(id), !(v0404 && enabled)) << id;
                EXPECT_EQ(fx.checked(1088), v0404 && enabled);
                EXPECT_EQ(fx.checked(1089), v0404 && !enabled);
                EXPECT_EQ(fx.range(1085), std::make_pair(5, 30));
                EXPECT_EQ(fx.range(1087), std::make_pair(1, 255));
                EXPECT_EQ(fx.text(1041) + fx.text(1045), "1014");

                std::map<int, int> out;
                if (v0404 && !enabled)
                    out[45] = 0;
                EXPECT_EQ(fx.hide(out), "");
                EXPECT_TRUE(fx.prompter.told.empty());
            }
        }
    }
}

// Bytes that the list and the sliders cannot show fall back; the store writes what was shown.
TEST(CStep4, UnusualBytesFallBack) {
    const struct {
        unsigned fw;
        std::map<int, int> in;
        int shownId;  // the list's current text, or a value label
        QString shown;
        std::map<int, int> out;
    } rows[] = {
        {0x0404, {{61, 5}}, 1140, "KTY83-122", {{61, 1}}},
        {0x0403, {{61, 5}}, 1140, QStringLiteral("使用"), {{61, 1}}},
        {0x0403, {{61, 2}}, 1140, "", {}},  // no selection: byte 61 stays
        {0x0404, {{62, 200}}, 1039, "170C", {{62, 170}}},
        {0x0404, {{62, 0xFF}}, 1039, "170C", {{62, 170}}},
        {0x0404, {{63, 10}}, 1040, "60C", {{63, 60}}},
        {0x0404, {{62, 60}, {63, 170}}, 1040, "170C", {}},  // stop below resume is accepted
        {0x0404, {{45, 0x01}, {40, 0}}, 1041, "5", {{40, 5}}},
        {0x0404, {{45, 0x01}, {40, 31}, {41, 0}}, 1042, "1", {{40, 30}, {41, 1}}},
        {0x0404, {{45, 0x00}, {40, 0}}, 1041, "5", {}},  // disabled: bytes 40 to 44 stay
        {0x0403, {{45, 0x01}, {40, 0}}, 1041, "5", {}},  // no smoothing before 0404
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << std::hex << row.fw << " byte " << row.in.begin()->first);
        PageFixture<CStep4> fx(row.fw, "TRE72301", 'x');
        setBytes(fx.image, {{40, 10},
                            {41, 50},
                            {42, 50},
                            {43, 50},
                            {44, 50},
                            {45, 0},
                            {61, 1},
                            {62, 100},
                            {63, 90}});
        setBytes(fx.image, row.in);
        fx.show();
        EXPECT_EQ(
            row.shownId == 1140 ? fx.control<QComboBox>(1140)->currentText() : fx.text(row.shownId),
            row.shown);
        EXPECT_EQ(fx.hide(row.out), "");
    }
}

// Identifier texts when the page is left: stored, or refused with the message, the focus on
// the field and the store ended there (earlier bytes written, later ones as they were).
TEST(CStep4, ChecksCanIdentifiersWhenLeft) {
    enum Refused { None, Send, Receive };
    const struct {
        const char* send;  // null: not typed, the loaded text stays
        QString receive;
        Refused refused;
        int sendId, receiveId;  // stored where they pass
    } rows[] = {
        {"2047", "0", None, 2047, 0},
        {"", "  ", None, 0, 0},
        {"12abc", " 2047", None, 12, 2047},
        {"+5", QStringLiteral("１２"), None, 5, 0},  // full-width digits are no digits
        {"2048", "1", Send, 0, 0},
        {"-1", "1", Send, 0, 0},
        {"4294969343", "1", Send, 0, 0},  // 2^32 + 2047 must not wrap into range
        {"1", "2048", Receive, 1, 0},
        {"256", "-2147483649", Receive, 256, 0},
        {nullptr, "1", Send, 0, 0},  // unwritten bytes show 65535
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message()
                     << (row.send ? row.send : "(65535)") << " / " << row.receive.toStdString());
        PageFixture<CStep4> fx(0x0404, "TRN48201", 'C');
        setBytes(fx.image, {{45, 0x01}, {57, 0x01}, {58, 0x23}, {59, 0x02}, {60, 0x34}});
        if (!row.send)
            setBytes(fx.image, {{59, 0xFF}, {60, 0xFF}});
        QStringList refused;
        QObject::connect(&fx.page(), &SettingsPage::refused,
                         [&](const QString& f) { refused << f; });
        fx.show();
        EXPECT_EQ(fx.text(1125), row.send ? "564" : "65535");
        fx.pick(1140, 0);
        fx.move(1084, 150);
        fx.move(1085, 25);
        if (row.send)
            fx.type(1125, QString::fromLatin1(row.send));
        fx.type(1126, row.receive);

        std::map<int, int> out{{61, 0}, {62, 150}, {63, fx.value(1035)}};
        if (row.refused != Send)
            out.insert({{59, row.sendId >> 8}, {60, row.sendId & 0xFF}});
        if (row.refused == None)
            out.insert({{57, row.receiveId >> 8},
                        {58, row.receiveId & 0xFF},
                        {40, 25},
                        {41, fx.value(1037)},
                        {42, fx.value(1086)},
                        {43, fx.value(1132)},
                        {44, fx.value(1087)}});
        EXPECT_EQ(fx.hide(out), "");

        if (row.refused == None) {
            EXPECT_TRUE(fx.prompter.told.empty());
            EXPECT_TRUE(refused.isEmpty());
            continue;
        }
        const bool send = row.refused == Send;
        EXPECT_EQ(fx.prompter.told,
                  std::vector{send ? QStringLiteral("Send ID must between 0 and 2047 ")
                                   : QStringLiteral("Receive ID must between 0 and 2047 ")});
        EXPECT_EQ(refused, QStringList{send ? "Send ID" : "Receive ID"});
        EXPECT_EQ(fx.page().focusWidget(), fx.control(send ? 1125 : 1126));
        fx.show();  // the next visit shows the image, not the refused text
        EXPECT_EQ(fx.text(1125), QString::number(fx.image.field(59, 2)));
    }
}

// A click on Enable or Disable shows or hides the rows at once; the image changes on leaving.
TEST(CStep4, SmoothingSwitchFollowsClicks) {
    const struct {
        int byte45, click, stored45;
    } rows[] = {
        {0x06, 1088, 0x07},  // other bits kept when enabling
        {0xFE, 1088, 0xFF},
        {0x01, 1088, 0x01},
        {0x07, 1089, 0x00},  // disabling clears the whole byte
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << "byte 45 " << row.byte45 << " click " << row.click);
        const bool on = row.click == 1088;
        PageFixture<CStep4> fx(0x0405, "TRN48201", 'x');
        setBytes(fx.image, {{40, 0},
                            {41, 100},
                            {42, 100},
                            {43, 100},
                            {44, 100},
                            {45, row.byte45},
                            {61, 1},
                            {62, 100},
                            {63, 90}});
        fx.show();
        fx.click(row.click);
        EXPECT_EQ(fx.checked(1088), on);
        EXPECT_EQ(fx.checked(1089), !on);
        for (int id : SmoothRows) EXPECT_EQ(fx.hidden(id), !on) << id;
        EXPECT_EQ(fx.image.byte(45), row.byte45);

        fx.move(1132, 77);
        std::map<int, int> out{{45, row.stored45}};
        if (on)
            out.insert({{40, 5}, {43, 77}});
        EXPECT_EQ(fx.hide(out), "");
    }
}
