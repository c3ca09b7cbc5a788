// The debugger window's target: the in-process virtual board's program under the debug engine.
// While attached, every program the board starts gets an engine of its own, with the debug data
// found beside its HEX file (same name, .cdb) when there is one; it runs on in real time until a
// command or a breakpoint stops it, and a detach lets it run on freely.
//
// Every call reaches the engine under the board's lock (VirtualBoard::WithProgram), the lock the
// board's pacing thread runs the program under.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/debug_target.h"
#include "sim/debug/debug_data.h"
#include "sim/line/running_program.h"

namespace orvane::sim {
class VirtualBoard;
namespace debug {
class DebugEngine;
}
}  // namespace orvane::sim

namespace orvane::app {

class BoardDebugTarget : public DebugTarget {
 public:
  // `programFile` names the HEX file being downloaded (asked when the board starts a program);
  // `sourceFolder` the folder the user chose for sources (empty: beside the debug data).
  BoardDebugTarget(std::shared_ptr<sim::VirtualBoard> board,
                   std::function<std::filesystem::path()> programFile,
                   std::function<std::filesystem::path()> sourceFolder);
  ~BoardDebugTarget() override;
  BoardDebugTarget(const BoardDebugTarget&) = delete;
  BoardDebugTarget& operator=(const BoardDebugTarget&) = delete;

  // The chosen source folder changed: sources are looked for anew.
  void SourcesMoved();

  void Attach() override;
  void Detach() override;
  TargetState State() override;
  std::uint64_t ProgramRun() override;
  std::string ProgramFile() override;
  std::string DebugDataNote() override;
  std::uint64_t Stops() override;
  StopReason LastStop() override;
  void Continue() override;
  void Pause() override;
  void StepInto() override;
  void StepOver() override;
  void StepOut() override;
  void Restart() override;
  std::variant<CodePlace, std::string> Resolve(const std::string& where) override;
  void SetBreakpoints(const std::vector<CodePlace>& places) override;
  RegisterValues Registers() override;
  CodePlace PlaceOf(std::uint16_t address) override;
  std::vector<Frame> CallStack() override;
  std::vector<Variable> Locals(std::size_t frame) override;
  std::vector<Variable> Globals() override;
  std::string SetVariable(bool global, std::size_t frame, const std::string& name,
                          const std::string& value) override;
  std::string SetRegister(const std::string& name, const std::string& value) override;
  std::vector<std::uint8_t> ReadMemory(MemorySpace space, std::uint16_t address,
                                       std::size_t count) override;
  std::vector<std::string> SourceLines(const std::string& file) override;
  std::vector<Instruction> Disassembly(std::uint16_t address, int count) override;

 private:
  // Runs `work` on the present program's engine under the board's lock; false (and nothing
  // run) when the board runs no program under one.
  bool WithEngine(const std::function<void(sim::debug::DebugEngine&)>& work);
  std::unique_ptr<sim::CpuController> MakeEngine(sim::RunningProgram& program);
  void ApplyBreakpoints(sim::debug::DebugEngine& engine);
  CodePlace PlaceOfLocked(std::uint16_t address);
  std::optional<std::filesystem::path> FindSourceLocked(const sim::debug::SourceLine& line) const;

  std::shared_ptr<sim::VirtualBoard> board_;
  std::function<std::filesystem::path()> programFile_;
  std::function<std::filesystem::path()> sourceFolder_;
  bool attached_ = false;

  // Under the board's lock: the engine's program and its debug data, its stops, the breakpoints.
  std::filesystem::path program_;
  std::filesystem::file_time_type programTime_{};
  sim::debug::DebugData data_;
  std::string dataNote_;
  std::uint64_t stops_ = 0;
  StopReason lastStop_ = StopReason::Entry;
  std::vector<CodePlace> breakpoints_;
  std::map<std::filesystem::path, std::vector<std::string>> sources_;
  std::map<std::string, bool> assemblyFound_;  // whether an assembly module's file is there
};

}  // namespace orvane::app
