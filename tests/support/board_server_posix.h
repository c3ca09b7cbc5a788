// End-to-end helpers (Linux): run orvane-board on a pseudo-terminal for the length of a test, and
// run a program to its end collecting its output.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "support/child_process_posix.h"

namespace orvane::test_support {

// orvane-board started with the given options plus --link and --dump in a fresh folder; stopped
// (SIGTERM, which makes it write its dump) when destroyed or by Stop().
class BoardServer {
 public:
  explicit BoardServer(const std::vector<std::string>& options = {});
  ~BoardServer();
  BoardServer(const BoardServer&) = delete;
  BoardServer& operator=(const BoardServer&) = delete;

  bool Running() const { return child_.Running(); }
  // The terminal's path as the server printed it, and the stable link to it.
  const std::string& TerminalPath() const { return terminal_; }
  const std::string& LinkPath() const { return link_; }
  const std::string& DumpPath() const { return dump_; }
  // Ends the server and waits for it; its exit status (-1 when it did not end normally).
  int Stop();
  // The dump file's bytes (empty when there is none yet).
  std::vector<unsigned char> Dump() const;
  // Ends the server, which writes its memory out as it ends, and returns the first `size` bytes
  // of that memory; nothing when it did not end cleanly.
  std::vector<unsigned char> Memory(std::size_t size);

 private:
  std::string folder_;
  std::string link_;
  std::string dump_;
  std::string terminal_;
  ChildProcess child_;
};

struct ProgramResult {
  int exitCode = -1;  // -1: killed or did not end in time
  std::string out;
  std::string err;
};

// What a running program (`pid`) has written to standard output so far, each time it writes more.
using OutputWatcher = std::function<void(const std::string& out, pid_t pid)>;

// Runs a program (argv[0] is its path) with the extra environment entries ("NAME=value"), waits
// at most `timeoutMs`, and collects what it wrote; `watch` sees the output as it comes.
ProgramResult RunProgram(const std::vector<std::string>& argv,
                         const std::vector<std::string>& environment = {}, int timeoutMs = 30000,
                         const OutputWatcher& watch = nullptr);

// A file of tests/data/hex (HEX files and the images they hold), and a file's bytes.
std::string HexDataFile(const std::string& name);
std::vector<unsigned char> FileBytes(const std::string& path);

// Paths of the programs of this build.
std::string OrvanePath();
std::string BoardServerPath();

}  // namespace orvane::test_support
