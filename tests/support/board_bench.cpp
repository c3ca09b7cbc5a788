#include "support/board_bench.h"

#include "board/board_messages.h"
#include "board/port_defaults.h"

namespace orvane::test_support {

BoardBench::BoardBench()
    : ComPort1([this](const std::string& port, serial::SysError* error) {
        openAttempts.push_back(port);
        auto it = boards.find(port);
        if (it == boards.end()) {
          *error = serial::PortAbsentError();
          return std::unique_ptr<serial::ComDevice>();
        }
        return sim::OpenBoardDevice(it->second, error);
      }) {
  board::ApplyPortDefaults(ComPort1);
  std::vector<std::string> rates(std::begin(board::kBaudRateItems),
                                 std::end(board::kBaudRateItems));
  cbBaudrateOption.SetItems(rates, board::kDefaultBaudRateItem);
}

std::shared_ptr<sim::VirtualBoard> BoardBench::AddBoard(const std::string& port,
                                                        sim::BoardConfig config) {
  auto board = std::make_shared<sim::VirtualBoard>(std::move(config), clock);
  boards[port] = board;
  return board;
}

std::shared_ptr<sim::VirtualBoard> BoardBench::AddSilentPort(const std::string& port) {
  sim::BoardConfig config;
  config.silentAfter = 0;
  return AddBoard(port, config);
}

void BoardBench::AddHeldPort(const std::string& port) { AddBoard(port)->SetHeld(true); }

void BoardBench::SetPortList(const std::vector<std::string>& ports) {
  cbCOMOption.SetItems(ports, 0);
}

double BoardBench::ElapsedMs() const { return clock->Now().count() / 1000.0; }

}  // namespace orvane::test_support
