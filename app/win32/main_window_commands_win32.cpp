// The main window's commands. Each handler hands its work to the portable logic through
// Controls(), BoardLink() and the windows; a handler whose command is not built yet does nothing.
#include <functional>

#include "app/download_commands.h"
#include "app/win32/main_window.h"
#include "app/win32/progress_window.h"
#include "app/win32/testing_window.h"
#include "testing/board_tests.h"

namespace orvane::app {
namespace {

// OpenDialog1 as the download commands use it, shown over the main window.
class MainWindowOpenDialog : public OpenFileDialogView {
 public:
  MainWindowOpenDialog(Win32OpenDialog& dialog, HWND owner) : dialog_(dialog), owner_(owner) {}
  bool Execute() override { return dialog_.Execute(owner_); }
  std::string FileName() const override { return dialog_.FileName; }
  void SetFileName(const std::string& fileName) override { dialog_.FileName = fileName; }

 private:
  Win32OpenDialog& dialog_;
  HWND owner_;
};

// What the windows that stand aside during a command say it is doing.
constexpr const char* kDownloadCommand = "downloading";
constexpr const char* kTestingCommand = "testing";

// A second command asked for while one runs (its scan or transfer lets messages run) is dropped.
void RunDownloadCommand(TForm1& form, const std::function<void(DownloadCommands&)>& command) {
  form.Commands().Run(kDownloadCommand, [&] {
    MainWindowOpenDialog dialog(form.OpenDialog1, form.Handle());
    DownloadCommands commands(form.BoardLink(), form.Form2(), dialog, form.RecentFilesList(),
                              form.HexFile, form.Image);
    command(commands);
  });
}

}  // namespace

void TForm1::OpenDownload1Click() {
  RunDownloadCommand(*this, [](DownloadCommands& commands) { commands.OpenDownload1Click(); });
}

void TForm1::Redownload1Click() {
  RunDownloadCommand(*this, [](DownloadCommands& commands) { commands.Redownload1Click(); });
}

void TForm1::RecentFileClick(int groupIndex) {
  RunDownloadCommand(
      *this, [groupIndex](DownloadCommands& commands) { commands.RecentFileClick(groupIndex); });
}

void TForm1::Testing1Click() {
  commands_.Run(kTestingCommand, [this] {
    boardtest::BoardTests tests(BoardLink(), Form2(), Form3(), HexFile, Image);
    tests.Testing1Click();
  });
}

}  // namespace orvane::app
