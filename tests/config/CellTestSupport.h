// Helpers shared by the tests of the configuration classes: text record
// round trips, the lines of a record, the level a strobe percentage decodes
// to, and a seeded source of random field values.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include <config/BaseConfigObjectsUnit.h>
#include <config/TextRecordIO.h>

namespace velt {
namespace {

inline std::string Write(TBaseConfigCell& cell) {
  std::ostringstream s;
  TTextWriter out(s);
  cell.WriteText(out);
  return s.str();
}

inline void Read(TBaseConfigCell& cell, const std::string& text) {
  std::istringstream s(text);
  TTextReader in(s);
  EXPECT_EQ(cell.ReadText(in), 0);
}

inline std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find("\r\n", start);
    if (end == std::string::npos) {
      ADD_FAILURE() << "text does not end in CR LF";
      break;
    }
    lines.push_back(text.substr(start, end - start));
    start = end + 2;
  }
  return lines;
}

inline std::string Joined(const std::vector<std::string>& lines) {
  std::string text;
  for (const auto& line : lines) {
    text += line + "\r\n";
  }
  return text;
}

inline std::uint8_t DecodedLevel(std::uint8_t percent) {
  return static_cast<std::uint8_t>((100 - percent) * 180 / 100);
}
class TRandom {
 public:
  explicit TRandom(unsigned seed) : Engine(seed) {}
  int Int(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(Engine); }
  double Hundredths(int lo, int hi) { return Int(lo, hi) / 100.0; }
  double Tenths(int lo, int hi) { return Int(lo, hi) / 10.0; }

 private:
  std::mt19937 Engine;
};

}  // namespace
}  // namespace velt
