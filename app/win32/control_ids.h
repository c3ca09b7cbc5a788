// Identifiers of the windows' commands and controls, in one place.
#pragma once

namespace orvane::app::ids {

// Commands of the main window: menu items, toolbar buttons and shortcuts share them.
inline constexpr int kOpenDownload = 101;
inline constexpr int kRedownload = 102;
inline constexpr int kExit = 103;
inline constexpr int kTesting = 104;
// Items of the View menu: windows that may open while a command runs.
inline constexpr int kSerialTerminal = 105;
inline constexpr int kVirtualBoard = 106;
inline constexpr int kDebugger = 107;
// The Recent Files items are kRecentFileFirst + their position (group index) in the sub-menu.
inline constexpr int kRecentFileFirst = 200;
inline constexpr int kRecentFileLimit = 1000;  // far more items than the settings file can count

// Controls of the main window.
inline constexpr int kToolBar1 = 1001;
inline constexpr int kGbDownloadOption = 1002;
inline constexpr int kCbCOMOption = 1003;
inline constexpr int kLCOMOption = 1004;
inline constexpr int kCbBaudrateOption = 1005;
inline constexpr int kLBaudrateOption = 1006;
inline constexpr int kCbAutoDetect = 1007;
inline constexpr int kCbUSBOption = 1008;
inline constexpr int kRgTestingOption = 1009;
inline constexpr int kRgDownloadAlg = 1010;
inline constexpr int kImage1 = 1011;
inline constexpr int kStatusBar1 = 1012;
// Radio buttons of the groups: the group's first id + the item's index.
inline constexpr int kTestingOptionFirst = 1100;
inline constexpr int kDownloadAlgFirst = 1120;

// Controls of the progress window.
inline constexpr int kForm2Label1 = 2001;
inline constexpr int kForm2PbDownload = 2002;
inline constexpr int kForm2BitBtn1 = 2003;

// Controls of the testing window.
inline constexpr int kForm3Panel1 = 3001;
inline constexpr int kForm3RichEdit1 = 3002;
inline constexpr int kForm3ProgressBar1 = 3003;
inline constexpr int kForm3BitBtn1 = 3004;

// Controls of the serial terminal window.
inline constexpr int kTerminalText = 4001;
inline constexpr int kTerminalHex = 4002;
inline constexpr int kTerminalClear = 4003;
inline constexpr int kTerminalLineEnd = 4004;

}  // namespace orvane::app::ids
