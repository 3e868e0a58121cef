// What the file readers' fuzz targets share: the input as a file (an
// in-memory file reached through /proc/self/fd), a scratch folder for the
// files the targets save, and the collection shape the first input bytes
// choose.
#pragma once

#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

namespace velt::fuzzing {

// A finding: libFuzzer reports the input that led here.
[[noreturn]] inline void Finding(const char* what) {
  std::fprintf(stderr, "finding: %s\n", what);
  std::abort();
}

class TScratch {
 public:
  TScratch() {
    Fd = ::memfd_create("velt-fuzz-input", MFD_CLOEXEC);
    if (Fd < 0) {
      Finding("memfd_create failed");
    }
    Input = "/proc/self/fd/" + std::to_string(Fd);
    // A memory file system when there is one: saves need no disk.
    const std::filesystem::path base =
        std::filesystem::is_directory("/dev/shm") ? "/dev/shm" : "/tmp";
    std::string pattern = (base / "velt-fuzz-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
      Finding("mkdtemp failed");
    }
    Folder = pattern;
  }
  ~TScratch() {
    std::error_code ignored;
    std::filesystem::remove_all(Folder, ignored);
    ::close(Fd);
  }
  TScratch(const TScratch&) = delete;
  TScratch& operator=(const TScratch&) = delete;

  // The input file, holding exactly these bytes.
  const std::filesystem::path& Write(const std::uint8_t* data, std::size_t size) {
    if (::ftruncate(Fd, 0) != 0) {
      Finding("ftruncate failed");
    }
    std::size_t done = 0;
    while (done < size) {
      const ssize_t n = ::pwrite(Fd, data + done, size - done, static_cast<off_t>(done));
      if (n <= 0) {
        Finding("pwrite failed");
      }
      done += static_cast<std::size_t>(n);
    }
    return Input;
  }

  std::filesystem::path Folder;

 private:
  int Fd = -1;
  std::filesystem::path Input;
};

inline TScratch& Scratch() {
  static TScratch scratch;
  return scratch;
}

// The collection held when the file is opened, from the first four input
// bytes: count 0 (nothing held) to 3, device type 1 or 2, and the versions.
struct TShape {
  std::uint16_t Count;
  std::uint8_t Device, Major, Minor, Local;
};
inline constexpr std::size_t kShapeBytes = 4;

inline TShape ShapeOf(const std::uint8_t* data) {
  return TShape{static_cast<std::uint16_t>(data[0] & 3),
                static_cast<std::uint8_t>(1 + ((data[0] >> 2) & 1)), data[1], data[2], data[3]};
}

}  // namespace velt::fuzzing
