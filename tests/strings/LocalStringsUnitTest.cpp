// The loader and the lookup of the three string files, run against files
// written into a scratch folder for each test.
#include <strings/LocalStringsUnit.h>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <future>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include <ports/Errors.h>
#include <support/RecordingFeedback.h>

#include "StringFilesTestSupport.h"

namespace {

namespace fs = std::filesystem;
using velt::TLocalStrings;
using velt::TMessageIcon;
using velt::TStringFile;
using velt::stringstest::MakeScratchFolder;
using velt::stringstest::RemoveScratchFolder;
using velt::stringstest::WriteBytes;

constexpr const char* kCaption = "Language File Error";
constexpr const char* kCannotOpen = "Wrong language file! Reinstall language file! Error #12!";
constexpr const char* kWrongConversion = "Wrong conversion! Reinstall language file! Error #13!";

struct TFileFacts {
  TStringFile File;
  const char* Name;
  int Lines;  // header line plus entries
  const char* SizeMessage;
  const char* VersionMessage;
  const char* Tag;  // word that makes the generated entries of each file distinct
};

const std::array<TFileFacts, 3> kFiles = {{
    {TStringFile::Captions, "captions.str", 173,
     "rong caption.str file size! Reinstall language file! Error #12!",
     "Wrong caption.str file version! Reinstall language file! Error #14!", "caption"},
    {TStringFile::Errors, "errmsgs.str", 36,
     "Wrong errmsgs.str file size! Reinstall language file! Error #14!",
     "Wrong errmsgs.str file version! Reinstall language file! Error #14!", "error"},
    {TStringFile::Values, "txtvarvalues.str", 161,
     "Wrong txtvarvalues.str file size! Reinstall language file! Error #14!",
     "Wrong txtvarvalues.str file version! Reinstall language file! Error #14!", "value"},
}};

std::string EntryText(const TFileFacts& facts, int n) {
  return std::string(facts.Tag) + " entry " + std::to_string(n);
}

// A file of the given number of lines: a header, the version entries 0 and 1,
// then "N:<tag> entry N".
std::vector<std::string> GoodLines(const TFileFacts& facts, int lineCount) {
  std::vector<std::string> lines;
  for (int i = 0; i < lineCount; ++i) {
    if (i == 0) {
      lines.push_back(std::string("Velt Studio 3 - ") + facts.Tag + " strings");
    } else if (i == 1) {
      lines.push_back("1:0");
    } else if (i == 2) {
      lines.push_back("2:1");
    } else {
      lines.push_back(std::to_string(i) + ":" + EntryText(facts, i));
    }
  }
  return lines;
}

std::string Join(const std::vector<std::string>& lines, const std::string& lineEnd = "\r\n",
                 bool endLastLine = true) {
  std::string text;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    text += lines[i];
    if (i + 1 < lines.size() || endLastLine) {
      text += lineEnd;
    }
  }
  return text;
}

std::string FileLabel(int index) { return kFiles[static_cast<std::size_t>(index)].Tag; }

class TLocalStringsTest : public ::testing::Test {
 protected:
  void SetUp() override { Folder = MakeScratchFolder("strings"); }
  void TearDown() override {
    velt::SetProgramStrings(nullptr);
    RemoveScratchFolder(Folder);
  }

  fs::path PathOf(const TFileFacts& facts) const { return Folder / facts.Name; }

  void WriteFile(const TFileFacts& facts, const std::string& bytes) {
    ASSERT_TRUE(WriteBytes(PathOf(facts), bytes)) << PathOf(facts);
  }
  void WriteLines(const TFileFacts& facts, const std::vector<std::string>& lines,
                  const std::string& lineEnd = "\r\n", bool endLastLine = true) {
    WriteFile(facts, Join(lines, lineEnd, endLastLine));
  }
  void WriteGood(const TFileFacts& facts) { WriteLines(facts, GoodLines(facts, facts.Lines)); }
  void WriteAllGood() {
    for (const TFileFacts& facts : kFiles) {
      WriteGood(facts);
    }
  }
  // Right size, but version entry 1 reads 7: examining it records its lookup
  // path and shows its version message, which makes a loader that goes on
  // past a failure visible.
  void WriteVersionBad(const TFileFacts& facts) {
    std::vector<std::string> lines = GoodLines(facts, facts.Lines);
    lines[1] = "1:7";
    WriteLines(facts, lines);
  }
  // Files before `index` good, files after it version-bad; the file at
  // `index` is left to the test.
  void SurroundFailingFile(int index) {
    for (int i = 0; i < static_cast<int>(kFiles.size()); ++i) {
      if (i < index) {
        WriteGood(kFiles[static_cast<std::size_t>(i)]);
      } else if (i > index) {
        WriteVersionBad(kFiles[static_cast<std::size_t>(i)]);
      }
    }
  }

  bool Load() { return Strings.LoadStringFiles(Folder); }

  void ExpectSingleMessage(const std::string& text) const {
    ASSERT_EQ(Feedback.Messages.size(), 1u);
    EXPECT_EQ(Feedback.Messages[0].Caption, kCaption);
    EXPECT_EQ(Feedback.Messages[0].Text, text);
    EXPECT_EQ(Feedback.Messages[0].Icon, TMessageIcon::Error);
  }

  // Files before `index` have their lookup path and answer lookups; the
  // others have none and answer with the empty string.
  void ExpectLoadedUpTo(int index) const {
    for (int i = 0; i < static_cast<int>(kFiles.size()); ++i) {
      const TFileFacts& facts = kFiles[static_cast<std::size_t>(i)];
      SCOPED_TRACE(facts.Name);
      if (i < index) {
        EXPECT_EQ(Strings.LookupPath(facts.File), PathOf(facts));
        EXPECT_EQ(Strings.Lookup(facts.File, 4), EntryText(facts, 4));
      } else {
        EXPECT_TRUE(Strings.LookupPath(facts.File).empty()) << Strings.LookupPath(facts.File);
        EXPECT_EQ(Strings.Lookup(facts.File, 4), "");
      }
    }
  }

  velt::testing::TRecordingFeedback Feedback;
  TLocalStrings Strings{Feedback};
  fs::path Folder;
};

// ---------------------------------------------------------------- loading

TEST_F(TLocalStringsTest, ThreeGoodFilesLoadWithoutMessage) {
  WriteAllGood();
  EXPECT_TRUE(Load());
  EXPECT_TRUE(Feedback.Messages.empty());
  ExpectLoadedUpTo(3);
}

struct TSizeCase {
  int FileIndex;
  int Lines;
};

void PrintTo(const TSizeCase& size, std::ostream* out) {
  *out << kFiles[static_cast<std::size_t>(size.FileIndex)].Name << " of " << size.Lines << " lines";
}

class TLocalStringsSizeTest : public TLocalStringsTest, public ::testing::WithParamInterface<TSizeCase> {};

TEST_P(TLocalStringsSizeTest, FailsWithTheFileSizeMessage) {
  const TFileFacts& facts = kFiles[static_cast<std::size_t>(GetParam().FileIndex)];
  SurroundFailingFile(GetParam().FileIndex);
  WriteLines(facts, GoodLines(facts, GetParam().Lines));

  EXPECT_FALSE(Load());
  ExpectSingleMessage(facts.SizeMessage);
  ExpectLoadedUpTo(GetParam().FileIndex);
}

std::vector<TSizeCase> WrongSizes() {
  std::vector<TSizeCase> cases;
  for (int i = 0; i < static_cast<int>(kFiles.size()); ++i) {
    const int required = kFiles[static_cast<std::size_t>(i)].Lines;
    for (int lines : {0, 1, 3, required - 1, required + 1, 2 * required}) {
      cases.push_back({i, lines});
    }
  }
  return cases;
}

INSTANTIATE_TEST_SUITE_P(LineCounts, TLocalStringsSizeTest, ::testing::ValuesIn(WrongSizes()),
                         [](const ::testing::TestParamInfo<TSizeCase>& testParam) {
                           return FileLabel(testParam.param.FileIndex) + "_" +
                                  std::to_string(testParam.param.Lines) + "_lines";
                         });

class TLocalStringsFileTest : public TLocalStringsTest, public ::testing::WithParamInterface<int> {
 protected:
  const TFileFacts& Facts() const { return kFiles[static_cast<std::size_t>(GetParam())]; }
};

auto FileNameOfParam = [](const ::testing::TestParamInfo<int>& testParam) {
  return FileLabel(testParam.param);
};

// 65536 lines more than required: the count modulo 65536 is the required
// one, so a counter that wraps at 16 bits would take it for a good file.
TEST_P(TLocalStringsFileTest, FileLongerBy65536LinesFailsWithTheSizeMessage) {
  SurroundFailingFile(GetParam());
  WriteLines(Facts(), GoodLines(Facts(), Facts().Lines + 65536));

  EXPECT_FALSE(Load());
  ExpectSingleMessage(Facts().SizeMessage);
  ExpectLoadedUpTo(GetParam());
}

TEST_P(TLocalStringsFileTest, MissingFileFailsSilentlyAndLaterFilesAreNotLoaded) {
  // Every other file is good: a loader that skipped the missing one and went
  // on would give the later files lookup paths.
  for (const TFileFacts& facts : kFiles) {
    if (&facts != &Facts()) {
      WriteGood(facts);
    }
  }

  EXPECT_FALSE(Load());
  EXPECT_TRUE(Feedback.Messages.empty());
  ExpectLoadedUpTo(GetParam());
}

TEST_P(TLocalStringsFileTest, MissingFileStopsBeforeBadLaterFiles) {
  SurroundFailingFile(GetParam());

  EXPECT_FALSE(Load());
  EXPECT_TRUE(Feedback.Messages.empty());
  ExpectLoadedUpTo(GetParam());
}

TEST_P(TLocalStringsFileTest, FileThatCannotBeOpenedFailsWithError12) {
  SurroundFailingFile(GetParam());
  ASSERT_TRUE(fs::create_directory(PathOf(Facts())));

  EXPECT_FALSE(Load());
  ExpectSingleMessage(kCannotOpen);
  ExpectLoadedUpTo(GetParam());
}

TEST_P(TLocalStringsFileTest, FifoFailsWithError12WithoutWaiting) {
  SurroundFailingFile(GetParam());
  ASSERT_EQ(::mkfifo(PathOf(Facts()).c_str(), 0600), 0);
  auto loading = std::async(std::launch::async, [this] { return Load(); });
  if (loading.wait_for(std::chrono::seconds(5)) != std::future_status::ready) {
    ADD_FAILURE() << "loading waits for a writer";
    ::close(::open(PathOf(Facts()).c_str(), O_WRONLY | O_NONBLOCK));  // ends the wait
  }
  EXPECT_FALSE(loading.get());
  ExpectSingleMessage(kCannotOpen);
  ExpectLoadedUpTo(GetParam());
}

// A line longer than any entry can be is damage: the loader says so and
// reads no further; a lookup stops there as at the file's end.
TEST_P(TLocalStringsFileTest, ALineLongerThanAnyEntryFailsWithTheSizeMessageAndItsLine) {
  SurroundFailingFile(GetParam());
  std::vector<std::string> lines = GoodLines(Facts(), Facts().Lines);
  lines[5] = "5:" + std::string(5000, 'w');
  WriteLines(Facts(), lines);
  EXPECT_FALSE(Load());
  ExpectSingleMessage(std::string(Facts().SizeMessage) + "\nLine 6 is longer than 4096 bytes.");
  ExpectLoadedUpTo(GetParam());

  WriteAllGood();
  Feedback.Messages.clear();
  ASSERT_TRUE(Load());
  WriteLines(Facts(), lines);
  EXPECT_EQ(Strings.Lookup(Facts().File, 4), EntryText(Facts(), 4));
  EXPECT_EQ(Strings.Lookup(Facts().File, 5), "");
  EXPECT_EQ(Strings.Lookup(Facts().File, 6), "");
}

INSTANTIATE_TEST_SUITE_P(Files, TLocalStringsFileTest, ::testing::Values(0, 1, 2), FileNameOfParam);

struct TLayoutCase {
  const char* Name;
  const char* LineEnd;
  bool EndLastLine;
};

void PrintTo(const TLayoutCase& layout, std::ostream* out) { *out << layout.Name; }

class TLocalStringsLineEndTest : public TLocalStringsTest,
                     public ::testing::WithParamInterface<std::tuple<int, TLayoutCase>> {};

// The required number of lines passes however the lines end; a last line
// without a line end still counts, and no CR is left on the entries.
TEST_P(TLocalStringsLineEndTest, RequiredLineCountPassesAndEntriesHaveNoLineEnd) {
  const TFileFacts& facts = kFiles[static_cast<std::size_t>(std::get<0>(GetParam()))];
  const TLayoutCase& layout = std::get<1>(GetParam());
  WriteAllGood();
  WriteLines(facts, GoodLines(facts, facts.Lines), layout.LineEnd, layout.EndLastLine);

  EXPECT_TRUE(Load());
  EXPECT_TRUE(Feedback.Messages.empty());
  EXPECT_EQ(Strings.LookupPath(facts.File), PathOf(facts));
  const int last = facts.Lines - 1;
  EXPECT_EQ(Strings.Lookup(facts.File, 3), EntryText(facts, 3));
  EXPECT_EQ(Strings.Lookup(facts.File, static_cast<std::uint16_t>(last)), EntryText(facts, last));
  EXPECT_EQ(Strings.Lookup(facts.File, static_cast<std::uint16_t>(last + 1)), "");
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, TLocalStringsLineEndTest,
    ::testing::Combine(::testing::Values(0, 1, 2),
                       ::testing::Values(TLayoutCase{"CrLf", "\r\n", true},
                                         TLayoutCase{"CrLfLastLineOpen", "\r\n", false},
                                         TLayoutCase{"Lf", "\n", true},
                                         TLayoutCase{"LfLastLineOpen", "\n", false})),
    [](const ::testing::TestParamInfo<std::tuple<int, TLayoutCase>>& testParam) {
      return FileLabel(std::get<0>(testParam.param)) + "_" + std::get<1>(testParam.param).Name;
    });

class TLocalStringsEmptyEntryTest : public TLocalStringsTest,
                          public ::testing::WithParamInterface<std::tuple<int, bool>> {};

TEST_P(TLocalStringsEmptyEntryTest, RequiredLineCountWithEmptyEntriesPasses) {
  const TFileFacts& facts = kFiles[static_cast<std::size_t>(std::get<0>(GetParam()))];
  const bool keepNumbers = std::get<1>(GetParam());
  WriteAllGood();
  std::vector<std::string> lines = GoodLines(facts, facts.Lines);
  for (std::size_t n = 3; n < lines.size(); ++n) {
    lines[n] = keepNumbers ? std::to_string(n) + ":" : std::string();
  }
  WriteLines(facts, lines);

  EXPECT_TRUE(Load());
  EXPECT_TRUE(Feedback.Messages.empty());
  for (int n = 3; n < facts.Lines; ++n) {
    EXPECT_EQ(Strings.Lookup(facts.File, static_cast<std::uint16_t>(n)), "") << "entry " << n;
  }
}

INSTANTIATE_TEST_SUITE_P(Files, TLocalStringsEmptyEntryTest,
                         ::testing::Combine(::testing::Values(0, 1, 2), ::testing::Bool()),
                         [](const ::testing::TestParamInfo<std::tuple<int, bool>>& testParam) {
                           return FileLabel(std::get<0>(testParam.param)) +
                                  (std::get<1>(testParam.param) ? "_NumberAndColon" : "_BlankLines");
                         });

enum class TVersionFault { Conversion, Version };

struct TVersionCase {
  const char* Name;
  int Entry;         // 1 or 2
  const char* Line;  // the whole line of that entry
  TVersionFault Fault;
};

void PrintTo(const TVersionCase& version, std::ostream* out) {
  *out << "entry " << version.Entry << " line '" << version.Line << "'";
}

const TVersionCase kVersionCases[] = {
    {"First256", 1, "1:256", TVersionFault::Conversion},
    {"FirstMinus1", 1, "1:-1", TVersionFault::Conversion},
    {"FirstLetters", 1, "1:abc", TVersionFault::Conversion},
    {"FirstEmpty", 1, "1:", TVersionFault::Conversion},
    {"FirstBlankLine", 1, "", TVersionFault::Conversion},
    {"FirstHex", 1, "1:0x0", TVersionFault::Conversion},
    {"FirstFraction", 1, "1:0.0", TVersionFault::Conversion},
    {"FirstTrailingLetter", 1, "1:0a", TVersionFault::Conversion},
    {"FirstAfterSecondColon", 1, "1:0:0", TVersionFault::Conversion},
    {"First2", 1, "1:2", TVersionFault::Version},
    {"First1", 1, "1:1", TVersionFault::Version},
    {"First255", 1, "1:255", TVersionFault::Version},
    {"Second256", 2, "2:256", TVersionFault::Conversion},
    {"SecondMinus1", 2, "2:-1", TVersionFault::Conversion},
    {"SecondLetters", 2, "2:abc", TVersionFault::Conversion},
    {"SecondEmpty", 2, "2:", TVersionFault::Conversion},
    {"Second0", 2, "2:0", TVersionFault::Version},
    {"Second2", 2, "2:2", TVersionFault::Version},
};

class TLocalStringsVersionTest : public TLocalStringsTest,
                          public ::testing::WithParamInterface<std::tuple<int, TVersionCase>> {};

TEST_P(TLocalStringsVersionTest, FailsWithItsMessage) {
  const int index = std::get<0>(GetParam());
  const TFileFacts& facts = kFiles[static_cast<std::size_t>(index)];
  const TVersionCase& version = std::get<1>(GetParam());
  SurroundFailingFile(index);
  std::vector<std::string> lines = GoodLines(facts, facts.Lines);
  lines[static_cast<std::size_t>(version.Entry)] = version.Line;
  WriteLines(facts, lines);

  EXPECT_FALSE(Load());
  ExpectSingleMessage(version.Fault == TVersionFault::Conversion ? kWrongConversion
                                                                  : facts.VersionMessage);
  // The path is recorded before the version entries are read through it.
  EXPECT_EQ(Strings.LookupPath(facts.File), PathOf(facts));
  for (int i = index + 1; i < static_cast<int>(kFiles.size()); ++i) {
    EXPECT_TRUE(Strings.LookupPath(kFiles[static_cast<std::size_t>(i)].File).empty());
  }
}

INSTANTIATE_TEST_SUITE_P(
    Entries, TLocalStringsVersionTest,
    ::testing::Combine(::testing::Values(0, 1, 2), ::testing::ValuesIn(kVersionCases)),
    [](const ::testing::TestParamInfo<std::tuple<int, TVersionCase>>& testParam) {
      return FileLabel(std::get<0>(testParam.param)) + "_" + std::get<1>(testParam.param).Name;
    });

// The version entries are found by position and read after the first colon
// like any other entry.
TEST_F(TLocalStringsTest, VersionEntriesAreReadLikeAnyEntry) {
  const std::array<std::array<const char*, 2>, 4> variants = {{
      {"1:0", "2:1"},
      {"9:0", "8:1"},  // the number before the colon is not interpreted
      {"0", "1"},      // no colon: the whole line
      {":0", ":1"},
  }};
  for (const auto& variant : variants) {
    SCOPED_TRACE(std::string(variant[0]) + " / " + variant[1]);
    for (const TFileFacts& facts : kFiles) {
      std::vector<std::string> lines = GoodLines(facts, facts.Lines);
      lines[1] = variant[0];
      lines[2] = variant[1];
      WriteLines(facts, lines);
    }
    velt::testing::TRecordingFeedback feedback;
    TLocalStrings strings(feedback);
    EXPECT_TRUE(strings.LoadStringFiles(Folder));
    EXPECT_TRUE(feedback.Messages.empty());
  }
}

TEST_F(TLocalStringsTest, FirstFailureStopsLoading) {
  // Bad errmsgs.str: txtvarvalues.str, also bad, must not be examined.
  WriteGood(kFiles[0]);
  WriteLines(kFiles[1], GoodLines(kFiles[1], 35));
  WriteLines(kFiles[2], GoodLines(kFiles[2], 160));

  EXPECT_FALSE(Load());
  ExpectSingleMessage(kFiles[1].SizeMessage);
  ExpectLoadedUpTo(1);
}

TEST_F(TLocalStringsTest, FolderWithoutStringFilesFailsSilently) {
  EXPECT_FALSE(Load());
  EXPECT_TRUE(Feedback.Messages.empty());
  ExpectLoadedUpTo(0);

  EXPECT_FALSE(Strings.LoadStringFiles(Folder / "no-such-folder"));
  EXPECT_TRUE(Feedback.Messages.empty());
}

// ----------------------------------------------------------------- lookup

struct TLookupCase {
  const char* Name;
  std::uint16_t N;
  const char* Line;      // line N+1 as written; nullptr keeps the generated one
  const char* Expected;
};

void PrintTo(const TLookupCase& lookup, std::ostream* out) { *out << "entry " << lookup.N; }

const TLookupCase kCaptionLookups[] = {
    {"ColonsInText", 3, "3:text:with:colons", "text:with:colons"},
    {"NoColon", 4, "no colon at all", "no colon at all"},
    {"EndsAfterColon", 5, "5:", ""},
    {"Windows1251", 6, "6:\xCF\xF0\xE8\xE5\xEC", "\xCF\xF0\xE8\xE5\xEC"},
    {"NumberNotInterpreted", 7, "99:seven", "seven"},
    {"LeadingZeros", 8, "008:eight", "eight"},
    {"ColonFirst", 9, ":nine", "nine"},
    {"SpacesKept", 10, "10:  padded text  ", "  padded text  "},
    {"OnlyColons", 11, ":::", "::"},
    {"HighBytes", 12, "12:\x80\x81\xA0\xA8\xB8\xB9\xC0\xDF\xE0\xFF", "\x80\x81\xA0\xA8\xB8\xB9\xC0\xDF\xE0\xFF"},
    {"NoColonWindows1251", 13, "\xC0\xC1\xC2", "\xC0\xC1\xC2"},
    {"Generated", 100, nullptr, "caption entry 100"},
    {"LastEntry", 172, nullptr, "caption entry 172"},
    {"Zero", 0, nullptr, ""},
    {"BeyondLast", 173, nullptr, ""},
    {"FarBeyondLast", 1000, nullptr, ""},
    {"Largest", 65535, nullptr, ""},
};

class TLocalStringsLookupTest : public TLocalStringsTest,
                           public ::testing::WithParamInterface<TLookupCase> {
 protected:
  void SetUp() override {
    TLocalStringsTest::SetUp();
    WriteAllGood();
    std::vector<std::string> lines = GoodLines(kFiles[0], kFiles[0].Lines);
    for (const TLookupCase& lookup : kCaptionLookups) {
      if (lookup.Line != nullptr) {
        lines[lookup.N] = lookup.Line;
      }
    }
    WriteLines(kFiles[0], lines);
    ASSERT_TRUE(Load());
  }
};

TEST_P(TLocalStringsLookupTest, YieldsTheEntryText) {
  EXPECT_EQ(Strings.Caption(GetParam().N), GetParam().Expected);
  EXPECT_TRUE(Feedback.Messages.empty());
}

INSTANTIATE_TEST_SUITE_P(Entries, TLocalStringsLookupTest, ::testing::ValuesIn(kCaptionLookups),
                         [](const ::testing::TestParamInfo<TLookupCase>& testParam) {
                           return std::string(testParam.param.Name);
                         });

// Entry 0, the last entry, the entry just past it and the largest number,
// through each file's own lookup.
TEST_P(TLocalStringsFileTest, LookupBoundaries) {
  WriteAllGood();
  ASSERT_TRUE(Load());
  const int last = Facts().Lines - 1;
  const auto lookup = [&](int n) {
    const auto number = static_cast<std::uint16_t>(n);
    switch (Facts().File) {
      case TStringFile::Captions:
        return Strings.Caption(number);
      case TStringFile::Errors:
        return Strings.Error(number);
      case TStringFile::Values:
        return Strings.Value(number);
    }
    return std::string("unknown file");
  };
  EXPECT_EQ(lookup(0), "");
  EXPECT_EQ(lookup(1), "0");
  EXPECT_EQ(lookup(2), "1");
  EXPECT_EQ(lookup(4), EntryText(Facts(), 4));
  EXPECT_EQ(lookup(last), EntryText(Facts(), last));
  EXPECT_EQ(lookup(last + 1), "");
  EXPECT_EQ(lookup(65535), "");
  EXPECT_TRUE(Feedback.Messages.empty());
}

TEST_F(TLocalStringsTest, LookupBeforeLoadingYieldsEmptyText) {
  WriteAllGood();
  for (const TFileFacts& facts : kFiles) {
    SCOPED_TRACE(facts.Name);
    for (int n : {0, 1, 2, 3, 4, facts.Lines - 1}) {
      EXPECT_EQ(Strings.Lookup(facts.File, static_cast<std::uint16_t>(n)), "") << "entry " << n;
    }
  }
  EXPECT_TRUE(Feedback.Messages.empty());
}

TEST_F(TLocalStringsTest, LookupReadsTheFileAfresh) {
  WriteAllGood();
  ASSERT_TRUE(Load());
  ASSERT_EQ(Strings.Caption(10), EntryText(kFiles[0], 10));

  std::vector<std::string> lines = GoodLines(kFiles[0], kFiles[0].Lines);
  lines[10] = "10:changed after start";
  WriteLines(kFiles[0], lines);
  EXPECT_EQ(Strings.Caption(10), "changed after start");

  // Shortened after start: entries past the new end are gone.
  WriteLines(kFiles[0], GoodLines(kFiles[0], 20));
  EXPECT_EQ(Strings.Caption(19), EntryText(kFiles[0], 19));
  EXPECT_EQ(Strings.Caption(20), "");
  EXPECT_EQ(Strings.Caption(100), "");
  EXPECT_TRUE(Feedback.Messages.empty());
}

TEST_P(TLocalStringsFileTest, FileRemovedAfterLoadingYieldsEmptyText) {
  WriteAllGood();
  ASSERT_TRUE(Load());
  ASSERT_TRUE(fs::remove(PathOf(Facts())));

  EXPECT_EQ(Strings.Lookup(Facts().File, 4), "");
  EXPECT_EQ(Strings.Lookup(Facts().File, 1), "");
  EXPECT_TRUE(Feedback.Messages.empty());
  for (const TFileFacts& other : kFiles) {
    if (&other != &Facts()) {
      EXPECT_EQ(Strings.Lookup(other.File, 4), EntryText(other, 4)) << other.Name;
    }
  }
}

TEST_P(TLocalStringsFileTest, FileThatCannotBeOpenedAtLookupTellsTheUserAndThrows) {
  WriteAllGood();
  ASSERT_TRUE(Load());
  ASSERT_TRUE(fs::remove(PathOf(Facts())));
  ASSERT_TRUE(fs::create_directory(PathOf(Facts())));

  EXPECT_THROW(Strings.Lookup(Facts().File, 4), velt::EInOutError);
  ExpectSingleMessage(kCannotOpen);
}

// ----------------------------------------------------- program-wide lookup

TEST_F(TLocalStringsTest, ProgramWideLookupsAreEmptyUntilInstalled) {
  WriteAllGood();
  ASSERT_TRUE(Load());
  velt::SetProgramStrings(nullptr);
  EXPECT_EQ(velt::CaptionString(4), "");
  EXPECT_EQ(velt::ErrorString(4), "");
  EXPECT_EQ(velt::ValueString(4), "");
}

TEST_F(TLocalStringsTest, ProgramWideLookupsUseTheInstalledStrings) {
  WriteAllGood();
  ASSERT_TRUE(Load());
  velt::SetProgramStrings(&Strings);

  for (int n : {4, 20, 35}) {
    EXPECT_EQ(velt::CaptionString(static_cast<std::uint16_t>(n)), EntryText(kFiles[0], n));
    EXPECT_EQ(velt::ErrorString(static_cast<std::uint16_t>(n)), EntryText(kFiles[1], n));
    EXPECT_EQ(velt::ValueString(static_cast<std::uint16_t>(n)), EntryText(kFiles[2], n));
  }
  EXPECT_EQ(velt::CaptionString(0), "");
  EXPECT_EQ(velt::ErrorString(36), "");
  EXPECT_EQ(velt::ValueString(161), "");

  velt::SetProgramStrings(nullptr);
  EXPECT_EQ(velt::CaptionString(4), "");
  EXPECT_EQ(velt::ErrorString(4), "");
  EXPECT_EQ(velt::ValueString(4), "");
}

TEST_F(TLocalStringsTest, ProgramWideLookupsBeforeLoadingAreEmpty) {
  WriteAllGood();
  velt::SetProgramStrings(&Strings);
  EXPECT_EQ(velt::CaptionString(4), "");
  EXPECT_EQ(velt::ErrorString(4), "");
  EXPECT_EQ(velt::ValueString(4), "");
}

}  // namespace

namespace {

// Files untouched for a while are answered from memory; every way of
// changing one afterwards shows at the next lookup, even when size and
// modification time are put back as they were.
TEST_F(TLocalStringsTest, AnUntouchedFileIsRememberedAndAnyChangeReadAfresh) {
  WriteAllGood();
  ASSERT_TRUE(Load());
  std::this_thread::sleep_for(std::chrono::milliseconds(2100));
  for (const TFileFacts& facts : kFiles) {
    ASSERT_EQ(Strings.Lookup(facts.File, 10), EntryText(facts, 10)) << facts.Name;
  }
  const auto sameSizeAndTime = [this](const TFileFacts& facts, bool replace) {
    struct stat before {};
    ::stat(PathOf(facts).c_str(), &before);
    std::vector<std::string> lines = GoodLines(facts, facts.Lines);
    std::string& line = lines[10];
    line.back() = 'X';  // same length
    const fs::path target = replace ? fs::path(PathOf(facts).string() + ".new") : PathOf(facts);
    WriteLines(facts, lines);
    if (replace) {
      fs::rename(PathOf(facts), target);
      WriteGood(facts);  // a new file in between, then the changed one moved over it
      fs::rename(target, PathOf(facts));
    }
    const timespec times[2] = {before.st_atim, before.st_mtim};
    ::utimensat(AT_FDCWD, PathOf(facts).c_str(), times, 0);
    struct stat after {};
    ::stat(PathOf(facts).c_str(), &after);
    EXPECT_EQ(after.st_size, before.st_size);
    return line.substr(line.find(':') + 1);
  };
  const std::string rewritten = sameSizeAndTime(kFiles[0], false);
  const std::string replaced = sameSizeAndTime(kFiles[1], true);
  ASSERT_TRUE(fs::remove(PathOf(kFiles[2])));

  EXPECT_EQ(Strings.Lookup(kFiles[0].File, 10), rewritten);
  EXPECT_EQ(Strings.Lookup(kFiles[1].File, 10), replaced);
  EXPECT_EQ(Strings.Lookup(kFiles[2].File, 10), "");
  ASSERT_TRUE(fs::create_directory(PathOf(kFiles[2])));
  EXPECT_THROW(Strings.Lookup(kFiles[2].File, 10), velt::EInOutError);
}

}  // namespace
