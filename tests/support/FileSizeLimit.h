// Write errors that strike while a file is being written: while a limit is
// in force, every write past that many bytes fails, as on a full disk.
#pragma once

#include <sys/resource.h>

#include <csignal>

namespace velt::testing {

class TFileSizeLimit {
 public:
  explicit TFileSizeLimit(rlim_t bytes) {
    ::getrlimit(RLIMIT_FSIZE, &Old);
    OldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit = Old;
    limit.rlim_cur = bytes;
    Ok = ::setrlimit(RLIMIT_FSIZE, &limit) == 0;
  }
  ~TFileSizeLimit() {
    ::setrlimit(RLIMIT_FSIZE, &Old);
    std::signal(SIGXFSZ, OldHandler);
  }
  TFileSizeLimit(const TFileSizeLimit&) = delete;
  TFileSizeLimit& operator=(const TFileSizeLimit&) = delete;
  bool Ok = false;

 private:
  rlimit Old{};
  void (*OldHandler)(int) = nullptr;
};

}  // namespace velt::testing
