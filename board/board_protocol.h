// The byte values and times of the board's serial protocol, in one place: the host side (board
// link, transfers, self-test, test programs) and the virtual board both use them.
#pragma once

#include <cstdint>

namespace orvane::board {

// Handshake: after the DTR pulse the host sends kSync and kCommandStart, the board answers
// kHandshakeAnswer.
inline constexpr std::uint8_t kSync = 0x80;
inline constexpr std::uint8_t kCommandStart = 0x2A;     // '*', also opens every command
inline constexpr std::uint8_t kHandshakeAnswer = 0x2B;  // '+'

// Command codes that follow kCommandStart.
inline constexpr std::uint8_t kSelftestCommand = 0x05;  // sent twice
inline constexpr std::uint8_t kPageDownloadUnverified = 0x07;
inline constexpr std::uint8_t kPageDownloadVerified = 0x08;
inline constexpr std::uint8_t kByteDownloadUnverified = 0x09;
inline constexpr std::uint8_t kByteDownloadVerified = 0x0A;

// Self-test answers: the memory type, then the result.
inline constexpr std::uint8_t kMemoryAt28c64b = 0x01;
inline constexpr std::uint8_t kMemoryAt28c64 = 0x02;
inline constexpr std::uint8_t kSelftestCompleted = 0x03;
inline constexpr std::uint8_t kSelftestFailed = 0x04;

// What the memory-test program reports while it runs.
inline constexpr std::uint8_t kMemoryTestProgress = 0x4C;  // 'L'
inline constexpr std::uint8_t kMemoryTestSuccess = 0x53;   // 'S'
inline constexpr std::uint8_t kMemoryTestFailure = 0x46;   // 'F'

// A page of the page transfer never crosses a multiple of this.
inline constexpr int kPageSize = 64;

// Times of the connection, in milliseconds.
inline constexpr int kDtrPulseMs = 2;          // before the fall, and the low time
inline constexpr int kUsbConverterWaitMs = 5;  // after the rise, with a USB converter
inline constexpr int kHandshakeTimeoutMs = 100;
inline constexpr int kScanPauseMs = 50;  // after each failed scan attempt

// Read time-outs within which the board answers, in milliseconds.
// The transfers: each echo until the first page acknowledgement, then everything after it (the
// board writes a page into its memory chip before it acknowledges, and may still be writing).
inline constexpr int kTransferEchoTimeoutMs = 100;
inline constexpr int kPageAcknowledgeTimeoutMs = 300;
// The self-test: the memory type, then the result, each counted from the start of its read.
inline constexpr int kSelftestAnswerTimeoutMs = 1000;
// The running test programs: each echo of the serial test's program, and the longest gap
// between the memory test program's reports.
inline constexpr int kEchoProgramTimeoutMs = 100;
inline constexpr int kMemoryReportTimeoutMs = 1000;

// The rate the board's monitor listens at, in bit/s.
inline constexpr std::uint32_t kDefaultBaudRate = 57600;

// One byte on the line at 8 data bits, no parity, one stop bit.
inline constexpr int kBitsPerByte = 10;

}  // namespace orvane::board
