// The three string files the repository ships, and their copies beside the
// program in the build tree.
#include <strings/LocalStringsUnit.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include <support/RecordingFeedback.h>

#include "StringFilesTestSupport.h"

namespace {

namespace fs = std::filesystem;
using velt::TLocalStrings;
using velt::TStringFile;
using velt::stringstest::ReadBytes;

const fs::path kSourceFolder = fs::path(VELT_SOURCE_DIR) / "strings";
const fs::path kRuntimeFolder = fs::path(VELT_RUNTIME_DIR) / "strings";

struct TShippedFile {
  const char* Name;
  TStringFile File;
  int Lines;
};

void PrintTo(const TShippedFile& file, std::ostream* out) { *out << file.Name; }

const TShippedFile kShipped[] = {
    {"captions.str", TStringFile::Captions, 173},
    {"errmsgs.str", TStringFile::Errors, 36},
    {"txtvarvalues.str", TStringFile::Values, 161},
};

// Splits at CR LF. `wellEnded` is false when the file does not end in CR LF
// or holds a CR or LF that is not part of a CR LF pair.
std::vector<std::string> SplitCrLf(const std::string& bytes, bool& wellEnded) {
  std::vector<std::string> lines;
  wellEnded = true;
  std::size_t start = 0;
  while (start < bytes.size()) {
    const std::size_t end = bytes.find("\r\n", start);
    if (end == std::string::npos) {
      wellEnded = false;
      lines.push_back(bytes.substr(start));
      break;
    }
    lines.push_back(bytes.substr(start, end - start));
    if (lines.back().find_first_of("\r\n") != std::string::npos) {
      wellEnded = false;
    }
    start = end + 2;
  }
  return lines;
}

std::string ValueOf(const std::string& line) {
  const auto colon = line.find(':');
  return colon == std::string::npos ? line : line.substr(colon + 1);
}

class TShippedStringFileTest : public ::testing::TestWithParam<TShippedFile> {
 protected:
  void SetUp() override {
    Bytes = ReadBytes(kSourceFolder / GetParam().Name);
    ASSERT_FALSE(Bytes.empty()) << kSourceFolder / GetParam().Name;
    Lines = SplitCrLf(Bytes, WellEnded);
  }

  std::string Bytes;
  std::vector<std::string> Lines;
  bool WellEnded = false;
};

TEST_P(TShippedStringFileTest, HasTheRequiredLinesAllEndingInCrLf) {
  EXPECT_TRUE(WellEnded);
  EXPECT_EQ(static_cast<int>(Lines.size()), GetParam().Lines);
}

TEST_P(TShippedStringFileTest, LineAfterTheHeaderIsNumberedByPosition) {
  for (std::size_t n = 1; n < Lines.size(); ++n) {
    const std::string prefix = std::to_string(n) + ":";
    EXPECT_EQ(Lines[n].compare(0, prefix.size(), prefix), 0) << "line " << n + 1 << ": " << Lines[n];
  }
}

TEST_P(TShippedStringFileTest, VersionEntriesAreZeroAndOne) {
  ASSERT_GE(Lines.size(), 3u);
  EXPECT_EQ(ValueOf(Lines[1]), "0");
  EXPECT_EQ(ValueOf(Lines[2]), "1");
}

// Every entry past the version entries has a text, through the lookup.
TEST_P(TShippedStringFileTest, EveryEntryFromFourOnHasText) {
  velt::testing::TRecordingFeedback feedback;
  TLocalStrings strings(feedback);
  ASSERT_TRUE(strings.LoadStringFiles(kSourceFolder));
  for (int n = 4; n < GetParam().Lines; ++n) {
    const std::string text = strings.Lookup(GetParam().File, static_cast<std::uint16_t>(n));
    EXPECT_NE(text.find_first_not_of(' '), std::string::npos) << "entry " << n << ": '" << text << "'";
  }
  EXPECT_TRUE(feedback.Messages.empty());
}

// Printable ASCII and the Windows-1251 upper half, which defines every byte
// but 0x98; no control characters but the CR LF line ends.
TEST_P(TShippedStringFileTest, BytesAreWindows1251Text) {
  for (std::size_t i = 0; i < Bytes.size(); ++i) {
    const auto byte = static_cast<unsigned char>(Bytes[i]);
    const bool lineEnd = byte == '\r' || byte == '\n';
    const bool printableAscii = byte >= 0x20 && byte <= 0x7E;
    const bool upperHalf = byte >= 0x80 && byte != 0x98;
    EXPECT_TRUE(lineEnd || printableAscii || upperHalf)
        << "byte 0x" << std::hex << static_cast<int>(byte) << std::dec << " at offset " << i;
  }
}

TEST_P(TShippedStringFileTest, CopyBesideTheProgramIsIdentical) {
  const fs::path copy = kRuntimeFolder / GetParam().Name;
  ASSERT_TRUE(fs::exists(copy)) << copy;
  EXPECT_TRUE(ReadBytes(copy) == Bytes) << copy << " differs from " << kSourceFolder / GetParam().Name;
}

INSTANTIATE_TEST_SUITE_P(Files, TShippedStringFileTest, ::testing::ValuesIn(kShipped),
                         [](const ::testing::TestParamInfo<TShippedFile>& testParam) {
                           std::string name = testParam.param.Name;
                           return name.substr(0, name.find('.'));
                         });

class TShippedStringFolderTest : public ::testing::TestWithParam<fs::path> {};

TEST_P(TShippedStringFolderTest, LoadsWithoutMessage) {
  velt::testing::TRecordingFeedback feedback;
  TLocalStrings strings(feedback);
  EXPECT_TRUE(strings.LoadStringFiles(GetParam()));
  EXPECT_TRUE(feedback.Messages.empty());
  for (const TShippedFile& file : kShipped) {
    EXPECT_EQ(strings.LookupPath(file.File), GetParam() / file.Name);
  }
}

INSTANTIATE_TEST_SUITE_P(Folders, TShippedStringFolderTest,
                         ::testing::Values(kSourceFolder, kRuntimeFolder),
                         [](const ::testing::TestParamInfo<fs::path>& testParam) {
                           return std::string(testParam.index == 0 ? "Source" : "BesideProgram");
                         });

}  // namespace
