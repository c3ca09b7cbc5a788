// libFuzzer target: the debug adapter's requests. Each input follows a session that has launched
// a small program (stopped at its entry), so the requests that need a board reach it; whatever
// the input, the adapter answers in well-framed protocol messages and never crashes.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "dap/adapter.h"
#include "dap/message_reader.h"

namespace {

namespace dap = orvane::dap;

void Require(bool condition) {
  if (!condition) std::abort();
}

// SJMP to itself at 0x4000, where the monitor starts a program.
constexpr const char* kProgram = ":0240000080FE40\n:00000001FF\n";

std::string Request(int seq, const std::string& command, const std::string& arguments) {
  const std::string body = R"({"seq":)" + std::to_string(seq) + R"(,"type":"request","command":")" +
                           command + R"(","arguments":)" + arguments + "}";
  return dap::Frame(body);
}

// The program's file, removed when the fuzzer ends.
struct ProgramFile {
  // Named after this object's address: one file per fuzzing process, without a system header.
  std::string path =
      (std::filesystem::temp_directory_path() /
       ("orvane-dap-fuzz-" + std::to_string(reinterpret_cast<std::uintptr_t>(this)) + ".hex"))
          .string();
  ProgramFile() { std::ofstream(path) << kProgram; }
  ~ProgramFile() { std::remove(path.c_str()); }
};

const std::string& Prologue() {
  static const ProgramFile file;
  static const std::string prologue = [] {
    const std::string& path = file.path;
    return Request(1, "initialize", "{}") +
           Request(2, "launch",
                   R"({"program":")" + path + R"(","stopOnEntry":true,"speed":"max"})") +
           Request(3, "configurationDone", "{}");
  }();
  return prologue;
}

class MemoryStream final : public dap::ByteStream {
 public:
  explicit MemoryStream(std::string input) : input_(std::move(input)) {}
  std::int64_t Read(char* into, std::size_t size) override {
    // Pieces of uneven sizes, as a pipe delivers them.
    const std::size_t count = std::min({size, input_.size() - at_, std::size_t{7} + at_ % 61});
    input_.copy(into, count, at_);
    at_ += count;
    return static_cast<std::int64_t>(count);
  }
  bool Write(const char* data, std::size_t size) override {
    output_.Feed(data, size, written_);
    return true;
  }
  std::vector<dap::Framed> written_;

 private:
  std::string input_;
  std::size_t at_ = 0;
  dap::MessageReader output_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  MemoryStream stream(Prologue() + std::string(reinterpret_cast<const char*>(data), size));
  std::ostringstream log;
  dap::RunAdapter(stream, log);
  for (const dap::Framed& message : stream.written_) {
    Require(message.kind == dap::Framed::Kind::Message);
  }
  return 0;
}
