// The virtual board served on a pseudo-terminal, so that the downloader (or any serial program)
// reaches it through the real serial layer.
//
// A pseudo-terminal carries no modem lines, so the board cannot see the host's DTR pulse. It is
// reset instead when the host opens the terminal anew (its last close is DTR falling), when
// something opens it once more while the host holds it (a pulse, as our Wine shim sends it), and
// when the line has been quiet for a while (idleResetMs) in the middle of a command; between
// commands it always takes a new handshake. A downloaded program runs in real time until then,
// however quiet it is. The rate and framing the host sets are seen, so the board still answers only
// at its own rates.
//
// The server sleeps in one ppoll() until the host sends, the line has room for the board's
// bytes, the next of them is due, the idle reset is due, or a signal asks it to stop. While
// nobody has the terminal open it watches the terminal's device file for the next open instead
// (the terminal reports "hung up" at once all that time).
#pragma once

#include <signal.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "serial/unique_fd_posix.h"
#include "sim/line/virtual_board.h"

namespace orvane::sim {

struct BoardServerOptions {
  std::string link;         // a symbolic link to the terminal, made here ("" for none)
  std::string dump;         // where the program memory goes after each download ("" for none)
  long idleResetMs = 1500;  // 0: never
  bool verbose = false;     // log every byte on standard error
  // The board is pulled out (the server closes its side of the terminal and stops) once the
  // host has sent this many bytes since it opened the terminal; 0: never.
  long vanishAfterBytes = 0;
  // After being pulled out, the board is plugged in again at once: a new terminal behind the
  // same link, and no more pulling out. Otherwise the server stops.
  bool replug = false;
};

class PtyBoardServer {
 public:
  // Opens the terminal (raw, at the board's default rate until the host sets its line) and makes
  // the link; Failure() says what went wrong, if anything did.
  PtyBoardServer(std::shared_ptr<VirtualBoard> board, BoardServerOptions options);
  ~PtyBoardServer();  // removes the link
  PtyBoardServer(const PtyBoardServer&) = delete;
  PtyBoardServer& operator=(const PtyBoardServer&) = delete;

  const std::string& Failure() const { return failure_; }
  const std::string& TerminalPath() const { return terminal_; }

  // Serves until `stop` is set. The signals that set it must be blocked by the caller; they are
  // taken only inside the wait (with `waitMask`), so none is lost between a check and a wait.
  // Returns 0, or 1 when waiting failed.
  int Run(const std::atomic<bool>& stop, const sigset_t& waitMask);
  // The board was pulled out (vanishAfterBytes): Run has returned and the terminal is closed.
  bool Vanished() const { return vanished_; }

  // Writes the program memory to the dump file (beside it and renamed, so a reader never sees
  // half a dump). True when there is no dump file or it was written.
  bool DumpMemory() const;

 private:
  bool Open();
  bool Link();
  void PullOut();
  bool Wait(const sigset_t& waitMask);
  std::optional<Micros> NextDeadline() const;
  void HostCame();
  void HostGone();
  void CheckHostAfterOpen();
  void DrainOpens();
  void SeeDtrPulse();
  void Receive();
  void SeeLine();
  void Deliver();
  void Flush();
  void IdleReset();
  void Report();
  void DumpAfterDownload();

  std::shared_ptr<VirtualBoard> board_;
  BoardServerOptions options_;
  std::string failure_;
  std::string terminal_;
  serial::UniqueFd master_;
  serial::UniqueFd opens_;  // inotify on the terminal's device file
  bool watchingOpens_ = false;
  bool hostOpen_ = false;
  std::uint32_t rate_ = 0;
  bool eightN1_ = true;
  Micros lastActivity_{0};
  std::vector<std::uint8_t> unsent_;  // the board's bytes the terminal had no room for yet
  int dumpedDownloads_ = 0;
  long hostBytes_ = 0;  // since the host opened the terminal
  bool vanished_ = false;
};

}  // namespace orvane::sim
