#include "app/recent_files.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <utility>
#include <vector>

#include "download/hex_loader.h"

namespace orvane::app {

namespace {

int DigitValue(char c, int base) {
  const int value = download::HexDigitValue(c);
  return value >= 0 && value < base ? value : -1;
}

// The n of a key "File<n>" (any letter case, n in canonical decimal), or 0 for any other key.
int FileKeyNumber(std::string_view key) {
  const std::string_view prefix = kFileKeyPrefix;
  if (key.size() <= prefix.size() ||
      !EqualIgnoringAsciiCase(key.substr(0, prefix.size()), prefix)) {
    return 0;
  }
  const std::string_view digits = key.substr(prefix.size());
  if (digits.front() < '1' || digits.front() > '9') return 0;
  const int n = ParseWholeNumber(digits);
  return FileKey(n) == std::string(prefix) + std::string(digits) ? n : 0;
}

}  // namespace

int ParseWholeNumber(std::string_view text) {
  bool negative = false;
  if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  int base = 10;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    base = 16;
    text.remove_prefix(2);
  }
  if (text.empty()) return 0;
  constexpr std::int64_t kLimit = std::int64_t{std::numeric_limits<int>::max()} + 1;
  std::int64_t value = 0;
  for (char c : text) {
    const int digit = DigitValue(c, base);
    if (digit < 0) return 0;
    value = value * base + digit;
    if (value > kLimit) return 0;
  }
  if (negative) value = -value;
  if (value > std::numeric_limits<int>::max()) return 0;
  return static_cast<int>(value);
}

std::string FolderOfFileName(std::string_view fileName) {
  const std::size_t last = fileName.find_last_of("\\:");
  if (last == std::string_view::npos) return {};
  const bool dropSeparator =
      fileName[last] == '\\' && last > 0 && fileName[last - 1] != ':' && fileName[last - 1] != '\\';
  return std::string(fileName.substr(0, dropSeparator ? last : last + 1));
}

std::string FileKey(int n) { return kFileKeyPrefix + std::to_string(n); }

std::string RecentItemCaption(int position, std::string_view path) {
  std::string caption = "&";
  caption += std::to_string(position);
  caption += ' ';
  caption += path;
  return caption;
}

std::string RecentItemName(int position) { return "name1" + std::to_string(position + 1); }

std::string FileNameFromRecentCaption(std::string_view caption) {
  const std::string upper = UpperCaseAscii(caption);
  const std::size_t blank = upper.find(' ');
  return blank == std::string::npos ? upper : upper.substr(blank + 1);
}

RecentFiles::RecentFiles(std::filesystem::path settingsFile, ui::RecentFilesMenuView& RecentFiles1,
                         ui::MenuPainterView& XPMenu1, ui::OpenDialogView& OpenDialog1)
    : settings_(std::move(settingsFile)),
      RecentFiles1_(RecentFiles1),
      XPMenu1_(XPMenu1),
      OpenDialog1_(OpenDialog1) {}

void RecentFiles::Load() {
  const IniDocument doc = settings_.Load();
  // A negative count would number new entries File0, File-1, ... which no item ever shows.
  count_ = std::max(0, ParseWholeNumber(doc.Read(kFileCountSection, kFileCountKey, "0")));
  folder_ = doc.Read(kDirectorySection, kDirectoryKey, kMissingEntry);
  OpenDialog1_.SetInitialDir(folder_);

  XPMenu1_.Deactivate();
  AddItems();
  XPMenu1_.Activate();
}

void RecentFiles::UpdateRecentFiles(const std::string& fileName) {
  settings_.WriteString(kDirectorySection, kDirectoryKey, FolderOfFileName(fileName));
  folder_ = settings_.ReadString(kDirectorySection, kDirectoryKey, kMissingEntry);
  OpenDialog1_.SetInitialDir(folder_);

  const bool listed = IsListed(settings_.Load(), fileName);

  RecentFiles1_.Clear();
  XPMenu1_.Deactivate();
  try {
    if (listed) {
      // The file keeps its place; it is not moved to the top.
    } else if (count_ >= kMaxRecentFiles) {
      // Full: File1 drops out, the others move down one, the new file becomes File11.
      const IniDocument doc = settings_.Load();
      std::vector<std::string> kept;
      for (int n = 2; n <= kMaxRecentFiles; ++n) {
        kept.push_back(doc.Read(kFilesSection, FileKey(n), kMissingEntry));
      }
      for (int n = 1; n < kMaxRecentFiles; ++n) {
        settings_.WriteString(kFilesSection, FileKey(n), kept[static_cast<std::size_t>(n - 1)]);
      }
      settings_.WriteString(kFilesSection, FileKey(kMaxRecentFiles), fileName);
    } else {
      const int newCount = count_ + 1;
      settings_.WriteString(kFileCountSection, kFileCountKey, std::to_string(newCount));
      count_ = newCount;
      settings_.WriteString(kFilesSection, FileKey(count_), fileName);
    }
  } catch (...) {
    // The error ends the command, but the sub-menu must not stay empty and unpainted until the
    // next download: show what the file now holds.
    AddItems();
    XPMenu1_.Activate();
    throw;
  }
  AddItems();
  XPMenu1_.Activate();
}

std::string RecentFiles::FileNameOfItem(int position) const {
  return FileNameFromRecentCaption(RecentFiles1_.ItemCaption(position));
}

bool RecentFiles::IsListed(const IniDocument& doc, const std::string& fileName) const {
  // Equal to reading File1 ... File<count> in turn, without one read per counted entry.
  const std::string wanted = UpperCaseAscii(fileName);
  int present = 0;
  for (const auto& [key, value] : doc.Keys(kFilesSection)) {
    const int n = FileKeyNumber(key);
    if (n < 1 || n > count_) continue;
    ++present;
    if (UpperCaseAscii(value) == wanted) return true;
  }
  // An entry missing inside the counted range reads as "none".
  return present < count_ && wanted == UpperCaseAscii(kMissingEntry);
}

void RecentFiles::AddItems() {
  const IniDocument doc = settings_.Load();
  const int shown = std::min(count_, kMaxRecentMenuItems);
  for (int k = 0; k < shown; ++k) {
    const std::string path = doc.Read(kFilesSection, FileKey(count_ - k), kMissingEntry);
    RecentFiles1_.AddItem(RecentItemCaption(k, path), RecentItemName(k), k, -1);
  }
}

}  // namespace orvane::app
