// The instrument's own single-byte character codes, used in the names of
// configurations of the 5.00 firmware and offered by the name editor.
// Texts are Windows-1251.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace velt {

struct TCharMapping {
  std::uint8_t Code;
  char Text;  // one Windows-1251 character
};

inline constexpr std::size_t kCharMappingCount = 86;

// The 86 entries in table order.
const std::array<TCharMapping, kCharMappingCount>& InstrumentCharTable();

// The one-character text of a code; " " when the table has no such code.
std::string InstrumentCodeToText(std::uint8_t code);

// The code of the first character of a text (compared exactly); 0x20 when
// the table does not hold it, and for an empty text.
std::uint8_t TextToInstrumentCode(const std::string& text);

}  // namespace velt
