#include "cli/algorithm_option.h"

#include <CLI/CLI.hpp>
#include <vector>

#include "download/download_run.h"

namespace orvane::cli {

void AddAlgorithmOption(CLI::App& command, std::string& algorithm) {
  std::vector<std::string> names;
  for (const download::DownloadAlgorithm& item : download::kDownloadAlgorithms) {
    names.emplace_back(item.toolName);
  }
  algorithm = names.front();
  command
      .add_option("--algorithm", algorithm,
                  "Transfer: page or byte, each with or without verification")
      ->check(CLI::IsMember(names))
      ->capture_default_str();
}

int AlgorithmIndex(const std::string& name) {
  for (int i = 0; i < download::kDownloadAlgorithmCount; ++i) {
    if (name == download::kDownloadAlgorithms[i].toolName) return i;
  }
  return 0;
}

}  // namespace orvane::cli
