// Settings in an INI-style text file, read and written key by key with the behaviour programs
// expect of the Windows profile functions: a read returns the stored value or the caller's
// default; a write changes one key at once, leaving every other line as it was, and a missing
// section is added at the end. Section and key names are compared without regard to letter case.
//
// The file is written as the Windows profile functions write it (no blanks around '=', CRLF
// line ends) on every platform, so a settings file moves between systems; LF files are read too.
// Every write replaces the whole file through a temporary file beside it, so an interrupted
// write leaves either the old or the new file, never a truncated one.
#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "serial/ascii.h"

namespace orvane::app {

// The longest value a read returns (the profile functions' 2048-byte buffer less its NUL).
inline constexpr std::size_t kMaxProfileValueLength = 2047;

// A settings file that could not be written; the text is "Unable to write to <file name>".
class IniWriteError : public std::runtime_error {
 public:
  explicit IniWriteError(const std::string& fileName);
};

// The text of an INI file as lines, with the lookup and the one-key edit that the profile
// functions perform. Lines that are neither a section header nor a key line (comments, blank
// lines, text before the first section) are kept as they are.
class IniDocument {
 public:
  IniDocument() = default;
  // Splits at LF, CRLF or a lone CR; a last line without a line end counts as a line.
  static IniDocument Parse(std::string_view text);
  // Every line followed by CRLF.
  std::string Format() const;

  // The value of the first matching key in the first matching section, cut to
  // kMaxProfileValueLength characters; `defaultValue` (cut the same way) when there is none.
  std::string Read(std::string_view section, std::string_view key,
                   std::string_view defaultValue) const;
  // Replaces the value of the first matching key, keeping the key's stored spelling; else adds
  // "key=value" after the last key of the section; else adds the section at the end.
  void Write(std::string_view section, std::string_view key, std::string_view value);

  // The keys of a section in file order, each with its value (first occurrence of a name only).
  std::vector<std::pair<std::string, std::string>> Keys(std::string_view section) const;

  const std::vector<std::string>& Lines() const { return lines_; }

 private:
  std::vector<std::string> lines_;
};

// Called after the new content has been written and flushed to the temporary file and before it
// replaces the settings file. Tests throw from it to stand for a crash at that moment.
using BeforeReplaceHook = std::function<void(const std::filesystem::path& temporaryFile)>;

// One settings file, accessed key by key. It holds no open file and caches nothing: every read
// reads the file and every write rewrites it at once.
class IniProfile {
 public:
  explicit IniProfile(std::filesystem::path file);

  const std::filesystem::path& File() const { return file_; }

  // The stored value or `defaultValue`; a missing or unreadable file reads as empty.
  std::string ReadString(std::string_view section, std::string_view key,
                         std::string_view defaultValue) const;
  // Throws IniWriteError when the file cannot be written, and for names or values that the
  // file cannot hold (a line end anywhere, ']' in a section name, '=' in a key name, an empty
  // section or key name), which would otherwise change other keys.
  void WriteString(std::string_view section, std::string_view key, std::string_view value);

  // The whole file as it is now (empty when missing or unreadable).
  IniDocument Load() const;

  void SetBeforeReplaceHook(BeforeReplaceHook hook) { beforeReplace_ = std::move(hook); }

 private:
  std::filesystem::path file_;
  BeforeReplaceHook beforeReplace_;
};

// The settings file ignores the letter case of a to z only.
using serial::EqualIgnoringAsciiCase;
using serial::UpperCaseAscii;

}  // namespace orvane::app
