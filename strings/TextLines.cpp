#include <strings/TextLines.h>

namespace velt {

bool ReadTextLine(std::istream& in, std::string& line) {
  if (!std::getline(in, line)) {
    return false;
  }
  if (!line.empty() && line.back() == '\r') {
    line.pop_back();
  }
  return true;
}

std::string AfterFirstColon(const std::string& line) {
  const auto colon = line.find(':');
  return colon == std::string::npos ? line : line.substr(colon + 1);
}

}  // namespace velt
