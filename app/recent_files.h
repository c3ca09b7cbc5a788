// The settings file of the main window and the Recent Files list it holds: the folder of the
// last file downloaded and up to eleven recently downloaded HEX files, shown newest on top in the
// Recent Files sub-menu. Every read and write goes to the settings file at once.
//
// Settings file layout (names compared without regard to case):
//   [Directory]   Dir=<folder of the last file downloaded>
//   [File Count]  count=<number of recent files, decimal>
//   [Files]       File1=<oldest> ... File<count>=<newest>
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "app/ini_profile.h"
#include "ui/views/views.h"

namespace orvane::app {

inline constexpr int kMaxRecentFiles = 11;
// The sub-menu shows at most this many items however large a hand-edited count is, so that a
// damaged file cannot stall the start-up building millions of items.
inline constexpr int kMaxRecentMenuItems = 100;

inline constexpr const char* kDirectorySection = "Directory";
inline constexpr const char* kDirectoryKey = "Dir";
inline constexpr const char* kFileCountSection = "File Count";
inline constexpr const char* kFileCountKey = "count";
inline constexpr const char* kFilesSection = "Files";
inline constexpr const char* kFileKeyPrefix = "File";
// What a missing folder or file entry reads as.
inline constexpr const char* kMissingEntry = "none";

// A whole number as the settings file stores it: decimal, or hexadecimal after "0x"/"0X", with
// an optional sign; anything else, or a number beyond the int range, gives 0.
int ParseWholeNumber(std::string_view text);

// The folder part of a file name: the text before its last '\' or ':'. The ':' is kept, and so
// is a '\' that follows ':' or '\' or starts the name, so C:\work\prog.hex gives C:\work,
// C:\prog.hex gives C:\ and a bare name gives an empty folder.
std::string FolderOfFileName(std::string_view fileName);

// "File" followed by n in decimal.
std::string FileKey(int n);
// "&k path": the top item is numbered 0.
std::string RecentItemCaption(int position, std::string_view path);
// "name1" followed by position + 1 (name11, name12, ...).
std::string RecentItemName(int position);
// The file a Recent Files item names: its caption upper-cased (a to z only) with everything up
// to and including the first blank removed; a caption without a blank stays whole.
std::string FileNameFromRecentCaption(std::string_view caption);

class RecentFiles {
 public:
  // Opens the settings-file object on `settingsFile` (nothing is read yet).
  RecentFiles(std::filesystem::path settingsFile, ui::RecentFilesMenuView& RecentFiles1,
              ui::MenuPainterView& XPMenu1, ui::OpenDialogView& OpenDialog1);

  // The start-up read: the count and the folder, the folder given to the open dialog, then the
  // sub-menu built with the menu painter deactivated around it. A count below 0 is taken as 0.
  void Load();

  // Records a file just downloaded: writes its folder, reads it back into the open dialog, and
  // adds the file to the list unless it is already there in any letter case (the list keeps
  // its order then). A new file joins at the end; a full list drops File1. The sub-menu is
  // rebuilt from the file. Throws IniWriteError when the settings file cannot be written; the
  // folder is written first, so such a file stops the update before anything else changes.
  void UpdateRecentFiles(const std::string& fileName);

  // The file named by the Recent Files item at `position` (RecentFileClick).
  std::string FileNameOfItem(int position) const;

  // The recent-file count, equal to the stored "count" after every change.
  int Count() const { return count_; }
  // The folder last given to the open dialog.
  const std::string& Folder() const { return folder_; }
  IniProfile& Settings() { return settings_; }

 private:
  bool IsListed(const IniDocument& doc, const std::string& fileName) const;
  // Appends one item per counted entry, newest on top, reading every value from the file.
  void AddItems();

  IniProfile settings_;
  ui::RecentFilesMenuView& RecentFiles1_;
  ui::MenuPainterView& XPMenu1_;
  ui::OpenDialogView& OpenDialog1_;
  int count_ = 0;
  std::string folder_;
};

}  // namespace orvane::app
