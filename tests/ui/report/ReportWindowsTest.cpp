// The report windows on the real main window: the data tab's marked
// records previewed (F11) and printed (F10) as the flaw appendix, and a
// saved report reopened with F12 on the report tab.
#include <gtest/gtest.h>

#include <QPrintPreviewWidget>
#include <QPrinter>
#include <cstdio>

#include <reports/ReportSheetForms.h>
#include <ui/data/DataTabUnit.h>
#include <ui/widgets/FileDialogsUnit.h>
#include <ui/mainwindow/PageControlUnit.h>
#include <ui/report/QuickRepViewerUnit.h>

#include "ui/MainFormTestSupport.h"

namespace velt {
namespace {

using testing::TAnsweringDialogs;
using testing::TMainFormFixture;

int PdfPages(const std::filesystem::path& pdf) {
  std::string info;
  if (FILE* pipe = ::popen(("pdfinfo '" + pdf.string() + "' 2>/dev/null").c_str(), "r")) {
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
      info.append(buffer, n);
    }
    ::pclose(pipe);
  }
  const auto at = info.find("Pages:");
  return at == std::string::npos ? -1 : std::atoi(info.c_str() + at + 6);
}

// The main window with the printed sheets and the preview window, made as
// the program makes them at start.
class ReportWindows : public ::testing::Test {
 protected:
  ReportWindows() : F("1:4.0.3") {}
  void SetUp() override {
    Form = &F.Start();
    auto dialogs = std::make_unique<TAnsweringDialogs>();
    Dialogs = dialogs.get();
    Form->SetFileDialogs(std::move(dialogs));
    Jobs.SetViewer(&Viewer);
    Form->Viewer = &Viewer;
    SetReportPrinting(&Sheets);
    Form->Action("ReceiveFlawsAction")->trigger();
    ASSERT_GE(Form->Flaws.Count, 3);
  }
  void TearDown() override {
    SetReportPrinting(nullptr);
    Form->Viewer = nullptr;
  }

  TMainFormFixture F;
  TVELTMainForm* Form = nullptr;
  TAnsweringDialogs* Dialogs = nullptr;
  TGuiReportJobSink Jobs;
  TReportSheets Sheets{Jobs, F.Progress};
  TQuickRepViewerForm Viewer{F.Strings, F.Feedback};
};

TEST_F(ReportWindows, MarkedRecordsArePreviewedAndPrintedAsTheAppendix) {
  // Records 1..3 marked: appendix sheets 1 and 2.
  for (int row = 1; row <= 3; ++row) {
    Form->DataPage().DoubleClick(1, row);
  }
  ASSERT_EQ(Form->AppendixHeader->Count(), 3);
  Form->PageControl().setCurrentIndex(kDataTab);
  testing::SendKey(*Form, QEvent::KeyPress, Qt::Key_F11);
  EXPECT_TRUE(F.Feedback.Messages.empty());
  EXPECT_TRUE(Viewer.isVisible());
  EXPECT_EQ(Viewer.Report().Pages.size(), 2u);
  EXPECT_EQ(Viewer.PreviewWidget().pageCount(), 2);

  const std::filesystem::path pdf = F.Data / "appendix.pdf";
  int asked = 0;
  Jobs.ChoosePrinter = [&](QPrinter& printer) {
    ++asked;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString(pdf.string()));
    return true;
  };
  testing::SendKey(*Form, QEvent::KeyPress, Qt::Key_F10);
  EXPECT_EQ(asked, 1);
  EXPECT_EQ(PdfPages(pdf), 2);

  // The pages shown print again from the preview window.
  const std::filesystem::path again = F.Data / "again.pdf";
  QString title;
  Viewer.ChoosePrinter = [&](QPrinter& printer) {
    title = printer.docName();
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString(again.string()));
    return true;
  };
  EXPECT_TRUE(Viewer.Print());
  EXPECT_EQ(title, FromCp1251(F.Strings.Caption(157)));
  EXPECT_EQ(PdfPages(again), 2);

  // A cancelled print dialog prints nothing.
  std::filesystem::remove(pdf);
  Jobs.ChoosePrinter = [&](QPrinter& printer) {
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString(pdf.string()));
    return false;
  };
  testing::SendKey(*Form, QEvent::KeyPress, Qt::Key_F10);
  EXPECT_FALSE(std::filesystem::exists(pdf));
}

TEST_F(ReportWindows, F12OnTheReportTabReopensASavedReport) {
  Form->DataPage().DoubleClick(1, 1);
  Form->Action("PreviewSimpleFlawsAction")->trigger();
  ASSERT_EQ(Viewer.Report().Pages.size(), 1u);
  const std::filesystem::path saved = F.Data / "one.qrp";
  ASSERT_TRUE(Viewer.SaveTo(saved));
  for (int row = 2; row <= 3; ++row) {
    Form->DataPage().DoubleClick(1, row);
  }
  Form->Action("PreviewSimpleFlawsAction")->trigger();
  ASSERT_EQ(Viewer.Report().Pages.size(), 2u);

  Form->PageControl().setCurrentIndex(kReportTab);
  const struct {
    std::optional<std::filesystem::path> Answer;
    bool Message;
    std::size_t Pages;
  } cases[] = {
      {std::nullopt, false, 2},           // cancelled: nothing changes
      {F.Data / "missing.qrp", true, 2},  // reported, nothing changes
      {saved, false, 1},
  };
  for (const auto& c : cases) {
    F.Feedback.Messages.clear();
    Dialogs->Requests.clear();
    Dialogs->Answer = c.Answer;
    testing::SendKey(*Form, QEvent::KeyPress, Qt::Key_F12);
    ASSERT_EQ(Dialogs->Requests.size(), 1u);
    EXPECT_EQ(Dialogs->Requests[0].Title, FromCp1251(F.Strings.Caption(89)));
    EXPECT_EQ(Dialogs->Requests[0].Filter, FromCp1251(F.Strings.Value(69)) + "(*.qrp)|*.qrp");
    EXPECT_EQ(Dialogs->Requests[0].DefaultSuffix, "qrp");
    EXPECT_EQ(Dialogs->Requests[0].StartFolder, F.Data / "typical_reports");
    ASSERT_EQ(F.Feedback.Messages.size(), c.Message ? 1u : 0u);
    if (c.Message) {
      EXPECT_EQ(F.Feedback.Messages[0].Caption, F.Strings.Error(9));
      EXPECT_EQ(F.Feedback.Messages[0].Text.rfind(F.Strings.Error(28), 0), 0u);
      EXPECT_EQ(F.Feedback.Messages[0].Icon, TMessageIcon::Error);
    }
    EXPECT_EQ(Viewer.Report().Pages.size(), c.Pages);
  }
}

}  // namespace
}  // namespace velt
