// The serial terminal's text: line ends across reads, TABs, escapes, hex, the bound on what is
// kept, and the lines of its own.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui/drawing/terminal_text.h"

namespace orvane::ui {
namespace {

// The display as the window keeps it: appended to, or replaced on a redraw.
struct Display {
  std::string text;
  int redraws = 0;
  void Take(const TerminalText::Change& change) {
    if (change.redraw) {
      text = change.text;
      ++redraws;
    } else {
      text += change.text;
    }
  }
};

std::string Shown(const std::vector<std::string>& reads) {
  TerminalText model;
  Display display;
  for (const std::string& read : reads) display.Take(model.Append(read));
  // Whatever the reads, what was appended is what a redraw shows.
  EXPECT_EQ(display.text, model.Render());
  return display.text;
}

TEST(TerminalTextTest, LineEndsTabsAndEscapesWhateverTheReads) {
  struct Case {
    std::vector<std::string> reads;
    std::string shown;
  } cases[] = {
      {{"Hello\r\nWorld\r\n"}, "Hello\nWorld\n"},
      {{"a\rb\nc\r\nd"}, "a\nb\nc\nd"},
      {{"a\r", "\nb"}, "a\nb"},  // a CR LF split between two reads is one line end
      {{"a\r", "\r\n", "b"}, "a\n\nb"},
      {{"a\n\rb"}, "a\n\nb"},  // LF CR is two
      {{"\tx"}, "        x"},
      {{"abc\tx", "\ty"}, "abc     x       y"},
      {{"abcdefgh\tx"}, "abcdefgh        x"},
      {{"\x01\t."}, "\\x01    ."},  // an escape is four columns wide
      {{std::string("\0\x7F\xFF\\~", 5)}, "\\x00\\x7F\\xFF\\x5C\\x7E"},
      {{"ok\x1b[2J"}, "ok\\x1B[2J"},
  };
  for (const Case& c : cases) EXPECT_EQ(Shown(c.reads), c.shown) << c.reads[0];
}

std::string Repeated(const std::string& text, int times) {
  std::string out;
  for (int i = 0; i < times; ++i) out += text;
  return out;
}

TEST(TerminalTextTest, HexShowsEveryByteAndEitherViewIsRedrawnFromTheKeptBytes) {
  TerminalText model;
  Display display;
  display.Take(model.Append("AB\r"));
  display.Take(model.SetHex(true));
  EXPECT_EQ(display.text, "41 42 0D");
  display.Take(model.Append("\n" + std::string(17, '\x01')));
  EXPECT_EQ(display.text, "41 42 0D 0A\n" + Repeated("01 ", 15) + "01\n01");
  display.Take(model.SetHex(false));
  EXPECT_EQ(display.text, "AB\n" + Repeated("\\x01", 17));
  EXPECT_EQ(display.redraws, 2);
  display.Take(model.Clear());
  EXPECT_EQ(display.text, "");
  EXPECT_EQ(model.KeptBytes(), 0u);
}

TEST(TerminalTextTest, NotesStandOnLinesOfTheirOwn) {
  TerminalText model;
  Display display;
  display.Take(model.Append("half"));
  display.Take(model.Note("(paused: downloading)"));
  display.Take(model.Append("Hi\r\n"));
  display.Take(model.Note("(paused: testing)"));
  EXPECT_EQ(display.text, "half\n(paused: downloading)\nHi\n(paused: testing)\n");
  EXPECT_EQ(display.text, model.Render());
}

TEST(TerminalTextTest, OnlyTheLast64KbAreKeptAndTheDisplayStaysBounded) {
  TerminalText model;
  Display display;
  const std::string line = "0123456789abcde\n";  // 16 bytes
  std::string last;
  for (int i = 0; i < 6000; ++i) {
    std::string read = line;
    read[0] = static_cast<char>('A' + i % 26);
    display.Take(model.Append(read));
    last = read;
    ASSERT_LE(model.KeptBytes(), TerminalText::kKeptBytes);
    ASSERT_LE(display.text.size(), TerminalText::kKeptBytes * 5 / 4 + line.size());
  }
  EXPECT_EQ(model.KeptBytes(), TerminalText::kKeptBytes);
  EXPECT_GT(display.redraws, 0);
  // The newest bytes are there, the oldest gone.
  EXPECT_EQ(model.Render().substr(model.Render().size() - line.size()), last);
  EXPECT_EQ(model.Render().size(), TerminalText::kKeptBytes);
}

TEST(TerminalTextTest, LineEndsChosenForTypedAndPastedText) {
  EXPECT_EQ(WithLineEnds("a\r\nb\rc\nd", LineEnd::Cr), "a\rb\rc\rd");
  EXPECT_EQ(WithLineEnds("a\r\nb\rc\nd", LineEnd::Lf), "a\nb\nc\nd");
  EXPECT_EQ(WithLineEnds("a\r\nb\r", LineEnd::CrLf), "a\r\nb\r\n");
  for (LineEnd lineEnd : kLineEnds) EXPECT_EQ(LineEndFromName(LineEndName(lineEnd)), lineEnd);
  EXPECT_FALSE(LineEndFromName("crlf").has_value());
}

}  // namespace
}  // namespace orvane::ui
