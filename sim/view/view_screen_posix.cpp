#include "sim/view/view_screen.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "sim/view/board_text.h"
#include "sim/view/terminal_board_picture.h"

namespace orvane::sim {

namespace {

// What the signal handlers share with the screen: only flags, the wake-up pipe and the saved
// terminal settings, which they may use.
int gWake[2] = {-1, -1};
volatile sig_atomic_t gStop = 0;
volatile sig_atomic_t gRedraw = 0;
volatile sig_atomic_t gRaw = 0;  // the terminal is ours: restore it on the way out
termios gSaved{};

void WriteAll(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t n = write(fd, data, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;  // a hung-up terminal takes nothing more
    data += n;
    size -= static_cast<std::size_t>(n);
  }
}

void Poke() {
  const char byte = 0;
  [[maybe_unused]] const ssize_t n = write(gWake[1], &byte, 1);
}

// Async-signal-safe: tcsetattr and write only.
void GiveBack() {
  if (!gRaw) return;
  tcsetattr(STDIN_FILENO, TCSANOW, &gSaved);
  const char* leave = TerminalBoardPicture::LeaveScreen();
  WriteAll(STDOUT_FILENO, leave, std::strlen(leave));
}

void OnStop(int) {
  if (gStop) {  // a second Ctrl+C: at once
    GiveBack();
    _exit(130);
  }
  gStop = 1;
  Poke();
}

// Ctrl+\ quits as it always does (with its core dump), after the terminal is given back.
void OnQuit(int signal) {
  GiveBack();
  struct sigaction action {};
  action.sa_handler = SIG_DFL;
  sigemptyset(&action.sa_mask);
  sigaction(signal, &action, nullptr);
  raise(signal);
}

void OnSuspend(int) {
  const int saved = errno;
  GiveBack();
  kill(getpid(), SIGSTOP);  // returns once continued
  gRedraw = 1;
  Poke();
  errno = saved;
}

void OnRedraw(int) {
  gRedraw = 1;
  Poke();
}

class PosixScreen final : public ViewScreen {
 public:
  explicit PosixScreen(bool drawn) : drawn_(drawn) {
    if (pipe2(gWake, O_NONBLOCK | O_CLOEXEC) != 0) gWake[0] = gWake[1] = -1;
    gStop = 0;
    gRedraw = 0;
    keys_ = drawn_ && isatty(STDIN_FILENO);
    Handle(SIGINT, OnStop, 0);
    Handle(SIGTERM, OnStop, 1);
    Handle(SIGHUP, OnStop, 2);
    if (drawn_) {
      Handle(SIGTSTP, OnSuspend, 3);
      Handle(SIGCONT, OnRedraw, 4);
      Handle(SIGWINCH, OnRedraw, 5);
      Handle(SIGQUIT, OnQuit, 6);
      TakeTerminal();
    }
  }

  ~PosixScreen() override {
    GiveBack();
    gRaw = 0;
    for (int i = 0; i < kSignals; ++i) {
      if (handled_[i]) sigaction(signals_[i], &previous_[i], nullptr);
    }
    close(gWake[0]);
    close(gWake[1]);
  }

  bool Drawn() const override { return drawn_; }

  void Show(const BoardSnapshot& snapshot, const std::string& status) override {
    if (!drawn_) {
      std::string frame = frames_++ ? "\n" : "";
      frame += PlainFrame(snapshot);
      WriteAll(STDOUT_FILENO, frame.data(), frame.size());
      return;
    }
    if (snapshot.run != run_) picture_.ClearSerial();
    run_ = snapshot.run;
    picture_.AddSerial(snapshot.serial);
    winsize size{};
    int rows = 24;
    int columns = 80;
    if (ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_row > 0) {
      rows = size.ws_row;
      columns = size.ws_col;
    }
    const std::string screen = picture_.Draw(snapshot, status, rows, columns);
    WriteAll(STDOUT_FILENO, screen.data(), screen.size());
  }

  ViewInput Wait(Clock& clock, Micros deadline) override {
    ViewInput input;
    for (;;) {
      if (gStop) input.stop = true;
      if (gRedraw) {
        gRedraw = 0;
        if (drawn_) TakeTerminal();  // back from a suspension, or resized
        input.redraw = true;
      }
      if (input.stop || input.redraw || !input.typed.empty() || input.buttons[0] ||
          input.buttons[1]) {
        return input;
      }
      const Micros left = deadline - clock.Now();
      if (left <= Micros(0)) return input;
      pollfd fds[2] = {{gWake[0], POLLIN, 0}, {STDIN_FILENO, POLLIN, 0}};
      const int timeout = static_cast<int>((left.count() + 999) / 1000);
      if (poll(fds, keys_ ? 2 : 1, timeout) <= 0) continue;
      char drain[64];
      while (read(gWake[0], drain, sizeof drain) > 0) {
      }
      if (keys_ && (fds[1].revents & POLLIN)) ReadKeys(input);
      if (keys_ && (fds[1].revents & (POLLHUP | POLLERR))) input.stop = true;
    }
  }

 private:
  static constexpr int kSignals = 7;

  void Handle(int signal, void (*handler)(int), int slot) {
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    signals_[slot] = signal;
    handled_[slot] = sigaction(signal, &action, &previous_[slot]) == 0;
  }

  // Keys one at a time without echo; Ctrl+C and Ctrl+Z still signal.
  void TakeTerminal() {
    if (keys_) {
      if (!gRaw) tcgetattr(STDIN_FILENO, &gSaved);
      termios raw = gSaved;
      raw.c_lflag &= static_cast<tcflag_t>(~(ICANON | ECHO));
      raw.c_iflag &= static_cast<tcflag_t>(~(ICRNL | IXON));
      raw.c_cc[VMIN] = 0;
      raw.c_cc[VTIME] = 0;
      tcsetattr(STDIN_FILENO, TCSANOW, &raw);
    }
    gRaw = 1;
    const char* enter = TerminalBoardPicture::EnterScreen();
    WriteAll(STDOUT_FILENO, enter, std::strlen(enter));
  }

  void ReadKeys(ViewInput& input) {
    char bytes[256];
    const ssize_t n = read(STDIN_FILENO, bytes, sizeof bytes);
    if (n > 0) ParseKeys(std::string_view(bytes, static_cast<std::size_t>(n)), input);
  }

  bool drawn_;
  bool keys_ = false;
  int frames_ = 0;
  std::uint64_t run_ = 0;
  TerminalBoardPicture picture_;
  int signals_[kSignals] = {};
  bool handled_[kSignals] = {};
  struct sigaction previous_[kSignals] {};
};

}  // namespace

std::unique_ptr<ViewScreen> OpenViewScreen() {
  return std::make_unique<PosixScreen>(isatty(STDOUT_FILENO) != 0);
}

}  // namespace orvane::sim
