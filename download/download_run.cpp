#include "download/download_run.h"

#include "board/board_messages.h"
#include "download/download_messages.h"
#include "download/load_result.h"
#include "download/transfer.h"

namespace orvane::download {
namespace {

enum class RunOutcome { StartNotWritten, Failed, Succeeded };

RunOutcome SendCommandAndTransfer(board::BoardLink& link, const MemoryImage& image,
                                  ui::ProgressWindowView& form2) {
  ui::MainWindowControls& controls = link.Controls();
  // Exit chosen while the board answered the handshake: nothing goes to it.
  controls.pump.ProcessMessages();
  if (controls.pump.EndRequested()) return RunOutcome::StartNotWritten;
  // '*' is still in SendByte from the handshake; it opens the command.
  if (!link.WriteSendByte()) return RunOutcome::StartNotWritten;

  const int index = controls.rgDownloadAlg.ItemIndex();
  // The group always has a choice; should it ever have none, no command code is guessed.
  if (index < 0 || index >= kDownloadAlgorithmCount) return RunOutcome::Failed;
  const DownloadAlgorithm& algorithm = kDownloadAlgorithms[index];
  link.SendByte = algorithm.commandCode;
  if (!link.WriteSendByte()) return RunOutcome::Failed;

  Transfer transfer(link, image, form2, controls.pump);
  const auto start = static_cast<std::uint16_t>(ImageBase);
  const bool done = algorithm.page ? transfer.PageDownload(start, algorithm.verify)
                                   : transfer.ByteDownload(start, algorithm.verify);
  return done ? RunOutcome::Succeeded : RunOutcome::Failed;
}

}  // namespace

std::optional<std::string> DownloadRefusal(const MemoryImage& image) {
  if (image.EndAddress <= ImageBase) return std::string(kNoDataToDownloadText);
  if (image.EndAddress > ImageLimit) return std::string(LoadResultMessage(AddressRangeError));
  return std::nullopt;
}

bool ConnectForDownload(board::BoardLink& link) {
  ui::MainWindowControls& controls = link.Controls();
  if (controls.cbAutoDetect.Checked()) return link.ScanForBoard(1);

  const std::string port = controls.cbCOMOption.Text();
  const std::string baud = controls.cbBaudrateOption.Text();
  if (port.empty() || baud.empty()) {
    controls.errors.ShowError(kSelectComPortText);
    return false;
  }
  if (!link.ConnectBoard(port, baud)) {
    controls.errors.ShowError(board::kBoardCheckText);
    return false;
  }
  controls.StatusBar1.SetPanelText(ui::kConnectionPanel, board::kConnectedAtText);
  controls.StatusBar1.SetPanelText(ui::kPortPanel, port);
  controls.StatusBar1.SetPanelText(ui::kBaudRatePanel, baud);
  controls.StatusBar1.Repaint();
  return true;
}

bool DownloadRun(board::BoardLink& link, const MemoryImage& image, ui::ProgressWindowView& form2) {
  form2.SetCloseButtonVisible(false);
  form2.Show();
  RunOutcome outcome = RunOutcome::Failed;
  try {
    outcome = SendCommandAndTransfer(link, image, form2);
  } catch (...) {
    // Left alone, the window would stay up with no Close button and the main window disabled
    // behind the error message.
    form2.Close();
    link.Controls().Form1.SetEnabled(true);
    throw;
  }
  // Not even '*' went out: the waiting text stays and the caller closes the window.
  if (outcome == RunOutcome::StartNotWritten) return false;
  const bool succeeded = outcome == RunOutcome::Succeeded;
  form2.SetLabelText(succeeded ? kDownloadSucceededText : kDownloadFailureText);
  form2.SetCloseButtonVisible(true);
  return succeeded;
}

}  // namespace orvane::download
