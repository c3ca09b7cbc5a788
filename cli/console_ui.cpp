#include "cli/console_ui.h"

#include <chrono>
#include <iterator>
#include <ostream>
#include <thread>

#include "board/board_messages.h"

namespace orvane::cli {

std::string ConsoleComboBox::Item(int index) const {
  if (index < 0 || index >= ItemCount()) return {};
  return items_[static_cast<std::size_t>(index)];
}

void ConsoleComboBox::SetItemIndex(int index) {
  if (index < 0 || index >= ItemCount()) {
    index_ = -1;
    text_.clear();
    return;
  }
  index_ = index;
  text_ = items_[static_cast<std::size_t>(index)];
}

void ConsoleComboBox::SetItems(std::vector<std::string> items, int index) {
  items_ = std::move(items);
  SetItemIndex(index);
}

void ConsoleComboBox::SetText(const std::string& text) {
  for (int i = 0; i < ItemCount(); ++i) {
    if (items_[static_cast<std::size_t>(i)] == text) {
      SetItemIndex(i);
      return;
    }
  }
  index_ = -1;
  text_ = text;
}

std::string ConsoleStatusBar::PanelText(int panel) const {
  if (panel < 0 || panel >= kPanels) return {};
  return panels_[static_cast<std::size_t>(panel)];
}

void ConsoleStatusBar::SetPanelText(int panel, const std::string& text) {
  if (panel >= 0 && panel < kPanels) panels_[static_cast<std::size_t>(panel)] = text;
}

ConsoleErrorReporter::ConsoleErrorReporter(std::ostream& out) : out_(out) {}

void ConsoleErrorReporter::ShowError(const std::string& text) { out_ << text << std::endl; }

void RealTimeWaiter::Wait(int milliseconds) {
  if (milliseconds > 0) std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
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
