// A board over the network for the end-to-end tests (Linux): orvane-board on a pseudo-terminal,
// served by ser2net on a free loopback port with a generated configuration. ser2net runs with the
// modem-line library preloaded, so that its DTR pulse reaches the board as on a real line.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "support/board_server_posix.h"
#include "support/child_process_posix.h"

namespace orvane::test_support {

class NetworkBoard {
 public:
  explicit NetworkBoard(const std::vector<std::string>& boardOptions = {});
  ~NetworkBoard();
  NetworkBoard(const NetworkBoard&) = delete;
  NetworkBoard& operator=(const NetworkBoard&) = delete;

  // Whether the board and its server are up and the server accepts connections.
  bool Running() const { return server_.Running(); }
  std::string PortName() const;  // rfc2217://127.0.0.1:<port>
  BoardServer& Board() { return board_; }

  // Bytes ser2net has written so far, to the board and to its clients (0 when not running).
  std::uint64_t ServerBytesWritten() const;
  // Ends ser2net at once (SIGKILL), as a server that dies; Start brings it back on the same port.
  void KillServer();
  bool StartServer();

 private:
  BoardServer board_;
  std::string config_;
  std::uint16_t port_ = 0;
  ChildProcess server_;
};

// Whether ser2net is installed (scripts/install-deps installs it).
bool HaveNetworkSerialServer();

}  // namespace orvane::test_support
