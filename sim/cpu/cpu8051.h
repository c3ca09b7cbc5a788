// An 8052-compatible CPU: every opcode with its machine-cycle count, the internal RAM (256 bytes,
// the upper half reached only indirectly), the SFRs, timers 0, 1 and 2, the serial port and the
// two-level interrupt system. It knows nothing of the board around it: external data memory,
// port pins and the serial line are reached through Cpu8051Bus.
//
// Speed comes from four choices: the code memory is one flat array; the run loop dispatches on
// all 256 opcodes at once, each case the instruction's body with its decoding done by the
// compiler; the flags are computed where an instruction makes them (the parity flag only when
// PSW is read, since it follows ACC); and the timers and the serial port are brought up to date
// lazily, at the next cycle at which one of them can change a flag (`nextEvent_`) or when the
// program touches their registers.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>

// The instruction set's parts (cpu8051_control.h, cpu8051_rows.h, cpu8051_watch.h) are
// included by the run loop alone and forced inline there, so that its dispatch has one body per
// opcode with the opcode's decoding done by the compiler.
// (Forced only in optimised builds: unoptimised ones, with the sanitisers, would grow huge.)
#ifdef __OPTIMIZE__
#define ORVANE_CPU_INLINE [[gnu::always_inline]] inline
#define ORVANE_CPU_LAMBDA_INLINE __attribute__((always_inline))
#else
#define ORVANE_CPU_INLINE inline
#define ORVANE_CPU_LAMBDA_INLINE
#endif

namespace orvane::sim {

// SFR addresses the core and its users name.
namespace sfr {
inline constexpr std::uint8_t P0 = 0x80, SP = 0x81, DPL = 0x82, DPH = 0x83, PCON = 0x87;
inline constexpr std::uint8_t TCON = 0x88, TMOD = 0x89, TL0 = 0x8A, TL1 = 0x8B, TH0 = 0x8C;
inline constexpr std::uint8_t TH1 = 0x8D, P1 = 0x90, SCON = 0x98, SBUF = 0x99, P2 = 0xA0;
inline constexpr std::uint8_t IE = 0xA8, P3 = 0xB0, IP = 0xB8, T2CON = 0xC8, RCAP2L = 0xCA;
inline constexpr std::uint8_t RCAP2H = 0xCB, TL2 = 0xCC, TH2 = 0xCD, PSW = 0xD0, ACC = 0xE0;
inline constexpr std::uint8_t B = 0xF0;
}  // namespace sfr

// PSW bits.
inline constexpr std::uint8_t kCy = 0x80, kAc = 0x40, kOv = 0x04, kParity = 0x01;

// What the CPU reaches outside itself. `cycle` is the machine cycle at which it happens.
class Cpu8051Bus {
 public:
  virtual ~Cpu8051Bus() = default;
  virtual std::uint8_t ReadData(std::uint16_t address, std::uint64_t cycle) = 0;
  virtual void WriteData(std::uint16_t address, std::uint8_t value, std::uint64_t cycle) = 0;
  // A port latch (P0 to P3: port 0 to 3) was written.
  virtual void PortWritten(int /*port*/, std::uint8_t /*before*/, std::uint8_t /*after*/,
                           std::uint64_t /*cycle*/) {}
  // The serial port has shifted out the last bit (the stop bit) of a byte.
  virtual void SerialSent(std::uint8_t /*byte*/, std::uint64_t /*cycle*/) {}
};

// What a debugger watches. The CPU looks at it only while one is attached (Cpu8051::Attach),
// in a run loop of its own, so a CPU without one runs exactly as fast as before.
struct Cpu8051Watch {
  enum Access : std::uint8_t { kRead = 1, kWrite = 2 };
  enum class Space : std::uint8_t { Iram, Sfr, Xdata };
  enum class Kind : std::uint8_t { None, Code, Data };
  struct Hit {
    Kind kind = Kind::None;
    Space space = Space::Iram;
    std::uint16_t address = 0;  // the code address, or the data address accessed
    Access access = kRead;
  };

  // Stop before the instruction at an address set here. A byte an address, as std::bitset's
  // calls name it: the look before every instruction is then a single load.
  struct CodeMap {
    std::array<bool, 0x10000> at{};
    void set(std::size_t address) { at[address] = true; }
    void reset() { at.fill(false); }
    bool operator[](std::size_t address) const { return at[address]; }
  } code;
  // Stop after an instruction that accesses a byte whose entry has the access's bit set.
  // Internal RAM is indexed by its address (the upper half reached indirectly), SFRs by
  // address - 0x80, external RAM by its address. Implied operands (A, B, PSW, DPTR, SP as an
  // opcode names them) are not counted, nor the stack bytes of an interrupt's call; those that
  // calls, returns, PUSH and POP move are.
  std::array<std::uint8_t, 256> iram{};
  std::array<std::uint8_t, 128> sfr{};
  std::array<std::uint8_t, 0x10000> xdata{};
  // Which of the three maps has an entry set: kIram, kSfr, kXdata.
  enum Spaces : std::uint8_t { kIram = 1, kSfr = 2, kXdata = 4 };
  std::uint8_t spaces = 0;
  // A code address not stopped at until its instruction has run (-1: none): set to resume from
  // a breakpoint there, even when an interrupt comes first.
  std::int32_t skipAt = -1;
  // Why the last run returned early; Kind::None when it did not.
  Hit hit;
};

class Cpu8051 {
 public:
  static constexpr std::size_t kCodeSize = 0x10000;
  static constexpr std::uint64_t kNever = ~std::uint64_t{0};

  explicit Cpu8051(Cpu8051Bus& bus);

  // A hardware reset: SFRs to their reset values, PC 0, the serial line idle. Code memory and
  // internal RAM keep their contents, as they do on the chip.
  void Reset();

  std::array<std::uint8_t, kCodeSize>& Code() { return code_; }
  std::uint16_t Pc() const { return pc_; }
  void SetPc(std::uint16_t pc) { pc_ = pc; }
  std::uint64_t Cycles() const { return cycles_; }

  // Runs whole instructions until the cycle count reaches `until`, the CPU stops, or (with
  // `returnOnSend`) the serial port has finished sending a byte.
  void Run(std::uint64_t until, bool returnOnSend = false);
  // One instruction, or the call of an interrupt that is due before it.
  void Step();
  // A debugger's watch (null: none); Run returns early when it hits it. It must outlive the run.
  void Attach(Cpu8051Watch* watch) { watch_ = watch; }
  Cpu8051Watch* Watch() const { return watch_; }
  // Interrupt levels being served: bit 0 low, bit 1 high.
  std::uint8_t InService() const { return inService_; }
  // The program ended: an unconditional jump to itself with no interrupt enabled (and the
  // serial port done sending), or power-down mode; or the core met an opcode it did not carry out.
  bool Stopped() const { return stopped_; }
  // An opcode that fell through the dispatch without being carried out, if one did since the
  // last reset. Every opcode is routed (0xA5, the undefined one, to a no-op), so this stays
  // empty unless the dispatch itself is wrong.
  std::optional<std::uint8_t> UnroutedOpcode() const { return unrouted_; }

  // Registers and memory as the program sees them; SetSfr acts as a program's write would.
  std::uint8_t Sfr(std::uint8_t address) { return ReadSfr(address); }
  void SetSfr(std::uint8_t address, std::uint8_t value) { WriteSfr(address, value); }
  std::uint8_t Iram(std::uint8_t address) const { return iram_[address]; }
  void SetIram(std::uint8_t address, std::uint8_t value) { iram_[address] = value; }
  std::uint8_t Psw();

  // Levels that something outside drives on a port's pins (all high by default: the pull-ups).
  // A pin reads low when either its latch or the outside drives it low. On port 3 a change acts
  // at once, after the timers have counted up to now at the old levels: P3.2 and P3.3 on the
  // external interrupt flags (IE0, IE1: a falling edge, or a low level, as IT0 and IT1 choose),
  // on GATE, and P3.4 and P3.5 as the inputs T0 and T1 of a timer that counts pulses.
  void SetPortInput(int port, std::uint8_t pins);
  // The levels on a port's pins.
  std::uint8_t Pins(int port) const {
    return sfr_[static_cast<std::size_t>((port & 3) << 4)] & portInput_[port & 3];
  }

  // A byte arriving on RXD whose start bit begins no earlier than `notBefore` (a machine
  // cycle). The receiver takes bytes in order, each when it is free and REN is set.
  void SerialReceive(std::uint8_t byte, std::uint64_t notBefore);
  std::size_t SerialInputWaiting() const { return rxQueue_.size() + (rxActive_ ? 1 : 0); }
  // Bytes that arrived while RI was still set, so were lost.
  std::uint64_t SerialOverruns() const { return overruns_; }
  // Machine cycles per bit at the rate the program has set; 0 when the rate's timer stands.
  double SerialCyclesPerBit() const;

 private:
  // ---- memory (cpu8051.cpp)
  std::uint8_t ReadDirect(std::uint8_t address) {
    return address < 0x80 ? iram_[address] : ReadSfr(address);
  }
  // The read of a read-modify-write instruction: a port gives its latch, not its pins.
  std::uint8_t ReadDirectLatch(std::uint8_t address) {
    if (address < 0x80) return iram_[address];
    return (address & 0x0F) == 0 && address <= sfr::P3 ? SfrRaw(address) : ReadSfr(address);
  }
  void WriteDirect(std::uint8_t address, std::uint8_t value) {
    if (address < 0x80) {
      iram_[address] = value;
    } else {
      WriteSfr(address, value);
    }
  }
  std::uint8_t ReadSfr(std::uint8_t address);
  void WriteSfr(std::uint8_t address, std::uint8_t value);
  // The byte that holds a bit: 0x20 to 0x2F for bits 0 to 0x7F, else the SFR.
  static std::uint8_t BitByte(std::uint8_t bit) {
    return bit < 0x80 ? static_cast<std::uint8_t>(0x20 + (bit >> 3)) : bit & 0xF8;
  }
  bool ReadBit(std::uint8_t bit) { return (ReadDirect(BitByte(bit)) >> (bit & 7)) & 1; }
  void WriteBit(std::uint8_t bit, bool value) {
    const std::uint8_t address = BitByte(bit);
    const std::uint8_t mask = static_cast<std::uint8_t>(1u << (bit & 7));
    const std::uint8_t before = ReadDirectLatch(address);
    WriteDirect(address, value ? before | mask : before & ~mask);
  }
  std::uint8_t& R(int n) { return iram_[bank_ + n]; }
  std::uint8_t& At(int i) { return iram_[iram_[bank_ + i]]; }
  std::uint8_t& Acc() { return sfr_[sfr::ACC - 0x80]; }
  std::uint8_t& PswRaw() { return sfr_[sfr::PSW - 0x80]; }
  std::uint8_t& SfrRaw(std::uint8_t address) { return sfr_[address - 0x80]; }
  std::uint16_t Dptr() const {
    return static_cast<std::uint16_t>(sfr_[sfr::DPH - 0x80] << 8 | sfr_[sfr::DPL - 0x80]);
  }
  void SetDptr(std::uint16_t value) {
    SfrRaw(sfr::DPL) = static_cast<std::uint8_t>(value);
    SfrRaw(sfr::DPH) = static_cast<std::uint8_t>(value >> 8);
  }
  // The stack is addressed indirectly, so it may use the upper 128 bytes of internal RAM.
  void Push(std::uint8_t value) {
    const std::uint8_t sp = static_cast<std::uint8_t>(SfrRaw(sfr::SP) + 1);
    SfrRaw(sfr::SP) = sp;
    iram_[sp] = value;
  }
  std::uint8_t Pop() {
    const std::uint8_t sp = SfrRaw(sfr::SP);
    SfrRaw(sfr::SP) = static_cast<std::uint8_t>(sp - 1);
    return iram_[sp];
  }

  // ---- instructions (cpu8051_ops.cpp)
  // Instruction bytes in order; the address wraps at the top of code memory as the PC does.
  std::uint8_t Fetch() { return code_[pc_++]; }
  std::uint16_t Fetch16() {
    const std::uint8_t high = Fetch();
    return static_cast<std::uint16_t>(high << 8 | Fetch());
  }
  // The end of a dispatch that nothing carried out: the CPU stops there, and says which.
  void Unrouted(std::uint8_t op);
  void Execute(std::uint8_t op);
  void ExecuteRows0to3(std::uint8_t op);
  void ExecuteRows4to7(std::uint8_t op);
  void ExecuteRows8toB(std::uint8_t op);
  void ExecuteRowsCtoF(std::uint8_t op);
  void ExecuteAluRow(std::uint8_t op);
  void ExecuteMoveRow(std::uint8_t op);
  void IncrementRow(std::uint8_t op, int delta);
  void CompareRow(std::uint8_t op);
  void ExchangeRow(std::uint8_t op);
  void DecrementJumpRow(std::uint8_t op);
  void MultiplyDivide(bool divide);
  std::uint8_t Source(std::uint8_t op);
  void Add(std::uint8_t value, bool withCarry);
  void Subb(std::uint8_t value);
  void DecimalAdjust();
  void Compare(std::uint8_t left, std::uint8_t right, std::int8_t rel);
  void Jump(std::uint16_t target);
  // Conditional jumps: a jump to itself that waits for a flag is no end of the program.
  void JumpRelative(std::int8_t rel) { pc_ = static_cast<std::uint16_t>(pc_ + rel); }
  void Call(std::uint16_t target);

  // ---- the run loop (cpu8051_ops.cpp), with a debugger's watch or without one; with
  // `kInternal` false the watch has nothing set in internal RAM or the SFRs.
  template <bool kWatched, bool kInternal>
  void Loop(std::uint64_t until, bool returnOnSend);
  // One instruction, its opcode fetched; true when it touched a watched byte of `spaces`.
  template <bool kWatched, bool kInternal>
  bool Instruction(std::uint8_t op, std::uint8_t spaces);
  // Whether `op`, at `at`, is about to touch a watched byte; if so the watch's hit says which
  // (cpu8051_watch.h).
  bool WatchedAccess(Cpu8051Watch& watch, std::uint8_t op, std::uint16_t at);
  // The spaces (Cpu8051Watch::Spaces) an opcode's operands can reach: most reach none watched.
  static std::uint8_t SpacesReached(std::uint8_t op);

  // ---- interrupts (cpu8051.cpp)
  // Calls the interrupt that is due, if any; true when it did.
  bool CheckInterrupts();
  void Vector(int source, int level);
  void Reti();

  // ---- timers and serial port (cpu8051_timers.cpp)
  void Sync();
  void Reschedule();
  std::uint64_t AdvanceTimer0(std::uint64_t cycles);
  std::uint64_t AdvanceTimer1(std::uint64_t cycles);
  std::uint64_t AdvanceTimer2(std::uint64_t cycles);
  void AdvanceSerial(std::uint64_t cycles, std::uint64_t ticks);
  std::uint64_t CyclesToTimerOverflows(int timer, std::uint64_t overflows) const;
  std::uint64_t CyclesToSerialTicks(std::uint64_t ticks) const;
  bool SerialTicksOnTimer() const;
  bool SerialOnTimer2() const;
  std::uint64_t SerialTicksPerByte() const;
  bool TimerRuns(int timer) const;
  // Whether TRx (and GATE with its INTx pin) let the timer count, as a timer or as a counter.
  bool TimerGateOpen(int timer) const;
  bool CountsPulses(int timer) const;
  // ---- port 3's pins acting inside the chip (cpu8051_timers.cpp)
  void ChangePort3(std::uint8_t latch, std::uint8_t input);
  void ExternalPinChanged(int source, bool fell, bool rose);
  void CountPulse(int timer);
  void StartTransmit(std::uint8_t byte);
  void StartReceive();
  void FinishReceive();

  Cpu8051Bus& bus_;
  std::array<std::uint8_t, kCodeSize> code_{};
  std::array<std::uint8_t, 256> iram_{};
  std::array<std::uint8_t, 128> sfr_{};
  std::array<std::uint8_t, 4> portInput_{0xFF, 0xFF, 0xFF, 0xFF};
  std::uint16_t pc_ = 0;
  std::uint16_t opPc_ = 0;  // address of the instruction being executed
  std::uint8_t bank_ = 0;   // first register of the selected bank
  std::uint64_t cycles_ = 0;

  // Interrupts: in-service levels (bit 0 low, bit 1 high); whether something changed that may
  // make one due; one more instruction to run first (after RETI or a write to IE or IP).
  std::uint8_t inService_ = 0;
  bool checkInterrupts_ = false;
  bool holdOff_ = false;
  bool idle_ = false;
  bool stopped_ = false;
  bool waitLoop_ = false;  // jumped to itself with interrupts enabled: time may be skipped
  bool sent_ = false;
  std::optional<std::uint8_t> unrouted_;
  Cpu8051Watch* watch_ = nullptr;

  // Timers and serial port, valid up to `lastSync_`.
  std::uint64_t lastSync_ = 0;
  std::uint64_t nextEvent_ = kNever;
  std::uint8_t sbufIn_ = 0;
  bool txActive_ = false;
  std::uint8_t txByte_ = 0;
  std::uint64_t txLeft_ = 0;  // ticks: timer overflows, or machine cycles in modes 0 and 2
  bool rxActive_ = false;
  std::uint8_t rxByte_ = 0;
  std::uint64_t rxLeft_ = 0;
  struct Incoming {
    std::uint8_t byte;
    std::uint64_t notBefore;
  };
  std::deque<Incoming> rxQueue_;
  std::uint64_t overruns_ = 0;
};

}  // namespace orvane::sim
