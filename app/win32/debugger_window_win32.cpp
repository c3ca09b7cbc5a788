#include "app/win32/debugger_window.h"

#include <shlobj.h>

#include <algorithm>
#include <iterator>
#include <stdexcept>

#include "app/win32/glyph_button.h"
#include "app/win32/screens.h"
#include "sim/line/virtual_board.h"

namespace orvane::app {
namespace {

constexpr int kClientWidth = 780;
constexpr int kClientHeight = 532;
constexpr WindowPlace kDesignedPlace{165, 360, 0, 0};  // below the main window's place
constexpr const char* kPlaceKey = "Debugger";
constexpr const char* kSourcesKey = "DebuggerSources";
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
constexpr UINT_PTR kPollTimer = 1;
constexpr UINT kPollIntervalMs = 50;
constexpr int kRowHeight = 14;

// Control ids; the buttons and panes count up from their first in the enums' order.
constexpr int kButtonFirst = 6001;
constexpr int kPaneFirst = 6020;
constexpr int kStatusId = 6040;
constexpr int kNoteId = 6041;
constexpr int kBreakpointEntryId = 6042;
constexpr int kToggleId = 6043;
constexpr int kValueEntryId = 6044;
constexpr int kSetId = 6045;
constexpr int kMemorySpaceId = 6046;
constexpr int kMemoryAddressId = 6047;
constexpr int kShowMemoryId = 6048;
constexpr int kSourcesId = 6049;

struct ButtonDesign {
  DebugCommand command;
  const char* caption;
  UINT key;  // 0: none
  bool shift;
};
constexpr ButtonDesign kButtons[] = {
    {DebugCommand::Continue, "Continue (F5)", VK_F5, false},
    {DebugCommand::Pause, "Pause", 0, false},
    {DebugCommand::StepInto, "Step Into (F11)", VK_F11, false},
    {DebugCommand::StepOver, "Step Over (F10)", VK_F10, false},
    {DebugCommand::StepOut, "Step Out (Shift+F11)", VK_F11, true},
    {DebugCommand::Restart, "Restart", 0, false},
};

struct PaneDesign {
  DebuggerPane pane;
  const char* label;
  Bounds bounds;
  bool multiColumn;
};
constexpr PaneDesign kPanes[] = {
    {DebuggerPane::Source,
     "Source (a double-click or Space on a line sets or clears its breakpoint)",
     {8, 78, 480, 262},
     false},
    {DebuggerPane::CallStack, "Call stack", {496, 78, 276, 62}, false},
    {DebuggerPane::Registers, "Registers", {496, 162, 276, 7 * kRowHeight + 4}, true},
    {DebuggerPane::Locals, "Locals", {496, 286, 276, 90}, false},
    {DebuggerPane::Globals, "Globals", {496, 398, 276, 90}, false},
    {DebuggerPane::Memory, "Memory", {8, 410, 480, 8 * kRowHeight + 4}, false},
};
// The panes whose rows Set changes.
constexpr DebuggerPane kEditablePanes[] = {DebuggerPane::Locals, DebuggerPane::Globals,
                                           DebuggerPane::Registers};
bool IsEditable(DebuggerPane pane) {
  return std::find(std::begin(kEditablePanes), std::end(kEditablePanes), pane) !=
         std::end(kEditablePanes);
}
constexpr const char* kMemorySpaces[] = {"iram", "xdata", "code"};
constexpr MemorySpace kMemorySpaceOf[] = {MemorySpace::Iram, MemorySpace::Xdata, MemorySpace::Code};

HWND Label(HWND parent, const char* text, const Bounds& bounds) {
  return CreateControl("STATIC", text, WS_VISIBLE | SS_NOPREFIX, 0, parent, -1, bounds);
}

HWND Entry(HWND parent, int id, const Bounds& bounds) {
  return CreateControl("EDIT", "", WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE,
                       parent, id, bounds);
}

std::string JoinedRows(const std::vector<PaneRow>& rows) {
  std::string text;
  for (const PaneRow& row : rows) {
    if (!text.empty()) text += "\r\n";
    text += row.text;
  }
  return text;
}

constexpr COLORREF kChanged = RGB(200, 0, 0);
constexpr COLORREF kCurrentLine = RGB(255, 238, 150);
constexpr COLORREF kBreakpointDot = RGB(200, 30, 30);

}  // namespace

DebuggerWindow::DebuggerWindow(HWND owner, std::shared_ptr<sim::VirtualBoard> board,
                               ui::CommandGuard& commands,
                               std::function<std::filesystem::path()> programFile,
                               const std::filesystem::path& settingsFile)
    : settings_(settingsFile),
      commands_(commands),
      target_(std::move(board), std::move(programFile), [this] { return SourceFolder(); }),
      model_(target_, *this, [this] { return commands_.Running(); }) {
  if (!CreateTopLevel(kDebuggerCaption, kStyle, 0, kDesignedPlace.left, kDesignedPlace.top,
                      kClientWidth, kClientHeight, owner, nullptr)) {
    throw std::runtime_error("Unable to create the debugger window");
  }
  MoveToKeptPlace(Handle(), settings_, kPlaceKey, kDesignedPlace);
  fixedFont_.reset(CreateFontA(-12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET,
                               OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                               FIXED_PITCH | FF_MODERN, "Courier New"));
  CreateControls();

  std::vector<ACCEL> table;
  for (const ButtonDesign& button : kButtons) {
    if (!button.key) continue;
    table.push_back({static_cast<BYTE>(FVIRTKEY | (button.shift ? FSHIFT : 0)),
                     static_cast<WORD>(button.key),
                     static_cast<WORD>(kButtonFirst + static_cast<int>(button.command))});
  }
  accelerators_.reset(CreateAcceleratorTableA(table.data(), static_cast<int>(table.size())));
  commands_.AddListener(*this);
}

DebuggerWindow::~DebuggerWindow() {
  commands_.RemoveListener(*this);
  if (Handle()) KillTimer(Handle(), kPollTimer);
  model_.Close();
  DestroyHandle();
}

void DebuggerWindow::CreateControls() {
  HWND self = Handle();
  for (std::size_t i = 0; i < std::size(kButtons); ++i) {
    const int width = kButtons[i].command == DebugCommand::StepOut ? 124 : 96;
    static constexpr int kLefts[] = {8, 108, 208, 308, 408, 536};
    buttons_[static_cast<std::size_t>(kButtons[i].command)] =
        CreateGlyphButton(self, kButtonFirst + static_cast<int>(kButtons[i].command),
                          kButtons[i].caption, {kLefts[i], 8, width, 25}, true, nullptr);
  }
  sources_ = CreateGlyphButton(self, kSourcesId, "Sources...", {676, 8, 96, 25}, true, nullptr);
  status_ = CreateControl("STATIC", "", WS_VISIBLE | SS_NOPREFIX | SS_SUNKEN, 0, self, kStatusId,
                          {8, 40, kClientWidth - 16, 18});
  for (const PaneDesign& design : kPanes) {
    Label(self, design.label,
          {design.bounds.left, design.bounds.top - 16, design.bounds.width, 14});
    const DWORD style = WS_VISIBLE | WS_VSCROLL | WS_TABSTOP | LBS_OWNERDRAWFIXED | LBS_HASSTRINGS |
                        LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | LBS_WANTKEYBOARDINPUT |
                        (design.multiColumn ? LBS_MULTICOLUMN | WS_HSCROLL : 0);
    HWND pane = CreateControl("LISTBOX", "", design.multiColumn ? style & ~WS_VSCROLL : style,
                              WS_EX_CLIENTEDGE, self, kPaneFirst + static_cast<int>(design.pane),
                              design.bounds);
    if (design.multiColumn) SendMessageA(pane, LB_SETCOLUMNWIDTH, 88, 0);
    if (design.pane != DebuggerPane::CallStack && design.pane != DebuggerPane::Locals &&
        design.pane != DebuggerPane::Globals && fixedFont_) {
      SendMessageA(pane, WM_SETFONT, reinterpret_cast<WPARAM>(fixedFont_.get()), FALSE);
    }
    panes_[static_cast<std::size_t>(design.pane)] = pane;
  }
  Label(self, "Breakpoint:", {8, 349, 62, 14});
  breakpointEntry_ = Entry(self, kBreakpointEntryId, {72, 346, 180, 21});
  toggle_ = CreateGlyphButton(self, kToggleId, "Toggle", {258, 345, 70, 23}, true, nullptr);
  Label(self, "file.c:LINE, a name or 0x41EC", {334, 349, 154, 14});
  note_ =
      CreateControl("STATIC", "", WS_VISIBLE | SS_NOPREFIX, 0, self, kNoteId, {8, 374, 480, 14});
  memorySpace_ = CreateControl("COMBOBOX", "", WS_VISIBLE | WS_TABSTOP | CBS_DROPDOWNLIST, 0, self,
                               kMemorySpaceId, {60, 390, 70, 120});
  for (const char* space : kMemorySpaces) {
    SendMessageA(memorySpace_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(space));
  }
  SendMessageA(memorySpace_, CB_SETCURSEL, 0, 0);
  memoryAddress_ = Entry(self, kMemoryAddressId, {136, 390, 80, 21});
  SetWindowTextA(memoryAddress_, "0x00");
  showMemory_ = CreateGlyphButton(self, kShowMemoryId, "Show", {222, 389, 60, 23}, true, nullptr);
  Label(self, "Value:", {496, 497, 36, 14});
  valueEntry_ = Entry(self, kValueEntryId, {536, 494, 160, 21});
  set_ = CreateGlyphButton(self, kSetId, "Set", {702, 493, 70, 23}, true, nullptr);
}

void DebuggerWindow::Open() {
  Window::Show();
  model_.Open();
  SetTimer(Handle(), kPollTimer, kPollIntervalMs, nullptr);
}

bool DebuggerWindow::TranslateKeys(MSG& message) {
  if (message.message != WM_KEYDOWN && message.message != WM_SYSKEYDOWN) return false;
  if (!Visible() || !message.hwnd || GetAncestor(message.hwnd, GA_ROOT) != Handle()) return false;
  return TranslateAcceleratorA(Handle(), accelerators_.get(), &message) != 0;
}

// ---- DebuggerView

void DebuggerWindow::ShowPane(DebuggerPane pane, const std::vector<PaneRow>& rows, int focus) {
  const auto index = static_cast<std::size_t>(pane);
  HWND box = panes_[index];
  if (rows != shown_[index]) {
    const auto top = SendMessageA(box, LB_GETTOPINDEX, 0, 0);
    const auto selected = SendMessageA(box, LB_GETCURSEL, 0, 0);
    SendMessageA(box, WM_SETREDRAW, FALSE, 0);
    SendMessageA(box, LB_RESETCONTENT, 0, 0);
    for (const PaneRow& row : rows) {
      SendMessageA(box, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(row.text.c_str()));
    }
    // The same rows in a new state (a stop on the next line) keep their scroll and selection.
    if (rows.size() == shown_[index].size()) {
      SendMessageA(box, LB_SETTOPINDEX, static_cast<WPARAM>(top), 0);
      if (selected >= 0) SendMessageA(box, LB_SETCURSEL, static_cast<WPARAM>(selected), 0);
    }
    SendMessageA(box, WM_SETREDRAW, TRUE, 0);
    shown_[index] = rows;
    SetWindowTextA(box, JoinedRows(rows).c_str());
    InvalidateRect(box, nullptr, TRUE);
  }
  if (focus >= 0 && focus < static_cast<int>(rows.size())) {
    if (pane == DebuggerPane::CallStack) {
      SendMessageA(box, LB_SETCURSEL, static_cast<WPARAM>(focus), 0);
    } else {
      // The current line a few rows below the top, unless already in view.
      const auto top = static_cast<int>(SendMessageA(box, LB_GETTOPINDEX, 0, 0));
      RECT client{};
      GetClientRect(box, &client);
      const int visible = (client.bottom - client.top) / kRowHeight;
      if (focus < top || focus >= top + visible - 1) {
        SendMessageA(box, LB_SETTOPINDEX, static_cast<WPARAM>(std::max(0, focus - visible / 3)), 0);
      }
    }
  }
}

void DebuggerWindow::ShowStatus(const std::string& text) {
  if (WindowText(status_) != text) SetWindowTextA(status_, text.c_str());
}

void DebuggerWindow::EnableCommand(DebugCommand command, bool enabled) {
  HWND button = buttons_[static_cast<std::size_t>(command)];
  if ((IsWindowEnabled(button) != FALSE) != enabled) EnableWindow(button, enabled ? TRUE : FALSE);
}

void DebuggerWindow::ShowNote(const std::string& text) {
  if (WindowText(note_) != text) SetWindowTextA(note_, text.c_str());
}

void DebuggerWindow::CommandStarted(const std::string& /*what*/) { model_.LetGo(); }

void DebuggerWindow::CommandEnded() { model_.Poll(); }

// ---- messages

// The chosen variable's or register's value, ready to be edited; the one chosen in another of
// these panes is let go, so that Set knows which one it sets.
void DebuggerWindow::ValueChosen(DebuggerPane pane, int row) {
  const std::string& text =
      shown_[static_cast<std::size_t>(pane)][static_cast<std::size_t>(row)].text;
  const auto value = pane == DebuggerPane::Registers ? text.find(' ') : text.find(" = ");
  if (value != std::string::npos) {
    const std::size_t skip = pane == DebuggerPane::Registers ? 1 : 3;
    SetWindowTextA(valueEntry_, text.substr(value + skip).c_str());
  }
  for (const DebuggerPane other : kEditablePanes) {
    if (other != pane) SendMessageA(Pane(other), LB_SETCURSEL, static_cast<WPARAM>(-1), 0);
  }
}

bool DebuggerWindow::OnCommand(int id, int code, HWND /*control*/) {
  if (id >= kButtonFirst && id < kButtonFirst + kDebugCommands) {
    // A button's click, or an accelerator (code 1).
    if (code == BN_CLICKED || code == 1) model_.Run(static_cast<DebugCommand>(id - kButtonFirst));
    return true;
  }
  const auto paneOf = [](int control) { return static_cast<DebuggerPane>(control - kPaneFirst); };
  if (id >= kPaneFirst && id < kPaneFirst + kDebuggerPanes) {
    const DebuggerPane pane = paneOf(id);
    const int row = static_cast<int>(SendMessageA(Pane(pane), LB_GETCURSEL, 0, 0));
    if (pane == DebuggerPane::Source && code == LBN_DBLCLK) model_.ToggleBreakpointAtRow(row);
    if (pane == DebuggerPane::CallStack && code == LBN_SELCHANGE) model_.SelectFrame(row);
    if (IsEditable(pane) && code == LBN_SELCHANGE && row >= 0) ValueChosen(pane, row);
    return true;
  }
  if (code != BN_CLICKED) return false;
  switch (id) {
    case kToggleId:
      model_.ToggleBreakpoint(WindowText(breakpointEntry_));
      return true;
    case kShowMemoryId: {
      const auto space = SendMessageA(memorySpace_, CB_GETCURSEL, 0, 0);
      model_.ShowMemory(kMemorySpaceOf[space >= 0 && space < 3 ? space : 0],
                        WindowText(memoryAddress_));
      return true;
    }
    case kSetId:
      for (const DebuggerPane pane : kEditablePanes) {
        const auto row = SendMessageA(Pane(pane), LB_GETCURSEL, 0, 0);
        if (row >= 0) {
          model_.SetValue(pane, static_cast<int>(row), WindowText(valueEntry_));
          return true;
        }
      }
      ShowNote("Select a variable or a register first");
      return true;
    case kSourcesId:
      ChooseSourceFolder();
      return true;
    default:
      return false;
  }
}

bool DebuggerWindow::OnMeasureItem(MEASUREITEMSTRUCT& item) {
  if (item.CtlType != ODT_LISTBOX) return false;
  item.itemHeight = kRowHeight;
  return true;
}

bool DebuggerWindow::OnDrawItem(DRAWITEMSTRUCT& item) {
  if (item.CtlType == ODT_BUTTON) {
    DrawGlyphButton(item, Picture{}, false);
    return true;
  }
  if (item.CtlType != ODT_LISTBOX) return false;
  DrawPaneRow(item);
  return true;
}

// A pane's row: its text, red where its value changed; in the source pane the marks columns
// drawn as a red dot (a breakpoint) and the current line's background.
void DebuggerWindow::DrawPaneRow(const DRAWITEMSTRUCT& item) {
  const auto paneIndex = static_cast<std::size_t>(item.CtlID - kPaneFirst);
  if (paneIndex >= panes_.size()) return;
  const std::vector<PaneRow>& rows = shown_[paneIndex];
  HDC dc = item.hDC;
  const RECT& r = item.rcItem;
  const bool selected = (item.itemState & ODS_SELECTED) != 0;
  const bool hasRow = item.itemID < rows.size();
  const PaneRow* row = hasRow ? &rows[item.itemID] : nullptr;
  COLORREF back = GetSysColor(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW);
  if (row && row->current && !selected) back = kCurrentLine;
  HBRUSH brush = CreateSolidBrush(back);
  FillRect(dc, &r, brush);
  DeleteObject(brush);
  if (!row) return;
  std::string text = row->text;
  int left = r.left + 2;
  if (static_cast<DebuggerPane>(paneIndex) == DebuggerPane::Source && text.size() >= 2) {
    text.erase(0, 2);
    if (row->breakpoint) {
      HBRUSH dot = CreateSolidBrush(kBreakpointDot);
      HGDIOBJ oldBrush = SelectObject(dc, dot);
      HGDIOBJ oldPen = SelectObject(dc, GetStockObject(NULL_PEN));
      const int middle = (r.top + r.bottom) / 2;
      Ellipse(dc, r.left + 3, middle - 5, r.left + 14, middle + 6);
      SelectObject(dc, oldPen);
      SelectObject(dc, oldBrush);
      DeleteObject(dot);
    }
    if (row->current) {
      const int middle = (r.top + r.bottom) / 2;
      const POINT arrow[] = {
          {r.left + 16, middle - 4}, {r.left + 22, middle}, {r.left + 16, middle + 4}};
      HBRUSH fill = CreateSolidBrush(RGB(0, 0, 0));
      HGDIOBJ oldBrush = SelectObject(dc, fill);
      Polygon(dc, arrow, 3);
      SelectObject(dc, oldBrush);
      DeleteObject(fill);
    }
    left = r.left + 26;
  }
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, selected       ? GetSysColor(COLOR_HIGHLIGHTTEXT)
                   : row->changed ? kChanged
                                  : GetSysColor(COLOR_WINDOWTEXT));
  RECT textRect{left, r.top, r.right, r.bottom};
  DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &textRect,
            DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_EXPANDTABS);
  if (item.itemState & ODS_FOCUS) DrawFocusRect(dc, &r);
}

bool DebuggerWindow::OnClose() {
  KillTimer(Handle(), kPollTimer);
  SavePosition();
  model_.Close();  // the program runs on
  Hide();
  return true;
}

void DebuggerWindow::OnDestroy() { SavePosition(); }

void DebuggerWindow::SavePosition() {
  if (!Visible()) return;
  WINDOWPLACEMENT placement{};
  placement.length = sizeof placement;
  GetWindowPlacement(Handle(), &placement);
  const RECT& r = placement.rcNormalPosition;
  settings_.WritePlace(kPlaceKey, {r.left, r.top, r.right - r.left, r.bottom - r.top});
}

std::filesystem::path DebuggerWindow::SourceFolder() const {
  return settings_.ReadValue(kSourcesKey, "");
}

void DebuggerWindow::ChooseSourceFolder() {
  BROWSEINFOA info{};
  info.hwndOwner = Handle();
  info.lpszTitle = "The folder of the program's sources (cancel: beside the debug data)";
  info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
  PIDLIST_ABSOLUTE chosen = SHBrowseForFolderA(&info);
  std::string folder;
  if (chosen) {
    char path[MAX_PATH] = {};
    if (SHGetPathFromIDListA(chosen, path)) folder = path;
    CoTaskMemFree(chosen);
  }
  settings_.WriteValue(kSourcesKey, folder);
  target_.SourcesMoved();
  model_.Refresh();
  ShowNote(folder.empty() ? "Sources: beside the debug data" : "Sources: " + folder);
}

LRESULT DebuggerWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_TIMER && wParam == kPollTimer) {
    model_.Poll();
    return 0;
  }
  if (message == WM_VKEYTOITEM && reinterpret_cast<HWND>(lParam) == Pane(DebuggerPane::Source) &&
      LOWORD(wParam) == VK_SPACE) {
    model_.ToggleBreakpointAtRow(HIWORD(wParam));  // the caret's row
    return -2;
  }
  if (message == WM_VKEYTOITEM) return -1;  // the list box's own handling
  return Window::OnMessage(message, wParam, lParam);
}

}  // namespace orvane::app
