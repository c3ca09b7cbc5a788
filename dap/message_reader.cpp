#include "dap/message_reader.h"

#include <algorithm>
#include <cctype>
#include <string_view>

namespace orvane::dap {
namespace {

constexpr std::string_view kEnd = "\r\n\r\n";
constexpr std::string_view kLengthField = "content-length";

bool SameLetters(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) == y;
         });
}

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

// The body's size the header block gives, or an error text.
bool ParseHeader(std::string_view block, std::size_t& size, std::string& error) {
  bool found = false;
  while (!block.empty()) {
    const std::size_t end = std::min(block.find("\r\n"), block.size());
    const std::string_view line = block.substr(0, end);
    block.remove_prefix(std::min(end + 2, block.size()));
    const std::size_t colon = line.find(':');
    if (colon == std::string_view::npos) {
      error = "a header line without a colon";
      return false;
    }
    if (!SameLetters(Trimmed(line.substr(0, colon)), kLengthField)) continue;
    const std::string_view value = Trimmed(line.substr(colon + 1));
    if (value.empty() || value.size() > 9 ||
        !std::all_of(value.begin(), value.end(), [](char c) { return c >= '0' && c <= '9'; })) {
      error = "Content-Length is not a number";
      return false;
    }
    size = std::stoul(std::string(value));
    found = true;
  }
  if (!found) {
    error = "a header without Content-Length";
    return false;
  }
  if (size > kMaxBodySize) {
    error = "Content-Length " + std::to_string(size) + " is larger than the " +
            std::to_string(kMaxBodySize) + " bytes accepted";
    return false;
  }
  return true;
}

}  // namespace

void MessageReader::Feed(const char* data, std::size_t size, std::vector<Framed>& out) {
  buffer_.append(data, size);
  for (;;) {
    if (inBody_) {
      if (buffer_.size() < bodySize_) return;
      out.push_back({Framed::Kind::Message, buffer_.substr(0, bodySize_)});
      buffer_.erase(0, bodySize_);
      inBody_ = false;
      continue;
    }
    const std::size_t before = buffer_.size();
    ReadHeader(out);
    if (inBody_) continue;
    if (buffer_.size() == before) return;  // waiting for more of the header
  }
}

void MessageReader::ReadHeader(std::vector<Framed>& out) {
  const std::size_t end = buffer_.find(kEnd);
  if (skipping_) {
    if (end == std::string::npos) {
      // Keep what could be the start of the block's end.
      buffer_.erase(0, buffer_.size() - std::min(buffer_.size(), kEnd.size() - 1));
      return;
    }
    buffer_.erase(0, end + kEnd.size());
    skipping_ = false;
    return;
  }
  if (end == std::string::npos) {
    if (buffer_.size() <= kMaxHeaderSize) return;
    out.push_back(
        {Framed::Kind::Error, "a header longer than " + std::to_string(kMaxHeaderSize) + " bytes"});
    skipping_ = true;
    return;
  }
  std::string error;
  std::size_t size = 0;
  if (end > kMaxHeaderSize) {
    error = "a header longer than " + std::to_string(kMaxHeaderSize) + " bytes";
  } else if (ParseHeader(std::string_view(buffer_).substr(0, end), size, error)) {
    bodySize_ = size;
    inBody_ = true;
  }
  if (!inBody_) out.push_back({Framed::Kind::Error, error});
  buffer_.erase(0, end + kEnd.size());
}

std::string Frame(const std::string& body) {
  return "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}

}  // namespace orvane::dap
