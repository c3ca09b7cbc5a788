// The live virtual board (View > Virtual Board): a non-modal window that follows the in-process
// board, drawn from one snapshot per look: the LEDs of P1 and the PPI, the PPI's switches, the
// character display, the INT0 and INT1 buttons, Reset, and a pane with what the program sends
// (keys typed there go to the program). It looks at most 30 times a second and redraws only what
// changed. Each picture control's window text says what it shows, in the plain-text frame's words,
// for screen readers and tests.
#pragma once

#include <windows.h>

#include <array>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "app/win32/win32_window.h"
#include "app/window_settings.h"
#include "sim/board/board_snapshot.h"
#include "ui/drawing/canvas_board_picture.h"
#include "ui/drawing/terminal_text.h"

namespace orvane::sim {
class VirtualBoard;
}

namespace orvane::app {

inline constexpr const char* kVirtualBoardCaption = "Orvane Virtual Board";

class VirtualBoardWindow : public Window {
 public:
  // Whether a command uses the port now: Reset and typing stand aside meanwhile, so that they
  // never cut into a download or a test.
  using CommandRunning = std::function<bool()>;

  // Made hidden, owned by `owner`, at its place from the settings file. Throws
  // std::runtime_error when the system refuses the window.
  VirtualBoardWindow(HWND owner, std::shared_ptr<sim::VirtualBoard> board,
                     CommandRunning commandRunning, const std::filesystem::path& settingsFile);
  ~VirtualBoardWindow() override;

  // Shows the window (or brings it up) and starts looking at the board.
  void Open();
  // Looks at the board now and redraws what changed (the timer does it while the window shows).
  void Refresh();

  // The picture controls, in the order of the plain-text frame.
  enum Row { kP1, kPpiA, kPpiB, kPpiC, kRows };
  HWND PinRow(int row) const { return rows_[static_cast<std::size_t>(row)]; }
  HWND Lcd() const { return lcd_; }
  HWND SerialPane() const { return serial_; }
  HWND Button(int index) const { return buttons_[static_cast<std::size_t>(index)]; }
  HWND ResetButton() const { return reset_; }

 protected:
  bool OnCommand(int id, int code, HWND control) override;
  bool OnDrawItem(DRAWITEMSTRUCT& item) override;
  void OnActivate(bool active) override;  // the serial pane takes the keyboard
  bool OnClose() override;
  void OnDestroy() override;  // at the program's end: the place is kept if the window shows
  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void CreateControls();
  void Show(const sim::BoardSnapshot& look);
  void FlipSwitch(int row);
  void ButtonStateChanged(int index);
  void Type(char c);
  void SavePosition();
  static LRESULT CALLBACK ControlProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                      UINT_PTR id, DWORD_PTR self);

  std::shared_ptr<sim::VirtualBoard> board_;
  CommandRunning commandRunning_;
  WindowSettings settings_;
  sim::BoardLooker looker_;
  sim::BoardSnapshot shown_;
  bool shownOnce_ = false;
  bool blinkShown_ = false;
  std::uint64_t run_ = 0;
  std::array<ui::PinRowPicture, kRows> rowPictures_{};
  ui::LcdPicture lcdPicture_;
  ui::TerminalText serialText_;  // the serial terminal's text model, line ends and escapes
  std::array<bool, 2> pressed_{};

  std::array<HWND, kRows> rows_{};
  HWND lcd_ = nullptr;
  HWND serial_ = nullptr;
  std::array<HWND, 2> buttons_{};
  HWND reset_ = nullptr;
};

}  // namespace orvane::app
