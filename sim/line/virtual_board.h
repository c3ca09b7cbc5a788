// The virtual board on its serial line: the firmware model of board_firmware.h, the line with its
// rate, framing, pacing and DTR, and a record of everything that crossed it. One VirtualBoard is
// the board itself and outlives the port handles opened on it: each open makes a new
// VirtualBoardDevice (virtual_board_device.h) over the same board, so its memory and record
// survive a close and reopen.
//
// The board is shared between the thread that talks to it and, in the program, the port's event
// thread; every member takes the board's lock.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "serial/com_device.h"
#include "sim/board/board_snapshot.h"
#include "sim/board/clock.h"
#include "sim/line/board_config.h"
#include "sim/line/board_firmware.h"
#include "sim/line/running_program.h"

namespace orvane::sim {

enum class LineEventKind {
  HostByte,   // a byte from the host; `heard` says whether the board could take it
  BoardByte,  // a byte from the board
  DtrHigh,
  DtrLow,
  Reset,       // the board restarted its firmware (a DTR pulse, or a reset from outside)
  LineConfig,  // the host set rate and framing; `baud` holds the rate
  Opened,      // a port handle was opened on the board
  Closed,
  InputPurged,
};

struct LineEvent {
  Micros time{0};  // bytes: when they start on the line
  LineEventKind kind = LineEventKind::HostByte;
  std::uint8_t byte = 0;
  std::uint32_t baud = 0;
  bool heard = true;
};

class VirtualBoard {
 public:
  // The record keeps at most this many events; the oldest half goes when it is full, so that a
  // board in a long-running program does not grow without end.
  static constexpr std::size_t kRecordLimit = 1u << 18;
  // Bytes the host has not taken that the line keeps, as a driver's input buffer would; a
  // running program that sends more while nobody reads loses the rest.
  static constexpr std::size_t kInputLimit = 1u << 16;

  explicit VirtualBoard(BoardConfig config = {}, std::shared_ptr<Clock> clock = nullptr);

  Clock& GetClock() const { return *clock_; }
  BoardConfig Config() const;
  void SetConfig(const BoardConfig& config);

  // A held port cannot be opened (another program has it); a vanished one cannot be opened and
  // fails every call on the handles already open, as an unplugged USB converter does.
  void SetHeld(bool held);
  bool Held() const;
  void SetVanished(bool vanished);
  bool Vanished() const;

  // ---- the host's side of the line, as a serial device drives it
  void HostOpened();
  void HostClosed();
  // Rate and framing of the host's line; the board hears only its own rate as 8N1.
  void HostSetLine(std::uint32_t baud, bool eightN1);
  void HostSetDtr(bool high);
  // Bytes written now; each starts on the line when the previous one has gone out.
  void HostWrite(const std::uint8_t* data, std::size_t count);
  // Lets a running program go on up to `until`, or until `wanted` bytes wait for the host if
  // that comes first: when a read ends depends on what the program sends meanwhile. Nothing
  // happens in the monitor, whose answers are all on the way once the host has written.
  void RunAhead(Micros until, std::size_t wanted);
  // Times at which the board's bytes not yet taken arrive at the host, in order.
  std::vector<Micros> PendingArrivals();
  // Takes up to `max` bytes that have arrived by the clock's present time.
  std::size_t HostTake(std::uint8_t* data, std::size_t max);
  std::size_t HostInputWaiting();
  // Bytes that have arrived at the host so far, taken (or purged) or still waiting. It only
  // grows, so a wait that compares it with what it saw last misses no byte, however much the
  // host took meanwhile (the number waiting may be the same before and after a new one came).
  std::uint64_t HostArrivals();
  void HostPurgeInput();
  // Restarts the firmware as a DTR pulse does; the board server uses it where no DTR is seen.
  void ResetNow();
  // Bytes the board sends from `start` on, one after the other, as a program running on it would
  // (tests time the host's reads with it).
  void BoardSend(const std::vector<std::uint8_t>& bytes, Micros start);

  // ---- the board's own controls, and the views
  // A button (0: INT0 on P3.2, 1: INT1 on P3.3) held down or let go, and the switches on a PPI
  // port's lines (0 A, 1 B, 2 C; a bit set: the line high). They stay as set across programs and
  // resets, as on the board.
  void SetButton(int button, bool pressed);
  void SetSwitches(int port, std::uint8_t levels);
  // Bytes typed to the running program's serial port at the rate it has set, after what the host
  // has sent. False, and nothing sent, in the monitor (whose protocol they would break) or while
  // the program's serial port has no rate.
  bool TypeToProgram(const std::uint8_t* data, std::size_t count);
  // The board as it stands now, its program first run up to the clock's present. The Reset
  // button is ResetNow().
  BoardSnapshot Snapshot();

  // ---- real time
  // In real time (the program's board, and orvane-board, on the real clock) a running program
  // keeps up with the clock whoever looks: each open device runs it up to the present every
  // kPaceStep (CatchUp), and a program more than kMaxLag behind (the process was suspended, or
  // the machine too slow) skips the time it lost rather than catching up in a burst. Off, the
  // program moves only when the host's calls need it to, as tests on virtual time want.
  static constexpr Micros kMaxLag{100000};
  static constexpr Micros kPaceStep{10000};
  void SetRealTime(bool on);
  bool RealTime() const;
  void CatchUp();

  // ---- a debugger on the running program
  // The factory makes the controller (a debugger, see RunningProgram::SetController) of the
  // present program and of every program the board starts from now on; null: none, and the
  // program runs on freely. A controller goes with its program (a reset, a download), before it.
  // While it holds the CPU the board stands as it is: the views show it so, the line carries
  // nothing new from it, and its time stands, so that it goes on without a burst.
  using ControllerFactory = std::function<std::unique_ptr<CpuController>(RunningProgram&)>;
  void SetControllerFactory(ControllerFactory factory);
  // Runs `work` under the board's lock on the running program and its controller, the program
  // first brought up to the present (both null in the monitor).
  void WithProgram(const std::function<void(RunningProgram*, CpuController*)>& work);
  // Fresh starts so far (programs started and resets): a new count is a new program.
  std::uint64_t Runs() const;

  // ---- inspection
  std::array<std::uint8_t, download::ImageSize> Memory() const;
  // The byte at a board address of the program memory.
  std::uint8_t MemoryAt(std::uint16_t address) const;
  void SetMemory(const std::array<std::uint8_t, download::ImageSize>& memory);
  FirmwareState State() const;
  bool ProgramStarted() const;
  // Whether the CPU runs the downloaded program (ProgramBehaviour::Run, until the next reset).
  bool CpuRunning() const;
  // Edge counts and LCD lines of the running program's board (empty when none runs).
  std::string ProgramReport() const;
  std::uint8_t LastCommand() const;
  int CompletedDownloads() const;
  int Resets() const;
  int OpenHandles() const;
  std::vector<LineEvent> Record() const;
  // The bytes of the record one way: the host's (heard or not) or the board's.
  std::vector<std::uint8_t> HostBytes() const;
  std::vector<std::uint8_t> BoardBytes() const;
  void ClearRecord();

  // Called by the devices: counts a Write and makes the port vanish when the fault says so.
  // Returns the error for a call on a vanished port, kSuccess otherwise.
  serial::SysError CheckCall(bool isWrite);

 private:
  struct Outgoing {
    Micros start{0};
    Micros arrival{0};
    std::uint8_t byte = 0;
    std::uint64_t id = 0;
  };

  Micros ByteTime(std::uint32_t baud) const;
  void ResetLocked(Micros at);
  void RecordLocked(const LineEvent& event, std::uint64_t id = 0);
  std::size_t ArrivedLocked();  // bytes waiting for the host that have arrived by now
  void SetDtrLocked(bool high, Micros now);
  void SendLocked(std::uint8_t byte, Micros earliest, Micros byteTime);
  void AdvanceProgramLocked(Micros until, std::size_t stopAfter = 0);
  void StartProgramLocked(Micros start);
  void SetControllerLocked();
  void EndProgramLocked();

  mutable std::mutex mutex_;
  std::shared_ptr<Clock> clock_;
  BoardConfig config_;
  BoardFirmware firmware_;
  bool held_ = false;
  bool vanished_ = false;
  std::uint64_t writes_ = 0;
  int openHandles_ = 0;
  int resets_ = 0;

  std::uint32_t hostBaud_ = 9600;
  bool hostEightN1_ = true;
  bool dtrHigh_ = true;  // at power-on nothing holds the board's reset
  Micros hearFrom_{0};   // the board hears nothing before this (DTR low, or starting up)
  Micros hostLineFree_{0};
  Micros boardLineFree_{0};
  std::deque<Outgoing> toHost_;
  std::uint64_t hostTaken_ = 0;  // bytes of toHost_ taken or purged
  // The downloaded program while the CPU runs it; empty in the monitor.
  std::unique_ptr<RunningProgram> program_;
  // The program's controller, dropped before it, and what makes one for each program.
  std::unique_ptr<CpuController> controller_;
  ControllerFactory controllerFactory_;
  bool realTime_ = false;
  std::uint64_t run_ = 0;  // fresh starts: programs started and resets
  std::uint8_t buttons_ = 0;
  std::array<std::uint8_t, 3> switches_{0xFF, 0xFF, 0xFF};
  std::uint64_t nextId_ = 0;
  struct Recorded {
    LineEvent event;
    std::uint64_t id = 0;  // of a board byte, so that a byte the board never sent can go again
  };
  std::vector<Recorded> record_;
};

}  // namespace orvane::sim
