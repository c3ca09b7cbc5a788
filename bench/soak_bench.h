// The soak shared by the POSIX and the Windows benchmark: downloads in a row in one process,
// through the real serial layer to orvane-board, the way the window makes them: one port object,
// one board link, each download a fresh connection. A small program (23 bytes) with the page
// algorithm keeps the run short. Every 100 downloads it prints the seconds so far and the
// platform's figures, which must not grow: the memory the system counts for the process, the
// bytes in use in the C runtime's heap (the program's own allocations, without what the system
// keeps for the process), and the open handles.
#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <functional>
#include <memory>
#include <string>

#include "board/board_link.h"
#include "board/port_defaults.h"
#include "download/download_run.h"
#include "serial/com_port.h"
#include "ui/views/main_window_controls.h"
#include "ui/views/memory_progress_window.h"
#include "ui/views/memory_views.h"

namespace orvane::bench {

struct SoakFigures {
  long memoryKb = 0;
  long heapKb = 0;
  long handles = 0;
};

// What differs between the platforms.
struct SoakPlatform {
  const char* memoryHeading;  // the column of SoakFigures::memoryKb
  const char* handleHeading;  // the column of SoakFigures::handles
  std::function<SoakFigures()> measure;
  // After a download, before the next connection; the window's message loop has run once.
  std::function<void(serial::TComPort&)> betweenDownloads;
};

inline constexpr int kSoakDownloads = 1000;
inline constexpr int kSoakReportEvery = 100;

namespace soak_detail {

class Errors final : public ui::ErrorReporter {
 public:
  void ShowError(const std::string& text) override { std::fprintf(stderr, "%s\n", text.c_str()); }
};

inline std::unique_ptr<download::MemoryImage> SmallImage() {
  auto image = std::make_unique<download::MemoryImage>();
  for (int i = 0; i < 23; ++i) image->bytes[i] = static_cast<std::uint8_t>(0x75 + i * 7);
  image->EndAddress = download::ImageBase + 23;
  return image;
}

// One download as the window's command makes it: connect at the chosen port, run, close the
// progress window. An error of the port that escapes is the window's message box.
inline bool DownloadOnce(board::BoardLink& link, const download::MemoryImage& image,
                         ui::MemoryWindow& form1) {
  ui::MemoryProgressWindow form2(form1);
  try {
    if (!download::ConnectForDownload(link)) return false;
    const bool ok = download::DownloadRun(link, image, form2);
    form2.Close();
    return ok;
  } catch (const std::exception& error) {
    // The run has closed the progress window on its way out.
    std::fprintf(stderr, "%s\n", error.what());
    return false;
  }
}

}  // namespace soak_detail

// Runs `downloads` downloads to the board at `portName` and returns how many failed.
inline int RunSoak(const std::string& portName, int downloads, ui::MessagePump& pump,
                   const SoakPlatform& platform) {
  const auto image = soak_detail::SmallImage();
  ui::MemoryComboBox port({portName}, 0), baud({"57600"}, 0);
  ui::MemoryCheckBox autoDetect, usb;
  ui::MemoryRadioGroup testing, algorithm;
  ui::MemoryStatusBar status;
  ui::MemoryWindow form1;
  soak_detail::Errors errors;
  ui::RealTimeWaiter sleeper;
  ui::MainWindowControls controls{port,   baud,  autoDetect, usb,  testing, algorithm,
                                  status, form1, errors,     pump, sleeper};
  serial::TComPort comPort;
  board::ApplyPortDefaults(comPort);
  board::BoardLink boardLink(comPort, controls);
  algorithm.SetItemIndex(0);

  std::printf("%9s %9s %15s %9s %12s\n", "downloads", "seconds", platform.memoryHeading, "heap KB",
              platform.handleHeading);
  const auto start = std::chrono::steady_clock::now();
  int failures = 0;
  for (int n = 1; n <= downloads; ++n) {
    if (!soak_detail::DownloadOnce(boardLink, *image, form1)) ++failures;
    pump.ProcessMessages();
    platform.betweenDownloads(comPort);
    if (n % kSoakReportEvery == 0 || n == downloads) {
      const double seconds =
          std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
      const SoakFigures figures = platform.measure();
      std::printf("%9d %9.1f %15ld %9ld %12ld\n", n, seconds, figures.memoryKb, figures.heapKb,
                  figures.handles);
      std::fflush(stdout);
    }
  }
  std::printf("failed downloads: %d of %d\n", failures, downloads);
  return failures;
}

}  // namespace orvane::bench
