#include <windows.h>
// The common controls' header needs the definitions above.
#include <commctrl.h>

#include <utility>

#include "app/win32/application.h"
#include "app/win32/error_box.h"
#include "app/win32/main_window.h"
#include "app/win32/progress_window.h"
#include "app/win32/taskbar_window.h"
#include "app/win32/testing_window.h"
#include "app/win32/win32_window.h"
#include "serial/com_port.h"
#include "sim/line/virtual_board.h"
#include "sim/line/virtual_board_device.h"
#include "sim/line/virtual_board_registry.h"

namespace orvane::app {

TApplication::TApplication() = default;

TApplication::~TApplication() {
  DestroyForms();
  SetTopLevelErrorHandler(nullptr);
  serial::SetErrorDisplay(nullptr);
}

void TApplication::Initialize() {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_BAR_CLASSES | ICC_PROGRESS_CLASS |
                                                     ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
  InitCommonControlsEx(&controls);
  // The testing window's rich-text box lives in this library; it stays loaded to the end.
  static const HMODULE richEdit = LoadLibraryA("riched20.dll");
  (void)richEdit;
  SetTopLevelErrorHandler([this](std::exception_ptr error) { HandleException(error); });
  // Errors the port raises while acting on its own, outside any command, go to the same box.
  serial::SetErrorDisplay([this](const std::exception& error) {
    HWND active = GetActiveWindow();
    ShowErrorBox(active ? active : (form1_ ? form1_->Handle() : nullptr), error.what());
  });
}

void TApplication::SetTitle(const std::string& title) {
  title_ = title;
  if (taskbar_) taskbar_->SetTitle(title);
}

HWND TApplication::TaskbarHandle() const { return taskbar_ ? taskbar_->Handle() : nullptr; }

void TApplication::CreateForms(const StartupOptions& options) {
  if (options.virtualBoard) sim::EnableVirtualBoard(/*listed=*/true);
  taskbar_ = std::make_unique<TaskbarWindow>(title_);
  form1_ = std::make_unique<TForm1>(*this, options);
  taskbar_->SetMainWindow(form1_->Handle());
  form2_ = std::make_unique<TForm2>(*this);
  form3_ = std::make_unique<TForm3>(*this);
}

void TApplication::ShowMainForm(int showCommand) {
  if (taskbar_) taskbar_->ShowEntry();
  if (form1_) {
    ShowWindow(form1_->Handle(), showCommand);
    UpdateWindow(form1_->Handle());
  }
}

int TApplication::Run(int showCommand) {
  ShowMainForm(showCommand);
  MSG message{};
  while (!terminated_) {
    const BOOL got = GetMessageA(&message, nullptr, 0, 0);
    if (got == -1) break;
    if (got == 0) {
      terminated_ = true;
      exitCode_ = static_cast<int>(message.wParam);
      break;
    }
    ProcessMessage(message);
  }
  DestroyForms();
  return exitCode_;
}

void TApplication::Terminate() {
  endRequested_ = true;
  PostQuitMessage(0);
}

void TApplication::DestroyForms() {
  form3_.reset();
  form2_.reset();
  form1_.reset();
  taskbar_.reset();
}

void TApplication::ProcessMessages() {
  MSG message{};
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    ProcessMessage(message);
    if (message.message == WM_QUIT) break;
  }
}

void TApplication::ProcessMessage(MSG& message) {
  if (message.message == WM_QUIT) {
    // Inside a command (pending messages run by the command) the end is only noted: the
    // command finishes first, then the message loop stops.
    terminated_ = true;
    exitCode_ = static_cast<int>(message.wParam);
    return;
  }
  // The debugger window claims its own keys (F5, F10, F11, Shift+F11) while it is active.
  if (form1_ && form1_->TranslateWindowKeys(message)) return;
  HWND root = message.hwnd ? GetAncestor(message.hwnd, GA_ROOT) : nullptr;
  if (TranslateShortcut(root, message)) return;
  const bool ours =
      root && ((form1_ && root == form1_->Handle()) || (form2_ && root == form2_->Handle()) ||
               (form3_ && root == form3_->Handle()));
  if (ours && IsDialogMessageA(root, &message)) return;  // Tab, arrow keys, Enter
  TranslateMessage(&message);
  DispatchMessageA(&message);
}

// A key goes first to the keys its own window claims, then to the main window's shortcuts. Those
// act only while the main window takes input (not while the progress or the testing window keeps
// it disabled); from another window only the commands' function keys do, so that a window that
// sends keys to the board sends Ctrl+X on.
bool TApplication::TranslateShortcut(HWND root, MSG& message) {
  if (const Window* window = Window::FromHandle(root)) {
    if (HACCEL own = window->OwnAccelerators(); own && TranslateAcceleratorA(root, own, &message)) {
      return true;
    }
  }
  if (!form1_ || !form1_->Handle() || !IsWindowEnabled(form1_->Handle())) return false;
  HACCEL table = root == form1_->Handle() ? form1_->Accelerators() : form1_->CommandKeys();
  return table && TranslateAcceleratorA(form1_->Handle(), table, &message);
}

void TApplication::HandleException(std::exception_ptr error) {
  const std::string text = ExceptionMessage(error);
  HWND owner = nullptr;
  if (form2_ && form2_->Visible()) form2_->Close();
  if (form3_ && form3_->Visible()) {
    // The testing window keeps the main window disabled until OK, so OK must be there.
    form3_->SetOkButtonVisible(true);
    owner = form3_->Handle();
  } else if (form1_ && form1_->Handle()) {
    EnableWindow(form1_->Handle(), TRUE);
    owner = form1_->Handle();
  }
  ShowErrorBox(owner, text);
}

}  // namespace orvane::app
