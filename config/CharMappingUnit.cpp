#include <config/CharMappingUnit.h>

namespace velt {
namespace {

std::array<TCharMapping, kCharMappingCount> BuildTable() {
  std::array<TCharMapping, kCharMappingCount> table{};
  std::size_t n = 0;
  auto add = [&](unsigned code, unsigned text) {
    table[n++] = TCharMapping{static_cast<std::uint8_t>(code), static_cast<char>(text)};
  };
  for (unsigned i = 0; i < 10; ++i) {
    add(0x30 + i, '0' + i);
  }
  add(0x2E, '.');
  add(0x2C, ',');
  add(0x23, '#');
  add(0x2A, 0xB0);  // degree sign
  add(0x20, ' ');
  for (unsigned i = 0; i < 26; ++i) {
    add(0x61 + i, 'A' + i);
  }
  add(0x2D, '-');
  add(0x2B, '+');
  add(0x25, '%');
  add(0x3A, ':');
  add(0x24, '*');
  for (unsigned i = 0; i < 32; ++i) {
    add(0xE0 + i, 0xC0 + i);  // Cyrillic capitals А..Я
  }
  add(0x7E, '\\');
  add(0x44, 'd');
  add(0x4D, 'm');
  add(0x55, 0xB5);  // micro sign
  add(0x53, 's');
  add(0x49, 'i');
  add(0x4E, 'n');
  add(0x5F, '>');
  return table;
}

}  // namespace

const std::array<TCharMapping, kCharMappingCount>& InstrumentCharTable() {
  static const std::array<TCharMapping, kCharMappingCount> table = BuildTable();
  return table;
}

std::string InstrumentCodeToText(std::uint8_t code) {
  for (const TCharMapping& entry : InstrumentCharTable()) {
    if (entry.Code == code) {
      return std::string(1, entry.Text);
    }
  }
  return " ";
}

std::uint8_t TextToInstrumentCode(const std::string& text) {
  if (text.empty()) {
    return 0x20;
  }
  for (const TCharMapping& entry : InstrumentCharTable()) {
    if (entry.Text == text[0]) {
      return entry.Code;
    }
  }
  return 0x20;
}

}  // namespace velt
