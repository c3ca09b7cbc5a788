#include "app/settings_platform.h"

#include <atomic>
#include <string>
#include <system_error>

namespace orvane::app {

namespace fs = std::filesystem;

namespace {

// Removes the temporary file unless the rename took it.
class TemporaryFile {
 public:
  explicit TemporaryFile(fs::path path) : path_(std::move(path)) {}
  ~TemporaryFile() {
    std::error_code ignored;
    if (!kept_) fs::remove(path_, ignored);
  }
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;

  const fs::path& Path() const { return path_; }
  void Keep() { kept_ = true; }

 private:
  fs::path path_;
  bool kept_ = false;
};

}  // namespace

bool ReplaceFileContents(const fs::path& file, std::string_view content,
                         const BeforeReplaceHook& beforeReplace) {
  const fs::path target = ReplacementTarget(file);
  static std::atomic<unsigned> sequence{0};
  fs::path temporary = target;
  temporary += "." + std::to_string(ProcessNumber()) + "-" + std::to_string(sequence++) + ".tmp";

  TemporaryFile tmp(temporary);
  if (!WriteNewFileDurably(tmp.Path(), content, target)) return false;
  if (beforeReplace) beforeReplace(tmp.Path());
  if (!RenameDurably(tmp.Path(), target)) return false;
  tmp.Keep();
  return true;
}

}  // namespace orvane::app
