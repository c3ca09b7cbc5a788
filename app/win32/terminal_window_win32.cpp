#include <windows.h>
// The common controls' header needs the definitions above.
#include <commctrl.h>
#include <mmsystem.h>

#include <algorithm>
#include <iterator>
#include <stdexcept>

#include "app/win32/bitmaps.h"
#include "app/win32/control_ids.h"
#include "app/win32/glyph_button.h"
#include "app/win32/screens.h"
#include "app/win32/terminal_text_box.h"
#include "app/win32/terminal_window.h"

namespace orvane::app {
namespace {

constexpr WindowPlace kDesignedSize{0, 0, 600, 380};
constexpr WindowPlace kLeastPlace{0, 0, 320, 160};
constexpr int kBarHeight = 30;
constexpr int kMargin = 4;
constexpr UINT_PTR kTextBoxHookId = 0x5445;  // "TE"
constexpr UINT kPasteTickMessage = WM_APP + 1;
constexpr char kCopyKey = 0x03;   // Ctrl+C: copies the selection
constexpr char kPasteKey = 0x16;  // Ctrl+V

HFONT TerminalFont() {
  static const UniqueFont font(
      CreateFontA(-13, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                  CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FIXED_PITCH | FF_MODERN, "Courier New"));
  return font.get();
}

// The first place: below the main window (the live board stands right of it), as tall as the
// room left on its screen allows.
WindowPlace FirstPlace(HWND owner, const std::vector<WindowPlace>& screens) {
  const WindowPlace main = OuterPlace(owner);
  const WindowPlace screen = KeepOnScreens(main, screens, {});
  const int room = screen.top + screen.height - (main.top + main.height);
  return {main.left, main.top + main.height, kDesignedSize.width,
          std::clamp(room, kLeastPlace.height, kDesignedSize.height)};
}

// The clipboard's text, empty when it holds none.
std::string ClipboardText(HWND owner) {
  if (!OpenClipboard(owner)) return {};
  std::string text;
  if (HANDLE data = GetClipboardData(CF_TEXT)) {
    if (const auto* chars = static_cast<const char*>(GlobalLock(data))) {
      text = chars;
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  return text;
}

}  // namespace

TerminalWindow::TerminalWindow(HWND owner, serial::TCustomComPort& port, ui::CommandGuard& commands,
                               const std::filesystem::path& settingsFile)
    : settings_(settingsFile),
      terminal_(port, commands, *this),
      clearGlyph_(ClearGlyphPicture()),
      clearIcon_(MakeIcon(clearGlyph_)) {
  const std::vector<WindowPlace> screens = ScreenWorkAreas();
  const WindowPlace place =
      settings_.ReadPlace(kTerminalPlaceKey, FirstPlace(owner, screens), screens, kLeastPlace);
  if (!CreateTopLevel(kTerminalCaption, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, place.left,
                      place.top, place.width, place.height, owner, nullptr)) {
    throw std::runtime_error("Unable to create the serial terminal window");
  }
  // The place is the outer one, as it is kept.
  SetWindowPos(Handle(), nullptr, place.left, place.top, place.width, place.height,
               SWP_NOZORDER | SWP_NOACTIVATE);
  CreateControls();
  const auto lineEnd =
      ui::LineEndFromName(settings_.ReadValue(kTerminalLineEndKey, "")).value_or(ui::LineEnd::Cr);
  terminal_.SetLineEnd(lineEnd);
  for (std::size_t i = 0; i < std::size(ui::kLineEnds); ++i) {
    if (ui::kLineEnds[i] == lineEnd) SendMessageA(lineEnd_, CB_SETCURSEL, i, 0);
  }
  Layout();
}

TerminalWindow::~TerminalWindow() {
  StopPasteTicks();
  DestroyHandle();
}

// Open when the program ends (the main window takes its owned windows with it): it opens there
// again next time. The window is already hidden by now, so its own flag tells.
void TerminalWindow::OnDestroy() {
  StopPasteTicks();
  if (open_) settings_.WritePlace(kTerminalPlaceKey, CurrentPlace());
  open_ = false;
}

void TerminalWindow::CreateControls() {
  HWND form = Handle();
  hex_ = CreateControl("BUTTON", "&Hex", WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX, 0, form,
                       ids::kTerminalHex, {8, 7, 50, 17});
  clear_ = CreateGlyphButton(form, ids::kTerminalClear, "&Clear", {64, 3, 75, 24}, true,
                             clearIcon_.get());
  lineEndLabel_ = CreateControl("STATIC", "Enter sends", WS_VISIBLE | SS_LEFT | SS_NOPREFIX, 0,
                                form, 0, {152, 9, 0, 0});
  FitLabelToText(lineEndLabel_);
  lineEnd_ = CreateControl("COMBOBOX", "", WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST,
                           0, form, ids::kTerminalLineEnd, {220, 5, 70, 120});
  for (ui::LineEnd lineEnd : ui::kLineEnds)
    SendMessageA(lineEnd_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(ui::LineEndName(lineEnd)));
  text_ =
      CreateTerminalTextBox(form, ids::kTerminalText, WS_TABSTOP | ES_NOHIDESEL, {0, 0, 10, 10});
  SendMessageA(text_, WM_SETFONT, reinterpret_cast<WPARAM>(TerminalFont()), FALSE);
  SetWindowSubclass(text_, TextBoxProc, kTextBoxHookId, reinterpret_cast<DWORD_PTR>(this));
}

void TerminalWindow::Layout() {
  RECT client{};
  GetClientRect(Handle(), &client);
  MoveWindow(text_, kMargin, kBarHeight, client.right - 2 * kMargin,
             client.bottom - kBarHeight - kMargin, TRUE);
}

void TerminalWindow::Open() {
  open_ = true;
  Window::Show();
  SetFocus(text_);
  terminal_.SetFollowing(true);
}

void TerminalWindow::CloseWindow() {
  terminal_.SetFollowing(false);
  if (open_) settings_.WritePlace(kTerminalPlaceKey, CurrentPlace());
  open_ = false;
  Hide();
}

WindowPlace TerminalWindow::CurrentPlace() const {
  WINDOWPLACEMENT placement{};
  placement.length = sizeof placement;
  GetWindowPlacement(Handle(), &placement);
  const RECT& r = placement.rcNormalPosition;  // also when minimised or maximised
  return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

std::string TerminalWindow::ShownText() const {
  std::string text;
  for (char c : WindowText(text_)) {
    if (c != '\r') text += c;
  }
  return text;
}

void TerminalWindow::ShowChange(const ui::TerminalText::Change& change) {
  if (text_) ShowTerminalChange(text_, change);
}

void TerminalWindow::PasteClipboard() {
  terminal_.Paste(ClipboardText(Handle()));
  PacePaste();
}

// Bursts go out on a timer's ticks, so a long paste never holds the window.
void TerminalWindow::PacePaste() {
  const bool waiting = terminal_.PasteWaiting() > 0;
  if (waiting && !pasteTimer_) {
    lastPasteTick_ = std::chrono::steady_clock::now();
    pasteTimer_ = timeSetEvent(SerialTerminal::kPasteTickMs, 1, &TerminalWindow::PasteTick,
                               reinterpret_cast<DWORD_PTR>(this),
                               TIME_PERIODIC | TIME_CALLBACK_FUNCTION | TIME_KILL_SYNCHRONOUS);
  } else if (!waiting) {
    StopPasteTicks();
  }
}

void TerminalWindow::StopPasteTicks() {
  if (pasteTimer_) timeKillEvent(pasteTimer_);  // returns once no tick runs any more
  pasteTimer_ = 0;
}

// On the timer's own thread.
void CALLBACK TerminalWindow::PasteTick(UINT, UINT, DWORD_PTR self, DWORD_PTR, DWORD_PTR) {
  auto* window = reinterpret_cast<TerminalWindow*>(self);
  if (!window->pasteTickPosted_.exchange(true)) {
    PostMessageA(window->Handle(), kPasteTickMessage, 0, 0);
  }
}

bool TerminalWindow::OnCommand(int id, int code, HWND) {
  if (id == ids::kTerminalHex && code == BN_CLICKED) {
    terminal_.SetHex(SendMessageA(hex_, BM_GETCHECK, 0, 0) == BST_CHECKED);
    return true;
  }
  if (id == ids::kTerminalClear && code == BN_CLICKED) {
    terminal_.Clear();
    SetFocus(text_);
    return true;
  }
  if (id == ids::kTerminalLineEnd && code == CBN_SELCHANGE) {
    const auto index = SendMessageA(lineEnd_, CB_GETCURSEL, 0, 0);
    if (index >= 0 && index < static_cast<LRESULT>(std::size(ui::kLineEnds))) {
      terminal_.SetLineEnd(ui::kLineEnds[index]);
      settings_.WriteValue(kTerminalLineEndKey, ui::LineEndName(ui::kLineEnds[index]));
    }
    return true;
  }
  return false;
}

bool TerminalWindow::OnDrawItem(DRAWITEMSTRUCT& item) {
  if (item.CtlID != static_cast<UINT>(ids::kTerminalClear)) return false;
  DrawGlyphButton(item, clearGlyph_, false);
  return true;
}

// Typing goes to the board however the window was reached (a click on its caption, the task
// switcher): the text box takes the keyboard, not the window.
void TerminalWindow::OnActivate(bool active) {
  if (active) SetFocus(text_);
}

bool TerminalWindow::OnClose() {
  CloseWindow();
  return true;
}

LRESULT TerminalWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_SIZE:
      Layout();
      return 0;
    case WM_GETMINMAXINFO: {
      auto* limits = reinterpret_cast<MINMAXINFO*>(lParam);
      limits->ptMinTrackSize = {kLeastPlace.width, kLeastPlace.height};
      return 0;
    }
    case kPasteTickMessage: {
      pasteTickPosted_ = false;
      // The time that really passed: ticks come late while the window is busy.
      const auto now = std::chrono::steady_clock::now();
      terminal_.SendPastedChunk(
          std::chrono::duration_cast<std::chrono::microseconds>(now - lastPasteTick_));
      lastPasteTick_ = now;
      PacePaste();
      return 0;
    }
    default:
      break;
  }
  return Window::OnMessage(message, wParam, lParam);
}

// Keys typed into the text box go to the board instead of into the box; Ctrl+C still copies.
LRESULT CALLBACK TerminalWindow::TextBoxProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                             UINT_PTR id, DWORD_PTR self) {
  auto* window = reinterpret_cast<TerminalWindow*>(self);
  try {
    if (message == WM_PASTE || (message == WM_CHAR && wParam == kPasteKey)) {
      window->PasteClipboard();
      return 0;
    }
    if (message == WM_CHAR && wParam != kCopyKey) {
      const char key = static_cast<char>(wParam);
      window->terminal_.Type(std::string_view(&key, 1));
      return 0;
    }
  } catch (...) {
    ReportEscapedException(std::current_exception());
    return 0;
  }
  if (message == WM_NCDESTROY) RemoveWindowSubclass(hwnd, TextBoxProc, id);
  return DefSubclassProc(hwnd, message, wParam, lParam);
}

}  // namespace orvane::app
