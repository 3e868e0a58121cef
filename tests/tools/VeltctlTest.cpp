// veltctl run as a program on record and configuration files written by the
// program's own writers: the check summary, the JSON dump read back, the
// A-scan text, help, and the failures with their exit statuses.
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <config/ConfigObject5_01ver_Unit.h>
#include <records/RecordFilesUnit.h>

#include "tools/VeltctlRunSupport.h"

namespace velt {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;

// Windows-1251 bytes of the texts the files carry, and their UTF-8 form.
const std::string kCrackComment1251 =
    "\xD2\xF0\xE5\xF9\xE8\xED\xE0"
    ": "
    "\xE3\xEB\xF3\xE1\xE8\xED\xE0"
    " 5 "
    "\xEC\xEC";
const std::string kCrackCommentUtf8 = "Трещина: глубина 5 мм";
const std::string kWeldName1251 = "\xD8\xCE\xC2 12";
const std::string kWeldNameUtf8 = "ШОВ 12        ";  // the 14 characters the file keeps

class VeltctlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "veltctl-test-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    Folder = pattern;
  }
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(Folder, ignored);
  }

  TRun Run(const std::vector<std::string>& arguments) const {
    return RunVeltctl(arguments, Folder);
  }

  // Three records of firmware 3.26 (device type 1), each with its own
  // signal type, B-scan, envelopes and comments.
  fs::path WriteRecordFile(const std::string& name = "records.dtf") {
    TFlawDataBlock block;
    block.Build(3, 3, 26, 1, 1);
    const std::uint8_t signalTypes[3] = {0, 2, 3};
    for (std::size_t i = 0; i < block.Records.size(); ++i) {
      TDataCell& r = *block.Records[i];
      r.FlawNumber = static_cast<std::uint16_t>(100 + i);
      r.DeviceIndex = 1;
      r.MajorVersion = 3;
      r.MinorVersion = 26;
      r.ConfigLocalVersion = 1;
      r.PrintFlag = static_cast<std::uint8_t>(i % 2);
      r.SamplesQuantity = static_cast<std::uint16_t>(300 + i);
      for (std::size_t c = 0; c < r.BScan.size(); ++c) {
        for (std::size_t s = 0; s < r.BScan[c].size(); ++s) {
          r.BScan[c][s] = static_cast<std::uint8_t>((c * 7 + s * 3 + i * 11) % 256);
        }
      }
      for (std::size_t k = 0; k < kRecordArraySize; ++k) {
        r.FirstMaximums[k] = static_cast<std::uint8_t>((k * 5 + i) % 181);
        r.FirstMinimums[k] = static_cast<std::uint8_t>((k * 3 + i) % 91);
        r.SecondMaximums[k] = static_cast<std::uint8_t>((k + 40 * i) % 181);
        r.SecondMinimums[k] = static_cast<std::uint8_t>((k * 13) % 91);
      }
      r.Comments = {kCrackComment1251, "plain: two: colons"};
      auto& cell = dynamic_cast<T3_26ConfigCell&>(*r.Configuration());
      cell.SIGNAL_TYPE = signalTypes[i];
      cell.CONFIGURATION_NAME = kWeldName1251;
      cell.VELOCITY = static_cast<std::uint16_t>(3200 + i);
      cell.THICKNESS = 12.34;
      cell.ARD_CORRECTION = -17;
      cell.TGV_POS[3] = 777;
      cell.BeamAngle = 45.5;
      cell.StrobeBeginTime[0] = 7.25;
      cell.EXACT_SCREEN_CURS_POSITION = 10.5;
      cell.CONFIG_INDEX = static_cast<std::uint16_t>(9 - i);
      cell.Comments = {"weld " + std::to_string(i)};
    }
    const fs::path path = Folder / name;
    const TFileResult saved = SaveRecordFile(block, path);
    EXPECT_TRUE(saved.Ok) << saved.Error;
    return path;
  }

  fs::path Folder;
};

// The collection as the program opens it, for comparing what veltctl says.
std::unique_ptr<TFlawDataBlock> Opened(const fs::path& path) {
  auto block = std::make_unique<TFlawDataBlock>();
  const TFileResult opened = OpenRecordFile(*block, path);
  EXPECT_TRUE(opened.Ok) << opened.Error;
  return block;
}

json Parse(const TRun& run) {
  try {
    return json::parse(run.Out);
  } catch (const json::exception& e) {
    ADD_FAILURE() << "dump did not print JSON: " << e.what();
    return json();
  }
}

// ---- check ---------------------------------------------------------------

TEST_F(VeltctlTest, CheckSummarisesRecordFileInOneLine) {
  const fs::path path = WriteRecordFile();
  const TRun run = Run({"check", path.string()});
  EXPECT_EQ(run.Status, 0);
  EXPECT_EQ(run.Out, path.string() +
                         ": record file, 3 records, device type 1, firmware 3.26, local "
                         "version 1, class T3_26ConfigCell\n");
  EXPECT_EQ(run.Err, "");
}

struct TVersionCase {
  std::uint8_t Major, Minor, Local;
  const char* Firmware;
  const char* ClassName;
};

void PrintTo(const TVersionCase& v, std::ostream* os) {
  *os << v.Firmware << " " << v.ClassName;
}

class VeltctlConfigurationTest : public VeltctlTest,
                                 public ::testing::WithParamInterface<TVersionCase> {
 protected:
  // Two configurations of the case's class with values in every kind of
  // field, the later layouts' own fields included.
  fs::path WriteConfigurationFile(TNumberFormat format = {},
                                  const std::string& name = "setups.ctf") {
    const TVersionCase& v = GetParam();
    TUSBConfigsBlock block;
    block.Build(2, v.Major, v.Minor, v.Local, 1, format);
    for (std::size_t i = 0; i < block.Configurations.size(); ++i) {
      TBaseConfigCell& cell = *block.Configurations[i];
      cell.CONFIGURATION_NAME = "SETUP " + std::to_string(i);
      cell.VELOCITY = static_cast<std::uint16_t>(5900 + i);
      cell.INDEX_MARK_MKS = 3;
      cell.STROBE_1_BEGIN = 33;
      cell.PROBE_DELAY = 8.6;
      cell.ARD_CORRECTION = -123456;
      cell.B_SCAN_RATE = 7;
      cell.LAST_MEM_CELL = 42;
      cell.USED_MODE = cell.UsedModeCopy = 0x0300;
      cell.PICTOGR_ARRAY[24] = 9;
      cell.Comments = {kCrackComment1251};
      if (auto* c = dynamic_cast<T3_17ConfigCell*>(&cell)) {
        c->StrobeBeginTime[0] = 12.5;
        c->StrobeEndTime[1] = 99.75;
        c->BeamAngle = 38.25;
        c->PIXEL_GRID_LENGTH_MM_DEPTH = 41.5;
        c->AMPLITUDE_MARKER_POSITION = 150;
      }
      if (auto* c = dynamic_cast<T3_26ConfigCell*>(&cell)) {
        c->EXACT_SCREEN_CURS_POS_FLAG = 1;
        c->EXACT_LUPA_MKS_CURS_POSITION = 3.5;
      }
      if (auto* c = dynamic_cast<T4_03ConfigCell*>(&cell)) {
        c->SCREEN_CURSOR_LUPA_POS = 123;
      }
      cell.Frozen = false;
      if (auto* c = dynamic_cast<T5_00ConfigCell*>(&cell)) {
        c->CURSOR_ON = 1;
      }
      if (auto* c = dynamic_cast<T5_01ConfigCell*>(&cell)) {
        c->VCURSOR_2 = 200;
      }
    }
    const fs::path path = Folder / name;
    const TFileResult saved = SaveConfigurationFile(block, path);
    EXPECT_TRUE(saved.Ok) << saved.Error;
    return path;
  }
};

TEST_P(VeltctlConfigurationTest, CheckNamesTheClassBuiltForTheFirmware) {
  const fs::path path = WriteConfigurationFile();
  const TRun run = Run({"check", path.string()});
  EXPECT_EQ(run.Status, 0) << run.Err;
  EXPECT_EQ(run.Out, path.string() + ": configuration file, 2 configurations, device type 1, " +
                         "firmware " + GetParam().Firmware + ", local version " +
                         std::to_string(GetParam().Local) + ", class " + GetParam().ClassName +
                         "\n");
}

TEST_P(VeltctlConfigurationTest, DumpHoldsTheLoadedValuesOfEveryLayout) {
  const fs::path path = WriteConfigurationFile();
  const TRun run = Run({"dump", path.string()});
  ASSERT_EQ(run.Status, 0) << run.Err;
  const json dump = Parse(run);
  TUSBConfigsBlock loaded;
  ASSERT_TRUE(LoadConfigurationFile(loaded, path).Ok);

  EXPECT_EQ(dump["kind"], "configuration file");
  const json& header = dump["header"];
  EXPECT_EQ(header["PROGRAM NAME"], "VELT");
  EXPECT_EQ(header["PROGRAM MINOR VERSION"], 1);
  EXPECT_EQ(header["CONFIGS QUANTITY"], 2);
  EXPECT_EQ(header["DEVICE TYPE"], 1);
  EXPECT_EQ(header["CONFIGS MAJOR VERSION"], GetParam().Major);
  EXPECT_EQ(header["CONFIGS MINOR VERSION"], GetParam().Minor);
  EXPECT_EQ(header["CONFIGS CONF LOCAL VERSION"], GetParam().Local);
  ASSERT_EQ(dump["configurations"].size(), 2u);

  for (std::size_t i = 0; i < 2; ++i) {
    SCOPED_TRACE("configuration " + std::to_string(i));
    const json& c = dump["configurations"][i];
    const TBaseConfigCell& cell = *loaded.Configurations[i];
    EXPECT_EQ(c["class"], GetParam().ClassName);
    // Set by loading: the storage index and the collection's device type.
    EXPECT_EQ(c["CONFIGURATION #"], i);
    EXPECT_EQ(c["DEVICE INDEX"], 1);
    EXPECT_EQ(c["DEVICE_INDEX"], 1);
    EXPECT_EQ(c["VELOCITY"], 5900 + i);
    EXPECT_EQ(c["ARD_CORRECTION"], -123456);
    EXPECT_DOUBLE_EQ(c["PROBE_DELAY"].get<double>(), 8.6);
    EXPECT_DOUBLE_EQ(c["B-SCAN RATE"].get<double>(), 7.0);
    EXPECT_EQ(c["LAST MEM CELL ???"], 42);
    EXPECT_EQ(c["USED MODE ???"], 0x0300);
    EXPECT_EQ(c["PICTOGR_ARRAY"].size(), 25u);
    EXPECT_EQ(c["PICTOGR_ARRAY"][24], 9);
    EXPECT_EQ(c["TGV_POS"].size(), 32u);
    EXPECT_EQ(c["COMMENTS QUANTITY"], 1);
    EXPECT_EQ(c["COMMENTS"], json::array({kCrackCommentUtf8}));
    EXPECT_EQ(c["CONFIGURATION_NAME"].get<std::string>(), cell.CONFIGURATION_NAME);
    EXPECT_EQ(c["INDEX_MARK_MKS"], 3);

    const auto* c317 = dynamic_cast<const T3_17ConfigCell*>(&cell);
    if (c317 != nullptr) {
      // The strobe lines carry times; the column fields are not stored.
      EXPECT_FALSE(c.contains("STROBE_1_BEGIN"));
      EXPECT_DOUBLE_EQ(c["strobe 1 begin time"].get<double>(), 12.5);
      EXPECT_DOUBLE_EQ(c["strobe 2 end time"].get<double>(), 99.75);
      EXPECT_DOUBLE_EQ(c["beam angle"].get<double>(), 38.25);
      EXPECT_EQ(c["INSERTION_ANGLE"], 38);
      EXPECT_DOUBLE_EQ(c["PIXEL_GRID_LENGTH_MM_DEPTH"].get<double>(), 41.5);
      EXPECT_DOUBLE_EQ(c["previous depth grid length"].get<double>(), 41.5);
      EXPECT_EQ(c["AMPLITUDE_MARKER_POSITION"], 150);
    } else {
      EXPECT_EQ(c["STROBE_1_BEGIN"], 33);
      EXPECT_FALSE(c.contains("beam angle"));
      EXPECT_FALSE(c.contains("AMPLITUDE_MARKER_POSITION"));
    }
    const bool is326 = dynamic_cast<const T3_26ConfigCell*>(&cell) != nullptr;
    EXPECT_EQ(c.contains("EXACT_SCREEN_CURS_POS_FLAG"), is326);
    if (is326) {
      EXPECT_EQ(c["EXACT_SCREEN_CURS_POS_FLAG"], 1);
      EXPECT_DOUBLE_EQ(c["EXACT_LUPA_MKS_CURS_POSITION"].get<double>(), 3.5);
    }
    const bool is403 = dynamic_cast<const T4_03ConfigCell*>(&cell) != nullptr;
    EXPECT_EQ(c.contains("SCREEN CURSOR LUPA POS"), is403);
    if (is403) {
      EXPECT_EQ(c["SCREEN CURSOR LUPA POS"], 123);
    }
    const bool is408 = dynamic_cast<const T4_08ConfigCell*>(&cell) != nullptr;
    EXPECT_EQ(c.contains("freeze flag"), is408);
    if (is408) {
      EXPECT_EQ(c["freeze flag"], false);
    }
    const bool is500 = dynamic_cast<const T5_00ConfigCell*>(&cell) != nullptr;
    EXPECT_EQ(c.contains("CURSOR_ON"), is500);
    // 15 name characters and "/" in 5.00, 14 and "/" before.
    ASSERT_EQ(c["name characters"].size(), is500 ? 16u : 15u);
    EXPECT_EQ(c["name characters"].back(), 47);  // "/"
    if (is500) {
      EXPECT_EQ(c["CURSOR_ON"], 1);
    }
    const bool is501 = dynamic_cast<const T5_01ConfigCell*>(&cell) != nullptr;
    EXPECT_EQ(c.contains("VCURSOR 2"), is501);
    if (is501) {
      EXPECT_EQ(c["VCURSOR 2"], 200);
    }
  }
}

// The same setups written with "," (as under a Russian locale) and with
// ".": opened in a collection of either format, both save the same bytes,
// so every value survives the other locale; veltctl dumps both alike.
TEST_P(VeltctlConfigurationTest, FilesOfEitherDecimalSeparatorOpenUnderTheOther) {
  const TNumberFormat comma{',', '\xA0'};
  const TNumberFormat point{'.', ','};
  const fs::path commaFile = WriteConfigurationFile(comma, "comma.ctf");
  const fs::path pointFile = WriteConfigurationFile(point, "point.ctf");
  const std::string commaText = ReadFile(commaFile);
  const std::string pointText = ReadFile(pointFile);
  // Reals in the text record come with the layouts from 3.17 on.
  EXPECT_EQ(commaText != pointText, GetParam().Major > 3 || GetParam().Minor >= 17);
  // Opened in a collection of the given format and saved again.
  const auto reloaded = [this](const fs::path& from, TNumberFormat format) {
    TUSBConfigsBlock opened;
    const TFileResult loaded = LoadConfigurationFile(opened, from, format);
    EXPECT_TRUE(loaded.Ok) << from.filename() << ": " << loaded.Error;
    const fs::path again = Folder / "again.ctf";
    EXPECT_TRUE(SaveConfigurationFile(opened, again).Ok);
    return loaded.Ok ? ReadFile(again) : std::string("not opened");
  };
  for (const TNumberFormat format : {point, comma}) {
    EXPECT_EQ(reloaded(commaFile, format), reloaded(pointFile, format))
        << "opened with " << format.DecimalSeparator;
  }
  const TRun commaDump = Run({"dump", commaFile.string()});
  const TRun pointDump = Run({"dump", pointFile.string()});
  EXPECT_EQ(commaDump.Status, 0) << commaDump.Err;
  EXPECT_EQ(pointDump.Status, 0) << pointDump.Err;
  EXPECT_EQ(commaDump.Out, pointDump.Out);
}

INSTANTIATE_TEST_SUITE_P(AllClasses, VeltctlConfigurationTest,
                         ::testing::Values(TVersionCase{3, 10, 0, "3.10", "TBaseConfigCell"},
                                           TVersionCase{3, 17, 0, "3.17", "T3_17ConfigCell"},
                                           TVersionCase{3, 26, 0, "3.26", "T3_26ConfigCell"},
                                           TVersionCase{4, 3, 2, "4.03", "T4_03ConfigCell"},
                                           TVersionCase{4, 8, 3, "4.08", "T4_08ConfigCell"},
                                           TVersionCase{5, 0, 0, "5.00", "T5_00ConfigCell"},
                                           TVersionCase{5, 1, 1, "5.01", "T5_01ConfigCell"}),
                         [](const auto& test) { return std::string(test.param.ClassName); });

TEST_F(VeltctlTest, KindComesFromTheHeaderBeforeTheExtension) {
  // A record file under a configuration file's extension is still opened
  // as records.
  const fs::path path = WriteRecordFile("misnamed.ctf");
  const TRun run = Run({"check", path.string()});
  EXPECT_EQ(run.Status, 0) << run.Err;
  EXPECT_NE(run.Out.find(": record file, 3 records"), std::string::npos) << run.Out;

  // A line 4 key that says neither falls back to the extension; the reader
  // does not compare keys, so the file opens.
  std::string text = ReadFile(path);
  const std::size_t key = text.find("FLAWS QUANTITY:");
  ASSERT_NE(key, std::string::npos);
  text.replace(key, 5, "FLAWZ");
  WriteFile(Folder / "renamed-key.dtf", text);
  const TRun byExtension = Run({"check", (Folder / "renamed-key.dtf").string()});
  EXPECT_EQ(byExtension.Status, 0) << byExtension.Err;
  EXPECT_NE(byExtension.Out.find(": record file, 3 records"), std::string::npos);

  WriteFile(Folder / "renamed-key.txt", text);
  const TRun neither = Run({"check", (Folder / "renamed-key.txt").string()});
  EXPECT_EQ(neither.Status, 1);
  EXPECT_EQ(neither.Out, "");
  EXPECT_NE(neither.Err.find("neither a record file nor a configuration file"), std::string::npos)
      << neither.Err;
}

// ---- dump ----------------------------------------------------------------

TEST_F(VeltctlTest, DumpOfRecordFileHoldsEveryRecordAsOpened) {
  const fs::path path = WriteRecordFile();
  const TRun run = Run({"dump", path.string()});
  ASSERT_EQ(run.Status, 0) << run.Err;
  EXPECT_EQ(run.Err, "");
  const json dump = Parse(run);
  const auto opened = Opened(path);

  EXPECT_EQ(dump["kind"], "record file");
  const json& header = dump["header"];
  EXPECT_EQ(header["PROGRAM NAME"], "VELT");
  EXPECT_EQ(header["PROGRAM MAJOR VERSION"], 0);
  EXPECT_EQ(header["PROGRAM MINOR VERSION"], 1);
  EXPECT_EQ(header["FLAWS QUANTITY"], 3);
  EXPECT_EQ(header["DEVICE TYPE"], 1);
  EXPECT_EQ(header["FLAWS MAJOR VERSION"], 3);
  EXPECT_EQ(header["FLAWS MINOR VERSION"], 26);
  EXPECT_EQ(header["FLAWS CONFIG LOCAL VERSION"], 1);
  ASSERT_EQ(dump["records"].size(), 3u);

  for (std::size_t i = 0; i < 3; ++i) {
    SCOPED_TRACE("record " + std::to_string(i));
    const json& r = dump["records"][i];
    const TDataCell& record = *opened->Records[i];
    EXPECT_EQ(r["FLAW #"], 100 + i);
    EXPECT_EQ(r["DEVICE INDEX"], 1);
    EXPECT_EQ(r["MINOR_VERSION"], 26);
    EXPECT_EQ(r["CONF_LOC_VERSION"], 1);
    EXPECT_EQ(r["ARRAY_SIZE"], 320);
    EXPECT_EQ(r["SAMPLES_QUANTITY"], 300 + i);
    EXPECT_EQ(r["PRINT_FLAG"], i % 2);
    ASSERT_EQ(r["B_SCAN"].size(), 224u);
    for (std::size_t c = 0; c < 224; ++c) {
      ASSERT_EQ(r["B_SCAN"][c].size(), 88u);
      for (std::size_t s = 0; s < 88; s += 29) {
        EXPECT_EQ(r["B_SCAN"][c][s], (c * 7 + s * 3 + i * 11) % 256) << c << "," << s;
      }
    }
    const std::pair<const char*, const std::vector<std::uint8_t>*> envelopes[] = {
        {"FIRST MAXIMUMS", &record.FirstMaximums},
        {"FIRST MINIMUMS", &record.FirstMinimums},
        {"SECOND MAXIMUMS", &record.SecondMaximums},
        {"SECOND MINIMUMS", &record.SecondMinimums}};
    for (const auto& [key, values] : envelopes) {
      ASSERT_EQ(r[key].size(), 320u) << key;
      EXPECT_EQ(r[key].get<std::vector<int>>(),
                std::vector<int>(values->begin(), values->begin() + 320))
          << key;
    }
    EXPECT_EQ(r["SECOND MAXIMUMS"][7], (7 + 40 * i) % 181);
    EXPECT_EQ(r["COMMENTS QUANTITY"], 2);
    EXPECT_EQ(r["COMMENTS"], json::array({kCrackCommentUtf8, "plain: two: colons"}));

    const json& c = r["configuration"];
    EXPECT_EQ(c["class"], "T3_26ConfigCell");
    EXPECT_EQ(c["CONFIGURATION_NAME"], kWeldNameUtf8);
    EXPECT_EQ(c["name characters"][0], 0xD8);
    EXPECT_EQ(c["name characters"][14], 47);  // "/"
    EXPECT_EQ(c["SIGNAL TYPE"], (std::vector<int>{0, 2, 3}[i]));
    EXPECT_EQ(c["VELOCITY"], 3200 + i);
    EXPECT_DOUBLE_EQ(c["THICKNESS"].get<double>(), 12.34);
    EXPECT_EQ(c["ARD_CORRECTION"], -17);
    EXPECT_EQ(c["TGV_POS"][3], 777);
    EXPECT_DOUBLE_EQ(c["beam angle"].get<double>(), 45.5);
    EXPECT_DOUBLE_EQ(c["strobe 1 begin time"].get<double>(), 7.25);
    EXPECT_DOUBLE_EQ(c["EXACT_SCREEN_CURS_POSITION"].get<double>(), 10.5);
    EXPECT_EQ(c["CONFIG INDEX"], 9 - i);
    EXPECT_EQ(c["COMMENTS"], json::array({"weld " + std::to_string(i)}));
  }
}

TEST_F(VeltctlTest, DumpCompactIsOneLineOfTheSameJson) {
  const fs::path path = WriteRecordFile();
  const TRun indented = Run({"dump", path.string()});
  const TRun compact = Run({"dump", "--compact", path.string()});
  ASSERT_EQ(compact.Status, 0) << compact.Err;
  EXPECT_EQ(compact.Out.find('\n'), compact.Out.size() - 1);
  EXPECT_GT(indented.Out.size(), compact.Out.size());
  EXPECT_EQ(Parse(compact), Parse(indented));
}

// ---- ascan ---------------------------------------------------------------

TEST_F(VeltctlTest, AScanPrintsTheClipboardTextOfEachRecord) {
  const fs::path path = WriteRecordFile();
  const auto opened = Opened(path);
  for (std::size_t n = 1; n <= 3; ++n) {
    SCOPED_TRACE("record " + std::to_string(n));
    const TRun run = Run({"ascan", path.string(), std::to_string(n)});
    EXPECT_EQ(run.Status, 0) << run.Err;
    EXPECT_EQ(run.Err, "");
    const std::string expected = opened->Records[n - 1]->AScanText();
    ASSERT_FALSE(expected.empty());
    EXPECT_EQ(run.Out, expected);
  }
  // Signal type 3 shows the envelopes around the centre line: a negative
  // value proves the record's own signal type was used.
  EXPECT_NE(Run({"ascan", path.string(), "3"}).Out.find("-90\t"), std::string::npos);
}

// ---- help and failures ---------------------------------------------------

TEST_F(VeltctlTest, HelpGoesToStdoutWithSuccess) {
  const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
      {{"--help"}, "Usage: veltctl [--simulate PROFILE|FOLDER] COMMAND"},
      {{"-h"}, "Usage: veltctl [--simulate PROFILE|FOLDER] COMMAND"},
      {{"help"}, "Usage: veltctl [--simulate PROFILE|FOLDER] COMMAND"},
      {{"help", "records", "pull"}, "Usage: veltctl [--simulate PROFILE|FOLDER] records pull"},
      {{"configs", "push", "--help"}, "Usage: veltctl [--simulate PROFILE|FOLDER] configs push"},
      {{"--simulate", "1:3.26", "clock", "set", "-h"}, "Usage: veltctl [--simulate PROFILE|FOLDER] clock set"},
      {{"info", "--help"}, "Usage: veltctl [--simulate PROFILE|FOLDER] info"},
      {{"check", "--help"}, "Usage: veltctl check FILE"},
      {{"help", "dump"}, "Usage: veltctl dump [--compact] FILE"},
      {{"dump", "-h", "whatever.dtf"}, "Usage: veltctl dump"},
      {{"ascan", "--help"}, "Usage: veltctl ascan FILE N"},
      {{"configs", "--help"}, "Usage: veltctl [--simulate PROFILE|FOLDER] configs pull|push"},
      {{"help", "configs"}, "Usage: veltctl [--simulate PROFILE|FOLDER] configs pull|push"},
      {{"--help", "records"}, "Usage: veltctl [--simulate PROFILE|FOLDER] records pull"},
      {{"report", "--help"}, "Usage: veltctl report FILE.dtf --header REPORT.rct"},
      {{"help", "report"}, "Usage: veltctl report FILE.dtf --header REPORT.rct"},
  };
  for (const auto& [arguments, start] : cases) {
    SCOPED_TRACE(arguments[0] + (arguments.size() > 1 ? " " + arguments[1] : ""));
    const TRun run = Run(arguments);
    EXPECT_EQ(run.Status, 0);
    EXPECT_EQ(run.Out.rfind(start, 0), 0u) << run.Out;
    EXPECT_EQ(run.Err, "");
  }
}

TEST_F(VeltctlTest, FailuresGoToStderrWithTheirExitStatus) {
  const fs::path records = WriteRecordFile();
  std::string text = ReadFile(records);
  WriteFile(Folder / "truncated.dtf", text.substr(0, text.size() * 9 / 10));
  WriteFile(Folder / "not-velt.dtf", "PROGRAM NAME:VELTX\r\n");
  const std::string bad = text.replace(text.find("FLAW #:101"), 10, "FLAW #:1x1");
  WriteFile(Folder / "bad-number.dtf", bad);
  // The reader quotes the offending line in the file's code page.
  text.replace(text.find("FLAW #:1x1"), 10, "FLAW #:\xA8\xE6");
  WriteFile(Folder / "cyrillic-number.dtf", text);
  TUSBConfigsBlock setups;
  setups.Build(1, 3, 26, 0, 1);
  ASSERT_TRUE(SaveConfigurationFile(setups, Folder / "setups.ctf").Ok);
  text.replace(text.find("FLAW #:\xA8\xE6"), 9, std::string("FLAW #:1\0x", 10));
  WriteFile(Folder / "nul.dtf", text);
  WriteFile(Folder / "one-line.dtf", std::string(3 << 20, 'A'));
  WriteFile(Folder / "trailing.dtf", ReadFile(records) + "FLAW #:9\r\n");
  ASSERT_EQ(::mkfifo((Folder / "fifo.dtf").c_str(), 0600), 0);

  struct TCase {
    std::vector<std::string> Arguments;
    int Status;
    std::string Message;
  };
  const std::string r = records.string();
  const std::vector<TCase> cases = {
      {{"check", (Folder / "missing.dtf").string()}, 1, "cannot open: No such file"},
      {{"dump", Folder.string()}, 1, "is a folder"},
      {{"check", (Folder / "not-velt.dtf").string()}, 1, "not a Velt file"},
      {{"dump", (Folder / "truncated.dtf").string()}, 1, "not a valid integer"},
      {{"check", (Folder / "bad-number.dtf").string()}, 1, "\"1x1\" is not a valid integer"},
      {{"dump", (Folder / "cyrillic-number.dtf").string()}, 1, "\"Ёж\" is not a valid integer"},
      {{"check", (Folder / "nul.dtf").string()}, 1, "\"1\\x00x\" is not a valid integer value"},
      {{"check", (Folder / "one-line.dtf").string()}, 1, "Line 1 is too long"},
      {{"check", (Folder / "trailing.dtf").string()}, 1, "\"FLAW #:9\" follows the last entry"},
      {{"dump", (Folder / "fifo.dtf").string()}, 1, "is not a regular file"},
      {{"ascan", r, "4"}, 2, "record 4 does not exist"},
      {{"ascan", r, "0"}, 2, "whole number from 1 on"},
      {{"ascan", r, "two"}, 2, "whole number from 1 on, not 'two'"},
      {{"ascan", (Folder / "setups.ctf").string(), "1"}, 2, "is a configuration file"},
      {{"ascan", r}, 2, "the record number N is missing"},
      {{"frobnicate", r}, 2, "unknown command 'frobnicate'"},
      {{"--frobnicate"}, 2, "unknown option '--frobnicate'"},
      {{"check", "--frobnicate", r}, 2, "unknown option '--frobnicate'"},
      {{"check"}, 2, "the file is missing"},
      {{"check", r, r}, 2, "unexpected argument"},
      {{"help", "frobnicate"}, 2, "unknown command 'frobnicate'"},
      {{"help", "records", "push"}, 2, "unknown command 'records push'"},
      {{"check", "info"}, 1, "info: cannot open"},
      {{"dump", "--", "--compact"}, 1, "--compact: cannot open"},
      {{}, 2, "no command given"},
  };
  for (const auto& c : cases) {
    std::string shown;
    for (const auto& argument : c.Arguments) {
      shown += " " + argument;
    }
    SCOPED_TRACE("veltctl" + shown);
    const TRun run = Run(c.Arguments);
    EXPECT_EQ(run.Status, c.Status);
    EXPECT_EQ(run.Out, "");
    EXPECT_NE(run.Err.find(c.Message), std::string::npos) << run.Err;
    EXPECT_EQ(run.Err.rfind("veltctl: ", 0), 0u) << run.Err;
  }
}

}  // namespace
}  // namespace velt
