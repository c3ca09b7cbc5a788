// How a virtual board behaves: the rates it answers at, its timing, its answers, the program it
// runs after a download, and the faults it can be told to show.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "board/board_protocol.h"
#include "serial/com_device.h"
#include "sim/board/board_model.h"
#include "sim/board/clock.h"

namespace orvane::sim {

// What a downloaded program does once the board has started it: by default the board runs it on
// its CPU; the canned behaviours play the answers the host relies on from a test program, so
// that tests can make the board misbehave in ways the real programs never would.
enum class ProgramBehaviour {
  Run,         // the CPU runs the downloaded code (running_program.h)
  Silent,      // sends nothing and ignores what it gets (the wave and display programs)
  Echo,        // sends every byte it gets straight back (the serial test program)
  MemoryTest,  // sends its report bytes, one every memoryTestInterval (the memory test program)
  // Plays the test program that the downloaded code looks like (RecogniseProgram), else Silent.
  ByImage,
};

// Where the byte counter of the two byte faults starts. Byte 1 is the first byte counted.
enum class FaultCount {
  SinceReset,         // from the handshake's first byte
  SinceCommand,       // from the first byte after a command code (the algorithm's first byte)
  SinceProgramStart,  // from the first byte the started program gets
};

struct BoardConfig {
  // The rates the board answers at; a byte sent at any other rate (or not as 8N1) reaches the
  // board as noise and is ignored. Empty: it answers at every rate.
  std::vector<std::uint32_t> rates{board::kDefaultBaudRate};

  // Time from the end of a received byte to the start of the answer to it.
  Micros answerDelay{200};
  // Time the board takes to write a page into its memory before it acknowledges it.
  Micros pageWriteTime = Ms(10);
  // Time the self-test runs between the memory-type answer and the result.
  Micros selftestTime = Ms(200);
  // Time after the DTR rise during which the board is still starting and hears nothing.
  Micros bootTime{0};
  // Whether bytes take their time on the line: 10 bits at the line's rate each way.
  bool pacing = true;

  std::uint8_t handshakeAnswer = board::kHandshakeAnswer;
  // Self-test answers; an empty one is withheld (the board sends nothing in its place).
  std::optional<std::uint8_t> memoryType = board::kMemoryAt28c64b;
  std::optional<std::uint8_t> selftestResult = board::kSelftestCompleted;
  // The page acknowledgement's value: the host accepts any.
  std::uint8_t pageAcknowledge = 0x06;

  ProgramBehaviour program = ProgramBehaviour::Run;
  // A faulty external RAM bit for the running program (memrw then reports 'F').
  std::optional<StuckBit> stuckBit;
  std::vector<std::uint8_t> memoryTestReport{'L', 'L', 'L', 'L', 'S'};
  Micros memoryTestInterval = Ms(250);

  // Faults of the firmware and the canned programs (a running program's bytes are its own). The
  // board answers nothing more once it has received silentAfter counted bytes, and alters
  // (inverts) the answers to the wrongAnswerAt-th counted byte.
  FaultCount faultCount = FaultCount::SinceReset;
  std::optional<std::uint64_t> silentAfter;
  std::optional<std::uint64_t> wrongAnswerAt;
  // Line noise: these bytes come just before the answers to the strayBeforeAt-th counted byte
  // (also when that byte has no answer).
  std::optional<std::uint64_t> strayBeforeAt;
  std::vector<std::uint8_t> strayBytes{0x00, 0xFF};
  // The faults above act during this many handshakes only (each 0x80 that starts one counts);
  // from the next the board is sound again, as one that was repaired. Empty: always.
  std::optional<std::uint64_t> faultHandshakes;
  // The port vanishes (every call fails with vanishError) after this many Write calls.
  std::optional<std::uint64_t> vanishAfterWrites;
  serial::SysError vanishError = serial::DeviceGoneError();  // what a pulled converter gives
};

}  // namespace orvane::sim
