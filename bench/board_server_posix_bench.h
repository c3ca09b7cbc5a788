// orvane-board started beside a benchmark program (in the same build folder) on a terminal linked
// at a path, and stopped with the object. For the benchmarks of the serial layer.
#pragma once

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

namespace orvane::bench {

// orvane-board, from the folder of this program, on a terminal linked at `link`; the board
// answers at once and writes pages at once, with the extra options.
class BoardServer {
 public:
  BoardServer(const std::string& link, const std::vector<std::string>& extraOptions) {
    const std::string program =
        (std::filesystem::read_symlink("/proc/self/exe").parent_path() / "orvane-board").string();
    int out[2];
    if (pipe(out) != 0) return;
    pid_ = fork();
    if (pid_ == 0) {
      dup2(out[1], STDOUT_FILENO);
      close(out[0]);
      close(out[1]);
      std::vector<std::string> args{program, "--link",          link, "--answer-delay-us",
                                    "0",     "--page-write-ms", "0"};
      args.insert(args.end(), extraOptions.begin(), extraOptions.end());
      std::vector<char*> argv;
      for (std::string& arg : args) argv.push_back(arg.data());
      argv.push_back(nullptr);
      execv(argv[0], argv.data());
      _exit(127);
    }
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
  bool Running() const { return pid_ > 0; }
  void Stop() {
    if (pid_ <= 0) return;
    kill(pid_, SIGTERM);
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = -1;
  }

 private:
  pid_t pid_ = -1;
};

}  // namespace orvane::bench
