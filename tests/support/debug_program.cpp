#include "support/debug_program.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "download/hex_file.h"
#include "download/hex_loader.h"

namespace orvane::test_support {

namespace {

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  EXPECT_TRUE(in) << "cannot read " << path;
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace

std::string DebugProgramFile(const std::string& name) {
  return std::string(ORVANE_BINARY_DIR) + "/debug-programs/" + name;
}

int DebugProgram::LineOf(const std::string& text) const {
  std::istringstream lines(source);
  std::string line;
  for (int number = 1; std::getline(lines, line); ++number) {
    if (line.find(text) != std::string::npos) return number;
  }
  ADD_FAILURE() << "no line holds " << text;
  return 0;
}

DebugProgram LoadDebugProgram(const std::string& name, const std::string& sourceExtension) {
  DebugProgram program;
  download::HexFile file;
  file.Assign(DebugProgramFile(name + ".ihx"));
  EXPECT_TRUE(file.Open()) << name;
  download::MemoryImage image;
  download::HexLoader loader(image, file);
  EXPECT_EQ(loader.LoadHexFile(), download::LoadOk) << name;
  program.image = image.bytes;
  std::string error;
  auto data = sim::debug::DebugData::Load(DebugProgramFile(name + ".cdb"), error);
  EXPECT_TRUE(data) << error;
  if (data) program.data = std::move(*data);
  program.source = ReadFile(std::string(ORVANE_SOURCE_DIR) + "/tests/sim/programs/debug/" + name +
                            sourceExtension);
  return program;
}

}  // namespace orvane::test_support
