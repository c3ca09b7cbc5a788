#include "download/hex_writer.h"

#include <algorithm>
#include <stdexcept>

namespace orvane::download {
namespace {

void AppendByte(std::string& text, std::uint8_t byte, unsigned& sum) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  text += kDigits[byte >> 4];
  text += kDigits[byte & 0x0F];
  sum += byte;
}

}  // namespace

std::string FormatHexRecord(std::uint8_t type, std::uint16_t address,
                            std::span<const std::uint8_t> data) {
  if (data.size() > 255) throw std::invalid_argument("a HEX record holds at most 255 bytes");
  std::string text = ":";
  unsigned sum = 0;
  AppendByte(text, static_cast<std::uint8_t>(data.size()), sum);
  AppendByte(text, static_cast<std::uint8_t>(address >> 8), sum);
  AppendByte(text, static_cast<std::uint8_t>(address & 0xFF), sum);
  AppendByte(text, type, sum);
  for (const std::uint8_t byte : data) AppendByte(text, byte, sum);
  unsigned ignored = 0;
  AppendByte(text, static_cast<std::uint8_t>(-sum & 0xFF), ignored);
  return text;
}

std::string FormatHexFile(std::span<const std::uint8_t> data, std::uint16_t address,
                          std::size_t recordLength) {
  if (recordLength < 1 || recordLength > 255) {
    throw std::invalid_argument("HEX record length must be 1 to 255");
  }
  std::string text;
  for (std::size_t offset = 0; offset < data.size(); offset += recordLength) {
    const std::size_t length = std::min(recordLength, data.size() - offset);
    text += FormatHexRecord(0x00, static_cast<std::uint16_t>(address + offset),
                            data.subspan(offset, length));
    text += "\r\n";
  }
  text += FormatHexRecord(0x01, 0, {});
  text += "\r\n";
  return text;
}

}  // namespace orvane::download
