#include "testing/board_tests.h"

#include "download/download_run.h"
#include "download/load_for_download.h"

namespace orvane::boardtest {

BoardTests::BoardTests(board::BoardLink& link, ui::ProgressWindowView& Form2,
                       ui::TestingWindowView& Form3, download::HexFile& HexFile,
                       download::MemoryImage& image,
                       std::vector<std::filesystem::path> testFileFolders)
    : link_(link),
      controls_(link.Controls()),
      Form2_(Form2),
      Form3_(Form3),
      HexFile_(HexFile),
      image_(image),
      testFileFolders_(std::move(testFileFolders)) {}

bool BoardTests::Testing1Click() { return RunTest(controls_.rgTestingOption.ItemIndex()); }

bool BoardTests::RunTest(int item) {
  if (item == kSelftestItem) return RunSelftest();
  if (item < 0 || item >= kBoardTestCount) return false;
  const BoardTest& test = kBoardTests[item];
  bool passed = RunTestProgram(test.fileName, test.title);
  if (passed) {
    Form3_.AppendText(test.description);
    if (test.exchange == Exchange::Echo) passed = EchoExchange();
    if (test.exchange == Exchange::MemoryReport) passed = MemoryReportExchange();
  } else {
    // Also into a window that stayed hidden; its next showing clears it.
    Form3_.SetText(std::string(kFailedToDownloadPrefix) + test.fileName);
  }
  Form3_.SetOkButtonVisible(true);
  return passed;
}

bool BoardTests::ConnectForTest() {
  if (controls_.cbAutoDetect.Checked()) return link_.ScanForBoard(1);
  const std::string port = controls_.cbCOMOption.Text();
  const std::string baud = controls_.cbBaudrateOption.Text();
  if (link_.ConnectBoard(port, baud)) return true;
  // An empty text has had its own message.
  if (!port.empty() && !baud.empty()) {
    controls_.errors.ShowError(kCantFindBoardPrefix + link_.Port().Port());
  }
  return false;
}

bool BoardTests::RunTestProgram(const std::string& fileName, const std::string& title) {
  const auto found = FindTestFile(fileName, testFileFolders_);
  if (found) HexFile_.Assign(found->string());
  if (!found || !HexFile_.Open()) {
    controls_.errors.ShowError(kTestFilePrefix + fileName + kTestFileNotFoundSuffix);
    return false;
  }
  // A read error (HexFileError) is not caught: it ends the command like any uncaught error.
  if (const auto refusal = download::LoadOpenedForDownload(HexFile_, image_)) {
    controls_.errors.ShowError(*refusal);
    return false;
  }
  if (!ConnectForTest()) return false;

  const bool succeeded = download::DownloadRun(link_, image_, Form2_);
  // The run's closing words are not waited for: the testing window takes over at once.
  Form2_.Close();
  Form3_.Show();
  Form3_.SetPanelText(title);
  Form3_.FocusPanel();
  return succeeded;
}

template <typename Exchange>
bool BoardTests::ReleasingOnError(Exchange exchange) {
  try {
    return exchange();
  } catch (...) {
    // Left alone, the window would stay up without its OK button, or the main window disabled
    // behind it, while the error is reported.
    Form3_.SetOkButtonVisible(true);
    controls_.Form1.SetEnabled(true);
    throw;
  }
}

bool BoardTests::RunSelftest() {
  if (!ConnectForTest()) return false;
  Form3_.SetOkButtonVisible(false);
  Form3_.Show();
  Form3_.SetPanelText(kBoardTests[kSelftestItem].title);
  return ReleasingOnError([this] { return RunSelftestExchange(); });
}

bool BoardTests::EchoExchange() {
  return ReleasingOnError([this] { return RunEcho(); });
}

bool BoardTests::MemoryReportExchange() {
  return ReleasingOnError([this] { return RunMemoryReport(); });
}

}  // namespace orvane::boardtest
