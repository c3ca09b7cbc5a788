#include "sim/line/board_firmware.h"

#include <algorithm>
#include <iterator>

namespace orvane::sim {

BoardFirmware::BoardFirmware(const BoardConfig& config) : config_(config) {
  memory_.fill(kErased);
  Reset();
}

void BoardFirmware::Reset() {
  state_ = FirmwareState::Idle;
  pageLeft_ = 0;
  if (config_.faultCount == FaultCount::SinceReset) {
    counted_ = 0;
  } else {
    counted_.reset();
  }
}

void BoardFirmware::Store(std::uint16_t address, std::uint8_t value) {
  // Addresses outside the program memory reach other chips, not this one.
  if (address >= download::ImageBase && address < download::ImageLimit) {
    memory_[address - download::ImageBase] = value;
  }
}

void BoardFirmware::Echo(std::uint8_t byte, bool wanted, std::vector<Answer>& out) const {
  if (wanted) out.push_back({byte, config_.answerDelay});
}

void BoardFirmware::StartCommand(std::uint8_t code, std::vector<Answer>& out) {
  (void)out;
  switch (code) {
    case board::kSelftestCommand:
      state_ = FirmwareState::Selftest;
      break;
    case board::kPageDownloadUnverified:
    case board::kPageDownloadVerified:
      verify_ = code == board::kPageDownloadVerified;
      state_ = FirmwareState::PageEndHigh;
      break;
    case board::kByteDownloadUnverified:
    case board::kByteDownloadVerified:
      verify_ = code == board::kByteDownloadVerified;
      state_ = FirmwareState::ByteStartHigh;
      break;
    case board::kSync:  // the host starts a new handshake
      state_ = FirmwareState::Synced;
      return;
    case board::kCommandStart:  // a repeated '*' still opens a command
      return;
    default:
      state_ = FirmwareState::Ready;
      return;
  }
  lastCommand_ = code;
  if (config_.faultCount == FaultCount::SinceCommand) counted_ = 0;
}

ProgramBehaviour RecogniseProgram(const std::uint8_t* code, std::size_t size) {
  // 8051 instructions: MOV A,SBUF; MOV SBUF,A; MOV A,#'L'; MOV A,#'S'.
  constexpr std::uint8_t kReadSerial[] = {0xE5, 0x99};
  constexpr std::uint8_t kWriteSerial[] = {0xF5, 0x99};
  constexpr std::uint8_t kLoadProgress[] = {0x74, board::kMemoryTestProgress};
  constexpr std::uint8_t kLoadSuccess[] = {0x74, board::kMemoryTestSuccess};
  const auto holds = [&](const std::uint8_t(&pattern)[2]) {
    return std::search(code, code + size, std::begin(pattern), std::end(pattern)) != code + size;
  };
  if (!holds(kWriteSerial)) return ProgramBehaviour::Silent;
  if (holds(kReadSerial)) return ProgramBehaviour::Echo;
  if (holds(kLoadProgress) && holds(kLoadSuccess)) return ProgramBehaviour::MemoryTest;
  return ProgramBehaviour::Silent;
}

void BoardFirmware::StartProgram(Micros after, std::vector<Answer>& out) {
  state_ = FirmwareState::ProgramRunning;
  ++completedDownloads_;
  if (config_.faultCount == FaultCount::SinceProgramStart) counted_ = 0;
  running_ = config_.program;
  if (running_ == ProgramBehaviour::ByImage) {
    // The code just written: up to the end address (one more, for a transfer that counts its
    // end address in).
    const long written = static_cast<long>(end_) + 1 - download::ImageBase;
    const auto size =
        static_cast<std::size_t>(std::clamp(written, 0L, static_cast<long>(download::ImageSize)));
    running_ = RecogniseProgram(memory_.data(), size);
  }
  if (running_ == ProgramBehaviour::MemoryTest) {
    Micros due = after;
    for (std::uint8_t report : config_.memoryTestReport) {
      due += config_.memoryTestInterval;
      out.push_back({report, due});
    }
  }
}

void BoardFirmware::EndPage(std::vector<Answer>& out) {
  // The page is written into the memory chip before it is acknowledged.
  const Micros ackDue = config_.answerDelay + config_.pageWriteTime;
  out.push_back({config_.pageAcknowledge, ackDue});
  if (address_ >= end_) {
    StartProgram(ackDue, out);
  } else {
    state_ = FirmwareState::PageLength;
  }
}

void BoardFirmware::ApplyFaults(std::vector<Answer>& out) {
  if (!counted_) return;
  if (config_.silentAfter && *counted_ > *config_.silentAfter) {
    out.clear();
    return;
  }
  if (config_.wrongAnswerAt && *counted_ == *config_.wrongAnswerAt) {
    for (Answer& answer : out) answer.byte = static_cast<std::uint8_t>(~answer.byte);
  }
  if (config_.strayBeforeAt && *counted_ == *config_.strayBeforeAt) {
    const Micros due = out.empty() ? config_.answerDelay : out.front().delay;
    std::vector<Answer> noise;
    for (std::uint8_t byte : config_.strayBytes) noise.push_back({byte, due});
    out.insert(out.begin(), noise.begin(), noise.end());
  }
}

std::vector<Answer> BoardFirmware::Receive(std::uint8_t byte) {
  std::vector<Answer> out;
  if (counted_) ++*counted_;
  const bool waiting = state_ == FirmwareState::Idle || state_ == FirmwareState::Synced ||
                       state_ == FirmwareState::Ready;
  if (waiting && byte == board::kSync) ++handshakes_;
  if (!ReceivePage(byte, out) && !ReceiveBytes(byte, out)) ReceiveControl(byte, out);
  if (!config_.faultHandshakes || handshakes_ <= *config_.faultHandshakes) ApplyFaults(out);
  return out;
}

// The handshake, the commands, the self-test and the program that runs after a download.
void BoardFirmware::ReceiveControl(std::uint8_t byte, std::vector<Answer>& out) {
  switch (state_) {
    case FirmwareState::Idle:
      if (byte == board::kSync) state_ = FirmwareState::Synced;
      break;
    case FirmwareState::Synced:
      if (byte == board::kCommandStart) {
        out.push_back({config_.handshakeAnswer, config_.answerDelay});
        state_ = FirmwareState::Ready;
      } else if (byte != board::kSync) {
        state_ = FirmwareState::Idle;
      }
      break;
    case FirmwareState::Ready:
      if (byte == board::kCommandStart) {
        state_ = FirmwareState::Command;
      } else if (byte == board::kSync) {
        state_ = FirmwareState::Synced;
      }
      break;
    case FirmwareState::Command:
      StartCommand(byte, out);
      break;
    case FirmwareState::Selftest:
      if (byte == board::kSelftestCommand) {
        if (config_.memoryType) out.push_back({*config_.memoryType, config_.answerDelay});
        if (config_.selftestResult) {
          out.push_back({*config_.selftestResult, config_.answerDelay + config_.selftestTime});
        }
      }
      state_ = FirmwareState::Ready;
      break;
    case FirmwareState::ProgramRunning:
      if (running_ == ProgramBehaviour::Echo) out.push_back({byte, config_.answerDelay});
      break;
    default:
      break;
  }
}

// A page transfer: its end, then pages of length, address and data. False in any other state.
bool BoardFirmware::ReceivePage(std::uint8_t byte, std::vector<Answer>& out) {
  switch (state_) {
    case FirmwareState::PageEndHigh:
      end_ = static_cast<std::uint16_t>(byte << 8);
      state_ = FirmwareState::PageEndLow;
      break;
    case FirmwareState::PageEndLow:
      end_ = static_cast<std::uint16_t>(end_ | byte);
      state_ = FirmwareState::PageLength;
      break;
    case FirmwareState::PageLength:
      pageLength_ = byte;
      Echo(byte, verify_, out);
      state_ = FirmwareState::PageAddressHigh;
      break;
    case FirmwareState::PageAddressHigh:
      address_ = static_cast<std::uint32_t>(byte) << 8;
      Echo(byte, verify_, out);
      state_ = FirmwareState::PageAddressLow;
      break;
    case FirmwareState::PageAddressLow:
      address_ |= byte;
      Echo(byte, verify_, out);
      pageLeft_ = pageLength_;
      if (pageLeft_ == 0) {
        EndPage(out);
      } else {
        state_ = FirmwareState::PageData;
      }
      break;
    case FirmwareState::PageData:
      Store(static_cast<std::uint16_t>(address_), byte);
      ++address_;
      Echo(byte, verify_, out);
      if (--pageLeft_ == 0) EndPage(out);
      break;
    default:
      return false;
  }
  return true;
}

// A byte transfer: start and end interleaved, then the data. False in any other state.
bool BoardFirmware::ReceiveBytes(std::uint8_t byte, std::vector<Answer>& out) {
  switch (state_) {
    case FirmwareState::ByteStartHigh:
      start_ = static_cast<std::uint16_t>(byte << 8);
      Echo(byte, verify_, out);
      state_ = FirmwareState::ByteEndHigh;
      break;
    case FirmwareState::ByteEndHigh:
      end_ = static_cast<std::uint16_t>(byte << 8);
      Echo(byte, verify_, out);
      state_ = FirmwareState::ByteStartLow;
      break;
    case FirmwareState::ByteStartLow:
      start_ = static_cast<std::uint16_t>(start_ | byte);
      Echo(byte, verify_, out);
      state_ = FirmwareState::ByteEndLow;
      break;
    case FirmwareState::ByteEndLow:
      end_ = static_cast<std::uint16_t>(end_ | byte);
      Echo(byte, verify_, out);
      address_ = start_;
      if (address_ >= end_) {
        StartProgram(config_.answerDelay, out);
      } else {
        state_ = FirmwareState::ByteData;
      }
      break;
    case FirmwareState::ByteData:
      Store(static_cast<std::uint16_t>(address_), byte);
      ++address_;
      // Every data byte is echoed, whichever variant the host chose.
      Echo(byte, true, out);
      if (address_ >= end_) StartProgram(config_.answerDelay, out);
      break;
    default:
      return false;
  }
  return true;
}

}  // namespace orvane::sim
