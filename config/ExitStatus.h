#pragma once
// The exit statuses of trnsetup, the same for the wizard's file editor and every command; the
// README and the manuals list them.

namespace exitstatus {

constexpr int Done = 0;
// The controller, a file, the journal or standard output failed.
constexpr int Failed = 1;
// A mistake on the command line, a file that does not read, or one the controller would not
// take as written.
constexpr int Usage = 2;
// Written and verified, but the journal does not say so (--without-journal, or an outcome it
// could not take).
constexpr int Unrecorded = 3;
// Everything asked for happened, but journal entries wait at this station to be shared with
// the server: not a failure, and the line goes on; a later run or history --sync sends them.
constexpr int Waiting = 4;

}  // namespace exitstatus
