// The texts that the board link shows and writes into the status bar. The download and test
// commands reuse the long board-check message.
#pragma once

namespace orvane::board {

// Message boxes.
inline constexpr const char* kSelectComAndBaudrateText = "Please select COM and Baudrate";
// Follows the port name: "COM3 already used by other application".
inline constexpr const char* kPortInUseSuffix = " already used by other application";
// After a scan that found no board (and after a failed connection of a download).
inline constexpr const char* kBoardCheckText =
    "Board can't initialized\r\n"
    "Do following check : \r\n"
    "1. Check serial cable connection\r\n"
    "2. Make sure the 9VAC transformer is plugged in at both ends\r\n"
    "    If power is getting to the board, the 7805 regulator will\r\n"
    "    be warm\r\n"
    "3. Make sure the memory type is right, do selftest to get\r\n"
    "    memory type";

// What the board link writes into the status bar's panels.
inline constexpr const char* kDetectingText = "Detecting......";
inline constexpr const char* kConnectedAtText = "Connected at";
inline constexpr const char* kAutoDetectText = "AutoDetect";

// The entries of the main window's rate list, which a scan walks from the last one down.
inline constexpr const char* kBaudRateItems[] = {"2400", "4800", "9600", "19200", "57600"};
inline constexpr int kDefaultBaudRateItem = 4;  // "57600"

}  // namespace orvane::board
