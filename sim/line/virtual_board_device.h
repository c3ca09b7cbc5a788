// The serial device of a virtual board: one open handle on it, for the serial port object, and
// the opener that refuses a held or vanished board as a platform refuses a busy or missing port.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>

#include "serial/com_device.h"
#include "sim/line/virtual_board.h"

namespace orvane::sim {

// Runs a real-time board's program up to the present every VirtualBoard::kPaceStep, sleeping in
// between, for as long as it lives. Each open device owns one: the program runs while a port
// holds the board (closing the port drops DTR, which stops it), and no process-wide object owns
// a thread that exit could stop while it holds the board's lock.
class ProgramPacer {
 public:
  explicit ProgramPacer(std::shared_ptr<VirtualBoard> board);
  ~ProgramPacer();
  ProgramPacer(const ProgramPacer&) = delete;
  ProgramPacer& operator=(const ProgramPacer&) = delete;

 private:
  void Pace();

  std::shared_ptr<VirtualBoard> board_;
  std::mutex mutex_;
  std::condition_variable wake_;
  bool stop_ = false;
  std::thread thread_;  // last: it starts once the rest is ready
};

// A serial device (one open handle) on a virtual board, for the serial port object.
class VirtualBoardDevice final : public serial::ComDevice {
 public:
  explicit VirtualBoardDevice(std::shared_ptr<VirtualBoard> board);
  ~VirtualBoardDevice() override;
  VirtualBoardDevice(const VirtualBoardDevice&) = delete;
  VirtualBoardDevice& operator=(const VirtualBoardDevice&) = delete;

  serial::SysError Setup(std::int32_t inputSize, std::int32_t outputSize) override;
  serial::SysError SetState(const serial::Dcb& dcb) override;
  serial::SysError SetTimeouts(const serial::CommTimeouts& timeouts) override;
  serial::IoResult Write(const std::uint8_t* data, std::int32_t count) override;
  serial::IoResult Read(std::uint8_t* data, std::int32_t count) override;
  serial::SysError Purge(std::uint32_t flags) override;
  serial::SysError Escape(std::uint32_t function) override;
  serial::SysError ClearError(std::uint32_t* errors, std::uint32_t* inputQueue) override;
  serial::SysError ModemStatus(std::uint32_t* status) override;
  // Events: evRxChar only (the board drives no modem lines and makes no line errors).
  serial::SysError SetEventMask(std::uint32_t mask) override;
  std::unique_ptr<serial::ComEventWait> NewEventWait() override;

 private:
  std::shared_ptr<VirtualBoard> board_;
  serial::CommTimeouts timeouts_;
  // Held jointly with the event waits, which may outlive this handle (a thread let go by its port).
  std::shared_ptr<std::atomic<std::uint32_t>> eventMask_ =
      std::make_shared<std::atomic<std::uint32_t>>(0);
  std::unique_ptr<ProgramPacer> pacer_;  // in real time only
};

// Opens a device on `board` as a port opener would, with the platform's numbers: fails with
// PortHeldError when the board is held and PortAbsentError when it has vanished.
std::unique_ptr<serial::ComDevice> OpenBoardDevice(const std::shared_ptr<VirtualBoard>& board,
                                                   serial::SysError* error);

}  // namespace orvane::sim
