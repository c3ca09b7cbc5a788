#include "download/hex_file.h"

#include <cerrno>
#include <climits>
#include <system_error>
#include <utility>

#include "download/regular_file.h"

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
  // Only a file on disk: a folder, a named pipe or a device is as much "not found" as a missing
  // file (and a pipe would wait for a writer forever). Binary mode: CR and LF reach the loader
  // as they are, and a Ctrl+Z ends nothing.
  const RegularFile opened = OpenRegularFile(fileName_);
  file_.reset(opened.file);
  size_ = opened.size;
  position_ = 0;
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
  position_ = 0;
}

char HexFile::ReadChar() {
  RequireOpen();
  char c;
  if (textOpen_) {
    if (textPosition_ >= text_.size()) throw HexFileError(kReadBeyondEndText);
    c = text_[textPosition_++];
  } else {
    // The file as it was when opened: what another program appends meanwhile is not read, so a
    // file that keeps growing cannot keep the loader reading.
    if (position_ >= size_) throw HexFileError(kReadBeyondEndText);
    ++position_;
    errno = 0;
    const int got = std::getc(file_.get());
    if (got == EOF) {
      if (std::ferror(file_.get())) ThrowPlatformError(errno != 0 ? errno : EIO);
      throw HexFileError(kReadBeyondEndText);
    }
    c = static_cast<char>(got);
  }
  line_ = 1 + newlinesRead_;
  // Counted up to the largest line number; a file of billions of lines cannot overflow it.
  if (c == '\n' && newlinesRead_ < INT_MAX - 1) ++newlinesRead_;
  return c;
}

}  // namespace orvane::download
