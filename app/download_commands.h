// The three download commands of the main window: Open & Download (a file chosen in the open
// dialog), Redownload (the file named in status panel 4) and a click on a Recent Files item. All
// three run one load-and-download sequence: open the HEX file, load it, refuse what cannot be
// downloaded, connect (scan or chosen port), run the download, show its result for a moment, and
// for Open & Download and Recent Files remember the file in the settings file.
//
// Errors the commands do not catch: a read error of the loader (HexFileError), a serial port error
// (EComPort) and a settings file that cannot be written (IniWriteError) end the command at once
// and reach the program's top-level error handler. After a serial error the file is not
// remembered and the result is not shown; the download run has already closed the progress
// window and enabled the main window.
#pragma once

#include <string>
#include <string_view>

#include "app/recent_files.h"
#include "board/board_link.h"
#include "download/hex_file.h"
#include "download/memory_image.h"
#include "ui/views/main_window_controls.h"

namespace orvane::app {

// Redownload with nothing downloaded yet in this run of the program.
inline constexpr const char* kNoRecentFileText = "No recent file downloaded";
// What a name without extension gets.
inline constexpr const char* kDefaultHexExtension = ".hex";
// How long the progress window shows the result before the command closes it.
inline constexpr int kResultDisplayMs = 750;

// The open dialog as Open & Download uses it.
class OpenFileDialogView {
 public:
  virtual ~OpenFileDialogView() = default;
  // Shows the dialog modally; true when the user chose a file, false when they cancelled.
  virtual bool Execute() = 0;
  // The full name last chosen; empty until the dialog has been used in this run.
  virtual std::string FileName() const = 0;
  virtual void SetFileName(const std::string& fileName) = 0;
};

// The folder separators of a file name are '\' and ':'; on platforms other than Windows '/' is
// one too, so that the commands treat that platform's own paths in the same way.
//
// Whether a file name has an extension: a '.' after its last folder separator.
bool HasFileExtension(std::string_view fileName);
// The name part of a file name: the text after its last folder separator (all of it if none).
std::string FileNamePart(std::string_view fileName);

class DownloadCommands {
 public:
  // `HexFile` and `image` are the main window's HEX file object and memory image. Without a
  // settings file (`recentFiles` null) downloads are not remembered and Recent Files clicks do
  // nothing.
  DownloadCommands(board::BoardLink& link, ui::ProgressWindowView& Form2,
                   OpenFileDialogView& OpenDialog1, RecentFiles* recentFiles,
                   download::HexFile& HexFile, download::MemoryImage& image);

  // Open & Download: the dialog, ".hex" appended to a name without extension (in the dialog's
  // own file name, so every later use carries it), the chosen file's folder made the current
  // folder, then the sequence. Cancelling does nothing.
  void OpenDownload1Click();
  // Redownload: the name in status panel 4, opened relative to the current folder; nothing is
  // repainted before the load and nothing remembered.
  void Redownload1Click();
  // A Recent Files item, found by its position in the sub-menu (its group index): the caption
  // upper-cased with everything up to its first blank removed.
  void RecentFileClick(int groupIndex);

  // The shared sequence. `repaintBeforeLoad` repaints the main window after the file opened;
  // `remember` records the file in the settings file after a load that went through, whatever
  // the connection and the run then gave.
  void LoadAndDownload(const std::string& fileName, bool repaintBeforeLoad, bool remember);

  // The two ways a loaded image goes to the board, chosen by the auto-detection check box. Each
  // connects, runs the download, on success shows the dialog's file name in panel 4, and keeps
  // the progress window up with its result for kResultDisplayMs before closing it.
  void DownloadWithScan();
  // Only with cbAutoDetect unchecked (then ConnectForDownload connects at the chosen port).
  void DownloadAtChosenPort();

 private:
  void RunAndShowResult();

  board::BoardLink& link_;
  ui::MainWindowControls& controls_;
  ui::ProgressWindowView& Form2_;
  OpenFileDialogView& OpenDialog1_;
  RecentFiles* recentFiles_;
  download::HexFile& HexFile_;
  download::MemoryImage& image_;
};

}  // namespace orvane::app
