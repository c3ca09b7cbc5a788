// libFuzzer target: the settings reader on arbitrary file contents. Any text parses; reading a
// key never returns more than the profile functions' buffer; a key written is read back as
// written, every other key keeps its value, and the written file reads the same after a new
// parse. The numbers of the file parse to some int without overflow.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "app/ini_profile.h"
#include "app/recent_files.h"

namespace {

using namespace orvane::app;

void Require(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  IniDocument doc = IniDocument::Parse(text);
  const std::string count = doc.Read(kFileCountSection, kFileCountKey, "0");
  Require(count.size() <= kMaxProfileValueLength);
  (void)ParseWholeNumber(count);
  (void)FolderOfFileName(doc.Read(kDirectorySection, kDirectoryKey, kMissingEntry));
  const auto files = doc.Keys(kFilesSection);
  for (const auto& [key, value] : files)
    Require(doc.Read(kFilesSection, key, "?") == value.substr(0, kMaxProfileValueLength));

  // The file as the program writes it back after a download.
  const std::string before = doc.Read(kDirectorySection, kDirectoryKey, kMissingEntry);
  doc.Write(kFileCountSection, kFileCountKey, "3");
  doc.Write(kFilesSection, "File3", "C:\\WORK\\PROG.HEX");
  Require(doc.Read(kFileCountSection, kFileCountKey, "") == "3");
  Require(doc.Read(kFilesSection, "file3", "") == "C:\\WORK\\PROG.HEX");
  Require(doc.Read(kDirectorySection, kDirectoryKey, kMissingEntry) == before);
  const IniDocument again = IniDocument::Parse(doc.Format());
  Require(again.Read(kFileCountSection, kFileCountKey, "") == "3");
  Require(again.Read(kFilesSection, "File3", "") == "C:\\WORK\\PROG.HEX");
  return 0;
}
