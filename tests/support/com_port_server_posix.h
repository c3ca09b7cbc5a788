// A network serial server on the loopback interface for the tests (Linux): it speaks the Telnet
// com-port protocol with one client at a time, answers its commands, records what it receives, and
// sends data when the test says so.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "serial/telnet_com_port.h"
#include "serial/unique_fd_posix.h"

namespace orvane::test_support {

class ComPortServer {
 public:
  struct Behaviour {
    bool answerControls = true;  // false: SET-CONTROL is never answered (a pty behind the server)
    bool echo = false;           // data bytes go back as they come
    // Data bytes sent just before the answer to a purge (they were in the server's queue).
    std::vector<std::uint8_t> beforePurgeAnswer;
    // SET-CONTROL answered this long after it came, in order (a server slow to set its lines).
    std::chrono::milliseconds controlAnswerDelay{0};
  };

  ComPortServer();
  explicit ComPortServer(Behaviour behaviour);
  ~ComPortServer();
  ComPortServer(const ComPortServer&) = delete;
  ComPortServer& operator=(const ComPortServer&) = delete;

  std::uint16_t Port() const { return port_; }
  std::string PortName() const;  // rfc2217://127.0.0.1:<port>

  // To the connected client: data bytes (0xFF doubled here), or bytes as they stand.
  void SendData(const std::vector<std::uint8_t>& data);
  void SendRaw(const std::vector<std::uint8_t>& bytes);
  // Ends the client's connection (the server goes on listening).
  void Disconnect();
  // From now on nothing more is read from the client: what it sends fills the connection.
  void StopReading();
  // Bytes the client sent that wait unread in the connection.
  std::size_t Unread();
  // The SET-CONTROL answers sent so far.
  int ControlAnswersSent();

  // What the client sent so far: com-port commands and data bytes.
  std::vector<serial::telnet::ComPortMessage> Commands();
  std::vector<std::uint8_t> Data();
  // Waits (at most `limit`) until `predicate` holds for the commands received.
  bool WaitFor(
      const std::function<bool(const std::vector<serial::telnet::ComPortMessage>&)>& predicate,
      std::chrono::milliseconds limit = std::chrono::seconds(2));

 private:
  void Serve();
  void Answer(const serial::telnet::Received& received);
  void SendLocked(const std::vector<std::uint8_t>& bytes);
  // Sends the delayed answers that are due; the wait until the next one (-1: none).
  int SendDueLocked();

  Behaviour behaviour_;
  serial::UniqueFd listener_;
  serial::UniqueFd stop_[2];
  std::uint16_t port_ = 0;
  std::mutex mutex_;
  std::condition_variable changed_;
  serial::UniqueFd client_;
  std::vector<serial::telnet::ComPortMessage> commands_;
  std::vector<std::uint8_t> data_;
  bool reading_ = true;
  int controlAnswersSent_ = 0;
  std::deque<std::pair<std::chrono::steady_clock::time_point, std::vector<std::uint8_t>>> later_;
  std::thread thread_;
};

}  // namespace orvane::test_support
