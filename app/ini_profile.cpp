#include "app/ini_profile.h"

#include <fstream>
#include <initializer_list>
#include <system_error>

#include "app/settings_platform.h"

namespace orvane::app {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

std::string_view Cut(std::string_view value) { return value.substr(0, kMaxProfileValueLength); }

// What one line of the file is.
struct LineKind {
  enum Type { kOther, kSection, kKey } type = kOther;
  std::string_view name;   // section or key name, trimmed
  std::string_view value;  // key lines: the value, trimmed
};

LineKind Classify(std::string_view line) {
  const std::string_view text = Trim(line);
  if (text.empty()) return {};
  if (text.front() == '[') {
    const std::string_view inner = text.substr(1);
    return {LineKind::kSection, Trim(inner.substr(0, inner.find(']'))), {}};
  }
  const std::size_t eq = text.find('=');
  if (eq == std::string_view::npos) return {};
  return {LineKind::kKey, Trim(text.substr(0, eq)), Trim(text.substr(eq + 1))};
}

// The lines of one section: [header, end), where end is the next header or the end of the file.
struct SectionRange {
  std::size_t header = 0;
  std::size_t end = 0;
  bool found = false;
};

SectionRange FindSection(const std::vector<std::string>& lines, std::string_view section) {
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const LineKind kind = Classify(lines[i]);
    if (kind.type != LineKind::kSection || !EqualIgnoringAsciiCase(kind.name, section)) continue;
    std::size_t end = i + 1;
    while (end < lines.size() && Classify(lines[end]).type != LineKind::kSection) ++end;
    return {i, end, true};
  }
  return {};
}

enum class LoadStatus { kOk, kMissing, kFailed };

LoadStatus ReadWholeFile(const fs::path& file, std::string& text) {
  text.clear();
  std::error_code ec;
  const fs::file_status status = fs::status(file, ec);
  if (status.type() == fs::file_type::not_found) return LoadStatus::kMissing;
  if (ec || status.type() == fs::file_type::directory) return LoadStatus::kFailed;
  std::ifstream in(file, std::ios::binary);
  if (!in.is_open()) return LoadStatus::kFailed;
  char chunk[4096];
  while (in.read(chunk, sizeof chunk) || in.gcount() > 0) {
    text.append(chunk, static_cast<std::size_t>(in.gcount()));
  }
  return in.bad() ? LoadStatus::kFailed : LoadStatus::kOk;
}

// Joins pieces (one allocation; also keeps GCC 12 from a false -Wrestrict on string '+').
std::string Join(std::initializer_list<std::string_view> pieces) {
  std::size_t size = 0;
  for (std::string_view piece : pieces) size += piece.size();
  std::string text;
  text.reserve(size);
  for (std::string_view piece : pieces) text.append(piece);
  return text;
}

bool HasLineEndOrNul(std::string_view s) {
  return s.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

// Names and values that would read back differently, or change other keys, once written.
bool CanBeStored(std::string_view section, std::string_view key, std::string_view value) {
  if (HasLineEndOrNul(section) || HasLineEndOrNul(key) || HasLineEndOrNul(value)) return false;
  if (Trim(section).empty() || section.find(']') != std::string_view::npos) return false;
  const std::string_view trimmedKey = Trim(key);
  return !trimmedKey.empty() && trimmedKey.front() != '[' &&
         key.find('=') == std::string_view::npos;
}

}  // namespace

IniWriteError::IniWriteError(const std::string& fileName)
    : std::runtime_error("Unable to write to " + fileName) {}

IniDocument IniDocument::Parse(std::string_view text) {
  IniDocument doc;
  // A byte-order mark from an editor would hide the first section header. Every one goes: the
  // file is written back without them, and a second one left here would then become a header
  // that hides the section written after it.
  while (text.starts_with(kUtf8Bom)) text.remove_prefix(kUtf8Bom.size());
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find_first_of("\r\n", start);
    if (end == std::string_view::npos) {
      doc.lines_.emplace_back(text.substr(start));
      break;
    }
    doc.lines_.emplace_back(text.substr(start, end - start));
    start = end + 1;
    if (text[end] == '\r' && start < text.size() && text[start] == '\n') ++start;
  }
  return doc;
}

std::string IniDocument::Format() const {
  std::string text;
  for (const std::string& line : lines_) {
    text += line;
    text += "\r\n";
  }
  return text;
}

std::string IniDocument::Read(std::string_view section, std::string_view key,
                              std::string_view defaultValue) const {
  const SectionRange range = FindSection(lines_, section);
  if (range.found) {
    for (std::size_t i = range.header + 1; i < range.end; ++i) {
      const LineKind kind = Classify(lines_[i]);
      if (kind.type == LineKind::kKey && EqualIgnoringAsciiCase(kind.name, key)) {
        return std::string(Cut(kind.value));
      }
    }
  }
  return std::string(Cut(defaultValue));
}

void IniDocument::Write(std::string_view section, std::string_view key, std::string_view value) {
  const SectionRange range = FindSection(lines_, section);
  if (!range.found) {
    lines_.push_back(Join({"[", section, "]"}));
    lines_.push_back(Join({key, "=", value}));
    return;
  }
  std::size_t lastContent = range.header;
  for (std::size_t i = range.header + 1; i < range.end; ++i) {
    const LineKind kind = Classify(lines_[i]);
    if (kind.type == LineKind::kKey && EqualIgnoringAsciiCase(kind.name, key)) {
      lines_[i] = Join({kind.name, "=", value});
      return;
    }
    if (!Trim(lines_[i]).empty()) lastContent = i;
  }
  // After the section's last line of text, so blank lines between sections stay between them.
  lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(lastContent) + 1,
                Join({key, "=", value}));
}

std::vector<std::pair<std::string, std::string>> IniDocument::Keys(std::string_view section) const {
  std::vector<std::pair<std::string, std::string>> keys;
  const SectionRange range = FindSection(lines_, section);
  if (!range.found) return keys;
  for (std::size_t i = range.header + 1; i < range.end; ++i) {
    const LineKind kind = Classify(lines_[i]);
    if (kind.type != LineKind::kKey) continue;
    bool seen = false;
    for (const auto& [name, unused] : keys) seen = seen || EqualIgnoringAsciiCase(name, kind.name);
    if (!seen) keys.emplace_back(std::string(kind.name), std::string(Cut(kind.value)));
  }
  return keys;
}

IniProfile::IniProfile(fs::path file) : file_(std::move(file)) {}

IniDocument IniProfile::Load() const {
  std::string text;
  if (ReadWholeFile(file_, text) != LoadStatus::kOk) return {};
  return IniDocument::Parse(text);
}

std::string IniProfile::ReadString(std::string_view section, std::string_view key,
                                   std::string_view defaultValue) const {
  return Load().Read(section, key, defaultValue);
}

void IniProfile::WriteString(std::string_view section, std::string_view key,
                             std::string_view value) {
  const std::string fileName = file_.filename().string();
  if (!CanBeStored(section, key, value)) throw IniWriteError(fileName);
  std::string text;
  // A file that exists but cannot be read must not be replaced by one holding only this key.
  if (ReadWholeFile(file_, text) == LoadStatus::kFailed) throw IniWriteError(fileName);
  IniDocument doc = IniDocument::Parse(text);
  doc.Write(section, key, value);
  if (!ReplaceFileContents(file_, doc.Format(), beforeReplace_)) throw IniWriteError(fileName);
}

}  // namespace orvane::app
