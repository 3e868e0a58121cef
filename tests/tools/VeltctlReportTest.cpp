// veltctl report run as a program: the PDF it writes read back with
// poppler's pdftotext and pdfinfo (skipped with a message without them),
// the records each way of choosing them puts in, and the failures with
// their exit status and no PDF left behind.
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <regex>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include <config/ConfigObject5_01ver_Unit.h>
#include <records/RecordFilesUnit.h>

#include "support/PdfTools.h"
#include "tools/VeltctlRunSupport.h"

namespace velt {
namespace {

namespace fs = std::filesystem;

// The flaw numbers the appendix blocks of the PDF show, in page order.
std::vector<int> AppendixFlaws(const fs::path& pdf) {
  const std::string text = testing::CommandOutput("pdftotext -layout '" + pdf.string() + "' -");
  static const std::regex kBlock("Кадр №\\s+(\\d+)");
  std::vector<int> flaws;
  for (auto it = std::sregex_iterator(text.begin(), text.end(), kBlock);
       it != std::sregex_iterator(); ++it) {
    flaws.push_back(std::stoi((*it)[1]));
  }
  return flaws;
}

class VeltctlReportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!testing::PopplerPresent()) {
      GTEST_SKIP() << "pdftotext/pdfinfo (poppler-utils) are not installed";
    }
    // veltctl needs no display: it must choose the offscreen platform itself.
    ::unsetenv("QT_QPA_PLATFORM");
    ::unsetenv("DISPLAY");
    ::unsetenv("WAYLAND_DISPLAY");
    std::string pattern = (fs::temp_directory_path() / "veltctl-report-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    Folder = pattern;
    Records = (Folder / "day.dtf").string();
    Header = (Folder / "protocol.rct").string();
    Pdf = (Folder / "protocol.pdf").string();
    // Flaws 101, 102, 103 of a type-2 instrument; 102 is marked for printing.
    TFlawDataBlock block;
    block.Build(3, 5, 1, 1, 2);
    for (std::size_t i = 0; i < block.Records.size(); ++i) {
      TDataCell& record = *block.Records[i];
      record.FlawNumber = static_cast<std::uint16_t>(101 + i);
      record.PrintFlag = i == 1 ? 1 : 0;
      record.Configuration()->Initialise();
      record.Configuration()->SetDefaults(1);
    }
    const TFileResult saved = SaveRecordFile(block, Records);
    ASSERT_TRUE(saved.Ok) << saved.Error;
    std::string fields;
    for (int i = 1; i <= 36; ++i) {
      fields += "field" + std::to_string(i) + "\r\n";
    }
    WriteFile(Header, fields);
  }
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(Folder, ignored);
  }

  TRun Run(std::vector<std::string> arguments) const {
    for (std::string& argument : arguments) {
      argument = argument == "DTF" ? Records : argument == "RCT" ? Header
               : argument == "PDF" ? Pdf : argument;
    }
    return RunVeltctl(arguments, Folder);
  }

  fs::path Folder;
  std::string Records, Header, Pdf;
};

struct TChoiceCase {
  std::vector<std::string> Arguments;
  std::vector<int> Flaws;  // in the appendix, in this order
  bool Sheet;              // the protocol sheet comes first
};

TEST_F(VeltctlReportTest, WritesTheChosenRecordsAndSaysHowManyPages) {
  const std::vector<TChoiceCase> cases = {
      {{"--records", "103,101"}, {103, 101}, true},
      {{}, {102}, true},  // the marked ones
      {{"--marked"}, {102}, true},
      {{"--type", "2", "--records", "101,102,103"}, {101, 102, 103}, true},
      {{"--appendix-only", "--records", "102,103"}, {102, 103}, false},
  };
  for (const TChoiceCase& c : cases) {
    std::vector<std::string> arguments = {"report", "DTF", "--header", "RCT", "--out", "PDF"};
    arguments.insert(arguments.end(), c.Arguments.begin(), c.Arguments.end());
    SCOPED_TRACE(::testing::PrintToString(c.Arguments));
    fs::remove(Pdf);
    const TRun run = Run(arguments);
    ASSERT_EQ(run.Status, 0) << run.Err;
    const int pages = testing::PdfPages(Pdf);
    EXPECT_GT(pages, 0);
    EXPECT_EQ(run.Out, Pdf + ": " + std::to_string(pages) + (pages == 1 ? " page\n" : " pages\n"));
    EXPECT_EQ(AppendixFlaws(Pdf), c.Flaws);
    const std::string text = testing::CommandOutput("pdftotext '" + Pdf + "' -");
    EXPECT_EQ(text.find("field3") != std::string::npos, c.Sheet) << "the protocol number";
  }
}

// The protocol prints its numbers with the user's decimal separator, as
// the program does.
TEST_F(VeltctlReportTest, NumbersFollowTheUsersLocale) {
  if (std::setlocale(LC_NUMERIC, "ru_RU.UTF-8") == nullptr) {
    GTEST_SKIP() << "the locale ru_RU.UTF-8 is not installed (tools/setup.sh generates it)";
  }
  std::setlocale(LC_NUMERIC, "C");
  static const std::regex kPoint("\\d\\.\\d"), kComma("\\d,\\d");
  for (const auto& [locale, separator] : {std::pair{"C", '.'}, std::pair{"ru_RU.UTF-8", ','}}) {
    SCOPED_TRACE(locale);
    ::setenv("LC_ALL", locale, 1);
    const TRun run = Run({"report", "DTF", "--header", "RCT", "--out", "PDF", "--records", "101"});
    ::unsetenv("LC_ALL");
    ASSERT_EQ(run.Status, 0) << run.Err;
    const std::string text = testing::CommandOutput("pdftotext '" + Pdf + "' -");
    EXPECT_EQ(std::regex_search(text, kPoint), separator == '.');
    EXPECT_EQ(std::regex_search(text, kComma), separator == ',');
  }
}

struct TFailureCase {
  std::vector<std::string> Arguments;
  int Status;
  std::string Message;
};

TEST_F(VeltctlReportTest, FailuresSayWhyAndLeaveNoPdf) {
  const std::vector<TFailureCase> cases = {
      {{"report", "DTF", "--header", "missing.rct", "--out", "PDF"}, 1, "missing.rct"},
      {{"report", "missing.dtf", "--header", "RCT", "--out", "PDF"}, 1, "missing.dtf"},
      {{"report", "DTF", "--header", "RCT", "--out", "no-folder/p.pdf"}, 1, "no-folder"},
      {{"report", "DTF", "--header", "RCT", "--out", "PDF", "--records", "101,104"}, 2,
       "flaw 104 is not in"},
      {{"report", "DTF", "--header", "RCT", "--out", "PDF", "--records", "1x"}, 2, "not '1x'"},
      {{"report", "DTF", "--header", "RCT", "--out", "PDF", "--records", "101", "--marked"}, 2,
       "--records and --marked"},
      {{"report", "DTF", "--header", "RCT", "--out", "PDF", "--type", "3"}, 2,
       "must be 1 or 2, not '3'"},
      {{"report", "DTF", "--header", "RCT"}, 2, "--out PROTOCOL.pdf"},
      {{"report", "DTF", "--header", "RCT", "--out", "PDF", "--type"}, 2, "--type needs a value"},
  };
  for (const TFailureCase& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.Arguments));
    const TRun run = Run(c.Arguments);
    EXPECT_EQ(run.Status, c.Status);
    EXPECT_NE(run.Err.find(c.Message), std::string::npos) << run.Err;
    EXPECT_EQ(run.Out, "");
    std::vector<std::string> left;
    for (const auto& entry : fs::directory_iterator(Folder)) {
      left.push_back(entry.path().filename().string());
    }
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::string>{"day.dtf", "protocol.rct", "stderr.txt",
                                               "stdout.txt"}));
  }
}

}  // namespace
}  // namespace velt
