#pragma once
// The numbers of the language module's strings and pictures that the program itself uses;
// each has its text or picture in both modules.

namespace module {

constexpr int MsgCancel = 102;        // leave the wizard?
constexpr int MsgNoController = 103;  // no controller found: Retry or Cancel
constexpr int MsgReadError = 104;
constexpr int MsgWriteError = 105;
constexpr int MsgWritten = 106;
constexpr int MsgWrongSeries = 107;   // another series: where to find its program
constexpr int MsgModeUpgraded = 108;  // the old speed coding became torque
constexpr int MsgWarning = 110;       // the motor must not run while configuring
constexpr int MsgSpecialVersion = 111;
constexpr int IconProgram = 159;
constexpr int MsgSetPortError = 164;  // a port setting was not taken
constexpr int StrTitle = 165;

// Messages that report what went well or what changed by itself; the others warn, fail or ask.
constexpr bool informs(int id) {
    return id == MsgWritten || id == MsgModeUpgraded;
}

}  // namespace module
