#include "cli/serial_monitor.h"

#include <chrono>
#include <exception>
#include <ostream>
#include <vector>

#include "serial/hand_over.h"

namespace orvane::cli {

SerialMonitor::SerialMonitor(serial::TComPort& port, std::FILE* out) : port_(port), out_(out) {
  // The tool has no message loop: the monitor's own wait serves the hand-overs, and until it
  // runs they wait (the event thread with them), which costs nothing.
  serial::SetHandOverWaker(nullptr);
  port_.OnRxChar = [this](serial::TCustomComPort&, std::int32_t count) {
    if (!running_.load()) return;
    try {
      Copy(count);
    } catch (const std::exception&) {
      // Kept for Run's report: raised on, it would only reach the event thread, which is gone.
      readFailure_ = std::current_exception();
    }
  };
}

SerialMonitor::~SerialMonitor() {
  // The port outlives the monitor only closed, when its event thread reads the handler no more.
  try {
    port_.Close();
  } catch (const std::exception& error) {
    serial::ShowError(error);
  }
  if (!port_.Connected()) port_.OnRxChar = nullptr;
}

void SerialMonitor::Copy(std::int32_t count) {
  if (count <= 0) return;
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(count));
  const std::int32_t got = port_.Read(bytes.data(), count);  // a failure closes the port
  std::fwrite(bytes.data(), 1, static_cast<std::size_t>(got), out_);
  std::fflush(out_);
}

int SerialMonitor::Run(double seconds, std::ostream& errors) {
  using Clock = std::chrono::steady_clock;
  const Clock::time_point deadline =
      seconds < 0
          ? Clock::time_point::max()
          : Clock::now() +
                std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
  running_.store(true);
  try {
    // What came between the download's last answer and now was reported while nobody copied.
    Copy(port_.PendingInputCount());
  } catch (const std::exception& error) {
    running_.store(false);
    errors << error.what() << std::endl;
    return 1;
  }
  // A failed read in the handler closes the port, which ends its event thread too.
  serial::WaitServingUntil([this] { return interrupted_.load() || !port_.EventThreadRunning(); },
                           deadline);
  running_.store(false);
  if (!interrupted_.load() && !port_.EventThreadRunning()) return ReportFailure(errors);
  return 0;
}

void SerialMonitor::Interrupt() {
  interrupted_.store(true);
  serial::WakeUiThread();
}

int SerialMonitor::ReportFailure(std::ostream& errors) {
  try {
    if (const std::exception_ptr failure =
            readFailure_ ? readFailure_ : port_.EventThreadFailure()) {
      std::rethrow_exception(failure);
    }
    // The wait itself failed (the line went away): a read says why, in the port's own words.
    std::uint8_t byte = 0;
    port_.Read(&byte, 1);
    errors << "The serial port stopped reporting events" << std::endl;
  } catch (const std::exception& error) {
    errors << error.what() << std::endl;
  }
  return 1;
}

}  // namespace orvane::cli
