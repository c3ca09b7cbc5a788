// The debugger (View > Debugger): a non-modal window over the in-process board's program, a thin
// shell around DebuggerModel (app/debugger_model.h). Its buttons and keys (F5, F10, F11,
// Shift+F11, translated by TranslateKeys while it is the active window) run the model's
// commands; its panes are owner-drawn list boxes whose window text is what they show, one line
// per row, for screen readers and tests. Its place and the chosen source folder are kept in the
// settings file's [Windows] section. Closing it lets the program run on.
#pragma once

#include <windows.h>

#include <array>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/board_debug_target.h"
#include "app/debugger_model.h"
#include "app/win32/win32_handles.h"
#include "app/win32/win32_window.h"
#include "app/window_settings.h"
#include "ui/views/command_guard.h"

namespace orvane::sim {
class VirtualBoard;
}

namespace orvane::app {

inline constexpr const char* kDebuggerCaption = "Orvane Debugger";

class DebuggerWindow : public Window, public DebuggerView, public ui::CommandListener {
 public:
  // Made hidden, owned by `owner`. `programFile` names the HEX file being downloaded. Throws
  // std::runtime_error when the system refuses the window.
  DebuggerWindow(HWND owner, std::shared_ptr<sim::VirtualBoard> board, ui::CommandGuard& commands,
                 std::function<std::filesystem::path()> programFile,
                 const std::filesystem::path& settingsFile);
  ~DebuggerWindow() override;

  // Shows the window (or brings it up) and takes hold of the board's program.
  void Open();
  // The window's own keys, while a window of its own has the keyboard; true when translated.
  bool TranslateKeys(MSG& message);

  DebuggerModel& Model() { return model_; }
  HWND Pane(DebuggerPane pane) const { return panes_[static_cast<std::size_t>(pane)]; }
  HWND Status() const { return status_; }
  HWND Note() const { return note_; }
  HWND CommandButton(DebugCommand command) const {
    return buttons_[static_cast<std::size_t>(command)];
  }
  HWND BreakpointEntry() const { return breakpointEntry_; }
  HWND ToggleButton() const { return toggle_; }
  HWND ValueEntry() const { return valueEntry_; }
  HWND SetButton() const { return set_; }
  HWND MemorySpaceBox() const { return memorySpace_; }
  HWND MemoryAddressEntry() const { return memoryAddress_; }
  HWND ShowMemoryButton() const { return showMemory_; }

  // ---- DebuggerView
  void ShowPane(DebuggerPane pane, const std::vector<PaneRow>& rows, int focus) override;
  void ShowStatus(const std::string& text) override;
  void EnableCommand(DebugCommand command, bool enabled) override;
  void ShowNote(const std::string& text) override;

  // ---- ui::CommandListener: a download or a test first lets a stopped program go
  void CommandStarted(const std::string& what) override;
  void CommandEnded() override;

 protected:
  bool OnCommand(int id, int code, HWND control) override;
  bool OnDrawItem(DRAWITEMSTRUCT& item) override;
  bool OnMeasureItem(MEASUREITEMSTRUCT& item) override;
  bool OnClose() override;
  void OnDestroy() override;
  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void CreateControls();
  void SavePosition();
  void ChooseSourceFolder();
  std::filesystem::path SourceFolder() const;
  void DrawPaneRow(const DRAWITEMSTRUCT& item);
  void ValueChosen(DebuggerPane pane, int row);

  WindowSettings settings_;
  ui::CommandGuard& commands_;
  BoardDebugTarget target_;
  DebuggerModel model_;
  UniqueAcceleratorTable accelerators_;
  UniqueFont fixedFont_;
  std::array<std::vector<PaneRow>, kDebuggerPanes> shown_{};

  std::array<HWND, kDebuggerPanes> panes_{};
  std::array<HWND, kDebugCommands> buttons_{};
  HWND status_ = nullptr;
  HWND note_ = nullptr;
  HWND breakpointEntry_ = nullptr;
  HWND toggle_ = nullptr;
  HWND valueEntry_ = nullptr;
  HWND set_ = nullptr;
  HWND memorySpace_ = nullptr;
  HWND memoryAddress_ = nullptr;
  HWND showMemory_ = nullptr;
  HWND sources_ = nullptr;
};

}  // namespace orvane::app
