#include "WriteSession.h"

namespace session {

bool direct(const std::function<bool()>& call) {
    return call();
}

Written write(ControllerLink& link, const CalibrationImage& before, const CalibrationImage& target,
              bool verify, const Runner& run, const std::function<void()>& readingBack) {
    using config::Outcome;
    Written w;
    w.acknowledged = run([&] { return link.WriteImage(target); });
    w.writeFailure = link.failure;
    w.commitSent = link.commitSent;
    // Nothing committed tells nothing more when read, and a line gone cannot be read.
    if (w.acknowledged ? verify : w.commitSent) {
        w.triedRead = !link.portFailed;
        if (w.triedRead) {
            if (readingBack)
                readingBack();
            w.read = run([&] { return link.ReadImage(w.held); });
        }
        if (!w.read)
            w.readFailure = link.failure;
    }
    if (w.read && w.held == target)
        w.outcome = w.acknowledged ? Outcome::Verified : Outcome::ReplyLost;
    else if (w.read)
        w.outcome = !w.acknowledged && w.held == before ? Outcome::Failed : Outcome::Differs;
    else if (w.acknowledged)
        w.outcome = Outcome::NotVerified;
    else if (!w.commitSent)
        w.outcome = Outcome::Failed;  // nothing was committed: the controller keeps its own
    return w;
}

}  // namespace session
