#include "sim/debug/disassembler.h"

#include <string_view>

#include "sim/debug/hex_text.h"

namespace orvane::sim::debug {

namespace {

// The SFRs and bits the assembler knows by name: what its listings show, and what it takes back.
struct Named {
  std::uint8_t address;
  const char* name;
};
constexpr Named kSfrs[] = {{0x80, "P0"},     {0x81, "SP"},   {0x82, "DPL"},   {0x83, "DPH"},
                           {0x87, "PCON"},   {0x88, "TCON"}, {0x89, "TMOD"},  {0x8A, "TL0"},
                           {0x8B, "TL1"},    {0x8C, "TH0"},  {0x8D, "TH1"},   {0x90, "P1"},
                           {0x98, "SCON"},   {0x99, "SBUF"}, {0xA0, "P2"},    {0xA8, "IE"},
                           {0xB0, "P3"},     {0xB8, "IP"},   {0xC8, "T2CON"}, {0xCA, "RCAP2L"},
                           {0xCB, "RCAP2H"}, {0xCC, "TL2"},  {0xCD, "TH2"},   {0xD0, "PSW"},
                           {0xE0, "ACC"},    {0xF0, "B"}};
constexpr Named kBits[] = {
    {0x88, "IT0"},  {0x89, "IE0"},  {0x8A, "IT1"},  {0x8B, "IE1"}, {0x8C, "TR0"},   {0x8D, "TF0"},
    {0x8E, "TR1"},  {0x8F, "TF1"},  {0x98, "RI"},   {0x99, "TI"},  {0x9A, "RB8"},   {0x9B, "TB8"},
    {0x9C, "REN"},  {0x9D, "SM2"},  {0x9E, "SM1"},  {0x9F, "SM0"}, {0xA8, "EX0"},   {0xA9, "ET0"},
    {0xAA, "EX1"},  {0xAB, "ET1"},  {0xAC, "ES"},   {0xAD, "ET2"}, {0xAF, "EA"},    {0xB0, "RXD"},
    {0xB1, "TXD"},  {0xB2, "INT0"}, {0xB3, "INT1"}, {0xB8, "PX0"}, {0xB9, "PT0"},   {0xBA, "PX1"},
    {0xBB, "PT1"},  {0xBC, "PS"},   {0xBD, "PT2"},  {0xCA, "TR2"}, {0xCB, "EXEN2"}, {0xCC, "TCLK"},
    {0xCD, "RCLK"}, {0xCE, "EXF2"}, {0xCF, "TF2"},  {0xD0, "P"},   {0xD2, "OV"},    {0xD3, "RS0"},
    {0xD4, "RS1"},  {0xD5, "F0"},   {0xD6, "AC"},   {0xD7, "CY"}};

std::string Direct(std::uint8_t address) {
  const std::string name = SfrName(address);
  return name.empty() ? HexText(address, 2) : name;
}

// The operand patterns of the rows whose low nibble is 4 to F.
std::string RowOperand(int lo, std::uint8_t direct) {
  if (lo == 5) return Direct(direct);
  if (lo == 6 || lo == 7) return lo == 6 ? "@r0" : "@r1";
  return "r" + std::to_string(lo - 8);
}

}  // namespace

std::string SfrName(std::uint8_t address) {
  for (const Named& n : kSfrs) {
    if (n.address == address) return n.name;
  }
  return {};
}

std::string BitName(std::uint8_t bit) {
  for (const Named& n : kBits) {
    if (n.address == bit) return n.name;
  }
  if (bit >= 0x80) {
    const std::string sfr = SfrName(bit & 0xF8);
    if (!sfr.empty()) return sfr + "." + std::to_string(bit & 7);
  }
  return HexText(bit, 2);
}

int InstructionLength(std::uint8_t op) {
  const int lo = op & 0x0F;
  const int row = op >> 4;
  if (op == 0xA5) return 1;
  if (lo == 1) return 2;                // AJMP, ACALL
  if (row == 0xB && lo >= 4) return 3;  // CJNE
  switch (lo) {
    case 0x0:
      if (row == 1 || row == 2 || row == 3 || row == 9) return 3;
      return row == 0 || row >= 0xE ? 1 : 2;
    case 0x2:
      if (row <= 1) return 3;
      return row == 2 || row == 3 || row >= 0xE ? 1 : 2;
    case 0x3:
      return row >= 4 && row <= 6 ? 3 : 1;
    case 0x4:
      return (row >= 2 && row <= 7) || row == 9 ? 2 : 1;
    case 0x5:
      return row == 7 || row == 8 || row == 0xD ? 3 : 2;
    default:  // @Ri and Rn
      return row == 7 || row == 8 || row == 0xA || (row == 0xD && lo >= 8) ? 2 : 1;
  }
}

Instruction Disassemble(const std::array<std::uint8_t, 0x10000>& code, std::uint16_t address) {
  Instruction in;
  in.address = address;
  const std::uint8_t op = code[address];
  in.length = InstructionLength(op);
  for (int i = 0; i < in.length; ++i) {
    in.bytes[static_cast<std::size_t>(i)] = code[static_cast<std::uint16_t>(address + i)];
  }
  const std::uint8_t b1 = in.bytes[1];
  const std::uint8_t b2 = in.bytes[2];
  const std::uint16_t next = static_cast<std::uint16_t>(address + in.length);
  auto rel = [&](std::uint8_t offset) {
    const auto target = static_cast<std::uint16_t>(next + static_cast<std::int8_t>(offset));
    in.target = target;
    return HexText(target, 4);
  };
  auto imm = [](std::uint8_t value) { return "#" + HexText(value, 2); };
  const int lo = op & 0x0F;
  const int row = op >> 4;
  std::string& t = in.text;

  if (lo == 1) {
    const auto target = static_cast<std::uint16_t>((next & 0xF800) | (op & 0xE0) << 3 | b1);
    in.target = target;
    in.isCall = op & 0x10;
    t = std::string(in.isCall ? "acall " : "ajmp ") + HexText(target, 4);
    return in;
  }
  if (lo >= 4 && op != 0xA5) {
    const std::string src = lo == 4 ? imm(b1) : RowOperand(lo, b1);
    // Rows with "a," and a source: the ALU operations and MOV A.
    static constexpr std::string_view kAlu[16] = {
        "", "", "add", "addc", "orl", "anl", "xrl", "", "", "subb", "", "", "", "", "", ""};
    if (!kAlu[row].empty()) {
      t = std::string(kAlu[row]) + " a," + src;
      return in;
    }
    const std::string dst = RowOperand(lo, b1);
    switch (row) {
      case 0x0:
      case 0x1:
        t = std::string(row == 0 ? "inc " : "dec ") + (lo == 4 ? "a" : dst);
        return in;
      case 0x7:
        if (lo == 4) {
          t = "mov a," + imm(b1);
        } else {
          t = "mov " + dst + "," + imm(lo == 5 ? b2 : b1);
        }
        return in;
      case 0x8:
        if (lo == 4) {
          t = "div ab";
        } else if (lo == 5) {
          t = "mov " + Direct(b2) + "," + Direct(b1);  // the source comes first in the bytes
        } else {
          t = "mov " + Direct(b1) + "," + RowOperand(lo, 0);
        }
        return in;
      case 0xA:
        t = lo == 4 ? "mul ab" : "mov " + RowOperand(lo, 0) + "," + Direct(b1);
        return in;
      case 0xB: {
        const std::string left = lo <= 5 ? "a" : RowOperand(lo, 0);
        const std::string right = lo == 5 ? Direct(b1) : imm(b1);
        t = "cjne " + left + "," + right + "," + rel(b2);
        return in;
      }
      case 0xC:
        t = lo == 4 ? "swap a" : "xch a," + dst;
        return in;
      case 0xD:
        if (lo == 4) {
          t = "da a";
        } else if (lo == 6 || lo == 7) {
          t = "xchd a," + dst;
        } else {
          t = "djnz " + dst + "," + rel(lo == 5 ? b2 : b1);
        }
        return in;
      case 0xE:
        t = lo == 4 ? "clr a" : "mov a," + dst;
        return in;
      default:  // 0xF
        t = lo == 4 ? "cpl a" : "mov " + dst + ",a";
        return in;
    }
  }
  switch (op) {
    case 0x00:
      t = "nop";
      break;
    case 0x02:
      in.target = static_cast<std::uint16_t>(b1 << 8 | b2);
      t = "ljmp " + HexText(*in.target, 4);
      break;
    case 0x12:
      in.target = static_cast<std::uint16_t>(b1 << 8 | b2);
      in.isCall = true;
      t = "lcall " + HexText(*in.target, 4);
      break;
    case 0x03:
      t = "rr a";
      break;
    case 0x13:
      t = "rrc a";
      break;
    case 0x23:
      t = "rl a";
      break;
    case 0x33:
      t = "rlc a";
      break;
    case 0x10:
      t = "jbc " + BitName(b1) + "," + rel(b2);
      break;
    case 0x20:
      t = "jb " + BitName(b1) + "," + rel(b2);
      break;
    case 0x30:
      t = "jnb " + BitName(b1) + "," + rel(b2);
      break;
    case 0x22:
      t = "ret";
      in.isReturn = true;
      break;
    case 0x32:
      t = "reti";
      in.isReturn = true;
      break;
    case 0x40:
      t = "jc " + rel(b1);
      break;
    case 0x50:
      t = "jnc " + rel(b1);
      break;
    case 0x60:
      t = "jz " + rel(b1);
      break;
    case 0x70:
      t = "jnz " + rel(b1);
      break;
    case 0x80:
      t = "sjmp " + rel(b1);
      break;
    case 0x42:
      t = "orl " + Direct(b1) + ",a";
      break;
    case 0x43:
      t = "orl " + Direct(b1) + "," + imm(b2);
      break;
    case 0x52:
      t = "anl " + Direct(b1) + ",a";
      break;
    case 0x53:
      t = "anl " + Direct(b1) + "," + imm(b2);
      break;
    case 0x62:
      t = "xrl " + Direct(b1) + ",a";
      break;
    case 0x63:
      t = "xrl " + Direct(b1) + "," + imm(b2);
      break;
    case 0x72:
      t = "orl c," + BitName(b1);
      break;
    case 0x73:
      t = "jmp @a+dptr";
      break;
    case 0x82:
      t = "anl c," + BitName(b1);
      break;
    case 0x83:
      t = "movc a,@a+pc";
      break;
    case 0x90:
      t = "mov dptr,#" + HexText(static_cast<unsigned>(b1 << 8 | b2), 4);
      break;
    case 0x92:
      t = "mov " + BitName(b1) + ",c";
      break;
    case 0x93:
      t = "movc a,@a+dptr";
      break;
    case 0xA0:
      t = "orl c,/" + BitName(b1);
      break;
    case 0xA2:
      t = "mov c," + BitName(b1);
      break;
    case 0xA3:
      t = "inc dptr";
      break;
    case 0xA5:
      t = ".db 0xA5";
      break;  // the one undefined opcode
    case 0xB0:
      t = "anl c,/" + BitName(b1);
      break;
    case 0xB2:
      t = "cpl " + BitName(b1);
      break;
    case 0xB3:
      t = "cpl c";
      break;
    case 0xC0:
      t = "push " + Direct(b1);
      break;
    case 0xC2:
      t = "clr " + BitName(b1);
      break;
    case 0xC3:
      t = "clr c";
      break;
    case 0xD0:
      t = "pop " + Direct(b1);
      break;
    case 0xD2:
      t = "setb " + BitName(b1);
      break;
    case 0xD3:
      t = "setb c";
      break;
    case 0xE0:
      t = "movx a,@dptr";
      break;
    case 0xE2:
      t = "movx a,@r0";
      break;
    case 0xE3:
      t = "movx a,@r1";
      break;
    case 0xF0:
      t = "movx @dptr,a";
      break;
    case 0xF2:
      t = "movx @r0,a";
      break;
    case 0xF3:
      t = "movx @r1,a";
      break;
    default:
      t = ".db " + HexText(op, 2);
      break;
  }
  return in;
}

}  // namespace orvane::sim::debug
