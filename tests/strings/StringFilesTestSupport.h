// Shared helpers of the string-file tests: a scratch folder that removes
// itself, and byte-exact file reading and writing.
#pragma once

#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <system_error>

namespace velt::stringstest {

// A fresh, empty folder under the system's temporary directory.
inline std::filesystem::path MakeScratchFolder(const std::string& purpose) {
  static std::atomic<unsigned> counter{0};
  std::random_device random;
  for (;;) {
    const std::filesystem::path candidate =
        std::filesystem::temp_directory_path() /
        ("velt-" + purpose + "-" + std::to_string(getpid()) + "-" + std::to_string(counter++) +
         "-" + std::to_string(random()));
    std::error_code ec;
    if (std::filesystem::create_directory(candidate, ec)) {
      return candidate;
    }
  }
}

inline void RemoveScratchFolder(const std::filesystem::path& folder) {
  if (folder.empty()) {
    return;
  }
  std::error_code ec;
  std::filesystem::remove_all(folder, ec);
}

inline bool WriteBytes(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  return !out.fail();
}

inline std::string ReadBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace velt::stringstest
