// The --algorithm option of the commands that download: the items of the window's "Download
// Algorithm" group by name.
#pragma once

#include <string>

namespace CLI {
class App;
}

namespace orvane::cli {

// Adds --algorithm page|page-verified|byte|byte-verified (default page) to a command.
void AddAlgorithmOption(CLI::App& command, std::string& algorithm);
// The item of rgDownloadAlg that a name chooses.
int AlgorithmIndex(const std::string& name);

}  // namespace orvane::cli
