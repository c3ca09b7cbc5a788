// The console's input records as the live view sorts them.
#include <gtest/gtest.h>

#include "sim/view/view_screen_win32.h"

namespace orvane::sim {
namespace {

INPUT_RECORD Key(WORD virtualKey, wchar_t character, bool down) {
  INPUT_RECORD record{};
  record.EventType = KEY_EVENT;
  record.Event.KeyEvent.bKeyDown = down;
  record.Event.KeyEvent.wVirtualKeyCode = virtualKey;
  record.Event.KeyEvent.uChar.UnicodeChar = character;
  return record;
}

TEST(ConsoleInput, KeysButtonsAndAResize) {
  INPUT_RECORD resize{};
  resize.EventType = WINDOW_BUFFER_SIZE_EVENT;
  resize.Event.WindowBufferSizeEvent.dwSize = {100, 40};
  const INPUT_RECORD records[] = {Key('A', L'a', true), Key('A', L'a', false), Key(VK_F2, 0, true),
                                  resize, Key('B', L'\u00e9', true)};
  ViewInput input;
  SortConsoleInput(records, 5, input);
  EXPECT_EQ(input.typed, "a");
  EXPECT_FALSE(input.buttons[0]);
  EXPECT_TRUE(input.buttons[1]);
  EXPECT_TRUE(input.redraw);  // a resize is redrawn
}

}  // namespace
}  // namespace orvane::sim
