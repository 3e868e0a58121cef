// The data tab on the real main window against the simulated instrument:
// downloading, the selector, moving through the records, comments, marks
// for the appendix, sorting, opening and saving record files, and what the
// discarding of instrument data leaves.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTableWidget>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <optional>

#include <records/RecordFilesUnit.h>
#include <ui/widgets/Cp1251.h>
#include <ui/data/DataTabUnit.h>
#include <ui/widgets/FileDialogsUnit.h>
#include <ui/widgets/MemoTextLimiterUnit.h>

#include "support/FileSizeLimit.h"
#include "ui/MainFormTestSupport.h"

namespace velt {
namespace {

using testing::TAnsweringDialogs;
using testing::TMainFormFixture;

std::string Text(const QString& text) { return text.toUtf8().toStdString(); }

std::string Cell(const QTableWidget& table, int row, int column) {
  const QTableWidgetItem* item = table.item(row, column);
  return item == nullptr ? std::string() : Text(item->text());
}

class DataTab : public ::testing::Test {
 protected:
  DataTab() : F("1:4.0.3") {}
  void SetUp() override {
    Form = &F.Start();
    auto dialogs = std::make_unique<TAnsweringDialogs>();
    Dialogs = dialogs.get();
    Form->SetFileDialogs(std::move(dialogs));
    Tab = &Form->DataPage();
  }
  void Download() { Form->Action("ReceiveFlawsAction")->trigger(); }
  bool Enabled(const char* action) const { return Form->Action(action)->isEnabled(); }

  TMainFormFixture F;
  TVELTMainForm* Form = nullptr;
  TDataTab* Tab = nullptr;
  TAnsweringDialogs* Dialogs = nullptr;
};

TEST_F(DataTab, ADownloadListsTheRecordsAndShowsTheFirst) {
  EXPECT_FALSE(Enabled("SaveFlawsAction"));
  ASSERT_TRUE(Enabled("ReceiveFlawsAction"));
  Download();
  ASSERT_TRUE(F.Feedback.Messages.empty());
  const TFlawDataBlock& flaws = Form->Flaws;
  ASSERT_GT(flaws.Count, 1);
  EXPECT_EQ(flaws.Source, kSourceInstrument);
  EXPECT_EQ(flaws.FileName, F.Connection->State.StateText);
  QTableWidget& selector = Tab->Selector();
  ASSERT_EQ(selector.rowCount(), flaws.Count);
  for (int r = 0; r < flaws.Count; ++r) {
    const TDataCell& record = *flaws.Records[flaws.DisplayOrder[static_cast<std::size_t>(r)]];
    EXPECT_EQ(Cell(selector, r, 0), std::to_string(flaws.DisplayOrder[r] + 1));
    EXPECT_EQ(Cell(selector, r, 1), F.Utf8(record.Configuration()->CONFIGURATION_NAME));
    EXPECT_EQ(Cell(selector, r, 2), std::to_string(record.Configuration()->CONFIG_INDEX));
  }
  EXPECT_EQ(Tab->CurrentRow(), 1);
  EXPECT_EQ(flaws.CurrentRecord, flaws.Records[flaws.DisplayOrder[0]].get());
  EXPECT_TRUE(Enabled("SaveFlawsAction"));
  EXPECT_TRUE(Enabled("PrintSimpleFlawsAction"));
  EXPECT_TRUE(Enabled("PreviewSimpleFlawsAction"));
  EXPECT_FALSE(Enabled("FirstFlawAction"));
  EXPECT_FALSE(Enabled("PrevFlawAction"));
  EXPECT_TRUE(Enabled("NextFlawAction"));
  EXPECT_TRUE(Enabled("LastFlawAction"));
  // The caption names the record and its configuration.
  const std::string caption = Text(Tab->Caption().text());
  const TBaseConfigCell& cell = *flaws.CurrentRecord->Configuration();
  EXPECT_EQ(caption.rfind(F.Utf8(F.Strings.Caption(14)) + "1       ", 0), 0u) << caption;
  EXPECT_NE(caption.find(F.Utf8(cell.CONFIGURATION_NAME)), std::string::npos);
  // The mode indicators follow the record's configuration.
  const std::array<int, 6> indicators = Tab->ModeIndicators();
  EXPECT_EQ(indicators[0], cell.TVG_ENABLED + 17);
  EXPECT_EQ(indicators[2], cell.SCREEN_MODE + 7);
  EXPECT_EQ(indicators[5], cell.CURSOR_2_ENABLED + 2);
  // The picture is drawn: the frame's grey is on it.
  EXPECT_EQ(Tab->Picture().pixel(1, 1), Form->ScreenScheme[kFrameColour].rgb());
  // Results and conditions are filled.
  EXPECT_FALSE(Tab->Results().Cell(1, 2).empty());
  EXPECT_EQ(Tab->Conditions().Cell(1, 0), cell.ParameterText(0));
  EXPECT_EQ(Tab->Group(2).Cell(1, 0), cell.ParameterText(18));
  EXPECT_EQ(Tab->Group(1).Cell(1, 4), cell.ParameterText(29));  // filled, not shown
}

TEST_F(DataTab, MovingThroughTheRecordsKeepsTheTypedComments) {
  Download();
  const int count = Form->Flaws.Count;
  ASSERT_GT(count, 2);
  Tab->Comments().setPlainText(QString::fromUtf8("трещина у шва\nвторая строка"));
  Form->Action("NextFlawAction")->trigger();
  EXPECT_EQ(Tab->CurrentRow(), 2);
  EXPECT_EQ(Tab->Selector().currentRow(), 1);
  EXPECT_TRUE(Tab->Comments().toPlainText().isEmpty());
  Form->Action("LastFlawAction")->trigger();
  EXPECT_EQ(Tab->CurrentRow(), count);
  EXPECT_FALSE(Enabled("NextFlawAction"));
  Form->Action("PrevFlawAction")->trigger();
  EXPECT_EQ(Tab->CurrentRow(), count - 1);
  Form->Action("FirstFlawAction")->trigger();
  EXPECT_EQ(Tab->CurrentRow(), 1);
  EXPECT_EQ(Text(Tab->Comments().toPlainText()), "трещина у шва\nвторая строка");
  const TDataCell& first = *Form->Flaws.Records[Form->Flaws.DisplayOrder[0]];
  ASSERT_EQ(first.Comments.size(), 2u);
  EXPECT_EQ(F.Utf8(first.Comments[0]), "трещина у шва");
  // Choosing a row in the selector shows it.
  Tab->Selector().setCurrentCell(2, 1);
  EXPECT_EQ(Tab->CurrentRow(), 3);
}

TEST_F(DataTab, DoubleClicksMarkRecordsForTheAppendixAndSortTheList) {
  Download();
  TFlawDataBlock& flaws = Form->Flaws;
  Tab->DoubleClick(1, 2);
  Tab->DoubleClick(1, 3);
  EXPECT_EQ(Cell(Tab->Selector(), 1, 3), "*");
  EXPECT_EQ(Form->AppendixHeader->Count(), 2);
  EXPECT_EQ(Form->AppendixHeader->FlawDeviceType, flaws.DeviceType);
  Tab->DoubleClick(1, 2);
  EXPECT_EQ(Cell(Tab->Selector(), 1, 3), "");
  EXPECT_EQ(Form->AppendixHeader->Count(), 1);
  EXPECT_EQ(flaws.Records[flaws.DisplayOrder[1]]->PrintFlag, 0);
  EXPECT_EQ(flaws.Records[flaws.DisplayOrder[2]]->PrintFlag, 1);

  // The header of column 2 sorts by configuration index, of column 0
  // restores the storage order, of columns 1 and 3 does nothing.
  Tab->DoubleClick(2, 0);
  for (int r = 1; r < flaws.Count; ++r) {
    EXPECT_LE(std::stoi(Cell(Tab->Selector(), r - 1, 2)), std::stoi(Cell(Tab->Selector(), r, 2)));
  }
  const std::vector<std::uint16_t> sorted = flaws.DisplayOrder;
  Tab->DoubleClick(1, 0);
  Tab->DoubleClick(3, 0);
  EXPECT_EQ(flaws.DisplayOrder, sorted);
  Tab->DoubleClick(0, 0);
  for (int r = 0; r < flaws.Count; ++r) {
    EXPECT_EQ(Cell(Tab->Selector(), r, 0), std::to_string(r + 1));
  }
}

TEST_F(DataTab, ADownloadWithoutRecordsOrThatFailsLeavesAnEmptyTab) {
  // Configuration 0 says no memory cell is used.
  auto working = CreateConfigCellForVersion(4, 0, 3, 1);
  working->SetDefaults(0);
  working->LAST_MEM_CELL = 0;
  TDeviceImage image{};
  working->EncodeImage(image, 0);
  F.Sim.Instrument().SetCommandHandler(
      3, [image](conduit::TSimulatedInstrument& d, const std::uint8_t*) {
        d.QueueBulk(std::vector<std::uint8_t>(image.begin(), image.begin() + 512));
      });
  Download();
  ASSERT_EQ(F.Feedback.Messages.size(), 1u);
  EXPECT_EQ(F.Utf8(F.Feedback.Messages[0].Caption), "Ошибка передачи");
  EXPECT_EQ(F.Utf8(F.Feedback.Messages[0].Text), "В приборе нет записанных кадров");
  EXPECT_EQ(F.Feedback.Messages[0].Icon, TMessageIcon::Error);
  EXPECT_EQ(Form->Flaws.Source, kSourceNone);
  EXPECT_EQ(Tab->CurrentRow(), 0);
  EXPECT_FALSE(Enabled("SaveFlawsAction"));
  EXPECT_FALSE(Enabled("NextFlawAction"));
}

TEST_F(DataTab, ADownloadThatBreaksOffSaysSo) {
  Download();  // records on screen, one marked for the report
  Tab->DoubleClick(1, 1);
  ASSERT_GT(Tab->Selector().rowCount(), 1);
  F.Sim.Instrument().SetCommandHandler(5, [](conduit::TSimulatedInstrument& d,
                                             const std::uint8_t*) { d.Unplug(); });
  Download();
  ASSERT_FALSE(F.Feedback.Messages.empty());
  EXPECT_EQ(F.Utf8(F.Feedback.Messages.back().Text), "Сбой при приеме кадров");
  EXPECT_EQ(Form->Flaws.Source, kSourceNone);
  EXPECT_TRUE(Form->Flaws.FileName.empty());
  EXPECT_FALSE(Enabled("PrintSimpleFlawsAction"));
  // The empty state throughout: no row, caption or report entry is left
  // of records the tab can no longer show.
  EXPECT_EQ(Tab->Selector().rowCount(), 1);
  EXPECT_EQ(Cell(Tab->Selector(), 0, 1), "");
  EXPECT_EQ(Text(Tab->Caption().text()),
            F.Utf8(F.Strings.Caption(14) + F.Strings.Caption(15) + F.Strings.Caption(16)));
  EXPECT_EQ(Form->AppendixHeader->Count(), 0);
}

// A file that cannot be read, or none chosen, leaves the records on screen
// as they were and usable.
TEST_F(DataTab, AnOpenThatFailsLeavesTheRecordsAsTheyWere) {
  const std::filesystem::path bad = F.Data / "bad.dtf";
  std::ofstream(bad) << "not a record file\r\n";
  const std::optional<std::filesystem::path> answers[] = {bad, F.Data / "absent.dtf",
                                                          std::nullopt};
  Download();
  Form->Action("NextFlawAction")->trigger();
  Tab->DoubleClick(1, 2);
  const QImage picture = Tab->Picture();
  const QString caption = Tab->Caption().text();
  const int count = Form->Flaws.Count;
  for (const auto& answer : answers) {
    Dialogs->Answer = answer;
    Form->Action("OpenFlawsAction")->trigger();
    const std::string file = answer ? answer->filename().string() : "cancelled";
    EXPECT_EQ(Form->Flaws.Source, kSourceInstrument) << file;
    EXPECT_EQ(Form->Flaws.Count, count) << file;
    EXPECT_EQ(Tab->CurrentRow(), 2) << file;
    EXPECT_EQ(Tab->Selector().currentRow(), 1) << file;
    EXPECT_EQ(Tab->Picture(), picture) << file;
    EXPECT_EQ(Tab->Caption().text(), caption) << file;
    EXPECT_EQ(Form->AppendixHeader->Count(), 1) << file;
    for (const char* action : {"SaveFlawsAction", "PrintSimpleFlawsAction", "FirstFlawAction",
                               "NextFlawAction"}) {
      EXPECT_TRUE(Enabled(action)) << action << " after " << file;
    }
  }
  EXPECT_EQ(F.Feedback.Messages.size(), 2u);
  Form->Action("NextFlawAction")->trigger();
  EXPECT_EQ(Tab->CurrentRow(), 3);
}

// A record whose own settings could not be read says so in its row.
TEST_F(DataTab, ARecordWithUnreadableSettingsIsMarkedInItsRow) {
  Download();
  Form->Flaws.Records[Form->Flaws.DisplayOrder[1]]->UnreadableSettings = true;
  Tab->FillSelector();
  for (int row = 0; row < 3; ++row) {
    const bool marked = row == 1;
    const QTableWidgetItem& name = *Tab->Selector().item(row, 1);
    EXPECT_EQ(name.text().startsWith(QStringLiteral("! ")), marked) << row;
    EXPECT_EQ(name.toolTip().isEmpty(), !marked) << row;
  }
}

TEST_F(DataTab, OpeningAFileTakesItsMarkedRecordsIntoTheAppendix) {
  Download();
  TFlawDataBlock& flaws = Form->Flaws;
  flaws.Records[0]->PrintFlag = 1;
  flaws.Records[3]->PrintFlag = 1;
  flaws.Records[1]->Comments = {"kept"};
  const std::filesystem::path path = F.Data / "marked.dtf";
  ASSERT_TRUE(SaveRecordFile(flaws, path).Ok);
  F.Connection->Close();
  Form->UnplugDevice();

  Dialogs->Answer = path;
  Form->Action("OpenFlawsAction")->trigger();
  ASSERT_TRUE(F.Feedback.Messages.empty());
  ASSERT_FALSE(Dialogs->Requests.empty());
  EXPECT_EQ(Text(Dialogs->Requests.back().Title), F.Utf8(F.Strings.Caption(56)));
  EXPECT_EQ(Text(QtNameFilter(Dialogs->Requests.back().Filter)),
            F.Utf8(F.Strings.Value(67)) + "(*.dtf)");
  EXPECT_EQ(flaws.Source, kSourceFile);
  EXPECT_EQ(flaws.FileName, path.string());
  EXPECT_EQ(Form->AppendixHeader->Count(), 2);
  EXPECT_EQ(Cell(Tab->Selector(), 0, 3), "*");
  EXPECT_EQ(Cell(Tab->Selector(), 3, 3), "*");
  EXPECT_TRUE(Enabled("SaveFlawsAction"));
  // The opened comments are not overwritten by the empty field.
  Form->Action("NextFlawAction")->trigger();
  EXPECT_EQ(Text(Tab->Comments().toPlainText()), "kept");
}

TEST_F(DataTab, FilesThatAreNotThereOrBadAreReported) {
  Dialogs->Answer = F.Data / "absent.dtf";
  Form->Action("OpenFlawsAction")->trigger();
  ASSERT_EQ(F.Feedback.Messages.size(), 1u);
  EXPECT_EQ(F.Feedback.Messages[0].Caption, F.Strings.Error(9));
  EXPECT_EQ(F.Feedback.Messages[0].Text, F.Strings.Error(28));

  const std::filesystem::path bad = F.Data / "bad.dtf";
  std::ofstream(bad) << "not a record file\r\n";
  Dialogs->Answer = bad;
  Form->Action("OpenFlawsAction")->trigger();
  ASSERT_EQ(F.Feedback.Messages.size(), 2u);
  // The program's words, then the reader's reason with the line.
  const std::string text = F.Feedback.Messages[1].Text;
  EXPECT_EQ(text.rfind(F.Strings.Error(24) + "\n", 0), 0u) << text;
  EXPECT_NE(text.find("line 1"), std::string::npos) << text;
  EXPECT_EQ(Form->Flaws.Source, kSourceNone);
  EXPECT_FALSE(Enabled("SaveFlawsAction"));

  Dialogs->Answer.reset();  // cancelled: nothing happens
  Form->Action("OpenFlawsAction")->trigger();
  EXPECT_EQ(F.Feedback.Messages.size(), 2u);
}

TEST_F(DataTab, SavingOverAFileAsksFirst) {
  Download();
  const std::filesystem::path path = F.Data / "out.dtf";
  std::ofstream(path) << "old";
  Dialogs->Answer = path;
  F.Feedback.Answers = {false};
  Form->Action("SaveFlawsAction")->trigger();
  ASSERT_EQ(F.Feedback.Questions.size(), 1u);
  EXPECT_EQ(F.Feedback.Questions[0].Text, F.Strings.Error(8));
  EXPECT_EQ(F.Feedback.Questions[0].Icon, TMessageIcon::Warning);
  // Titled by what the user is doing, with No for Enter.
  EXPECT_EQ(F.Feedback.Questions[0].Caption, F.Strings.Value(106));
  EXPECT_EQ(F.Feedback.Questions[0].Preselected, TAnswer::No);
  std::ifstream kept(path);
  std::string content;
  std::getline(kept, content);
  EXPECT_EQ(content, "old");

  F.Feedback.Answers = {true};
  Form->Action("SaveFlawsAction")->trigger();
  TFlawDataBlock back;
  ASSERT_TRUE(OpenRecordFile(back, path).Ok);
  EXPECT_EQ(back.Count, Form->Flaws.Count);
}

// A save that the system stops (here a size limit, as a full disk would)
// says why, naming the file chosen and not the temporary one.
TEST_F(DataTab, ASaveThatFailsSaysWhyAndNamesTheFile) {
  Download();
  const std::filesystem::path path = F.Data / "day.dtf";
  Dialogs->Answer = path;
  {
    const testing::TFileSizeLimit limit(4096);
    ASSERT_TRUE(limit.Ok);
    Form->Action("SaveFlawsAction")->trigger();
  }
  ASSERT_EQ(F.Feedback.Messages.size(), 1u);
  const std::string text = F.Feedback.Messages[0].Text;
  EXPECT_EQ(text.rfind(F.Strings.Error(10), 0), 0u) << text;
  EXPECT_NE(text.find("day.dtf"), std::string::npos) << text;
  const std::string reason = ToCp1251(QString::fromUtf8(std::strerror(EFBIG)));
  EXPECT_NE(text.find(reason), std::string::npos) << text;
  EXPECT_EQ(text.find("day.dtf."), std::string::npos) << text;
}

TEST_F(DataTab, PrintingWithoutMarkedRecordsSaysWhy) {
  Download();
  Form->Action("PrintSimpleFlawsAction")->trigger();
  ASSERT_EQ(F.Feedback.Messages.size(), 1u);
  EXPECT_EQ(F.Feedback.Messages[0].Caption, F.Strings.Error(26));
  EXPECT_EQ(F.Feedback.Messages[0].Text, F.Strings.Error(27));
  EXPECT_EQ(F.Feedback.Messages[0].Icon, TMessageIcon::Warning);
}

TEST_F(DataTab, TheClipboardGetsThePictureOrTheAScan) {
  Download();
  Tab->CopyData();
  EXPECT_EQ(ToCp1251(QApplication::clipboard()->text()), Form->Flaws.CurrentRecord->AScanText());
  Tab->CopyImage();
  EXPECT_EQ(QApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32),
            RenderSignalView(*Form->Flaws.CurrentRecord, 1.22, 1, Form->ScreenScheme));
}

TEST_F(DataTab, UnpluggingTakesTheRecordsAndTheirMarksAway) {
  Download();
  Tab->DoubleClick(1, 1);
  ASSERT_EQ(Form->AppendixHeader->Count(), 1);
  F.Feedback.Answers = {true};
  Form->UnplugDevice();
  EXPECT_EQ(Form->Flaws.Count, 0);
  EXPECT_EQ(Tab->Selector().rowCount(), 1);
  EXPECT_EQ(Cell(Tab->Selector(), 0, 0), "");
  EXPECT_EQ(Form->AppendixHeader->Count(), 0);
  EXPECT_EQ(Text(Tab->Caption().text()),
            F.Utf8(F.Strings.Caption(14) + F.Strings.Caption(15) + F.Strings.Caption(16)));
  EXPECT_EQ(Tab->Conditions().Cell(1, 0), "");
  EXPECT_FALSE(Enabled("NextFlawAction"));
  EXPECT_EQ(Tab->Picture().pixel(100, 100), qRgb(0, 0, 0));
}

TEST(MemoTextLimiter, LongLinesBreakAndExtraLinesGoWithAWarning) {
  EXPECT_EQ(BreakLongLines(QString(5, 'a'), 4), QString("aaa\naa"));
  EXPECT_EQ(BreakLongLines(QString("ab\ncd"), 3), QString("ab\ncd"));
  EXPECT_EQ(BreakLongLines(QString(3, 'a'), 4), QString(3, 'a'));

  testing::TRecordingFeedback feedback;
  QPlainTextEdit memo;
  TMemoTextLimiter limiter(memo, 4, 0, 70, feedback);
  memo.setPlainText(QString(80, 'x'));
  EXPECT_EQ(memo.toPlainText(), QString(69, 'x') + "\n" + QString(11, 'x'));
  EXPECT_TRUE(feedback.Messages.empty());
  memo.setPlainText("1\n2\n3\n4\n5\n6");
  EXPECT_EQ(memo.toPlainText(), QString("1\n2\n3\n4"));
  ASSERT_EQ(feedback.Messages.size(), 1u);
  EXPECT_EQ(feedback.Messages[0].Icon, TMessageIcon::Warning);
}

}  // namespace
}  // namespace velt
