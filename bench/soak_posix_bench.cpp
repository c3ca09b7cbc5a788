// Soak: 1000 downloads in a row in one process, through the real serial layer to orvane-board on
// a pseudo-terminal, the way the window makes them: one port object, one board link, each
// download a fresh connection (the port is closed after it, so the board restarts on the next
// open, as the DTR pulse restarts a real one). A small program (the sample's 23 bytes) with the
// page algorithm keeps the run short. Every 100 downloads it prints the resident memory and the
// open descriptors, which must not grow. Arguments go to orvane-board.
#include <dirent.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "app/main_window_port.h"
#include "board/board_link.h"
#include "board_server_posix_bench.h"
#include "download/download_run.h"
#include "serial/com_port.h"
#include "ui/main_window_controls.h"
#include "ui/memory_progress_window.h"
#include "ui/memory_views.h"

namespace {

using namespace orvane;

class Errors final : public ui::ErrorReporter {
 public:
  void ShowError(const std::string& text) override { std::fprintf(stderr, "%s\n", text.c_str()); }
};

long ResidentKb() {
  std::ifstream statm("/proc/self/statm");
  long pages = 0;
  long resident = 0;
  statm >> pages >> resident;
  return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

int OpenDescriptors() {
  int count = 0;
  for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
    (void)entry;
    ++count;
  }
  return count - 1;  // the listing's own
}

}  // namespace

int main(int argc, char** argv) {
  constexpr int kDownloads = 1000;
  const std::vector<std::string> serverOptions(argv + 1, argv + argc);
  auto image = std::make_unique<download::MemoryImage>();
  for (int i = 0; i < 23; ++i) image->bytes[i] = static_cast<std::uint8_t>(0x75 + i * 7);
  image->EndAddress = download::ImageBase + 23;

  char folder[] = "/tmp/orvane-soak-bench-XXXXXX";
  if (mkdtemp(folder) == nullptr) return 1;
  const std::string link = std::string(folder) + "/board";
  bench::BoardServer server(link, serverOptions);
  if (!server.Running()) {
    std::fprintf(stderr, "orvane-board did not start\n");
    return 1;
  }

  ui::MemoryComboBox port({link}, 0), baud({"57600"}, 0);
  ui::MemoryCheckBox autoDetect, usb;
  ui::MemoryRadioGroup testing, algorithm;
  ui::MemoryStatusBar status;
  ui::MemoryWindow form1;
  Errors errors;
  ui::NoMessagePump pump;
  ui::RealTimeWaiter sleeper;
  ui::MainWindowControls controls{port,   baud,  autoDetect, usb,  testing, algorithm,
                                   status, form1, errors,     pump, sleeper};
  serial::TComPort comPort;
  app::ApplyMainWindowDesign(comPort);
  board::BoardLink boardLink(comPort, controls);
  algorithm.SetItemIndex(0);

  std::printf("%9s %9s %12s %12s\n", "downloads", "seconds", "resident KB", "descriptors");
  const auto start = std::chrono::steady_clock::now();
  int failures = 0;
  for (int n = 1; n <= kDownloads; ++n) {
    ui::MemoryProgressWindow form2(form1);
    const bool ok =
        download::ConnectForDownload(boardLink) && download::DownloadRun(boardLink, *image, form2);
    if (!ok) ++failures;
    comPort.Close();
    if (n % 100 == 0) {
      const double seconds =
          std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
      std::printf("%9d %9.1f %12ld %12d\n", n, seconds, ResidentKb(), OpenDescriptors());
      std::fflush(stdout);
    }
  }
  std::printf("failed downloads: %d of %d\n", failures, kDownloads);
  std::filesystem::remove_all(folder);
  return failures == 0 ? 0 : 1;
}
