#pragma once
// Settings side by side: what differs between two images, and a controller's settings as
// lines to print. Values are shown as the screens show them (shownText).

#include <vector>

#include <QString>
#include <QStringList>

#include "CalibrationImage.h"
#include "Settings.h"

namespace config {

struct Change {
    const Setting* setting;
    QString before;  // empty when the setting is not one of that image's controller
    QString after;
};

// Every setting of either image whose value differs, in table order.
std::vector<Change> changes(const CalibrationImage& before, const CalibrationImage& after,
                            Language language);
// "Max Motor Current: 80% -> 90%", one line per change.
QStringList changeLines(const std::vector<Change>& list, Language language);
// "Serial number: 000AB0FF -> 000AB0FE", one line per identity field (model, variant,
// firmware, serial) in which the images differ.
QStringList identityLines(const CalibrationImage& before, const CalibrationImage& after,
                          Language language);
// "Max Motor Current (max_motor_current): 80%", one line per setting of the image.
QStringList settingLines(const CalibrationImage& image, Language language);

}  // namespace config
