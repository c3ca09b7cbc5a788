// Small texts of the protocol as this adapter writes and reads them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orvane::dap {

// A code address as the protocol's instruction references carry it: "0x40AD".
std::string CodeAddress(std::uint32_t address);
// "0x40AD" (or decimal) back; none for anything else.
std::optional<std::uint32_t> ParseNumber(std::string_view text);

std::string Base64Encode(const std::vector<std::uint8_t>& bytes);
// None when the text is not base64.
std::optional<std::vector<std::uint8_t>> Base64Decode(std::string_view text);

// The bytes of a text in double quotes with C's escapes (\n \r \t \\ \" \xNN); none when the
// text is not one.
std::optional<std::string> QuotedText(std::string_view text);

}  // namespace orvane::dap
