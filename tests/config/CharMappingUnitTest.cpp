// The instrument's character table and its two lookups.
#include <gtest/gtest.h>

#include <set>

#include <config/CharMappingUnit.h>

namespace velt {
namespace {

TEST(TCharMappingTest, CodesGiveTheirTexts) {
  const std::vector<std::pair<std::uint8_t, std::string>> cases = {
      {0x30, "0"},    {0x39, "9"},    {0x2E, "."},    {0x2C, ","},    {0x23, "#"},
      {0x2A, "\xB0"}, {0x20, " "},    {0x61, "A"},    {0x7A, "Z"},    {0x2D, "-"},
      {0x2B, "+"},    {0x25, "%"},    {0x3A, ":"},    {0x24, "*"},    {0xE0, "\xC0"},
      {0xFF, "\xDF"}, {0x7E, "\\"},   {0x44, "d"},    {0x4D, "m"},    {0x55, "\xB5"},
      {0x53, "s"},    {0x49, "i"},    {0x4E, "n"},    {0x5F, ">"},    {0x00, " "},
      {0x41, " "},    {0x2F, " "},    {0x7D, " "},    {0xDF, " "}};
  for (const auto& [code, text] : cases) {
    EXPECT_EQ(InstrumentCodeToText(code), text) << int(code);
  }
}

TEST(TCharMappingTest, TextsGiveTheirCodesByTheFirstCharacterExactly) {
  const std::vector<std::pair<std::string, std::uint8_t>> cases = {
      {"\xB5", 0x55}, {"Ab", 0x61}, {"a", 0x20},  {"?", 0x20},    {"", 0x20}, {"\xC0", 0xE0},
      {"\xDF", 0xFF}, {"\xE0", 0x20}, {" ", 0x20}, {"\xB0", 0x2A}, {"Z", 0x7A}, {">", 0x5F},
      {"/", 0x20}};
  for (const auto& [text, code] : cases) {
    EXPECT_EQ(TextToInstrumentCode(text), code) << text;
  }
}

TEST(TCharMappingTest, TableHoldsEightySixUniqueCodesAndTextsThatMapBothWays) {
  std::set<std::uint8_t> codes;
  std::set<char> texts;
  for (const TCharMapping& entry : InstrumentCharTable()) {
    codes.insert(entry.Code);
    texts.insert(entry.Text);
    EXPECT_EQ(TextToInstrumentCode(std::string(1, entry.Text)), entry.Code);
    EXPECT_EQ(InstrumentCodeToText(entry.Code), std::string(1, entry.Text));
  }
  EXPECT_EQ(codes.size(), 86u);
  EXPECT_EQ(texts.size(), 86u);
  EXPECT_EQ(InstrumentCharTable()[0].Code, 0x30);
  EXPECT_EQ(InstrumentCharTable()[85].Code, 0x5F);
}

}  // namespace
}  // namespace velt
