#pragma once
// What the history is asked: entries of a unit, of a station, within a time span, and whose
// written image holds settings such as "max_motor_current>80%". Settings are named by the
// keys and units of the settings table, so that a question reads like a configuration file.

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include <QDateTime>
#include <QString>

#include "CalibrationImage.h"
#include "Settings.h"

namespace config {

struct JournalEntry;

// One condition on a setting of the image written.
struct SettingCondition {
    enum class Op { Less, LessOrEqual, Equal, NotEqual, GreaterOrEqual, Greater };
    const Setting* setting = nullptr;
    Op op = Op::Equal;
    QString value;  // as given
    // The stored value when it does not depend on the controller (numbers, switches, a list's
    // code); a list item named by its name is looked up in each entry's own list.
    std::optional<std::uint32_t> raw;

    // "key OP value" with OP one of < <= = != >= >; none, with why set, when it does not read.
    static std::optional<SettingCondition> parse(const QString& text, QString* why);
    // The operator as SQL writes it.
    const char* sqlOperator() const;
    // The condition in SQL over the written image, where SQL can say it: byteSql gives the SQL
    // of the image's byte at a position. None for a setting that is not one field, or a list
    // item named by its name (its code depends on each entry's controller): those are asked of
    // each image alone.
    std::optional<QString> sql(const std::function<QString(int)>& byteSql) const;
    // The condition as parse reads it: "max_motor_current>80%".
    QString text() const;
    // Whether the image has the setting and its value satisfies the condition.
    bool holds(const CalibrationImage& image) const;
};

// Conditions written one after another, separated by ';', as a window's single field takes
// them; none, with why set, when one does not read.
std::optional<std::vector<SettingCondition>> parseConditions(const QString& text, QString* why);
// The conditions as parseConditions reads them.
QString conditionsText(const std::vector<SettingCondition>& conditions);

struct EntryQuery {
    QString unit;  // empty: any
    QString station;
    std::optional<QDateTime> since, until;  // both included
    std::vector<SettingCondition> where;    // all of them

    bool matches(const JournalEntry& entry) const;
};

// A time as --since and --until take it: an ISO date (the whole day, UTC) or date and time
// (UTC unless an offset is given). until takes the end of a day given as a date.
std::optional<QDateTime> queryTime(const QString& text, bool until);

}  // namespace config
