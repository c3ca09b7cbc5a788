// The main window TForm1: the download options, the testing and algorithm choices, the menu, the
// toolbar, the status bar, the serial port ComPort1 and the open dialog. Its event handlers are
// where every command starts; the work is done by the portable logic, which reaches the window
// through the views of ui/views/views.h (see Controls()).
//
// The names below are the window's design names, kept so the code reads against its design:
//   TForm1, TForm2, TForm3  the main, progress and testing windows; Form1, Form2, Form3 their
//                           single instances; TApplication the program that owns them
//   FormCreate, FormActivate, FormDestroy
//                           what a window does when made, brought to the front and closed down
//   <Item>1Click            the handler of a menu item or tool button (OpenDownload1Click is
//                           the File menu's Open & Download; Redownload1Click, Testing1Click)
//   <Name>1                 a single component: ComPort1 the serial port, OpenDialog1, StatusBar1,
//                           MainMenu1, ToolBar1, ImageList1, Image1 the decorative picture, XPMenu1
//                           the flat-look menu painter, RecentFiles1 the Recent Files sub-menu
//   cb, rg, gb, l prefixes  a combo or check box, a radio group, a group box, a label
//                           (cbCOMOption, rgDownloadAlg, gbDownloadOption, lCOMOption)
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "app/icons.h"
#include "app/recent_files.h"
#include "app/startup_options.h"
#include "app/win32/bitmaps.h"
#include "app/win32/open_dialog.h"
#include "app/win32/recent_files_menu.h"
#include "app/win32/win32_controls.h"
#include "app/win32/win32_handles.h"
#include "app/win32/win32_window.h"
#include "board/board_link.h"
#include "download/hex_file.h"
#include "download/memory_image.h"
#include "serial/com_port.h"
#include "ui/menu/xp_menu_win32.h"
#include "ui/views/command_guard.h"
#include "ui/views/main_window_controls.h"

namespace orvane::app {

class TApplication;
class TForm2;
class TForm3;
class TerminalWindow;
class VirtualBoardWindow;
class DebuggerWindow;

// The flat-look painter XPMenu1, seen by the recent-files logic as the view it deactivates and
// reactivates around every rebuild of the sub-menu.
class Win32MenuPainter : public ui::MenuPainterView {
 public:
  Win32MenuPainter() : painter_(ui::menu::MainWindowMenuProperties()) {}
  void Activate() override { painter_.SetActive(true); }
  void Deactivate() override { painter_.SetActive(false); }
  bool Active() const { return painter_.Active(); }
  ui::menu::TXPMenu& Painter() { return painter_; }

 private:
  ui::menu::TXPMenu painter_;
};

class TForm1 : public Window, public ui::WindowView, public ui::ErrorReporter, public ui::Waiter {
 public:
  // Makes the window and its controls, hidden, then runs FormCreate. Throws std::runtime_error
  // when the system refuses to make the window.
  TForm1(TApplication& application, const StartupOptions& options);
  ~TForm1() override;

  // ---- what the portable logic uses ----
  ui::MainWindowControls& Controls() { return controls_; }
  board::BoardLink& BoardLink() { return link_; }
  TApplication& Application() { return application_; }
  TForm2& Form2();
  TForm3& Form3();
  // The settings file and recent-files list (created by FormCreate; null if that failed).
  RecentFiles* RecentFilesList() { return recentFiles_.get(); }
  // One command at a time: the download commands and Testing run through it; windows that read
  // the port on their own listen to it.
  ui::CommandGuard& Commands() { return commands_; }
  // The Intel HEX file object that the commands open and the loader reads, and the memory image
  // it is loaded into.
  download::HexFile HexFile;
  download::MemoryImage Image;

  // ---- controls and components, named as in the window's design ----
  serial::TComPort ComPort1;
  Win32OpenDialog OpenDialog1;
  Win32ComboBox cbCOMOption;
  Win32ComboBox cbBaudrateOption;
  Win32CheckBox cbAutoDetect;
  Win32CheckBox cbUSBOption;
  Win32RadioGroup rgTestingOption;
  Win32RadioGroup rgDownloadAlg;
  Win32StatusBar StatusBar1;
  Win32RecentFilesMenu RecentFiles1;
  Win32MenuPainter XPMenu1;
  HWND ToolBar1 = nullptr;
  HWND gbDownloadOption = nullptr;
  HWND lCOMOption = nullptr;
  HWND lBaudrateOption = nullptr;
  HWND Image1 = nullptr;
  HMENU MainMenu1 = nullptr;
  HIMAGELIST ImageList1() const { return imageList_.get(); }
  // Its shortcuts: all of them while it is the active window, the commands' function keys
  // (not Exit's Ctrl+X) while another window of the program is.
  HACCEL Accelerators() const { return accelerators_.get(); }
  HACCEL CommandKeys() const { return commandKeys_.get(); }

  // ---- event handlers ----
  void FormCreate();
  void FormActivate();
  void FormDestroy();
  void OpenDownload1Click();
  void Redownload1Click();
  void RecentFileClick(int groupIndex);
  void Testing1Click();
  void cbAutoDetectClick();
  void Exit1Click();
  void SerialTerminal1Click();  // View > Serial Terminal: opens (or brings up) the terminal
  TerminalWindow* SerialTerminal() { return terminal_.get(); }
  void VirtualBoard1Click();  // View > Virtual Board: opens (or brings up) the live board
  VirtualBoardWindow* VirtualBoardView() { return virtualBoard_.get(); }
  void Debugger1Click();  // View > Debugger: opens (or brings up) the debugger
  DebuggerWindow* Debugger() { return debugger_.get(); }
  // Keys of the window that has the keyboard, where it has its own (the debugger's F5, F10,
  // ...), before the main window's shortcuts; true when translated.
  bool TranslateWindowKeys(MSG& message);

  // ---- ui::WindowView, ui::ErrorReporter, ui::Waiter ----
  void SetEnabled(bool enabled) override;
  bool Enabled() const override;
  void Repaint() override;
  void ShowError(const std::string& text) override;
  void Wait(int milliseconds) override;

 protected:
  bool OnCommand(int id, int code, HWND control) override;
  bool OnNotify(const NMHDR& header, LRESULT& result) override;
  bool OnDrawItem(DRAWITEMSTRUCT& item) override;
  bool OnMeasureItem(MEASUREITEMSTRUCT& item) override;
  void OnActivate(bool active) override;
  bool OnClose() override;
  void OnDestroy() override;

 private:
  void CreateMenus();
  void CreateToolBar();
  void CreateControls();
  // FormCreate's reading of the settings file and filling of the Recent Files sub-menu.
  void LoadRecentFiles();

  TApplication& application_;
  StartupOptions options_;
  UniqueImageList imageList_;
  UniqueIcon icon_;
  UniqueIcon smallIcon_;
  UniqueAcceleratorTable accelerators_;
  UniqueAcceleratorTable commandKeys_;
  Picture image1Picture_;
  ui::MainWindowControls controls_;
  board::BoardLink link_;
  std::unique_ptr<RecentFiles> recentFiles_;
  ui::CommandGuard commands_;
  // Made the first time the View menu opens it; it listens to commands_ and handles the port's
  // received bytes, so it goes before both.
  std::unique_ptr<TerminalWindow> terminal_;
  std::unique_ptr<VirtualBoardWindow> virtualBoard_;
  std::unique_ptr<DebuggerWindow> debugger_;
};

}  // namespace orvane::app
