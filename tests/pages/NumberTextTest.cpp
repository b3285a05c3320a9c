#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include <QString>

#include "NumberText.h"

namespace {

constexpr std::int32_t Max = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t Min = std::numeric_limits<std::int32_t>::min();

TEST(TextToNumber, ReadsWhatAUserTyped) {
    const QString digits100(100, QLatin1Char('9'));
    const struct {
        const char* why;
        QString text;
        std::int32_t number;
    } rows[] = {
        {"empty", QString(), 0},
        {"blanks only", QStringLiteral(" \t "), 0},
        {"every ASCII blank before", QStringLiteral(" \t\n\v\f\r42"), 42},
        {"plus sign", QStringLiteral("+5"), 5},
        {"minus sign", QStringLiteral("-1"), -1},
        {"digits then letters", QStringLiteral("12abc"), 12},
        {"blank then digits then letters", QStringLiteral(" 12abc"), 12},
        {"letters only", QStringLiteral("abc"), 0},
        {"two signs", QStringLiteral("+-5"), 0},
        {"hexadecimal prefix is not read", QStringLiteral("0x1F"), 0},
        {"many leading zeros do not saturate", QString(60, QLatin1Char('0')) + QStringLiteral("12"),
         12},
        {"one past the largest", QStringLiteral("2147483648"), Max},
        {"one below the smallest", QStringLiteral("-2147483649"), Min},
        {"far above 2^32 does not wrap", QStringLiteral("4294967296"), Max},
        {"very long digits", digits100, Max},
        {"very long negative digits", QStringLiteral("-") + digits100, Min},
        {"full-width digits", QStringLiteral("１２"), 0},
        {"ideographic space is no blank", QStringLiteral("\u300012"), 0},
        {"no-break space is no blank", QStringLiteral("\u00A012"), 0},
        {"Arabic-Indic digit", QStringLiteral("\u0663"), 0},
    };
    for (const auto& row : rows) EXPECT_EQ(kit::textToNumber(row.text), row.number) << row.why;
}

}  // namespace
