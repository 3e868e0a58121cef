#include <strings/LocalStringsUnit.h>

#include <sys/stat.h>

#include <charconv>
#include <ctime>
#include <system_error>

#include <ports/Errors.h>
#include <strings/TextLines.h>

namespace velt {
namespace {

constexpr const char* kCaption = "Language File Error";
constexpr const char* kCannotOpen = "Wrong language file! Reinstall language file! Error #12!";
constexpr const char* kWrongConversion = "Wrong conversion! Reinstall language file! Error #13!";

struct TFileRules {
  const char* Name;
  std::uint32_t Lines;
  const char* SizeMessage;
  const char* VersionMessage;
};

// The size message of the caption file has always read "rong caption.str";
// the texts are kept exactly as users and support know them.
constexpr TFileRules kRules[TLocalStrings::kFileCount] = {
    {"captions.str", 173, "rong caption.str file size! Reinstall language file! Error #12!",
     "Wrong caption.str file version! Reinstall language file! Error #14!"},
    {"errmsgs.str", 36, "Wrong errmsgs.str file size! Reinstall language file! Error #14!",
     "Wrong errmsgs.str file version! Reinstall language file! Error #14!"},
    {"txtvarvalues.str", 161,
     "Wrong txtvarvalues.str file size! Reinstall language file! Error #14!",
     "Wrong txtvarvalues.str file version! Reinstall language file! Error #14!"},
};

// The longest line a string file can hold: its entries are captions,
// messages and list values, the longest shipped one some 130 bytes. A file
// with a longer line is damaged and is read no further.
constexpr std::size_t kStringLineBytes = 4096;

bool FileExists(const std::filesystem::path& path) {
  std::error_code ec;
  return std::filesystem::exists(path, ec);
}

// Opens a string file for reading; a folder, a FIFO, a device or an
// unreadable file counts as "cannot be opened", and nothing waits.
bool OpenForReading(const std::filesystem::path& path, TInputFile& in) {
  std::string ignored;
  return in.Open(path, ignored);
}

// A decimal integer with an optional sign and nothing else around it.
bool ParseDecimal(const std::string& text, long long& value) {
  const char* first = text.data();
  const char* last = first + text.size();
  if (first != last && *first == '+') {
    ++first;
    if (first != last && (*first == '-' || *first == '+')) {
      return false;
    }
  }
  if (first == last) {
    return false;
  }
  const auto [end, ec] = std::from_chars(first, last, value);
  return ec == std::errc() && end == last;
}

const TLocalStrings* gProgramStrings = nullptr;

}  // namespace

void TLocalStrings::Complain(const char* text) const {
  Feedback.ShowMessage(kCaption, text, TMessageIcon::Error);
}

bool TLocalStrings::LoadStringFiles(const std::filesystem::path& stringsFolder) {
  for (int i = 0; i < kFileCount; ++i) {
    if (!LoadOne(static_cast<TStringFile>(i), stringsFolder)) {
      return false;
    }
  }
  return true;
}

bool TLocalStrings::LoadOne(TStringFile file, const std::filesystem::path& folder) {
  const TFileRules& rules = kRules[static_cast<int>(file)];
  const std::filesystem::path path = folder / rules.Name;
  if (!FileExists(path)) {
    return false;
  }
  TInputFile in;
  if (!OpenForReading(path, in)) {
    Complain(kCannotOpen);
    return false;
  }
  // Counted wide, and no further than one line past the required count: a
  // file long enough to wrap a 16-bit counter back to the required count
  // must not pass for a good one, and a huge one is not read to its end.
  std::uint32_t count = 0;
  TLineReader lines(in.Stream(), kStringLineBytes);
  std::string_view line;
  try {
    for (TLineRead read = lines.Next(line); read != TLineRead::End && count <= rules.Lines;
         read = lines.Next(line)) {
      ++count;
      if (read == TLineRead::TooLong) {
        Complain((std::string(rules.SizeMessage) + "\nLine " + std::to_string(count) +
                  " is longer than " + std::to_string(kStringLineBytes) + " bytes.")
                     .c_str());
        return false;
      }
    }
  } catch (const EInOutError&) {
    Complain(kCannotOpen);
    return false;
  }
  if (count != rules.Lines) {
    Complain(rules.SizeMessage);
    return false;
  }
  LookupPaths[static_cast<int>(file)] = path;
  Known[static_cast<int>(file)] = TKnownEntries{};
  return CheckVersionEntry(file, 1, 0) && CheckVersionEntry(file, 2, 1);
}

bool TLocalStrings::CheckVersionEntry(TStringFile file, std::uint16_t entry, int expected) {
  long long value = 0;
  if (!ParseDecimal(Lookup(file, entry), value) || value < 0 || value > 255) {
    Complain(kWrongConversion);
    return false;
  }
  if (value != expected) {
    Complain(kRules[static_cast<int>(file)].VersionMessage);
    return false;
  }
  return true;
}

bool TLocalStrings::TFileStamp::operator==(const TFileStamp& other) const = default;

std::string TLocalStrings::Lookup(TStringFile file, std::uint16_t n) const {
  const std::filesystem::path& path = LookupPath(file);
  if (path.empty()) {
    return {};
  }
  // A file that is still the one read before, untouched since (same file,
  // size, modification and change times: any write, replacement or change
  // of its permissions moves one of them), answers from what was read.
  TKnownEntries& known = Known[static_cast<int>(file)];
  struct stat status {};
  if (::stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode)) {
    const TFileStamp stamp{status.st_dev,
                           status.st_ino,
                           status.st_size,
                           status.st_mtim.tv_sec,
                           status.st_mtim.tv_nsec,
                           status.st_ctim.tv_sec,
                           status.st_ctim.tv_nsec};
    if (!(known.Stamp == stamp)) {
      known.Entries.clear();
      known.Stamp = stamp;
    }
    if (const auto it = known.Entries.find(n); it != known.Entries.end()) {
      return it->second;
    }
    std::string text = ReadEntry(path, n);
    // File times advance in coarse steps: a write just after one within the
    // same step could leave the stamp as it is. Only a file last changed a
    // good while before this reading is remembered.
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    if (now.tv_sec - status.st_ctim.tv_sec >= 2) {
      known.Entries.emplace(n, text);
    }
    return text;
  }
  known = TKnownEntries{};
  return ReadEntry(path, n);
}

std::string TLocalStrings::ReadEntry(const std::filesystem::path& path, std::uint16_t n) const {
  if (!FileExists(path)) {
    return {};
  }
  TInputFile in;
  if (!OpenForReading(path, in)) {
    Complain(kCannotOpen);
    throw EInOutError("cannot open " + path.string());
  }
  // A line too long ends the lookup as the end of the file would: the file
  // was damaged after it passed its check.
  TLineReader lines(in.Stream(), kStringLineBytes);
  std::string_view line;
  try {
    if (lines.Next(line) != TLineRead::Line) {  // the header line
      return {};
    }
    std::uint32_t counter = 1;
    while (counter < n && lines.Next(line) == TLineRead::Line) {
      ++counter;
    }
    if (n != 0 && counter == n && lines.Next(line) == TLineRead::Line) {
      return AfterFirstColon(line);
    }
  } catch (const EInOutError&) {
    Complain(kCannotOpen);
    throw;
  }
  return {};
}

void SetProgramStrings(const TLocalStrings* strings) { gProgramStrings = strings; }

std::string CaptionString(std::uint16_t n) {
  return gProgramStrings ? gProgramStrings->Caption(n) : std::string();
}

std::string ErrorString(std::uint16_t n) {
  return gProgramStrings ? gProgramStrings->Error(n) : std::string();
}

std::string ValueString(std::uint16_t n) {
  return gProgramStrings ? gProgramStrings->Value(n) : std::string();
}

}  // namespace velt
