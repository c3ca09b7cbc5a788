#include "app/win32/virtual_board_window.h"

#include <commctrl.h>
#include <windowsx.h>

#include <stdexcept>

#include "app/win32/glyph_button.h"
#include "app/win32/screens.h"
#include "app/win32/terminal_text_box.h"
#include "sim/line/virtual_board.h"
#include "sim/view/board_text.h"
#include "sim/view/live_view.h"
#include "ui/menu/dib_canvas_win32.h"
#include "ui/menu/gdi_win32.h"

namespace orvane::app {
namespace {

constexpr int kClientWidth = ui::kLcdWidth + 16;
constexpr int kClientHeight = 356;
constexpr WindowPlace kDesignedPlace{652, 102, 0, 0};  // right of the main window's place
constexpr const char* kPlaceKey = "VirtualBoard";
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
constexpr UINT_PTR kLookTimer = 1;
// As many looks a second as the terminal's view at most, the interval rounded up to whole
// milliseconds; a look that finds nothing changed draws nothing.
constexpr UINT kLookIntervalMs = (1000 + sim::kFramesPerSecond - 1) / sim::kFramesPerSecond;
// The display's blink: about 0.4 s each way at the controller's usual clock.
constexpr ULONGLONG kBlinkHalfPeriodMs = 410;

constexpr ui::Rgb kP1Led{232, 32, 24};   // the board's red LEDs on P1
constexpr ui::Rgb kPpiLed{40, 200, 64};  // green on the PPI's connectors

// Control ids; rows and buttons count up from their first.
constexpr int kRowFirst = 5001;
constexpr int kLcdId = 5010;
constexpr int kSerialId = 5011;
constexpr int kButtonFirst = 5020;
constexpr int kResetId = 5030;

constexpr std::array<sim::PinGroup, VirtualBoardWindow::kRows> kRowGroups = {
    sim::PinGroup::P1, sim::PinGroup::PpiA, sim::PinGroup::PpiB, sim::PinGroup::PpiC};
constexpr const char* kButtonCaptions[] = {"INT0 (P3.2)", "INT1 (P3.3)"};
constexpr int kRowTop = 8, kRowPitch = 28, kRowLeft = 56;

// The frame's line of a pin group ("P1    11100110"): the name in a column of six.
std::string PinLine(sim::PinGroup group, std::uint8_t levels) {
  std::string line = sim::PinGroupName(group);
  line.resize(6, ' ');
  return line + sim::BitsText(levels);
}

// Both of the frame's display lines, one below the other.
std::string LcdText(const sim::LcdSnapshot& lcd) {
  std::string text;
  for (int line = 0; line < sim::LcdSnapshot::kLines; ++line) {
    if (line > 0) text += "\r\n";
    text += "LCD " + std::to_string(line + 1) + " |" + sim::LcdLineText(lcd, line) + "|";
  }
  return text;
}

ui::PinRowPicture RowPicture(const sim::BoardSnapshot& look, int row) {
  const std::size_t group = sim::Index(kRowGroups[static_cast<std::size_t>(row)]);
  const bool p1 = row == VirtualBoardWindow::kP1;
  return {look.levels[group], look.outputs[group], look.busy[group], p1, p1 ? kP1Led : kPpiLed};
}

ui::LcdPicture LcdPicture(const sim::LcdSnapshot& lcd) {
  ui::LcdPicture picture;
  picture.codes = lcd.cells;
  picture.characterRam = lcd.cgram;
  picture.displayOn = lcd.displayOn;
  if (lcd.cursorLine >= 0 && lcd.cursorColumn >= 0) {
    picture.cursorCell = std::array<int, 2>{lcd.cursorLine, lcd.cursorColumn};
  }
  picture.cursorUnderline = lcd.cursorOn;
  picture.cursorBlink = lcd.blinkOn;
  return picture;
}

HWND CreateLabel(HWND parent, const char* text, const Bounds& bounds) {
  return CreateControl("STATIC", text, WS_VISIBLE | SS_NOPREFIX, 0, parent, -1, bounds);
}

}  // namespace

VirtualBoardWindow::VirtualBoardWindow(HWND owner, std::shared_ptr<sim::VirtualBoard> board,
                                       CommandRunning commandRunning,
                                       const std::filesystem::path& settingsFile)
    : board_(std::move(board)),
      commandRunning_(std::move(commandRunning)),
      settings_(settingsFile) {
  if (!CreateTopLevel(kVirtualBoardCaption, kStyle, 0, kDesignedPlace.left, kDesignedPlace.top,
                      kClientWidth, kClientHeight, owner, nullptr)) {
    throw std::runtime_error("Unable to create the virtual board window");
  }
  MoveToKeptPlace(Handle(), settings_, kPlaceKey, kDesignedPlace);
  CreateControls();
}

VirtualBoardWindow::~VirtualBoardWindow() {
  if (Handle()) KillTimer(Handle(), kLookTimer);
  DestroyHandle();
}

void VirtualBoardWindow::CreateControls() {
  HWND self = Handle();
  for (int row = 0; row < kRows; ++row) {
    const int top = kRowTop + row * kRowPitch;
    CreateLabel(self, sim::PinGroupName(kRowGroups[static_cast<std::size_t>(row)]),
                {8, top + 4, 44, 14});
    // The PPI rows tell their clicks (a switch flipped); P1 has no switches.
    const DWORD notify = row == kP1 ? 0 : SS_NOTIFY;
    rows_[static_cast<std::size_t>(row)] =
        CreateControl("STATIC", PinLine(kRowGroups[static_cast<std::size_t>(row)], 0xFF),
                      WS_VISIBLE | SS_OWNERDRAW | notify, 0, self, kRowFirst + row,
                      {kRowLeft, top, ui::kPinRowWidth, ui::kPinRowHeight});
  }
  const int buttonsLeft = kRowLeft + ui::kPinRowWidth + 12;
  for (int index = 0; index < 2; ++index) {
    buttons_[static_cast<std::size_t>(index)] =
        CreateGlyphButton(self, kButtonFirst + index, kButtonCaptions[index],
                          {buttonsLeft + index * 80, 8, 74, 25}, true, nullptr);
    SetWindowSubclass(buttons_[static_cast<std::size_t>(index)], ControlProc, index,
                      reinterpret_cast<DWORD_PTR>(this));
  }
  reset_ = CreateGlyphButton(self, kResetId, "Reset", {buttonsLeft, 40, 74, 25}, true, nullptr);
  CreateLabel(self, "Hold a button down with the mouse; click a switch to flip it.",
              {buttonsLeft, 74, kClientWidth - buttonsLeft - 8, 36});
  lcd_ = CreateControl("STATIC", "", WS_VISIBLE | SS_OWNERDRAW, 0, self, kLcdId,
                       {8, 120, ui::kLcdWidth, ui::kLcdHeight});
  CreateLabel(self, "Serial port (what the program sends; type here to send to it)",
              {8, 218, kClientWidth - 16, 14});
  // A rich-text box: it scrolls by drawing itself anew, where an edit box under Wine copies stale
  // pixels of the window into its last line.
  serial_ = CreateTerminalTextBox(self, kSerialId, 0, {8, 234, kClientWidth - 16, 114});
  SetWindowSubclass(serial_, ControlProc, kSerialId, reinterpret_cast<DWORD_PTR>(this));
  SetWindowTextA(lcd_, LcdText({}).c_str());
}

void VirtualBoardWindow::Open() {
  Refresh();
  Window::Show();
  SetTimer(Handle(), kLookTimer, kLookIntervalMs, nullptr);
}

void VirtualBoardWindow::Refresh() {
  const BOOL resetAllowed = commandRunning_() ? FALSE : TRUE;
  if ((IsWindowEnabled(reset_) != FALSE) != (resetAllowed != FALSE)) {
    EnableWindow(reset_, resetAllowed);
  }
  sim::BoardSnapshot look = looker_.Look(board_->Snapshot());
  if (look.run != run_) {  // a download or a reset: what the last program sent goes
    run_ = look.run;
    serialText_.Clear();
    SetWindowTextA(serial_, "");
  }
  if (!look.serial.empty()) ShowTerminalChange(serial_, serialText_.Append(look.serial));
  const bool blink = (GetTickCount64() / kBlinkHalfPeriodMs) % 2 == 0;
  const bool blinkChanged = look.lcd.blinkOn && blink != blinkShown_;
  blinkShown_ = blink;
  if (!shownOnce_ || blinkChanged || !sim::ShowsSame(look, shown_)) Show(look);
  shown_ = std::move(look);
  shownOnce_ = true;
}

void VirtualBoardWindow::Show(const sim::BoardSnapshot& look) {
  for (int row = 0; row < kRows; ++row) {
    const ui::PinRowPicture picture = RowPicture(look, row);
    auto& kept = rowPictures_[static_cast<std::size_t>(row)];
    if (shownOnce_ && picture == kept) continue;
    kept = picture;
    HWND control = rows_[static_cast<std::size_t>(row)];
    SetWindowTextA(control,
                   PinLine(kRowGroups[static_cast<std::size_t>(row)], picture.levels).c_str());
    InvalidateRect(control, nullptr, FALSE);
  }
  const ui::LcdPicture lcd = LcdPicture(look.lcd);
  if (!shownOnce_ || !(lcd == lcdPicture_) || lcd.cursorBlink) {
    lcdPicture_ = lcd;
    SetWindowTextA(lcd_, LcdText(look.lcd).c_str());
    InvalidateRect(lcd_, nullptr, FALSE);
  }
}

bool VirtualBoardWindow::OnDrawItem(DRAWITEMSTRUCT& item) {
  if (item.CtlType == ODT_BUTTON) {
    DrawGlyphButton(item, Picture{}, false);
    return true;
  }
  if (item.CtlType != ODT_STATIC) return false;
  const int width = item.rcItem.right - item.rcItem.left;
  const int height = item.rcItem.bottom - item.rcItem.top;
  ui::menu::DibCanvas canvas(width, height);
  if (!canvas.Valid()) return true;
  if (item.hwndItem == lcd_) {
    ui::DrawLcd(canvas, lcdPicture_, blinkShown_);
  } else {
    const auto row = static_cast<std::size_t>(item.CtlID - kRowFirst);
    if (row >= rows_.size()) return false;
    ui::DrawPinRow(canvas, rowPictures_[row], ui::menu::FromColorRef(GetSysColor(COLOR_BTNFACE)));
  }
  canvas.CopyTo(item.hDC, item.rcItem.left, item.rcItem.top);
  return true;
}

bool VirtualBoardWindow::OnCommand(int id, int code, HWND /*control*/) {
  if (id > kRowFirst && id < kRowFirst + kRows && (code == STN_CLICKED || code == STN_DBLCLK)) {
    FlipSwitch(id - kRowFirst);
    return true;
  }
  if (id == kResetId && code == BN_CLICKED) {
    if (!commandRunning_()) board_->ResetNow();
    Refresh();
    return true;
  }
  return id >= kButtonFirst && id < kButtonFirst + 2;  // pressed and let go in ControlProc
}

void VirtualBoardWindow::FlipSwitch(int row) {
  const DWORD at = GetMessagePos();
  POINT point{GET_X_LPARAM(at), GET_Y_LPARAM(at)};
  HWND control = rows_[static_cast<std::size_t>(row)];
  ScreenToClient(control, &point);
  const std::optional<int> bit = ui::PinAt(point.x);
  const std::size_t group = sim::Index(kRowGroups[static_cast<std::size_t>(row)]);
  if (!bit || ((shown_.outputs[group] >> *bit) & 1)) return;  // an LED, not a switch
  const int port = row - kPpiA;
  const auto flipped =
      static_cast<std::uint8_t>(shown_.switches[static_cast<std::size_t>(port)] ^ (1u << *bit));
  board_->SetSwitches(port, flipped);
  Refresh();
}

void VirtualBoardWindow::ButtonStateChanged(int index) {
  HWND button = buttons_[static_cast<std::size_t>(index)];
  const bool pushed = (SendMessageA(button, BM_GETSTATE, 0, 0) & BST_PUSHED) != 0;
  if (pushed == pressed_[static_cast<std::size_t>(index)]) return;
  pressed_[static_cast<std::size_t>(index)] = pushed;
  board_->SetButton(index, pushed);
}

void VirtualBoardWindow::Type(char c) {
  const auto byte = static_cast<std::uint8_t>(c);
  if (commandRunning_() || !board_->TypeToProgram(&byte, 1)) MessageBeep(MB_OK);
}

void VirtualBoardWindow::OnActivate(bool active) {
  if (active) SetFocus(serial_);
}

bool VirtualBoardWindow::OnClose() {
  KillTimer(Handle(), kLookTimer);
  SavePosition();
  Hide();
  return true;
}

void VirtualBoardWindow::OnDestroy() { SavePosition(); }

void VirtualBoardWindow::SavePosition() {
  if (!Visible()) return;
  WINDOWPLACEMENT placement{};
  placement.length = sizeof placement;
  GetWindowPlacement(Handle(), &placement);
  const RECT& r = placement.rcNormalPosition;  // also when minimised
  settings_.WritePlace(kPlaceKey, {r.left, r.top, r.right - r.left, r.bottom - r.top});
}

LRESULT VirtualBoardWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_TIMER && wParam == kLookTimer) {
    Refresh();
    return 0;
  }
  return Window::OnMessage(message, wParam, lParam);
}

// The buttons: a press lasts while the button is pushed in, by the mouse or the space bar. The
// serial pane: typed characters go to the program instead of into the read-only text.
LRESULT CALLBACK VirtualBoardWindow::ControlProc(HWND hwnd, UINT message, WPARAM wParam,
                                                 LPARAM lParam, UINT_PTR id, DWORD_PTR self) {
  auto* window = reinterpret_cast<VirtualBoardWindow*>(self);
  if (message == WM_NCDESTROY) {
    RemoveWindowSubclass(hwnd, ControlProc, id);
  } else if (id == kSerialId && message == WM_CHAR) {
    window->Type(static_cast<char>(wParam));
    return 0;
  }
  const LRESULT result = DefSubclassProc(hwnd, message, wParam, lParam);
  if (id != kSerialId && message != WM_NCDESTROY) window->ButtonStateChanged(static_cast<int>(id));
  return result;
}

}  // namespace orvane::app
