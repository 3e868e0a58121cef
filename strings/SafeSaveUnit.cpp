#include <strings/SafeSaveUnit.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstring>
#include <ctime>
#include <streambuf>
#include <system_error>
#include <vector>

namespace velt {
namespace {

namespace fs = std::filesystem;

// The longest file name the file systems we write to accept, and mkstemp's
// share of a temporary name.
constexpr std::size_t kNameMax = 255;
constexpr std::size_t kRandomPart = 6;
// How much of a long target name a shortened temporary name keeps.
constexpr std::size_t kKeptNameBytes = 200;

timespec Now() {
  timespec now{};
  ::clock_gettime(CLOCK_REALTIME, &now);
  return now;
}

// Taken as the program starts, before main, less a margin: a temporary file
// last written before this was left by an earlier run, never by a save of
// this one. File times come from a coarser clock than this one, so a file
// written just after the start may carry a time just before it; the
// margin keeps such a file, a concurrent save's, safe.
const timespec kProgramStart = [] {
  timespec start = Now();
  start.tv_sec -= 2;
  return start;
}();

bool Before(const timespec& a, const timespec& b) {
  return a.tv_sec < b.tv_sec || (a.tv_sec == b.tv_sec && a.tv_nsec < b.tv_nsec);
}

std::string Reason(int error) {
  return std::generic_category().message(error);
}

// ---- Temporary files a signal removes ---------------------------------------------------

// The paths of the saves in progress, in storage a signal handler may read:
// no allocation, lock-free flags. A slot is free, taken (its path being
// filled in) or armed.
enum : int { kFree = 0, kTaken = 1, kArmed = 2 };
struct TArmedSlot {
  std::atomic<int> State{kFree};
  char Path[PATH_MAX]{};
};
std::array<TArmedSlot, 8> gArmed;
static_assert(std::atomic<int>::is_always_lock_free);

void RemoveArmedAndEnd(int signal) {
  for (TArmedSlot& slot : gArmed) {
    if (slot.State.load() == kArmed) {
      ::unlink(slot.Path);
    }
  }
  // The handler was installed with SA_RESETHAND and SA_NODEFER: the default
  // action is back and strikes at once, so the program ends as the signal
  // would have ended it.
  ::raise(signal);
}

// Registers a temporary file with the signal handler for as long as it
// lives, and removes it at the end unless it was renamed into place. The
// signals are held off while the file is created and registered, so no
// signal can fall between the two.
class TTemporaryFile {
 public:
  explicit TTemporaryFile(std::string pattern) : Path(std::move(pattern)) {
    sigset_t held;
    sigemptyset(&held);
    for (const int s : {SIGINT, SIGTERM, SIGHUP}) {
      sigaddset(&held, s);
    }
    sigset_t previous;
    ::pthread_sigmask(SIG_BLOCK, &held, &previous);
    Fd = ::mkostemp(Path.data(), O_CLOEXEC);
    Error = Fd < 0 ? errno : 0;
    if (Fd >= 0 && Path.size() < PATH_MAX) {
      for (TArmedSlot& slot : gArmed) {
        int expected = kFree;
        if (slot.State.compare_exchange_strong(expected, kTaken)) {
          std::memcpy(slot.Path, Path.c_str(), Path.size() + 1);
          slot.State.store(kArmed);
          Slot = &slot;
          break;
        }
      }
    }
    ::pthread_sigmask(SIG_SETMASK, &previous, nullptr);
  }
  ~TTemporaryFile() {
    if (Fd >= 0) {
      ::close(Fd);
    }
    if (Error == 0 && !Renamed) {
      ::unlink(Path.c_str());
    }
    if (Slot != nullptr) {
      Slot->State.store(kFree);
    }
  }
  TTemporaryFile(const TTemporaryFile&) = delete;
  TTemporaryFile& operator=(const TTemporaryFile&) = delete;

  // Closes the file; the errno of a failed close, or 0.
  int Close() {
    const int fd = Fd;
    Fd = -1;
    return ::close(fd) == 0 ? 0 : errno;
  }
  // Renames the file over the target; the errno of a failed rename, or 0.
  int RenameTo(const fs::path& target) {
    if (::rename(Path.c_str(), target.c_str()) != 0) {
      return errno;
    }
    Renamed = true;
    return 0;
  }

  std::string Path;
  int Fd = -1;
  int Error = 0;  // why the file could not be created

 private:
  TArmedSlot* Slot = nullptr;
  bool Renamed = false;
};

// ---- Writing ------------------------------------------------------------------------------

// An output buffer over a file descriptor that keeps the system's reason for
// the first write that failed (a full disk, a size limit), which a file
// stream would lose.
class TDescriptorBuffer final : public std::streambuf {
 public:
  explicit TDescriptorBuffer(int fd) : Fd(fd), Storage(1 << 16) { Reset(); }
  int Error = 0;

 protected:
  int_type overflow(int_type c) override {
    if (!Drain()) {
      return traits_type::eof();
    }
    if (!traits_type::eq_int_type(c, traits_type::eof())) {
      *pptr() = traits_type::to_char_type(c);
      pbump(1);
    }
    return traits_type::not_eof(c);
  }
  int sync() override { return Drain() ? 0 : -1; }

 private:
  void Reset() { setp(Storage.data(), Storage.data() + Storage.size()); }
  bool Drain() {
    const char* at = pbase();
    auto left = static_cast<std::size_t>(pptr() - pbase());
    Reset();
    while (left > 0 && Error == 0) {
      const ssize_t n = ::write(Fd, at, left);
      if (n < 0) {
        if (errno != EINTR) {
          Error = errno;
        }
        continue;
      }
      at += n;
      left -= static_cast<std::size_t>(n);
    }
    return Error == 0;
  }

  int Fd;
  std::vector<char> Storage;
};

bool IsRandomPart(std::string_view text) {
  if (text.size() != kRandomPart) {
    return false;
  }
  for (const char c : text) {
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'))) {
      return false;
    }
  }
  return true;
}

// Removes the temporary files of this target that an earlier run left: only
// our own regular files, and only those last written before this program
// started, so another program's save in progress is never touched.
void RemoveStaleTemporaryFiles(const fs::path& folder, const std::string& prefix) {
  std::error_code ec;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    if (name.size() != prefix.size() + kRandomPart || name.compare(0, prefix.size(), prefix) != 0 ||
        !IsRandomPart(std::string_view(name).substr(prefix.size()))) {
      continue;
    }
    struct stat file {};
    if (::lstat(it->path().c_str(), &file) == 0 && S_ISREG(file.st_mode) &&
        file.st_uid == ::geteuid() && Before(file.st_mtim, kProgramStart)) {
      ::unlink(it->path().c_str());
    }
  }
}

// The leading bytes of a name, cut before a UTF-8 character that would not
// fit whole.
std::string Head(const std::string& name, std::size_t bytes) {
  if (name.size() <= bytes) {
    return name;
  }
  std::size_t start = bytes;
  while (start > 0 && (static_cast<unsigned char>(name[start]) & 0xC0) == 0x80) {
    --start;
  }
  return name.substr(0, start);
}

std::string Hash(const std::string& text) {
  std::uint64_t hash = 14695981039346656037ULL;  // FNV-1a
  for (const char c : text) {
    hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ULL;
  }
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string hex(16, '0');
  for (int i = 15; i >= 0; --i, hash >>= 4) {
    hex[static_cast<std::size_t>(i)] = kDigits[hash & 0xF];
  }
  return hex;
}

}  // namespace

std::string TemporaryNamePrefix(const std::string& targetName) {
  if (1 + targetName.size() + 1 + kRandomPart <= kNameMax) {
    return "." + targetName + ".";
  }
  return "." + Head(targetName, kKeptNameBytes) + "~" + Hash(targetName) + ".";
}

std::string SaveFileSafely(const fs::path& target, const std::function<void(std::ostream&)>& write,
                           const std::string& what) {
  const auto failure = [&](const char* verb, int error) {
    return std::string("cannot ") + verb + " " + what + target.string() + ": " + Reason(error);
  };
  const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
  const std::string prefix = TemporaryNamePrefix(target.filename().string());
  RemoveStaleTemporaryFiles(folder, prefix);

  TTemporaryFile temporary((folder / (prefix + "XXXXXX")).string());
  if (temporary.Fd < 0) {
    return failure("write", temporary.Error);
  }
  // The saved file gets the mode of the file it replaces, or the usual one
  // rather than the private mode of a temporary file.
  struct stat existing {};
  if (::stat(target.c_str(), &existing) == 0) {
    ::fchmod(temporary.Fd, existing.st_mode & 07777);
  } else {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(temporary.Fd, 0666 & ~mask);
  }

  TDescriptorBuffer buffer(temporary.Fd);
  std::ostream out(&buffer);
  try {
    write(out);
    out.flush();
  } catch (const std::exception& e) {
    // A writer that gives up because its stream failed says less than the
    // system does.
    if (buffer.Error == 0) {
      return e.what();
    }
  }
  if (buffer.Error != 0) {
    return failure("write", buffer.Error);
  }
  if (!out) {
    return failure("write", EIO);
  }
  if (::fsync(temporary.Fd) != 0) {
    return failure("write", errno);
  }
  if (const int error = temporary.Close(); error != 0) {
    return failure("write", error);
  }
  if (const int error = temporary.RenameTo(target); error != 0) {
    return failure("replace", error);
  }
  return {};
}

void RemoveTemporaryFilesOnSignals() {
  for (const int s : {SIGINT, SIGTERM, SIGHUP}) {
    struct sigaction current {};
    if (::sigaction(s, nullptr, &current) != 0 || (current.sa_flags & SA_SIGINFO) != 0 ||
        current.sa_handler != SIG_DFL) {
      continue;  // ignored, or handled by someone else: left as it is
    }
    struct sigaction action {};
    action.sa_handler = RemoveArmedAndEnd;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESETHAND | SA_NODEFER;
    ::sigaction(s, &action, nullptr);
  }
  struct sigaction sizeLimit {};
  if (::sigaction(SIGXFSZ, nullptr, &sizeLimit) == 0 && (sizeLimit.sa_flags & SA_SIGINFO) == 0 &&
      sizeLimit.sa_handler == SIG_DFL) {
    sizeLimit.sa_handler = SIG_IGN;
    ::sigaction(SIGXFSZ, &sizeLimit, nullptr);
  }
}

}  // namespace velt
