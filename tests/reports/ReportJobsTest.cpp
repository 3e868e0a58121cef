// The print operations of the report headers against recording sheets: the
// order a job is prepared in, the rows and records handed out one at a
// time with their progress and sheet numbers, and the appendix values in
// their printed formats.
#include <gtest/gtest.h>

#include <map>
#include <memory>

#include <config/ConfigObject5_01ver_Unit.h>
#include <reports/AppendixValuesUnit.h>
#include <reports/ReportHeadersUnit.h>
#include <reports/ReportJobsUnit.h>
#include <signal/ResultParametersUnit.h>
#include <strings/LocalStringsUnit.h>

#include "support/RecordingFeedback.h"

namespace velt {
namespace {

class TStrings : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(Strings.LoadStringFiles(VELT_SOURCE_DIR "/strings"));
    SetProgramStrings(&Strings);
  }
  void TearDown() override { SetProgramStrings(nullptr); }
  testing::TRecordingFeedback Feedback;
  TLocalStrings Strings{Feedback};
};

std::unique_ptr<TDataCell> MakeRecord(std::uint16_t flawNumber) {
  auto record = std::make_unique<TDataCell>();
  record->AttachOwned(std::make_unique<T5_01ConfigCell>());
  TBaseConfigCell& cell = *record->Configuration();
  cell.Initialise();
  cell.SetDefaults(1);
  record->FlawNumber = flawNumber;
  return record;
}

// ---- Recording sheets --------------------------------------------------------------------

class TGrid : public IReportForm {
 public:
  bool IsMainWindow() const override { return true; }
  std::string HeaderFieldText(int, int) const override { return {}; }
  void SetHeaderFieldText(int, int, const std::string&) override {}
  int ReportGridRowCount(int) const override { return 100; }
  void SetReportGridRowCount(int, int) override {}
  std::string ReportGridCell(int, int column, int row) const override {
    return "r" + std::to_string(row) + "c" + std::to_string(column);
  }
  void SetReportGridCell(int, int, int, const std::string&) override {}
  std::string SheetCaptionText(int type, TSheetCaptionLabel label) const override {
    return "t" + std::to_string(type) + "-" + std::to_string(static_cast<int>(label));
  }
};

class TRecordingSheet : public IProtocolSheet {
 public:
  void SetHeaderFields(const TReportHeaderFields& fields) override {
    Organisation = fields.OrganizationName;
  }
  void SetCaptions(const TSheetCaptions& captions) override { Captions = captions; }
  void SetRow(const TSheetRow& row) override { Rows.push_back(row); }
  std::string Organisation;
  TSheetCaptions Captions;
  std::vector<TSheetRow> Rows;
};

class TRecordingAppendix : public IAppendixSheet {
 public:
  void SetCaptions() override { CaptionsSetFor = Header; }
  void SetSheetNumber(int number) override { SheetNumbers.push_back(number); }
  void SetBlock(TDataCell&, const TAppendixBlock& block) override {
    Blocks.push_back(block.FlawNumber);
  }
  TBaseReportHeader* CaptionsSetFor = nullptr;
  std::vector<int> SheetNumbers;
  std::vector<std::string> Blocks;
};

class TRecordingProgress : public TSilentProgress {
 public:
  void SetProgress(int percent) override { Percents.push_back(percent); }
  std::vector<int> Percents;
};

// What the job saw when it started, then the engine's part: rows while the
// header has them, then records.
class TRecordingPrinting : public IReportPrinting {
 public:
  IProtocolSheet& Sheet(int type) override { return Sheets[type]; }
  IAppendixSheet& Appendix() override { return FlawAppendix; }
  IProgressFeedback& Progress() override { return ProgressPort; }
  bool Run(TBaseReportHeader& header, int type, TReportJobKind kind,
           TReportJobOutput output) override {
    TRecordingSheet& sheet = Sheets[type];
    Seen = {type,
            kind,
            output,
            sheet.RowCounter,
            FlawAppendix.RecordCounter,
            sheet.Header,
            FlawAppendix.CaptionsSetFor,
            FlawAppendix.SheetNumbers.empty() ? 0 : FlawAppendix.SheetNumbers.back()};
    if (kind == TReportJobKind::Protocol) {
      while (header.NextSheetRow(nullptr)) {
      }
    }
    while (header.NextAppendixPage(nullptr)) {
    }
    return true;
  }
  struct TSeen {
    int Type;
    TReportJobKind Kind;
    TReportJobOutput Output;
    int RowCounter;
    int RecordCounter;
    TBaseReportHeader* SheetHeader;
    TBaseReportHeader* AppendixCaptionsFor;
    int SheetNumber;
  } Seen{};
  std::map<int, TRecordingSheet> Sheets;
  TRecordingAppendix FlawAppendix;
  TRecordingProgress ProgressPort;
};

class ReportJobs : public TStrings {};

TEST_F(ReportJobs, EachJobIsPreparedInOrderThenRun) {
  using K = TReportJobKind;
  using O = TReportJobOutput;
  const struct {
    int Type;
    bool (TBaseReportHeader::*Operation)(void*);
    K Kind;
    O Output;
  } cases[] = {
      {1, &TBaseReportHeader::PreviewProtocol, K::Protocol, O::Preview},
      {1, &TBaseReportHeader::PrintProtocol, K::Protocol, O::Print},
      {2, &TBaseReportHeader::PreviewAppendix, K::Appendix, O::Preview},
      {2, &TBaseReportHeader::PrintAppendix, K::Appendix, O::Print},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Type);
    std::unique_ptr<TBaseReportHeader> header;
    if (c.Type == 1) {
      header = std::make_unique<TSimpleReportHeader>();
    } else {
      header = std::make_unique<TSimpleReport2Header>();
    }
    TRecordingPrinting printing;
    header->Printing = &printing;
    // Counters left over from an earlier job.
    printing.Sheets[c.Type].RowCounter = 5;
    printing.FlawAppendix.RecordCounter = 5;
    printing.FlawAppendix.SetSheetNumber(3);
    EXPECT_TRUE(((*header).*c.Operation)(nullptr));
    const auto& seen = printing.Seen;
    EXPECT_EQ(seen.Type, c.Type);
    EXPECT_EQ(seen.Kind, c.Kind);
    EXPECT_EQ(seen.Output, c.Output);
    EXPECT_EQ(seen.RowCounter, 0);
    EXPECT_EQ(seen.RecordCounter, 0);
    EXPECT_EQ(seen.SheetHeader, header.get());
    EXPECT_EQ(seen.AppendixCaptionsFor, header.get());
    EXPECT_EQ(seen.SheetNumber, 1);
  }
}

TEST_F(ReportJobs, WithoutPrintedSheetsNothingIsPrinted) {
  TSimpleReportHeader header;
  EXPECT_FALSE(header.PreviewProtocol(nullptr));
  EXPECT_FALSE(header.PrintAppendix(nullptr));
  EXPECT_FALSE(header.NextSheetRow(nullptr));
  EXPECT_FALSE(header.FillSheetHeader());
}

TEST_F(ReportJobs, RowsAndRecordsComeOneAtATimeWithProgressAndSheetNumbers) {
  TGrid grid;
  TSimpleReport2Header header;
  std::vector<std::unique_ptr<TDataCell>> records;
  for (std::uint16_t n : {41, 42, 43}) {
    records.push_back(MakeRecord(n));
    header.AddFlaw(grid, *records.back(), false);
  }
  header.ReadRows(grid);
  header.OrganizationName = "org";
  TRecordingPrinting printing;
  header.Printing = &printing;
  ASSERT_TRUE(header.FillSheetHeader());
  EXPECT_EQ(printing.Sheets[2].Organisation, "org");

  ASSERT_TRUE(header.PrintProtocol(nullptr));
  const auto& rows = printing.Sheets[2].Rows;
  ASSERT_EQ(rows.size(), 3u);
  for (std::size_t i = 0; i < rows.size(); ++i) {
    EXPECT_EQ(rows[i].EntryNumber, static_cast<int>(i) + 1);
    EXPECT_EQ(rows[i].FlawNumber, 41 + static_cast<int>(i));
    // Type 2: row strings 1..8 are grid columns 2..9 of grid row i + 1.
    ASSERT_EQ(rows[i].Strings.size(), 8u);
    EXPECT_EQ(rows[i].Strings[0], "r" + std::to_string(i + 1) + "c2");
    EXPECT_EQ(rows[i].Strings[7], "r" + std::to_string(i + 1) + "c9");
  }
  // Sheet rows, then appendix records: 0, 33, 67 and 100 when all are given.
  EXPECT_EQ(printing.ProgressPort.Percents, (std::vector<int>{0, 33, 67, 100, 0, 33, 67, 100}));
  // Sheet 1 from the preparation, then (k + 2) div 2 for records 0, 1, 2.
  EXPECT_EQ(printing.FlawAppendix.SheetNumbers, (std::vector<int>{1, 1, 1, 2}));
  EXPECT_EQ(printing.FlawAppendix.Blocks, (std::vector<std::string>{"41", "42", "43"}));
}

TEST_F(ReportJobs, ShowHeaderSetsTheSheetCaptionsOfItsType) {
  using L = TSheetCaptionLabel;
  const auto label = [](int type, L which) {
    return "t" + std::to_string(type) + "-" + std::to_string(static_cast<int>(which));
  };
  for (const int type : {kReportType1, kReportType2}) {
    SCOPED_TRACE(type);
    TGrid form;
    TRecordingPrinting printing;
    std::unique_ptr<TBaseReportHeader> header;
    if (type == kReportType1) {
      header = std::make_unique<TSimpleReportHeader>();
    } else {
      header = std::make_unique<TSimpleReport2Header>();
    }
    header->Printing = &printing;
    header->ShowHeader(form);
    const TSheetCaptions& c = printing.Sheets[type].Captions;
    EXPECT_EQ(c.ControlObject, label(type, L::ControlObject));
    EXPECT_EQ(c.Conclusion, label(type, L::Conclusion));
    // Both serial numbers take the probe serial number's caption.
    EXPECT_EQ(c.DeviceSerialNumber, label(type, L::ProbeSerialNumber));
    EXPECT_EQ(c.ProbeSerialNumber, label(type, L::ProbeSerialNumber));
    EXPECT_EQ(c.ProbeType, ValueString(100));
    // The inspectors' captions are the type-1 panel's for both types.
    EXPECT_EQ(c.Specialist, label(kReportType1, L::Specialist));
    EXPECT_EQ(c.Issuing, label(kReportType1, L::Issuing));
    EXPECT_EQ(c.Expiry, label(kReportType1, L::Expiry));
    EXPECT_EQ(c.Level, ValueString(103));
    EXPECT_EQ(c.InspectorCertificate, ValueString(158));
  }
}

// ---- Appendix values ------------------------------------------------------------------------

TEST(AppendixValues, RealsArePaddedToTheirWidthOnly) {
  const struct {
    double Value;
    int Width;
    const char* Text;
  } cases[] = {{5, 3, "  5.0"},       {12.34, 3, " 12.3"}, {123.45, 3, "123.5"},
               {1234.5, 3, "1234.5"}, {-2.5, 3, "  -2.5"}, {7, 0, "7.0"},
               {52.06, 0, "52.1"}};
  for (const auto& c : cases) {
    EXPECT_EQ(AppendixReal(c.Value, c.Width), c.Text) << c.Value;
  }
  EXPECT_EQ(AppendixReal(3.26, 3, ','), "  3,3");
}

class AppendixBlock : public TStrings {};

TEST_F(AppendixBlock, AngleThicknessAndDeviceTypeDecideWhatIsShown) {
  const std::string no = ValueString(kNoValueString);
  ASSERT_FALSE(no.empty());
  const struct {
    std::uint8_t Angle;
    double Thickness;
    std::uint8_t DeviceType;
    bool OffsetShown, DepthShown, LegShown;
    const char* Time;
    const char* Date;
  } cases[] = {
      {0, 20, 1, false, true, false, "", ""},
      {0, 20, 2, false, true, false, "07:04:05", "09-03-2024"},
      {45, 20, 2, true, true, true, "07:04:05", "09-03-2024"},
      {45, 0, 1, true, true, false, "", ""},
      {90, 20, 1, true, false, true, "", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.Angle));
    auto record = MakeRecord(7);
    TBaseConfigCell& cell = *record->Configuration();
    cell.SetInsertionAngle(c.Angle);
    cell.THICKNESS = c.Thickness;
    cell.SNAP_HOUR = 7;
    cell.SNAP_MINUTE = 4;
    cell.SNAP_SECOND = 5;
    cell.SNAP_DAY = 9;
    cell.SNAP_MONTH = 3;
    cell.SNAP_YEAR = 24;
    cell.CONFIG_INDEX = 12;
    record->Comments = {"one", "two"};
    const TAppendixBlock block = AppendixBlockOf(*record, c.DeviceType);
    EXPECT_EQ(block.FlawNumber, "7");
    EXPECT_EQ(block.ConfigIndex, "12");
    EXPECT_EQ(block.Comments, "one\ntwo");
    EXPECT_EQ(block.CaptureTime, c.Time);
    EXPECT_EQ(block.CaptureDate, c.Date);
    EXPECT_EQ(block.Results[4].Value != no, c.OffsetShown) << block.Results[4].Value;
    EXPECT_EQ(block.Results[5].Value != no, c.DepthShown) << block.Results[5].Value;
    EXPECT_EQ(block.Results[6].Value != no, c.LegShown) << block.Results[6].Value;
    // The captions are value strings 4..11, 12..18.
    EXPECT_EQ(block.Results[0].Caption, ValueString(4));
    EXPECT_EQ(block.Results[7].Caption, ValueString(11));
    EXPECT_EQ(block.Conditions[6].Caption, ValueString(18));
    EXPECT_EQ(block.Conditions[0].Value, cell.ParameterText(0));
    EXPECT_EQ(block.Parameters[2][4].Caption, "");
    EXPECT_EQ(block.Parameters[2][4].Value, cell.ParameterText(22));
    EXPECT_EQ(block.Parameters[3][0].Caption, ValueString(44));
  }
}

}  // namespace
}  // namespace velt
