// The time-out contract on the termios device, in real time against a pseudo-terminal whose
// master side plays the other end (the cases that take longer than a moment are left to the
// devices on virtual time, tests/sim/timeout_contract_test.cpp).
#include <fcntl.h>
#include <gtest/gtest.h>
#include <pty.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "serial/com_device.h"
#include "serial/unique_fd_posix.h"
#include "support/timeout_contract.h"

namespace orvane::test_support {
namespace {

using Clock = std::chrono::steady_clock;

class PtyContractLine final : public ContractLine {
 public:
  PtyContractLine() {
    int master = -1;
    int slave = -1;
    char name[128] = {};
    if (openpty(&master, &slave, name, nullptr, nullptr) != 0) return;
    master_.Reset(master);
    slave_.Reset(slave);  // kept open, so the line never hangs up between cases
    fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
    serial::SysError error = serial::kSuccess;
    device_ = serial::OpenPlatformDevice(name, &error);
    serial::Dcb dcb;
    dcb.BaudRate = 57600;
    if (device_) device_->SetState(dcb);
  }
  ~PtyContractLine() override { Settle(); }

  bool Ready() const { return device_ != nullptr; }
  serial::ComDevice& Device() override { return *device_; }
  Micros Now() override { return std::chrono::duration_cast<Micros>(Clock::now() - origin_); }
  void Send(const std::vector<int>& arrivalsMs) override {
    sender_.Send(arrivalsMs, *device_, [this](int count) { SendNow(count); });
  }
  bool HoldOutput() override { return true; }  // nobody reads the master side
  bool RealTime() const override { return true; }
  void Settle() override {
    sender_.Join();
    std::uint8_t chunk[4096];
    while (read(master_.Get(), chunk, sizeof chunk) > 0) {
    }
    if (device_) device_->Purge(serial::kPurgeRxClear | serial::kPurgeTxClear);
  }

 private:
  void SendNow(int count) {
    if (count == 0) return;
    const std::vector<std::uint8_t> bytes(static_cast<std::size_t>(count), 0xA5);
    ASSERT_EQ(write(master_.Get(), bytes.data(), bytes.size()), count);
  }

  Clock::time_point origin_ = Clock::now();
  serial::UniqueFd master_;
  serial::UniqueFd slave_;
  std::unique_ptr<serial::ComDevice> device_;
  RealTimeSender sender_;
};

TEST(TimeoutContract, PseudoTerminalDevice) {
  PtyContractLine reads;
  ASSERT_TRUE(reads.Ready());
  CheckReadContract(reads, "pty");
  PtyContractLine writes;
  ASSERT_TRUE(writes.Ready());
  CheckWriteContract(writes, "pty");
}

}  // namespace
}  // namespace orvane::test_support
