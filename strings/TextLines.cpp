#include <strings/TextLines.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <streambuf>
#include <vector>

#include <ports/Errors.h>

namespace velt {
namespace {

// The get area of any stream buffer, through the protected members every
// buffer has: a line is found by scanning the buffered bytes, and exactly
// its characters and line end are consumed, as std::getline would. A record
// file has some 21 million short lines; std::getline costs more per line (a
// sentry, a string, several calls) than the line's few bytes do.
struct TGetArea : std::streambuf {
  static char* Next(std::streambuf& buffer) { return (buffer.*&TGetArea::gptr)(); }
  static char* End(std::streambuf& buffer) { return (buffer.*&TGetArea::egptr)(); }
  static void Advance(std::streambuf& buffer, int n) { (buffer.*&TGetArea::gbump)(n); }
};

}  // namespace

// ---- Input file --------------------------------------------------------------

// Reads the file descriptor in blocks; no putback, no writing.
class TInputFile::TBuffer : public std::streambuf {
 public:
  explicit TBuffer(int fd) : Fd(fd), Data(kBlock) {}
  ~TBuffer() override { ::close(Fd); }
  TBuffer(const TBuffer&) = delete;
  TBuffer& operator=(const TBuffer&) = delete;

  void Rewind() {
    if (::lseek(Fd, 0, SEEK_SET) < 0) {
      throw EInOutError(std::string("cannot read the file again: ") + std::strerror(errno));
    }
    setg(Data.data(), Data.data(), Data.data());
  }

 protected:
  int_type underflow() override {
    if (gptr() < egptr()) {
      return traits_type::to_int_type(*gptr());
    }
    for (;;) {
      const ssize_t n = ::read(Fd, Data.data(), Data.size());
      if (n > 0) {
        setg(Data.data(), Data.data(), Data.data() + n);
        return traits_type::to_int_type(*gptr());
      }
      if (n == 0) {
        return traits_type::eof();
      }
      if (errno != EINTR) {
        throw EInOutError(std::string("cannot read the file: ") + std::strerror(errno));
      }
    }
  }

 private:
  static constexpr std::size_t kBlock = 64 * 1024;
  int Fd;
  std::vector<char> Data;
};

TInputFile::TInputFile() : In(nullptr) {}

TInputFile::~TInputFile() = default;

bool TInputFile::Open(const std::filesystem::path& path, std::string& error) {
  In.rdbuf(nullptr);
  Buffer.reset();
  Bytes = 0;
  const auto refuse = [&error](mode_t mode) {
    error = S_ISDIR(mode) ? "is a folder, not a file" : "is not a regular file";
    return false;
  };
  // Looked at before it is opened: opening a device can do something of its
  // own (a serial port raises its lines).
  struct stat status {};
  if (::stat(path.c_str(), &status) != 0) {
    error = std::strerror(errno);
    return false;
  }
  if (!S_ISREG(status.st_mode)) {
    return refuse(status.st_mode);
  }
  // O_NONBLOCK: should the name have become a FIFO meanwhile, opening it
  // for reading would otherwise wait for a writer. Regular files ignore the
  // flag when they are read; what was opened is looked at again.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (fd < 0) {
    error = std::strerror(errno);
    return false;
  }
  if (::fstat(fd, &status) != 0) {
    error = std::strerror(errno);
    ::close(fd);
    return false;
  }
  if (!S_ISREG(status.st_mode)) {
    ::close(fd);
    return refuse(status.st_mode);
  }
  const int flags = ::fcntl(fd, F_GETFL);
  if (flags >= 0) {
    ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
  }
  Bytes = static_cast<std::uint64_t>(status.st_size);
  Buffer = std::make_unique<TBuffer>(fd);
  In.rdbuf(Buffer.get());  // also clears the stream's state
  return true;
}

bool TInputFile::IsOpen() const { return Buffer != nullptr; }

void TInputFile::Rewind() {
  if (Buffer) {
    Buffer->Rewind();
    In.clear();
  }
}

// ---- Line reader ---------------------------------------------------------------

TLineRead TLineReader::Next(std::string_view& line) {
  line = {};
  std::streambuf* buffer = In.rdbuf();
  if (!In.good() || buffer == nullptr) {
    In.setstate(std::ios::failbit);
    return TLineRead::End;
  }
  // A line, its CR and its LF: no more than this is ever looked at.
  const std::size_t room = Max < SIZE_MAX - 2 ? Max + 2 : Max;
  char* const next = TGetArea::Next(*buffer);
  const std::ptrdiff_t inBuffer =
      next == nullptr ? 0 : std::min<std::ptrdiff_t>(TGetArea::End(*buffer) - next, INT_MAX - 1);
  const std::size_t scanned = std::min(static_cast<std::size_t>(std::max<std::ptrdiff_t>(inBuffer, 0)), room);
  // Lines are short: a plain scan finds the line end sooner than memchr.
  const char* const end = next + scanned;
  const char* p = next;
  while (p != end && *p != '\n') {
    ++p;
  }
  if (p == end && scanned < room) {
    return NextSlowly(line);  // the line goes on past the buffered bytes
  }
  if (p == end) {
    line = std::string_view(next, Max);
    return TLineRead::TooLong;
  }
  // The bytes stay in the buffer until its next refill.
  line = std::string_view(next, static_cast<std::size_t>(p - next));
  TGetArea::Advance(*buffer, static_cast<int>(p - next + 1));
  Ended = true;
  if (!line.empty() && line.back() == '\r') {
    line.remove_suffix(1);
  }
  if (line.size() > Max) {
    line = line.substr(0, Max);
    return TLineRead::TooLong;
  }
  return TLineRead::Line;
}

// The next line through the buffer's refills, into Current: the buffered
// bytes are taken a block at a time, never more than the line may hold.
TLineRead TLineReader::NextSlowly(std::string_view& line) {
  using Traits = std::istream::traits_type;
  std::streambuf* buffer = In.rdbuf();
  const std::size_t room = Max < SIZE_MAX - 1 ? Max + 1 : Max;  // a line and its CR
  Current.clear();
  bool taken = false;  // any character consumed
  Ended = false;
  for (;;) {
    if (Current.size() > room) {
      line = std::string_view(Current).substr(0, Max);
      return TLineRead::TooLong;
    }
    char* next = TGetArea::Next(*buffer);
    char* end = TGetArea::End(*buffer);
    if (next == end) {
      const Traits::int_type c = buffer->sgetc();  // refills the get area
      if (Traits::eq_int_type(c, Traits::eof())) {
        In.setstate(taken ? std::ios::eofbit : std::ios::eofbit | std::ios::failbit);
        if (!taken) {
          return TLineRead::End;
        }
        break;
      }
      next = TGetArea::Next(*buffer);
      end = TGetArea::End(*buffer);
      if (next == end) {
        // A buffer without a get area: one character at a time.
        buffer->sbumpc();
        taken = true;
        if (Traits::to_char_type(c) == '\n') {
          Ended = true;
          break;
        }
        Current.push_back(Traits::to_char_type(c));
        continue;
      }
    }
    const std::size_t wanted = room + 1 - Current.size();  // one byte more tells a long line
    const auto available = static_cast<std::size_t>(
        std::min<std::ptrdiff_t>(end - next, static_cast<std::ptrdiff_t>(std::min<std::size_t>(wanted, INT_MAX - 1))));
    const auto* lineEnd = static_cast<const char*>(std::memchr(next, '\n', available));
    const std::size_t length =
        lineEnd != nullptr ? static_cast<std::size_t>(lineEnd - next) : available;
    Current.append(next, length);
    TGetArea::Advance(*buffer, static_cast<int>(lineEnd != nullptr ? length + 1 : length));
    taken = true;
    if (lineEnd != nullptr) {
      Ended = true;
      break;
    }
  }
  line = Current;
  if (!line.empty() && line.back() == '\r') {
    line.remove_suffix(1);
  }
  if (line.size() > Max) {
    line = line.substr(0, Max);
    return TLineRead::TooLong;
  }
  return TLineRead::Line;
}

// ---- Texts -------------------------------------------------------------------------

std::string AfterFirstColon(std::string_view line) {
  const auto colon = line.find(':');
  return std::string(colon == std::string_view::npos ? line : line.substr(colon + 1));
}

std::string QuotedLine(std::string_view text, std::size_t length) {
  const bool cut = text.size() > length;
  if (cut) {
    text = text.substr(0, length);
  }
  std::string quoted = "\"";
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F) {
      static constexpr char kHex[] = "0123456789abcdef";
      quoted += "\\x";
      quoted += kHex[byte >> 4];
      quoted += kHex[byte & 15];
    } else if (c == '\\') {
      quoted += "\\\\";
    } else {
      quoted += c;
    }
  }
  return quoted + (cut ? "...\"" : "\"");
}

bool IsBlankLine(std::string_view line) {
  return std::all_of(line.begin(), line.end(), [](char c) { return c == ' ' || c == '\t'; });
}

}  // namespace velt
