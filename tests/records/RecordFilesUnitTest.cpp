// The record file ("dtf") and the configuration file ("ctf"): saving,
// opening and loading, the header checks, building for the file's own
// versions, damaged and special files, and what happens to the user's
// data when a file is bad or a save fails.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <future>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include <records/RecordFilesUnit.h>

#include "RecordsTestSupport.h"
#include "support/FileSizeLimit.h"

namespace velt {
namespace {

using namespace testing_support;

// ---- Making collections and files --------------------------------------------------------

struct TShape {
  std::uint16_t Count;
  std::uint8_t Device, Major, Minor, Local;
};

std::unique_ptr<TFlawDataBlock> Flaws(const TShape& s, std::uint32_t seed,
                                      bool anyArraySize = false) {
  auto block = std::make_unique<TFlawDataBlock>();
  block->Build(s.Count, s.Major, s.Minor, s.Local, s.Device);
  std::mt19937 random(seed);
  RandomiseCollection(*block, random, anyArraySize);
  // As records from the instrument or from a file have it.
  for (auto& record : block->Records) {
    record->DeviceIndex = s.Device;
  }
  return block;
}

// Configurations as a loaded collection holds them: numbered by their
// place, of the collection's device type.
std::unique_ptr<TUSBConfigsBlock> Configs(const TShape& s, std::uint32_t seed) {
  auto block = std::make_unique<TUSBConfigsBlock>();
  block->Build(s.Count, s.Major, s.Minor, s.Local, s.Device);
  std::mt19937 random(seed);
  RandomiseCollection(*block, random);
  for (std::size_t i = 0; i < block->Configurations.size(); ++i) {
    if (block->Configurations[i]) {
      block->Configurations[i]->CONFIGURATION_NO = static_cast<std::uint16_t>(i);
      block->Configurations[i]->DEVICE_INDEX = s.Device;
    }
  }
  return block;
}

TShape ShapeOf(const TVariant& v, std::uint16_t count) {
  return TShape{count, v.Device, v.Major, v.Minor, v.Local};
}

std::vector<std::string> FileLines(const fs::path& path) {
  return CrLfLines(ReadFile(path));
}

// A copy of a file with some of its lines (from 0) replaced.
fs::path Edited(const fs::path& from, const fs::path& to,
                const std::map<std::size_t, std::string>& replaced) {
  std::vector<std::string> lines = FileLines(from);
  for (const auto& [index, text] : replaced) {
    lines.at(index) = text;
  }
  WriteFile(to, Joined(lines));
  return to;
}

class RecordFiles : public ::testing::Test {
 protected:
  TTemporaryFolder Folder;
};

const TVariant k326{1, 3, 27, 0, "T3_26ConfigCell"};
const TShape kOne326{1, 1, 3, 27, 0};

// ---- Round trips -----------------------------------------------------------------------

class RecordFileRoundTrip : public ::testing::TestWithParam<TVariant> {
 protected:
  TTemporaryFolder Folder;
};

TEST_P(RecordFileRoundTrip, EveryCarriedValueComesBackAndSavesToTheSameBytes) {
  const TVariant& v = GetParam();
  const auto source = Flaws(ShapeOf(v, 3), 100 + v.Minor + v.Device, /*anyArraySize=*/true);
  const fs::path first = Folder / "first.dtf";
  const TFileResult saved = SaveRecordFile(*source, first);
  ASSERT_TRUE(saved.Ok) << saved.Error;
  EXPECT_TRUE(saved.Error.empty());

  const std::vector<std::string> lines = FileLines(first);
  ASSERT_GT(lines.size(), 8u);
  const std::vector<std::string> header = {"PROGRAM NAME:VELT",
                                           "PROGRAM MAJOR VERSION:0",
                                           "PROGRAM MINOR VERSION:1",
                                           "FLAWS QUANTITY:3",
                                           "DEVICE TYPE:" + std::to_string(v.Device),
                                           "FLAWS MAJOR VERSION:" + std::to_string(v.Major),
                                           "FLAWS MINOR VERSION:" + std::to_string(v.Minor),
                                           "FLAWS CONFIG LOCAL VERSION:" + std::to_string(v.Local)};
  EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + 8), header);
  // Nothing but the records follows the header.
  std::string records;
  for (const auto& record : source->Records) {
    records += WriteRecord(*record);
  }
  EXPECT_TRUE(ReadFile(first).substr(Joined(header).size()) == records);

  // Opened into an empty collection (rebuilt) and into one of the same
  // shape (reused), the records come back.
  TFlawDataBlock empty;
  auto sameShape = Flaws(ShapeOf(v, 3), 7);
  for (TFlawDataBlock* opened : {&empty, sameShape.get()}) {
    SCOPED_TRACE(opened == &empty ? "rebuilt" : "reused");
    const TFileResult result = OpenRecordFile(*opened, first);
    ASSERT_TRUE(result.Ok) << result.Error;
    EXPECT_EQ(opened->Count, 3);
    EXPECT_EQ(opened->DeviceType, v.Device);
    EXPECT_EQ(opened->MajorVersion, v.Major);
    EXPECT_EQ(opened->MinorVersion, v.Minor);
    EXPECT_EQ(opened->ConfigLocalVersion, v.Local);
    EXPECT_EQ(opened->Source, kSourceFile);
    EXPECT_EQ(opened->FileName, first.string());
    EXPECT_EQ(opened->DisplayOrder, (std::vector<std::uint16_t>{0, 1, 2}));
    ASSERT_EQ(opened->Records.size(), 3u);
    EXPECT_EQ(opened->CurrentRecord, opened->Records[0].get());
    for (std::size_t i = 0; i < 3; ++i) {
      SCOPED_TRACE(i);
      // Every record takes the collection's device type.
      ExpectSameCarriedRecord(*source->Records[i], *opened->Records[i], v.Device);
    }
    const fs::path again = Folder / "again.dtf";
    ASSERT_TRUE(SaveRecordFile(*opened, again).Ok);
    EXPECT_TRUE(ReadFile(again) == ReadFile(first)) << "the second save differs";
  }
}

INSTANTIATE_TEST_SUITE_P(Classes, RecordFileRoundTrip, ::testing::ValuesIn(AllVariants()),
                         VariantName);

class ConfigurationFileRoundTrip : public ::testing::TestWithParam<TVariant> {
 protected:
  TTemporaryFolder Folder;
};

TEST_P(ConfigurationFileRoundTrip, EveryCarriedValueComesBackAndSavesToTheSameBytes) {
  const TVariant& v = GetParam();
  const auto source = Configs(ShapeOf(v, 5), 200 + v.Minor + v.Device);
  const fs::path first = Folder / "first.ctf";
  const TFileResult saved = SaveConfigurationFile(*source, first);
  ASSERT_TRUE(saved.Ok) << saved.Error;

  const std::vector<std::string> lines = FileLines(first);
  ASSERT_GT(lines.size(), 8u);
  const std::vector<std::string> header = {"PROGRAM NAME:VELT",
                                           "PROGRAM MAJOR VERSION:0",
                                           "PROGRAM MINOR VERSION:1",
                                           "CONFIGS QUANTITY:5",
                                           "DEVICE TYPE:" + std::to_string(v.Device),
                                           "CONFIGS MAJOR VERSION:" + std::to_string(v.Major),
                                           "CONFIGS MINOR VERSION:" + std::to_string(v.Minor),
                                           "CONFIGS CONF LOCAL VERSION:" + std::to_string(v.Local)};
  EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + 8), header);
  std::string cells;
  for (const auto& cell : source->Configurations) {
    cells += WriteText(*cell);
  }
  EXPECT_TRUE(ReadFile(first).substr(Joined(header).size()) == cells);

  TUSBConfigsBlock empty;
  auto sameShape = Configs(ShapeOf(v, 5), 9);
  TDataCell* drawing = sameShape->DrawingRecord.get();
  for (TUSBConfigsBlock* loaded : {&empty, sameShape.get()}) {
    SCOPED_TRACE(loaded == &empty ? "rebuilt" : "reused");
    const TFileResult result = LoadConfigurationFile(*loaded, first);
    ASSERT_TRUE(result.Ok) << result.Error;
    EXPECT_EQ(loaded->Count, 5);
    EXPECT_EQ(loaded->DeviceType, v.Device);
    EXPECT_EQ(loaded->MajorVersion, v.Major);
    EXPECT_EQ(loaded->MinorVersion, v.Minor);
    EXPECT_EQ(loaded->ConfigLocalVersion, v.Local);
    EXPECT_EQ(loaded->Source, kSourceFile);
    EXPECT_EQ(loaded->FileName, first.string());
    EXPECT_EQ(loaded->LoadedFlags, std::vector<bool>(5, true));
    EXPECT_EQ(loaded->ChangedFlags, std::vector<bool>(5, false));
    ASSERT_EQ(loaded->Configurations.size(), 5u);
    ASSERT_NE(loaded->DrawingRecord, nullptr);
    EXPECT_EQ(loaded->DrawingRecord->Configuration(), loaded->Configurations[0].get());
    for (std::size_t i = 0; i < 5; ++i) {
      SCOPED_TRACE(i);
      ExpectSameCarriedConfiguration(*source->Configurations[i], *loaded->Configurations[i]);
    }
    const fs::path again = Folder / "again.ctf";
    ASSERT_TRUE(SaveConfigurationFile(*loaded, again).Ok);
    EXPECT_TRUE(ReadFile(again) == ReadFile(first)) << "the second save differs";
  }
  // The user's drawing record stays the same object.
  EXPECT_EQ(sameShape->DrawingRecord.get(), drawing);
}

INSTANTIATE_TEST_SUITE_P(Classes, ConfigurationFileRoundTrip, ::testing::ValuesIn(AllVariants()),
                         VariantName);

TEST_F(RecordFiles, LoadingNumbersTheConfigurationsAndGivesThemTheDeviceType) {
  auto source = Configs({3, 2, 4, 1, 3}, 5);
  for (auto& cell : source->Configurations) {
    cell->CONFIGURATION_NO = 777;
    cell->DEVICE_INDEX = 9;
  }
  const fs::path path = Folder / "setups.ctf";
  ASSERT_TRUE(SaveConfigurationFile(*source, path).Ok);
  TUSBConfigsBlock loaded;
  ASSERT_TRUE(LoadConfigurationFile(loaded, path).Ok);
  for (std::size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(loaded.Configurations[i]->CONFIGURATION_NO, i);
    EXPECT_EQ(loaded.Configurations[i]->DEVICE_INDEX, 2);
    ExpectSameCarriedConfiguration(*source->Configurations[i], *loaded.Configurations[i],
                                   /*numberAndDevice=*/false);
  }
}

TEST_F(RecordFiles, OpeningGivesEveryRecordTheDeviceType) {
  auto source = Flaws({3, 2, 4, 1, 3}, 5);
  for (auto& record : source->Records) {
    record->DeviceIndex = 9;
  }
  const fs::path path = Folder / "records.dtf";
  ASSERT_TRUE(SaveRecordFile(*source, path).Ok);
  TFlawDataBlock opened;
  ASSERT_TRUE(OpenRecordFile(opened, path).Ok);
  for (std::size_t i = 0; i < 3; ++i) {
    ExpectSameCarriedRecord(*source->Records[i], *opened.Records[i], /*deviceIndex=*/2);
  }
}

TEST_F(RecordFiles, SaveAfterOpenWritesStorageOrderWhateverTheDisplayOrder) {
  auto source = Flaws({3, 1, 3, 27, 0}, 6);
  for (std::uint16_t i = 0; i < 3; ++i) {
    source->Records[i]->Configuration()->CONFIG_INDEX = static_cast<std::uint16_t>(30 - i);
  }
  const fs::path path = Folder / "a.dtf";
  ASSERT_TRUE(SaveRecordFile(*source, path).Ok);
  TFlawDataBlock opened;
  ASSERT_TRUE(OpenRecordFile(opened, path).Ok);
  opened.SortByConfigIndex();
  ASSERT_EQ(opened.DisplayOrder, (std::vector<std::uint16_t>{2, 1, 0}));
  opened.CurrentRecord = opened.Records[2].get();
  const fs::path again = Folder / "b.dtf";
  ASSERT_TRUE(SaveRecordFile(opened, again).Ok);
  EXPECT_TRUE(ReadFile(again) == ReadFile(path));
  // A save from a sorted collection that was never opened does the same.
  source->SortByConfigIndex();
  ASSERT_TRUE(SaveRecordFile(*source, again).Ok);
  EXPECT_TRUE(ReadFile(again) == ReadFile(path));
}

// ---- Line ends ---------------------------------------------------------------------------

TEST_F(RecordFiles, LfOnlyAndMixedLineEndsOpenTheSameAndSavesWriteCrLf) {
  const auto flaws = Flaws({2, 1, 4, 5, 3}, 11);
  const auto configs = Configs({2, 1, 4, 5, 3}, 12);
  const fs::path dtf = Folder / "crlf.dtf";
  const fs::path ctf = Folder / "crlf.ctf";
  ASSERT_TRUE(SaveRecordFile(*flaws, dtf).Ok);
  ASSERT_TRUE(SaveConfigurationFile(*configs, ctf).Ok);
  for (const fs::path& original : {dtf, ctf}) {
    SCOPED_TRACE(original.filename().string());
    const std::string bytes = ReadFile(original);
    // Every line end written is CR LF.
    const std::vector<std::string> lines = CrLfLines(bytes);
    std::string lfOnly = Joined(lines, "\n");
    std::string mixed;
    for (std::size_t i = 0; i < lines.size(); ++i) {
      mixed += lines[i] + (i % 3 == 0 ? "\n" : "\r\n");
    }
    for (const auto& [name, text] : std::vector<std::pair<std::string, std::string>>{
             {"lf", lfOnly}, {"mixed", mixed}, {"blank lines after", bytes + "\r\n \r\n\t\n\n"}}) {
      SCOPED_TRACE(name);
      const fs::path variant = Folder / ("variant" + original.extension().string());
      const fs::path saved = Folder / ("saved" + original.extension().string());
      WriteFile(variant, text);
      if (original == dtf) {
        TFlawDataBlock opened;
        const TFileResult r = OpenRecordFile(opened, variant);
        ASSERT_TRUE(r.Ok) << r.Error;
        ASSERT_TRUE(SaveRecordFile(opened, saved).Ok);
      } else {
        TUSBConfigsBlock loaded;
        const TFileResult r = LoadConfigurationFile(loaded, variant);
        ASSERT_TRUE(r.Ok) << r.Error;
        ASSERT_TRUE(SaveConfigurationFile(loaded, saved).Ok);
      }
      EXPECT_TRUE(ReadFile(saved) == bytes);
    }
  }
}

// ---- The header ------------------------------------------------------------------------

struct THeaderCase {
  const char* What;
  std::size_t Line;
  std::string Text;
  bool RecordFileOpens;
  bool ConfigurationFileLoads;
};

TEST_F(RecordFiles, HeaderChecks) {
  const fs::path dtf = Folder / "base.dtf";
  const fs::path ctf = Folder / "base.ctf";
  ASSERT_TRUE(SaveRecordFile(*Flaws(kOne326, 1), dtf).Ok);
  ASSERT_TRUE(SaveConfigurationFile(*Configs({2, 1, 3, 27, 0}, 2), ctf).Ok);
  const std::vector<THeaderCase> cases = {
      {"name", 0, "PROGRAM NAME:VELT", true, true},
      {"name", 0, "PROGRAM NAME:VELTX", false, false},
      {"name", 0, "PROGRAM NAME:velt", false, false},
      {"name", 0, "PROGRAM NAME:Velt", false, false},
      {"name", 0, "PROGRAM NAME:VELT ", false, false},
      {"name", 0, "PROGRAM NAME: VELT", false, false},
      {"name", 0, "PROGRAM NAME:", false, false},
      {"name", 0, "X:Y:VELT", false, false},
      {"name", 0, "PROGRAMM NAME:VELT", true, true},  // the key is not compared
      {"name", 0, ":VELT", true, true},
      {"name", 0, "VELT", true, true},  // no colon: the whole line
      {"program major", 1, "PROGRAM MAJOR VERSION:7", true, false},
      {"program major", 1, "PROGRAM MAJOR VERSION:1", true, false},
      {"program major", 1, "OTHER:0", true, true},
      {"program minor", 2, "PROGRAM MINOR VERSION:0", true, true},
      {"program minor", 2, "PROGRAM MINOR VERSION:2", true, false},
      {"program minor", 2, "PROGRAM MINOR VERSION:255", true, false},
      // A record file does not look at its program version lines at all.
      {"program major", 1, "PROGRAM MAJOR VERSION:abc", true, false},
      {"program minor", 2, "PROGRAM MINOR VERSION:99999", true, false},
  };
  for (const THeaderCase& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.What << ": \"" << c.Text << "\"");
    TFlawDataBlock flaws;
    const TFileResult opened =
        OpenRecordFile(flaws, Edited(dtf, Folder / "h.dtf", {{c.Line, c.Text}}));
    EXPECT_EQ(opened.Ok, c.RecordFileOpens) << opened.Error;
    EXPECT_EQ(opened.Error.empty(), c.RecordFileOpens);
    TUSBConfigsBlock configs;
    const TFileResult loaded =
        LoadConfigurationFile(configs, Edited(ctf, Folder / "h.ctf", {{c.Line, c.Text}}));
    EXPECT_EQ(loaded.Ok, c.ConfigurationFileLoads) << loaded.Error;
    EXPECT_EQ(loaded.Error.empty(), c.ConfigurationFileLoads);
  }
}

TEST_F(RecordFiles, FirmwareVersionsUpTo5_22AreTaken) {
  struct TCase {
    TShape Shape;               // what the file is written from
    std::uint8_t Major, Minor;  // what its header then says
    bool Opens;
  };
  const std::vector<TCase> cases = {
      {{1, 1, 5, 22, 1}, 5, 22, true},   {{1, 1, 5, 22, 1}, 5, 23, false},
      {{1, 1, 5, 22, 1}, 5, 255, false}, {{1, 1, 5, 22, 1}, 6, 0, false},
      {{1, 1, 5, 22, 1}, 255, 0, false}, {{1, 1, 4, 200, 3}, 4, 200, true},
      {{1, 2, 5, 22, 4}, 5, 22, true},   {{1, 2, 5, 22, 4}, 5, 23, false},
      {{1, 2, 5, 22, 4}, 6, 1, false},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(::testing::Message()
                 << "device " << int(c.Shape.Device) << " " << int(c.Major) << "." << int(c.Minor));
    const fs::path dtf = Folder / "v.dtf";
    const fs::path ctf = Folder / "v.ctf";
    ASSERT_TRUE(SaveRecordFile(*Flaws(c.Shape, 3), dtf).Ok);
    ASSERT_TRUE(SaveConfigurationFile(*Configs(c.Shape, 4), ctf).Ok);
    const std::map<std::size_t, std::string> flawHeader = {
        {5, "FLAWS MAJOR VERSION:" + std::to_string(c.Major)},
        {6, "FLAWS MINOR VERSION:" + std::to_string(c.Minor)}};
    const std::map<std::size_t, std::string> configHeader = {
        {5, "CONFIGS MAJOR VERSION:" + std::to_string(c.Major)},
        {6, "CONFIGS MINOR VERSION:" + std::to_string(c.Minor)}};
    TFlawDataBlock flaws;
    const TFileResult opened = OpenRecordFile(flaws, Edited(dtf, dtf, flawHeader));
    EXPECT_EQ(opened.Ok, c.Opens) << opened.Error;
    TUSBConfigsBlock configs;
    const TFileResult loaded = LoadConfigurationFile(configs, Edited(ctf, ctf, configHeader));
    EXPECT_EQ(loaded.Ok, c.Opens) << loaded.Error;
    if (c.Opens) {
      EXPECT_EQ(flaws.MinorVersion, c.Minor);
      EXPECT_EQ(configs.MinorVersion, c.Minor);
    } else {
      EXPECT_FALSE(opened.Error.empty());
      EXPECT_FALSE(loaded.Error.empty());
    }
  }
}

// ---- The file's own versions ----------------------------------------------------------------

// Opening builds the collection for the file's versions whatever it held:
// cells of another firmware would misread the file (a 3.10 file after a
// download from a 3.26 instrument), and a reused cell would carry values the
// file does not hold into the next save.
struct TOwnVersionsCase {
  TShape Held;
  TShape File;
};

const std::vector<TOwnVersionsCase>& OwnVersionsCases() {
  static const std::vector<TOwnVersionsCase> cases = {
      {{2, 1, 4, 5, 3}, {2, 1, 4, 5, 3}},    // the same versions
      {{2, 1, 4, 5, 3}, {2, 1, 4, 4, 3}},    // an older minor of the same class
      {{2, 1, 4, 40, 3}, {2, 1, 3, 32, 3}},  // older major and minor of the same class
      {{2, 1, 3, 27, 0}, {2, 1, 3, 10, 0}},  // an older firmware of another class
      {{2, 1, 5, 22, 1}, {2, 1, 3, 20, 0}},
      {{2, 1, 3, 20, 0}, {2, 1, 4, 5, 3}},   // a newer major
      {{2, 1, 4, 5, 3}, {2, 1, 4, 5, 4}},    // another local version
      {{2, 1, 4, 5, 3}, {3, 1, 4, 5, 3}},    // another count
      {{2, 1, 4, 5, 3}, {2, 2, 4, 5, 3}},    // another device type
      {{0, 1, 0, 0, 0}, {2, 1, 3, 10, 0}},   // nothing held
  };
  return cases;
}

std::string ShapeText(const TShape& s) {
  return std::to_string(s.Count) + " of device " + std::to_string(s.Device) + " " +
         std::to_string(s.Major) + "." + std::to_string(s.Minor) + "/" + std::to_string(s.Local);
}

// The strobe columns are not in every text record: a reused cell would keep them.
constexpr std::uint16_t kMarkColumn = 4321;

TEST_F(RecordFiles, OpeningAndLoadingBuildForTheFilesOwnVersions) {
  for (const TOwnVersionsCase& c : OwnVersionsCases()) {
    SCOPED_TRACE("held " + ShapeText(c.Held) + ", file " + ShapeText(c.File));
    const std::string wanted =
        ConfigClassName(*CreateConfigCellForVersion(c.File.Major, c.File.Minor, c.File.Local,
                                                    c.File.Device));
    const std::uint16_t fresh =
        CreateConfigCellForVersion(c.File.Major, c.File.Minor, c.File.Local, c.File.Device)
            ->STROBE_1_BEGIN;
    const auto flaws = Flaws(c.File, 21);
    const auto configs = Configs(c.File, 31);
    const fs::path dtf = Folder / "r.dtf";
    const fs::path ctf = Folder / "r.ctf";
    ASSERT_TRUE(SaveRecordFile(*flaws, dtf).Ok);
    ASSERT_TRUE(SaveConfigurationFile(*configs, ctf).Ok);
    TFlawDataBlock heldFlaws;
    TUSBConfigsBlock heldConfigs;
    if (c.Held.Count > 0) {
      heldFlaws = std::move(*Flaws(c.Held, 22));
      heldConfigs = std::move(*Configs(c.Held, 32));
      for (auto& record : heldFlaws.Records) {
        record->Configuration()->STROBE_1_BEGIN = kMarkColumn;
      }
      for (auto& cell : heldConfigs.Configurations) {
        cell->STROBE_1_BEGIN = kMarkColumn;
      }
    }
    const TFileResult opened = OpenRecordFile(heldFlaws, dtf);
    ASSERT_TRUE(opened.Ok) << opened.Error;
    const TFileResult loaded = LoadConfigurationFile(heldConfigs, ctf);
    ASSERT_TRUE(loaded.Ok) << loaded.Error;
    for (const auto& [count, device, major, minor, local] :
         {std::tuple(heldFlaws.Count, heldFlaws.DeviceType, heldFlaws.MajorVersion,
                     heldFlaws.MinorVersion, heldFlaws.ConfigLocalVersion),
          std::tuple(heldConfigs.Count, heldConfigs.DeviceType, heldConfigs.MajorVersion,
                     heldConfigs.MinorVersion, heldConfigs.ConfigLocalVersion)}) {
      EXPECT_EQ(count, c.File.Count);
      EXPECT_EQ(device, c.File.Device);
      EXPECT_EQ(major, c.File.Major);
      EXPECT_EQ(minor, c.File.Minor);
      EXPECT_EQ(local, c.File.Local);
    }
    ASSERT_EQ(heldFlaws.Records.size(), c.File.Count);
    ASSERT_EQ(heldConfigs.Configurations.size(), c.File.Count);
    for (std::size_t i = 0; i < c.File.Count; ++i) {
      EXPECT_EQ(ConfigClassName(*heldFlaws.Records[i]->Configuration()), wanted);
      EXPECT_EQ(ConfigClassName(*heldConfigs.Configurations[i]), wanted);
      if (dynamic_cast<const T3_17ConfigCell*>(heldConfigs.Configurations[i].get()) != nullptr) {
        // Not in these records: the cells are new, nothing of the held ones is left.
        EXPECT_EQ(heldFlaws.Records[i]->Configuration()->STROBE_1_BEGIN, fresh);
        EXPECT_EQ(heldConfigs.Configurations[i]->STROBE_1_BEGIN, fresh);
      }
      ExpectSameCarriedRecord(*flaws->Records[i], *heldFlaws.Records[i], c.File.Device);
      ExpectSameCarriedConfiguration(*configs->Configurations[i], *heldConfigs.Configurations[i]);
    }
    // A save right after writes the same file back.
    const fs::path again = Folder / "again";
    ASSERT_TRUE(SaveRecordFile(heldFlaws, again).Ok);
    EXPECT_TRUE(ReadFile(again) == ReadFile(dtf));
    ASSERT_TRUE(SaveConfigurationFile(heldConfigs, again).Ok);
    EXPECT_TRUE(ReadFile(again) == ReadFile(ctf));
  }
}

// ---- Bad files leave the collection as it was ----------------------------------------------

// Line numbers (from 0) in a record file of one record of array size 320
// with two comments.
constexpr std::size_t kRecordStart = 8;
constexpr std::size_t kFirstSample = kRecordStart + 10;
constexpr std::size_t kLastSample = kRecordStart + 9 + 89 * 223 + 88;
constexpr std::size_t kBScanMarker = kRecordStart + 8;
constexpr std::size_t kAScanMarker = kRecordStart + 19945;
constexpr std::size_t kFirstEnvelopeValue = kAScanMarker + 2;
constexpr std::size_t kLastEnvelopeValue = kAScanMarker + 4 * 321;
constexpr std::size_t kCommentCount = kAScanMarker + 4 * 321 + 1;
constexpr std::size_t kConfigStart = kCommentCount + 3;

struct TBadFile {
  const char* What;
  std::map<std::size_t, std::string> Lines;
};

std::unique_ptr<TFlawDataBlock> HeldFlaws() {
  auto held = Flaws(kOne326, 41);
  held->FileName = "held.dtf";
  held->Source = kSourceInstrument;
  held->ReceivedFlags[0] = true;
  held->ReportSelection = {held->Records[0].get()};
  held->ReportSelectionCount = 1;
  held->Records[0]->DgsCurve1[7] = 12.5;
  held->Records[0]->GrabbedObject = 3;
  held->Records[0]->FirstMaximums[320] = 66;
  held->Records[0]->Configuration()->STROBE_1_BEGIN = kMarkColumn;
  return held;
}

std::unique_ptr<TUSBConfigsBlock> HeldConfigs(const TShape& shape) {
  auto held = Configs(shape, 42);
  held->FileName = "held.ctf";
  held->Source = kSourceInstrument;
  held->ChangedFlags[0] = true;
  held->LoadedFlags[1] = true;
  held->DrawingRecord->Refer(held->Configurations[1].get());
  for (auto& cell : held->Configurations) {
    cell->STROBE_1_BEGIN = kMarkColumn;
  }
  return held;
}

TEST_F(RecordFiles, BadRecordFilesFailAndLeaveTheCollectionAsItWas) {
  auto source = Flaws(kOne326, 40);
  source->Records[0]->Comments = {"first", "second: with colon"};
  const fs::path good = Folder / "good.dtf";
  ASSERT_TRUE(SaveRecordFile(*source, good).Ok);
  ASSERT_EQ(FileLines(good)[kCommentCount], "COMMENTS QUANTITY:2");
  ASSERT_EQ(FileLines(good)[kConfigStart].rfind("DEVICE INDEX:", 0), 0u);
  ASSERT_EQ(FileLines(good)[kConfigStart + 4], "CONFIGURATION_NAME");

  const std::vector<TBadFile> cases = {
      {"quantity not a number", {{3, "FLAWS QUANTITY:one"}}},
      {"quantity empty", {{3, "FLAWS QUANTITY:"}}},
      {"quantity 0", {{3, "FLAWS QUANTITY:0"}}},
      {"quantity too large", {{3, "FLAWS QUANTITY:65536"}}},
      {"quantity negative", {{3, "FLAWS QUANTITY:-1"}}},
      {"quantity above the records", {{3, "FLAWS QUANTITY:2"}}},
      {"device type too large", {{4, "DEVICE TYPE:256"}}},
      {"device type without a class", {{4, "DEVICE TYPE:3"}}},
      {"device type 0", {{4, "DEVICE TYPE:0"}}},
      {"major not a number", {{5, "FLAWS MAJOR VERSION:3.27"}}},
      {"major too new", {{5, "FLAWS MAJOR VERSION:6"}}},
      {"minor too large", {{6, "FLAWS MINOR VERSION:256"}}},
      {"versions without a class", {{6, "FLAWS MINOR VERSION:35"}}},
      {"5.23", {{5, "FLAWS MAJOR VERSION:5"}, {6, "FLAWS MINOR VERSION:23"}}},
      {"local too large", {{7, "FLAWS CONFIG LOCAL VERSION:256"}}},
      {"local not a number", {{7, "FLAWS CONFIG LOCAL VERSION:"}}},
      {"name", {{0, "PROGRAM NAME:VELTX"}}},
      {"flaw number", {{kRecordStart, "FLAW #:65536"}}},
      {"record device index", {{kRecordStart + 1, "DEVICE INDEX:x"}}},
      {"record major", {{kRecordStart + 2, "MAJOR_VERSION:256"}}},
      {"record minor", {{kRecordStart + 3, "MINOR_VERSION:-3"}}},
      {"record local", {{kRecordStart + 4, "CONF_LOC_VERSION:"}}},
      {"array size above 320", {{kRecordStart + 5, "ARRAY_SIZE:321"}}},
      {"samples quantity", {{kRecordStart + 6, "SAMPLES_QUANTITY:70000"}}},
      {"print flag", {{kRecordStart + 7, "PRINT_FLAG:on"}}},
      {"B-scan marker", {{kBScanMarker, "---B-SCAN---"}}},
      {"first sample", {{kFirstSample, "256"}}},
      {"last sample", {{kLastSample, "x"}}},
      {"A-scan marker", {{kAScanMarker, "---A_SCANS---"}}},
      {"first envelope value", {{kFirstEnvelopeValue, "-1"}}},
      {"last envelope value", {{kLastEnvelopeValue, "1000"}}},
      {"comment count", {{kCommentCount, "COMMENTS QUANTITY:256"}}},
      {"comment count", {{kCommentCount, "COMMENTS QUANTITY:x"}}},
      {"configuration device index", {{kConfigStart, "DEVICE INDEX:256"}}},
      {"configuration number", {{kConfigStart + 3, "CONFIGURATION #:x"}}},
      {"configuration name character", {{kConfigStart + 5, "256"}}},
      {"configuration time scale", {{kConfigStart + 20, "INDEX_MARK_MKS:-1"}}},
  };
  for (const TBadFile& c : cases) {
    SCOPED_TRACE(c.What);
    const fs::path bad = Edited(good, Folder / "bad.dtf", c.Lines);
    for (const bool sameShape : {true, false}) {
      auto held = sameShape ? HeldFlaws() : Flaws({2, 2, 4, 1, 3}, 43);
      const std::string before = Snapshot(*held);
      const TFileResult result = OpenRecordFile(*held, bad);
      EXPECT_FALSE(result.Ok);
      EXPECT_FALSE(result.Error.empty());
      EXPECT_TRUE(Snapshot(*held) == before) << "the held collection changed";
    }
  }
}

TEST_F(RecordFiles, BadConfigurationFilesFailAndLeaveTheCollectionAsItWas) {
  const TShape shape{2, 1, 3, 27, 0};
  const fs::path good = Folder / "good.ctf";
  auto source = Configs(shape, 50);
  source->Configurations[0]->Comments.clear();
  ASSERT_TRUE(SaveConfigurationFile(*source, good).Ok);
  const std::size_t second = 8 + CrLfLines(WriteText(*source->Configurations[0])).size();
  ASSERT_EQ(FileLines(good)[second], "DEVICE INDEX:1");
  // The first line of the first configuration that starts with `key`.
  const auto lineOf = [lines = FileLines(good)](const std::string& key) {
    for (std::size_t i = 8; i < lines.size(); ++i) {
      if (lines[i].rfind(key, 0) == 0) return i;
    }
    return std::size_t{0};
  };
  const std::size_t velocity = lineOf("VELOCITY:");
  const std::size_t comments = lineOf("COMMENTS QUANTITY:");
  ASSERT_GT(velocity, 8u);
  ASSERT_GT(comments, velocity);
  ASSERT_LT(comments, second);

  const std::vector<TBadFile> cases = {
      {"program major", {{1, "PROGRAM MAJOR VERSION:1"}}},
      {"program major not a number", {{1, "PROGRAM MAJOR VERSION:zero"}}},
      {"program minor", {{2, "PROGRAM MINOR VERSION:2"}}},
      {"quantity 0", {{3, "CONFIGS QUANTITY:0"}}},
      {"quantity not a number", {{3, "CONFIGS QUANTITY:2x"}}},
      {"quantity too large", {{3, "CONFIGS QUANTITY:65536"}}},
      {"quantity above the configurations", {{3, "CONFIGS QUANTITY:3"}}},
      {"device type", {{4, "DEVICE TYPE:256"}}},
      {"device type without a class", {{4, "DEVICE TYPE:7"}}},
      {"major too new", {{5, "CONFIGS MAJOR VERSION:6"}}},
      {"5.23", {{5, "CONFIGS MAJOR VERSION:5"}, {6, "CONFIGS MINOR VERSION:23"}}},
      {"versions without a class", {{6, "CONFIGS MINOR VERSION:40"}}},
      {"local", {{7, "CONFIGS CONF LOCAL VERSION:x"}}},
      {"name", {{0, "velt"}}},
      {"first value", {{8, "DEVICE INDEX:-1"}}},
      {"velocity", {{velocity, "VELOCITY:65536"}}},
      {"velocity not a number", {{velocity, "VELOCITY:fast"}}},
      {"second configuration", {{second + 1, "MAJOR VERSION #:256"}}},
      {"comment count", {{comments, "COMMENTS QUANTITY:x"}}},
      {"comment count", {{comments, "COMMENTS QUANTITY:65536"}}},
      {"exact cursor flag", {{second - 3, "EXACT_SCREEN_CURS_POS_FLAG:256"}}},
  };
  for (const TBadFile& c : cases) {
    SCOPED_TRACE(c.What);
    const fs::path bad = Edited(good, Folder / "bad.ctf", c.Lines);
    for (const bool sameShape : {true, false}) {
      auto held = HeldConfigs(sameShape ? shape : TShape{100, 2, 4, 1, 3});
      const std::string before = Snapshot(*held);
      const TFileResult result = LoadConfigurationFile(*held, bad);
      EXPECT_FALSE(result.Ok);
      EXPECT_FALSE(result.Error.empty());
      EXPECT_TRUE(Snapshot(*held) == before) << "the held collection changed";
    }
  }
}

TEST_F(RecordFiles, FilesThatAreNotThereOrHoldTooLittleFail) {
  const fs::path claim = Folder / "claim.dtf";
  const fs::path claimCtf = Folder / "claim.ctf";
  const std::string claimHeader =
      "PROGRAM NAME:VELT\r\nPROGRAM MAJOR VERSION:0\r\n"
      "PROGRAM MINOR VERSION:1\r\nFLAWS QUANTITY:65535\r\n"
      "DEVICE TYPE:1\r\nFLAWS MAJOR VERSION:3\r\n"
      "FLAWS MINOR VERSION:27\r\nFLAWS CONFIG LOCAL VERSION:0\r\n";
  const std::vector<std::pair<std::string, std::string>> files = {
      {"empty", ""},
      {"two lines", "PROGRAM NAME:VELT\r\nPROGRAM MAJOR VERSION:0\r\n"},
      {"header claiming 65535", claimHeader},
      {"header claiming 65535 and two lines", claimHeader + "FLAW #:1\r\nDEVICE INDEX:1\r\n"},
      {"binary", std::string("\0\xFF\r\n\x01", 5)},
  };
  for (const auto& [what, bytes] : files) {
    SCOPED_TRACE(what);
    WriteFile(claim, bytes);
    std::string configBytes = bytes;
    for (const std::string key :
         {"FLAWS QUANTITY", "FLAWS MAJOR", "FLAWS MINOR", "FLAWS CONFIG LOCAL"}) {
      const std::size_t at = configBytes.find(key);
      if (at != std::string::npos) configBytes.replace(at, 5, "CONFIGS");
    }
    WriteFile(claimCtf, configBytes);
    auto flaws = HeldFlaws();
    const std::string flawsBefore = Snapshot(*flaws);
    const auto start = std::chrono::steady_clock::now();
    const TFileResult opened = OpenRecordFile(*flaws, claim);
    // A claim the file cannot hold is refused before anything is built for it.
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
    EXPECT_FALSE(opened.Ok);
    EXPECT_FALSE(opened.Error.empty());
    EXPECT_TRUE(Snapshot(*flaws) == flawsBefore);
    auto configs = HeldConfigs({2, 1, 3, 27, 0});
    const std::string configsBefore = Snapshot(*configs);
    const TFileResult loaded = LoadConfigurationFile(*configs, claimCtf);
    EXPECT_FALSE(loaded.Ok);
    EXPECT_FALSE(loaded.Error.empty());
    EXPECT_TRUE(Snapshot(*configs) == configsBefore);
  }
  for (const fs::path& missing : {Folder / "missing.dtf", Folder.Path}) {
    SCOPED_TRACE(missing.string());
    auto flaws = HeldFlaws();
    const std::string flawsBefore = Snapshot(*flaws);
    const TFileResult opened = OpenRecordFile(*flaws, missing);
    EXPECT_FALSE(opened.Ok);
    EXPECT_FALSE(opened.Error.empty());
    EXPECT_TRUE(Snapshot(*flaws) == flawsBefore);
    auto configs = HeldConfigs({2, 1, 3, 27, 0});
    const std::string configsBefore = Snapshot(*configs);
    const TFileResult loaded = LoadConfigurationFile(*configs, missing);
    EXPECT_FALSE(loaded.Ok);
    EXPECT_FALSE(loaded.Error.empty());
    EXPECT_TRUE(Snapshot(*configs) == configsBefore);
  }
}

// ---- Damaged files ---------------------------------------------------------------------------

// A damaged copy of a file's bytes, and what the refusal must say.
struct TDamage {
  const char* What;
  std::function<std::string(const std::string&)> Damage;
  std::vector<std::string> Said;
};

std::string WithLine(const std::string& bytes, std::size_t index, const std::string& text) {
  std::vector<std::string> lines = CrLfLines(bytes);
  lines.at(index) = text;
  return Joined(lines);
}

TEST_F(RecordFiles, DamagedFilesAreRefusedWithTheLineAndTheReason) {
  const TShape shape{2, 1, 3, 27, 0};
  const fs::path dtf = Folder / "good.dtf";
  const fs::path ctf = Folder / "good.ctf";
  ASSERT_TRUE(SaveRecordFile(*Flaws(shape, 70), dtf).Ok);
  ASSERT_TRUE(SaveConfigurationFile(*Configs(shape, 71), ctf).Ok);
  const std::vector<TDamage> cases = {
      {"an entry after the last one",
       [](const std::string& b) { return b + "\r\nFLAW #:3\r\n"; },
       {"\"FLAW #:3\" follows the last entry"}},
      {"a lowered count",
       [](const std::string& b) { return WithLine(b, 3, "QUANTITY:1"); },
       {"follows the last entry"}},
      {"a count with a plus sign",
       [](const std::string& b) { return WithLine(b, 3, "QUANTITY:+2"); },
       {"Line 4: \"+2\" is not a valid integer value"}},
      {"a count with a leading zero",
       [](const std::string& b) { return WithLine(b, 3, "QUANTITY:02"); },
       {"Line 4: \"02\" is not a valid integer value"}},
      {"cut inside the last line",
       [](const std::string& b) { return b.substr(0, b.size() - 3); },
       {"has no line end"}},
      {"cut between CR and LF",
       [](const std::string& b) { return b.substr(0, b.size() - 1); },
       {"has no line end"}},
      {"a NUL byte in a value",
       [](const std::string& b) { return WithLine(b, 4, std::string("DEVICE TYPE:1\0 x\x1b", 17)); },
       {"Line 5: \"1\\x00 x\\x1b\" is not a valid integer value"}},
      {"no line break at all",
       [](const std::string&) { return std::string(3 << 20, 'A'); },
       {"Line 1 is too long", "65536 bytes", "\"AAAA"}},
      {"a long line inside",
       [](const std::string& b) { return WithLine(b, 9, "X:" + std::string(70000, '7')); },
       {"Line 10 is too long"}},
  };
  for (const fs::path& good : {dtf, ctf}) {
    const std::string bytes = ReadFile(good);
    const std::string key = good == dtf ? "FLAWS " : "CONFIGS ";
    for (const TDamage& c : cases) {
      SCOPED_TRACE(good.extension().string() + ": " + c.What);
      std::string damaged = c.Damage(bytes);
      const std::size_t quantity = damaged.find("\nQUANTITY:");
      if (quantity != std::string::npos) {
        damaged.insert(quantity + 1, key);
      }
      const fs::path bad = Folder / ("bad" + good.extension().string());
      WriteFile(bad, damaged);
      auto flaws = HeldFlaws();
      auto configs = HeldConfigs(shape);
      const std::string before = good == dtf ? Snapshot(*flaws) : Snapshot(*configs);
      const TFileResult result =
          good == dtf ? OpenRecordFile(*flaws, bad) : LoadConfigurationFile(*configs, bad);
      EXPECT_FALSE(result.Ok);
      for (const std::string& said : c.Said) {
        EXPECT_NE(result.Error.find(said), std::string::npos) << result.Error;
      }
      EXPECT_TRUE((good == dtf ? Snapshot(*flaws) : Snapshot(*configs)) == before);
    }
  }
}

TEST_F(RecordFiles, WhatIsNotARegularFileIsRefusedWithoutWaiting) {
  const fs::path fifo = Folder / "fifo.dtf";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  for (const fs::path& path : {fifo, fs::path("/dev/zero"), Folder.Path}) {
    SCOPED_TRACE(path.string());
    auto opening = std::async(std::launch::async, [&path] {
      TFlawDataBlock flaws;
      TUSBConfigsBlock configs;
      return std::pair(OpenRecordFile(flaws, path), LoadConfigurationFile(configs, path));
    });
    if (opening.wait_for(std::chrono::seconds(5)) != std::future_status::ready) {
      ADD_FAILURE() << "opening waits";
      // Writers that come and go end the waits.
      while (opening.wait_for(std::chrono::milliseconds(100)) != std::future_status::ready) {
        ::close(::open(fifo.c_str(), O_WRONLY | O_NONBLOCK));
      }
    }
    const auto [opened, loaded] = opening.get();
    EXPECT_FALSE(opened.Ok);
    EXPECT_FALSE(loaded.Ok);
    const std::string why = path == Folder.Path ? "is a folder" : "is not a regular file";
    EXPECT_NE(opened.Error.find(why), std::string::npos) << opened.Error;
    EXPECT_NE(loaded.Error.find(why), std::string::npos) << loaded.Error;
  }
}

// ---- Files cut short ------------------------------------------------------------------------

// The byte offsets at which each line of a file starts.
std::vector<std::uintmax_t> LineStarts(const std::string& bytes) {
  std::vector<std::uintmax_t> starts{0};
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] == '\n' && i + 1 < bytes.size()) starts.push_back(i + 1);
  }
  return starts;
}

class FileCutShort : public ::testing::TestWithParam<TVariant> {
 protected:
  TTemporaryFolder Folder;
};

TEST_P(FileCutShort, ConfigurationFileCutAfterAnyLineFails) {
  const TShape shape = ShapeOf(GetParam(), 2);
  auto source = Configs(shape, 60);
  const fs::path path = Folder / "cut.ctf";
  ASSERT_TRUE(SaveConfigurationFile(*source, path).Ok);
  const std::vector<std::uintmax_t> starts = LineStarts(ReadFile(path));
  auto held = HeldConfigs(shape);
  const std::string before = Snapshot(*held);
  // From the longest cut to the shortest, so each cut shortens the file.
  for (std::size_t lines = starts.size(); lines-- > 0;) {
    fs::resize_file(path, starts[lines]);
    const TFileResult result = LoadConfigurationFile(*held, path);
    ASSERT_FALSE(result.Ok) << "cut after " << lines << " of " << starts.size() << " lines";
    ASSERT_FALSE(result.Error.empty());
  }
  EXPECT_TRUE(Snapshot(*held) == before);
}

// Every cut of the file is tried with one class; the others try the cuts
// from the record's comment count on, where their configurations lie.
TEST_P(FileCutShort, RecordFileCutAfterAnyLineFails) {
  const TShape shape = ShapeOf(GetParam(), 1);
  auto source = Flaws(shape, 61);
  source->Records[0]->Comments = {"c1", "c2"};
  const fs::path path = Folder / "cut.dtf";
  ASSERT_TRUE(SaveRecordFile(*source, path).Ok);
  const std::vector<std::uintmax_t> starts = LineStarts(ReadFile(path));
  const bool everyLine = GetParam().Device == k326.Device && GetParam().Minor == k326.Minor;
  const std::size_t first = everyLine ? 0 : kCommentCount;
  auto held = HeldFlaws();
  const std::string before = Snapshot(*held);
  for (std::size_t lines = starts.size(); lines-- > first;) {
    fs::resize_file(path, starts[lines]);
    const TFileResult result = OpenRecordFile(*held, path);
    ASSERT_FALSE(result.Ok) << "cut after " << lines << " of " << starts.size() << " lines";
    ASSERT_FALSE(result.Error.empty());
    if (lines % 1000 == 0) {
      ASSERT_TRUE(Snapshot(*held) == before) << "cut after " << lines;
    }
  }
  EXPECT_TRUE(Snapshot(*held) == before);
}

INSTANTIATE_TEST_SUITE_P(Classes, FileCutShort, ::testing::ValuesIn(AllVariants()), VariantName);

// ---- Saving ---------------------------------------------------------------------------------

TEST_F(RecordFiles, NothingToSaveFailsAndWritesNothing) {
  const fs::path existing = Folder / "existing.dtf";
  WriteFile(existing, "previous");
  TFlawDataBlock flaws;
  TUSBConfigsBlock configs;
  for (const fs::path& target : {existing, Folder / "new.dtf"}) {
    const TFileResult r1 = SaveRecordFile(flaws, target);
    EXPECT_FALSE(r1.Ok);
    EXPECT_FALSE(r1.Error.empty());
    const TFileResult r2 = SaveConfigurationFile(configs, target);
    EXPECT_FALSE(r2.Ok);
    EXPECT_FALSE(r2.Error.empty());
  }
  EXPECT_EQ(ReadFile(existing), "previous");
  EXPECT_EQ(Folder.Names(), std::vector<std::string>{"existing.dtf"});
}

TEST_F(RecordFiles, SavingReplacesThePreviousFileWholeAndKeepsItsMode) {
  const fs::path dtf = Folder / "a.dtf";
  const fs::path ctf = Folder / "a.ctf";
  WriteFile(dtf, std::string(2'000'000, 'x'));  // longer than what replaces it
  WriteFile(ctf, std::string(100'000, 'y'));
  ASSERT_EQ(::chmod(dtf.c_str(), 0640), 0);
  auto flaws = Flaws(kOne326, 70);
  auto configs = Configs({2, 1, 3, 27, 0}, 71);
  ASSERT_TRUE(SaveRecordFile(*flaws, dtf).Ok);
  ASSERT_TRUE(SaveConfigurationFile(*configs, ctf).Ok);
  TFlawDataBlock opened;
  ASSERT_TRUE(OpenRecordFile(opened, dtf).Ok);
  TUSBConfigsBlock loaded;
  ASSERT_TRUE(LoadConfigurationFile(loaded, ctf).Ok);
  EXPECT_EQ(fs::status(dtf).permissions() & fs::perms::mask, static_cast<fs::perms>(0640));
  // A new file gets the usual mode, not that of a private temporary file.
  const fs::path fresh = Folder / "fresh.ctf";
  const mode_t old = ::umask(022);
  const bool freshSaved = SaveConfigurationFile(*configs, fresh).Ok;
  ::umask(old);
  ASSERT_TRUE(freshSaved);
  EXPECT_EQ(fs::status(fresh).permissions() & fs::perms::mask, static_cast<fs::perms>(0644));
  EXPECT_EQ(Folder.Names(), (std::vector<std::string>{"a.ctf", "a.dtf", "fresh.ctf"}));
}

TEST_F(RecordFiles, FailedSavesLeaveThePreviousFileAndNoTemporaryFile) {
  const fs::path dtf = Folder / "keep.dtf";
  const fs::path ctf = Folder / "keep.ctf";
  auto flaws = Flaws(kOne326, 80);
  auto configs = Configs({3, 1, 3, 27, 0}, 81);
  ASSERT_TRUE(SaveRecordFile(*flaws, dtf).Ok);
  ASSERT_TRUE(SaveConfigurationFile(*configs, ctf).Ok);
  const std::string dtfBefore = ReadFile(dtf);
  const std::string ctfBefore = ReadFile(ctf);
  fs::create_directory(Folder / "occupied.dtf");
  WriteFile(Folder / "occupied.dtf" / "inside", "x");
  WriteFile(Folder / "plain", "a regular file");
  const std::vector<std::string> names = Folder.Names();

  // Other contents for the same files: a failed save must not leave them.
  auto otherFlaws = Flaws(kOne326, 82);
  auto otherConfigs = Configs({3, 1, 3, 27, 0}, 83);
  const auto expectFailure = [&](const fs::path& dtfTarget, const fs::path& ctfTarget) {
    const TFileResult r1 = SaveRecordFile(*otherFlaws, dtfTarget);
    EXPECT_FALSE(r1.Ok) << dtfTarget;
    EXPECT_FALSE(r1.Error.empty());
    const TFileResult r2 = SaveConfigurationFile(*otherConfigs, ctfTarget);
    EXPECT_FALSE(r2.Ok) << ctfTarget;
    EXPECT_FALSE(r2.Error.empty());
  };
  {
    SCOPED_TRACE("a folder that does not exist");
    expectFailure(Folder / "missing" / "x.dtf", Folder / "missing" / "x.ctf");
  }
  {
    SCOPED_TRACE("a folder that is a regular file");
    expectFailure(Folder / "plain" / "sub" / "x.dtf", Folder / "plain" / "x.ctf");
  }
  {
    SCOPED_TRACE("a target that is a folder");
    expectFailure(Folder / "occupied.dtf", Folder / "occupied.dtf");
    EXPECT_EQ(ReadFile(Folder / "occupied.dtf" / "inside"), "x");
  }
  {
    SCOPED_TRACE("writing fails midway");
    const testing::TFileSizeLimit limit(4096);
    ASSERT_TRUE(limit.Ok);
    expectFailure(dtf, ctf);
  }
  EXPECT_TRUE(ReadFile(dtf) == dtfBefore);
  EXPECT_TRUE(ReadFile(ctf) == ctfBefore);
  EXPECT_EQ(Folder.Names(), names);
  EXPECT_EQ(fs::directory_iterator(Folder / "occupied.dtf")->path().filename(), "inside");
  // And the files still open as they were written.
  TFlawDataBlock opened;
  ASSERT_TRUE(OpenRecordFile(opened, dtf).Ok);
  ExpectSameCarriedRecord(*flaws->Records[0], *opened.Records[0], 1);
}

}  // namespace
}  // namespace velt
