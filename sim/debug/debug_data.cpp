#include "sim/debug/debug_data.h"

#include <algorithm>
#include <charconv>
#include <fstream>
#include <iterator>
#include <sstream>

namespace orvane::sim::debug {

namespace {

constexpr int kMaxTypeDepth = 16;
constexpr std::uint32_t kMaxArray = 0x10000;

std::optional<std::uint32_t> Number(std::string_view text, int base = 10) {
  std::uint32_t value = 0;
  if (text.empty()) return std::nullopt;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
  if (error != std::errc{} || end != text.data() + text.size()) return std::nullopt;
  return value;
}

std::optional<std::uint16_t> Address(std::string_view text) {
  const auto value = Number(text, 16);
  if (!value || *value > 0xFFFF) return std::nullopt;
  return static_cast<std::uint16_t>(*value);
}

std::vector<std::string_view> Split(std::string_view text, char separator) {
  std::vector<std::string_view> parts;
  std::size_t begin = 0;
  for (std::size_t i = 0; i <= text.size(); ++i) {
    if (i == text.size() || text[i] == separator) {
      parts.push_back(text.substr(begin, i - begin));
      begin = i + 1;
    }
  }
  return parts;
}

AddressSpace SpaceOf(std::string_view letter) {
  if (letter.size() != 1) return AddressSpace::Unknown;
  switch (letter[0]) {
    case 'E':
      return AddressSpace::Data;
    case 'G':
      return AddressSpace::Idata;
    case 'F':
      return AddressSpace::Xdata;
    case 'C':
    case 'D':
      return AddressSpace::Code;
    case 'H':
    case 'J':
      return AddressSpace::Bit;
    case 'I':
      return AddressSpace::Sfr;
    case 'R':
      return AddressSpace::Registers;
    case 'B':
      return AddressSpace::Stack;
    default:
      return AddressSpace::Unknown;
  }
}

// A symbol's name as the records write it: G$name$level$block, F<module>$name$level$block or
// L<module>.<routine>$name$level$block (the level and block may be missing).
struct ScopedName {
  Scope scope = Scope::Global;
  std::string module;
  std::string routine;
  std::string name;
};

std::optional<ScopedName> ParseScopedName(std::string_view text) {
  if (text.empty()) return std::nullopt;
  const std::vector<std::string_view> parts = Split(text, '$');
  if (parts.size() < 2 || parts[1].empty()) return std::nullopt;
  ScopedName n;
  n.name = std::string(parts[1]);
  const std::string_view head = parts[0];
  switch (head[0]) {
    case 'G':
      if (head.size() != 1) return std::nullopt;
      n.scope = Scope::Global;
      break;
    case 'F':
      n.scope = Scope::File;
      n.module = std::string(head.substr(1));
      break;
    case 'L': {
      n.scope = Scope::Local;
      const std::string_view rest = head.substr(1);
      const std::size_t dot = rest.find('.');
      if (dot == std::string_view::npos) return std::nullopt;
      n.module = std::string(rest.substr(0, dot));
      n.routine = std::string(rest.substr(dot + 1));
      break;
    }
    default:
      return std::nullopt;
  }
  return n;
}

// A type: "{size}" then the chain of declarators and the base, then ":S" or ":U".
std::optional<Type> ParseChain(const std::vector<std::string_view>& chain, std::size_t index,
                               bool isUnsigned, int depth) {
  if (index >= chain.size() || depth > kMaxTypeDepth) return std::nullopt;
  const std::string_view item = chain[index];
  if (item.size() < 2) return std::nullopt;
  Type t;
  t.isUnsigned = isUnsigned;
  if (item[0] == 'D') {
    auto element = [&]() -> std::optional<Type> {
      return ParseChain(chain, index + 1, isUnsigned, depth + 1);
    };
    switch (item[1]) {
      case 'A': {
        std::string_view count = item.substr(2);
        if (!count.empty() && count.back() == 'd') count.remove_suffix(1);
        const auto n = Number(count);
        const auto e = element();
        if (!n || *n > kMaxArray || !e) return std::nullopt;
        t.kind = TypeKind::Array;
        t.count = static_cast<int>(*n);
        t.size = t.count * e->size;
        t.element = std::make_shared<const Type>(*e);
        return t;
      }
      case 'F': {
        t.kind = TypeKind::Function;
        t.size = 2;
        const auto e = element();
        if (e) t.element = std::make_shared<const Type>(*e);
        return t;
      }
      case 'G':
      case 'C':
      case 'X':
      case 'D':
      case 'I':
      case 'P': {
        if (item.size() != 2) return std::nullopt;
        t.kind = TypeKind::Pointer;
        t.isUnsigned = true;
        const char k = item[1];
        t.pointsInto = k == 'C'   ? AddressSpace::Code
                       : k == 'X' ? AddressSpace::Xdata
                       : k == 'D' ? AddressSpace::Data
                       : k == 'I' ? AddressSpace::Idata
                       : k == 'P' ? AddressSpace::Xdata
                                  : AddressSpace::Unknown;
        t.size = k == 'G' ? 3 : (k == 'C' || k == 'X') ? 2 : 1;
        const auto e = element();
        if (e) t.element = std::make_shared<const Type>(*e);
        return t;
      }
      default:
        return std::nullopt;
    }
  }
  if (item[0] != 'S' || index + 1 != chain.size()) return std::nullopt;
  switch (item[1]) {
    case 'C':
      t.kind = TypeKind::Char;
      t.size = 1;
      break;
    case 'S':
      t.kind = TypeKind::Short;
      t.size = 2;
      break;
    case 'I':
      t.kind = TypeKind::Int;
      t.size = 2;
      break;
    case 'L':
      t.kind = TypeKind::Long;
      t.size = 4;
      break;
    case 'F':
      t.kind = TypeKind::Float;
      t.size = 4;
      break;
    case 'V':
      t.kind = TypeKind::Void;
      t.size = 0;
      break;
    case 'X':
    case 'B':
      t.kind = TypeKind::Bit;
      t.size = 1;
      t.isUnsigned = true;
      break;
    case 'T':
      t.kind = TypeKind::Struct;
      t.structName = std::string(item.substr(2));
      if (t.structName.empty()) return std::nullopt;
      break;
    default:
      return std::nullopt;
  }
  return t;
}

// "({2}DA4d,SC:U)" at the start of `text`; the rest after the closing parenthesis.
std::optional<Type> ParseType(std::string_view text, std::string_view& rest) {
  if (text.size() < 4 || text[0] != '(' || text[1] != '{') return std::nullopt;
  const std::size_t close = text.find('}');
  const std::size_t end = text.find(')');
  if (close == std::string_view::npos || end == std::string_view::npos || end < close) {
    return std::nullopt;
  }
  const auto size = Number(text.substr(2, close - 2));
  std::string_view body = text.substr(close + 1, end - close - 1);
  rest = text.substr(end + 1);
  bool isUnsigned = false;
  if (body.size() >= 2 && body[body.size() - 2] == ':') {
    isUnsigned = body.back() == 'U';
    body.remove_suffix(2);
  }
  auto type = ParseChain(Split(body, ','), 0, isUnsigned, 0);
  if (!type || !size || *size > kMaxArray) return std::nullopt;
  if (type->kind == TypeKind::Struct) type->size = static_cast<int>(*size);
  if (type->kind != TypeKind::Array && type->kind != TypeKind::Function &&
      type->size != static_cast<int>(*size)) {
    type->size = static_cast<int>(*size);  // the record's own size wins
  }
  return type;
}

std::string SpaceName(AddressSpace space) {
  switch (space) {
    case AddressSpace::Data:
      return "__data ";
    case AddressSpace::Idata:
      return "__idata ";
    case AddressSpace::Xdata:
      return "__xdata ";
    case AddressSpace::Code:
      return "__code ";
    default:
      return "";
  }
}

std::string BaseName(std::string_view path) {
  const std::size_t slash = path.find_last_of("/\\");
  return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

bool IsAssemblyExtension(std::string_view extension) {
  return extension == ".asm" || extension == ".a51" || extension == ".s" || extension == ".A51" ||
         extension == ".ASM" || extension == ".S";
}

// Whether a record's file (a C file name, or an assembly module) is the one asked for.
bool SameFile(const SourceLine& record, std::string_view asked) {
  const std::string base = BaseName(asked);
  if (!record.assembly) return record.file == base;
  if (record.file == base) return true;
  const std::size_t dot = base.rfind('.');
  return dot != std::string::npos && IsAssemblyExtension(std::string_view(base).substr(dot)) &&
         base.substr(0, dot) == record.file;
}

struct Parser {
  DebugData* data;
  std::vector<std::string>* skipped;
  std::vector<LineRecord> lines;
  std::vector<Routine> routines;
  std::vector<Symbol> symbols;
  std::vector<StructType> structs;
  struct Place {
    ScopedName name;
    std::uint16_t address;
    bool end;
  };
  std::vector<Place> places;
  std::string module;  // of the last M: record: the routines after it are its

  bool Record(std::string_view line);
  bool Function(std::string_view body);
  bool SymbolRecord(std::string_view body);
  bool TypeRecord(std::string_view body);
  bool LinkRecord(std::string_view body);
};

bool Parser::Function(std::string_view body) {
  const std::size_t paren = body.find('(');
  if (paren == std::string_view::npos) return false;
  const auto name = ParseScopedName(body.substr(0, paren));
  std::string_view rest;
  const auto type = ParseType(body.substr(paren), rest);
  if (!name || !type || name->scope == Scope::Local) return false;
  const std::vector<std::string_view> fields = Split(rest, ',');
  Routine r;
  r.name = name->name;
  r.module = name->scope == Scope::File ? name->module : module;
  r.isStatic = name->scope == Scope::File;
  if (type && type->element) r.returnType = *type->element;
  if (fields.size() >= 7) {
    r.isInterrupt = fields[4] == "1";
    r.interruptNumber = static_cast<int>(Number(fields[5]).value_or(0) & 0xFF);
    r.bank = static_cast<int>(Number(fields[6]).value_or(0) & 3);
  }
  routines.push_back(std::move(r));
  return true;
}

bool Parser::SymbolRecord(std::string_view body) {
  const std::size_t paren = body.find('(');
  if (paren == std::string_view::npos) return false;
  const auto name = ParseScopedName(body.substr(0, paren));
  if (!name) return false;
  std::string_view rest;
  auto type = ParseType(body.substr(paren), rest);
  if (!type || rest.empty() || rest[0] != ',') return false;
  if (type->kind == TypeKind::Function) return true;  // routines come from F: records
  const std::vector<std::string_view> fields = Split(rest.substr(1), ',');
  if (fields.empty()) return false;
  Symbol s;
  s.name = name->name;
  s.scope = name->scope;
  s.module = name->module;
  s.routine = name->routine;
  s.space = SpaceOf(fields[0]);
  if (s.space == AddressSpace::Stack && fields.size() >= 3) {
    const std::string_view offset = fields[2];
    const bool negative = !offset.empty() && offset[0] == '-';
    const auto n = Number(negative ? offset.substr(1) : offset);
    if (!n || *n > 255) return false;
    s.stackOffset = negative ? -static_cast<int>(*n) : static_cast<int>(*n);
  }
  if (s.space == AddressSpace::Registers) {
    // The list comes last and is itself split by the commas: [r6 and r7].
    const std::size_t open = body.find('[');
    const std::size_t close = body.find(']');
    if (open == std::string_view::npos || close == std::string_view::npos || close < open) {
      return false;
    }
    for (std::string_view reg : Split(body.substr(open + 1, close - open - 1), ',')) {
      if (reg.empty()) continue;
      if (reg.size() != 2 || (reg[0] != 'r' && reg[0] != 'R') || reg[1] < '0' || reg[1] > '7') {
        return false;  // such as a0 or b: not one we can place
      }
      s.registers.push_back(static_cast<std::uint8_t>(reg[1] - '0'));
    }
    if (s.registers.empty()) s.space = AddressSpace::Unknown;  // "[]": no place at all
  }
  s.type = std::move(type);
  symbols.push_back(std::move(s));
  return true;
}

bool Parser::TypeRecord(std::string_view body) {
  // F<module>$name[({offset}S:S$field$level$block(type),space,0,0)...]
  const std::size_t open = body.find('[');
  if (open == std::string_view::npos || body.back() != ']') return false;
  const auto name = ParseScopedName(std::string(body.substr(0, open)) + "$0$0");
  if (!name) return false;
  StructType st;
  st.name = name->name;
  std::string_view rest = body.substr(open + 1, body.size() - open - 2);
  while (!rest.empty()) {
    if (rest.size() < 4 || rest[0] != '(' || rest[1] != '{') return false;
    const std::size_t close = rest.find('}');
    if (close == std::string_view::npos) return false;
    const auto offset = Number(rest.substr(2, close - 2));
    rest = rest.substr(close + 1);
    if (!offset || *offset > kMaxArray || rest.substr(0, 4) != "S:S$") return false;
    rest = rest.substr(4);
    const std::size_t paren = rest.find('(');
    if (paren == std::string_view::npos) return false;
    const std::string fieldName(rest.substr(0, rest.find('$')));
    std::string_view after;
    const auto type = ParseType(rest.substr(paren), after);
    if (!type || fieldName.empty()) return false;
    const std::size_t end = after.find(')');
    if (end == std::string_view::npos) return false;
    rest = after.substr(end + 1);
    st.fields.push_back({fieldName, static_cast<int>(*offset), *type});
    if (st.fields.size() > 1024) return false;
  }
  for (const Field& f : st.fields) st.size = std::max(st.size, f.offset + f.type.size);
  structs.push_back(std::move(st));
  return true;
}

bool Parser::LinkRecord(std::string_view body) {
  const std::size_t colon = body.rfind(':');
  if (colon == std::string_view::npos) return false;
  const auto address = Address(body.substr(colon + 1));
  if (!address) return false;
  const std::string_view key = body.substr(0, colon);
  if (key.substr(0, 2) == "C$" || key.substr(0, 2) == "A$") {
    const std::vector<std::string_view> parts = Split(key, '$');
    const bool assembly = key[0] == 'A';
    if (parts.size() < 3 || parts[1].empty()) return false;
    const auto line = Number(parts[2]);
    if (!line || *line == 0 || *line > 10000000) return false;
    lines.push_back({{std::string(parts[1]), static_cast<int>(*line), assembly}, *address});
    return true;
  }
  const bool end = !key.empty() && key[0] == 'X';
  const auto name = ParseScopedName(end ? key.substr(1) : key);
  if (!name) return false;
  places.push_back({*name, *address, end});
  return true;
}

bool Parser::Record(std::string_view line) {
  if (line.size() < 3 || line[1] != ':') return false;
  const std::string_view body = line.substr(2);
  switch (line[0]) {
    case 'M':
      module = std::string(body.substr(0, 256));
      return true;
    case 'F':
      return Function(body);
    case 'S':
      return SymbolRecord(body);
    case 'T':
      return TypeRecord(body);
    case 'L':
      return LinkRecord(body);
    default:
      return false;
  }
}

bool SameScope(const ScopedName& n, const Symbol& s) {
  return n.name == s.name && n.scope == s.scope && n.module == s.module && n.routine == s.routine;
}

}  // namespace

std::string Type::Text() const {
  std::string sign = isUnsigned ? "unsigned " : "";
  switch (kind) {
    case TypeKind::Char:
      return sign + "char";
    case TypeKind::Short:
      return sign + "short";
    case TypeKind::Int:
      return sign + "int";
    case TypeKind::Long:
      return sign + "long";
    case TypeKind::Float:
      return "float";
    case TypeKind::Bit:
      return "__bit";
    case TypeKind::Void:
      return "void";
    case TypeKind::Struct:
      return "struct " + structName;
    case TypeKind::Array:
      return (element ? element->Text() : "?") + "[" + std::to_string(count) + "]";
    case TypeKind::Pointer:
      return (element ? element->Text() : "void") + " " + SpaceName(pointsInto) + "*";
    case TypeKind::Function:
      return (element ? element->Text() : "void") + " ()";
  }
  return "?";
}

DebugData DebugData::Parse(std::string_view text, std::vector<std::string>* skipped) {
  if (text.size() > kMaxInput) {
    if (skipped) skipped->push_back("the debug data is too large: read only its start");
    text = text.substr(0, kMaxInput);
  }
  Parser p{};
  std::size_t records = 0;
  std::size_t begin = 0;
  while (begin < text.size()) {
    std::size_t end = text.find('\n', begin);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(begin, end - begin);
    begin = end + 1;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty()) continue;
    if (++records > kMaxRecords) {
      if (skipped) skipped->push_back("too many records: the rest skipped");
      break;
    }
    if (!p.Record(line) && skipped && skipped->size() < 100) {
      skipped->push_back(std::string(line.substr(0, 200)));
    }
  }
  DebugData data;
  // Addresses of routines and symbols, by their names.
  for (const Parser::Place& place : p.places) {
    if (place.name.scope != Scope::Local) {
      auto routine = std::find_if(p.routines.begin(), p.routines.end(), [&](const Routine& r) {
        return r.name == place.name.name && r.isStatic == (place.name.scope == Scope::File) &&
               (!r.isStatic || r.module == place.name.module);
      });
      if (routine != p.routines.end()) {
        if (place.end) {
          routine->end = place.address;
          routine->hasEnd = true;
        } else {
          routine->start = place.address;
        }
        continue;
      }
    }
    if (place.end) continue;
    auto symbol = std::find_if(p.symbols.begin(), p.symbols.end(),
                               [&](const Symbol& s) { return SameScope(place.name, s); });
    if (symbol != p.symbols.end()) {
      symbol->address = place.address;
    } else if (place.name.scope == Scope::Local) {
      // A local whose routine's locals SDCC overlays: an address, no type.
      Symbol s;
      s.name = place.name.name;
      s.scope = Scope::Local;
      s.module = place.name.module;
      s.routine = place.name.routine;
      s.address = place.address;
      p.symbols.push_back(std::move(s));
    }
  }
  // A routine whose end is missing spans only its first address; one before its start is wrong.
  for (Routine& r : p.routines) {
    if (r.hasEnd && r.end < r.start) r.hasEnd = false;
  }
  std::erase_if(p.symbols, [](const Symbol& s) {
    return !s.address && s.space != AddressSpace::Registers && s.space != AddressSpace::Stack;
  });
  data.lines_ = std::move(p.lines);
  data.routines_ = std::move(p.routines);
  data.symbols_ = std::move(p.symbols);
  data.structs_ = std::move(p.structs);
  data.Finish();
  return data;
}

void DebugData::Finish() {
  std::sort(lines_.begin(), lines_.end(), [](const LineRecord& a, const LineRecord& b) {
    if (a.address != b.address) return a.address < b.address;
    if (a.source.assembly != b.source.assembly) return !a.source.assembly;
    if (a.source.file != b.source.file) return a.source.file < b.source.file;
    return a.source.line < b.source.line;
  });
  lines_.erase(std::unique(lines_.begin(), lines_.end(),
                           [](const LineRecord& a, const LineRecord& b) {
                             return a.address == b.address && a.source == b.source;
                           }),
               lines_.end());
  std::erase_if(routines_, [](const Routine& r) { return r.start == 0 && !r.hasEnd; });
  std::sort(routines_.begin(), routines_.end(),
            [](const Routine& a, const Routine& b) { return a.start < b.start; });
}

std::optional<DebugData> DebugData::Load(const std::filesystem::path& path, std::string& error,
                                         std::vector<std::string>* skipped) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = "cannot read " + path.string();
    return std::nullopt;
  }
  std::string text;
  text.resize(kMaxInput + 1);
  in.read(text.data(), static_cast<std::streamsize>(text.size()));
  text.resize(static_cast<std::size_t>(in.gcount()));
  return Parse(text, skipped);
}

std::vector<std::string> DebugData::Files() const {
  std::vector<std::string> files;
  for (const LineRecord& r : lines_) {
    if (std::find(files.begin(), files.end(), r.source.file) == files.end()) {
      files.push_back(r.source.file);
    }
  }
  return files;
}

std::vector<std::uint16_t> DebugData::AddressesOf(std::string_view file, int line) const {
  std::vector<std::uint16_t> addresses;
  for (const LineRecord& r : lines_) {
    if (r.source.line == line && SameFile(r.source, file)) addresses.push_back(r.address);
  }
  return addresses;
}

std::optional<ResolvedLine> DebugData::Resolve(std::string_view file, int line) const {
  std::optional<int> best;
  for (const LineRecord& r : lines_) {
    if (r.source.line >= line && SameFile(r.source, file) && (!best || r.source.line < *best)) {
      best = r.source.line;
    }
  }
  if (!best) return std::nullopt;
  return ResolvedLine{*best, AddressesOf(file, *best)};
}

std::optional<SourceLine> DebugData::LineAt(std::uint16_t address) const {
  const Routine* routine = RoutineAt(address);
  // The last record at or below the address, C before assembly, not across a routine's edge.
  const auto end =
      std::upper_bound(lines_.begin(), lines_.end(), address,
                       [](std::uint16_t a, const LineRecord& r) { return a < r.address; });
  for (bool assembly : {false, true}) {
    for (auto it = end; it != lines_.begin();) {
      --it;
      if (RoutineAt(it->address) != routine) break;
      // An assembly line has a record for each instruction: one holds at most three bytes.
      if (assembly && address - it->address > 2) break;
      if (it->source.assembly == assembly) return it->source;
    }
  }
  return std::nullopt;
}

bool DebugData::IsLineStart(std::uint16_t address) const {
  const auto it =
      std::lower_bound(lines_.begin(), lines_.end(), address,
                       [](const LineRecord& r, std::uint16_t a) { return r.address < a; });
  return it != lines_.end() && it->address == address;
}

const Routine* DebugData::RoutineAt(std::uint16_t address) const {
  const Routine* found = nullptr;
  for (const Routine& r : routines_) {
    if (r.start > address) break;
    if (r.Contains(address)) found = &r;
  }
  return found;
}

const Routine* DebugData::FindRoutine(std::string_view name) const {
  for (const Routine& r : routines_) {
    if (r.name == name) return &r;
  }
  return nullptr;
}

std::optional<SourceLine> DebugData::FirstLine(const Routine& routine) const {
  for (bool assembly : {false, true}) {
    for (const LineRecord& r : lines_) {
      if (r.address >= routine.start && routine.Contains(r.address) &&
          r.source.assembly == assembly) {
        return r.source;
      }
    }
  }
  return std::nullopt;
}

std::vector<const Symbol*> DebugData::Locals(const Routine& routine) const {
  std::vector<const Symbol*> found;
  for (const Symbol& s : symbols_) {
    if (s.scope == Scope::Local && s.routine == routine.name &&
        (routine.module.empty() || s.module == routine.module)) {
      found.push_back(&s);
    }
  }
  return found;
}

std::vector<const Symbol*> DebugData::Globals() const {
  std::vector<const Symbol*> found;
  for (const Symbol& s : symbols_) {
    // The SFRs and their bits the headers declare are registers, not the program's variables.
    if (s.scope != Scope::Local && s.space != AddressSpace::Sfr &&
        !(s.space == AddressSpace::Bit && s.address && *s.address >= 0x80)) {
      found.push_back(&s);
    }
  }
  return found;
}

const Symbol* DebugData::FindSymbol(std::string_view name, const Routine* routine) const {
  const Symbol* file = nullptr;
  const Symbol* global = nullptr;
  for (const Symbol& s : symbols_) {
    if (s.name != name) continue;
    if (s.scope == Scope::Local) {
      if (routine && s.routine == routine->name) return &s;
    } else if (s.scope == Scope::File) {
      if (!file && (!routine || routine->module.empty() || s.module == routine->module)) {
        file = &s;
      }
    } else if (!global) {
      global = &s;
    }
  }
  return file ? file : global;
}

const StructType* DebugData::FindStruct(std::string_view name) const {
  for (const StructType& s : structs_) {
    if (s.name == name) return &s;
  }
  return nullptr;
}

std::optional<std::filesystem::path> FindSource(
    const SourceLine& line, const std::vector<std::filesystem::path>& sourceDirs,
    const std::filesystem::path& besideDebugData) {
  std::vector<std::string> names{line.file};
  if (line.assembly) {
    for (const char* extension : {".asm", ".a51", ".s"}) names.push_back(line.file + extension);
  }
  std::vector<std::filesystem::path> dirs = sourceDirs;
  dirs.push_back(besideDebugData);
  for (const auto& dir : dirs) {
    for (const std::string& name : names) {
      std::error_code error;
      const std::filesystem::path candidate = dir / name;
      if (std::filesystem::is_regular_file(candidate, error)) {
        return std::filesystem::absolute(candidate, error);
      }
    }
  }
  return std::nullopt;
}

}  // namespace orvane::sim::debug
