// What `launch` asks for: the program, its debug data, where its sources are, how it starts and
// how fast it runs.
#pragma once

#include <string>
#include <vector>

#include "dap/channel.h"

namespace orvane::dap {

struct LaunchConfig {
  std::string program;    // absolute
  std::string debugInfo;  // absolute; default: the program's path with .cdb
  // Folders searched for a source named in the debug data, then the debug data's own folder.
  std::vector<std::string> sourceDirs;
  bool stopOnEntry = false;
  double speed = 1.0;  // 1: real time; a factor
  bool maxSpeed = false;
};

// Throws RequestError (request_error.h) naming the attribute that is wrong. Relative paths are
// taken from the adapter's current folder.
LaunchConfig ParseLaunchConfig(const Json& arguments);

}  // namespace orvane::dap
