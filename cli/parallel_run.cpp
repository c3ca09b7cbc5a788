#include "cli/parallel_run.h"

#include <exception>
#include <memory>
#include <mutex>
#include <ostream>
#include <set>
#include <sstream>
#include <streambuf>
#include <string>
#include <system_error>
#include <thread>

#include "app/network_boards.h"
#include "app/settings_location.h"
#include "cli/hints.h"
#include "serial/com_port.h"

namespace orvane::cli {
namespace {

// The bar lines of all ports, drawn as a block that is redrawn in place: the cursor goes back up
// to the block's first line and each line is written anew.
class BarBlock {
 public:
  BarBlock(std::ostream& out, const std::vector<std::string>& ports)
      : out_(out), ports_(ports), lines_(ports.size()) {}

  void Set(std::size_t index, const std::string& line) {
    std::lock_guard lock(mutex_);
    if (lines_[index] == line) return;
    lines_[index] = line;
    if (drawn_) out_ << "\x1b[" << lines_.size() << "A";
    for (std::size_t i = 0; i < lines_.size(); ++i) {
      out_ << "\r" << ports_[i] << ": " << lines_[i] << "\x1b[K\n";
    }
    out_ << std::flush;
    drawn_ = true;
  }

 private:
  std::mutex mutex_;
  std::ostream& out_;
  const std::vector<std::string>& ports_;
  std::vector<std::string> lines_;
  bool drawn_ = false;
};

// The stream a port's bar is drawn on: it keeps the text after the last carriage return and
// hands it to the block at each flush. Line ends only close a bar; the block keeps its line.
class BarLineBuffer final : public std::streambuf {
 public:
  BarLineBuffer(BarBlock* block, std::size_t index) : block_(block), index_(index) {}

 protected:
  int_type overflow(int_type c) override {
    if (c == traits_type::eof()) return traits_type::not_eof(c);
    if (c == '\r') {
      line_.clear();
    } else if (c != '\n') {
      line_ += static_cast<char>(c);
    }
    return c;
  }
  int sync() override {
    if (block_ != nullptr && !line_.empty()) block_->Set(index_, line_);
    return 0;
  }

 private:
  BarBlock* block_;
  std::size_t index_;
  std::string line_;
};

// The first line of the first message, without its line break.
std::string FirstLine(const std::string& messages) {
  const std::size_t end = messages.find_first_of("\r\n");
  return messages.substr(0, end);
}

// Why a port's thread could not start, naming the limit that stopped it.
std::string ThreadLimitText(const std::system_error& error) {
  return "cannot start a thread for this port: the system's limit of threads was reached "
         "(the processes and threads one user may run, ulimit -u, or kernel.threads-max): " +
         std::string(error.what());
}

struct PortSlot {
  std::ostringstream messages;
  std::unique_ptr<BarLineBuffer> barBuffer;
  std::unique_ptr<std::ostream> bar;
  PortOutcome outcome;
};

void RunSlot(const std::string& port, const PortJob& job, const std::string& failure,
             PortSlot& slot, bool draw) {
  PortStreams streams{slot.messages, *slot.bar, draw};
  try {
    slot.outcome = job(port, streams);
    return;
  } catch (const std::exception& error) {
    slot.messages << error.what() << "\n";
  } catch (...) {
    slot.messages << "unexpected error\n";
  }
  slot.outcome.succeeded = false;
  slot.outcome.line = failure;
}

}  // namespace

std::optional<std::vector<std::string>> ParsePortsOption(const std::string& text,
                                                         std::string* error) {
  std::vector<std::string> ports;
  if (text == "all") {
    ports = app::PortsWithNetworkBoards(app::SettingsFilePath());
  } else {
    std::istringstream items(text);
    for (std::string port; std::getline(items, port, ',');) {
      if (!port.empty()) ports.push_back(port);
    }
  }
  if (ports.empty()) {
    *error = text == "all" ? "no serial port is present" : "--ports names no port";
    return std::nullopt;
  }
  std::set<std::string> seen;
  for (const std::string& port : ports) {
    if (!seen.insert(port).second) {
      *error = "--ports names " + port + " twice";
      return std::nullopt;
    }
  }
  return ports;
}

std::string SummaryLine(const std::string& port, const PortOutcome& outcome,
                        const std::string& messages) {
  std::string line = port + ":";
  if (!outcome.line.empty()) line += " " + outcome.line;
  const std::string reason = FirstLine(messages);
  if (!reason.empty()) line += (outcome.line.empty() ? " " : ": ") + reason;
  return line;
}

int RunOnPorts(const std::vector<std::string>& ports, const PortJob& job,
               const std::string& failure, std::ostream& out, std::ostream& err, bool draw) {
  std::unique_ptr<BarBlock> block;
  if (draw) block = std::make_unique<BarBlock>(err, ports);
  std::vector<std::unique_ptr<PortSlot>> slots;
  for (std::size_t i = 0; i < ports.size(); ++i) {
    auto slot = std::make_unique<PortSlot>();
    slot->barBuffer = std::make_unique<BarLineBuffer>(block.get(), i);
    slot->bar = std::make_unique<std::ostream>(slot->barBuffer.get());
    slots.push_back(std::move(slot));
  }
  {
    std::vector<std::jthread> threads;
    threads.reserve(ports.size());
    for (std::size_t i = 0; i < ports.size(); ++i) {
      try {
        threads.emplace_back(RunSlot, std::cref(ports[i]), std::cref(job), std::cref(failure),
                             std::ref(*slots[i]), draw);
      } catch (const std::system_error& error) {
        // The system's limit of threads (or of processes, which counts them) is reached: this
        // port cannot run, the ones started go on.
        slots[i]->messages << ThreadLimitText(error) << "\n";
        slots[i]->outcome.line = failure;
      }
    }
  }  // every thread joined

  bool allSucceeded = true;
  for (std::size_t i = 0; i < ports.size(); ++i) {
    PortSlot& slot = *slots[i];
    out << SummaryLine(ports[i], slot.outcome, slot.messages.str()) << "\n";
    allSucceeded = allSucceeded && slot.outcome.succeeded;
  }
  out << std::flush;
  // Each names its port.
  for (const auto& slot : slots) PrintHint(err, slot->outcome.hint);
  return allSucceeded ? 0 : 1;
}

}  // namespace orvane::cli
