// A bench for tests of everything that talks to the board: the real serial port object over
// virtual boards on virtual time, the main window's views as recording fakes, and the board link.
// Each port name can carry a board, a port where nothing answers, or be held by another program;
// names not added do not exist.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "board/board_link.h"
#include "serial/com_port.h"
#include "sim/board/clock.h"
#include "sim/line/virtual_board.h"
#include "sim/line/virtual_board_device.h"
#include "sim/line/virtual_board_registry.h"
#include "support/fake_window.h"

namespace orvane::test_support {

class BoardBench {
 public:
  // The port list is empty; the rate list is the main window's, "57600" selected.
  BoardBench();
  BoardBench(const BoardBench&) = delete;
  BoardBench& operator=(const BoardBench&) = delete;

  // A board at a port name, on the bench's clock.
  std::shared_ptr<sim::VirtualBoard> AddBoard(const std::string& port,
                                              sim::BoardConfig config = {});
  // A port that opens but where nothing answers.
  std::shared_ptr<sim::VirtualBoard> AddSilentPort(const std::string& port);
  // A port that exists but another program holds: it fails to open with access denied.
  void AddHeldPort(const std::string& port);
  // The entries of cbCOMOption, the first selected.
  void SetPortList(const std::vector<std::string>& ports);
  // Milliseconds of virtual time since the bench was made.
  double ElapsedMs() const;

  std::shared_ptr<sim::VirtualClock> clock = std::make_shared<sim::VirtualClock>();
  std::map<std::string, std::shared_ptr<sim::VirtualBoard>> boards;
  std::vector<std::string> openAttempts;  // port names the port object tried to open

  FakeComboBox cbCOMOption;
  FakeComboBox cbBaudrateOption;
  FakeCheckBox cbAutoDetect;
  FakeCheckBox cbUSBOption;
  FakeRadioGroup rgTestingOption;
  FakeRadioGroup rgDownloadAlg;
  FakeStatusBar StatusBar1;
  FakeWindow Form1;
  RecordingErrors errors;
  RecordingPump pump;
  sim::ClockWaiter waiter{*clock};
  ui::MainWindowControls controls{
      cbCOMOption,   cbBaudrateOption, cbAutoDetect, cbUSBOption, rgTestingOption,
      rgDownloadAlg, StatusBar1,       Form1,        errors,      pump,
      waiter};
  serial::TComPort ComPort1;
  board::BoardLink link{ComPort1, controls};
};

}  // namespace orvane::test_support
