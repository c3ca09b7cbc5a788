#include <CLI/CLI.hpp>
#include <cstdio>
#include <iostream>
#include <memory>
#include <span>
#include <string>

#include "cli/commands.h"
#include "download/hex_file.h"
#include "download/hex_loader.h"
#include "download/sha256.h"

namespace orvane::cli {
namespace {

// Loads the file as the downloader would and describes the image in three lines: the result
// code, EndAddress, and the digest of the bytes a transfer would send.
int RunImage(const std::string& fileName) {
  using namespace orvane::download;
  HexFile file;
  file.Assign(fileName);
  if (!file.Open()) {
    std::cerr << kFileNotFoundText << "\n";
    return kExitFailure;
  }
  auto image = std::make_unique<MemoryImage>();
  HexLoader loader(*image, file);
  const LoadResult result = loader.LoadHexFile();

  char end[16];
  std::snprintf(end, sizeof end, "0x%04X", static_cast<unsigned>(image->EndAddress));
  std::cout << "result: " << LoadResultName(result) << "\n"
            << "end: " << end << "\n"
            << "sha256: " << Sha256Hex(std::span(image->bytes.data(), image->ImageBytesUsed()))
            << "\n";
  if (result != LoadOk) {
    std::cerr << LoadResultMessage(result) << "\n";
    return kExitFailure;
  }
  return kExitOk;
}

}  // namespace

void AddImageCommand(CLI::App& app, CliContext& context) {
  auto* command = app.add_subcommand("image", "Load an Intel HEX file and describe the image");
  auto fileName = std::make_shared<std::string>();
  command->add_option("FILE", *fileName, "The Intel HEX file")->required();
  command->callback([&context, fileName] { context.exitCode = RunImage(*fileName); });
}

}  // namespace orvane::cli
