// Writes Intel HEX text: images made by the program itself (benchmarks, tests, sample programs).
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace orvane::download {

// One record, ':' to checksum, upper-case digits, without a line end.
std::string FormatHexRecord(std::uint8_t type, std::uint16_t address,
                            std::span<const std::uint8_t> data);

// Data records of up to recordLength (1 to 255) bytes each for data placed at address, then the
// end-of-file record; one record per line, lines ended by "\r\n".
std::string FormatHexFile(std::span<const std::uint8_t> data, std::uint16_t address,
                          std::size_t recordLength = 16);

}  // namespace orvane::download
