// The six board tests of the main window's "Testing Option" group and the words they show: the
// title in the testing window's panel, the description of what a test program does on the board,
// the results and the messages.
#pragma once

namespace orvane::boardtest {

// What follows a test program's download.
enum class Exchange {
  None,          // nothing: what the program does is seen on the board
  Echo,          // the serial test: every value sent comes back
  MemoryReport,  // the memory test reports its progress and outcome
};

struct BoardTest {
  const char* optionText;   // the item of rgTestingOption
  const char* fileName;     // the test program, or null for the self-test
  const char* title;        // what Panel1 shows
  const char* description;  // appended after a successful download
  Exchange exchange;
};

// Indexed by rgTestingOption.ItemIndex.
inline constexpr int kSelftestItem = 0;
inline constexpr int kBoardTestCount = 6;
inline constexpr BoardTest kBoardTests[kBoardTestCount] = {
    {"Selftest", nullptr, "Selftest", nullptr, Exchange::None},
    {"Test Port1", "wave1.hex", "Port1 Testing",
     "This test output squarewave\r\nsignal at Port1(0..7)", Exchange::None},
    {"Test PPI", "wave2.hex", "PPI Testing",
     "This test output squarewave\r\nsignal at PortA..PortC", Exchange::None},
    {"Test Serial", "echo.hex", "Serial Testing",
     "This test sending data 0-255\r\nand receive echo via serial port", Exchange::Echo},
    {"Test Memory", "memrw.hex", "Memory Testing",
     "This test write data 0-255 to memory\r\nthen read and check", Exchange::MemoryReport},
    {"Test LCD", "dispmsg.hex", "LCD Testing",
     "This test display symbol & text\r\nto LCD if connected at LCD Port", Exchange::None},
};

inline constexpr const char* kLineBreak = "\r\n";

// The self-test's lines.
inline constexpr const char* kMemoryAt28c64bLine = "Memory : AT28C64B\r\n";
inline constexpr const char* kMemoryAt28c64Line = "Memory : AT28C64\r\n";
inline constexpr const char* kSelftestCompletedText = "Selftest completed";
inline constexpr const char* kSelftestFailedText = "Selftest failed";
inline constexpr const char* kCommunicationFailedText = "Communication failed";

// The exchanges' outcomes, each after a blank line.
inline constexpr const char* kResultSeparator = "\r\n\r\n";
inline constexpr const char* kSerialDoneText = "Serial testing done";
inline constexpr const char* kSerialFailedText = "Serial testing failed";
inline constexpr const char* kMemoryDoneText = "Memory testing done";
inline constexpr const char* kMemoryFailedText = "Memory testing failed";

// Messages: "Test file wave1.hex not found", "Can't find Orvane board at COM3", and the text of a
// test whose download did not succeed: "Failed to download file wave1.hex".
inline constexpr const char* kTestFilePrefix = "Test file ";
inline constexpr const char* kTestFileNotFoundSuffix = " not found";
inline constexpr const char* kCantFindBoardPrefix = "Can't find Orvane board at ";
inline constexpr const char* kFailedToDownloadPrefix = "Failed to download file ";

}  // namespace orvane::boardtest
