#include "support/scripted_com_device.h"

#include <algorithm>

#include "serial/comm_timeouts.h"

namespace orvane::test_support {

using serial::SysError;

int ScriptedLine::Count(const std::string& name) const {
  return static_cast<int>(std::count_if(calls.begin(), calls.end(), [&](const std::string& call) {
    return call.substr(0, call.find('(')) == name;
  }));
}

void ScriptedLine::ClearCalls() {
  calls.clear();
  states.clear();
  timeouts.clear();
}

void ScriptedLine::RaiseEvents(std::uint32_t mask) {
  {
    std::lock_guard lock(eventMutex);
    eventBatches.push_back(mask);
  }
  eventChanged.notify_all();
}

serial::DeviceOpener ScriptedOpener(std::shared_ptr<ScriptedLine> line) {
  return [line](const std::string& port, SysError* error) -> std::unique_ptr<serial::ComDevice> {
    line->calls.push_back("Open(" + port + ")");
    if (auto it = line->failures.find("Open"); it != line->failures.end()) {
      *error = it->second;
      return nullptr;
    }
    return std::make_unique<ScriptedComDevice>(line);
  };
}

ScriptedComDevice::ScriptedComDevice(std::shared_ptr<ScriptedLine> line) : line_(std::move(line)) {
  ++line_->openDevices;
}

ScriptedComDevice::~ScriptedComDevice() {
  line_->calls.push_back("Close");
  --line_->openDevices;
}

SysError ScriptedComDevice::Record(const std::string& name, const std::string& call) {
  line_->calls.push_back(call);
  auto it = line_->failures.find(name);
  return it == line_->failures.end() ? serial::kSuccess : it->second;
}

SysError ScriptedComDevice::Setup(std::int32_t inputSize, std::int32_t outputSize) {
  return Record("Setup",
                "Setup(" + std::to_string(inputSize) + "," + std::to_string(outputSize) + ")");
}

SysError ScriptedComDevice::SetState(const serial::Dcb& dcb) {
  line_->states.push_back(dcb);
  return Record("SetState", "SetState");
}

SysError ScriptedComDevice::SetTimeouts(const serial::CommTimeouts& timeouts) {
  line_->timeouts.push_back(timeouts);
  const SysError error = Record("SetTimeouts", "SetTimeouts");
  if (error == serial::kSuccess) timeouts_ = timeouts;
  return error;
}

serial::IoResult ScriptedComDevice::Write(const std::uint8_t* data, std::int32_t count) {
  serial::IoResult result;
  result.error = Record("Write", "Write(" + std::to_string(count) + ")");
  if (result.error != serial::kSuccess) return result;
  std::int32_t accepted = count;
  if (line_->writeCapacity >= 0) {
    accepted = std::min(count, line_->writeCapacity);
    line_->writeCapacity -= accepted;
  }
  line_->output.insert(line_->output.end(), data, data + accepted);
  result.transferred = accepted;
  if (accepted < count) {
    line_->now += std::chrono::milliseconds(serial::WriteLimitMs(timeouts_, count));
  }
  return result;
}

serial::IoResult ScriptedComDevice::Read(std::uint8_t* data, std::int32_t count) {
  serial::IoResult result;
  result.error = Record("Read", "Read(" + std::to_string(count) + ")");
  if (result.error != serial::kSuccess) return result;
  // Bytes waiting arrive at once; the rest when scripted. The read ends when the rules say.
  std::vector<std::chrono::microseconds> arrivals(line_->input.size(),
                                                  std::chrono::microseconds(0));
  for (const auto& arrival : line_->arriving) arrivals.push_back(arrival.first - line_->now);
  line_->now += serial::PlanRead(timeouts_, count, arrivals).end;
  while (!line_->arriving.empty() && line_->arriving.front().first <= line_->now) {
    line_->input.push_back(line_->arriving.front().second);
    line_->arriving.pop_front();
  }
  while (result.transferred < count && !line_->input.empty()) {
    data[result.transferred++] = line_->input.front();
    line_->input.pop_front();
  }
  return result;
}

SysError ScriptedComDevice::Purge(std::uint32_t flags) {
  const SysError error = Record("Purge", "Purge(" + std::to_string(flags) + ")");
  if (error == serial::kSuccess && (flags & serial::kPurgeRxClear)) line_->input.clear();
  return error;
}

SysError ScriptedComDevice::Escape(std::uint32_t function) {
  return Record("Escape", "Escape(" + std::to_string(function) + ")");
}

SysError ScriptedComDevice::ClearError(std::uint32_t* errors, std::uint32_t* inputQueue) {
  const SysError error = Record("ClearError", "ClearError");
  if (error != serial::kSuccess) return error;
  *errors = line_->lineErrors;
  line_->lineErrors = 0;
  *inputQueue = static_cast<std::uint32_t>(line_->input.size());
  return serial::kSuccess;
}

SysError ScriptedComDevice::ModemStatus(std::uint32_t* status) {
  const SysError error = Record("ModemStatus", "ModemStatus");
  if (error == serial::kSuccess) *status = line_->modemStatus;
  return error;
}

SysError ScriptedComDevice::SetEventMask(std::uint32_t mask) {
  return Record("SetEventMask", "SetEventMask(" + std::to_string(mask) + ")");
}

namespace {

class ScriptedEventWait final : public serial::ComEventWait {
 public:
  explicit ScriptedEventWait(std::shared_ptr<ScriptedLine> line) : line_(std::move(line)) {}

  Result Wait(std::uint32_t* events) override {
    std::unique_lock lock(line_->eventMutex);
    line_->eventChanged.wait(lock, [&] { return stop_ || !line_->eventBatches.empty(); });
    if (stop_) return Result::kStopped;
    *events = line_->eventBatches.front();
    line_->eventBatches.pop_front();
    return Result::kEvents;
  }

  void Stop() override {
    {
      std::lock_guard lock(line_->eventMutex);
      stop_ = true;
    }
    line_->eventChanged.notify_all();
  }

 private:
  std::shared_ptr<ScriptedLine> line_;
  bool stop_ = false;  // under the line's eventMutex
};

}  // namespace

std::unique_ptr<serial::ComEventWait> ScriptedComDevice::NewEventWait() {
  return std::make_unique<ScriptedEventWait>(line_);
}

}  // namespace orvane::test_support
