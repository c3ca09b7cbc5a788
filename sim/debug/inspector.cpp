#include "sim/debug/inspector.h"

#include <cctype>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <variant>

#include "sim/debug/debug_engine.h"
#include "sim/debug/hex_text.h"

namespace orvane::sim::debug {

namespace {

using Kind = Location::Kind;

// A value's place and type while an expression is worked out.
struct Typed {
  Location location;
  std::shared_ptr<const Type> type;  // null: a raw byte, or a register
};

std::shared_ptr<const Type> ByteType() {
  static const auto type = [] {
    Type t;
    t.kind = TypeKind::Char;
    t.isUnsigned = true;
    t.size = 1;
    return std::make_shared<const Type>(t);
  }();
  return type;
}

Location MemoryAt(MemorySpace space, std::uint32_t address) {
  Location l;
  l.kind = Kind::Memory;
  l.memory = {space, address};
  return l;
}

MemorySpace SpaceFor(AddressSpace space) {
  switch (space) {
    case AddressSpace::Xdata:
      return MemorySpace::Xdata;
    case AddressSpace::Code:
      return MemorySpace::Code;
    case AddressSpace::Sfr:
      return MemorySpace::Sfr;
    default:
      return MemorySpace::Iram;
  }
}

std::optional<std::int64_t> ParseNumber(std::string_view text) {
  bool negative = false;
  if (!text.empty() && (text[0] == '-' || text[0] == '+')) {
    negative = text[0] == '-';
    text.remove_prefix(1);
  }
  if (text.size() == 3 && text[0] == '\'' && text[2] == '\'') {
    return negative ? -text[1] : text[1];
  }
  int base = 10;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    base = 16;
    text.remove_prefix(2);
  }
  std::uint64_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
  if (text.empty() || error != std::errc{} || end != text.data() + text.size() ||
      value > 0xFFFFFFFFull) {
    return std::nullopt;
  }
  return negative ? -static_cast<std::int64_t>(value) : static_cast<std::int64_t>(value);
}

bool IsRegisterName(std::string_view name) {
  static constexpr std::string_view kNames[] = {"A",  "ACC", "B",   "PSW", "SP", "DPTR", "PC", "R0",
                                                "R1", "R2",  "R3",  "R4",  "R5", "R6",   "R7", "CY",
                                                "AC", "F0",  "RS1", "RS0", "OV", "F1",   "P"};
  for (std::string_view n : kNames) {
    if (n == name) return true;
  }
  return false;
}

// The tokens of an expression: names, numbers, operators.
struct Lexer {
  std::string_view text;
  std::size_t pos = 0;

  void Skip() {
    while (pos < text.size() && std::isspace(static_cast<unsigned char>(text[pos]))) ++pos;
  }
  bool Eat(std::string_view token) {
    Skip();
    if (text.substr(pos, token.size()) != token) return false;
    pos += token.size();
    return true;
  }
  std::string_view Name() {
    Skip();
    const std::size_t start = pos;
    while (pos < text.size() &&
           (std::isalnum(static_cast<unsigned char>(text[pos])) || text[pos] == '_')) {
      ++pos;
    }
    if (start < text.size() && std::isdigit(static_cast<unsigned char>(text[start]))) {
      pos = start;
      return {};
    }
    return text.substr(start, pos - start);
  }
  std::optional<std::int64_t> Number() {
    Skip();
    const std::size_t start = pos;
    if (pos < text.size() && text[pos] == '\'') {
      if (pos + 2 < text.size() && text[pos + 2] == '\'') {
        pos += 3;
        return ParseNumber(text.substr(start, 3));
      }
      return std::nullopt;
    }
    if (pos < text.size() && text[pos] == '-') ++pos;
    while (pos < text.size() && std::isalnum(static_cast<unsigned char>(text[pos]))) ++pos;
    const auto n = ParseNumber(text.substr(start, pos - start));
    if (!n) pos = start;
    return n;
  }
  bool AtEnd() {
    Skip();
    return pos >= text.size();
  }
};

// An operand's parts, parsed without reading anything: a name or memory cell, then postfixes.
struct Operand {
  std::string name;                     // a variable or register
  std::optional<MemoryReference> cell;  // xdata[0x8000]
  struct Postfix {
    enum { Index, Field, Arrow } kind;
    std::int64_t index = 0;
    std::string field;
  };
  std::vector<Postfix> postfixes;
};

std::variant<Operand, std::string> ParseOperand(Lexer& lex) {
  Operand op;
  const std::string_view name = lex.Name();
  if (name.empty()) return std::string("a variable, register or memory cell expected");
  static constexpr std::pair<std::string_view, MemorySpace> kSpaces[] = {
      {"code", MemorySpace::Code},
      {"iram", MemorySpace::Iram},
      {"sfr", MemorySpace::Sfr},
      {"xdata", MemorySpace::Xdata}};
  for (const auto& [spaceName, space] : kSpaces) {
    if (name != spaceName || !lex.Eat("[")) continue;
    const auto address = lex.Number();
    if (!address || !lex.Eat("]") || *address < 0 ||
        *address >= static_cast<std::int64_t>(MemoryReference::Limit(space)) ||
        (space == MemorySpace::Sfr && *address < 0x80)) {
      return std::string("a memory cell is written like xdata[0x8000]");
    }
    op.cell = MemoryReference{space, static_cast<std::uint32_t>(*address)};
    return op;
  }
  op.name = std::string(name);
  for (;;) {
    if (lex.Eat("[")) {
      const auto index = lex.Number();
      if (!index || !lex.Eat("]")) return std::string("an index is a number");
      op.postfixes.push_back({Operand::Postfix::Index, *index, {}});
    } else if (lex.Eat("->") || lex.Eat(".")) {
      const bool arrow = lex.text.substr(lex.pos - 2, 2) == "->";
      const std::string_view field = lex.Name();
      if (field.empty()) return std::string("a field name expected");
      op.postfixes.push_back(
          {arrow ? Operand::Postfix::Arrow : Operand::Postfix::Field, 0, std::string(field)});
    } else {
      return op;
    }
  }
}

// A condition: comparisons joined by && and ||, && binding closer.
struct Comparison {
  Operand operand;
  std::string op;  // empty: the operand is not zero
  std::int64_t number = 0;
};
using Conjunction = std::vector<Comparison>;
using Disjunction = std::vector<Conjunction>;

std::variant<Disjunction, std::string> ParseCondition(std::string_view text) {
  Lexer lex{text};
  Disjunction any;
  Conjunction all;
  for (;;) {
    auto operand = ParseOperand(lex);
    if (auto* error = std::get_if<std::string>(&operand)) return *error;
    Comparison c{std::get<Operand>(operand), "", 0};
    for (std::string_view op : {"==", "!=", "<=", ">=", "<", ">"}) {
      if (lex.Eat(op)) {
        c.op = std::string(op);
        const auto n = lex.Number();
        if (!n) return std::string("a comparison is with a number");
        c.number = *n;
        break;
      }
    }
    all.push_back(std::move(c));
    if (lex.Eat("&&")) continue;
    any.push_back(std::move(all));
    all.clear();
    if (lex.Eat("||")) continue;
    if (!lex.AtEnd()) return "cannot read \"" + std::string(text.substr(lex.pos)) + "\"";
    return any;
  }
}

}  // namespace

// The work behind the public calls, with access to the engine.
struct InspectorWork {
  DebugEngine& engine;
  std::size_t frame;
  std::optional<std::variant<std::uint8_t, std::string>> frameBase{};

  std::vector<std::uint8_t> Bytes(const Location& l, int count) {
    switch (l.kind) {
      case Kind::Memory:
        return engine.Read(l.memory, static_cast<std::size_t>(count));
      case Kind::Registers: {
        std::vector<std::uint8_t> bytes;
        const Registers r = engine.GetRegisters();
        for (std::uint8_t n : l.registers) bytes.push_back(r.r[n & 7]);
        return bytes;
      }
      default:
        return {};
    }
  }

  std::optional<std::int64_t> Integer(const Typed& t) {
    if (t.location.kind == Kind::Register) return RegisterValue(t.location.registerName);
    if (t.location.kind == Kind::Bit) {
      const auto bytes = engine.Read(t.location.memory, 1);
      if (bytes.empty()) return std::nullopt;
      return (bytes[0] >> t.location.bit) & 1;
    }
    const Type& type = t.type ? *t.type : *ByteType();
    if (type.kind == TypeKind::Array || type.kind == TypeKind::Struct ||
        type.kind == TypeKind::Float || type.size <= 0 || type.size > 4) {
      return std::nullopt;
    }
    const auto bytes = Bytes(t.location, type.size);
    if (bytes.size() != static_cast<std::size_t>(type.size)) return std::nullopt;
    std::uint64_t value = 0;
    for (std::size_t i = bytes.size(); i-- > 0;) value = value << 8 | bytes[i];  // low first
    if (!type.isUnsigned && type.kind != TypeKind::Pointer) {
      const int bits = type.size * 8;
      if (value & (1ull << (bits - 1))) return static_cast<std::int64_t>(value) - (1ll << bits);
    }
    return static_cast<std::int64_t>(value);
  }

  std::optional<std::int64_t> RegisterValue(const std::string& name) {
    const Registers r = engine.GetRegisters();
    if (name == "A" || name == "ACC") return r.a;
    if (name == "B") return r.b;
    if (name == "PSW") return r.psw;
    if (name == "SP") return r.sp;
    if (name == "DPTR") return r.dptr;
    if (name == "PC") return r.pc;
    if (name.size() == 2 && name[0] == 'R' && name[1] >= '0' && name[1] <= '7') {
      return r.r[static_cast<std::size_t>(name[1] - '0')];
    }
    static constexpr std::pair<std::string_view, int> kFlags[] = {
        {"CY", 7}, {"AC", 6}, {"F0", 5}, {"RS1", 4}, {"RS0", 3}, {"OV", 2}, {"F1", 1}, {"P", 0}};
    for (const auto& [flag, bit] : kFlags) {
      if (flag == name) return (r.psw >> bit) & 1;
    }
    return std::nullopt;
  }

  // The _bp byte of a routine built with --stack-auto that keeps variables on the stack: it
  // starts PUSH _bp; MOV _bp,SP (C0 bp 85 81 bp), which also says where _bp is.
  std::optional<std::uint8_t> FramePointerOf(const Frame& f) {
    if (!f.routine) return std::nullopt;
    const auto code = engine.Read({MemorySpace::Code, f.routine->start}, 5);
    if (code.size() != 5 || code[0] != 0xC0 || code[2] != 0x85 || code[3] != 0x81 ||
        code[4] != code[1]) {
      return std::nullopt;
    }
    return code[1];
  }

  // The frame pointer of the frame looked at, walked out from the innermost frame: a routine
  // with the prologue above saved its caller's _bp where its own _bp points, so each such
  // frame passed on the way out takes one step back. The innermost one counts only between
  // its prologue and the POP _bp before its return.
  // Worked out once per request: each variable on the stack asks for it.
  const std::variant<std::uint8_t, std::string>& FrameBase() {
    if (!frameBase) frameBase = WalkToFrameBase();
    return *frameBase;
  }
  std::variant<std::uint8_t, std::string> WalkToFrameBase() {
    const std::vector<Frame> frames = engine.CallStack(frame + 1);
    if (frames.size() <= frame) return std::string("not available (no such frame)");
    std::vector<std::optional<std::uint8_t>> pointers;  // each frame's _bp, if it sets one
    std::optional<std::uint8_t> pointer;                // _bp's address
    for (const Frame& f : frames) {
      pointers.push_back(FramePointerOf(f));
      if (!pointer) pointer = pointers.back();
    }
    if (!pointer) return std::string("not available (no frame pointer)");
    const auto read = [&](std::uint8_t address) {
      return engine.Read({MemorySpace::Iram, address}, 1);
    };
    auto bp = read(*pointer);
    for (std::size_t i = 0; i <= frame && !bp.empty(); ++i) {
      const Frame& f = frames[i];
      bool framed = pointers[i].has_value();
      if (i == 0 && framed) {
        const auto before =
            engine.Read({MemorySpace::Code, static_cast<std::uint16_t>(f.pc - 2)}, 2);
        const bool restored = before.size() == 2 && before[0] == 0xD0 && before[1] == *pointer;
        framed = f.pc >= f.routine->start + 5 && !restored;
      }
      if (!framed) {
        if (i == frame) return std::string("not available (before the routine's prologue)");
        continue;
      }
      if (i == frame) return bp[0];
      bp = read(bp[0]);  // the caller's, saved by this frame's PUSH _bp
    }
    return std::string("not available (no frame pointer)");
  }

  // Where a symbol lives as the frame sees it; empty when it has no place one can read.
  std::variant<Typed, std::string> Place(const Symbol& s) {
    Typed t;
    if (s.type) t.type = std::make_shared<const Type>(*s.type);
    switch (s.space) {
      case AddressSpace::Registers:
        if (frame != 0) return std::string("not available in an outer frame (in registers)");
        t.location.kind = Kind::Registers;
        t.location.registers = s.registers;
        return t;
      case AddressSpace::Stack: {
        const auto& base = FrameBase();
        if (const auto* why = std::get_if<std::string>(&base)) return *why;
        const int address = std::get<std::uint8_t>(base) + s.stackOffset;
        if (address < 0 || address > 0xFF) return std::string("not available (off the stack)");
        t.location = MemoryAt(MemorySpace::Iram, static_cast<std::uint32_t>(address));
        return t;
      }
      case AddressSpace::Bit: {
        if (!s.address || *s.address > 0xFF) return std::string("no address");
        const auto bit = static_cast<std::uint8_t>(*s.address);
        t.location.kind = Kind::Bit;
        t.location.bit = bit & 7;
        t.location.memory = bit < 0x80 ? MemoryReference{MemorySpace::Iram, 0x20u + (bit >> 3)}
                                       : MemoryReference{MemorySpace::Sfr, bit & 0xF8u};
        return t;
      }
      case AddressSpace::Unknown:
        if (!s.address) return std::string("no address");
        t.location = MemoryAt(MemorySpace::Iram, *s.address);  // overlaid locals are in data
        t.type = nullptr;
        return t;
      default:
        if (!s.address) return std::string("no address");
        if (*s.address >= MemoryReference::Limit(SpaceFor(s.space))) {
          return std::string("no address");
        }
        t.location = MemoryAt(SpaceFor(s.space), *s.address);
        return t;
    }
  }

  std::string Text(const Typed& t) {
    if (!t.type) {
      const auto bytes = Bytes(t.location, 1);
      return bytes.empty() ? "?" : "raw byte " + HexText(bytes[0], 2);
    }
    const Type& type = *t.type;
    switch (type.kind) {
      case TypeKind::Array:
      case TypeKind::Struct:
        return Children(t).second;
      case TypeKind::Float: {
        const auto bytes = Bytes(t.location, 4);
        if (bytes.size() != 4) return "?";
        std::uint32_t raw = 0;
        for (std::size_t i = 4; i-- > 0;) raw = raw << 8 | bytes[i];
        float f = 0;
        std::memcpy(&f, &raw, sizeof f);
        char text[32];
        std::snprintf(text, sizeof text, "%g", static_cast<double>(f));
        return text;
      }
      case TypeKind::Void:
      case TypeKind::Function:
        return "?";
      case TypeKind::Pointer: {
        const auto value = Integer(t);
        if (!value) return "?";
        return HexText(static_cast<std::uint64_t>(*value), type.size == 1   ? 2
                                                           : type.size == 3 ? 6
                                                                            : 4);
      }
      default: {
        const auto value = Integer(t);
        if (!value) return "?";
        std::string text = std::to_string(*value);
        if (type.kind == TypeKind::Char && *value >= 0x20 && *value < 0x7F) {
          text += " '" + std::string(1, static_cast<char>(*value)) + "'";
        }
        return text;
      }
    }
  }

  // The element or field places of an array or struct, and the summary text.
  std::pair<std::vector<std::pair<std::string, Typed>>, std::string> Children(const Typed& t) {
    std::vector<std::pair<std::string, Typed>> parts;
    if (!t.type || t.location.kind != Kind::Memory) return {parts, "?"};
    const Type& type = *t.type;
    if (type.kind == TypeKind::Array && type.element) {
      const int count = std::min(type.count, Inspector::kMaxChildren);
      for (int i = 0; i < count; ++i) {
        Typed e;
        e.type = type.element;
        e.location = MemoryAt(
            t.location.memory.space,
            t.location.memory.address + static_cast<std::uint32_t>(i * type.element->size));
        if (e.location.memory.address >= MemoryReference::Limit(e.location.memory.space)) break;
        parts.emplace_back("[" + std::to_string(i) + "]", e);
      }
    } else if (type.kind == TypeKind::Struct) {
      const StructType* st = engine.Data().FindStruct(type.structName);
      if (!st) return {parts, "?"};
      for (const Field& f : st->fields) {
        Typed e;
        e.type = std::make_shared<const Type>(f.type);
        e.location = MemoryAt(t.location.memory.space,
                              t.location.memory.address + static_cast<std::uint32_t>(f.offset));
        parts.emplace_back(f.name, e);
      }
    }
    std::string summary = "{";
    for (std::size_t i = 0; i < parts.size() && i < 8; ++i) {
      if (i) summary += ", ";
      if (type.kind == TypeKind::Struct) summary += parts[i].first + "=";
      const Type* inner = parts[i].second.type.get();
      summary += inner && (inner->kind == TypeKind::Array || inner->kind == TypeKind::Struct)
                     ? "{...}"
                     : Text(parts[i].second);
    }
    if (parts.size() > 8) summary += ", ...";
    return {parts, summary + "}"};
  }

  Value MakeValue(const std::string& name, const Typed& t, int depth = 0) {
    Value v;
    v.name = name;
    v.type = t.type ? t.type->Text() : "";
    v.typeInfo = t.type;
    v.location = t.location;
    if (t.location.kind == Kind::Memory) v.memory = t.location.memory;
    if (t.location.kind == Kind::Register) {
      const auto value = RegisterValue(t.location.registerName);
      const bool wide = t.location.registerName == "DPTR" || t.location.registerName == "PC";
      v.value = value ? HexText(static_cast<std::uint64_t>(*value), wide ? 4 : 2) : "?";
      return v;
    }
    v.value = Text(t);
    if (t.type && (t.type->kind == TypeKind::Array || t.type->kind == TypeKind::Struct) &&
        depth < 8) {
      for (const auto& [childName, child] : Children(t).first) {
        v.children.push_back(MakeValue(childName, child, depth + 1));
      }
    }
    if (!t.type) v.location.kind = Kind::None;  // raw bytes of unknown size: not set
    return v;
  }

  const Routine* FrameRoutine() {
    const auto frames = engine.CallStack(frame + 1);
    return frame < frames.size() ? frames[frame].routine : nullptr;
  }

  std::variant<Typed, std::string> Resolve(const Operand& op) {
    Typed t;
    if (op.cell) {
      t.location = MemoryAt(op.cell->space, op.cell->address);
      t.type = ByteType();
      return t;
    }
    const Symbol* symbol = engine.Data().FindSymbol(op.name, FrameRoutine());
    if (symbol) {
      auto place = Place(*symbol);
      if (auto* error = std::get_if<std::string>(&place)) return *error;
      t = std::get<Typed>(place);
    } else if (IsRegisterName(op.name)) {
      if (!op.postfixes.empty()) return std::string("a register has no elements");
      t.location.kind = Kind::Register;
      t.location.registerName = op.name == "ACC" ? "A" : op.name;
      return t;
    } else {
      return "no variable \"" + op.name + "\" here";
    }
    for (const Operand::Postfix& p : op.postfixes) {
      if (!t.type) return std::string("its type is not known");
      const Type& type = *t.type;
      if (p.kind == Operand::Postfix::Index) {
        if (type.kind != TypeKind::Array || !type.element || t.location.kind != Kind::Memory) {
          return op.name + " is not an array";
        }
        if (p.index < 0 || p.index >= type.count) return std::string("index out of range");
        t.location.memory.address += static_cast<std::uint32_t>(p.index * type.element->size);
        t.type = type.element;
        continue;
      }
      Typed base = t;
      if (p.kind == Operand::Postfix::Arrow) {
        if (type.kind != TypeKind::Pointer || !type.element) return std::string("not a pointer");
        const auto pointer = Integer(t);
        if (!pointer) return std::string("cannot read the pointer");
        MemorySpace space = SpaceFor(type.pointsInto);
        if (type.pointsInto == AddressSpace::Unknown) {
          // A generic pointer's third byte names the space.
          const auto tag = static_cast<std::uint8_t>(*pointer >> 16);
          space = tag >= 0x80   ? MemorySpace::Code
                  : tag >= 0x40 ? MemorySpace::Iram
                                : MemorySpace::Xdata;
        }
        base.location = MemoryAt(space, static_cast<std::uint32_t>(*pointer & 0xFFFF));
        if (base.location.memory.address >= MemoryReference::Limit(space)) {
          return std::string("the pointer points nowhere");
        }
        base.type = type.element;
      }
      if (!base.type || base.type->kind != TypeKind::Struct || base.location.kind != Kind::Memory) {
        return std::string("not a struct");
      }
      bool found = false;
      for (auto& [name, child] : Children(base).first) {
        if (name == p.field) {
          t = child;
          found = true;
          break;
        }
      }
      if (!found) return "no field \"" + p.field + "\"";
    }
    return t;
  }
};

std::vector<Value> Inspector::Locals(std::size_t frame) {
  std::vector<Value> values;
  InspectorWork work{engine_, frame};
  const auto frames = engine_.CallStack(frame + 1);
  if (frame >= frames.size() || !frames[frame].routine) return values;
  for (const Symbol* s : engine_.Data().Locals(*frames[frame].routine)) {
    auto place = work.Place(*s);
    if (auto* error = std::get_if<std::string>(&place)) {
      Value v;
      v.name = s->name;
      v.type = s->type ? s->type->Text() : "";
      v.value = *error;
      values.push_back(std::move(v));
      continue;
    }
    values.push_back(work.MakeValue(s->name, std::get<Typed>(place)));
  }
  return values;
}

std::vector<Value> Inspector::Globals() {
  std::vector<Value> values;
  InspectorWork work{engine_, 0};
  for (const Symbol* s : engine_.Data().Globals()) {
    auto place = work.Place(*s);
    if (auto* typed = std::get_if<Typed>(&place)) values.push_back(work.MakeValue(s->name, *typed));
  }
  return values;
}

std::vector<Value> Inspector::Registers() {
  InspectorWork work{engine_, 0};
  std::vector<Value> values;
  auto reg = [&](const std::string& name) {
    Typed t;
    t.location.kind = Kind::Register;
    t.location.registerName = name;
    return work.MakeValue(name, t);
  };
  for (const char* name : {"A", "B", "PSW", "SP", "DPTR", "PC"}) values.push_back(reg(name));
  for (const char* flag : {"CY", "AC", "F0", "RS1", "RS0", "OV", "F1", "P"}) {
    Value v = reg(flag);
    v.value = v.value == "0x00" ? "0" : "1";
    if (std::string_view(flag) == "P") v.location.kind = Kind::None;  // ACC's parity
    values[2].children.push_back(std::move(v));
  }
  for (int i = 0; i < 8; ++i) values.push_back(reg("R" + std::to_string(i)));
  return values;
}

std::optional<Value> Inspector::SymbolValue(const Symbol& symbol, std::size_t frame) {
  InspectorWork work{engine_, frame};
  auto place = work.Place(symbol);
  if (auto* typed = std::get_if<Typed>(&place)) return work.MakeValue(symbol.name, *typed);
  return std::nullopt;
}

std::variant<Value, std::string> Inspector::Evaluate(std::string_view expression,
                                                     std::size_t frame) {
  Lexer lex{expression};
  auto operand = ParseOperand(lex);
  if (auto* error = std::get_if<std::string>(&operand)) return *error;
  if (!lex.AtEnd()) return "cannot read \"" + std::string(expression.substr(lex.pos)) + "\"";
  InspectorWork work{engine_, frame};
  auto resolved = work.Resolve(std::get<Operand>(operand));
  if (auto* error = std::get_if<std::string>(&resolved)) return *error;
  return work.MakeValue(std::string(expression), std::get<Typed>(resolved));
}

std::optional<std::string> Inspector::CheckCondition(std::string_view expression) {
  auto parsed = ParseCondition(expression);
  if (auto* error = std::get_if<std::string>(&parsed)) return *error;
  return std::nullopt;
}

std::variant<bool, std::string> Inspector::Condition(std::string_view expression,
                                                     std::size_t frame) {
  auto parsed = ParseCondition(expression);
  if (auto* error = std::get_if<std::string>(&parsed)) return *error;
  InspectorWork work{engine_, frame};
  for (const Conjunction& all : std::get<Disjunction>(parsed)) {
    bool holds = true;
    for (const Comparison& c : all) {
      auto resolved = work.Resolve(c.operand);
      if (auto* error = std::get_if<std::string>(&resolved)) return *error;
      const auto value = work.Integer(std::get<Typed>(resolved));
      if (!value) return std::string("not a number: cannot compare");
      const std::int64_t v = *value;
      const bool result = c.op.empty()   ? v != 0
                          : c.op == "==" ? v == c.number
                          : c.op == "!=" ? v != c.number
                          : c.op == "<"  ? v < c.number
                          : c.op == "<=" ? v <= c.number
                          : c.op == ">"  ? v > c.number
                                         : v >= c.number;
      if (!result) {
        holds = false;
        break;
      }
    }
    if (holds) return true;
  }
  return false;
}

std::optional<std::string> Inspector::SetValue(Value& value, std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  const auto number = ParseNumber(text);
  if (!number) return "\"" + std::string(text) + "\" is not a number";
  if (!value.Editable()) return std::string("this value cannot be set");
  const std::int64_t n = *number;
  InspectorWork work{engine_, 0};
  const Location& l = value.location;
  if (l.kind == Kind::Register) {
    if (n < 0 || !engine_.SetRegister(l.registerName, static_cast<std::uint32_t>(n))) {
      return "out of range for " + l.registerName;
    }
  } else if (l.kind == Kind::Bit) {
    if (n != 0 && n != 1) return std::string("a bit is 0 or 1");
    auto bytes = engine_.Read(l.memory, 1);
    if (bytes.empty()) return std::string("cannot read it");
    const auto mask = static_cast<std::uint8_t>(1u << l.bit);
    bytes[0] = n ? bytes[0] | mask : bytes[0] & ~mask;
    engine_.Write(l.memory, bytes);
  } else {
    const Type* type = value.typeInfo.get();
    if (!type || type->size <= 0 || type->size > 4 || type->kind == TypeKind::Float) {
      return std::string("this value cannot be set");
    }
    const int bits = type->size * 8;
    const bool isUnsigned = type->isUnsigned || type->kind == TypeKind::Pointer;
    const std::int64_t low = isUnsigned ? 0 : -(1ll << (bits - 1));
    const std::int64_t high = isUnsigned ? (1ll << bits) - 1 : (1ll << (bits - 1)) - 1;
    if (n < low || n > high) {
      return "out of range for " + type->Text() + " (" + std::to_string(low) + " to " +
             std::to_string(high) + ")";
    }
    std::vector<std::uint8_t> bytes;
    for (int i = 0; i < type->size; ++i) {
      bytes.push_back(static_cast<std::uint8_t>(static_cast<std::uint64_t>(n) >> (8 * i)));
    }
    if (l.kind == Kind::Registers) {
      const int bank = (engine_.GetRegisters().psw >> 3) & 3;
      for (std::size_t i = 0; i < bytes.size() && i < l.registers.size(); ++i) {
        engine_.Write({MemorySpace::Iram, static_cast<std::uint32_t>(bank * 8 + l.registers[i])},
                      {bytes[i]});
      }
    } else if (engine_.Write(l.memory, bytes) != bytes.size()) {
      return std::string("cannot write it there");
    }
  }
  Typed t{value.location, value.typeInfo};
  value = work.MakeValue(value.name, t);
  return std::nullopt;
}

}  // namespace orvane::sim::debug
