// A full 8 KB image downloaded with each of the four algorithms through the real serial layer to
// orvane-board on a pseudo-terminal, which paces its line at 57600 bit/s and answers at once (no
// answer delay, no page write time), so that the line alone bounds the time. Prints for each
// algorithm: the wall time of the run, the wire-time bound (every byte each way, 10 bits at the
// rate, since the protocol makes them alternate), bound / wall, how long each awaited answer took
// beyond the line time on average ((wall - bound) / answers), and the host's CPU time per image
// byte, in its own code (user) and in the kernel (system).
//
// For comparison it first measures the bare pseudo-terminal: one byte out and back between two
// processes with raw system calls and nothing else, which is the least any answer can cost here.
//
// Last it sets the command-line tool against a minimal native host: the same file downloaded
// with the byte-verified algorithm, each a process of its own on a fresh board, the least CPU
// time of three runs per image byte. The minimal host is this program again (--minimal-host), and
// it does nothing but the protocol with raw system calls.
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "board/board_link.h"
#include "board/board_protocol.h"
#include "board/port_defaults.h"
#include "board_server_posix_bench.h"
#include "child_process_posix_bench.h"
#include "download/download_run.h"
#include "download/hex_file.h"
#include "download/load_for_download.h"
#include "load_bench.h"
#include "serial/com_port.h"
#include "serial/line_speed_posix.h"
#include "ui/views/main_window_controls.h"
#include "ui/views/memory_progress_window.h"
#include "ui/views/memory_views.h"

namespace {

using namespace orvane;
using bench::BoardServer;
using Clock = std::chrono::steady_clock;

constexpr int kRate = static_cast<int>(board::kDefaultBaudRate);

// ---- the views the download run needs: the in-memory ones, and these

class Errors final : public ui::ErrorReporter {
 public:
  void ShowError(const std::string& text) override { std::fprintf(stderr, "%s\n", text.c_str()); }
};

// The platform device with a count of the bytes that crossed it.
struct LineCount {
  long written = 0;
  long read = 0;
};

class CountingDevice final : public serial::ComDevice {
 public:
  CountingDevice(std::unique_ptr<serial::ComDevice> inner, LineCount& count)
      : inner_(std::move(inner)), count_(count) {}
  serial::SysError Setup(std::int32_t in, std::int32_t out) override {
    return inner_->Setup(in, out);
  }
  serial::SysError SetState(const serial::Dcb& dcb) override { return inner_->SetState(dcb); }
  serial::SysError SetTimeouts(const serial::CommTimeouts& t) override {
    return inner_->SetTimeouts(t);
  }
  serial::IoResult Write(const std::uint8_t* data, std::int32_t count) override {
    const serial::IoResult result = inner_->Write(data, count);
    count_.written += result.transferred;
    return result;
  }
  serial::IoResult Read(std::uint8_t* data, std::int32_t count) override {
    const serial::IoResult result = inner_->Read(data, count);
    count_.read += result.transferred;
    return result;
  }
  serial::SysError Purge(std::uint32_t flags) override { return inner_->Purge(flags); }
  serial::SysError Escape(std::uint32_t function) override { return inner_->Escape(function); }
  serial::SysError ClearError(std::uint32_t* errors, std::uint32_t* queue) override {
    return inner_->ClearError(errors, queue);
  }
  serial::SysError ClearLineErrors(std::uint32_t* errors) override {
    return inner_->ClearLineErrors(errors);
  }
  serial::SysError ModemStatus(std::uint32_t* status) override {
    return inner_->ModemStatus(status);
  }

 private:
  std::unique_ptr<serial::ComDevice> inner_;
  LineCount& count_;
};

// CPU time of this process so far: in its own code (user) and in the kernel on its behalf
// (system: the terminal's line discipline, sleeping and waking).
struct CpuTime {
  double user = 0;
  double system = 0;
  CpuTime operator-(const CpuTime& other) const {
    return {user - other.user, system - other.system};
  }
};

CpuTime CpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
  return {seconds(usage.ru_utime), seconds(usage.ru_stime)};
}

struct Figures {
  bool ok = false;
  double wall = 0;
  CpuTime cpu;
  LineCount line;
};

Figures DownloadOnce(const download::MemoryImage& image, int algorithm, const std::string& link,
                     const std::vector<std::string>& serverOptions) {
  Figures figures;
  BoardServer server(link, serverOptions);
  if (!server.Running()) {
    std::fprintf(stderr, "orvane-board did not start\n");
    std::exit(1);
  }
  ui::MemoryComboBox port({link}, 0), baud({std::to_string(kRate)}, 0);
  ui::MemoryCheckBox autoDetect, usb;
  ui::MemoryRadioGroup testing, algorithmGroup;
  ui::MemoryStatusBar status;
  ui::MemoryWindow form1;
  Errors errors;
  ui::NoMessagePump pump;
  ui::RealTimeWaiter sleeper;
  ui::MainWindowControls controls{port,   baud,  autoDetect, usb,  testing, algorithmGroup,
                                  status, form1, errors,     pump, sleeper};
  LineCount count;
  serial::TComPort comPort([&count](const std::string& name, serial::SysError* error) {
    auto device = serial::OpenPlatformDevice(name, error);
    return device ? std::make_unique<CountingDevice>(std::move(device), count)
                  : std::unique_ptr<serial::ComDevice>();
  });
  board::ApplyPortDefaults(comPort);
  board::BoardLink boardLink(comPort, controls);
  ui::MemoryProgressWindow form2(form1);
  algorithmGroup.SetItemIndex(algorithm);

  if (!download::ConnectForDownload(boardLink)) return figures;
  count = {};
  const CpuTime cpuStart = CpuSeconds();
  const auto start = Clock::now();
  figures.ok = download::DownloadRun(boardLink, image, form2);
  figures.wall = std::chrono::duration<double>(Clock::now() - start).count();
  figures.cpu = CpuSeconds() - cpuStart;
  figures.line = count;
  return figures;
}

// One byte out and back over a bare pseudo-terminal, `rounds` times: the peer process waits in
// poll() as orvane-board does between the host's bytes. Prints the mean wall and CPU time.
void MeasureBareTerminal(int rounds) {
  int master = -1;
  int slave = -1;
  if (openpty(&master, &slave, nullptr, nullptr, nullptr) != 0) return;
  termios raw{};
  tcgetattr(slave, &raw);
  cfmakeraw(&raw);
  tcsetattr(slave, TCSANOW, &raw);
  const pid_t peer = fork();
  if (peer == 0) {
    close(slave);
    std::uint8_t byte = 0;
    for (;;) {
      pollfd fd{master, POLLIN, 0};
      if (poll(&fd, 1, 1000) <= 0) _exit(0);
      if (read(master, &byte, 1) != 1) _exit(0);
      if (write(master, &byte, 1) != 1) _exit(0);
    }
  }
  close(master);
  fcntl(slave, F_SETFL, fcntl(slave, F_GETFL) | O_NONBLOCK);
  std::uint8_t byte = 0x55;
  const CpuTime cpuStart = CpuSeconds();
  const auto start = Clock::now();
  for (int i = 0; i < rounds; ++i) {
    if (write(slave, &byte, 1) != 1) break;
    pollfd fd{slave, POLLIN, 0};
    if (poll(&fd, 1, 1000) <= 0 || read(slave, &byte, 1) != 1) break;
  }
  const double wall = std::chrono::duration<double, std::micro>(Clock::now() - start).count();
  const CpuTime cpu = CpuSeconds() - cpuStart;
  close(slave);
  kill(peer, SIGKILL);
  waitpid(peer, nullptr, 0);
  std::printf(
      "Bare pseudo-terminal, one byte out and back: %.1f us wall, CPU %.2f us user + %.1f us "
      "system\n\n",
      wall / rounds, cpu.user * 1e6 / rounds, cpu.system * 1e6 / rounds);
}

// ---- the tool against a minimal native host ----

// One byte out; with `answer`, one byte back within 100 ms, which must equal `expected`.
bool Exchange(int fd, std::uint8_t out, bool answer, std::uint8_t expected) {
  if (write(fd, &out, 1) != 1) return false;
  if (!answer) return true;
  pollfd entry{fd, POLLIN, 0};
  std::uint8_t in = 0;
  if (poll(&entry, 1, board::kHandshakeTimeoutMs) != 1 || read(fd, &in, 1) != 1) return false;
  return in == expected;
}

// The byte-verified download with nothing around it: handshake, command, the interleaved
// addresses and every data byte, each checked against its echo.
bool MinimalHostDownload(const std::string& link, const download::MemoryImage& image) {
  const int fd = open(link.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
  termios raw{};
  if (fd < 0 || tcgetattr(fd, &raw) != 0) return false;
  cfmakeraw(&raw);
  cfsetspeed(&raw, serial::SpeedOfRate(board::kDefaultBaudRate));
  if (tcsetattr(fd, TCSANOW, &raw) != 0 || tcflush(fd, TCIOFLUSH) != 0) return false;
  const auto echoed = [fd](std::uint8_t byte) { return Exchange(fd, byte, true, byte); };
  const std::uint32_t start = download::ImageBase;
  const std::uint32_t end = image.EndAddress;
  bool ok = Exchange(fd, board::kSync, false, 0) &&
            Exchange(fd, board::kCommandStart, true, board::kHandshakeAnswer) &&
            Exchange(fd, board::kCommandStart, false, 0) &&
            Exchange(fd, board::kByteDownloadVerified, false, 0) && echoed(start >> 8) &&
            echoed(end >> 8) && echoed(start & 0xFF) && echoed(end & 0xFF);
  for (std::uint32_t address = start; ok && address < end; ++address) {
    ok = echoed(image.bytes[address - start]);
  }
  close(fd);
  return ok;
}

// The least CPU time of three runs, each on a fresh board; negative when every run failed.
double LeastCpu(const std::string& link, const std::vector<std::string>& args) {
  double least = -1;
  for (int run = 0; run < 3; ++run) {
    BoardServer server(link, {});
    const bench::ChildRun result = bench::RunChild(args);
    const double cpu = result.user + result.system;
    if (result.succeeded && (least < 0 || cpu < least)) least = cpu;
  }
  return least;
}

void CompareWithMinimalHost(const std::string& link) {
  const std::string file = std::string(ORVANE_SOURCE_DIR) + "/tests/data/hex/objcopy-8192.hex";
  const double tool =
      LeastCpu(link, {bench::ProgramFolder() + "/orvane", "download", file, "--port", link,
                      "--baud", std::to_string(kRate), "--algorithm", "byte-verified"});
  const double minimal = LeastCpu(
      link, {bench::ProgramFolder() + "/transfer_posix_bench", "--minimal-host", link, file});
  std::printf("\nbyte-verified, %s, CPU us per image byte (least of 3, whole process):\n",
              "objcopy-8192.hex");
  std::printf("  orvane download   %6.2f\n", tool * 1e6 / download::ImageSize);
  std::printf("  minimal host      %6.2f\n", minimal * 1e6 / download::ImageSize);
  if (tool > 0 && minimal > 0) {
    const double ratio = tool / minimal;
    std::printf("  tool / minimal    %6.2f   goal: at most 1.10, %s\n", ratio,
                ratio <= 1.10 ? "met" : "not met");
  }
  bench::PrintLoad();
}

int MinimalHostMain(const std::string& link, const std::string& file) {
  download::HexFile hex;
  download::MemoryImage image;
  if (download::LoadForDownload(hex, file, image)) return 1;
  return MinimalHostDownload(link, image) ? 0 : 1;
}

}  // namespace

// Arguments are passed on to orvane-board (for example --no-pacing, to see the cost of the
// terminal and the programs alone).
int main(int argc, char** argv) {
  if (argc == 4 && std::string(argv[1]) == "--minimal-host")
    return MinimalHostMain(argv[2], argv[3]);
  const std::vector<std::string> serverOptions(argv + 1, argv + argc);
  auto image = std::make_unique<download::MemoryImage>();
  std::mt19937 random(1);
  for (auto& byte : image->bytes) byte = static_cast<std::uint8_t>(random());
  image->EndAddress = download::ImageLimit;

  char folder[] = "/tmp/orvane-transfer-bench-XXXXXX";
  if (mkdtemp(folder) == nullptr) return 1;
  const std::string link = std::string(folder) + "/board";

  MeasureBareTerminal(4000);

  const double byteSeconds = 10.0 / kRate;
  std::printf(
      "Full 8 KB image, orvane-board on a pseudo-terminal at %d bit/s, board answers at once\n",
      kRate);
  std::printf("%-14s %7s %7s %6s %11s %9s %19s\n", "", "wall", "bound", "bound/", "bytes",
              "extra us", "CPU us / image byte");
  std::printf("%-14s %7s %7s %6s %11s %9s %9s %9s\n", "algorithm", "s", "s", "wall", "out/in",
              "/answer", "user", "system");
  int failures = 0;
  for (int algorithm = 0; algorithm < download::kDownloadAlgorithmCount; ++algorithm) {
    const Figures f = DownloadOnce(*image, algorithm, link, serverOptions);
    if (!f.ok) {
      std::printf("%-14s failed\n", download::kDownloadAlgorithms[algorithm].toolName);
      ++failures;
      continue;
    }
    const long lineBytes = f.line.written + f.line.read;
    const double bound = static_cast<double>(lineBytes) * byteSeconds;
    char bytes[32];
    std::snprintf(bytes, sizeof bytes, "%ld/%ld", f.line.written, f.line.read);
    std::printf("%-14s %7.3f %7.3f %6.3f %11s %9.1f %9.2f %9.2f\n",
                download::kDownloadAlgorithms[algorithm].toolName, f.wall, bound, bound / f.wall,
                bytes, (f.wall - bound) * 1e6 / static_cast<double>(std::max(1L, f.line.read)),
                f.cpu.user * 1e6 / download::ImageSize, f.cpu.system * 1e6 / download::ImageSize);
  }
  CompareWithMinimalHost(link);
  std::filesystem::remove_all(folder);
  return failures == 0 ? 0 : 1;
}
