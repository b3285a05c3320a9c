#include "ControllerRefusal.h"

#include <QLatin1String>

#include "CalibrationImage.h"

int controllerRefusal(const CalibrationImage& image) {
    const QString series = image.text(Field::Series, Field::SeriesLength);
    if (series != QLatin1String("TRN") && series != QLatin1String("TRE"))
        return MsgWrongSeries;
    if (image.bit(Field::ModelOptions, Field::SpecialVersionBit))
        return MsgSpecialVersion;
    return 0;
}
