#include "download/hex_file.h"

#include <cerrno>
#include <filesystem>
#include <system_error>
#include <utility>

namespace orvane::download {
namespace {

[[noreturn]] void ThrowPlatformError(int error) {
  throw HexFileError(std::generic_category().message(error));
}

}  // namespace

void HexFile::Assign(std::string fileName) {
  Close();
  fileName_ = std::move(fileName);
  inMemory_ = false;
  text_.clear();
}

void HexFile::AssignText(std::string text) {
  Close();
  fileName_ = "(text)";
  inMemory_ = true;
  text_ = std::move(text);
}

bool HexFile::Open() {
  Close();
  line_ = 1;
  newlinesRead_ = 0;
  if (inMemory_) {
    textOpen_ = true;
    textPosition_ = 0;
    return true;
  }
  if (fileName_.empty()) return false;
  // A folder opens as a stream on some platforms and then fails at the first read; it is as
  // much "not found" as a missing file.
  std::error_code ignored;
  if (std::filesystem::is_directory(fileName_, ignored)) return false;
  // Binary mode: CR and LF reach the loader as they are, and a Ctrl+Z ends nothing.
  file_.reset(std::fopen(fileName_.c_str(), "rb"));
  return file_ != nullptr;
}

void HexFile::Close() {
  file_.reset();
  textOpen_ = false;
}

void HexFile::RequireOpen() const {
  if (!IsOpen()) throw HexFileError("File not open");
}

void HexFile::Rewind() {
  RequireOpen();
  line_ = 1;
  newlinesRead_ = 0;
  if (textOpen_) {
    textPosition_ = 0;
    return;
  }
  std::clearerr(file_.get());
  errno = 0;
  if (std::fseek(file_.get(), 0, SEEK_SET) != 0) ThrowPlatformError(errno);
}

char HexFile::ReadChar() {
  RequireOpen();
  char c;
  if (textOpen_) {
    if (textPosition_ >= text_.size()) throw HexFileError(kReadBeyondEndText);
    c = text_[textPosition_++];
  } else {
    errno = 0;
    const int got = std::getc(file_.get());
    if (got == EOF) {
      if (std::ferror(file_.get())) ThrowPlatformError(errno != 0 ? errno : EIO);
      throw HexFileError(kReadBeyondEndText);
    }
    c = static_cast<char>(got);
  }
  line_ = 1 + newlinesRead_;
  if (c == '\n') ++newlinesRead_;
  return c;
}

}  // namespace orvane::download
