// The serial pane's text: line ends, escapes, and the bound on what it keeps.
#include <gtest/gtest.h>

#include "ui/serial_pane_text.h"

namespace orvane::ui {
namespace {

TEST(SerialPaneTextTest, LineFeedsBreakLinesReturnsVanishAndOtherBytesAreEscaped) {
  struct Case {
    std::string_view bytes;
    std::string text;
  };
  const Case cases[] = {
      {"Hello\r\nboard\n", "Hello\r\nboard\r\n"},
      {"a\rb", "ab"},
      {std::string_view("\x1B[2J\x00\\~", 7), "\\x1B[2J\\x00\\x5C\\x7E"},
  };
  for (const Case& c : cases) {
    SerialPaneText pane;
    pane.Append(c.bytes);
    EXPECT_EQ(pane.Text(), c.text);
  }
}

TEST(SerialPaneTextTest, KeepsTheNewestWholeLinesWithinItsLimit) {
  SerialPaneText pane(20);
  pane.Append("first line\nsecond\n");
  pane.Append("third\n");
  EXPECT_EQ(pane.Text(), "second\r\nthird\r\n");
  pane.Append(std::string(50, 'x'));  // one line longer than the limit: nothing of it is kept
  EXPECT_LE(pane.Text().size(), 20u);
  pane.Append("\nend");
  EXPECT_EQ(pane.Text(), "\r\nend");
}

}  // namespace
}  // namespace orvane::ui
