#include "sim/view/view_screen.h"

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "sim/view/board_text.h"
#include "sim/view/terminal_board_picture.h"
#include "sim/view/view_screen_win32.h"

namespace orvane::sim {

namespace {

// What the console was before the view took it, for whichever way out comes first: the end of
// the view, or a second Ctrl+C on the handler's thread.
struct SavedConsole {
  HANDLE out = nullptr;
  HANDLE in = nullptr;
  DWORD outMode = 0;
  DWORD inMode = 0;
  UINT outputCodePage = 0;
  bool keys = false;
};
SavedConsole gSaved;
volatile LONG gHeld = 0;  // 1 while the console is the view's

void GiveBack() {
  if (InterlockedExchange(&gHeld, 0) == 0) return;
  const char* leave = TerminalBoardPicture::LeaveScreen();
  DWORD written = 0;
  WriteFile(gSaved.out, leave, static_cast<DWORD>(std::strlen(leave)), &written, nullptr);
  SetConsoleMode(gSaved.out, gSaved.outMode);
  SetConsoleOutputCP(gSaved.outputCodePage);
  if (gSaved.keys) SetConsoleMode(gSaved.in, gSaved.inMode);
}

// Ctrl+C and Ctrl+Break end the view; a second one ends the process at once, the console given
// back first.
HANDLE gStopEvent = nullptr;
volatile LONG gStops = 0;

BOOL WINAPI OnControl(DWORD kind) {
  if (kind != CTRL_C_EVENT && kind != CTRL_BREAK_EVENT && kind != CTRL_CLOSE_EVENT) return FALSE;
  if (InterlockedIncrement(&gStops) > 1) {
    GiveBack();
    return FALSE;  // the default: the process ends
  }
  SetEvent(gStopEvent);
  return TRUE;
}

}  // namespace

void SortConsoleInput(const INPUT_RECORD* records, DWORD count, ViewInput& input) {
  for (DWORD i = 0; i < count; ++i) {
    if (records[i].EventType == WINDOW_BUFFER_SIZE_EVENT) {
      input.redraw = true;
      continue;
    }
    const KEY_EVENT_RECORD& key = records[i].Event.KeyEvent;
    if (records[i].EventType != KEY_EVENT || !key.bKeyDown) continue;
    if (key.wVirtualKeyCode == VK_F1 || key.wVirtualKeyCode == VK_F2) {
      input.buttons[key.wVirtualKeyCode == VK_F1 ? 0 : 1] = true;
    } else if (key.uChar.UnicodeChar != 0 && key.uChar.UnicodeChar < 0x80) {
      input.typed += static_cast<char>(key.uChar.UnicodeChar);
    }
  }
}

namespace {

// A console that takes VT sequences gets the drawn picture, with keys (and changes of its size)
// from its input; anything else gets plain-text frames.
class ConsoleScreen final : public ViewScreen {
 public:
  ConsoleScreen() {
    gStopEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    gStops = 0;
    SetConsoleCtrlHandler(OnControl, TRUE);
    out_ = GetStdHandle(STD_OUTPUT_HANDLE);
    in_ = GetStdHandle(STD_INPUT_HANDLE);
    DWORD outMode = 0;
    if (GetConsoleMode(out_, &outMode) &&
        SetConsoleMode(out_, outMode | ENABLE_VIRTUAL_TERMINAL_PROCESSING)) {
      drawn_ = true;
      gSaved.out = out_;
      gSaved.in = in_;
      gSaved.outMode = outMode;
      gSaved.outputCodePage = GetConsoleOutputCP();
      SetConsoleOutputCP(CP_UTF8);
      keys_ = GetConsoleMode(in_, &gSaved.inMode) != 0;
      gSaved.keys = keys_;
      // Ctrl+C still signals; a change of the window's size comes as an input record.
      if (keys_) SetConsoleMode(in_, ENABLE_PROCESSED_INPUT | ENABLE_WINDOW_INPUT);
      InterlockedExchange(&gHeld, 1);
      Write(TerminalBoardPicture::EnterScreen());
    }
  }

  ~ConsoleScreen() override {
    GiveBack();
    SetConsoleCtrlHandler(OnControl, FALSE);
    CloseHandle(gStopEvent);
  }

  bool Drawn() const override { return drawn_; }

  void Show(const BoardSnapshot& snapshot, const std::string& status) override {
    if (!drawn_) {
      std::string frame = frames_++ ? "\n" : "";
      frame += PlainFrame(snapshot);
      std::fwrite(frame.data(), 1, frame.size(), stdout);
      std::fflush(stdout);
      return;
    }
    if (snapshot.run != run_) picture_.ClearSerial();
    run_ = snapshot.run;
    picture_.AddSerial(snapshot.serial);
    CONSOLE_SCREEN_BUFFER_INFO info{};
    int rows = 24;
    int columns = 80;
    if (GetConsoleScreenBufferInfo(out_, &info)) {
      rows = info.srWindow.Bottom - info.srWindow.Top + 1;
      columns = info.srWindow.Right - info.srWindow.Left + 1;
    }
    Write(picture_.Draw(snapshot, status, rows, columns));
  }

  ViewInput Wait(Clock& clock, Micros deadline) override {
    ViewInput input;
    for (;;) {
      if (WaitForSingleObject(gStopEvent, 0) == WAIT_OBJECT_0) input.stop = true;
      if (input.stop || input.redraw || !input.typed.empty() || input.buttons[0] ||
          input.buttons[1]) {
        return input;
      }
      const Micros left = deadline - clock.Now();
      if (left <= Micros(0)) return input;
      const HANDLE handles[2] = {gStopEvent, in_};
      const DWORD ms = static_cast<DWORD>((left.count() + 999) / 1000);
      const DWORD woke = WaitForMultipleObjects(keys_ ? 2 : 1, handles, FALSE, ms);
      if (woke == WAIT_OBJECT_0 + 1) ReadKeys(input);
      if (input.redraw)
        Write(TerminalBoardPicture::EnterScreen());  // the new size on a clean screen
    }
  }

 private:
  void Write(const std::string& text) {
    DWORD written = 0;
    WriteFile(out_, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  }

  void ReadKeys(ViewInput& input) {
    INPUT_RECORD records[32];
    DWORD count = 0;
    if (ReadConsoleInputW(in_, records, 32, &count)) SortConsoleInput(records, count, input);
  }

  HANDLE out_ = nullptr;
  HANDLE in_ = nullptr;
  bool drawn_ = false;
  bool keys_ = false;
  int frames_ = 0;
  std::uint64_t run_ = 0;
  TerminalBoardPicture picture_;
};

}  // namespace

std::unique_ptr<ViewScreen> OpenViewScreen() { return std::make_unique<ConsoleScreen>(); }

}  // namespace orvane::sim
