#include <gtest/gtest.h>

#include "CStep7.h"
#include "PageFixture.h"

namespace {

// The eleven rows in the order of checking: edit field, image bytes, largest accepted number,
// caption and message.
const struct Row {
    int edit, pos, width, maximum;
    const char* caption;
    const char* message;
} Rows[] = {
    {1127, 108, 1, 253, "Preferred Address",
     "Preferred Address must between 0 and 127 or 248 and 253 "},
    {1137, 109, 1, 1, "Arbitrary Address Capable",
     "Arbitrary Address Capable must between 0 and 1 "},
    {1138, 110, 1, 7, "Industry Group", "Industry Group must between 0 and 7 "},
    {1139, 111, 1, 15, "Vehicle System Instance", "Vehicle System Instance must between 0 and 15 "},
    {1140, 112, 1, 127, "Vehicle System", "Vehicle System must between 0 and 127 "},
    {1141, 113, 1, 1, "Reserved Fields", "Reserved Fields must between 0 and 1 "},
    {1142, 114, 1, 255, "Function Fields", "Function Fields must between 0 and 255 "},
    {1143, 115, 1, 31, "Function Instance", "Function Instance must between 0 and 31 "},
    {1128, 116, 1, 7, "ECU Instance", "ECU Instance must between 0 and 7 "},
    {1145, 117, 2, 2047, "Manufacturer Code", "Manufacturer Code must between 0 and 2047 "},
    {1146, 119, 3, 2097151, "Identity Number", "Identity Number must between 0 and 2097151 "},
};
// Valid values before the visit and what the user types into the other rows.
const int Before[] = {1, 0, 1, 2, 3, 0, 4, 5, 6, 100, 1000};
const int Typed[] = {249, 1, 7, 15, 127, 1, 200, 31, 7, 2047, 2097151};

void put(std::map<int, int>& bytes, const Row& row, int value) {
    for (int i = row.width - 1; i >= 0; --i, value >>= 8) bytes[row.pos + i] = value & 0xFF;
}

}  // namespace

// Loaded as decimal text whatever the bytes hold; an untouched visit writes back what it
// loaded, and an unwritten image is refused at the first row without writing anything.
TEST(CStep7, LoadsStoredValuesAsText) {
    for (bool unwritten : {false, true}) {
        SCOPED_TRACE(unwritten ? "unwritten" : "valid");
        PageFixture<CStep7> fx(0x0405, "TRN48201", 'J');
        std::map<int, int> bytes;
        for (std::size_t r = 0; r < std::size(Rows); ++r)
            put(bytes, Rows[r], unwritten ? 0xFFFFFF : Before[r]);
        for (auto [pos, value] : bytes) fx.image.setByte(pos, static_cast<std::uint8_t>(value));
        fx.show();
        for (std::size_t r = 0; r < std::size(Rows); ++r) {
            const int shown = !unwritten           ? Before[r]
                              : Rows[r].width == 1 ? 255
                              : Rows[r].width == 2 ? 65535
                                                   : 16777215;
            EXPECT_EQ(fx.text(Rows[r].edit), QString::number(shown)) << Rows[r].caption;
        }
        EXPECT_EQ(fx.hide(), "");
        EXPECT_EQ(fx.prompter.told, unwritten ? std::vector{QString::fromLatin1(Rows[0].message)}
                                              : std::vector<QString>{});
    }
}

// One text typed into one row, valid values in the others: the rows before it are stored;
// a refused text shows the row's message, takes the focus and leaves it and the later rows.
TEST(CStep7, ChecksEachRowInOrder) {
    struct Case {
        std::size_t row;
        QString text;
        bool accepted;
        int stored;
    };
    std::vector<Case> cases;
    for (std::size_t r = 0; r < std::size(Rows); ++r) {
        const int max = Rows[r].maximum;
        cases.push_back({r, "", true, 0});
        cases.push_back({r, QString::number(max), true, max});
        cases.push_back({r, QString::number(max + 1), false, 0});
        cases.push_back({r, "-1", false, 0});
    }
    const Case special[] = {
        {0, "127", true, 127},
        {0, "128", false, 0},
        {0, "247", false, 0},
        {0, "248", true, 248},
        {0, " 12abc", true, 12},
        {0, "abc", true, 0},
        {0, "+5", true, 5},
        {6, "300", false, 0},
        {10, "4294967295", false, 0},
        {10, "-2147483649", false, 0},
        {10, "18446744073709551616", false, 0},
    };
    cases.insert(cases.end(), std::begin(special), std::end(special));

    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << Rows[c.row].caption << " \"" << c.text.toStdString() << "\"");
        PageFixture<CStep7> fx(0x0405, "TRN48201", 'J', static_cast<unsigned>(c.row));
        std::map<int, int> before, out;
        for (std::size_t r = 0; r < std::size(Rows); ++r) put(before, Rows[r], Before[r]);
        for (auto [pos, value] : before) fx.image.setByte(pos, static_cast<std::uint8_t>(value));
        QStringList refused;
        QObject::connect(&fx.page(), &SettingsPage::refused,
                         [&](const QString& f) { refused << f; });
        fx.show();
        for (std::size_t r = 0; r < std::size(Rows); ++r)
            fx.type(Rows[r].edit, r == c.row ? c.text : QString::number(Typed[r]));

        for (std::size_t r = 0; r < std::size(Rows); ++r)
            if (r < c.row || c.accepted)
                put(out, Rows[r], r == c.row ? c.stored : Typed[r]);
        EXPECT_EQ(fx.hide(out), "");
        if (c.accepted) {
            EXPECT_TRUE(fx.prompter.told.empty());
            EXPECT_TRUE(refused.isEmpty());
            continue;
        }
        EXPECT_EQ(fx.prompter.told, std::vector{QString::fromLatin1(Rows[c.row].message)});
        EXPECT_EQ(refused, QStringList{Rows[c.row].caption});
        EXPECT_EQ(fx.page().focusWidget(), fx.control(Rows[c.row].edit));
    }
}

// The refused field is named as its caption reads in the loaded module.
TEST(CStep7, NamesTheRefusedFieldByItsCaption) {
    PageFixture<CStep7> fx(0x0405, "TRN48201", 'J');
    for (std::size_t r = 0; r < std::size(Rows); ++r)
        fx.image.setField(Rows[r].pos, Rows[r].width, Before[r]);
    auto* caption = fx.page().findChild<QLabel*>(QStringLiteral("manufacturerCodeCaption"));
    ASSERT_NE(caption, nullptr);
    caption->setText(QStringLiteral("制造商代码"));
    QStringList refused;
    QObject::connect(&fx.page(), &SettingsPage::refused, [&](const QString& f) { refused << f; });
    fx.show();
    fx.type(1145, "2048");
    EXPECT_EQ(fx.hide(), "");
    EXPECT_EQ(refused, QStringList{QStringLiteral("制造商代码")});
}
