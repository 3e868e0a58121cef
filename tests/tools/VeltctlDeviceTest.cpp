// veltctl's instrument commands run as a program through the real
// libConduit.so and its simulated instrument: what they print, the files
// they write (checked with the program's readers and against the same
// download done in process), and their failures.
#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include <connection/TransferMessages.h>
#include <records/RecordFilesUnit.h>

#include "SimulatedMemory.h"
#include "SimulatedMemoryFolder.h"
#include "SimulatorProfile.h"
#include "connection/ExchangeTestSupport.h"
#include "tools/VeltctlRunSupport.h"

namespace velt {
namespace {

namespace fs = std::filesystem;

class VeltctlDeviceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "veltctl-device-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    Folder = pattern;
  }
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(Folder, ignored);
  }
  TRun Run(const std::vector<std::string>& arguments) const { return RunVeltctl(arguments, Folder); }

  fs::path Folder;
};

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// The same download in process, to compare with what veltctl saved.
std::string RecordsAsSaved(const std::string& profile, const fs::path& path) {
  testing::TExchangeFixture f(profile);
  TFlawDataBlock records;
  EXPECT_TRUE(f.Connection->DownloadAllRecords(records));
  records.Source = kSourceInstrument;
  records.FileName = f.Connection->State.StateText;
  EXPECT_TRUE(SaveRecordFile(records, path).Ok);
  return ReadFile(path);
}

// LC_ALL for the programs this test starts; the previous value comes back.
class TLocaleForChildren {
 public:
  explicit TLocaleForChildren(const char* name) {
    if (const char* old = std::getenv("LC_ALL")) {
      Before = old;
    }
    ::setenv("LC_ALL", name, 1);
  }
  ~TLocaleForChildren() {
    if (Before) {
      ::setenv("LC_ALL", Before->c_str(), 1);
    } else {
      ::unsetenv("LC_ALL");
    }
  }
  TLocaleForChildren(const TLocaleForChildren&) = delete;
  TLocaleForChildren& operator=(const TLocaleForChildren&) = delete;

 private:
  std::optional<std::string> Before;
};

std::string WithPoints(std::string text) {
  std::replace(text.begin(), text.end(), ',', '.');
  return text;
}

TEST_F(VeltctlDeviceTest, InfoNamesTheFirmwareAndItsConfigurationClass) {
  struct TCase {
    const char* Profile;
    std::uint8_t Type, Major, Minor, Local;
  };
  for (const TCase& c : {TCase{"1:3.17", 1, 3, 17, 0}, TCase{"1:4.0.3", 1, 4, 0, 3},
                         TCase{"2:5.4.4", 2, 5, 4, 4}}) {
    SCOPED_TRACE(c.Profile);
    const TRun run = Run({"--simulate", c.Profile, "info"});
    EXPECT_EQ(run.Status, 0) << run.Err;
    const auto cell = CreateConfigCellForVersion(c.Major, c.Minor, c.Local, c.Type);
    ASSERT_NE(cell, nullptr);
    EXPECT_TRUE(Contains(run.Out, "device type: " + std::to_string(c.Type) + "\n"));
    EXPECT_TRUE(Contains(run.Out, "firmware: " + std::to_string(c.Major) + "." +
                                      std::to_string(c.Minor) + "\n"));
    EXPECT_TRUE(Contains(run.Out, "configuration class: " + ConfigClassName(*cell) + "\n"));
    EXPECT_TRUE(Contains(run.Out, "state: ")) << run.Out;
  }
}

TEST_F(VeltctlDeviceTest, WithoutAnInstrumentEveryDeviceCommandFails) {
  WriteFile(Folder / "keep.dtf", "what the user had");
  for (const std::vector<std::string>& arguments :
       {std::vector<std::string>{"info"}, {"records", "pull", (Folder / "keep.dtf").string()},
        {"configs", "pull", (Folder / "keep.dtf").string()}, {"clock", "set"}}) {
    SCOPED_TRACE(arguments[0]);
    std::vector<std::string> all{"--simulate=none"};
    all.insert(all.end(), arguments.begin(), arguments.end());
    const TRun run = Run(all);
    EXPECT_EQ(run.Status, 3);
    EXPECT_TRUE(Contains(run.Err, "no instrument is connected")) << run.Err;
    EXPECT_EQ(run.Out, "");
  }
  EXPECT_EQ(ReadFile(Folder / "keep.dtf"), "what the user had");
}

TEST_F(VeltctlDeviceTest, RecordsPullSavesWhatTheProgramDownloads) {
  const TLocaleForChildren point("C");  // the in-process save writes "."
  for (const char* profile : {"1:3.26", "2:5.4.4"}) {
    SCOPED_TRACE(profile);
    const fs::path pulled = Folder / "pulled.dtf";
    const TRun run = Run({"--simulate", profile, "records", "pull", pulled.string()});
    ASSERT_EQ(run.Status, 0) << run.Err;
    TFlawDataBlock opened;
    ASSERT_TRUE(OpenRecordFile(opened, pulled).Ok);
    EXPECT_GT(opened.Count, 0);
    EXPECT_TRUE(Contains(run.Out, std::to_string(opened.Count) + " records"));
    EXPECT_EQ(ReadFile(pulled), RecordsAsSaved(profile, Folder / "in-process.dtf"));
    // Not a terminal: plain progress lines, the first at 0 %.
    EXPECT_TRUE(Contains(run.Err, ": 0%\n")) << run.Err;
  }
}

TEST_F(VeltctlDeviceTest, ConfigsPullSavesTheHundredSlots) {
  const fs::path pulled = Folder / "pulled.ctf";
  const TRun run = Run({"--simulate", "1:5.0.0", "configs", "pull", pulled.string()});
  ASSERT_EQ(run.Status, 0) << run.Err;
  TUSBConfigsBlock loaded;
  ASSERT_TRUE(LoadConfigurationFile(loaded, pulled).Ok);
  EXPECT_EQ(loaded.Count, 100);
  EXPECT_EQ(ConfigClassName(*loaded.Configurations[0]), "T5_00ConfigCell");
  EXPECT_TRUE(Contains(run.Out, "100 configurations"));
}

// Pulled under a Russian locale, the files carry "," as the program's
// would there, and nothing else differs; either file opens in veltctl under
// either locale with the same values.
TEST_F(VeltctlDeviceTest, PullsWriteTheUsersDecimalSeparatorAndOpenUnderEitherLocale) {
  const std::string before = std::setlocale(LC_NUMERIC, nullptr);
  const bool russian = std::setlocale(LC_NUMERIC, "ru_RU.UTF-8") != nullptr;
  std::setlocale(LC_NUMERIC, before.c_str());
  if (!russian) {
    GTEST_SKIP() << "the locale ru_RU.UTF-8 is not installed (tools/setup.sh generates it)";
  }
  const char* const locales[] = {"C", "ru_RU.UTF-8"};
  for (const char* kind : {"configs", "records"}) {
    SCOPED_TRACE(kind);
    std::vector<fs::path> files;
    for (const char* locale : locales) {
      const TLocaleForChildren scoped(locale);
      files.push_back(Folder / (std::string(locale) + (kind[0] == 'c' ? ".ctf" : ".dtf")));
      const TRun run = Run({"--simulate", "1:5.0.1", kind, "pull", files.back().string()});
      ASSERT_EQ(run.Status, 0) << run.Err;
    }
    const std::string point = ReadFile(files[0]);
    const std::string comma = ReadFile(files[1]);
    // The simulated instrument's files hold no other "." or ",".
    EXPECT_NE(comma, point);
    EXPECT_FALSE(Contains(comma, "."));
    EXPECT_FALSE(Contains(point, ","));
    EXPECT_EQ(WithPoints(comma), point);
    const TRun expected = Run({"dump", "--compact", files[0].string()});
    ASSERT_EQ(expected.Status, 0) << expected.Err;
    for (const char* locale : locales) {
      const TLocaleForChildren scoped(locale);
      for (const fs::path& file : files) {
        SCOPED_TRACE(std::string(locale) + " opening " + file.filename().string());
        const TRun run = Run({"dump", "--compact", file.string()});
        EXPECT_EQ(run.Status, 0) << run.Err;
        EXPECT_EQ(run.Out, expected.Out);
      }
    }
  }
}

TEST_F(VeltctlDeviceTest, AFailedPullLeavesTheExistingFileAlone) {
  const fs::path target = Folder / "day.dtf";
  WriteFile(target, "yesterday's records");
  const TRun run =
      Run({"--simulate", "1:5.0.1,unplug-after=40", "records", "pull", target.string()});
  EXPECT_EQ(run.Status, 3);
  EXPECT_EQ(ReadFile(target), "yesterday's records");
  EXPECT_TRUE(Contains(run.Err, "Сбой при приеме кадров")) << run.Err;
  EXPECT_TRUE(Contains(run.Err, "Ошибка передачи")) << run.Err;
  EXPECT_EQ(run.Out, "");
}

TEST_F(VeltctlDeviceTest, PushChecksItsSlotsAndTheFirmware) {
  const fs::path file = Folder / "setups.ctf";
  ASSERT_EQ(Run({"--simulate", "1:4.0.3", "configs", "pull", file.string()}).Status, 0);
  const TRun outside = Run({"--simulate", "1:4.0.3", "configs", "push", file.string(), "100"});
  EXPECT_EQ(outside.Status, 2);
  EXPECT_TRUE(Contains(outside.Err, "slot '100' is not a number 0..99")) << outside.Err;
  const TRun other = Run({"--simulate", "1:4.0.2", "configs", "push", file.string(), "3"});
  EXPECT_EQ(other.Status, 3);
  EXPECT_TRUE(Contains(other.Err, "configuration local version 3; the instrument uses 2"))
      << other.Err;
  const TRun pushed = Run({"--simulate", "1:4.0.3", "configs", "push", file.string(), "3", "7"});
  EXPECT_EQ(pushed.Status, 0) << pushed.Err;
  EXPECT_TRUE(Contains(pushed.Out, "2 configurations written"));
}

TEST_F(VeltctlDeviceTest, ClockSetNeedsAnInstrumentThatKeepsAClock) {
  const TRun set = Run({"--simulate", "2:5.4.4", "clock", "set"});
  EXPECT_EQ(set.Status, 0) << set.Err;
  const TRun none = Run({"--simulate", "1:5.0.1", "clock", "set"});
  EXPECT_EQ(none.Status, 3);
  EXPECT_TRUE(Contains(none.Err, "only instruments of device type 2 keep a clock"));
}

TEST_F(VeltctlDeviceTest, HelpListsEveryProfileTheSimulatorKnows) {
  const TRun run = Run({"--help"});
  ASSERT_EQ(run.Status, 0);
  for (const auto& named : conduit::SimulatorProfileNames()) {
    std::string line = std::string("  ") + named.Name;
    line.resize(12, ' ');
    EXPECT_TRUE(Contains(run.Out, line + named.Description + "\n")) << named.Name;
  }
}

// A memory folder saved back by the simulator carries a push from one
// veltctl run to the next, as a real instrument keeps what it was sent.
TEST_F(VeltctlDeviceTest, APushedConfigurationIsWhatTheNextPullFinds) {
  const fs::path memory = Folder / "memory";
  std::string error;
  ASSERT_TRUE(conduit::SaveMemoryFolder(conduit::BuildDemoMemory({2, 5, 4, 4}), memory.string(),
                                        error))
      << error;
  const std::string simulate = memory.string() + ",save=" + memory.string();
  const fs::path file = Folder / "setups.ctf";
  ASSERT_EQ(Run({"--simulate", simulate, "configs", "pull", file.string()}).Status, 0);
  TUSBConfigsBlock configs;
  ASSERT_TRUE(LoadConfigurationFile(configs, file).Ok);
  configs.Configurations[12]->ATTENUATOR1 = 66;
  configs.Configurations[12]->VELOCITY = 2700;
  ASSERT_TRUE(SaveConfigurationFile(configs, file).Ok);

  const TRun pushed = Run({"--simulate", simulate, "configs", "push", file.string(), "12"});
  ASSERT_EQ(pushed.Status, 0) << pushed.Err;
  const fs::path again = Folder / "again.ctf";
  ASSERT_EQ(Run({"--simulate", simulate, "configs", "pull", again.string()}).Status, 0);
  TUSBConfigsBlock back;
  ASSERT_TRUE(LoadConfigurationFile(back, again).Ok);
  EXPECT_EQ(back.Configurations[12]->ATTENUATOR1, 66);
  EXPECT_EQ(back.Configurations[12]->VELOCITY, 2700);
  EXPECT_EQ(back.Configurations[13]->VELOCITY, configs.Configurations[13]->VELOCITY);
}

TEST_F(VeltctlDeviceTest, UsageErrorsOfTheDeviceCommands) {
  for (const std::vector<std::string>& arguments :
       {std::vector<std::string>{"records"}, {"configs", "--json"}, {"clock", "stop"},
        {"records", "pull"}, {"info", "extra"}, {"--simulate"}, {"records", "pull", "a", "b"}}) {
    SCOPED_TRACE(arguments[0] + (arguments.size() > 1 ? " " + arguments[1] : ""));
    const TRun run = Run(arguments);
    EXPECT_EQ(run.Status, 2);
    EXPECT_TRUE(Contains(run.Err, "veltctl: ")) << run.Err;
    EXPECT_EQ(run.Out, "");
  }
}

// Refused work is never reported as done: the exit status is 3, nothing is
// saved, and the slots that did not reach the instrument are named.
TEST_F(VeltctlDeviceTest, RefusedTransfersFailAndNameWhatWasNotDone) {
  const fs::path file = Folder / "setups.ctf";
  ASSERT_EQ(Run({"--simulate", "1:3.26", "configs", "pull", file.string()}).Status, 0);
  struct TCase {
    std::vector<std::string> Arguments;
    std::string Says;  // on stderr
  };
  const fs::path target = Folder / "pulled";
  const TCase cases[] = {
      {{"--simulate", "1:5.0.0", "configs", "push", file.string(), "3", "7"},
       "uses T5_00ConfigCell (other firmware)\nveltctl: Ошибка передачи: "},
      {{"--simulate", "1:3.26,status=1:3", "configs", "push", file.string(), "3", "7"},
       "Не переданы в прибор конфигурации: 3, 7.\nveltctl: not written: slots 3, 7\n"},
      {{"--simulate", "1:2.0", "records", "pull", target.string()},
       "Программа прибора этой версии не поддерживается"},
      {{"--simulate", "2:5.4.4,status=8:0", "clock", "set"}, "Прибор не принял установку часов"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Arguments[1] + " " + c.Arguments[2] + " " + c.Arguments[3]);
    const TRun run = Run(c.Arguments);
    EXPECT_EQ(run.Status, 3);
    EXPECT_TRUE(Contains(run.Err, c.Says)) << run.Err;
    EXPECT_FALSE(Contains(run.Out, "written")) << run.Out;
    EXPECT_FALSE(fs::exists(target));
  }
}

TEST_F(VeltctlDeviceTest, RecordsPullWarnsOfEachRecordWithUnreadableSettings) {
  conduit::TSimulatedMemory memory = conduit::BuildDemoMemory({1, 5, 0, 1});
  std::fill_n(memory.Records[8].begin(), 512, std::uint8_t{0x5A});  // record 9's settings
  std::string error;
  ASSERT_TRUE(conduit::SaveMemoryFolder(memory, (Folder / "memory").string(), error)) << error;
  const fs::path pulled = Folder / "pulled.dtf";
  const TRun run =
      Run({"--simulate", (Folder / "memory").string(), "records", "pull", pulled.string()});
  ASSERT_EQ(run.Status, 0) << run.Err;
  EXPECT_TRUE(Contains(run.Err, "warning: record 9: its settings could not be read")) << run.Err;
  EXPECT_FALSE(Contains(run.Err, "warning: record 3:")) << run.Err;
  TFlawDataBlock opened;
  ASSERT_TRUE(OpenRecordFile(opened, pulled).Ok);
  EXPECT_EQ(opened.Count, conduit::kDemoRecordCount);
}

// info says when the instrument is simulated, and without one why: one that
// did not identify itself, no instrument of the device table (named, with
// the README's section), no table at all.
TEST_F(VeltctlDeviceTest, InfoSaysWhetherTheInstrumentIsSimulatedAndWhyThereIsNone) {
  const std::string table = (Folder / "devices.txt").string();
  WriteFile(table, "# ????:????  1\n");
  const std::string help = "see README.md, \"Using a real instrument\"";
  struct TCase {
    std::vector<std::string> Arguments;
    const char* Table;  // CONDUIT_DEVICE_TABLE for the real backend
    int Status;
    std::vector<std::string> Out;
    std::vector<std::string> Err;
  };
  const TCase cases[] = {
      {{"--simulate", "1:3.26", "info"}, nullptr, 0,
       {"firmware: 3.26\n", " (simulated)\n", "link: simulated instrument 1:3.26\n"}, {}},
      {{"--simulate", "1:3.26,status=18:3", "info"}, nullptr, 3, {},
       {"did not answer its identification"}},
      {{"info"}, table.c_str(), 3, {},
       {"no instrument of the device table " + table + " is present", help}},
      {{"info"}, "/nonexistent/devices.txt", 3, {},
       {"no device table at /nonexistent/devices.txt", help}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Arguments[c.Arguments.size() > 1 ? 1 : 0]);
    ::unsetenv("CONDUIT_SIMULATOR");
    if (c.Table != nullptr) {
      ::setenv("CONDUIT_DEVICE_TABLE", c.Table, 1);
    }
    const TRun run = Run(c.Arguments);
    ::unsetenv("CONDUIT_DEVICE_TABLE");
    EXPECT_EQ(run.Status, c.Status) << run.Err;
    for (const std::string& part : c.Out) {
      EXPECT_TRUE(Contains(run.Out, part)) << run.Out;
    }
    for (const std::string& part : c.Err) {
      EXPECT_TRUE(Contains(run.Err, part)) << run.Err;
    }
    if (c.Status != 0) {
      EXPECT_EQ(run.Out, "");
    }
  }
}

}  // namespace
}  // namespace velt
