// The time-out contract on the devices that run on virtual time: the scripted test device and the
// virtual board's device. The pseudo-terminal device runs the same cases in real time
// (tests/serial/timeout_contract_posix_test.cpp).
#include <gtest/gtest.h>

#include "serial/com_device.h"
#include "sim/line/virtual_board.h"
#include "sim/line/virtual_board_device.h"
#include "sim/line/virtual_board_registry.h"
#include "support/scripted_com_device.h"
#include "support/timeout_contract.h"

namespace orvane::test_support {
namespace {

class ScriptedContractLine final : public ContractLine {
 public:
  ScriptedContractLine() : line_(std::make_shared<ScriptedLine>()), device_(line_) {}

  serial::ComDevice& Device() override { return device_; }
  Micros Now() override { return line_->now; }
  void Send(const std::vector<int>& arrivalsMs) override {
    for (const int ms : arrivalsMs) {
      if (ms == 0) {
        line_->input.push_back(0xA5);
      } else {
        line_->arriving.emplace_back(line_->now + std::chrono::milliseconds(ms), 0xA5);
      }
    }
  }
  bool HoldOutput() override {
    line_->writeCapacity = 16;
    return true;
  }
  bool RealTime() const override { return false; }
  void Settle() override {
    line_->input.clear();
    line_->arriving.clear();
    line_->writeCapacity = -1;
  }

 private:
  std::shared_ptr<ScriptedLine> line_;
  ScriptedComDevice device_;
};

class VirtualContractLine final : public ContractLine {
 public:
  VirtualContractLine() {
    sim::BoardConfig config;
    config.pacing = false;  // bytes arrive exactly when sent
    board_ = std::make_shared<sim::VirtualBoard>(config, clock_);
    serial::SysError error = serial::kSuccess;
    device_ = sim::OpenBoardDevice(board_, &error);
  }

  serial::ComDevice& Device() override { return *device_; }
  Micros Now() override { return clock_->Now(); }
  void Send(const std::vector<int>& arrivalsMs) override {
    const Micros now = clock_->Now();
    for (const int ms : arrivalsMs) board_->BoardSend({0xA5}, now + sim::Ms(ms));
  }
  bool HoldOutput() override { return false; }  // the line takes every byte at once
  bool RealTime() const override { return false; }
  void Settle() override {
    clock_->Advance(sim::Ms(1000));
    device_->Purge(serial::kPurgeRxClear);
  }

 private:
  std::shared_ptr<sim::VirtualClock> clock_ = std::make_shared<sim::VirtualClock>();
  std::shared_ptr<sim::VirtualBoard> board_;
  std::unique_ptr<serial::ComDevice> device_;
};

TEST(TimeoutContract, ScriptedDevice) {
  ScriptedContractLine reads;
  CheckReadContract(reads, "scripted");
  ScriptedContractLine writes;
  CheckWriteContract(writes, "scripted");
}

TEST(TimeoutContract, VirtualBoardDevice) {
  VirtualContractLine reads;
  CheckReadContract(reads, "virtual");
  VirtualContractLine writes;
  CheckWriteContract(writes, "virtual");
}

}  // namespace
}  // namespace orvane::test_support
