#pragma once
// Byte positions and bit masks of every calibration-image field the program touches.
// Multi-byte numbers are big-endian: the first byte is the most significant.

#include <cstdint>

namespace Field {

// Byte 0: function switches.
constexpr int Functions = 0;
constexpr std::uint8_t BoostBit = 0x01;
constexpr std::uint8_t EconomyBit = 0x02;
constexpr std::uint8_t HalfCurrentReverseBit = 0x04;
constexpr std::uint8_t ReleasingBrakeHighPedalBit = 0x08;
constexpr std::uint8_t HalfSpeedReverseBit = 0x10;
constexpr std::uint8_t NoiseReductionBit = 0x40;

// Byte 1: input switches and outputs.
constexpr int Switches = 1;
constexpr std::uint8_t FootSwitchBit = 0x01;
constexpr std::uint8_t BrakeSwitchBit = 0x02;
constexpr std::uint8_t ForwardSwitchBit = 0x04;
constexpr std::uint8_t AbsBit = 0x08;
constexpr std::uint8_t Output12VBit = 0x10;
constexpr std::uint8_t PowerOnHighPedalOffBit = 0x20;  // inverted: 1 = protection off
constexpr std::uint8_t RegenerationBit = 0x40;

constexpr int ThrottleSensorType = 2;
constexpr int BrakeSensorType = 3;
constexpr int ThrottleStart = 4;
constexpr int ThrottleEnd = 5;  // below 0302: brake sensor start/end nibbles
constexpr int HallSensorType = 11;
constexpr int StartupDelay = 12;
constexpr int MaxMotorCurrent = 14;
constexpr int MaxRegenCurrent = 15;
constexpr int ReleasingThrottleRegen = 16;
constexpr int BrakeSwitchRegen = 17;
constexpr int ControlModeCopy = 18;
constexpr int UnderVoltage = 19;
constexpr int OverVoltage = 20;
constexpr int ThrottleRate = 21;
constexpr int MotorPoles = 24;
constexpr int SpeedMode = 28;
constexpr int ControlMode = 30;
constexpr int ReverseTopSpeed = 33;
constexpr int TopSpeed = 34;
constexpr int BrakeSensorStart = 38;
constexpr int BrakeSensorEnd = 39;
constexpr int SmoothInflection = 40;
constexpr int SmoothLowAccel = 41;
constexpr int SmoothLowDecel = 42;
constexpr int SmoothHighAccel = 43;
constexpr int SmoothHighDecel = 44;
constexpr int SmoothEnable = 45;
constexpr std::uint8_t SmoothEnableBit = 0x01;
constexpr int ThresholdLow = 53;
constexpr int ThresholdHigh = 54;
constexpr int CanReceiveId = 57;  // 2 bytes
constexpr int CanSendId = 59;     // 2 bytes
constexpr int MotorTempSensor = 61;
constexpr int StopTemperature = 62;
constexpr int ResumeTemperature = 63;

// Identity.
constexpr int Series = 64;  // 3 ASCII letters
constexpr int SeriesLength = 3;
constexpr int Model = 64;  // 8 characters
constexpr int ModelLength = 8;
constexpr int VoltageClass = 67;  // 2 characters
constexpr int RegenerationMarker = 71;
constexpr int ModelOptions = 72;
constexpr std::uint8_t SpecialVersionBit = 0x80;
constexpr int AdVersion = 73;
constexpr int SerialNumber = 76;  // 4 bytes
constexpr int SerialNumberLength = 4;
constexpr int VersionMajor = 83;
constexpr int VersionMinor = 84;

constexpr int MaxBatteryCurrent = 100;
constexpr int Variant = 107;

// J1939 preferred address and NAME fields.
constexpr int J1939Address = 108;
constexpr int J1939ArbitraryAddress = 109;
constexpr int J1939IndustryGroup = 110;
constexpr int J1939VehicleSystemInstance = 111;
constexpr int J1939VehicleSystem = 112;
constexpr int J1939Reserved = 113;
constexpr int J1939Function = 114;
constexpr int J1939FunctionInstance = 115;
constexpr int J1939EcuInstance = 116;
constexpr int J1939Manufacturer = 117;  // 2 bytes
constexpr int J1939Identity = 119;      // 3 bytes

}  // namespace Field
