// Standard error of the command-line tool split into its messages and its "hint: " lines.
#pragma once

#include <sstream>
#include <string>
#include <vector>

namespace orvane::test_support {

struct SplitOutput {
  std::string messages;            // every other line, with its line end
  std::vector<std::string> hints;  // the hint lines without "hint: "
};

inline SplitOutput SplitHints(const std::string& err) {
  SplitOutput split;
  std::istringstream lines(err);
  for (std::string line; std::getline(lines, line);) {
    if (line.rfind("hint: ", 0) == 0) {
      split.hints.push_back(line.substr(6));
    } else {
      split.messages += line + "\n";
    }
  }
  return split;
}

}  // namespace orvane::test_support
