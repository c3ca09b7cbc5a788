// A bench for the board tests: the board bench (real port object, a virtual board at COM3 on
// virtual time, recording main window views), a recording progress window, a testing window that
// notes what it was shown with, the test programs of this build as the only place test files are
// found, and an empty scratch folder as the current folder.
#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "download/hex_file.h"
#include "download/memory_image.h"
#include "support/board_bench.h"
#include "support/fake_progress_window.h"
#include "support/temp_folder.h"
#include "testing/board_tests.h"
#include "ui/views/memory_testing_window.h"

namespace orvane::test_support {

class RecordingTestingWindow : public boardtest::MemoryTestingWindow {
 public:
  using MemoryTestingWindow::MemoryTestingWindow;
  void Show() override {
    ++shows;
    okVisibleAtShow = OkButtonVisible();
    MemoryTestingWindow::Show();
  }
  // The exchanges repaint the window just before they begin.
  void Repaint() override {
    ++repaints;
    if (onRepaint) onRepaint();
  }
  void RepaintText() override { ++textRepaints; }
  void FocusPanel() override { ++focuses; }

  int shows = 0;
  bool okVisibleAtShow = true;
  int repaints = 0;
  int textRepaints = 0;
  int focuses = 0;
  std::function<void()> onRepaint;
};

// Where the build puts the test programs, beside its programs.
inline std::filesystem::path ProgramFolder() { return ORVANE_BINARY_DIR; }

struct TestingBench {
  explicit TestingBench(sim::BoardConfig config = {}) {
    board = bench.AddBoard("COM3", std::move(config));
    bench.SetPortList({"COM3"});
  }
  // Runs the test of an item of rgTestingOption, as F8 would.
  bool Run(int item) {
    bench.rgTestingOption.SetItemIndex(item);
    return tests.Testing1Click();
  }
  // The bytes the host sent after the handshake's 0x80 '*'.
  std::vector<std::uint8_t> HostBytesAfterHandshake() const {
    const std::vector<std::uint8_t> all = board->HostBytes();
    return all.size() < 2 ? all : std::vector<std::uint8_t>(all.begin() + 2, all.end());
  }

  TempFolder folder;
  ScopedCurrentFolder current{folder.Path()};
  BoardBench bench;
  std::shared_ptr<sim::VirtualBoard> board;
  FakeProgressWindow form2{bench.Form1};
  RecordingTestingWindow form3{bench.Form1};
  download::HexFile hexFile;
  std::unique_ptr<download::MemoryImage> image = std::make_unique<download::MemoryImage>();
  std::vector<std::filesystem::path> testFileFolders{ProgramFolder()};
  boardtest::BoardTests tests{bench.link, form2, form3, hexFile, *image, testFileFolders};
};

}  // namespace orvane::test_support
