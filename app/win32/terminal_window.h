// The serial terminal window ("Orvane Serial Terminal"), opened from View > Serial Terminal: not
// modal, it stays beside the main window and follows its port while shown. A thin window around
// SerialTerminal: the text box shows what the board sent, keys typed into it go to the board,
// Ctrl+V pastes, the Hex box, the Clear button and the line-end choice act on the terminal. Its
// place and the line end are kept in the settings file's [Windows] section.
#pragma once

#include <windows.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <string>

#include "app/icons.h"
#include "app/serial_terminal.h"
#include "app/win32/win32_handles.h"
#include "app/win32/win32_window.h"
#include "app/window_settings.h"

namespace orvane::app {

inline constexpr const char* kTerminalCaption = "Orvane Serial Terminal";
inline constexpr const char* kTerminalPlaceKey = "Terminal";
inline constexpr const char* kTerminalLineEndKey = "TerminalLineEnd";

class TerminalWindow : public Window, public TerminalDisplay {
 public:
  // Made hidden; `owner` is the main window, `settingsFile` the file with the [Windows] section.
  TerminalWindow(HWND owner, serial::TCustomComPort& port, ui::CommandGuard& commands,
                 const std::filesystem::path& settingsFile);
  ~TerminalWindow() override;

  // Shows and activates the window and starts following the port.
  void Open();
  // Hides it (the close box does the same) and keeps its place.
  void CloseWindow();

  SerialTerminal& Terminal() { return terminal_; }
  HWND TextBox() const { return text_; }
  HWND HexBox() const { return hex_; }
  HWND ClearButton() const { return clear_; }
  HWND LineEndBox() const { return lineEnd_; }
  // What the text box shows, with "\n" line ends.
  std::string ShownText() const;

  // ---- TerminalDisplay ----
  void ShowChange(const ui::TerminalText::Change& change) override;

 protected:
  bool OnCommand(int id, int code, HWND control) override;
  bool OnDrawItem(DRAWITEMSTRUCT& item) override;
  void OnActivate(bool active) override;
  bool OnClose() override;
  void OnDestroy() override;
  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  static LRESULT CALLBACK TextBoxProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                      UINT_PTR id, DWORD_PTR self);
  void CreateControls();
  void Layout();
  void PasteClipboard();
  void PacePaste();
  void StopPasteTicks();
  static void CALLBACK PasteTick(UINT timer, UINT, DWORD_PTR self, DWORD_PTR, DWORD_PTR);
  WindowPlace CurrentPlace() const;

  WindowSettings settings_;
  SerialTerminal terminal_;
  Picture clearGlyph_;
  UniqueIcon clearIcon_;
  HWND text_ = nullptr;
  HWND hex_ = nullptr;
  HWND clear_ = nullptr;
  HWND lineEndLabel_ = nullptr;
  HWND lineEnd_ = nullptr;
  // A multimedia timer: a window timer ticks every 10 ms at best, longer than a burst lasts at
  // the fastest rate. It posts a tick to the window, never more than one at a time.
  UINT pasteTimer_ = 0;
  std::atomic<bool> pasteTickPosted_{false};
  std::chrono::steady_clock::time_point lastPasteTick_;
  bool open_ = false;  // opened by the user and not closed since
};

}  // namespace orvane::app
