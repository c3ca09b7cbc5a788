// How our views show bytes that a program produced (the LCD's characters, what a program sent on
// its serial line): plain text stands as itself, everything else as an escape, so that a program
// can neither garble a view nor drive the user's terminal.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace orvane::ui {

// 0x20 to 0x7D stand as themselves, except the backslash, which would make the escapes
// ambiguous; 0x7E and 0x7F are not ASCII on the board's LCD (its ROM draws arrows there).
bool ShownAsItself(std::uint8_t byte);

// Appends the byte as it is shown: itself, or \xNN with two upper-case hex digits.
void AppendEscaped(std::string& text, std::uint8_t byte);

// Every byte of the text as AppendEscaped shows it.
std::string Escaped(std::string_view bytes);

}  // namespace orvane::ui
