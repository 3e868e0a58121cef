// veltctl measure run as a program on a record file written by the
// program's own writer: the grids' texts of every record or of one, the
// JSON with the raw values, and the usage failures.
#include <cmath>
#include <filesystem>
#include <numbers>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <records/RecordFilesUnit.h>

#include "tools/VeltctlRunSupport.h"

namespace velt {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;

// The captions and value string 31 of the shipped string files, in UTF-8.
const std::string kLevelCaption = "Уровень сигнала, дБ";
const std::string kOffsetCaption = "Отступ, мм";
const std::string kNo = "нет";

// Every record's cell: firmware 3.10 (TBaseConfigCell), cursor at column
// 160 = 32 µs at 5 µs per 25 pixels, 3250 m/s, so the beam path is 52 mm.
void SetUpCell(TBaseConfigCell& cell) {
  cell.INDEX_MARK_MKS = 2;
  cell.PIXEL_GRID_LENGTH = 25;
  cell.CURSOR_POSITION = 160;
  cell.VELOCITY = 3250;
  cell.PROBE_ARROW = 12;
  cell.THICKNESS = 12;
  cell.ATTENUATOR1 = 0;
  cell.POISK = 0;
  cell.OPORN_LEVEL_ON = 4;
  cell.SIGNAL_TYPE = 0;
  cell.TVG_ENABLED = 0;
}

class VeltctlMeasureTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "veltctl-measure-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    Folder = pattern;
    File = (Folder / "findings.dtf").string();
    WriteRecords();
  }
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(Folder, ignored);
  }

  // 1: an angle probe of 65° with an echo of 100 (40 dB);
  // 2: a straight probe, radio-frequency signal on its zero line;
  // 3: DGS mode without a reference echo (DGS data incomplete);
  // 4: DGS mode with complete DGS data, 20 dB gain and an echo of 160.
  void WriteRecords() {
    TFlawDataBlock block;
    block.Build(4, 3, 10, 0, 1);
    for (std::size_t i = 0; i < block.Records.size(); ++i) {
      TDataCell& r = *block.Records[i];
      r.FlawNumber = static_cast<std::uint16_t>(20 + i);
      r.DeviceIndex = 1;
      r.MajorVersion = 3;
      r.MinorVersion = 10;
      r.SamplesQuantity = kRecordArraySize;
      SetUpCell(*r.Configuration());
    }
    TBaseConfigCell& angle = *block.Records[0]->Configuration();
    angle.INSERTION_ANGLE = 65;
    block.Records[0]->FirstMaximums[159] = 100;

    TBaseConfigCell& rf = *block.Records[1]->Configuration();
    rf.INSERTION_ANGLE = 0;
    rf.SIGNAL_TYPE = 3;
    block.Records[1]->FirstMaximums[159] = 90;
    block.Records[1]->FirstMinimums[159] = 90;

    TBaseConfigCell& incomplete = *block.Records[2]->Configuration();
    incomplete.INSERTION_ANGLE = 0;
    incomplete.TVG_ENABLED = 2;
    incomplete.ARD_PLATE_DIAMETER = 12;
    incomplete.ARD_PLATE_FLOOR_DIAMETER = 3;
    incomplete.ARD_SIGNAL_AMPLITUDE = 0;
    block.Records[2]->FirstMaximums[159] = 100;

    TBaseConfigCell& dgs = *block.Records[3]->Configuration();
    dgs.INSERTION_ANGLE = 0;
    dgs.TVG_ENABLED = 2;
    dgs.ARD_PLATE_DIAMETER = 12;
    dgs.ARD_PLATE_FLOOR_DIAMETER = 3;
    dgs.ARD_SIGNAL_AMPLITUDE = 60;
    dgs.ATTENUATOR1 = 70;
    block.Records[3]->FirstMaximums[159] = 160;

    const TFileResult saved = SaveRecordFile(block, File);
    ASSERT_TRUE(saved.Ok) << saved.Error;
  }

  TRun Run(const std::vector<std::string>& arguments) const {
    return RunVeltctl(arguments, Folder);
  }

  static bool Has(const std::string& text, const std::string& line) {
    return text.find(line + "\n") != std::string::npos;
  }

  fs::path Folder;
  std::string File;
};

TEST_F(VeltctlMeasureTest, PrintsBothGridsOfEveryRecord) {
  const TRun run = Run({"measure", File});
  ASSERT_EQ(run.Status, 0) << run.Err;
  EXPECT_EQ(run.Err, "");
  for (const char* header :
       {"record 1 (flaw 20)", "record 2 (flaw 21)", "record 3 (flaw 22)", "record 4 (flaw 23)"}) {
    EXPECT_TRUE(Has(run.Out, header)) << header;
  }
  // Record 1, the angle probe: level 40 + 90 dB, offset sin 65° · 52 − 12,
  // depth folded at 12 mm, leg 1.
  const std::string first = run.Out.substr(0, run.Out.find("record 2"));
  for (const std::string& line : std::vector<std::string>{
           "  results", "    " + kLevelCaption + "\t 130.0", "    Поисковая добавка, дБ\t" + kNo,
           "    Аттенюатор, дБ\t  90", "    Путь по лучу, мм\t  52.0",
           "    " + kOffsetCaption + "\t  35.1", "    Глубина, мм\t   2.0",
           "    Кратность отражения\t   1", "    Эквив. площадь, кв. мм\t--", "  conditions"}) {
    EXPECT_TRUE(Has(first, line)) << line << "\nin\n" << first;
  }
  // Record 2: the zero line is amplitude 1, 0 dB; a straight probe has
  // neither offset nor leg.
  const std::string second = run.Out.substr(run.Out.find("record 2"));
  EXPECT_TRUE(Has(second, "    " + kLevelCaption + "\t  90.0")) << second;
  EXPECT_TRUE(Has(second, "    " + kOffsetCaption + "\t" + kNo)) << second;
  EXPECT_TRUE(Has(second, "    Кратность отражения\t" + kNo)) << second;
  // Record 3: incomplete DGS data.
  const std::string third = run.Out.substr(run.Out.find("record 3"));
  EXPECT_TRUE(Has(third, "    " + kLevelCaption + "\t--")) << third;
}

TEST_F(VeltctlMeasureTest, OneRecordOnly) {
  const TRun run = Run({"measure", File, "2"});
  ASSERT_EQ(run.Status, 0) << run.Err;
  EXPECT_EQ(run.Out.find("record 1"), std::string::npos);
  EXPECT_EQ(run.Out.find("record 3"), std::string::npos);
  EXPECT_TRUE(Has(run.Out, "record 2 (flaw 21)"));
  // Eight results and eight conditions, each under its caption.
  std::size_t rows = 0;
  for (std::size_t at = run.Out.find("\n    "); at != std::string::npos;
       at = run.Out.find("\n    ", at + 1)) {
    ++rows;
  }
  EXPECT_EQ(rows, 16u) << run.Out;
}

TEST_F(VeltctlMeasureTest, JsonHoldsTextsAndRawValues) {
  const TRun run = Run({"measure", "--json", File});
  ASSERT_EQ(run.Status, 0) << run.Err;
  const json document = json::parse(run.Out);
  ASSERT_EQ(document["records"].size(), 4u);

  const json& angle = document["records"][0];
  EXPECT_EQ(angle["record"], 1);
  EXPECT_EQ(angle["FLAW #"], 20);
  EXPECT_EQ(angle["class"], "TBaseConfigCell");
  ASSERT_EQ(angle["results"].size(), 8u);
  ASSERT_EQ(angle["conditions"].size(), 8u);
  EXPECT_EQ(angle["results"][0]["caption"], kLevelCaption);
  EXPECT_EQ(angle["results"][0]["text"], " 130.0");
  EXPECT_EQ(angle["results"][4]["text"], "  35.1");
  EXPECT_EQ(angle["conditions"][7]["caption"], "Курсорная линия");
  const json& v = angle["values"];
  EXPECT_NEAR(v["SignalLevel"].get<double>(), 130.0, 1e-9);
  EXPECT_EQ(v["AttenuatorDb"], 90);
  EXPECT_EQ(v["SearchIncrement"], 0);
  EXPECT_NEAR(v["MeasuredTime"].get<double>(), 32.0, 1e-12);
  EXPECT_NEAR(v["BeamPath"].get<double>(), 52.0, 1e-12);
  EXPECT_NEAR(v["HorizontalOffset"].get<double>(), std::sin(65 * std::numbers::pi / 180) * 52 - 12,
              1e-9);
  EXPECT_NEAR(v["Depth"].get<double>(), 24 - std::cos(65 * std::numbers::pi / 180) * 52, 1e-9);
  EXPECT_EQ(v["LegNumber"], 1);
  EXPECT_EQ(v["EquivalentArea"], 9990);
  EXPECT_EQ(v["DgsExcess"], 9990);
  EXPECT_EQ(v["DgsPointLevel"], 99900) << "no reference echo in this cell";

  const json& incomplete = document["records"][2]["values"];
  EXPECT_EQ(incomplete["SignalLevel"], 9990);
  EXPECT_EQ(incomplete["EquivalentArea"], 9990);
  EXPECT_EQ(incomplete["DgsPointLevel"], 99900);

  // In DGS mode the level is the excess over the curve at the measured
  // time, 20·log10(160) − curve level, and the grid shows it with "+".
  const json& dgs = document["records"][3];
  const double point = dgs["values"]["DgsPointLevel"].get<double>();
  ASSERT_LT(point, 10000);
  const double excess = 20 * std::log10(160.0) - point;
  EXPECT_NEAR(dgs["values"]["DgsExcess"].get<double>(), excess, 1e-9);
  EXPECT_NEAR(dgs["values"]["SignalLevel"].get<double>(), excess, 1e-9);
  const double area = dgs["values"]["EquivalentArea"].get<double>();
  EXPECT_GT(area, 0);
  EXPECT_LT(area, 9990);
  const std::string levelText = dgs["results"][0]["text"];
  EXPECT_EQ(levelText.front() == '+', excess >= 0.1) << levelText;
  EXPECT_NEAR(std::stod(levelText.substr(levelText.front() == '+' ? 1 : 0)), excess, 0.05);
}

TEST_F(VeltctlMeasureTest, HelpNamesTheCommand) {
  for (const std::vector<std::string>& arguments :
       {std::vector<std::string>{"measure", "--help"}, {"help", "measure"}}) {
    const TRun run = Run(arguments);
    EXPECT_EQ(run.Status, 0);
    EXPECT_EQ(run.Out.rfind("Usage: veltctl measure [--json] FILE [N]\n", 0), 0u) << run.Out;
  }
  const TRun overall = Run({"--help"});
  EXPECT_NE(overall.Out.find("  measure [--json] FILE [N]"), std::string::npos);
}

struct TFailureCase {
  std::vector<std::string> Arguments;  // "FILE" stands for the record file
  int Status;
  const char* Message;
};

TEST_F(VeltctlMeasureTest, FailuresSayWhyWithTheirStatus) {
  const std::vector<TFailureCase> cases = {
      {{"measure"}, 2, "the file is missing"},
      {{"measure", "FILE", "0"}, 2, "the record number must be a whole number from 1 on, not '0'"},
      {{"measure", "FILE", "x"}, 2, "not 'x'"},
      {{"measure", "FILE", "5"}, 2, "record 5 does not exist"},
      {{"measure", "FILE", "1", "2"}, 2, "unexpected argument '2'"},
      {{"measure", "--compact", "FILE"}, 2, "unknown option '--compact'"},
      {{"measure", "missing.dtf"}, 1, "cannot open"},
      {{"measure", "."}, 1, "is a folder"},
  };
  for (const TFailureCase& c : cases) {
    std::vector<std::string> arguments = c.Arguments;
    for (std::string& argument : arguments) {
      if (argument == "FILE") {
        argument = File;
      } else if (argument == "missing.dtf" || argument == ".") {
        argument = (Folder / argument).string();
      }
    }
    const TRun run = Run(arguments);
    EXPECT_EQ(run.Status, c.Status) << c.Message;
    EXPECT_NE(run.Err.find(c.Message), std::string::npos) << run.Err;
    EXPECT_EQ(run.Out, "") << c.Message;
  }
}

}  // namespace
}  // namespace velt
