#include "support/network_board_posix.h"

#include <netinet/in.h>
#include <sys/socket.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "serial/unique_fd_posix.h"

namespace orvane::test_support {
namespace {

using Clock = std::chrono::steady_clock;
constexpr const char* kServer = "/usr/sbin/ser2net";

// A loopback port that nothing listens on now (the kernel's choice for port 0).
std::uint16_t FreePort() {
  serial::UniqueFd probe(socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  bind(probe.Get(), reinterpret_cast<sockaddr*>(&address), sizeof address);
  socklen_t length = sizeof address;
  getsockname(probe.Get(), reinterpret_cast<sockaddr*>(&address), &length);
  return ntohs(address.sin_port);
}

bool Accepts(std::uint16_t port) {
  serial::UniqueFd s(socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(port);
  return connect(s.Get(), reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
}

}  // namespace

bool HaveNetworkSerialServer() { return access(kServer, X_OK) == 0; }

NetworkBoard::NetworkBoard(const std::vector<std::string>& boardOptions) : board_(boardOptions) {
  if (!board_.Running() || !HaveNetworkSerialServer()) return;
  port_ = FreePort();
  config_ = std::filesystem::path(board_.LinkPath()).parent_path() / "ser2net.yaml";
  std::ofstream(config_) << "connection: &board\n"
                         << "  accepter: telnet(rfc2217),tcp,127.0.0.1," << port_ << "\n"
                         << "  connector: serialdev," << board_.LinkPath() << ",57600n81,local\n"
                         << "  options:\n"
                         << "    chardelay: false\n"
                         << "    kickolduser: true\n";
  StartServer();
}

NetworkBoard::~NetworkBoard() { KillServer(); }

std::string NetworkBoard::PortName() const {
  return "rfc2217://127.0.0.1:" + std::to_string(port_);
}

bool NetworkBoard::StartServer() {
  if (server_.Running() || config_.empty()) return server_.Running();
  // Quiet: "Unable to start mdns" in a container.
  server_ = ChildProcess({kServer, "-n", "-c", config_}, ChildProcess::kQuiet, ChildProcess::kQuiet,
                         {std::string("LD_PRELOAD=") + ORVANE_MODEM_LINES_SHIM}, SIGKILL);
  const auto deadline = Clock::now() + std::chrono::seconds(5);
  while (!Accepts(port_)) {
    if (Clock::now() > deadline) {
      KillServer();
      return false;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  // The probe's own connection must be over before a test connects.
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  return true;
}

std::uint64_t NetworkBoard::ServerBytesWritten() const {
  if (!server_.Running()) return 0;
  std::ifstream io("/proc/" + std::to_string(server_.Pid()) + "/io");
  for (std::string name; io >> name;) {
    std::uint64_t value = 0;
    io >> value;
    if (name == "wchar:") return value;
  }
  return 0;
}

void NetworkBoard::KillServer() { server_.Stop(SIGKILL); }

}  // namespace orvane::test_support
