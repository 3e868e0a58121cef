// The three string files and the lookup of an entry by number. A lookup
// gives what the file holds at that moment: the file is read afresh
// whenever it is not exactly the one read before, and the entries of an
// untouched file are answered from memory (the live picture asks for its
// texts many times a second).
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>

#include <ports/UserFeedback.h>

namespace velt {

enum class TStringFile : std::uint8_t { Captions, Errors, Values };

class TLocalStrings {
 public:
  explicit TLocalStrings(IUserFeedback& feedback) : Feedback(feedback) {}

  // Checks "captions.str", "errmsgs.str" and "txtvarvalues.str" in the given
  // folder, in that order, stopping at the first that fails. True when all
  // three passed; each file that passed gets its lookup path.
  bool LoadStringFiles(const std::filesystem::path& stringsFolder);

  // Entry N of a file, or the empty string (not loaded, N = 0, N beyond the
  // last entry, file gone). Throws EInOutError when the file exists but
  // cannot be opened, after telling the user.
  std::string Lookup(TStringFile file, std::uint16_t n) const;
  std::string Caption(std::uint16_t n) const { return Lookup(TStringFile::Captions, n); }
  std::string Error(std::uint16_t n) const { return Lookup(TStringFile::Errors, n); }
  std::string Value(std::uint16_t n) const { return Lookup(TStringFile::Values, n); }

  const std::filesystem::path& LookupPath(TStringFile file) const {
    return LookupPaths[static_cast<int>(file)];
  }

  static constexpr int kFileCount = 3;

 private:
  bool LoadOne(TStringFile file, const std::filesystem::path& folder);
  bool CheckVersionEntry(TStringFile file, std::uint16_t entry, int expected);
  void Complain(const char* text) const;
  std::string ReadEntry(const std::filesystem::path& path, std::uint16_t n) const;

  // Which file was read: device, inode, size, modification and change times.
  struct TFileStamp {
    std::uint64_t Device = 0;
    std::uint64_t Inode = 0;
    std::int64_t Size = -1;
    std::int64_t Modified = 0;
    std::int64_t ModifiedNs = 0;
    std::int64_t Changed = 0;
    std::int64_t ChangedNs = 0;
    bool operator==(const TFileStamp& other) const;
  };
  struct TKnownEntries {
    TFileStamp Stamp;
    std::map<std::uint16_t, std::string> Entries;
  };

  IUserFeedback& Feedback;
  std::filesystem::path LookupPaths[kFileCount];
  mutable TKnownEntries Known[kFileCount];
};

// The program-wide string files, used by code that shows text without being
// handed the lookup. Until the composition root installs one, every lookup
// yields the empty string.
void SetProgramStrings(const TLocalStrings* strings);
std::string CaptionString(std::uint16_t n);
std::string ErrorString(std::uint16_t n);
std::string ValueString(std::uint16_t n);

}  // namespace velt
