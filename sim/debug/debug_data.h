// The debug data SDCC writes beside a linked program (`.cdb`, with `sdcc --debug`, or
// `sdas8051 -y` and `sdld -y` for assembly): source lines and their code addresses, routines
// with their address ranges, symbols with their scope, space, address and type, and structs.
//
// The reader takes what it understands and skips the rest, record by record: a record it cannot
// read never stops it and never makes a wrong answer (a symbol without a type has no type, not a
// guessed one). Input is bounded (kMaxInput bytes, kMaxRecords records) so garbage costs little.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orvane::sim::debug {

// SDCC's address spaces, by their letters in the records.
enum class AddressSpace {
  Data,       // E: internal RAM, directly addressed
  Idata,      // G: internal RAM, indirectly addressed
  Xdata,      // F: external RAM
  Code,       // C, D
  Bit,        // H, J: bit addresses
  Sfr,        // I
  Registers,  // R: the registers listed, in the bank PSW selects
  Stack,      // B: an offset from the frame pointer (--stack-auto)
  Unknown,    // A, P, Z and anything else: no place we can read
};

enum class TypeKind { Char, Short, Int, Long, Float, Bit, Void, Pointer, Array, Struct, Function };

struct Type {
  TypeKind kind = TypeKind::Void;
  bool isUnsigned = false;
  int size = 0;   // bytes (a bit: 1, its value one bit)
  int count = 0;  // an array's elements
  // A pointer's space; Unknown for a generic 3-byte pointer (its third byte names the space).
  AddressSpace pointsInto = AddressSpace::Unknown;
  std::string structName;
  std::shared_ptr<const Type> element;  // an array's element, a pointer's target

  // As C writes it: "unsigned char", "int[4]", "struct point", "char*", "__xdata char*".
  std::string Text() const;
};

struct Field {
  std::string name;
  int offset = 0;
  Type type;
};

struct StructType {
  std::string name;
  int size = 0;
  std::vector<Field> fields;
};

enum class Scope { Global, File, Local };

struct Symbol {
  std::string name;
  Scope scope = Scope::Global;
  std::string module;   // the module (file) a file static or local belongs to
  std::string routine;  // a local's routine
  AddressSpace space = AddressSpace::Unknown;
  std::optional<std::uint32_t> address;  // from its L: record; bits: the bit address
  std::vector<std::uint8_t> registers;   // space R: register numbers, lowest byte first
  int stackOffset = 0;                   // space B
  std::optional<Type> type;              // none: only an address is known (overlaid locals)
  bool isParameter = false;
};

struct Routine {
  std::string name;
  std::string module;  // from its M: record (or, for a static one, its name)
  bool isStatic = false;
  std::uint16_t start = 0;
  std::uint16_t end = 0;  // the address of its last instruction (its RET or RETI)
  bool hasEnd = false;
  bool isInterrupt = false;
  int interruptNumber = 0;
  int bank = 0;
  std::optional<Type> returnType;

  bool Contains(std::uint16_t address) const {
    return address >= start && address <= (hasEnd ? end : start);
  }
};

// A source line: C lines name the file ("main.c"); assembly lines the module ("blink"), whose
// file is the module's name with an assembly extension.
struct SourceLine {
  std::string file;
  int line = 0;
  bool assembly = false;
  bool operator==(const SourceLine&) const = default;
};

struct LineRecord {
  SourceLine source;
  std::uint16_t address = 0;
};

// Where a breakpoint asked on a line lands: the line itself when it has code, else the next line
// of the same file with code; every address of that line.
struct ResolvedLine {
  int line = 0;
  std::vector<std::uint16_t> addresses;
};

class DebugData {
 public:
  static constexpr std::size_t kMaxInput = 16 * 1024 * 1024;
  static constexpr std::size_t kMaxRecords = 200000;

  // Reads the records of `text`; `skipped` (if given) gets one line per record not understood.
  static DebugData Parse(std::string_view text, std::vector<std::string>* skipped = nullptr);
  // Reads a file; empty with `error` set when it cannot be read.
  static std::optional<DebugData> Load(const std::filesystem::path& path, std::string& error,
                                       std::vector<std::string>* skipped = nullptr);

  bool Empty() const { return lines_.empty() && routines_.empty() && symbols_.empty(); }

  // The files and modules that have line records, as written.
  std::vector<std::string> Files() const;
  // Every line record, sorted by address then file and line.
  const std::vector<LineRecord>& Lines() const { return lines_; }
  // The addresses of one line, sorted; empty when it has no code. `file` may be a path: its
  // base name is matched, with or without an assembly extension for modules.
  std::vector<std::uint16_t> AddressesOf(std::string_view file, int line) const;
  std::optional<ResolvedLine> Resolve(std::string_view file, int line) const;
  // The line that holds `address`: the record at it, else the nearest below it in the same
  // routine. C lines win over assembly lines at the same address.
  std::optional<SourceLine> LineAt(std::uint16_t address) const;
  // Whether a line record starts at `address` (a line's first instruction).
  bool IsLineStart(std::uint16_t address) const;

  const std::vector<Routine>& Routines() const { return routines_; }
  const Routine* RoutineAt(std::uint16_t address) const;
  const Routine* FindRoutine(std::string_view name) const;
  // The first line of a routine (the line of its lowest address that has one).
  std::optional<SourceLine> FirstLine(const Routine& routine) const;

  const std::vector<Symbol>& Symbols() const { return symbols_; }
  // Parameters and locals of a routine; globals and file statics (the latter of every module).
  std::vector<const Symbol*> Locals(const Routine& routine) const;
  std::vector<const Symbol*> Globals() const;
  // A name as the routine sees it: its locals first, then its module's statics, then globals.
  const Symbol* FindSymbol(std::string_view name, const Routine* routine) const;
  const StructType* FindStruct(std::string_view name) const;

 private:
  void Finish();

  std::vector<LineRecord> lines_;
  std::vector<Routine> routines_;
  std::vector<Symbol> symbols_;
  std::vector<StructType> structs_;
};

// The file a source line is in: looked for in `sourceDirs` in order, then in `besideDebugData`;
// an assembly module tries the extensions .asm, .a51, .s. Empty when not found.
std::optional<std::filesystem::path> FindSource(
    const SourceLine& line, const std::vector<std::filesystem::path>& sourceDirs,
    const std::filesystem::path& besideDebugData);

}  // namespace orvane::sim::debug
