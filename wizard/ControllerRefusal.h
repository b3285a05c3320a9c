#pragma once
// Controllers this program does not configure. The wizard's start-up and the workshop's
// commands ask the same question here, so that they refuse the same controllers.

class CalibrationImage;

// Messages of the language module that say why a controller is refused.
inline constexpr int MsgWrongSeries = 107;
inline constexpr int MsgSpecialVersion = 111;

// The message that refuses the controller whose image this is: another series than TRN or
// TRE, or a special version. 0 when it may be configured.
int controllerRefusal(const CalibrationImage& image);
