#include "board/board_link.h"

#include <exception>

#include "board/board_messages.h"
#include "board/board_protocol.h"
#include "serial/com_error.h"
#include "serial/network_address.h"

namespace orvane::board {
namespace {

// Selects the first entry equal to text; leaves the box as it is when there is none.
void SelectFirstEqual(ui::ComboBoxView& box, const std::string& text) {
  for (int i = 0; i < box.ItemCount(); ++i) {
    if (box.Item(i) == text) {
      box.SetItemIndex(i);
      return;
    }
  }
}

}  // namespace

BoardLink::BoardLink(serial::TComPort& comPort, ui::MainWindowControls& controls)
    : ComPort1(comPort), controls_(controls) {}

bool BoardLink::WriteSendByte() { return ComPort1.Write(&SendByte, 1) == 1; }

bool BoardLink::ReadReceiveByte() {
  std::uint8_t byte = 0;
  if (ComPort1.Read(&byte, 1) != 1) return false;
  ReceiveByte = byte;
  return true;
}

bool BoardLink::ConnectBoard(const std::string& portText, const std::string& baudText) {
  if (portText.empty() || baudText.empty()) {
    controls_.errors.ShowError(kSelectComAndBaudrateText);
    return false;
  }
  // Whatever keeps the port from opening (absent, held by another program, access refused), the
  // user is told the same thing.
  lastOpenError_ = serial::kSuccess;
  try {
    ComPort1.SetPort(portText);
    ComPort1.Open();
  } catch (const serial::EComPort& error) {
    lastOpenError_ = error.SystemErrorCode();
    controls_.errors.ShowError(portText + kPortInUseSuffix);
    return false;
  } catch (const std::exception&) {
    lastOpenError_ = serial::EComPort::kNoSystemError;
    controls_.errors.ShowError(portText + kPortInUseSuffix);
    return false;
  }
  // From here on a failing port call is an error of the port, not a missing board: it is left
  // to the caller.
  if (ComPort1.Connected()) ComPort1.PurgeBuffers(true, true);
  ComPort1.Timeouts().SetReadTotalConstant(kHandshakeTimeoutMs);
  ComPort1.SetBaudRate(serial::BaudRateFromText(baudText));

  // The DTR pulse resets the board into its resident firmware.
  ui::Waiter& waiter = controls_.waiter;
  waiter.Wait(kDtrPulseMs);
  ComPort1.SetDTR(false);
  waiter.Wait(kDtrPulseMs);
  ComPort1.SetDTR(true);
  // A USB converter needs a moment longer before the board hears the first byte.
  if (controls_.cbUSBOption.Checked()) waiter.Wait(kUsbConverterWaitMs);

  SendByte = kSync;
  if (!WriteSendByte()) return false;
  SendByte = kCommandStart;
  if (!WriteSendByte()) return false;
  return ReadReceiveByte() && ReceiveByte == kHandshakeAnswer;
}

bool BoardLink::ScanForBoard(int repeatCount) {
  ui::StatusBarView& statusBar = controls_.StatusBar1;
  ui::ComboBoxView& ports = controls_.cbCOMOption;
  ui::ComboBoxView& rates = controls_.cbBaudrateOption;
  statusBar.SetPanelText(ui::kConnectionPanel, kDetectingText);

  for (int pass = 0; pass < repeatCount; ++pass) {
    // The lists are read afresh at every step: window messages run during the scan.
    for (int p = 0; p < ports.ItemCount(); ++p) {
      for (int r = rates.ItemCount() - 1; r >= 0; --r) {
        if (p >= ports.ItemCount() || r >= rates.ItemCount()) continue;
        const std::string portText = ports.Item(p);
        // The scan looks for a board on a cable: a network board is named, never searched for
        // (a server that is down would cost every rate its connection time-out).
        if (serial::IsNetworkPortName(portText)) continue;
        const std::string baudText = rates.Item(r);
        statusBar.SetPanelText(ui::kPortPanel, portText);
        statusBar.SetPanelText(ui::kBaudRatePanel, baudText);
        controls_.pump.ProcessMessages();
        if (controls_.pump.EndRequested()) return EndScan(/*tell=*/false);
        statusBar.Repaint();

        if (ConnectBoard(portText, baudText)) {
          statusBar.SetPanelText(ui::kConnectionPanel, kConnectedAtText);
          SelectFirstEqual(ports, portText);
          SelectFirstEqual(rates, baudText);
          statusBar.Repaint();
          return true;
        }
        controls_.waiter.Wait(kScanPauseMs);
      }
    }
  }

  return EndScan(/*tell=*/true);
}

bool BoardLink::EndScan(bool tell) {
  if (ComPort1.Connected()) ComPort1.Close();
  if (tell) controls_.errors.ShowError(kBoardCheckText);
  ui::StatusBarView& statusBar = controls_.StatusBar1;
  statusBar.SetPanelText(ui::kConnectionPanel, "");
  statusBar.SetPanelText(ui::kPortPanel, "");
  statusBar.SetPanelText(ui::kBaudRatePanel, "");
  return false;
}

void BoardLink::cbAutoDetectClick() {
  if (controls_.cbAutoDetect.Checked()) {
    controls_.StatusBar1.SetPanelText(ui::kAutoDetectPanel, kAutoDetectText);
    controls_.cbCOMOption.SetItemIndex(-1);
    controls_.cbBaudrateOption.SetItemIndex(-1);
  } else {
    controls_.StatusBar1.SetPanelText(ui::kAutoDetectPanel, "");
  }
}

}  // namespace orvane::board
