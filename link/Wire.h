#pragma once

#include <cstdint>

#include "CalibrationImage.h"

// What travels on the line between the program and a controller. The program's link and the
// simulator both spell the line from here, so that neither can drift from the other.
namespace wire {

// The line: 19200 baud, 8N1, so ten bits carry a byte (start bit, eight data bits, stop bit).
inline constexpr int BaudRate = 19200;
inline constexpr int BitsPerByte = 10;

// A frame: command, length, that many data bytes (16 at most), then the checksum.
inline constexpr int MaxData = 16;
inline constexpr int FrameHeader = 2;  // command and length; the data follow
inline constexpr int FrameOverhead = FrameHeader + 1;
inline constexpr int ReceiveSize = MaxData + FrameOverhead;  // 19, the longest frame
// The program's request buffer keeps one byte past the longest frame.
inline constexpr int TransmitSize = ReceiveSize + 1;  // 20

constexpr int frameSize(int length) {
    return length + FrameOverhead;
}

// The checksum ending a frame: the sum of every byte before it, modulo 256.
constexpr std::uint8_t checksum(const std::uint8_t* bytes, int count) {
    std::uint8_t sum = 0;
    for (int i = 0; i < count; ++i) sum = static_cast<std::uint8_t>(sum + bytes[i]);
    return sum;
}

// Commands; a reply carries the command of its request.
inline constexpr std::uint8_t CmdIdentify = 0x11;  // no data; the reply is IdentifyReplyLength
inline constexpr std::uint8_t CmdOpen = 0xF1;      // no data; starts a read or write afresh
inline constexpr std::uint8_t CmdRead = 0xF2;      // offset, ReadBlock, 0; the reply: the block
inline constexpr std::uint8_t CmdWrite = 0xF3;     // offset, count, 0, then the chunk's bytes
inline constexpr std::uint8_t CmdCommit = 0xF4;    // no data; keeps the chunks written

// The identify reply's data bytes.
inline constexpr int IdentifyMajor = 0;       // firmware version
inline constexpr int IdentifyMinor = 1;       // firmware version
inline constexpr int IdentifyAcceptance = 2;  // the program takes 1 or 2 for a controller
inline constexpr int IdentifyReplyLength = 3;

// Reads: eight blocks of 16 bytes, each asked for with offset, count and a zero.
inline constexpr int ReadBlock = 16;
inline constexpr int ReadBlocks = CalibrationImage::Size / ReadBlock;
inline constexpr int ReadRequestLength = 3;

// Writes: every request carries all 16 data bytes, the chunk's offset, count and a zero before
// up to 13 image bytes; ten chunks in order, the last of 11 bytes at 117.
inline constexpr int ChunkHeader = 3;
inline constexpr int WriteChunk = MaxData - ChunkHeader;                                    // 13
inline constexpr int WriteChunks = (CalibrationImage::Size + WriteChunk - 1) / WriteChunk;  // 10
inline constexpr int LastChunkOffset = (WriteChunks - 1) * WriteChunk;                      // 117
inline constexpr int LastChunkCount = CalibrationImage::Size - LastChunkOffset;             // 11
// The last chunk's spare data bytes are not refilled: they still hold the chunk before's last
// image bytes, from 115 on, and the controller takes only a request that carries them.
inline constexpr int LastChunkSpareFrom = LastChunkOffset - WriteChunk + LastChunkCount;  // 115

}  // namespace wire
