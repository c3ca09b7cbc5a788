// A full 8 KB image downloaded through ser2net (RFC 2217 over the loopback interface) against the
// same board on a local pseudo-terminal: orvane-board paced at 57600 bit/s, answering at once, so
// that the line and the path to it bound the time. Prints for each algorithm the wall time of the
// transfer (the connection and handshake left out) both ways and network / local as a speed ratio
// (local wall / network wall; 1 means no cost for the network).
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "board/board_link.h"
#include "board/board_protocol.h"
#include "board/port_defaults.h"
#include "board_server_posix_bench.h"
#include "download/download_run.h"
#include "serial/com_port.h"
#include "support/child_process_posix.h"
#include "ui/views/main_window_controls.h"
#include "ui/views/memory_progress_window.h"
#include "ui/views/memory_views.h"

namespace {

using namespace orvane;
using Clock = std::chrono::steady_clock;

constexpr int kRate = static_cast<int>(board::kDefaultBaudRate);

class Errors final : public ui::ErrorReporter {
 public:
  void ShowError(const std::string& text) override { std::fprintf(stderr, "%s\n", text.c_str()); }
};

// ser2net serving the terminal at `link` on a loopback port, as the guide configures it.
class NetworkServer {
 public:
  NetworkServer(const std::string& folder, const std::string& link) {
    port_ = FreePort();
    const std::string config = folder + "/ser2net.yaml";
    std::ofstream(config) << "connection: &board\n"
                          << "  accepter: telnet(rfc2217),tcp,127.0.0.1," << port_ << "\n"
                          << "  connector: serialdev," << link << "," << kRate << "n81,local\n"
                          << "  options: {chardelay: false, kickolduser: true}\n";
    using test_support::ChildProcess;
    server_ = ChildProcess({"/usr/sbin/ser2net", "-n", "-c", config}, ChildProcess::kInherit,
                           ChildProcess::kQuiet);
    for (int i = 0; i < 500 && !Accepts(); ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
  }
  std::string PortName() const { return "rfc2217://127.0.0.1:" + std::to_string(port_); }

 private:
  static sockaddr_in Loopback(std::uint16_t port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    return address;
  }
  static std::uint16_t FreePort() {
    const int s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address = Loopback(0);
    bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address);
    socklen_t length = sizeof address;
    getsockname(s, reinterpret_cast<sockaddr*>(&address), &length);
    close(s);
    return ntohs(address.sin_port);
  }
  bool Accepts() const {
    const int s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address = Loopback(port_);
    const bool ok = connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    close(s);
    return ok;
  }

  std::uint16_t port_ = 0;
  test_support::ChildProcess server_;
};

// The transfer's wall time in seconds; negative when it failed.
double DownloadOnce(const download::MemoryImage& image, int algorithm, const std::string& port) {
  ui::MemoryComboBox ports({port}, 0), baud({std::to_string(kRate)}, 0);
  ui::MemoryCheckBox autoDetect, usb;
  ui::MemoryRadioGroup testing, algorithmGroup;
  ui::MemoryStatusBar status;
  ui::MemoryWindow form1;
  Errors errors;
  ui::NoMessagePump pump;
  ui::RealTimeWaiter sleeper;
  ui::MainWindowControls controls{ports,  baud,  autoDetect, usb,  testing, algorithmGroup,
                                  status, form1, errors,     pump, sleeper};
  serial::TComPort comPort;
  board::ApplyPortDefaults(comPort);
  board::BoardLink boardLink(comPort, controls);
  ui::MemoryProgressWindow form2(form1);
  algorithmGroup.SetItemIndex(algorithm);
  if (!download::ConnectForDownload(boardLink)) return -1;
  const auto start = Clock::now();
  const bool ok = download::DownloadRun(boardLink, image, form2);
  const double wall = std::chrono::duration<double>(Clock::now() - start).count();
  return ok ? wall : -1;
}

}  // namespace

int main() {
  auto image = std::make_unique<download::MemoryImage>();
  std::mt19937 random(1);
  for (auto& byte : image->bytes) byte = static_cast<std::uint8_t>(random());
  image->EndAddress = download::ImageLimit;

  char folder[] = "/tmp/orvane-network-bench-XXXXXX";
  if (mkdtemp(folder) == nullptr) return 1;
  const std::string link = std::string(folder) + "/board";

  std::printf("Full 8 KB image at %d bit/s, orvane-board answering at once: on a local\n", kRate);
  std::printf("pseudo-terminal, and the same through ser2net (RFC 2217, loopback)\n");
  std::printf("%-14s %9s %9s %15s\n", "algorithm", "local s", "network s", "speed ratio");
  int failures = 0;
  for (int algorithm = 0; algorithm < download::kDownloadAlgorithmCount; ++algorithm) {
    double local = -1;
    double network = -1;
    {
      bench::BoardServer board(link, {});
      local = DownloadOnce(*image, algorithm, link);
    }
    {
      bench::BoardServer board(link, {});
      NetworkServer server(folder, link);
      network = DownloadOnce(*image, algorithm, server.PortName());
    }
    if (local < 0 || network < 0) {
      std::printf("%-14s failed (local %s, network %s)\n",
                  download::kDownloadAlgorithms[algorithm].toolName, local < 0 ? "failed" : "ok",
                  network < 0 ? "failed" : "ok");
      ++failures;
      continue;
    }
    std::printf("%-14s %9.3f %9.3f %15.3f\n", download::kDownloadAlgorithms[algorithm].toolName,
                local, network, local / network);
  }
  std::filesystem::remove_all(folder);
  return failures == 0 ? 0 : 1;
}
