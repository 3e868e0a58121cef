// The preview window and saved reports: a job's pages recorded for the
// preview, saved as ".qrp" and reopened page for page, saved as PDF with
// the texts of the printed protocol, damaged files refused without change,
// the window's texts, and a protocol printed through a CUPS-PDF queue.
#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QPainter>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QPrinterInfo>
#include <QStringEncoder>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>
#include <chrono>
#include <cstdio>
#include <set>
#include <thread>

#include <config/ConfigObject5_01ver_Unit.h>
#include <reports/ReportJobsUnit.h>
#include <reports/ReportPdfUnit.h>
#include <ui/widgets/Cp1251.h>
#include <ui/report/QuickRepViewerUnit.h>

#include "ui/QtApplicationEnvironment.h"
#include "support/PdfTools.h"
#include "support/RecordingFeedback.h"
#include "support/TemporaryFolder.h"

namespace velt {
namespace {

namespace fs = std::filesystem;

std::string Cp(const char* utf8) {
  QStringEncoder encoder("windows-1251");
  return QByteArray(encoder.encode(QString::fromUtf8(utf8))).toStdString();
}

// The words of each page.
std::vector<std::multiset<std::string>> PageWords(const fs::path& pdf) {
  const std::string text = testing::CommandOutput("pdftotext '" + pdf.string() + "' -");
  std::vector<std::multiset<std::string>> pages(1);
  std::string word;
  for (char c : text) {
    if (c == '\f' || c == ' ' || c == '\n') {
      if (!word.empty()) {
        pages.back().insert(word);
      }
      word.clear();
      if (c == '\f') {
        pages.emplace_back();
      }
    } else {
      word += c;
    }
  }
  pages.pop_back();  // after the last form feed
  return pages;
}

QImage Raster(const TRenderedReport& report, std::size_t page) {
  constexpr double kDpi = 100;
  QImage image(qRound(190 / 25.4 * kDpi), qRound(277 / 25.4 * kDpi), QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter painter(&image);
  painter.scale(kDpi / report.Dpi, kDpi / report.Dpi);
  painter.drawPicture(0, 0, report.Pages.at(page));
  return image;
}

int InkedRows(const QImage& image) {
  int rows = 0;
  for (int y = 0; y < image.height(); ++y) {
    const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
    rows += std::any_of(line, line + image.width(), [](QRgb p) { return qGray(p) < 128; });
  }
  return rows;
}

class TForm : public IReportForm {
 public:
  bool IsMainWindow() const override { return true; }
  std::string HeaderFieldText(int, int) const override { return {}; }
  void SetHeaderFieldText(int, int, const std::string&) override {}
  int ReportGridRowCount(int) const override { return 100; }
  void SetReportGridRowCount(int, int) override {}
  std::string ReportGridCell(int, int column, int row) const override {
    return column == 2 ? "row" + std::to_string(row) : std::string();
  }
  void SetReportGridCell(int, int, int, const std::string&) override {}
};

class QuickReport : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(Strings.LoadStringFiles(VELT_SOURCE_DIR "/strings"));
    SetProgramStrings(&Strings);
    Header.OrganizationName = Cp("Лаборатория Север");
    Header.ProtocolNumber = "PN-17";
    Header.Inspectors[0].InspectorName = Cp("Иванов");
    for (int i = 0; i < 3; ++i) {
      auto record = std::make_unique<TDataCell>();
      record->AttachOwned(std::make_unique<T5_01ConfigCell>());
      record->Configuration()->Initialise();
      record->Configuration()->SetDefaults(1);
      record->FlawNumber = static_cast<std::uint16_t>(7001 + i);
      record->Comments = {"note" + std::to_string(7001 + i)};
      Header.AddFlaw(Form, *record, false);
      Records.push_back(std::move(record));
    }
    Header.FlawDeviceType = 1;
    Header.ReadRows(Form);
    Sink.SetViewer(&Viewer);
    Sheets.Sheet(kReportType1).SetCaptions(DefaultSheetCaptions());
    Header.Printing = &Sheets;
    Header.FillSheetHeader();
  }
  void TearDown() override {
    Header.Printing = nullptr;
    SetProgramStrings(nullptr);
  }

  testing::TRecordingFeedback Feedback;
  TLocalStrings Strings{Feedback};
  TForm Form;
  TSimpleReportHeader Header;
  std::vector<std::unique_ptr<TDataCell>> Records;
  TSilentProgress Progress;
  TGuiReportJobSink Sink;
  TReportSheets Sheets{Sink, Progress};
  TQuickRepViewerForm Viewer{Strings, Feedback};
  testing::TTemporaryFolder Folder{"velt-qrp"};
};

// The protocol of 3 records: one sheet page, two appendix sheets.
TEST_F(QuickReport, PreviewShowsTheJobAndASavedReportReopensPageForPage) {
  ASSERT_TRUE(Header.PreviewProtocol(nullptr));
  const TRenderedReport& shown = Viewer.Report();
  ASSERT_EQ(shown.Pages.size(), 3u);
  EXPECT_EQ(Viewer.PreviewWidget().pageCount(), 3);
  EXPECT_EQ(Viewer.PageCountText(), FromCp1251(Strings.Value(152)) + "3");

  const fs::path saved = Folder / "protocol.qrp";
  ASSERT_TRUE(Viewer.SaveTo(saved));
  TQuickRepViewerForm reopened(Strings, Feedback);
  ASSERT_TRUE(reopened.OpenFile(saved));
  const TRenderedReport& read = reopened.Report();
  ASSERT_EQ(read.Pages.size(), shown.Pages.size());
  EXPECT_EQ(read.PageSizeMm, shown.PageSizeMm);
  EXPECT_EQ(read.Title, FromCp1251(Strings.Caption(157)));
  EXPECT_EQ(reopened.PreviewWidget().pageCount(), 3);
  for (std::size_t page = 0; page < shown.Pages.size(); ++page) {
    const QImage before = Raster(shown, page);
    // Every page carries its bands, not an empty sheet.
    EXPECT_GT(InkedRows(before), 40) << "page " << page + 1;
    EXPECT_EQ(Raster(read, page), before) << "page " << page + 1;
  }
  EXPECT_TRUE(Feedback.Messages.empty());
}

// The pages shown are those the printed protocol has, word for word.
TEST_F(QuickReport, PreviewSavedAsPdfHasTheTextsOfTheProtocol) {
  if (!testing::PopplerPresent()) {
    GTEST_SKIP() << "pdftotext/pdfinfo (poppler-utils) are not installed";
  }
  ASSERT_TRUE(Header.PreviewProtocol(nullptr));
  const fs::path fromPreview = Folder / "preview.pdf";
  ASSERT_TRUE(Viewer.SaveTo(fromPreview));
  const fs::path direct = Folder / "direct.pdf";
  ASSERT_TRUE(RenderReportToPdf(Header, TReportJobKind::Protocol, direct).Ok());
  EXPECT_EQ(testing::PdfPages(fromPreview), 3);
  const auto expected = PageWords(direct);
  const auto got = PageWords(fromPreview);
  ASSERT_EQ(got.size(), expected.size());
  for (std::size_t page = 0; page < got.size(); ++page) {
    EXPECT_EQ(got[page], expected[page]) << "page " << page + 1;
  }
  EXPECT_EQ(got[1].count("note7001"), 1u);
  EXPECT_EQ(got[2].count("note7003"), 1u);
}

QByteArray ReadAll(const fs::path& path) {
  QFile file(QString::fromStdString(path.string()));
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteAll(const fs::path& path, const QByteArray& bytes) {
  QFile file(QString::fromStdString(path.string()));
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(bytes);
}

// A file that does not read whole is reported and the window keeps its pages.
TEST_F(QuickReport, DamagedSavedReportsAreRefusedWithoutChange) {
  ASSERT_TRUE(Header.PreviewAppendix(nullptr));
  ASSERT_EQ(Viewer.Report().Pages.size(), 2u);
  const fs::path good = Folder / "good.qrp";
  ASSERT_TRUE(SaveQrp(Viewer.Report(), good).Ok);
  const QByteArray bytes = ReadAll(good);
  const QImage shown = Raster(Viewer.Report(), 0);
  // Offsets: magic 0, version 8, count 12, sizes and dpi 16..40, the title.
  const struct {
    const char* Name;
    std::function<QByteArray()> Bytes;  // nothing: the file is not there
  } cases[] = {
      {"missing", nullptr},
      {"empty", [] { return QByteArray(); }},
      {"foreign", [] { return QByteArray("%PDF-1.4 not a saved report at all, but long enough"); }},
      {"cut in the header", [&] { return bytes.left(20); }},
      {"cut in a page", [&] { return bytes.left(bytes.size() - 100); }},
      {"cut before the last page", [&] { return bytes.left(bytes.size() / 2); }},
      {"another version", [&] { QByteArray b = bytes; b[11] = 2; return b; }},
      {"no pages", [&] { QByteArray b = bytes; b[15] = 0; return b; }},
      {"more pages than it has", [&] { QByteArray b = bytes; b[15] = 3; return b; }},
      {"a page damaged", [&] { QByteArray b = bytes; b[200] = char(b[200] ^ 0x5a); return b; }},
      {"trailing bytes", [&] { return bytes + QByteArray(16, 'x'); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    const fs::path path = Folder / (std::string("case-") + std::to_string(&c - cases) + ".qrp");
    if (c.Bytes) {
      WriteAll(path, c.Bytes());
    }
    TRenderedReport report;
    report.Dpi = 42;
    EXPECT_FALSE(LoadQrp(path, report).Ok);
    EXPECT_EQ(report.Dpi, 42);
    EXPECT_TRUE(report.Pages.empty());
    Feedback.Messages.clear();
    EXPECT_FALSE(Viewer.OpenFile(path));
    ASSERT_EQ(Feedback.Messages.size(), 1u);
    EXPECT_EQ(Feedback.Messages[0].Caption, Strings.Error(9));
    EXPECT_EQ(Feedback.Messages[0].Text.rfind(Strings.Error(28) + "\n", 0), 0u);
    EXPECT_EQ(Feedback.Messages[0].Icon, TMessageIcon::Error);
    ASSERT_EQ(Viewer.Report().Pages.size(), 2u);
    EXPECT_EQ(Raster(Viewer.Report(), 0), shown);
  }
  TRenderedReport whole;
  EXPECT_TRUE(LoadQrp(good, whole).Ok);
  EXPECT_EQ(whole.Pages.size(), 2u);
}

// The texts of the preview window and its buttons in toolbar order.
TEST_F(QuickReport, PreviewWindowTexts) {
  ASSERT_TRUE(Header.PreviewAppendix(nullptr));
  EXPECT_EQ(Viewer.windowTitle(), FromCp1251(Strings.Caption(112)));
  ASSERT_EQ(Viewer.Tabs().count(), 1);
  EXPECT_EQ(Viewer.Tabs().tabText(0), FromCp1251(Strings.Caption(113)));
  auto* tools = Viewer.findChild<QToolBar*>("PreviewToolBar");
  ASSERT_NE(tools, nullptr);
  QStringList hints;
  for (QAction* action : tools->actions()) {
    // The close button is a widget of its own, checked below.
    if (!action->isSeparator() && !action->objectName().isEmpty()) {
      hints << action->toolTip();
    }
  }
  QStringList expected;
  for (int value = 138; value <= 149; ++value) {
    expected << FromCp1251(Strings.Value(static_cast<std::uint16_t>(value)));
  }
  EXPECT_EQ(hints, expected);
  auto* close = Viewer.findChild<QToolButton*>("CloseButton");
  ASSERT_NE(close, nullptr);
  EXPECT_EQ(close->width(), 60);
  EXPECT_EQ(close->text(), FromCp1251(Strings.Value(150)));
  EXPECT_EQ(close->toolTip(), FromCp1251(Strings.Value(151)));
  const std::pair<TQuickRepViewerForm::TStatus, int> statuses[] = {
      {TQuickRepViewerForm::TStatus::Preparing, 153},
      {TQuickRepViewerForm::TStatus::Drawing, 154},
      {TQuickRepViewerForm::TStatus::Printing, 155}};
  for (const auto& [status, value] : statuses) {
    Viewer.SetStatus(status);
    EXPECT_EQ(Viewer.StatusText(), FromCp1251(Strings.Value(static_cast<std::uint16_t>(value))));
  }
}

// The protocol printed through QPrinter to the CUPS-PDF queue that
// tools/cups-pdf.sh sets up: the PDF that CUPS writes has the protocol's
// pages and texts.
TEST_F(QuickReport, ProtocolPrintsThroughTheCupsPdfQueue) {
  const QString queue = qEnvironmentVariableIsEmpty("VELT_CUPS_QUEUE")
                            ? QStringLiteral("VeltPDF")
                            : qEnvironmentVariable("VELT_CUPS_QUEUE");
  const fs::path out = qEnvironmentVariableIsEmpty("VELT_CUPS_PDF_DIR")
                           ? fs::path("/var/spool/cups-pdf/VELT")
                           : fs::path(qEnvironmentVariable("VELT_CUPS_PDF_DIR").toStdString());
  if (QPrinterInfo::printerInfo(queue).isNull() || !fs::is_directory(out)) {
    GTEST_SKIP() << "no CUPS queue " << queue.toStdString() << " writing to " << out
                 << " (tools/cups-pdf.sh start sets it up)";
  }
  if (!testing::PopplerPresent()) {
    GTEST_SKIP() << "pdftotext/pdfinfo (poppler-utils) are not installed";
  }
  std::set<fs::path> before;
  for (const auto& entry : fs::directory_iterator(out)) {
    before.insert(entry.path());
  }
  QString title;
  Sink.ChoosePrinter = [&](QPrinter& printer) {
    title = printer.docName();
    printer.setPrinterName(queue);
    return true;
  };
  ASSERT_TRUE(Header.PrintProtocol(nullptr));
  EXPECT_EQ(title, FromCp1251(Strings.Caption(157)));

  // CUPS-PDF writes the file when the job ends: wait for it, at most 60 s.
  fs::path printed;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (printed.empty() && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(250));
    for (const auto& entry : fs::directory_iterator(out)) {
      if (entry.path().extension() == ".pdf" && !before.count(entry.path()) &&
          testing::PdfPages(entry.path()) > 0) {
        printed = entry.path();
      }
    }
  }
  ASSERT_FALSE(printed.empty()) << "CUPS wrote no PDF into " << out << " within 60 s";
  EXPECT_EQ(testing::PdfPages(printed), 3);
  const auto pages = PageWords(printed);
  ASSERT_EQ(pages.size(), 3u);
  for (const char* word : {"PN-17", "row1", "row3", "7003"}) {
    EXPECT_EQ(pages[0].count(word), 1u) << word;
  }
  // The appendix sheets 1 and 2, record 7001 first (through the queue's
  // PostScript some glyphs lose their characters: only these are checked).
  const auto page = [&](int n) {
    return testing::CommandOutput("pdftotext -f " + std::to_string(n) + " -l " + std::to_string(n) + " '" +
                  printed.string() + "' -");
  };
  EXPECT_NE(page(2).find("Лист 1"), std::string::npos);
  EXPECT_NE(page(2).find("7001"), std::string::npos);
  EXPECT_NE(page(3).find("Лист 2"), std::string::npos);
  if (!HasFailure()) {
    fs::remove(printed);
  }
}

}  // namespace
}  // namespace velt
