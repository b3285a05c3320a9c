#pragma once
// Sending an image to a controller and finding out what it holds afterwards: the one rule that
// the wizard's Finish, the write command and every unit of a batch follow. The controller is
// read back whatever the write's reply said (a lost reply does not mean a lost write, nor an
// acknowledged one a kept write), and the outcome the journal records follows from both.

#include <functional>
#include <optional>

#include "CalibrationImage.h"
#include "ControllerLink.h"
#include "Journal.h"

namespace session {

// Runs a link call: at once, or off the GUI thread while the window stays painted.
using Runner = std::function<bool(const std::function<bool()>&)>;
bool direct(const std::function<bool()>& call);

struct Written {
    bool acknowledged = false;
    QString writeFailure;  // the link's reason when the write was not acknowledged
    bool commitSent = false;
    bool triedRead = false;  // the read-back was tried (the line was still there)
    bool read = false;       // read back: held is what the controller holds
    CalibrationImage held;
    QString readFailure;  // why it was not read back, when it was tried
    // What the journal records; none when what the controller holds cannot be told (the line
    // died after the commit was sent): the entry stays pending.
    std::optional<config::Outcome> outcome;
};

// Writes target to the controller that held before, then reads it back and compares: always
// when the reply to the commit was lost, unless verify is false when it came; readingBack is
// told when the read-back begins.
Written write(ControllerLink& link, const CalibrationImage& before, const CalibrationImage& target,
              bool verify, const Runner& run = direct,
              const std::function<void()>& readingBack = {});

}  // namespace session
