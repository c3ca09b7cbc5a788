#include "app/download_commands.h"

#include <filesystem>
#include <system_error>

#include "download/download_run.h"
#include "download/load_for_download.h"

namespace orvane::app {
namespace {

#ifdef _WIN32
constexpr std::string_view kFolderSeparators = "\\:";
#else
constexpr std::string_view kFolderSeparators = "\\:/";
#endif

// The chosen file's folder becomes the current folder, so that Redownload later finds the bare
// name that panel 4 keeps. The platform's dialog does this itself; doing it here as well keeps
// Redownload working whatever dialog ran. A folder that cannot be entered changes nothing: the
// open that follows reports the file.
void EnterFolderOf(const std::string& fileName) {
  const std::filesystem::path folder = std::filesystem::path(fileName).parent_path();
  if (folder.empty()) return;
  std::error_code ignored;
  std::filesystem::current_path(folder, ignored);
}

}  // namespace

bool HasFileExtension(std::string_view fileName) {
  const std::size_t last = fileName.find_last_of(kFolderSeparators);
  const std::size_t nameStart = last == std::string_view::npos ? 0 : last + 1;
  return fileName.find('.', nameStart) != std::string_view::npos;
}

std::string FileNamePart(std::string_view fileName) {
  const std::size_t last = fileName.find_last_of(kFolderSeparators);
  return std::string(last == std::string_view::npos ? fileName : fileName.substr(last + 1));
}

DownloadCommands::DownloadCommands(board::BoardLink& link, ui::ProgressWindowView& Form2,
                                   OpenFileDialogView& OpenDialog1, RecentFiles* recentFiles,
                                   download::HexFile& HexFile, download::MemoryImage& image)
    : link_(link),
      controls_(link.Controls()),
      Form2_(Form2),
      OpenDialog1_(OpenDialog1),
      recentFiles_(recentFiles),
      HexFile_(HexFile),
      image_(image) {}

void DownloadCommands::OpenDownload1Click() {
  if (!OpenDialog1_.Execute()) return;
  if (!HasFileExtension(OpenDialog1_.FileName())) {
    OpenDialog1_.SetFileName(OpenDialog1_.FileName() + kDefaultHexExtension);
  }
  EnterFolderOf(OpenDialog1_.FileName());
  LoadAndDownload(OpenDialog1_.FileName(), /*repaintBeforeLoad=*/true, /*remember=*/true);
}

void DownloadCommands::Redownload1Click() {
  const std::string fileName = controls_.StatusBar1.PanelText(ui::kFileNamePanel);
  if (fileName.empty()) {
    controls_.errors.ShowError(kNoRecentFileText);
    return;
  }
  LoadAndDownload(fileName, /*repaintBeforeLoad=*/false, /*remember=*/false);
}

void DownloadCommands::RecentFileClick(int groupIndex) {
  if (recentFiles_ == nullptr || groupIndex < 0) return;
  LoadAndDownload(recentFiles_->FileNameOfItem(groupIndex), /*repaintBeforeLoad=*/true,
                  /*remember=*/true);
}

void DownloadCommands::LoadAndDownload(const std::string& fileName, bool repaintBeforeLoad,
                                       bool remember) {
  // A read error (HexFileError) is not caught: it ends the command like any uncaught error.
  const auto stop = download::LoadForDownload(HexFile_, fileName, image_, [&] {
    if (repaintBeforeLoad) controls_.Form1.Repaint();
  });
  if (stop) {
    controls_.errors.ShowError(*stop);
    return;
  }

  if (controls_.cbAutoDetect.Checked()) {
    DownloadWithScan();
  } else {
    DownloadAtChosenPort();
  }
  // Also when no board was found or the transfer failed: the user chose this file.
  if (remember && recentFiles_ != nullptr) recentFiles_->UpdateRecentFiles(fileName);
}

void DownloadCommands::DownloadWithScan() {
  // A scan that finds nothing has said so itself.
  if (!link_.ScanForBoard(1)) return;
  RunAndShowResult();
}

void DownloadCommands::DownloadAtChosenPort() {
  // With the check box unchecked this checks the two combo box texts ("Select COM Port and
  // Baudrate"), connects at them (the board-check message when the board does not answer) and
  // shows the connection in status panels 0, 2 and 3.
  if (!download::ConnectForDownload(link_)) return;
  RunAndShowResult();
}

void DownloadCommands::RunAndShowResult() {
  if (download::DownloadRun(link_, image_, Form2_)) {
    // The file last chosen in the dialog, also after a Redownload or a recent file.
    controls_.StatusBar1.SetPanelText(ui::kFileNamePanel, FileNamePart(OpenDialog1_.FileName()));
  }
  // The result stays readable for a moment, whatever it is; nothing else runs meanwhile. A
  // program that is to end does not wait for it.
  Form2_.Repaint();
  if (!controls_.pump.EndRequested()) controls_.waiter.Wait(kResultDisplayMs);
  Form2_.Close();
}

}  // namespace orvane::app
