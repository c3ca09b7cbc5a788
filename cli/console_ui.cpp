#include "cli/console_ui.h"

#include <iterator>
#include <ostream>

#include "board/board_messages.h"

namespace orvane::cli {

ConsoleErrorReporter::ConsoleErrorReporter(std::ostream& out) : out_(out) {}

void ConsoleErrorReporter::ShowError(const std::string& text) {
  out_ << text << std::endl;
  shown_.push_back(text);
}

ConsoleUi::ConsoleUi(std::ostream& errorStream) : errors(errorStream) {
  cbBaudrateOption.SetItems(
      std::vector<std::string>(std::begin(board::kBaudRateItems), std::end(board::kBaudRateItems)),
      board::kDefaultBaudRateItem);
}

void ConsoleUi::ApplyOptions(const GlobalOptions& options, const std::vector<std::string>& ports) {
  cbCOMOption.SetItems(ports, 0);
  if (!options.port.empty()) cbCOMOption.SetText(options.port);
  cbBaudrateOption.SetText(options.baud);
  cbUSBOption.SetChecked(options.usbConverter);
  cbAutoDetect.SetChecked(options.autoDetect);
}

}  // namespace orvane::cli
