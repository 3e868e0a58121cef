// The printed protocol read back from its PDF: the pages there are and the
// texts on each, for both report types and the flaw appendix, through
// poppler's pdftotext and pdfinfo (skipped with a message when absent).
#include <gtest/gtest.h>

#include <QFontMetricsF>
#include <QGuiApplication>
#include <QStringEncoder>
#include <cstdio>
#include <memory>

#include <config/ConfigObject5_01ver_Unit.h>
#include <reports/AppendixValuesUnit.h>
#include <reports/ReportPdfUnit.h>
#include <reports/ReportSheetForms.h>
#include <strings/LocalStringsUnit.h>

#include "support/PdfTools.h"
#include "support/RecordingFeedback.h"
#include "support/TemporaryFolder.h"

namespace velt {
namespace {

namespace fs = std::filesystem;

class TGuiEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
      qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    Application = new QGuiApplication(Argc, Argv);
  }
  void TearDown() override { delete Application; }

 private:
  int Argc = 1;
  char Name[20] = "ReportSheetsTest";
  char* Argv[2] = {Name, nullptr};
  QGuiApplication* Application = nullptr;
};

const auto* const kGuiEnvironment = ::testing::AddGlobalTestEnvironment(new TGuiEnvironment);

// Model strings are Windows-1251; the test's texts are UTF-8.
std::string Cp(const char* utf8) {
  QStringEncoder encoder("windows-1251");
  const QByteArray bytes = encoder.encode(QString::fromUtf8(utf8));
  return bytes.toStdString();
}

// The text of each page (pdftotext ends every page with a form feed).
std::vector<std::string> PageTexts(const fs::path& pdf) {
  const std::string text = testing::CommandOutput("pdftotext -layout '" + pdf.string() + "' -");
  std::vector<std::string> pages;
  std::size_t from = 0;
  for (std::size_t ff = text.find('\f'); ff != std::string::npos; ff = text.find('\f', from)) {
    pages.push_back(text.substr(from, ff - from));
    from = ff + 1;
  }
  return pages;
}

int Occurrences(const std::string& text, const std::string& what) {
  int n = 0;
  for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) {
    ++n;
  }
  return n;
}

// Where the page's long horizontal rules lie (mm below the top margin):
// rows of dark pixels running at least `lengthMm`, read from the page
// rendered at 5 pixels a millimetre.
std::vector<double> HorizontalRules(const fs::path& pdf, int page, double lengthMm) {
  const std::string n = std::to_string(page);
  const std::string pgm = testing::CommandOutput("pdftoppm -r 127 -gray -f " + n + " -l " + n +
                                                 " '" + pdf.string() + "' 2>/dev/null");
  int width = 0;
  int height = 0;
  int offset = 0;
  if (std::sscanf(pgm.c_str(), "P5 %d %d 255%n", &width, &height, &offset) != 2) {
    return {};
  }
  const std::size_t data = static_cast<std::size_t>(offset) + 1;  // one blank after 255
  if (pgm.size() < data + static_cast<std::size_t>(width) * static_cast<std::size_t>(height)) {
    return {};
  }
  constexpr double kPixelsPerMm = 127 / 25.4;
  std::vector<double> rules;
  for (int y = 0; y < height; ++y) {
    int run = 0;
    int longest = 0;
    for (int x = 0; x < width; ++x) {
      const auto shade =
          static_cast<unsigned char>(pgm[data + static_cast<std::size_t>(y * width + x)]);
      run = shade < 128 ? run + 1 : 0;
      longest = std::max(longest, run);
    }
    const double at = (y + 0.5) / kPixelsPerMm - 10.0;
    // A rule drawn across two pixel rows is one rule.
    if (longest >= lengthMm * kPixelsPerMm && (rules.empty() || at - rules.back() > 0.5)) {
      rules.push_back(at);
    }
  }
  return rules;
}

// The top of a word on a page, in mm from the page's top edge (-1 when the
// page does not hold it), read with pdftotext's word boxes.
double WordTop(const fs::path& pdf, int page, const std::string& word) {
  const std::string n = std::to_string(page);
  const std::string boxes = testing::CommandOutput("pdftotext -bbox -f " + n + " -l " + n + " '" +
                                                   pdf.string() + "' - 2>/dev/null");
  const std::size_t at = boxes.find(">" + word + "</word>");
  const std::size_t y = boxes.rfind("yMin=\"", at);
  if (at == std::string::npos || y == std::string::npos) {
    return -1;
  }
  return std::atof(boxes.c_str() + y + 6) * 25.4 / 72;
}

class TMainForm : public IReportForm {
 public:
  bool IsMainWindow() const override { return true; }
  std::string HeaderFieldText(int, int) const override { return {}; }
  void SetHeaderFieldText(int, int, const std::string&) override {}
  int ReportGridRowCount(int) const override { return 1000; }
  void SetReportGridRowCount(int, int) override {}
  // Type 1: a size in column 2, a one-line description in the multi-line
  // column 5 and, on row 2, a note in column 8 longer than its cell holds.
  std::string ReportGridCell(int, int column, int row) const override {
    const std::string n = std::to_string(row);
    switch (column) {
      case 2:
        return "row" + n;
      case 5:
        return "desc" + n;
      case 8:
        return row == 2 ? "note" + n +
                              " and a remark that goes on over more lines than a table row"
                              " holds, so its first lines are the ones that show"
                        : std::string();
      default:
        return {};
    }
  }
  void SetReportGridCell(int, int, int, const std::string&) override {}
};

class ReportSheets : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!testing::PopplerPresent()) {
      GTEST_SKIP() << "pdftotext/pdfinfo (poppler-utils) are not installed";
    }
    ASSERT_TRUE(Strings.LoadStringFiles(VELT_SOURCE_DIR "/strings"));
    SetProgramStrings(&Strings);
  }
  void TearDown() override { SetProgramStrings(nullptr); }

  // Records 7001, 7002, ... with a 45° probe and a capture time.
  void AddRecords(TBaseReportHeader& header, int count, std::uint8_t deviceType) {
    for (int i = 0; i < count; ++i) {
      auto record = std::make_unique<TDataCell>();
      record->AttachOwned(std::make_unique<T5_01ConfigCell>());
      TBaseConfigCell& cell = *record->Configuration();
      cell.Initialise();
      cell.SetDefaults(1);
      cell.SetInsertionAngle(45);
      cell.THICKNESS = 20;
      cell.SNAP_HOUR = 13;
      cell.SNAP_MINUTE = 7;
      cell.SNAP_SECOND = 9;
      cell.SNAP_DAY = 2;
      cell.SNAP_MONTH = 11;
      cell.SNAP_YEAR = 25;
      record->FlawNumber = static_cast<std::uint16_t>(7001 + i);
      record->Comments = {Cp("коммент") + std::to_string(7001 + i)};
      header.AddFlaw(Form, *record, false);
      Records.push_back(std::move(record));
    }
    header.FlawDeviceType = deviceType;
    header.ReadRows(Form);
  }

  static void FillHeader(TReportHeaderFields& h) {
    h.OrganizationName = Cp("Лаборатория Север");
    h.ProtocolNumber = "PN-17";
    h.Conclusion = Cp("Годен");
    h.Inspectors[0].InspectorName = Cp("Иванов");
    h.Inspectors[1].InspectorName = Cp("Сидоров");
    h.Inspectors[2].InspectorCertificateNumber = "CERT-THREE";  // no name: not printed
    h.Inspectors[3].InspectorName = Cp("Петров");
  }

  std::vector<std::string> Render(TBaseReportHeader& header, TReportJobKind kind) {
    const fs::path pdf = Folder.Path / "protocol.pdf";
    const TPdfReport report = RenderReportToPdf(header, kind, pdf);
    EXPECT_TRUE(report.Ok()) << report.Error;
    const std::vector<std::string> pages = PageTexts(pdf);
    EXPECT_EQ(testing::PdfPages(pdf), report.Pages);
    EXPECT_EQ(static_cast<int>(pages.size()), report.Pages);
    return pages;
  }

  testing::TRecordingFeedback Feedback;
  TLocalStrings Strings{Feedback};
  TMainForm Form;
  std::vector<std::unique_ptr<TDataCell>> Records;
  testing::TTemporaryFolder Folder{"velt-report"};
};

TEST_F(ReportSheets, Type1ProtocolWithThreeRecordsHasTwoAppendixSheets) {
  TSimpleReportHeader header;
  FillHeader(header);
  AddRecords(header, 3, 1);
  const auto pages = Render(header, TReportJobKind::Protocol);
  // 108.7 + 12.7 + 3 x 10.6 + 86.8 + 25.4 mm fit the 277 mm of a page;
  // inspector 4's 23.3 mm go to a second page.
  ASSERT_EQ(pages.size(), 2u + 2u);
  for (const char* text :
       {"Лаборатория Север", "PN-17", "Результаты контроля:", "Номер сварного", "Примечание",
        "row1", "row3", "7003", "Контроль выполнили", "Годен", "Иванов", "Сидоров"}) {
    EXPECT_NE(pages[0].find(text), std::string::npos) << text;
  }
  EXPECT_NE(pages[1].find("Петров"), std::string::npos);
  const std::string sheet = pages[0] + pages[1];
  // Inspector 3 has no name: left out; inspector 4 prints.
  EXPECT_EQ(sheet.find("CERT-THREE"), std::string::npos);
  EXPECT_EQ(Occurrences(sheet, "Удостоверение №"), 3);
  // Sheet 1 holds records 1 and 2, sheet 2 record 3; no capture time for
  // device type 1.
  EXPECT_NE(pages[2].find("Лист 1"), std::string::npos);
  EXPECT_NE(pages[2].find("коммент7001"), std::string::npos);
  EXPECT_NE(pages[2].find("коммент7002"), std::string::npos);
  EXPECT_NE(pages[3].find("Лист 2"), std::string::npos);
  EXPECT_NE(pages[3].find("коммент7003"), std::string::npos);
  EXPECT_EQ(pages[3].find("коммент7002"), std::string::npos);
  EXPECT_EQ(pages[2].find("13:07:09"), std::string::npos);
  // A cell's lines are centred on the row like its neighbours'; a text that
  // needs more lines than the row holds starts at the cell's top.
  const fs::path pdf = Folder.Path / "protocol.pdf";
  const double line = WordTop(pdf, 1, "row1");
  ASSERT_GT(line, 0);
  EXPECT_NEAR(WordTop(pdf, 1, "desc1"), line, 0.2);
  const double rowTop = 10 + 108.7 + 12.7 + 10.6;  // row 2
  EXPECT_NEAR(WordTop(pdf, 1, "row2"), line + 10.6, 0.2);
  EXPECT_NEAR(WordTop(pdf, 1, "note2"), rowTop + 0.4, 0.3);
  // The print job's title.
  EXPECT_NE(testing::CommandOutput("pdfinfo '" + (Folder.Path / "protocol.pdf").string() + "'")
                .find("Протокол ультразвукового контроля"),
            std::string::npos);
}

TEST_F(ReportSheets, Type2ProtocolShowsItsTableAndCaptureTimes) {
  TSimpleReport2Header header;
  FillHeader(header);
  AddRecords(header, 2, 2);
  const auto pages = Render(header, TReportJobKind::Protocol);
  // 113 + 20.6 + 2 x 10.6 + 81 + 23.3 mm on the first page, inspector 4
  // on the second.
  ASSERT_EQ(pages.size(), 2u + 1u);
  for (const char* text : {"мм или часы", "дефекта, дБ", "от оси шва", "row1", "7002"}) {
    EXPECT_NE(pages[0].find(text), std::string::npos) << text;
  }
  EXPECT_NE(pages[1].find("Петров"), std::string::npos);
  EXPECT_NE(pages[2].find("Лист 1"), std::string::npos);
  EXPECT_EQ(Occurrences(pages[2], "13:07:09"), 2);
  EXPECT_EQ(Occurrences(pages[2], "02-11-2025"), 2);
}

TEST_F(ReportSheets, ALongTableShowsItsColumnTitlesOnce) {
  TSimpleReportHeader header;
  FillHeader(header);
  AddRecords(header, 30, 1);
  const auto pages = Render(header, TReportJobKind::Protocol);
  // 14 rows fit under the title, 16 more and the closing band on page 2,
  // the inspectors on page 3; the appendix takes 15 pages.
  ASSERT_EQ(pages.size(), 3u + 15u);
  EXPECT_EQ(Occurrences(pages[0] + pages[1] + pages[2], "Номер сварного"), 1);
  EXPECT_NE(pages[0].find("Номер сварного"), std::string::npos);
  EXPECT_NE(pages[0].find("row14"), std::string::npos);
  EXPECT_NE(pages[1].find("row15"), std::string::npos);
  EXPECT_NE(pages[1].find("row30"), std::string::npos);
  EXPECT_NE(pages[1].find("Контроль выполнили"), std::string::npos);
  EXPECT_NE(pages[17].find("Лист 15"), std::string::npos);
  // Where the table goes on, on page 2, its first row closes it at the top.
  const std::vector<double> rules = HorizontalRules(Folder.Path / "protocol.pdf", 2, 180);
  ASSERT_FALSE(rules.empty());
  EXPECT_NEAR(rules.front(), 0.0, 0.5);
}

// Every text of an appendix block stands whole inside its field and no two
// texts on a line overprint each other: the texts as drawn, measured with
// the sheets' fonts.
TEST_F(ReportSheets, AppendixBlockTextsAreNeitherClippedNorOverprinted) {
  struct TCase {
    std::uint8_t DeviceType;
    std::uint8_t ProbeType;    // the widest settings value is a probe type
    std::uint8_t ScreenUnits;  // the X scale: time, path or depth
  };
  for (const TCase& c : {TCase{1, 0, 2}, TCase{2, 1, 0}, TCase{2, 0, 1}}) {
    SCOPED_TRACE(::testing::Message()
                 << "device " << int(c.DeviceType) << " probe " << int(c.ProbeType));
    TDataCell record;
    record.AttachOwned(std::make_unique<T5_01ConfigCell>());
    TBaseConfigCell& cell = *record.Configuration();
    cell.Initialise();
    cell.SetDefaults(1);
    cell.SetInsertionAngle(45);
    cell.THICKNESS = 20;
    cell.PROBE_TYPE = c.ProbeType;
    cell.SCREEN_UNITS = c.ScreenUnits;
    record.FlawNumber = 7001;
    TSimpleReportFlawAppendixForm appendix;
    appendix.SetCaptions();
    appendix.SetBlock(record, AppendixBlockOf(record, c.DeviceType));

    struct TInk {
      QRectF Field;
      double Left, Right;
      QString Text;
    };
    std::vector<TInk> inks;
    for (const TBandItem& item : appendix.Layout().Detail->Items) {
      QString text = item.Text;
      while (text.endsWith(' ')) {
        text.chop(1);  // blanks after a text leave no ink
      }
      if (item.Kind != TBandItemKind::Text || text.isEmpty()) {
        continue;
      }
      const double width = QFontMetricsF(BandFont(item.Font)).horizontalAdvance(text) * 25.4 / 96;
      const QRectF& f = item.Mm;
      const double left = (item.Align & Qt::AlignRight) != 0     ? f.right() - width
                          : (item.Align & Qt::AlignHCenter) != 0 ? f.center().x() - width / 2
                                                                 : f.left();
      inks.push_back({f, left, left + width, text});
      EXPECT_GE(left, f.left() - 0.05) << text.toStdString();
      EXPECT_LE(left + width, f.right() + 0.05) << text.toStdString();
    }
    for (std::size_t a = 0; a < inks.size(); ++a) {
      for (std::size_t b = a + 1; b < inks.size(); ++b) {
        const bool sameLine = inks[a].Field.top() < inks[b].Field.bottom() &&
                              inks[b].Field.top() < inks[a].Field.bottom();
        EXPECT_FALSE(sameLine && inks[a].Left < inks[b].Right && inks[b].Left < inks[a].Right)
            << inks[a].Text.toStdString() << " | " << inks[b].Text.toStdString();
      }
    }
  }
}

TEST_F(ReportSheets, EmptyFlawListPrintsTitleColumnTitlesAndClosing) {
  TSimpleReportHeader header;
  FillHeader(header);
  const auto pages = Render(header, TReportJobKind::Protocol);
  ASSERT_EQ(pages.size(), 1u);
  for (const char* text : {"Лаборатория Север", "Номер сварного", "Контроль выполнили"}) {
    EXPECT_NE(pages[0].find(text), std::string::npos) << text;
  }
  EXPECT_EQ(pages[0].find("Лист"), std::string::npos);
}

TEST_F(ReportSheets, AppendixAloneStartsAtSheetOne) {
  TSimpleReportHeader header;
  FillHeader(header);
  AddRecords(header, 3, 2);
  const auto pages = Render(header, TReportJobKind::Appendix);
  ASSERT_EQ(pages.size(), 2u);
  EXPECT_NE(pages[0].find("Лист 1"), std::string::npos);
  EXPECT_EQ(pages[0].find("Лаборатория Север"), std::string::npos);
  EXPECT_NE(pages[1].find("Лист 2"), std::string::npos);
}

TEST_F(ReportSheets, APdfThatCannotBeWrittenLeavesNothing) {
  TSimpleReportHeader header;
  AddRecords(header, 1, 1);
  const fs::path taken = Folder.Path / "taken";
  fs::create_directory(taken);
  // A missing folder, a folder in the target's place, and a name whose
  // temporary file the system refuses (too long), so the writer fails.
  const fs::path cases[] = {Folder.Path / "missing" / "p.pdf", taken,
                            Folder.Path / (std::string(250, 'x') + ".pdf")};
  for (const fs::path& target : cases) {
    const TPdfReport report = RenderReportToPdf(header, TReportJobKind::Protocol, target);
    EXPECT_FALSE(report.Ok()) << target;
    EXPECT_EQ(report.Pages, 0);
  }
  std::vector<fs::path> left;
  for (const auto& entry : fs::recursive_directory_iterator(Folder.Path)) {
    left.push_back(entry.path());
  }
  EXPECT_EQ(left, std::vector<fs::path>{taken});
}

}  // namespace
}  // namespace velt
