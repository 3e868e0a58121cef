// The practical limit of the record file's text form, measured in the same
// run as the program's own reader and writer: a reader that maps the file,
// splits it into lines, cuts each after its first colon and converts the
// rest with std::from_chars, and a writer that formats the same values with
// std::to_chars into one buffer and writes it at once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace velt::bench {

struct TMinimalReadResult {
  std::size_t Lines = 0;
  std::size_t Values = 0;  // lines whose text after the colon is an integer
  long long Sum = 0;       // of those values, so that nothing is left out
};

// Throws std::runtime_error when the file cannot be mapped.
TMinimalReadResult MinimalRead(const std::filesystem::path& path);

// A file's lines as the minimal writer produces them again: per line the
// text before its value (the key and colon, or the whole line when it has
// no integer value) and the value.
struct TLineShapes {
  std::vector<std::string> Prefixes;  // distinct texts
  std::vector<std::uint32_t> Lines;   // prefix index; kHasValue when a value follows
  std::vector<std::int32_t> Values;   // per line (0 when none)
  std::size_t Bytes = 0;              // of the whole file
  static constexpr std::uint32_t kHasValue = 0x80000000u;
};

TLineShapes ScanLineShapes(const std::filesystem::path& path);

// Formats every line into one buffer and writes it with one write call
// (fsync after it when `sync`); throws std::runtime_error on failure.
void MinimalWrite(const TLineShapes& shapes, const std::filesystem::path& path, bool sync);

}  // namespace velt::bench
