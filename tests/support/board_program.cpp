#include "support/board_program.h"

#include <gtest/gtest.h>

#include <cstddef>

#include "download/hex_file.h"
#include "download/hex_loader.h"

namespace orvane::test_support {

bool LoadHex(sim::BoardModel& board, const std::string& path) {
  download::HexFile file;
  file.Assign(path);
  if (!file.Open()) {
    ADD_FAILURE() << "cannot open " << path;
    return false;
  }
  download::MemoryImage image;
  download::HexLoader loader(image, file);
  const download::LoadResult result = loader.LoadHexFile();
  if (result != download::LoadOk) {
    ADD_FAILURE() << path << " does not load: " << download::LoadResultMessage(result);
    return false;
  }
  board.LoadProgram(image.bytes);
  return true;
}

ProgramRun RunLoaded(sim::BoardModel& board, const sim::RunLimits& limits,
                     const std::string& input) {
  ProgramRun run;
  std::size_t next = 0;
  auto source = [&](bool& ended) -> std::optional<std::uint8_t> {
    ended = next >= input.size();
    if (ended) return std::nullopt;
    return static_cast<std::uint8_t>(input[next++]);
  };
  run.end = sim::RunProgram(
      board, limits,
      [&](std::uint8_t byte, std::uint64_t cycle) {
        run.output += static_cast<char>(byte);
        run.sentAt.push_back(cycle);
      },
      input.empty() ? sim::ByteSource{} : sim::ByteSource{source});
  run.cycles = board.Cpu().Cycles();
  return run;
}

std::string TestProgramPath(const std::string& name) {
  return std::string(ORVANE_BINARY_DIR) + "/" + name + ".hex";
}

}  // namespace orvane::test_support
