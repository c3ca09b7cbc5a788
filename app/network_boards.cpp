#include "app/network_boards.h"

#include <algorithm>

#include "serial/port_list.h"

namespace orvane::app {
namespace {

bool Listed(const std::vector<std::string>& names, const std::string& name) {
  return std::any_of(names.begin(), names.end(),
                     [&](const std::string& n) { return EqualIgnoringAsciiCase(n, name); });
}

}  // namespace

std::vector<std::string> NetworkBoards(const IniProfile& settings) {
  const IniDocument doc = settings.Load();
  std::vector<std::string> boards;
  for (int n = 1; n <= kMaxNetworkBoards; ++n) {
    const std::string key = kNetworkBoardKeyPrefix + std::to_string(n);
    const std::string board = doc.Read(kNetworkSection, key, "");
    if (board.empty()) break;
    if (!Listed(boards, board)) boards.push_back(board);
  }
  return boards;
}

std::vector<std::string> PortsWithNetworkBoards(const std::filesystem::path& settingsFile) {
  std::vector<std::string> ports;
  serial::ListPorts(ports);
  for (const std::string& board : NetworkBoards(IniProfile(settingsFile))) {
    if (!Listed(ports, board)) ports.push_back(board);
  }
  return ports;
}

}  // namespace orvane::app
