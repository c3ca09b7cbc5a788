// What the program stands in: its call stack, scopes and variables, expressions, memory and
// instructions.
#include <algorithm>
#include <filesystem>

#include "dap/dap_text.h"
#include "dap/request_error.h"
#include "dap/session.h"
#include "sim/board/board_snapshot.h"
#include "sim/debug/disassembler.h"
#include "sim/view/board_text.h"

namespace orvane::dap {
namespace {

namespace debug = sim::debug;
namespace fs = std::filesystem;
using Kind = Session::Container::Kind;

// Bytes one readMemory may ask for: a whole space at most.
constexpr std::uint32_t kMaxRead = 0x10000;
constexpr int kMaxInstructions = 4096;

debug::Value Shown(std::string name, std::string value) {
  debug::Value shown;
  shown.name = std::move(name);
  shown.value = std::move(value);
  return shown;
}

// The pins and the LCD as the live view's frame lines name them.
std::vector<debug::Value> BoardValues(const sim::BoardSnapshot& board) {
  std::vector<debug::Value> values;
  for (int group = 0; group < sim::kPinGroups; ++group) {
    values.push_back(Shown(sim::PinGroupName(static_cast<sim::PinGroup>(group)),
                           sim::BitsText(board.levels[static_cast<std::size_t>(group)])));
  }
  for (int line = 0; line < sim::LcdSnapshot::kLines; ++line) {
    values.push_back(
        Shown("LCD " + std::to_string(line + 1), "|" + sim::LcdLineText(board.lcd, line) + "|"));
  }
  return values;
}

// A memory reference of any space ("xdata:0x8000"), or a bare code address ("0x40AD") as the
// instruction references are, plus the request's offset.
debug::MemoryReference PlaceOf(const Json& arguments) {
  const std::string text = arguments.at("memoryReference").get<std::string>();
  std::optional<debug::MemoryReference> place = debug::MemoryReference::Parse(text);
  if (!place) {
    if (const auto address = ParseNumber(text))
      place = debug::MemoryReference{debug::MemorySpace::Code, *address};
  }
  if (!place) throw RequestError("not a memory reference: " + text);
  const std::int64_t address =
      static_cast<std::int64_t>(place->address) + arguments.value("offset", std::int64_t{0});
  if (address < 0 || address >= debug::MemoryReference::Limit(place->space)) {
    throw RequestError("outside the memory: " + text);
  }
  place->address = static_cast<std::uint32_t>(address);
  return *place;
}

}  // namespace

int Session::AddContainer(Container container) {
  containers_.push_back(std::move(container));
  return static_cast<int>(containers_.size());
}

Session::Container& Session::ContainerOf(const Json& arguments) {
  const int reference = arguments.at("variablesReference").get<int>();
  if (reference < 1 || static_cast<std::size_t>(reference) > containers_.size()) {
    throw RequestError("no such variables (the program has moved on since)");
  }
  Container& container = containers_[static_cast<std::size_t>(reference) - 1];
  if (container.filled) return container;
  container.values = Runner().With([&](debug::DebugEngine& engine) -> std::vector<debug::Value> {
    switch (container.kind) {
      case Kind::Locals:
        return engine.Values().Locals(container.frame);
      case Kind::Globals:
        return engine.Values().Globals();
      case Kind::Registers:
        return engine.Values().Registers();
      case Kind::Board:
        return BoardValues(sim::ReadBoard(engine.Board()));
      case Kind::Children:
        break;
    }
    return container.values;
  });
  container.filled = true;
  return container;
}

Json Session::Variable(const debug::Value& value) {
  Json variable = {{"name", value.name}, {"value", value.value}, {"variablesReference", 0}};
  if (!value.type.empty()) variable["type"] = value.type;
  if (value.memory) variable["memoryReference"] = value.memory->Text();
  if (!value.children.empty()) {
    Container children;
    children.values = value.children;
    children.filled = true;
    variable["variablesReference"] = AddContainer(std::move(children));
    variable["indexedVariables"] = value.children.size();
  }
  if (!value.Editable()) variable["presentationHint"] = {{"attributes", {"readOnly"}}};
  return variable;
}

std::size_t Session::FrameOf(const Json& arguments) const {
  const auto id = arguments.find("frameId");
  if (id == arguments.end() || !id->is_number_integer() || *id < 1) return 0;
  return id->get<std::size_t>() - 1;
}

Json Session::StackTrace(const Json& arguments) {
  const std::vector<debug::Frame> frames =
      Runner().With([](debug::DebugEngine& engine) { return engine.CallStack(); });
  const std::size_t first = std::min(arguments.value("startFrame", std::size_t{0}), frames.size());
  std::size_t count = arguments.value("levels", std::size_t{0});
  if (count == 0 || count > frames.size() - first) count = frames.size() - first;
  const fs::path besideData = fs::path(config_.debugInfo).parent_path();

  Json stack = Json::array();
  for (std::size_t i = first; i < first + count; ++i) {
    const debug::Frame& frame = frames[i];
    Json item = {{"id", i + 1},
                 {"name", frame.isInterrupt ? frame.name + " (interrupt)" : frame.name},
                 {"line", 0},
                 {"column", 0},
                 {"instructionPointerReference", CodeAddress(frame.pc)}};
    if (frame.line) {
      if (const auto found = debug::FindSource(*frame.line, sourceDirs_, besideData)) {
        const fs::path path = fs::absolute(*found).lexically_normal();
        item["source"] = {{"name", path.filename().string()}, {"path", path.string()}};
      }
      item["line"] = frame.line->line;
      item["column"] = 1;
    }
    if (!item.contains("source")) item["presentationHint"] = "subtle";
    stack.push_back(item);
  }
  return {{"stackFrames", stack}, {"totalFrames", frames.size()}};
}

Json Session::Scopes(const Json& arguments) {
  const std::size_t frame = FrameOf(arguments);
  auto scope = [&](const char* name, Kind kind, const char* hint) {
    Container container;
    container.kind = kind;
    container.frame = frame;
    Json item = {
        {"name", name}, {"variablesReference", AddContainer(container)}, {"expensive", false}};
    if (hint) item["presentationHint"] = hint;
    return item;
  };
  return {{"scopes", Json::array({scope("Locals", Kind::Locals, "locals"),
                                  scope("Globals", Kind::Globals, nullptr),
                                  scope("Registers", Kind::Registers, "registers"),
                                  scope("Board", Kind::Board, nullptr)})}};
}

Json Session::Variables(const Json& arguments) {
  // Copied: making the children's containers may move the vector.
  const std::vector<debug::Value> values = ContainerOf(arguments).values;
  const std::size_t start = std::min(arguments.value("start", std::size_t{0}), values.size());
  std::size_t count = arguments.value("count", std::size_t{0});
  if (count == 0 || count > values.size() - start) count = values.size() - start;
  Json variables = Json::array();
  for (std::size_t i = start; i < start + count; ++i) variables.push_back(Variable(values[i]));
  return {{"variables", variables}};
}

Json Session::SetVariable(const Json& arguments) {
  const std::string name = arguments.at("name").get<std::string>();
  const std::string text = arguments.at("value").get<std::string>();
  Container& container = ContainerOf(arguments);
  const auto found = std::find_if(container.values.begin(), container.values.end(),
                                  [&](const debug::Value& value) { return value.name == name; });
  if (found == container.values.end()) throw RequestError("no variable " + name + " here");
  if (!found->Editable()) throw RequestError(name + " cannot be set");
  const std::optional<std::string> error = Runner().With(
      [&](debug::DebugEngine& engine) { return engine.Values().SetValue(*found, text); });
  if (error) throw RequestError(*error);
  Json answer = Variable(*found);
  answer.erase("name");
  answer.erase("presentationHint");
  return answer;
}

Json Session::SetExpression(const Json& arguments) {
  const std::string expression = arguments.at("expression").get<std::string>();
  const std::string text = arguments.at("value").get<std::string>();
  const std::size_t frame = FrameOf(arguments);
  auto outcome =
      Runner().With([&](debug::DebugEngine& engine) -> std::variant<debug::Value, std::string> {
        auto result = engine.Values().Evaluate(expression, frame);
        auto* value = std::get_if<debug::Value>(&result);
        if (!value) return result;
        if (!value->Editable()) return expression + " cannot be set";
        if (auto error = engine.Values().SetValue(*value, text)) return *error;
        return result;
      });
  if (auto* error = std::get_if<std::string>(&outcome)) throw RequestError(*error);
  Json answer = Variable(std::get<debug::Value>(outcome));
  answer.erase("name");
  answer.erase("presentationHint");
  return answer;
}

Json Session::Evaluate(const Json& arguments) {
  const std::string expression = arguments.at("expression").get<std::string>();
  if (arguments.value("context", std::string()) == "repl") {
    // Text in quotes is typed to the program's serial port.
    if (const std::optional<std::string> text = QuotedText(expression)) {
      Runner().SendSerial(std::vector<std::uint8_t>(text->begin(), text->end()));
      return {{"result", "sent " + std::to_string(text->size()) +
                             (text->size() == 1 ? " byte" : " bytes") + " to the serial port"},
              {"variablesReference", 0}};
    }
  }
  const std::size_t frame = FrameOf(arguments);
  auto result = Runner().With(
      [&](debug::DebugEngine& engine) { return engine.Values().Evaluate(expression, frame); });
  if (auto* error = std::get_if<std::string>(&result)) throw RequestError(*error);
  Json answer = Variable(std::get<debug::Value>(result));
  answer["result"] = answer["value"];
  answer.erase("value");
  answer.erase("name");
  return answer;
}

Json Session::ReadMemory(const Json& arguments) {
  const debug::MemoryReference start = PlaceOf(arguments);
  const std::uint32_t asked = std::min(arguments.at("count").get<std::uint32_t>(), kMaxRead);
  const std::uint32_t count =
      std::min(asked, debug::MemoryReference::Limit(start.space) - start.address);
  const std::vector<std::uint8_t> bytes =
      Runner().With([&](debug::DebugEngine& engine) { return engine.Read(start, count); });
  Json answer = {{"address", start.Text()}, {"data", Base64Encode(bytes)}};
  if (bytes.size() < asked) answer["unreadableBytes"] = asked - bytes.size();
  return answer;
}

Json Session::WriteMemory(const Json& arguments) {
  const debug::MemoryReference start = PlaceOf(arguments);
  const std::optional<std::vector<std::uint8_t>> bytes =
      Base64Decode(arguments.at("data").get<std::string>());
  if (!bytes) throw RequestError("the data is not base64");
  const std::size_t written =
      Runner().With([&](debug::DebugEngine& engine) { return engine.Write(start, *bytes); });
  // What the client showed of the variables may have changed.
  After([this] { channel_.Event("invalidated", {{"areas", Json::array({"variables"})}}); });
  return {{"bytesWritten", written}};
}

std::vector<std::uint8_t> Session::CodeMemory() {
  return Runner().With([](debug::DebugEngine& engine) {
    return engine.Read({debug::MemorySpace::Code, 0}, 0x10000);
  });
}

Json Session::Disassemble(const Json& arguments) {
  const debug::MemoryReference place = PlaceOf(arguments);
  if (place.space != debug::MemorySpace::Code)
    throw RequestError("only code memory holds instructions");
  const int wanted = std::clamp(arguments.at("instructionCount").get<int>(), 0, kMaxInstructions);
  const int skip = arguments.value("instructionOffset", 0);

  std::array<std::uint8_t, 0x10000> code{};
  const std::vector<std::uint8_t> bytes = CodeMemory();
  std::copy_n(bytes.begin(), std::min(bytes.size(), code.size()), code.begin());

  // Instructions have 1 to 3 bytes, so the ones before an address are found by decoding from
  // far enough back that the decoding falls in step with the instructions at the address.
  std::vector<std::uint32_t> addresses;
  std::int64_t from = place.address;
  if (skip < 0) {
    // Of the starts a few bytes apart, the first whose decoding lands on the address itself.
    const std::int64_t back =
        std::max<std::int64_t>(0, from + 3 * static_cast<std::int64_t>(skip) - 8);
    std::vector<std::uint32_t> before;
    for (std::int64_t start = back; start < back + 3 && start < place.address; ++start) {
      before.clear();
      std::int64_t at = start;
      while (at < place.address) {
        before.push_back(static_cast<std::uint32_t>(at));
        at += debug::InstructionLength(code[static_cast<std::size_t>(at)]);
      }
      if (at == place.address) break;
    }
    const std::size_t keep = std::min<std::size_t>(before.size(), static_cast<std::size_t>(-skip));
    addresses.assign(before.end() - static_cast<std::ptrdiff_t>(keep), before.end());
  }
  for (std::int64_t at = from;
       addresses.size() < static_cast<std::size_t>(wanted + std::max(skip, 0)) && at < 0x10000;) {
    addresses.push_back(static_cast<std::uint32_t>(at));
    at += debug::InstructionLength(code[static_cast<std::size_t>(at)]);
  }
  if (skip > 0)
    addresses.erase(addresses.begin(),
                    addresses.begin() + std::min<std::size_t>(addresses.size(), skip));
  if (addresses.size() > static_cast<std::size_t>(wanted))
    addresses.resize(static_cast<std::size_t>(wanted));

  const fs::path besideData = fs::path(config_.debugInfo).parent_path();
  Json instructions = Json::array();
  Runner().With([&](debug::DebugEngine& engine) {
    for (const std::uint32_t address : addresses) {
      const debug::Instruction instruction =
          debug::Disassemble(code, static_cast<std::uint16_t>(address));
      std::string hex;
      for (int i = 0; i < instruction.length; ++i) {
        static constexpr char kDigits[] = "0123456789ABCDEF";
        if (i) hex += ' ';
        hex += kDigits[instruction.bytes[static_cast<std::size_t>(i)] >> 4];
        hex += kDigits[instruction.bytes[static_cast<std::size_t>(i)] & 15];
      }
      Json item = {{"address", CodeAddress(address)},
                   {"instructionBytes", hex},
                   {"instruction", instruction.text}};
      const auto routine = engine.Data().RoutineAt(static_cast<std::uint16_t>(address));
      if (routine && routine->start == address) item["symbol"] = routine->name;
      if (engine.Data().IsLineStart(static_cast<std::uint16_t>(address))) {
        if (const auto line = engine.LineAt(static_cast<std::uint16_t>(address))) {
          item["line"] = line->line;
          if (const auto found = debug::FindSource(*line, sourceDirs_, besideData)) {
            const fs::path path = fs::absolute(*found).lexically_normal();
            item["location"] = {{"name", path.filename().string()}, {"path", path.string()}};
          }
        }
      }
      instructions.push_back(item);
    }
  });
  return {{"instructions", instructions}};
}

}  // namespace orvane::dap
