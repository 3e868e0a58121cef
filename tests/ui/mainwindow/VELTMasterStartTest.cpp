// The program as a user starts it, without a display: string files,
// Conduit with the simulated instrument, the device panel of the status
// bar; and the two failures at start (no library, no string files).
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <string>

#include <strings/LocalStringsUnit.h>
#include <ui/widgets/Cp1251.h>

#include "support/RecordingFeedback.h"

namespace velt {
namespace {

namespace fs = std::filesystem;

std::string RunCommand(const std::string& command) {
  std::string output;
  FILE* pipe = popen((command + " 2>/dev/null").c_str(), "r");
  if (pipe == nullptr) {
    return output;
  }
  std::array<char, 512> chunk{};
  while (std::fgets(chunk.data(), chunk.size(), pipe) != nullptr) {
    output += chunk.data();
  }
  pclose(pipe);
  return output;
}

class VELTMasterStartTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(Strings.LoadStringFiles(VELT_SOURCE_DIR "/strings"));
    Folder = fs::temp_directory_path() / ("veltmaster-start-" + std::to_string(::getpid()));
    fs::create_directories(Folder);
  }
  void TearDown() override { fs::remove_all(Folder); }

  std::string Utf8(const std::string& cp1251) const {
    return FromCp1251(cp1251).toUtf8().toStdString();
  }
  std::string Start(const std::string& program, const std::string& simulator) const {
    return RunCommand("env QT_QPA_PLATFORM=offscreen XDG_STATE_HOME=" + Folder.string() +
               " XDG_RUNTIME_DIR=" + Folder.string() + " CONDUIT_SIMULATOR='" + simulator +
               "' timeout 60 " + program + " --print-state");
  }
  // A copy of the program in a folder of its own, with or without strings.
  std::string CopyProgram(bool withStrings) const {
    const fs::path folder = Folder / "program";
    fs::create_directories(folder);
    fs::copy_file(VELT_RUNTIME_DIR "/VELTMaster", folder / "VELTMaster");
    if (withStrings) {
      fs::copy(VELT_RUNTIME_DIR "/strings", folder / "strings");
    }
    return (folder / "VELTMaster").string();
  }

  testing::TRecordingFeedback Feedback;
  TLocalStrings Strings{Feedback};
  fs::path Folder;
};

TEST_F(VELTMasterStartTest, ReachesConnectedWithTheProfilesTypeAndVersion) {
  const std::string output = Start(VELT_RUNTIME_DIR "/VELTMaster", "2:5.4.4");
  EXPECT_EQ(output,
            "state: " + Utf8(Strings.Caption(46) + Strings.Value(58)) + " 5.4 (simulated)\n");
  const std::string typeOne = Start(VELT_RUNTIME_DIR "/VELTMaster", "1:3.26");
  EXPECT_EQ(typeOne,
            "state: " + Utf8(Strings.Caption(46) + Strings.Value(57)) + " 3.26 (simulated)\n");
}

TEST_F(VELTMasterStartTest, WithoutInstrumentShowsNoConnection) {
  const std::string output = Start(VELT_RUNTIME_DIR "/VELTMaster", "none");
  EXPECT_EQ(output, "state: " + Utf8(Strings.Caption(46) + Strings.Caption(47)) + "\n");
}

TEST_F(VELTMasterStartTest, WithoutTheLibraryReportsItAndRunsDisconnected) {
  const std::string output = Start(CopyProgram(true), "2:5.4.4");
  EXPECT_EQ(output, "message: " + Utf8(Strings.Error(7)) + ": " + Utf8(Strings.Error(6)) +
                        "\nstate: " + Utf8(Strings.Caption(46) + Strings.Caption(47)) + "\n");
}

TEST_F(VELTMasterStartTest, WithoutStringFilesReportsAndEnds) {
  const std::string output = Start(CopyProgram(false), "2:5.4.4");
  EXPECT_EQ(output,
            "message: Системная ошибка: Неправильные или поврежденные файлы языков. "
            "Переустановите программу\nstate: string files not loaded\n");
}

// A default report that is a folder is said once and the start goes on to
// its end: --print-state prints the state and the program ends.
TEST_F(VELTMasterStartTest, ADefaultReportThatIsAFolderDoesNotStopTheStart) {
  const std::string program = CopyProgram(true);
  const fs::path report = fs::path(program).parent_path() / "default_reports" / "simple_report.rct";
  fs::create_directories(report);
  const std::string output = Start(program, "2:5.4.4");
  const std::string said = "message: Velt Studio 3: cannot open the report file " +
                           report.string() + ": is a folder, not a file\n";
  EXPECT_EQ(output, "message: " + Utf8(Strings.Error(7)) + ": " + Utf8(Strings.Error(6)) + "\n" +
                        said + "state: " + Utf8(Strings.Caption(46) + Strings.Caption(47)) + "\n");
  EXPECT_TRUE(fs::is_directory(report));
}

}  // namespace
}  // namespace velt
