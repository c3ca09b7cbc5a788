#include "dap/launch_config.h"

#include <filesystem>

#include "dap/request_error.h"

namespace orvane::dap {
namespace {

namespace fs = std::filesystem;

// The slowest speed accepted: slower, a program's timers would look stopped.
constexpr double kMinSpeed = 0.001;
constexpr double kMaxSpeedFactor = 1000.0;

std::string Absolute(const std::string& path) {
  std::error_code error;
  const fs::path absolute = fs::absolute(fs::path(path), error);
  return (error ? fs::path(path) : absolute).lexically_normal().string();
}

std::string StringAttribute(const Json& arguments, const char* name) {
  const auto found = arguments.find(name);
  if (found == arguments.end() || found->is_null()) return {};
  if (!found->is_string()) throw RequestError(std::string("'") + name + "' must be a string");
  return found->get<std::string>();
}

}  // namespace

LaunchConfig ParseLaunchConfig(const Json& arguments) {
  if (!arguments.is_object()) throw RequestError("launch needs its arguments");
  LaunchConfig config;
  const std::string program = StringAttribute(arguments, "program");
  if (program.empty()) throw RequestError("launch needs 'program', the HEX file to debug");
  config.program = Absolute(program);

  const std::string debugInfo = StringAttribute(arguments, "debugInfo");
  config.debugInfo = debugInfo.empty() ? fs::path(config.program).replace_extension(".cdb").string()
                                       : Absolute(debugInfo);

  if (const auto dirs = arguments.find("sourceDirs"); dirs != arguments.end() && !dirs->is_null()) {
    if (!dirs->is_array()) throw RequestError("'sourceDirs' must be a list of folders");
    for (const Json& dir : *dirs) {
      if (!dir.is_string()) throw RequestError("'sourceDirs' must be a list of folders");
      config.sourceDirs.push_back(Absolute(dir.get<std::string>()));
    }
  }
  config.sourceDirs.push_back(fs::path(config.debugInfo).parent_path().string());

  if (const auto stop = arguments.find("stopOnEntry");
      stop != arguments.end() && !stop->is_null()) {
    if (!stop->is_boolean()) throw RequestError("'stopOnEntry' must be true or false");
    config.stopOnEntry = stop->get<bool>();
  }

  if (const auto speed = arguments.find("speed"); speed != arguments.end() && !speed->is_null()) {
    if (speed->is_string() && speed->get<std::string>() == "max") {
      config.maxSpeed = true;
    } else if (speed->is_number() && speed->get<double>() >= kMinSpeed &&
               speed->get<double>() <= kMaxSpeedFactor) {
      config.speed = speed->get<double>();
    } else {
      throw RequestError("'speed' must be 1 (real time), a factor from 0.001 to 1000, or \"max\"");
    }
  }
  return config;
}

}  // namespace orvane::dap
