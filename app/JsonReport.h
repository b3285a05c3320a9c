#pragma once
// The parts of the documents that --json prints: a setting's value, a controller's settings and
// identity, the changes between two images and journal entries. Keys, units and texts all come
// from the settings table and the journal; documented fields keep their meaning.

#include <QJsonArray>
#include <QJsonObject>

#include "CalibrationImage.h"
#include "Journal.h"
#include "Settings.h"

namespace report {

// The JSON's "format": raised only when a documented field changes its meaning.
inline constexpr int Format = 1;

// {"value", "unit", "raw", "text"}: the value as a number (the unit apart), as true or false
// for a switch, or as its item's name for a list; the stored number; the text the pages show.
QJsonObject value(const config::Setting& setting, const CalibrationImage& image,
                  config::Language language);
// Every setting of the controller by key, each a value with its "caption".
QJsonObject settings(const CalibrationImage& image, config::Language language);
// [{"key", "caption", "old", "new"}]: the settings that differ; old or new is null where the
// setting is not one of that image's controller.
QJsonArray changes(const CalibrationImage& before, const CalibrationImage& after,
                   config::Language language);
// {"unit", "model", "variant", "firmware", "serial"}.
QJsonObject identity(const CalibrationImage& image);
// [{"field", "old", "new"}]: the identity fields in which the images differ.
QJsonArray identityChanges(const CalibrationImage& before, const CalibrationImage& after);
// {"entry", "uuid", "unit", "time", "outcome", "program", "host"}.
QJsonObject entry(const config::JournalEntry& e);

}  // namespace report
