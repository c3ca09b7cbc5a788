// A bench for the download commands: the board bench (real port object, virtual boards on
// virtual time, recording main window views), a progress window that notes when its result
// appeared and when it closed, an open dialog that returns what the test chose, the Recent Files
// list on a settings file in a scratch folder, and that folder as the current folder.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/download_commands.h"
#include "app/recent_files.h"
#include "download/download_messages.h"
#include "download/hex_file.h"
#include "download/hex_writer.h"
#include "download/memory_image.h"
#include "support/board_bench.h"
#include "support/fake_progress_window.h"
#include "support/settings_test_util.h"
#include "support/temp_folder.h"
#include "ui/views/progress_window_events.h"

namespace orvane::app::commands_test {

using Bytes = std::vector<std::uint8_t>;

class FakeOpenDialog : public OpenFileDialogView {
 public:
  bool Execute() override {
    ++executions;
    if (!choice) return false;
    fileName_ = *choice;
    return true;
  }
  std::string FileName() const override { return fileName_; }
  void SetFileName(const std::string& fileName) override { fileName_ = fileName; }

  std::optional<std::string> choice;  // what the user picks next; none cancels
  int executions = 0;

 private:
  std::string fileName_;
};

// Notes the virtual time at which the run's result appeared and at which the window closed.
class TimedProgressWindow : public test_support::FakeProgressWindow {
 public:
  TimedProgressWindow(ui::WindowView& form1, const test_support::BoardBench& bench)
      : FakeProgressWindow(form1), bench_(bench) {}
  void SetLabelText(const std::string& text) override {
    FakeProgressWindow::SetLabelText(text);
    if (text != ui::kDownloadingWaitText) resultAtMs.push_back(bench_.ElapsedMs());
  }
  void Close() override {
    closedAtMs.push_back(bench_.ElapsedMs());
    FakeProgressWindow::Close();
  }
  std::vector<double> resultAtMs;
  std::vector<double> closedAtMs;

 private:
  const test_support::BoardBench& bench_;
};

using test_support::ScopedCurrentFolder;

// The program bytes the tests download: no two neighbours equal.
inline Bytes Program(std::size_t size, std::uint8_t seed = 1) {
  Bytes bytes(size);
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>(seed + i * 7);
  return bytes;
}

struct CommandBench {
  CommandBench() {
    board = bench.AddBoard("COM3");
    bench.SetPortList({"COM3"});
    recent.Load();
    log.clear();
  }

  // Writes a HEX file of `program` at 0x4000 (the folder is made when missing); returns its name.
  std::string WriteHex(const std::filesystem::path& file, const Bytes& program) const {
    std::filesystem::create_directories(file.parent_path());
    test_support::WriteBytes(file, download::FormatHexFile(program, 0x4000));
    return file.string();
  }
  std::string Settings() const { return test_support::ReadBytes(settingsFile); }
  // The first `size` bytes of the board's program memory.
  Bytes BoardMemory(std::size_t size) const {
    const auto memory = board->Memory();
    return Bytes(memory.begin(), memory.begin() + static_cast<std::ptrdiff_t>(size));
  }

  test_support::TempFolder folder;
  ScopedCurrentFolder current{folder.Path()};
  std::filesystem::path settingsFile = folder / "Orvanekit.ini";

  test_support::BoardBench bench;
  std::shared_ptr<sim::VirtualBoard> board;
  TimedProgressWindow form2{bench.Form1, bench};
  FakeOpenDialog dialog;

  test_support::CallLog log;
  test_support::RecordingMenu menu{log};
  test_support::RecordingPainter painter{log};
  test_support::RecordingDialog initialDir{log};
  RecentFiles recent{settingsFile, menu, painter, initialDir};

  download::HexFile hexFile;
  std::unique_ptr<download::MemoryImage> image = std::make_unique<download::MemoryImage>();
  DownloadCommands commands{bench.link, form2, dialog, &recent, hexFile, *image};
};

}  // namespace orvane::app::commands_test
