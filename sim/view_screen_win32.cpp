#include "sim/view_screen.h"

#include <windows.h>

#include <cstdio>
#include <string>

#include "sim/board_picture.h"
#include "sim/board_text.h"

namespace orvane::sim {

namespace {

// Ctrl+C and Ctrl+Break end the view; a second one ends the process at once.
HANDLE gStopEvent = nullptr;
volatile LONG gStops = 0;

BOOL WINAPI OnControl(DWORD kind) {
  if (kind != CTRL_C_EVENT && kind != CTRL_BREAK_EVENT && kind != CTRL_CLOSE_EVENT) return FALSE;
  if (InterlockedIncrement(&gStops) > 1) return FALSE;  // the default: the process ends
  SetEvent(gStopEvent);
  return TRUE;
}

// A console that takes VT sequences gets the drawn picture, with keys from its input; anything
// else gets plain-text frames.
class ConsoleScreen final : public ViewScreen {
 public:
  ConsoleScreen() {
    gStopEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    gStops = 0;
    SetConsoleCtrlHandler(OnControl, TRUE);
    out_ = GetStdHandle(STD_OUTPUT_HANDLE);
    in_ = GetStdHandle(STD_INPUT_HANDLE);
    if (GetConsoleMode(out_, &outMode_) &&
        SetConsoleMode(out_, outMode_ | ENABLE_VIRTUAL_TERMINAL_PROCESSING)) {
      drawn_ = true;
      outputCodePage_ = GetConsoleOutputCP();
      SetConsoleOutputCP(CP_UTF8);
      keys_ = GetConsoleMode(in_, &inMode_) != 0;
      if (keys_) SetConsoleMode(in_, ENABLE_PROCESSED_INPUT);  // Ctrl+C still signals
      Write(BoardPicture::EnterScreen());
    }
  }

  ~ConsoleScreen() override {
    if (drawn_) {
      Write(BoardPicture::LeaveScreen());
      SetConsoleMode(out_, outMode_);
      SetConsoleOutputCP(outputCodePage_);
      if (keys_) SetConsoleMode(in_, inMode_);
    }
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
      if (input.stop || !input.typed.empty() || input.buttons[0] || input.buttons[1]) return input;
      const Micros left = deadline - clock.Now();
      if (left <= Micros(0)) return input;
      const HANDLE handles[2] = {gStopEvent, in_};
      const DWORD ms = static_cast<DWORD>((left.count() + 999) / 1000);
      const DWORD woke = WaitForMultipleObjects(keys_ ? 2 : 1, handles, FALSE, ms);
      if (woke == WAIT_OBJECT_0 + 1) ReadKeys(input);
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
    if (!ReadConsoleInputW(in_, records, 32, &count)) return;
    for (DWORD i = 0; i < count; ++i) {
      const KEY_EVENT_RECORD& key = records[i].Event.KeyEvent;
      if (records[i].EventType != KEY_EVENT || !key.bKeyDown) continue;
      if (key.wVirtualKeyCode == VK_F1 || key.wVirtualKeyCode == VK_F2) {
        input.buttons[key.wVirtualKeyCode == VK_F1 ? 0 : 1] = true;
      } else if (key.uChar.UnicodeChar != 0 && key.uChar.UnicodeChar < 0x80) {
        input.typed += static_cast<char>(key.uChar.UnicodeChar);
      }
    }
  }

  HANDLE out_ = nullptr;
  HANDLE in_ = nullptr;
  DWORD outMode_ = 0;
  DWORD inMode_ = 0;
  UINT outputCodePage_ = 0;
  bool drawn_ = false;
  bool keys_ = false;
  int frames_ = 0;
  std::uint64_t run_ = 0;
  BoardPicture picture_;
};

}  // namespace

std::unique_ptr<ViewScreen> OpenViewScreen() { return std::make_unique<ConsoleScreen>(); }

}  // namespace orvane::sim
