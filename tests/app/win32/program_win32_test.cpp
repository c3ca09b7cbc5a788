// The program itself, started as a user starts it: its three windows come up (the main window
// shown, the other two hidden), the virtual board is listed when asked for, and Ctrl+X or the
// close box ends it.
#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <functional>
#include <string>

#include "app/win32/control_ids.h"
#include "gui_test_support.h"
#include "support/serial_map_win32.h"

namespace orvane::gui_test {
namespace {

// The program beside the test programs' folder: <build>/OrvaneDownloader.exe.
std::string ProgramPath() {
  char self[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  std::string path = self;
  for (int i = 0; i < 2; ++i) path.erase(path.find_last_of("\\/"));
  return path + "\\OrvaneDownloader.exe";
}

struct FoundWindow {
  DWORD process;
  const char* caption;
  HWND window;
};

// A top-level window of the process with exactly this caption, visible or not.
HWND FindProcessWindow(DWORD process, const char* caption) {
  FoundWindow search{process, caption, nullptr};
  EnumWindows(
      [](HWND window, LPARAM param) -> BOOL {
        auto* s = reinterpret_cast<FoundWindow*>(param);
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == s->process && app::WindowText(window) == s->caption) {
          s->window = window;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.window;
}

class ProgramProcess {
 public:
  explicit ProgramProcess(const std::string& arguments) {
    std::string command = "\"" + ProgramPath() + "\" " + arguments;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    started_ = CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                              &startup, &info_) != FALSE;
  }
  ~ProgramProcess() {
    if (!started_) return;
    if (WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT) {
      TerminateProcess(info_.hProcess, 99);
      WaitForSingleObject(info_.hProcess, 5000);
    }
    CloseHandle(info_.hThread);
    CloseHandle(info_.hProcess);
  }
  ProgramProcess(const ProgramProcess&) = delete;
  ProgramProcess& operator=(const ProgramProcess&) = delete;

  bool Started() const { return started_; }

  // Looks at another process's windows, which send us no event: a bounded poll that gives up
  // at once when the program ends. True when `done` came within the limit.
  bool WaitFor(const std::function<bool()>& done, int limitMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs);
    while (std::chrono::steady_clock::now() < deadline) {
      if (done()) return true;
      if (WaitForSingleObject(info_.hProcess, 50) == WAIT_OBJECT_0) return false;
    }
    return done();
  }

  // A window of the program; null when none came within the limit.
  HWND WaitForWindow(const char* caption, bool visible, int limitMs = 30000) {
    HWND window = nullptr;
    const bool came = WaitFor(
        [&] {
          window = FindProcessWindow(info_.dwProcessId, caption);
          return window && (!visible || IsWindowVisible(window));
        },
        limitMs);
    return came ? window : nullptr;
  }

  // The exit code, or -1 when the program is still running after the limit.
  long WaitForExit() {
    if (WaitForSingleObject(info_.hProcess, 15000) != WAIT_OBJECT_0) return -1;
    DWORD code = 0;
    GetExitCodeProcess(info_.hProcess, &code);
    return static_cast<long>(code);
  }

 private:
  PROCESS_INFORMATION info_{};
  bool started_ = false;
};

constexpr const char* kCaption = "Orvane Windows Downloader v" ORVANE_VERSION;

class ProgramTest : public ::testing::Test {
 protected:
  test_support::ScopedSettingsFolder settings;
};

TEST_F(ProgramTest, StartsWithItsThreeWindowsAndEndsByCtrlX) {
  ProgramProcess program("--virtual-board");
  ASSERT_TRUE(program.Started()) << ProgramPath();
  HWND form1 = program.WaitForWindow(kCaption, true);
  ASSERT_TRUE(form1);
  HWND form2 = program.WaitForWindow("Downloading Information", false);
  HWND form3 = program.WaitForWindow("Orvane Testing Information", false);
  ASSERT_TRUE(form2);
  ASSERT_TRUE(form3);
  EXPECT_FALSE(IsWindowVisible(form2));
  EXPECT_FALSE(IsWindowVisible(form3));

  // The task bar lists the program once, under the application title: a shown, unowned window
  // of that title owns the main window (an owned window gets no entry of its own).
  HWND entry = program.WaitForWindow("Orvane Downloader", true);
  ASSERT_TRUE(entry);
  EXPECT_EQ(GetWindow(entry, GW_OWNER), nullptr);
  EXPECT_EQ(GetWindowLongA(entry, GWL_EXSTYLE) & WS_EX_TOOLWINDOW, 0);
  EXPECT_EQ(GetWindow(form1, GW_OWNER), entry);

  // The switch lists the virtual board among the ports. (Texts of another process's controls
  // come by message; the wide form, because Wine hands list texts across processes as such.)
  HWND ports = Control(form1, app::ids::kCbCOMOption);
  ASSERT_TRUE(ports);
  bool listed = false;
  const LRESULT count = SendMessageW(ports, CB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    wchar_t text[256] = {};
    SendMessageW(ports, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
    listed |= std::wstring(text) == L"VIRTUAL";
  }
  EXPECT_TRUE(listed);
  wchar_t rate[32] = {};
  SendMessageW(Control(form1, app::ids::kCbBaudrateOption), WM_GETTEXT, 32,
               reinterpret_cast<LPARAM>(rate));
  EXPECT_EQ(std::wstring(rate), L"57600");

  // Ctrl+X from the keyboard, with the main window in front.
  SetForegroundWindow(form1);
  program.WaitFor([form1] { return GetForegroundWindow() == form1; }, 10000);
  INPUT keys[4] = {};
  for (INPUT& key : keys) key.type = INPUT_KEYBOARD;
  keys[0].ki.wVk = VK_CONTROL;
  keys[1].ki.wVk = 'X';
  keys[2].ki.wVk = 'X';
  keys[2].ki.dwFlags = KEYEVENTF_KEYUP;
  keys[3].ki.wVk = VK_CONTROL;
  keys[3].ki.dwFlags = KEYEVENTF_KEYUP;
  ASSERT_EQ(SendInput(4, keys, sizeof(INPUT)), 4u);
  EXPECT_EQ(program.WaitForExit(), 0);
}

// A computer with no serial port has no serial device map at all: the program starts as usual,
// with an empty port list and no error box, and its start-up runs to the end (the rates).
TEST_F(ProgramTest, StartsWithoutASerialDeviceMap) {
  test_support::SerialMapRemoved noPorts;
  ASSERT_TRUE(noPorts.Removed());
  ProgramProcess program("");
  ASSERT_TRUE(program.Started());
  HWND form1 = program.WaitForWindow(kCaption, true);
  ASSERT_TRUE(form1);
  EXPECT_EQ(SendMessageW(Control(form1, app::ids::kCbCOMOption), CB_GETCOUNT, 0, 0), 0);
  wchar_t rate[32] = {};
  SendMessageW(Control(form1, app::ids::kCbBaudrateOption), WM_GETTEXT, 32,
               reinterpret_cast<LPARAM>(rate));
  EXPECT_EQ(std::wstring(rate), L"57600");
  EXPECT_EQ(program.WaitForWindow("Error", false, 1000), nullptr) << "no error box at start-up";
  PostMessageA(form1, WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_EQ(program.WaitForExit(), 0);
}

TEST_F(ProgramTest, CloseBoxEndsTheProgram) {
  ProgramProcess program("");
  ASSERT_TRUE(program.Started());
  HWND form1 = program.WaitForWindow(kCaption, true);
  ASSERT_TRUE(form1);
  PostMessageA(form1, WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_EQ(program.WaitForExit(), 0);
}

}  // namespace
}  // namespace orvane::gui_test
