// libFuzzer target: the virtual board's firmware on arbitrary host bytes. The first bytes choose
// the board's faults; the rest reach it one by one, with a reset (the DTR pulse) where the host
// sends 0xFE 0xFE. Whatever arrives, the firmware answers in time order, stores only inside its
// program memory and keeps its state machine in a known state.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "sim/line/board_config.h"
#include "sim/line/board_firmware.h"

namespace {

using namespace orvane::sim;

void Require(bool condition) {
  if (!condition) std::abort();
}

BoardConfig ConfigOf(const std::uint8_t* data, std::size_t size) {
  BoardConfig config;
  if (size < 3) return config;
  config.faultCount = static_cast<FaultCount>(data[0] % 3);
  if (data[1] & 0x80) config.silentAfter = data[1] & 0x7F;
  if (data[2] & 0x80) config.wrongAnswerAt = data[2] & 0x7F;
  if (data[2] & 0x40) config.strayBeforeAt = data[1] & 0x3F;
  config.program = static_cast<ProgramBehaviour>(data[0] / 3 % 3);
  return config;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  BoardFirmware firmware(ConfigOf(data, size));
  const std::size_t start = size < 3 ? 0 : 3;
  for (std::size_t i = start; i < size; ++i) {
    if (data[i] == 0xFE && i + 1 < size && data[i + 1] == 0xFE) {
      firmware.Reset();
      ++i;
      continue;
    }
    const auto answers = firmware.Receive(data[i]);
    Require(answers.size() <= 64);
    for (std::size_t a = 1; a < answers.size(); ++a) {
      Require(answers[a].delay >= answers[a - 1].delay);
    }
    for (const Answer& answer : answers) Require(answer.delay.count() >= 0);
    Require(static_cast<int>(firmware.State()) <= static_cast<int>(FirmwareState::ProgramRunning));
  }
  return 0;
}
