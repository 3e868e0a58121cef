#include "MinimalTextIO.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstring>
#include <limits>
#include <memory>
#include <stdexcept>
#include <string_view>
#include <unordered_map>

namespace velt::bench {
namespace {

class TMappedFile {
 public:
  explicit TMappedFile(const std::filesystem::path& path) {
    Descriptor = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat info {};
    if (Descriptor < 0 || ::fstat(Descriptor, &info) != 0) {
      throw std::runtime_error("cannot open " + path.string() + ": " + std::strerror(errno));
    }
    Size = static_cast<std::size_t>(info.st_size);
    if (Size > 0) {
      void* base = ::mmap(nullptr, Size, PROT_READ, MAP_PRIVATE, Descriptor, 0);
      if (base == MAP_FAILED) {
        throw std::runtime_error("cannot map " + path.string() + ": " + std::strerror(errno));
      }
      ::madvise(base, Size, MADV_SEQUENTIAL);
      Base = static_cast<const char*>(base);
    }
  }
  ~TMappedFile() {
    if (Base != nullptr) {
      ::munmap(const_cast<char*>(Base), Size);
    }
    if (Descriptor >= 0) {
      ::close(Descriptor);
    }
  }
  TMappedFile(const TMappedFile&) = delete;
  TMappedFile& operator=(const TMappedFile&) = delete;

  const char* Begin() const { return Base; }
  const char* End() const { return Base + Size; }
  std::size_t Bytes() const { return Size; }

 private:
  int Descriptor = -1;
  const char* Base = nullptr;
  std::size_t Size = 0;
};

// Calls f(line without its line end) for every line.
template <typename F>
void ForEachLine(const TMappedFile& file, F&& f) {
  const char* p = file.Begin();
  const char* end = file.End();
  while (p < end) {
    const auto* eol =
        static_cast<const char*>(std::memchr(p, '\n', static_cast<std::size_t>(end - p)));
    const char* next = eol != nullptr ? eol + 1 : end;
    const char* lineEnd = eol != nullptr ? eol : end;
    if (lineEnd > p && lineEnd[-1] == '\r') {
      --lineEnd;
    }
    f(std::string_view(p, static_cast<std::size_t>(lineEnd - p)));
    p = next;
  }
}

std::size_t ValueStart(std::string_view line) {
  const std::size_t colon = line.find(':');
  return colon == std::string_view::npos ? 0 : colon + 1;
}

}  // namespace

TMinimalReadResult MinimalRead(const std::filesystem::path& path) {
  const TMappedFile file(path);
  TMinimalReadResult result;
  ForEachLine(file, [&result](std::string_view line) {
    ++result.Lines;
    const std::string_view text = line.substr(ValueStart(line));
    long long value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec == std::errc() && end == text.data() + text.size()) {
      ++result.Values;
      result.Sum += value;
    }
  });
  return result;
}

TLineShapes ScanLineShapes(const std::filesystem::path& path) {
  const TMappedFile file(path);
  TLineShapes shapes;
  shapes.Bytes = file.Bytes();
  std::unordered_map<std::string, std::uint32_t> index;
  const auto prefixId = [&](std::string_view text) {
    const auto [it, added] =
        index.emplace(std::string(text), static_cast<std::uint32_t>(shapes.Prefixes.size()));
    if (added) {
      shapes.Prefixes.emplace_back(text);
    }
    return it->second;
  };
  ForEachLine(file, [&](std::string_view line) {
    const std::size_t start = ValueStart(line);
    const std::string_view text = line.substr(start);
    std::int32_t value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    // Only the plain form the program writes: no "+", no leading zeros.
    char check[16];
    const auto written = std::to_chars(check, check + sizeof check, value);
    const bool plain =
        ec == std::errc() && end == text.data() + text.size() &&
        std::string_view(check, static_cast<std::size_t>(written.ptr - check)) == text;
    if (plain) {
      shapes.Lines.push_back(prefixId(line.substr(0, start)) | TLineShapes::kHasValue);
      shapes.Values.push_back(value);
    } else {
      shapes.Lines.push_back(prefixId(line));
      shapes.Values.push_back(0);
    }
  });
  return shapes;
}

void MinimalWrite(const TLineShapes& shapes, const std::filesystem::path& path, bool sync) {
  // The exact size plus room for one number more than the file had.
  const std::size_t capacity = shapes.Bytes + 16;
  std::unique_ptr<char[]> buffer(new char[capacity]);
  char* out = buffer.get();
  char* const limit = buffer.get() + capacity;
  for (std::size_t i = 0; i < shapes.Lines.size(); ++i) {
    const std::uint32_t line = shapes.Lines[i];
    const std::string& prefix = shapes.Prefixes[line & ~TLineShapes::kHasValue];
    if (static_cast<std::size_t>(limit - out) < prefix.size() + 16) {
      throw std::runtime_error("the line shapes do not match their size");
    }
    std::memcpy(out, prefix.data(), prefix.size());
    out += prefix.size();
    if ((line & TLineShapes::kHasValue) != 0) {
      out = std::to_chars(out, limit, shapes.Values[i]).ptr;
    }
    *out++ = '\r';
    *out++ = '\n';
  }
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) {
    throw std::runtime_error("cannot write " + path.string() + ": " + std::strerror(errno));
  }
  const char* p = buffer.get();
  while (p < out) {
    const ssize_t n = ::write(fd, p, static_cast<std::size_t>(out - p));
    if (n <= 0) {
      ::close(fd);
      throw std::runtime_error("cannot write " + path.string() + ": " + std::strerror(errno));
    }
    p += n;
  }
  if (sync && ::fsync(fd) != 0) {
    ::close(fd);
    throw std::runtime_error("cannot sync " + path.string());
  }
  ::close(fd);
}

}  // namespace velt::bench
