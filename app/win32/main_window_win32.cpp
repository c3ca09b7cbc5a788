#include <windows.h>
// The common controls' header needs the definitions above.
#include <commctrl.h>

#include <array>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/network_boards.h"
#include "app/product.h"
#include "app/settings_location.h"
#include "app/win32/application.h"
#include "app/win32/control_builders.h"
#include "app/win32/control_ids.h"
#include "app/win32/debugger_window.h"
#include "app/win32/error_box.h"
#include "app/win32/main_window.h"
#include "app/win32/progress_window.h"
#include "app/win32/terminal_window.h"
#include "app/win32/testing_window.h"
#include "app/win32/virtual_board_window.h"
#include "app/win32/win32_handles.h"
#include "board/board_messages.h"
#include "board/port_defaults.h"
#include "download/download_run.h"
#include "sim/line/virtual_board.h"
#include "sim/line/virtual_board_device.h"
#include "sim/line/virtual_board_registry.h"
#include "testing/testing_texts.h"
#include "ui/menu/menu_item_data.h"
#include "ui/views/main_window_controls.h"

namespace orvane::app {
namespace {

// ---- the window's design ----

constexpr int kClientWidth = 479;
constexpr int kClientHeight = 239;
constexpr int kLeft = 165;
constexpr int kTop = 102;

// The items of a radio group, read from the table that holds them.
template <typename Record, std::size_t count>
constexpr std::array<const char*, count> ItemCaptions(const Record (&records)[count],
                                                      const char* Record::*caption) {
  std::array<const char*, count> captions{};
  for (std::size_t i = 0; i < count; ++i) captions[i] = records[i].*caption;
  return captions;
}
constexpr auto kTestingOptionCaptions =
    ItemCaptions(boardtest::kBoardTests, &boardtest::BoardTest::optionText);
constexpr auto kDownloadAlgorithmCaptions =
    ItemCaptions(download::kDownloadAlgorithms, &download::DownloadAlgorithm::caption);

constexpr std::array<int, ui::kStatusPanelCount> kStatusPanelWidths = {100, 100, 50, 75, 211};
constexpr int kStatusBarHeight = 21;
constexpr int kToolBarHeight = 29;
constexpr int kComboBoxHeight = 21;
constexpr int kComboBoxListHeight = 160;  // the dropped-down list

constexpr const char* kOpenDialogFilter = "Intel HEX Files|*.HEX";
constexpr int kMenuImageMargin = 3;

// A command of the menu, with its picture and its shortcut.
struct Command {
  const char* caption;
  int id;
  int image;     // -1: none
  UINT key;      // virtual key of the shortcut, 0: none
  bool control;  // the shortcut needs Ctrl
};

constexpr Command kOpenDownload1{"&Open && Download", ids::kOpenDownload, kImageOpenDownload, VK_F9,
                                 false};
constexpr Command kRedownload1{"&Redownload", ids::kRedownload, kImageRedownload, VK_F9, true};
// Ctrl+X ends the program: it is the Exit shortcut, not a clipboard cut, in every control of the
// main window. The windows that send keys to the board send it on instead (0x18).
constexpr Command kExit1{"E&xit", ids::kExit, kImageExit, 'X', true};
constexpr Command kTesting2{"&Testing", ids::kTesting, kImageTesting, VK_F8, false};
// The function keys of the commands act from every window of the program.
constexpr Command kCommandKeys[] = {kOpenDownload1, kRedownload1, kTesting2};

UniqueAcceleratorTable MakeAccelerators(std::vector<Command> commands) {
  std::vector<ACCEL> table;
  for (const Command& command : commands) {
    table.push_back({static_cast<BYTE>(FVIRTKEY | (command.control ? FCONTROL : 0)),
                     static_cast<WORD>(command.key), static_cast<WORD>(command.id)});
  }
  return UniqueAcceleratorTable(
      CreateAcceleratorTableA(table.data(), static_cast<int>(table.size())));
}

// The View menu: windows that open beside the main window, one line each.
struct ViewItem {
  Command command;
  void (TForm1::*open)();
};
constexpr ViewItem kViewItems[] = {
    {{"&Serial Terminal", ids::kSerialTerminal, -1, 0, false}, &TForm1::SerialTerminal1Click},
    {{"&Virtual Board", ids::kVirtualBoard, -1, 0, false}, &TForm1::VirtualBoard1Click},
    {{"&Debugger", ids::kDebugger, -1, 0, false}, &TForm1::Debugger1Click},
};

struct ToolButton {
  int image;
  int id;
  const char* hint;
};
constexpr ToolButton kToolButtons[] = {
    {kImageOpenDownload, ids::kOpenDownload, "Open File & Download (F9)"},
    {kImageRedownload, ids::kRedownload, "Redownload (Ctrl+F9)"},
    {kImageTesting, ids::kTesting, "Testing (F8)"},
};

std::string ShortcutText(UINT key, bool control) {
  std::string text = control ? "Ctrl+" : "";
  if (key >= VK_F1 && key <= VK_F24) {
    text += "F" + std::to_string(key - VK_F1 + 1);
  } else {
    text += static_cast<char>(key);
  }
  return text;
}

std::string MenuCaption(const Command& command) {
  std::string caption = command.caption;
  if (command.key) caption += "\t" + ShortcutText(command.key, command.control);
  return caption;
}

void AppendCommand(HMENU menu, const Command& command) {
  AppendMenuA(menu, MF_STRING, static_cast<UINT_PTR>(command.id), MenuCaption(command).c_str());
}

// The picture of a menu item is drawn by the window from the image list when the menu shows it;
// an item without one (image -1) only carries the index for the painter.
void SetMenuImage(HMENU menu, UINT item, bool byPosition, int image) {
  MENUITEMINFOA info{};
  info.cbSize = sizeof info;
  info.fMask = image < 0 ? MIIM_DATA : MIIM_BITMAP | MIIM_DATA;
  info.hbmpItem = HBMMENU_CALLBACK;
  info.dwItemData = static_cast<ULONG_PTR>(ui::menu::PackMenuItemData({image}));
  SetMenuItemInfoA(menu, item, byPosition, &info);
}

const std::wstring& WideHint(int index) {
  static const std::array<std::wstring, std::size(kToolButtons)> hints = [] {
    std::array<std::wstring, std::size(kToolButtons)> wide;
    for (std::size_t i = 0; i < wide.size(); ++i) {
      for (const char* c = kToolButtons[i].hint; *c; ++c)
        wide[i].push_back(static_cast<wchar_t>(*c));
    }
    return wide;
  }();
  return hints[static_cast<std::size_t>(index)];
}

}  // namespace

// ---- the main window ----

TForm1::TForm1(TApplication& application, const StartupOptions& options)
    : application_(application),
      options_(options),
      imageList_(MakeImageList()),
      icon_(MakeIcon(MainIconPicture())),
      smallIcon_(MakeIcon(SmallIconPicture())),
      image1Picture_(FitToFrame(MainWindowDecorationPicture(), 177, 176)),
      controls_{cbCOMOption,     cbBaudrateOption, cbAutoDetect, cbUSBOption,
                rgTestingOption, rgDownloadAlg,    StatusBar1,   *this,
                *this,           application,      *this},
      link_(ComPort1, controls_) {
  board::ApplyPortDefaults(ComPort1);
  OpenDialog1.Filter = kOpenDialogFilter;
  CreateMenus();
  UniqueMenu menuUntilOwned(MainMenu1);  // the window owns it once it exists
  const std::string caption = std::string(kMainWindowCaptionPrefix) + kVersionLabel;
  // Fixed size: a single border and only the system menu box. Owned by the application's window,
  // which is the program's task-bar entry under the application title.
  if (!CreateTopLevel(caption, WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPSIBLINGS, 0, kLeft,
                      kTop, kClientWidth, kClientHeight, application.TaskbarHandle(), MainMenu1)) {
    throw std::runtime_error("Unable to create the main window");
  }
  menuUntilOwned.release();
  SendMessageA(Handle(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_.get()));
  SendMessageA(Handle(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_.get()));
  CreateToolBar();
  CreateControls();
  XPMenu1.Painter().PlaceOn(Handle(), imageList_.get());
  cbAutoDetect.OnChange = [this] { cbAutoDetectClick(); };

  commandKeys_ = MakeAccelerators({std::begin(kCommandKeys), std::end(kCommandKeys)});
  accelerators_ = MakeAccelerators({kOpenDownload1, kRedownload1, kExit1, kTesting2});

  // An error in FormCreate is reported like one in any handler; the window is there anyway.
  try {
    FormCreate();
  } catch (...) {
    ReportEscapedException(std::current_exception());
  }
}

TForm1::~TForm1() {
  DestroyHandle();  // FormDestroy runs while every member is still there
}

TForm2& TForm1::Form2() { return *application_.Form2(); }
TForm3& TForm1::Form3() { return *application_.Form3(); }

void TForm1::CreateMenus() {
  MainMenu1 = CreateMenu();
  HMENU file1 = CreatePopupMenu();
  AppendCommand(file1, kOpenDownload1);
  AppendCommand(file1, kRedownload1);
  AppendCommand(file1, kExit1);
  AppendMenuA(file1, MF_SEPARATOR, 0, nullptr);  // N1
  HMENU recentFiles1 = CreatePopupMenu();
  AppendMenuA(file1, MF_POPUP, reinterpret_cast<UINT_PTR>(recentFiles1), "Recent Files");
  RecentFiles1.Attach(recentFiles1);
  SetMenuImage(file1, static_cast<UINT>(kOpenDownload1.id), FALSE, kOpenDownload1.image);
  SetMenuImage(file1, static_cast<UINT>(kRedownload1.id), FALSE, kRedownload1.image);
  SetMenuImage(file1, static_cast<UINT>(kExit1.id), FALSE, kExit1.image);
  SetMenuImage(file1, 4, TRUE, kImageRecentFiles);

  HMENU testing1 = CreatePopupMenu();
  AppendCommand(testing1, kTesting2);
  SetMenuImage(testing1, static_cast<UINT>(kTesting2.id), FALSE, kTesting2.image);

  HMENU view1 = CreatePopupMenu();
  for (const ViewItem& item : kViewItems) {
    AppendCommand(view1, item.command);
    SetMenuImage(view1, static_cast<UINT>(item.command.id), FALSE, item.command.image);
  }
  // The live board and the debugger need the in-process board, which only --virtual-board
  // brings.
  if (!options_.virtualBoard) {
    EnableMenuItem(view1, ids::kVirtualBoard, MF_BYCOMMAND | MF_GRAYED);
    EnableMenuItem(view1, ids::kDebugger, MF_BYCOMMAND | MF_GRAYED);
  }

  AppendMenuA(MainMenu1, MF_POPUP, reinterpret_cast<UINT_PTR>(file1), "&File");
  AppendMenuA(MainMenu1, MF_POPUP, reinterpret_cast<UINT_PTR>(testing1), "Option");
  AppendMenuA(MainMenu1, MF_POPUP, reinterpret_cast<UINT_PTR>(view1), "&View");
}

void TForm1::CreateToolBar() {
  ToolBar1 = CreateControl(TOOLBARCLASSNAMEA, "",
                           WS_VISIBLE | TBSTYLE_FLAT | TBSTYLE_TOOLTIPS | TBSTYLE_TRANSPARENT |
                               CCS_NODIVIDER | CCS_NOPARENTALIGN | CCS_NORESIZE | CCS_TOP,
                           0, Handle(), ids::kToolBar1, {0, 0, kClientWidth, kToolBarHeight});
  // A tool tip takes "&" as an access-key marker and drops it; the hint "Open File & Download
  // (F9)" must show it as written.
  if (HWND tips = reinterpret_cast<HWND>(SendMessageA(ToolBar1, TB_GETTOOLTIPS, 0, 0))) {
    SetWindowLongPtrA(tips, GWL_STYLE, GetWindowLongPtrA(tips, GWL_STYLE) | TTS_NOPREFIX);
  }
  SendMessageA(ToolBar1, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
  SendMessageA(ToolBar1, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(imageList_.get()));
  SendMessageA(ToolBar1, TB_SETBUTTONSIZE, 0, MAKELPARAM(23, 22));
  std::vector<TBBUTTON> buttons;
  for (const ToolButton& button : kToolButtons) {
    TBBUTTON b{};
    b.iBitmap = button.image;
    b.idCommand = button.id;
    b.fsState = TBSTATE_ENABLED;
    b.fsStyle = BTNS_BUTTON;
    buttons.push_back(b);
  }
  SendMessageA(ToolBar1, TB_ADDBUTTONSA, buttons.size(), reinterpret_cast<LPARAM>(buttons.data()));
}

void TForm1::CreateControls() {
  HWND form = Handle();
  gbDownloadOption =
      CreateGroupBox(form, ids::kGbDownloadOption, "Download Option", {0, 28, 289, 85});
  cbCOMOption.Attach(CreateComboBox(gbDownloadOption, ids::kCbCOMOption,
                                    {8, 16, 145, kComboBoxHeight}, kComboBoxListHeight));
  lCOMOption = CreateLabel(gbDownloadOption, ids::kLCOMOption, "COM Option", 160, 22);
  cbBaudrateOption.Attach(CreateComboBox(gbDownloadOption, ids::kCbBaudrateOption,
                                         {8, 40, 145, kComboBoxHeight}, kComboBoxListHeight));
  for (const char* rate : board::kBaudRateItems) cbBaudrateOption.AddItem(rate);
  lBaudrateOption =
      CreateLabel(gbDownloadOption, ids::kLBaudrateOption, "Baudrate Option (bps)", 160, 44);
  cbAutoDetect.Attach(CreateCheckBox(gbDownloadOption, ids::kCbAutoDetect, " Auto Detect Option",
                                     {139, 63, 119, 17}));
  cbUSBOption.Attach(
      CreateCheckBox(gbDownloadOption, ids::kCbUSBOption, "USB Converter", {8, 64, 97, 17}));

  CreateRadioGroup(rgTestingOption, form, ids::kRgTestingOption, ids::kTestingOptionFirst,
                   "Testing Option", {0, 113, 121, 105}, kTestingOptionCaptions);
  rgTestingOption.SetItemIndex(0);
  CreateRadioGroup(rgDownloadAlg, form, ids::kRgDownloadAlg, ids::kDownloadAlgFirst,
                   "Download Algorithm", {125, 113, 164, 105}, kDownloadAlgorithmCaptions);
  rgDownloadAlg.SetItemIndex(0);

  Image1 = CreateControl("STATIC", "", WS_VISIBLE | SS_OWNERDRAW, 0, form, ids::kImage1,
                         {296, 40, 177, 176});

  // No size grip: the window is not resizable.
  StatusBar1.Attach(CreateControl(
      STATUSCLASSNAMEA, "", WS_VISIBLE | CCS_NOPARENTALIGN | CCS_NORESIZE | CCS_NODIVIDER, 0, form,
      ids::kStatusBar1, {0, kClientHeight - kStatusBarHeight, kClientWidth, kStatusBarHeight}));
  std::array<int, kStatusPanelWidths.size()> edges{};
  int right = 0;
  for (std::size_t i = 0; i < edges.size(); ++i) {
    right += kStatusPanelWidths[i];
    edges[i] = right;
  }
  SendMessageA(StatusBar1.Handle(), SB_SETPARTS, edges.size(),
               reinterpret_cast<LPARAM>(edges.data()));
}

// ---- handlers ----

void TForm1::FormCreate() {
  {
    std::vector<std::string> ports;
    try {
      ports = PortsWithNetworkBoards(SettingsFilePath());  // sorted ports, then network boards
    } catch (const std::exception&) {
      serial::ListPorts(ports);  // no settings to read: the ports present alone
    }
    for (const std::string& port : ports) cbCOMOption.AddItem(port);
    cbCOMOption.SetItemIndex(0);
  }
  cbBaudrateOption.SetItemIndex(board::kDefaultBaudRateItem);
  // The status bar was made without a size grip.
  LoadRecentFiles();
}

void TForm1::LoadRecentFiles() {
  try {
    recentFiles_ =
        std::make_unique<RecentFiles>(SettingsFilePath(), RecentFiles1, XPMenu1, OpenDialog1);
    recentFiles_->Load();
  } catch (const std::exception&) {
    // A settings file that cannot be read gives the defaults; nothing is reported at start-up.
    RecentFiles1.Clear();
    OpenDialog1.SetInitialDir(kMissingEntry);
    XPMenu1.Activate();
  }
}

void TForm1::FormActivate() {
  SetFocus(StatusBar1.Handle());
  Repaint();
}

void TForm1::FormDestroy() {
  // The terminal lets go of the port's events before the port closes.
  terminal_.reset();
  debugger_.reset();      // lets the program go before the board window goes
  virtualBoard_.reset();  // keeps its place while the settings are there
  ComPort1.Close();
}

// Exit is no command: it may come while one runs. The program then ends once that command has
// returned to the message loop.
void TForm1::Exit1Click() { application_.Terminate(); }

void TForm1::SerialTerminal1Click() {
  if (!terminal_) {
    terminal_ = std::make_unique<TerminalWindow>(Handle(), ComPort1, commands_, SettingsFilePath());
  }
  terminal_->Open();
}

void TForm1::VirtualBoard1Click() {
  std::shared_ptr<sim::VirtualBoard> board = sim::FindVirtualBoard(sim::kVirtualPortName);
  if (!options_.virtualBoard || !board) return;  // the item is greyed then
  if (!virtualBoard_) {
    virtualBoard_ = std::make_unique<VirtualBoardWindow>(
        Handle(), std::move(board), [this] { return commands_.Running(); }, SettingsFilePath());
  }
  virtualBoard_->Open();
}

void TForm1::Debugger1Click() {
  std::shared_ptr<sim::VirtualBoard> board = sim::FindVirtualBoard(sim::kVirtualPortName);
  if (!options_.virtualBoard || !board) return;  // the item is greyed then
  if (!debugger_) {
    debugger_ = std::make_unique<DebuggerWindow>(
        Handle(), std::move(board), commands_,
        [this] { return std::filesystem::path(HexFile.FileName()); }, SettingsFilePath());
  }
  debugger_->Open();
}

bool TForm1::TranslateWindowKeys(MSG& message) {
  return debugger_ && debugger_->TranslateKeys(message);
}

void TForm1::cbAutoDetectClick() { link_.cbAutoDetectClick(); }

// ---- views ----

void TForm1::SetEnabled(bool enabled) { EnableWindow(Handle(), enabled ? TRUE : FALSE); }

bool TForm1::Enabled() const { return IsWindowEnabled(Handle()) != FALSE; }

void TForm1::Repaint() { RepaintNow(Handle()); }

void TForm1::ShowError(const std::string& text) {
  HWND active = GetActiveWindow();
  ShowErrorBox(active ? active : Handle(), text);
}

void TForm1::Wait(int milliseconds) {
  if (milliseconds > 0) Sleep(static_cast<DWORD>(milliseconds));
}

// ---- messages ----

bool TForm1::OnCommand(int id, int code, HWND control) {
  for (const ViewItem& item : kViewItems) {
    if (id != item.command.id) continue;
    (this->*item.open)();
    return true;
  }
  switch (id) {
    case ids::kOpenDownload:
      OpenDownload1Click();
      return true;
    case ids::kRedownload:
      Redownload1Click();
      return true;
    case ids::kExit:
      Exit1Click();
      return true;
    case ids::kTesting:
      Testing1Click();
      return true;
    case ids::kCbAutoDetect:
      if (code == BN_CLICKED && control) cbAutoDetectClick();
      return true;
    default:
      break;
  }
  if (id >= ids::kRecentFileFirst && id < ids::kRecentFileLimit && !control) {
    RecentFileClick(id - ids::kRecentFileFirst);
    return true;
  }
  return false;
}

bool TForm1::OnNotify(const NMHDR& header, LRESULT& result) {
  // Tool tips of the toolbar buttons ask for their text.
  if (header.code == TTN_GETDISPINFOA || header.code == TTN_GETDISPINFOW) {
    for (std::size_t i = 0; i < std::size(kToolButtons); ++i) {
      if (header.idFrom != static_cast<UINT_PTR>(kToolButtons[i].id)) continue;
      if (header.code == TTN_GETDISPINFOA) {
        auto& info = reinterpret_cast<NMTTDISPINFOA&>(const_cast<NMHDR&>(header));
        info.lpszText = const_cast<char*>(kToolButtons[i].hint);
      } else {
        auto& info = reinterpret_cast<NMTTDISPINFOW&>(const_cast<NMHDR&>(header));
        info.lpszText = const_cast<wchar_t*>(WideHint(static_cast<int>(i)).c_str());
      }
      result = 0;
      return true;
    }
  }
  return false;
}

bool TForm1::OnMeasureItem(MEASUREITEMSTRUCT& item) {
  if (item.CtlType != ODT_MENU) return false;
  // A little room on both sides keeps the picture off the caption.
  item.itemWidth = kImageListSize + 2 * kMenuImageMargin;
  item.itemHeight = kImageListSize;
  return true;
}

bool TForm1::OnDrawItem(DRAWITEMSTRUCT& item) {
  if (item.CtlType == ODT_MENU) {
    const int image = ui::menu::UnpackMenuItemData(item.itemData).imageIndex;
    if (image < 0 || image >= kImageListCount) return false;
    const int top = item.rcItem.top + (item.rcItem.bottom - item.rcItem.top - kImageListSize) / 2;
    ImageList_Draw(imageList_.get(), image, item.hDC, item.rcItem.left + kMenuImageMargin, top,
                   ILD_TRANSPARENT);
    return true;
  }
  if (item.CtlType == ODT_STATIC && item.CtlID == static_cast<UINT>(ids::kImage1)) {
    // The picture keeps the window's colour around it (transparent).
    FillRect(item.hDC, &item.rcItem, GetSysColorBrush(COLOR_BTNFACE));
    DrawPicture(item.hDC, image1Picture_, item.rcItem.left, item.rcItem.top,
                GetSysColor(COLOR_BTNFACE));
    return true;
  }
  return false;
}

void TForm1::OnActivate(bool active) {
  if (active) FormActivate();
}

bool TForm1::OnClose() {
  // The close box ends the program the same way as Exit.
  application_.Terminate();
  return true;
}

void TForm1::OnDestroy() { FormDestroy(); }

}  // namespace orvane::app
