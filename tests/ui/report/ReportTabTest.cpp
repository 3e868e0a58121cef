// The report tab on the real main window against the simulated instrument:
// marking records, the report type, moving through the records, sorting,
// previewing and printing the protocol, and report files.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QPrinter>
#include <QTableWidget>
#include <QKeyEvent>
#include <fstream>
#include <sstream>

#include <reports/ReportSheetForms.h>
#include <ui/data/DataTabUnit.h>
#include <ui/mainwindow/PageControlUnit.h>
#include <ui/report/QuickRepViewerUnit.h>
#include <ui/report/ReportHeaderPanelsUnit.h>
#include <ui/report/ReportTabUnit.h>
#include <ui/widgets/Cp1251.h>
#include <ui/widgets/FileDialogsUnit.h>

#include "support/PdfTools.h"
#include "ui/MainFormTestSupport.h"

namespace velt {
namespace {

using testing::TAnsweringDialogs;
using testing::TMainFormFixture;

std::string Cell(const QTableWidget& table, int row, int column) {
  const QTableWidgetItem* item = table.item(row, column);
  return item == nullptr ? std::string() : item->text().toStdString();
}

// Records downloaded, the report tab shown, the printed sheets and the
// preview window made as the program makes them.
class ReportTab : public ::testing::Test {
 protected:
  ReportTab() : F("1:4.0.3") {}
  void SetUp() override {
    Form = &F.Start();
    auto dialogs = std::make_unique<TAnsweringDialogs>();
    Dialogs = dialogs.get();
    Form->SetFileDialogs(std::move(dialogs));
    Jobs.SetViewer(&Viewer);
    Form->Viewer = &Viewer;
    SetReportPrinting(&Sheets);
    Form->Action("ReceiveFlawsAction")->trigger();
    ASSERT_GE(Form->Flaws.Count, 4);
    Form->PageControl().setCurrentIndex(kReportTab);
    Tab = &Form->ReportPage();
  }
  void TearDown() override {
    SetReportPrinting(nullptr);
    Form->Viewer = nullptr;
  }
  TDataCell& Entry(int k) { return *Form->Flaws.ReportSelection[static_cast<std::size_t>(k - 1)]; }
  bool Enabled(const char* action) const { return Form->Action(action)->isEnabled(); }

  TMainFormFixture F;
  TVELTMainForm* Form = nullptr;
  TReportTab* Tab = nullptr;
  TAnsweringDialogs* Dialogs = nullptr;
  TGuiReportJobSink Jobs;
  TReportSheets Sheets{Jobs, F.Progress};
  TQuickRepViewerForm Viewer{F.Strings, F.Feedback};
};

TEST_F(ReportTab, MarksSurviveATypeSwitchWithEmptyRowTexts) {
  Tab->DoubleClick(1, 1);
  Tab->DoubleClick(1, 3);
  EXPECT_EQ(Cell(Tab->Selector(), 2, 3), "*");
  IReportForm& panels = Form->ReportForm();
  panels.SetReportGridCell(kReportType1, 1, 1, "joint");
  Tab->TypeSelector().setCurrentIndex(1);
  Tab->TypeSelector().setCurrentIndex(0);
  const TBaseReportHeader& header = *Form->ReportHeader;
  ASSERT_EQ(header.Count(), 2);
  EXPECT_EQ(header.FlawList()[0], &Entry(1));
  EXPECT_EQ(header.FlawList()[1], &Entry(3));
  const auto& rows = dynamic_cast<const TSimpleReportHeader&>(header).RowRecords();
  ASSERT_EQ(rows.size(), 2u);
  for (int row = 1; row <= 2; ++row) {
    EXPECT_EQ(rows[static_cast<std::size_t>(row - 1)].Strings[0], "");
    EXPECT_EQ(panels.ReportGridCell(kReportType1, 1, row), "") << "row " << row;
    EXPECT_EQ(panels.ReportGridCell(kReportType1, 7, row),
              std::to_string(header.FlawList()[static_cast<std::size_t>(row - 1)]->FlawNumber));
  }
}

// Unmarking a record keeps the texts typed for the others with them.
TEST_F(ReportTab, UnmarkingARecordKeepsTheOthersRowTexts) {
  for (int k = 1; k <= 3; ++k) {
    Tab->DoubleClick(1, k);
  }
  IReportForm& panels = Form->ReportForm();
  const char* const typed[] = {"one", "two", "three"};
  for (int row = 1; row <= 3; ++row) {
    panels.SetReportGridCell(kReportType1, 8, row, typed[row - 1]);
  }
  Tab->DoubleClick(1, 2);
  EXPECT_EQ(panels.ReportGridRowCount(kReportType1), 3);
  EXPECT_EQ(panels.ReportGridCell(kReportType1, 8, 1), "one");
  EXPECT_EQ(panels.ReportGridCell(kReportType1, 8, 2), "three");
}

TEST_F(ReportTab, NavigationFollowsTheShownRecord) {
  const int n = Tab->ListSize();
  ASSERT_EQ(n, Form->Flaws.Count);
  Tab->Selector().setCurrentCell(0, 1);
  ASSERT_EQ(Tab->CurrentIndex(), 1);
  EXPECT_TRUE(Tab->RecordView().isVisible());
  EXPECT_EQ(Form->Flaws.CurrentReportRecord, &Entry(1));
  const struct {
    const char* Action;  // nullptr: the step itself, enabled or not
    void (TReportTab::*Step)();
    int Current;
    bool Back, Forward;
  } cases[] = {
      {nullptr, &TReportTab::First, 1, false, true},     // First on record 1: nothing
      {nullptr, &TReportTab::Previous, 1, false, true},  // Previous on record 1: nothing
      {"LastReportSelectAction", nullptr, n, true, false},
      {nullptr, &TReportTab::Next, n, true, false},  // Next on the last: nothing
      {"PreviousReportSelectAction", nullptr, n - 1, true, true},
      {"FirstReportSelectAction", nullptr, 1, false, true},
      {"NextReportSelectAction", nullptr, 2, true, true},
      {"ReportSummaryAction", nullptr, 0, false, false},
  };
  for (const auto& c : cases) {
    if (c.Action != nullptr) {
      Form->Action(c.Action)->trigger();
    } else {
      (Tab->*c.Step)();
    }
    const std::string at = c.Action != nullptr ? c.Action : "step";
    EXPECT_EQ(Tab->CurrentIndex(), c.Current) << at;
    EXPECT_EQ(Enabled("FirstReportSelectAction"), c.Back) << at;
    EXPECT_EQ(Enabled("PreviousReportSelectAction"), c.Back) << at;
    EXPECT_EQ(Enabled("NextReportSelectAction"), c.Forward) << at;
    EXPECT_EQ(Enabled("LastReportSelectAction"), c.Forward) << at;
    if (c.Current != 0) {
      EXPECT_EQ(Tab->Selector().currentRow(), c.Current - 1) << at;
      EXPECT_EQ(Form->Flaws.CurrentReportRecord, &Entry(c.Current)) << at;
    }
  }
  EXPECT_FALSE(Tab->RecordView().isVisible());
  EXPECT_TRUE(Tab->Panel1().isVisible());
}

// The record view: the comments typed there belong to the record, and the
// picture is drawn in the print colours.
TEST_F(ReportTab, TheRecordViewKeepsItsCommentsAndDrawsInThePrintColours) {
  Tab->Selector().setCurrentCell(0, 1);
  EXPECT_EQ(Tab->Picture().pixel(1, 1), Form->PrintScheme[kFrameColour].rgb());
  EXPECT_NE(Tab->ScaleBox().count(), 0);
  Tab->Comments().setPlainText("crack at the weld");
  Form->Action("NextReportSelectAction")->trigger();
  EXPECT_TRUE(Tab->Comments().toPlainText().isEmpty());
  ASSERT_EQ(Entry(1).Comments.size(), 1u);
  EXPECT_EQ(Entry(1).Comments[0], "crack at the weld");
  // Leaving the tab shows the data tab's record with what was typed here.
  Form->Action("FirstReportSelectAction")->trigger();
  Tab->Comments().setPlainText("second thoughts");
  Form->PageControl().setCurrentIndex(kDataTab);
  ASSERT_EQ(Form->Flaws.CurrentRecord, &Entry(1));
  EXPECT_EQ(Form->DataPage().Comments().toPlainText(), "second thoughts");
  EXPECT_EQ(Entry(1).Comments[0], "second thoughts");
}

TEST_F(ReportTab, DiscardedRecordsLeaveTheSelectorEmpty) {
  Tab->DoubleClick(1, 1);
  Tab->Selector().setCurrentCell(0, 1);
  F.Feedback.Answers = {true};
  Form->UnplugDevice();
  EXPECT_EQ(Tab->Selector().rowCount(), 1);
  EXPECT_EQ(Cell(Tab->Selector(), 0, 0), "");
  EXPECT_EQ(Tab->ListSize(), 0);
  EXPECT_EQ(Tab->CurrentIndex(), 0);
  EXPECT_FALSE(Tab->RecordView().isVisible());
  EXPECT_FALSE(Enabled("PrintReportsAction"));
  EXPECT_EQ(Form->ReportForm().ReportGridCell(kReportType1, 7, 1), "");
}

// The report grid's editor gives the focus back to the selector on Tab;
// the summary must stay, with no row chosen.
TEST_F(ReportTab, TabInTheSelectorLeavesTheSummaryShown) {
  Tab->DoubleClick(1, 1);
  Tab->Summary();
  ASSERT_LT(Tab->Selector().currentRow(), 0);
  Form->activateWindow();
  QApplication::setActiveWindow(Form);
  Tab->Selector().setFocus(Qt::OtherFocusReason);
  QApplication::processEvents();
  ASSERT_TRUE(Tab->Selector().hasFocus());
  QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier);
  QApplication::sendEvent(&Tab->Selector(), &tab);
  EXPECT_EQ(Tab->CurrentIndex(), 0);
  EXPECT_LT(Tab->Selector().currentRow(), 0);
}

TEST_F(ReportTab, AnEmptyReportIsRefusedWithItsMessage) {
  int printed = 0;
  Jobs.ChoosePrinter = [&printed](QPrinter&) {
    ++printed;
    return false;
  };
  for (const char* action : {"PreviewReportsAction", "PrintReportsAction"}) {
    F.Feedback.Messages.clear();
    ASSERT_TRUE(Enabled(action));
    Form->Action(action)->trigger();
    ASSERT_EQ(F.Feedback.Messages.size(), 1u) << action;
    EXPECT_EQ(F.Feedback.Messages[0].Caption, F.Strings.Error(26));
    EXPECT_EQ(F.Feedback.Messages[0].Text, F.Strings.Error(27));
    EXPECT_EQ(F.Feedback.Messages[0].Icon, TMessageIcon::Warning);
  }
  EXPECT_EQ(printed, 0);
  EXPECT_TRUE(Viewer.Report().Pages.empty());
}

TEST_F(ReportTab, ATitleDoubleClickSortsByIndexAndKeepsTheMarks) {
  // The instrument's records come in index order: give them another.
  TFlawDataBlock& flaws = Form->Flaws;
  for (std::uint16_t i = 0; i < flaws.Count; ++i) {
    flaws.Records[i]->Configuration()->CONFIG_INDEX = static_cast<std::uint16_t>((i * 5) % 7);
  }
  Form->PageControl().setCurrentIndex(kDataTab);
  Form->PageControl().setCurrentIndex(kReportTab);
  const auto indexes = [this] {
    std::vector<int> shown;
    for (int r = 0; r < Tab->Selector().rowCount(); ++r) {
      shown.push_back(std::stoi(Cell(Tab->Selector(), r, 2)));
    }
    return shown;
  };
  const std::vector<int> stored = indexes();
  ASSERT_FALSE(std::is_sorted(stored.begin(), stored.end()));
  TDataCell& first = Entry(1);
  TDataCell& second = Entry(2);
  Tab->DoubleClick(1, 1);
  Tab->DoubleClick(1, 2);
  Tab->DoubleClick(2, 0);
  const std::vector<int> sorted = indexes();
  EXPECT_TRUE(std::is_sorted(sorted.begin(), sorted.end()));
  for (int k = 1; k <= Tab->ListSize(); ++k) {
    const bool marked = &Entry(k) == &first || &Entry(k) == &second;
    EXPECT_EQ(Cell(Tab->Selector(), k - 1, 3), marked ? "*" : "") << k;
    EXPECT_EQ(Cell(Tab->Selector(), k - 1, 0), std::to_string(Entry(k).FlawNumber));
  }
  EXPECT_EQ(Form->ReportHeader->Count(), 2);
  // The data tab lists them in the new order too.
  EXPECT_EQ(Cell(Form->DataPage().Selector(), 0, 2), std::to_string(sorted[0]));
  Tab->DoubleClick(0, 0);
  EXPECT_EQ(indexes(), stored);
}

TEST_F(ReportTab, APrintedProtocolCarriesWhatWasTyped) {
  if (!testing::PopplerPresent()) {
    GTEST_SKIP() << "pdftotext/pdfinfo (poppler-utils) are not installed";
  }
  Tab->DoubleClick(1, 1);
  Tab->DoubleClick(1, 2);
  Tab->Panel1().ProtocolNumValMaskEdit->setEditText("PR-4711");
  Tab->Panel1().ControllingOrganizationValueComboBox->setEditText("ACME Pipe Works");
  Form->ReportForm().SetReportGridCell(kReportType1, 8, 2, "weld seam cracked");
  const std::filesystem::path pdf = F.Data / "protocol.pdf";
  Jobs.ChoosePrinter = [&pdf](QPrinter& printer) {
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString(pdf.string()));
    return true;
  };
  testing::SendKey(*Form, QEvent::KeyPress, Qt::Key_F10);
  EXPECT_TRUE(F.Feedback.Messages.empty());
  ASSERT_TRUE(std::filesystem::exists(pdf));
  const std::string text = testing::CommandOutput("pdftotext '" + pdf.string() + "' -");
  for (const char* typed : {"PR-4711", "ACME Pipe Works", "weld seam cracked"}) {
    EXPECT_NE(text.find(typed), std::string::npos) << typed << " is not on\n" << text;
  }
  // The preview shows the same pages.
  testing::SendKey(*Form, QEvent::KeyPress, Qt::Key_F11);
  EXPECT_EQ(static_cast<int>(Viewer.Report().Pages.size()), testing::PdfPages(pdf));
}

// A protocol of the type chosen on the tab has the captions of its panel.
TEST_F(ReportTab, AProtocolOfTheChosenTypeHasItsCaptions) {
  if (!testing::PopplerPresent()) {
    GTEST_SKIP() << "pdftotext/pdfinfo (poppler-utils) are not installed";
  }
  Tab->DoubleClick(1, 1);
  Tab->TypeSelector().setCurrentIndex(1);
  const std::filesystem::path pdf = F.Data / "protocol2.pdf";
  Jobs.ChoosePrinter = [&pdf](QPrinter& printer) {
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString(pdf.string()));
    return true;
  };
  Tab->PrintOrPreview(true);
  ASSERT_TRUE(std::filesystem::exists(pdf));
  const std::string text = testing::CommandOutput("pdftotext '" + pdf.string() + "' -");
  for (TSheetCaptionLabel label : {TSheetCaptionLabel::ControlObject, TSheetCaptionLabel::DeviceType}) {
    const std::string caption =
        FromCp1251(Tab->Bridge().SheetCaptionText(kReportType2, label)).toStdString();
    ASSERT_FALSE(caption.empty());
    EXPECT_NE(text.find(caption), std::string::npos) << caption << " is not on\n" << text;
  }
}

TEST_F(ReportTab, ReportFilesAreNamedRctAndReadBack) {
  const std::filesystem::path folder = F.Data / "typical_reports";
  QComboBox& organisation = *Tab->Panel1().ControllingOrganizationValueComboBox;
  const struct {
    const char* Chosen;
    const char* Written;
  } cases[] = {{"pipe", "pipe.rct"},
               {"weld.rct", "weld.rct"},
               {"seam.RCT", "seam.RCT.rct"},
               {"a.rct.txt", "a.rct.txt.rct"}};
  for (const auto& c : cases) {
    Dialogs->Requests.clear();
    Dialogs->Answer = folder / c.Chosen;
    organisation.setEditText(c.Chosen);
    Form->Action("SaveReportFileAction")->trigger();
    ASSERT_EQ(Dialogs->Requests.size(), 1u);
    EXPECT_EQ(Dialogs->Requests[0].StartFolder, folder);
    EXPECT_EQ(Dialogs->Requests[0].Title, FromCp1251(F.Strings.Caption(87)));
    EXPECT_TRUE(std::filesystem::exists(folder / c.Written)) << c.Written;
  }
  // Saving over a file asks first; No keeps it.
  organisation.setEditText("other");
  Dialogs->Answer = folder / "pipe";
  F.Feedback.Answers = {false};
  Form->Action("SaveReportFileAction")->trigger();
  ASSERT_EQ(F.Feedback.Questions.size(), 1u);
  EXPECT_EQ(F.Feedback.Questions[0].Text, F.Strings.Error(8));
  // Opening "pipe" reads pipe.rct into the panel.
  Dialogs->Answer = folder / "pipe";
  Form->Action("OpenReportFileAction")->trigger();
  EXPECT_EQ(organisation.currentText(), "pipe");
  EXPECT_EQ(Dialogs->Requests.back().Title, FromCp1251(F.Strings.Caption(88)));
  EXPECT_TRUE(F.Feedback.Messages.empty());
}

TEST_F(ReportTab, AFileThatIsNoReportLeavesThePanelAsItWas) {
  const std::filesystem::path folder = F.Data / "typical_reports";
  std::ostringstream whole;
  for (int line = 1; line <= 36; ++line) {
    whole << "field " << line << "\r\n";
  }
  std::ofstream(folder / "cut.rct", std::ios::binary) << whole.str().substr(0, 100);
  std::ofstream(folder / "foreign.rct", std::ios::binary)
      << whole.str() << std::string("\0\x01\x02", 3);
  std::filesystem::create_directory(folder / "folder.rct");
  QComboBox& organisation = *Tab->Panel1().ControllingOrganizationValueComboBox;
  for (const char* name : {"missing", "cut", "foreign", "folder"}) {
    organisation.setEditText("typed by hand");
    F.Feedback.Messages.clear();
    Dialogs->Answer = folder / name;
    Form->Action("OpenReportFileAction")->trigger();
    ASSERT_EQ(F.Feedback.Messages.size(), 1u) << name;
    EXPECT_EQ(F.Feedback.Messages[0].Caption, F.Strings.Error(9));
    EXPECT_EQ(F.Feedback.Messages[0].Text.rfind(F.Strings.Error(28), 0), 0u) << name;
    EXPECT_EQ(F.Feedback.Messages[0].Icon, TMessageIcon::Error);
    EXPECT_EQ(organisation.currentText(), "typed by hand") << name;
  }
  // The whole file reads.
  std::ofstream(folder / "whole.rct", std::ios::binary) << whole.str();
  Dialogs->Answer = folder / "whole.rct";
  Form->Action("OpenReportFileAction")->trigger();
  EXPECT_EQ(organisation.currentText(), "field 1");
}

}  // namespace
}  // namespace velt
