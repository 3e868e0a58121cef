#include "DebugFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace conduit {

std::string DebugFilePath() {
  std::filesystem::path folder;
  const char* state = std::getenv("XDG_STATE_HOME");
  const char* home = std::getenv("HOME");
  if (state != nullptr && std::filesystem::path(state).is_absolute()) {
    folder = state;
  } else if (home != nullptr && *home != '\0') {
    folder = std::filesystem::path(home) / ".local" / "state";
  } else {
    return {};
  }
  return (folder / "velt-studio" / "usbdebug.txt").string();
}

TDebugFile::TDebugFile() {
  const std::filesystem::path path = DebugFilePath();
  if (path.empty()) {
    return;
  }
  std::error_code ec;
  std::filesystem::create_directories(path.parent_path(), ec);
  // Read and write access, others may read, writes straight to the disk.
  Descriptor = ::open(path.c_str(), O_RDWR | O_CREAT | O_SYNC | O_CLOEXEC, 0644);
}

TDebugFile::~TDebugFile() {
  if (Descriptor >= 0) {
    ::close(Descriptor);
  }
}

}  // namespace conduit
