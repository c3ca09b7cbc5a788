#include "support/board_server_posix.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

#include "serial/unique_fd_posix.h"

namespace orvane::test_support {
namespace {

using serial::UniqueFd;

// Both ends of a pipe, closed on every path; a child keeps only the end it was given.
struct Pipe {
  UniqueFd readEnd, writeEnd;
  bool Open() {
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) return false;
    readEnd.Reset(fds[0]);
    writeEnd.Reset(fds[1]);
    return true;
  }
};

}  // namespace

std::string OrvanePath() { return ORVANE_BINARY_DIR "/orvane"; }
std::string BoardServerPath() { return ORVANE_BINARY_DIR "/orvane-board"; }

BoardServer::BoardServer(const std::vector<std::string>& options) {
  char pattern[] = "/tmp/orvane-board-XXXXXX";
  if (mkdtemp(pattern) == nullptr) return;
  folder_ = pattern;
  link_ = folder_ + "/board";
  dump_ = folder_ + "/memory.bin";

  Pipe out;
  if (!out.Open()) return;
  std::vector<std::string> argv{BoardServerPath(), "--link", link_, "--dump", dump_};
  argv.insert(argv.end(), options.begin(), options.end());
  child_ = ChildProcess(argv, out.writeEnd.Get());
  out.writeEnd.Reset();
  // The first line is the terminal's path; the link exists by then.
  pollfd fd{out.readEnd.Get(), POLLIN, 0};
  char c = 0;
  while (poll(&fd, 1, 5000) > 0 && read(fd.fd, &c, 1) == 1 && c != '\n') terminal_ += c;
  if (terminal_.empty()) Stop();
}

BoardServer::~BoardServer() {
  Stop();
  std::error_code ignored;
  if (!folder_.empty()) std::filesystem::remove_all(folder_, ignored);
}

int BoardServer::Stop() { return child_.Stop(); }

std::vector<unsigned char> BoardServer::Dump() const { return FileBytes(dump_); }

std::vector<unsigned char> BoardServer::Memory(std::size_t size) {
  if (Stop() != 0) return {};
  std::vector<unsigned char> memory = Dump();
  memory.resize(std::min(memory.size(), size));
  return memory;
}

std::string HexDataFile(const std::string& name) {
  return std::string(ORVANE_SOURCE_DIR) + "/tests/data/hex/" + name;
}

std::vector<unsigned char> FileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

ProgramResult RunProgram(const std::vector<std::string>& argv,
                         const std::vector<std::string>& environment, int timeoutMs,
                         const OutputWatcher& watch) {
  ProgramResult result;
  Pipe out, err;
  if (!out.Open() || !err.Open()) return result;
  ChildProcess child(argv, out.writeEnd.Get(), err.writeEnd.Get(), environment, SIGKILL);
  out.writeEnd.Reset();
  err.writeEnd.Reset();
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  UniqueFd* ends[2] = {&out.readEnd, &err.readEnd};
  pollfd fds[2] = {{out.readEnd.Get(), POLLIN, 0}, {err.readEnd.Get(), POLLIN, 0}};
  int open = 2;
  bool timedOut = false;
  while (open > 0) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) {
      timedOut = true;
      break;
    }
    if (poll(fds, 2, static_cast<int>(left.count())) <= 0) continue;
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || (fds[i].revents & (POLLIN | POLLHUP)) == 0) continue;
      char buffer[4096];
      const ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
      if (n <= 0) {
        ends[i]->Reset();
        fds[i].fd = -1;
        --open;
      } else {
        (i == 0 ? result.out : result.err).append(buffer, static_cast<std::size_t>(n));
        if (i == 0 && watch) watch(result.out, child.Pid());
      }
    }
  }
  const int status = timedOut ? child.Stop() : child.Wait();
  result.exitCode = timedOut ? -1 : status;
  return result;
}

}  // namespace orvane::test_support
