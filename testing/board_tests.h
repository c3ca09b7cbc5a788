// The testing command of the main window and everything it runs: the board's self-test, the five
// test programs (load, connect, download run, description) and the two exchanges with a running
// test program (the serial echo and the memory report). The Windows program, the command-line
// tool and the tests all drive this one implementation through the views of ui/.
//
// Nothing here processes window messages: the windows are repainted only where stated. Every
// read on the line is bounded by the read time-out it sets. The port stays open after a test.
//
// Errors not caught: a read error of a test file (HexFileError) and a serial port error
// (EComPort). A serial error during the self-test or an exchange first makes the testing
// window's OK button visible and enables the main window, so the program stays usable behind the
// error report.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "board/board_link.h"
#include "download/hex_file.h"
#include "download/memory_image.h"
#include "testing/test_file_lookup.h"
#include "testing/testing_texts.h"
#include "ui/views/testing_window_view.h"
#include "ui/views/views.h"

namespace orvane::boardtest {

// What a silent read counts as in the memory report: the test failed.
inline constexpr std::uint8_t kNoReport = 'X';
// A memory report that goes on with bytes that mean nothing ends as failed after this many of
// them, so that a babbling line cannot hold the program for ever.
inline constexpr int kMaxIgnoredReportBytes = 1024;

class BoardTests {
 public:
  // `Form2` is the progress window of the download run, `Form3` the testing window; `HexFile`
  // and `image` are the main window's HEX file object and memory image. Test files are looked
  // for in `testFileFolders` (see test_file_lookup.h).
  BoardTests(board::BoardLink& link, ui::ProgressWindowView& Form2, ui::TestingWindowView& Form3,
             download::HexFile& HexFile, download::MemoryImage& image,
             std::vector<std::filesystem::path> testFileFolders = TestFileFolders());

  // Runs the test chosen in rgTestingOption (none chosen: nothing). True when it passed: the
  // self-test completed, the serial or memory test done, or another test's program downloaded.
  bool Testing1Click();
  // Runs one test by its item of rgTestingOption.
  bool RunTest(int item);

  // The self-test: connects, sends '*' 0x05 0x05 and shows the memory type and the result. True
  // when it read "completed" with no failed write or read.
  bool RunSelftest();
  // Loads and downloads a test program, then shows the testing window with the title. True when
  // the download run succeeded. Refuses, with the download commands' messages, a file that does
  // not load or cannot be downloaded.
  bool RunTestProgram(const std::string& fileName, const std::string& title);
  // After the serial test's download: 0 to 255 out, each echoed within 100 ms.
  bool EchoExchange();
  // After the memory test's download: the program's 'L' ... 'S' or 'F'.
  bool MemoryReportExchange();

 private:
  // The connection every test begins with: the scan, or the port and rate chosen, reporting a
  // board that did not answer there as "Can't find Orvane board at <port>".
  bool ConnectForTest();
  bool RunSelftestExchange();
  bool RunEcho();
  bool RunMemoryReport();
  void PrepareExchange(int maximum, int readTimeoutMs);
  // Runs `exchange`; should the port raise an error, the window gets its OK button back and the
  // main window is enabled before the error goes on.
  template <typename Exchange>
  bool ReleasingOnError(Exchange exchange);

  board::BoardLink& link_;
  ui::MainWindowControls& controls_;
  ui::ProgressWindowView& Form2_;
  ui::TestingWindowView& Form3_;
  download::HexFile& HexFile_;
  download::MemoryImage& image_;
  std::vector<std::filesystem::path> testFileFolders_;
};

}  // namespace orvane::boardtest
