// orvane-board started beside a benchmark program (in the same build folder) on a terminal linked
// at a path, and stopped with the object. For the benchmarks of the serial layer.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/child_process_posix.h"

namespace orvane::bench {

// orvane-board, from the folder of this program, on a terminal linked at `link`; the board
// answers at once and writes pages at once, with the extra options.
class BoardServer {
 public:
  BoardServer(const std::string& link, const std::vector<std::string>& extraOptions) {
    const std::string program =
        (std::filesystem::read_symlink("/proc/self/exe").parent_path() / "orvane-board").string();
    int out[2];
    if (pipe2(out, O_CLOEXEC) != 0) return;
    std::vector<std::string> args{program, "--link",          link, "--answer-delay-us",
                                  "0",     "--page-write-ms", "0"};
    args.insert(args.end(), extraOptions.begin(), extraOptions.end());
    child_ = test_support::ChildProcess(std::move(args), out[1]);
    close(out[1]);
    pollfd fd{out[0], POLLIN, 0};
    char c = 0;
    bool gotLine = false;
    while (poll(&fd, 1, 5000) > 0 && read(out[0], &c, 1) == 1) {
      if (c == '\n') {
        gotLine = true;
        break;
      }
    }
    close(out[0]);
    if (!gotLine) Stop();
  }
  ~BoardServer() { Stop(); }
  bool Running() const { return child_.Running(); }
  void Stop() { child_.Stop(); }

 private:
  test_support::ChildProcess child_;
};

}  // namespace orvane::bench
