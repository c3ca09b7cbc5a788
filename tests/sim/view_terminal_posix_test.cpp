// `orvane-board --run FILE --view` on a pseudo-terminal: the terminal is given back on every way
// out, and while the process is suspended.
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <string>

#include "sim/view/terminal_board_picture.h"
#include "support/board_program.h"

namespace orvane::sim {
namespace {

// orvane-board showing a program on a terminal of its own.
class ViewOnTerminal {
 public:
  ViewOnTerminal() {
    const std::string board = std::string(ORVANE_BINARY_DIR) + "/orvane-board";
    const std::string program = test_support::TestProgramPath("wave1");
    pid_ = forkpty(&master_, nullptr, nullptr, nullptr);
    if (pid_ == 0) {
      const rlimit noCore{0, 0};  // Ctrl+\ quits without leaving a core file behind
      setrlimit(RLIMIT_CORE, &noCore);
      execl(board.c_str(), board.c_str(), "--run", program.c_str(), "--view", nullptr);
      _exit(127);
    }
  }
  ~ViewOnTerminal() {
    if (pid_ > 0 && !ended_) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
    close(master_);
  }

  // Reads until the output holds `text` (true) or a while has passed.
  bool ReadUntil(const std::string& text) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (output.find(text, seen_) == std::string::npos) {
      if (std::chrono::steady_clock::now() > deadline) return false;
      pollfd fd{master_, POLLIN, 0};
      if (poll(&fd, 1, 100) <= 0) continue;
      char buffer[4096];
      const ssize_t n = read(master_, buffer, sizeof buffer);
      if (n <= 0) return false;
      output.append(buffer, static_cast<std::size_t>(n));
    }
    seen_ = output.find(text, seen_) + text.size();
    return true;
  }
  // Whether the terminal reads lines with echo, as before the view.
  bool Restored() const {
    termios mode{};
    tcgetattr(master_, &mode);
    return (mode.c_lflag & ICANON) && (mode.c_lflag & ECHO);
  }
  void Signal(int signal) { kill(pid_, signal); }
  int Wait() {
    int status = 0;
    waitpid(pid_, &status, 0);
    ended_ = true;
    return status;
  }
  void WaitStopped() {
    int status = 0;
    waitpid(pid_, &status, WUNTRACED);
  }

  std::string output;

 private:
  int master_ = -1;
  pid_t pid_ = -1;
  bool ended_ = false;
  std::size_t seen_ = 0;
};

TEST(ViewTerminal, GivenBackOnEveryWayOut) {
  for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) {
    ViewOnTerminal view;
    ASSERT_TRUE(view.ReadUntil("Orvane board")) << signal;
    EXPECT_FALSE(view.Restored()) << signal;
    view.Signal(signal);
    EXPECT_TRUE(view.ReadUntil(TerminalBoardPicture::LeaveScreen())) << signal;
    const int status = view.Wait();
    if (signal == SIGQUIT) {
      EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGQUIT);  // it still quits
    } else {
      EXPECT_TRUE(WIFEXITED(status)) << signal;
    }
    EXPECT_TRUE(view.Restored()) << signal;
  }
}

TEST(ViewTerminal, GivenBackWhileSuspendedTakenAgainAfter) {
  ViewOnTerminal view;
  ASSERT_TRUE(view.ReadUntil("Orvane board"));
  view.Signal(SIGTSTP);
  view.WaitStopped();
  EXPECT_TRUE(view.ReadUntil(TerminalBoardPicture::LeaveScreen()));
  EXPECT_TRUE(view.Restored());
  view.Signal(SIGCONT);
  EXPECT_TRUE(view.ReadUntil(TerminalBoardPicture::EnterScreen()));
  EXPECT_TRUE(view.ReadUntil("Orvane board"));
  EXPECT_FALSE(view.Restored());
  view.Signal(SIGINT);
  view.Signal(SIGINT);  // a second Ctrl+C ends it at once, and gives the terminal back too
  view.Wait();
  EXPECT_TRUE(view.Restored());
}

}  // namespace
}  // namespace orvane::sim
