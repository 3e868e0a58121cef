// Where the string files and the report folders are taken from: beside the
// program (portable) or the installed layout.
#include <strings/RunTimeFoldersUnit.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <optional>
#include <ostream>
#include <string>

#include "StringFilesTestSupport.h"

namespace {

namespace fs = std::filesystem;
using velt::ResolveRunTimeFolders;
using velt::TEnvironment;
using velt::stringstest::MakeScratchFolder;
using velt::stringstest::RemoveScratchFolder;
using velt::stringstest::WriteBytes;

TEnvironment EnvironmentOf(std::map<std::string, std::string> variables) {
  return [variables = std::move(variables)](const char* name) {
    const auto found = variables.find(name);
    return found == variables.end() ? std::string() : found->second;
  };
}

class TRunTimeFoldersTest : public ::testing::Test {
 protected:
  void SetUp() override { Root = MakeScratchFolder("folders"); }
  void TearDown() override { RemoveScratchFolder(Root); }

  // <root>/<folder>/velt-studio, the program file itself present.
  fs::path MakeProgram(const fs::path& folder) {
    fs::create_directories(Root / folder);
    const fs::path program = Root / folder / "velt-studio";
    EXPECT_TRUE(WriteBytes(program, "program"));
    return program;
  }

  fs::path Root;
};

TEST_F(TRunTimeFoldersTest, StringsFolderBesideTheProgramMeansPortable) {
  const fs::path program = MakeProgram("unpacked");
  fs::create_directory(Root / "unpacked" / "strings");
  // Installed-layout folders exist too; the folder beside the program wins.
  fs::create_directories(Root / "share" / "velt-studio" / "strings");

  const auto folders = ResolveRunTimeFolders(
      program, EnvironmentOf({{"XDG_DATA_HOME", "/xdg/data"}, {"HOME", "/home/inspector"}}));

  EXPECT_TRUE(folders.Portable);
  EXPECT_EQ(folders.ProgramFolder, Root / "unpacked");
  EXPECT_EQ(folders.Strings, Root / "unpacked" / "strings");
  EXPECT_EQ(folders.Data, Root / "unpacked");
}

TEST_F(TRunTimeFoldersTest, FileNamedStringsBesideTheProgramIsNotAFolder) {
  const fs::path program = MakeProgram("prefix/bin");
  ASSERT_TRUE(WriteBytes(Root / "prefix" / "bin" / "strings", "not a folder"));

  const auto folders =
      ResolveRunTimeFolders(program, EnvironmentOf({{"HOME", "/home/inspector"}}));

  EXPECT_FALSE(folders.Portable);
  EXPECT_EQ(folders.Strings, Root / "prefix" / "share" / "velt-studio" / "strings");
}

struct TInstalledCase {
  const char* Name;
  std::optional<std::string> DataHome;  // XDG_DATA_HOME, unset when empty optional
  std::string Home;
  fs::path ExpectedData;
};

void PrintTo(const TInstalledCase& installed, std::ostream* out) { *out << installed.Name; }

class TRunTimeFoldersInstalledTest : public TRunTimeFoldersTest,
                             public ::testing::WithParamInterface<TInstalledCase> {};

TEST_P(TRunTimeFoldersInstalledTest, StringsUnderThePrefixAndDataUnderTheUserDataHome) {
  const fs::path program = MakeProgram("prefix/bin");
  std::map<std::string, std::string> variables{{"HOME", GetParam().Home}};
  if (GetParam().DataHome) {
    variables["XDG_DATA_HOME"] = *GetParam().DataHome;
  }

  const auto folders = ResolveRunTimeFolders(program, EnvironmentOf(variables));

  EXPECT_FALSE(folders.Portable);
  EXPECT_EQ(folders.ProgramFolder, Root / "prefix" / "bin");
  EXPECT_EQ(folders.Strings, Root / "prefix" / "share" / "velt-studio" / "strings");
  EXPECT_EQ(folders.Data.lexically_normal(), GetParam().ExpectedData);
}

INSTANTIATE_TEST_SUITE_P(
    Environments, TRunTimeFoldersInstalledTest,
    ::testing::Values(
        TInstalledCase{"DataHomeSet", "/xdg/data", "/home/inspector", "/xdg/data/velt-studio"},
        TInstalledCase{"DataHomeTrailingSlash", "/xdg/data/", "/home/inspector",
                       "/xdg/data/velt-studio"},
        TInstalledCase{"DataHomeUnset", std::nullopt, "/home/inspector",
                       "/home/inspector/.local/share/velt-studio"},
        TInstalledCase{"DataHomeEmpty", "", "/home/inspector",
                       "/home/inspector/.local/share/velt-studio"},
        TInstalledCase{"DataHomeRelative", "relative/data", "/home/inspector",
                       "/home/inspector/.local/share/velt-studio"},
        TInstalledCase{"DataHomeDotRelative", "./data", "/home/other",
                       "/home/other/.local/share/velt-studio"}),
    [](const ::testing::TestParamInfo<TInstalledCase>& testParam) {
      return std::string(testParam.param.Name);
    });

TEST(TRunTimeFoldersProgramFileTest, IsThisTestProgram) {
  const fs::path program = velt::CurrentProgramFile();
  EXPECT_TRUE(program.is_absolute()) << program;
  EXPECT_TRUE(fs::is_regular_file(program)) << program;
  EXPECT_EQ(program.filename(), "RunTimeFoldersUnitTest");
}

}  // namespace
