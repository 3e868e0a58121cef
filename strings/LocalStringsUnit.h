// The three string files and the lookup of an entry by number. Entries are
// read from the file afresh on every lookup; nothing is cached.
#pragma once

#include <cstdint>
#include <filesystem>
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

  IUserFeedback& Feedback;
  std::filesystem::path LookupPaths[kFileCount];
};

// The program-wide string files, used by code that shows text without being
// handed the lookup. Until the composition root installs one, every lookup
// yields the empty string.
void SetProgramStrings(const TLocalStrings* strings);
std::string CaptionString(std::uint16_t n);
std::string ErrorString(std::uint16_t n);
std::string ValueString(std::uint16_t n);

}  // namespace velt
