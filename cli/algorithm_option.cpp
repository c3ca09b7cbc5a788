#include "cli/algorithm_option.h"

#include <CLI/CLI.hpp>
#include <iterator>
#include <vector>

#include "download/download_run.h"

namespace orvane::cli {
namespace {

// The names of the items of the window's algorithm group, in its order.
constexpr const char* kAlgorithmNames[] = {"page", "page-verified", "byte", "byte-verified"};
static_assert(std::size(kAlgorithmNames) == download::kDownloadAlgorithmCount);

}  // namespace

void AddAlgorithmOption(CLI::App& command, std::string& algorithm) {
  algorithm = kAlgorithmNames[0];
  command
      .add_option("--algorithm", algorithm,
                  "Transfer: page or byte, each with or without verification")
      ->check(CLI::IsMember(
          std::vector<std::string>(std::begin(kAlgorithmNames), std::end(kAlgorithmNames))))
      ->capture_default_str();
}

int AlgorithmIndex(const std::string& name) {
  for (int i = 0; i < download::kDownloadAlgorithmCount; ++i) {
    if (name == kAlgorithmNames[i]) return i;
  }
  return 0;
}

}  // namespace orvane::cli
