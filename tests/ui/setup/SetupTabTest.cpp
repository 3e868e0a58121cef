// The setup tab on the real main window against the simulated instrument:
// the download, showing a configuration (and sending it as the working
// one), the mode buttons' rules, marks for upload and the upload, names,
// copy and paste, edited groups, loading and saving.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTableWidget>
#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>
#include <fstream>
#include <optional>

#include <config/ConfigObject3_26ver_Unit.h>
#include <config/ConfigObject5_01ver_Unit.h>
#include <records/RecordFilesUnit.h>
#include <ui/widgets/Cp1251.h>
#include <ui/widgets/FileDialogsUnit.h>
#include <ui/mainwindow/PageControlUnit.h>
#include <ui/setup/ComplexAdjustSchemesUnit.h>
#include <ui/setup/SetupTabUnit.h>
#include <ui/mainwindow/GuiTimeSourceUnit.h>
#include <ui/widgets/TabSupportUnit.h>
#include <ui/setup/WorkingConfigurationWriterUnit.h>

#include "ui/MainFormTestSupport.h"

namespace velt {
namespace {

using testing::TAnsweringDialogs;
using testing::TMainFormFixture;

std::string Cell(const QTableWidget& table, int row, int column) {
  const QTableWidgetItem* item = table.item(row, column);
  return item == nullptr ? std::string() : item->text().toUtf8().toStdString();
}

// Configuration writes (command 1) the simulator has seen, by number.
std::vector<int> Writes(testing::TSimulatedLink& sim) {
  std::vector<int> numbers;
  for (const auto& t : sim.Instrument().Log()) {
    if (t.Kind == conduit::TTransferKind::ServiceOut && !t.Bytes.empty() && t.Bytes[0] == 1) {
      numbers.push_back(t.Bytes.size() > 2 ? t.Bytes[1] * 256 + t.Bytes[2] : -1);
    }
  }
  return numbers;
}

class SetupTab : public ::testing::Test {
 protected:
  explicit SetupTab(const char* profile = "1:4.0.3") : F(profile) {}
  void SetUp() override {
    Form = &F.Start();
    auto dialogs = std::make_unique<TAnsweringDialogs>();
    Dialogs = dialogs.get();
    Form->SetFileDialogs(std::move(dialogs));
    Tab = &Form->SetupPage();
  }
  void Download() {
    Form->PageControl().setCurrentIndex(kSetupTab);
    Form->Action("ReceiveConfigsAction")->trigger();
  }
  bool Enabled(const char* action) const { return Form->Action(action)->isEnabled(); }
  TBaseConfigCell& Drawing() const { return *Form->Configs.DrawingRecord->Configuration(); }

  TMainFormFixture F;
  TVELTMainForm* Form = nullptr;
  TSetupTab* Tab = nullptr;
  TAnsweringDialogs* Dialogs = nullptr;
};

TEST_F(SetupTab, ADownloadListsConfigurations1To99AndSendsTheFirstAsTheWorkingOne) {
  Download();
  ASSERT_TRUE(F.Feedback.Messages.empty());
  const TUSBConfigsBlock& configs = Form->Configs;
  EXPECT_EQ(configs.Source, kSourceInstrument);
  EXPECT_EQ(configs.FileName, F.Connection->State.StateText);
  QTableWidget& selector = Tab->Selector();
  ASSERT_EQ(selector.rowCount(), 99);
  for (int r = 1; r <= 99; ++r) {
    EXPECT_EQ(Cell(selector, r - 1, 0), std::to_string(r));
    EXPECT_EQ(Cell(selector, r - 1, 1), F.Utf8(configs.Configurations[r]->CONFIGURATION_NAME));
    EXPECT_EQ(Cell(selector, r - 1, 2), "");
  }
  EXPECT_EQ(Tab->CurrentConfiguration(), 1);
  EXPECT_EQ(&Drawing(), configs.Configurations[1].get());
  EXPECT_EQ(selector.currentRow(), 0);
  // Shown: caption, results, groups; and written as configuration 0.
  const std::string caption = Tab->Caption().text().toUtf8().toStdString();
  EXPECT_EQ(caption.rfind(F.Utf8(F.Strings.Caption(31)) + "1" + std::string(14, ' ') +
                              F.Utf8(F.Strings.Caption(158)) + ":   ",
                          0),
            0u)
      << caption;
  EXPECT_EQ(Tab->Group(2).Cell(1, 0), Drawing().ParameterText(18));
  EXPECT_FALSE(Tab->Results().Cell(1, 2).empty());
  EXPECT_EQ(Writes(F.Sim), (std::vector<int>{0}));
  EXPECT_TRUE(Enabled("SetConfigsAction"));
  const QTimer* timer = Form->findChild<QTimer*>("OnlineReceiveTimer");
  ASSERT_NE(timer, nullptr);
  EXPECT_TRUE(timer->isActive());
  if (Drawing().REFRESH_RATE != 0) {
    EXPECT_EQ(timer->interval(), static_cast<int>(std::nearbyint(1000.0 / Drawing().REFRESH_RATE)));
  }
  // Navigation.
  EXPECT_FALSE(Enabled("FirstConfigAction"));
  EXPECT_TRUE(Enabled("NextConfigAction"));
  Form->Action("LastConfigAction")->trigger();
  EXPECT_EQ(Tab->CurrentConfiguration(), 99);
  EXPECT_FALSE(Enabled("NextConfigAction"));
  Form->Action("PrevConfigAction")->trigger();
  EXPECT_EQ(Tab->CurrentConfiguration(), 98);
  Form->Action("FirstConfigAction")->trigger();
  EXPECT_EQ(Tab->CurrentConfiguration(), 1);
  EXPECT_EQ(Writes(F.Sim).size(), 4u);
}

TEST_F(SetupTab, CommentsStayWithTheirConfiguration) {
  Download();
  Tab->Comments().setPlainText("probe checked");
  Form->Action("NextConfigAction")->trigger();
  EXPECT_TRUE(Tab->Comments().toPlainText().isEmpty());
  Form->Action("FirstConfigAction")->trigger();
  EXPECT_EQ(Tab->Comments().toPlainText(), QString("probe checked"));
  ASSERT_EQ(Form->Configs.Configurations[1]->Comments.size(), 1u);
}

TEST_F(SetupTab, MarksGoOnAndOffRowByRowOrAllAtOnce) {
  Download();
  TUSBConfigsBlock& configs = Form->Configs;
  Tab->DoubleClick(2, 3);
  EXPECT_TRUE(configs.ChangedFlags[3]);
  EXPECT_EQ(Cell(Tab->Selector(), 2, 2), "*");
  Tab->DoubleClick(2, 3);
  EXPECT_FALSE(configs.ChangedFlags[3]);
  EXPECT_EQ(Cell(Tab->Selector(), 2, 2), "");
  // The " !" header: every configuration, then none.
  Tab->DoubleClick(2, 0);
  for (int n = 1; n < 100; ++n) {
    EXPECT_TRUE(configs.ChangedFlags[n]) << n;
  }
  EXPECT_EQ(Cell(Tab->Selector(), 98, 2), "*");
  Tab->DoubleClick(2, 0);
  for (int n = 1; n < 100; ++n) {
    EXPECT_FALSE(configs.ChangedFlags[n]) << n;
  }
}

TEST_F(SetupTab, AnUploadAsksWithTheCountAndSendsTheMarkedConfigurations) {
  Download();
  TUSBConfigsBlock& configs = Form->Configs;
  // Nothing marked: no question.
  Form->Action("SetConfigsAction")->trigger();
  EXPECT_TRUE(F.Feedback.Questions.empty());

  Tab->DoubleClick(2, 4);
  Tab->DoubleClick(2, 7);
  const std::size_t before = Writes(F.Sim).size();
  F.Feedback.Answers = {false};
  Form->Action("SetConfigsAction")->trigger();
  ASSERT_EQ(F.Feedback.Questions.size(), 1u);
  EXPECT_EQ(F.Feedback.Questions[0].Text, F.Strings.Error(18) + "2" + F.Strings.Error(19));
  // Titled by the action that asks, not as an error.
  EXPECT_EQ(F.Feedback.Questions[0].Caption, F.Strings.Value(114));
  EXPECT_EQ(Writes(F.Sim).size(), before);
  EXPECT_TRUE(configs.ChangedFlags[4]);

  F.Feedback.Answers = {true};
  Form->Action("SetConfigsAction")->trigger();
  std::vector<int> sent = Writes(F.Sim);
  sent.erase(sent.begin(), sent.begin() + static_cast<std::ptrdiff_t>(before));
  EXPECT_EQ(sent, (std::vector<int>{4, 7}));
  EXPECT_FALSE(configs.ChangedFlags[4]);
  EXPECT_EQ(Cell(Tab->Selector(), 3, 2), "");
}

TEST_F(SetupTab, ModeButtonsFollowTheirRules) {
  T5_01ConfigCell cell;
  cell.Initialise();
  cell.SetDefaults(1);
  cell.SCREEN_MODE = 1;
  cell.SIGNAL_TYPE = 0;
  cell.TVG_ENABLED = 0;
  cell.STROBE_ALGORYTHM = 0;
  // Four strobe rules on 5.01 in the full view, two otherwise.
  for (const int expected : {1, 2, 3, 0}) {
    ChangeMode(cell, TModeButton::StrobeAlgorithm);
    EXPECT_EQ(cell.STROBE_ALGORYTHM, expected);
  }
  T3_26ConfigCell old;
  old.Initialise();
  old.SetDefaults(1);
  old.STROBE_ALGORYTHM = 1;
  ChangeMode(old, TModeButton::StrobeAlgorithm);
  EXPECT_EQ(old.STROBE_ALGORYTHM, 0);

  // A band signal keeps the full view.
  cell.SIGNAL_TYPE = 2;
  cell.SCREEN_MODE = 1;
  ChangeMode(cell, TModeButton::ScreenMode);
  EXPECT_EQ(cell.SCREEN_MODE, 1);
  cell.SIGNAL_TYPE = 0;
  ChangeMode(cell, TModeButton::ScreenMode);
  EXPECT_EQ(cell.SCREEN_MODE, 3);
  ChangeMode(cell, TModeButton::ScreenMode);
  EXPECT_EQ(cell.SCREEN_MODE, 1);

  // Signal types: 2 becomes 3 in the split view; radio frequency is not
  // taken with DGS; two-strobe rules take neither.
  cell.SCREEN_MODE = 3;
  cell.SIGNAL_TYPE = 1;
  ChangeMode(cell, TModeButton::SignalType);
  EXPECT_EQ(cell.SIGNAL_TYPE, 3);
  cell.SCREEN_MODE = 1;
  cell.TVG_ENABLED = 2;
  cell.SIGNAL_TYPE = 2;
  ChangeMode(cell, TModeButton::SignalType);
  EXPECT_EQ(cell.SIGNAL_TYPE, 0);
  cell.TVG_ENABLED = 0;
  cell.STROBE_ALGORYTHM = 2;
  cell.SIGNAL_TYPE = 1;
  ChangeMode(cell, TModeButton::SignalType);
  EXPECT_EQ(cell.SIGNAL_TYPE, 0);

  // TGV states: DGS sets the depth scale; not with radio frequency.
  cell.STROBE_ALGORYTHM = 0;
  cell.SIGNAL_TYPE = 0;
  cell.TVG_ENABLED = 1;
  cell.SCREEN_UNITS = 0;
  EXPECT_TRUE(ChangeMode(cell, TModeButton::TgvState));
  EXPECT_EQ(cell.TVG_ENABLED, 2);
  EXPECT_EQ(cell.SCREEN_UNITS, 2);
  EXPECT_FALSE(ChangeMode(cell, TModeButton::TgvState));
  EXPECT_EQ(cell.TVG_ENABLED, 0);
  cell.SIGNAL_TYPE = 3;
  cell.TVG_ENABLED = 1;
  ChangeMode(cell, TModeButton::TgvState);
  EXPECT_EQ(cell.TVG_ENABLED, 0);

  cell.CURSOR_1_ENABLED = 0;
  ChangeMode(cell, TModeButton::FirstStrobe);
  EXPECT_EQ(cell.CURSOR_1_ENABLED, 1);
  ChangeMode(cell, TModeButton::FirstStrobe);
  EXPECT_EQ(cell.CURSOR_1_ENABLED, 0);
}

TEST_F(SetupTab, APressedModeButtonChangesSendsAndMarks) {
  Download();
  const std::uint8_t before = Drawing().CURSOR_2_ENABLED;
  const std::size_t writes = Writes(F.Sim).size();
  Tab->PressMode(TModeButton::SecondStrobe);
  EXPECT_NE(Drawing().CURSOR_2_ENABLED, before);
  EXPECT_EQ(Writes(F.Sim).size(), writes + 1);
  EXPECT_TRUE(Form->Configs.ChangedFlags[1]);
  EXPECT_EQ(Tab->ModeIndicators()[5], Drawing().CURSOR_2_ENABLED + 2);
}

TEST_F(SetupTab, PastingCopiesTheSettingsButKeepsTheNumber) {
  Download();
  TUSBConfigsBlock& configs = Form->Configs;
  configs.Configurations[2]->CONFIGURATION_NAME = "SOURCE NAME  ";
  configs.Configurations[2]->VELOCITY = 4321;
  Form->Action("NextConfigAction")->trigger();  // 2
  Tab->Copy();
  Tab->Paste();  // onto itself: nothing
  EXPECT_FALSE(configs.ChangedFlags[2]);
  Form->Action("NextConfigAction")->trigger();  // 3
  Tab->Paste();
  EXPECT_EQ(configs.Configurations[3]->VELOCITY, 4321);
  EXPECT_EQ(configs.Configurations[3]->CONFIGURATION_NO, 3);
  EXPECT_EQ(Cell(Tab->Selector(), 2, 0), "3");
  EXPECT_EQ(Cell(Tab->Selector(), 2, 1), "SOURCE NAME  ");
  EXPECT_TRUE(configs.ChangedFlags[3]);
}

TEST_F(SetupTab, AnEditedGroupIsWrittenOrRefused) {
  Download();
  TTableGrid& third = Tab->Group(2);
  third.SetCell(1, 0, "4500");  // velocity
  const std::size_t writes = Writes(F.Sim).size();
  Tab->ApplyEditedGroup(3);
  EXPECT_TRUE(F.Feedback.Messages.empty());
  EXPECT_EQ(Drawing().VELOCITY, 4500);
  EXPECT_EQ(Writes(F.Sim).size(), writes + 1);
  EXPECT_TRUE(Form->Configs.ChangedFlags[1]);

  third.SetCell(1, 0, "12");  // below the range
  Tab->ApplyEditedGroup(3);
  ASSERT_EQ(F.Feedback.Messages.size(), 1u);
  EXPECT_EQ(F.Feedback.Messages[0].Caption, F.Strings.Error(12));
  EXPECT_EQ(F.Feedback.Messages[0].Text, F.Strings.Error(14));
  EXPECT_EQ(Drawing().VELOCITY, 4500);
  EXPECT_EQ(third.Cell(1, 0), Drawing().ParameterText(18));
}

TEST_F(SetupTab, ADownloadThatFailsLeavesAnEmptyTab) {
  F.Sim.Instrument().SetCommandHandler(3, [](conduit::TSimulatedInstrument& d,
                                             const std::uint8_t*) { d.Unplug(); });
  Download();
  ASSERT_FALSE(F.Feedback.Messages.empty());
  EXPECT_EQ(F.Utf8(F.Feedback.Messages.back().Caption), "Ошибка передачи");
  EXPECT_EQ(F.Utf8(F.Feedback.Messages.back().Text), "Сбой при приеме конфигураций");
  EXPECT_EQ(Form->Configs.Source, kSourceNone);
  EXPECT_EQ(Tab->CurrentConfiguration(), 0);
  EXPECT_FALSE(Enabled("NextConfigAction"));
}

TEST_F(SetupTab, ConfigurationFilesLoadAndSave) {
  Download();
  const std::filesystem::path path = F.Data / "setups.ctf";
  Form->Configs.Configurations[5]->CONFIGURATION_NAME = "FROM FILE    ";
  Dialogs->Answer = path;
  Form->Action("SaveConfigsAction")->trigger();
  ASSERT_TRUE(std::filesystem::exists(path));
  F.Feedback.Answers = {true};
  Form->UnplugDevice();
  EXPECT_EQ(Cell(Tab->Selector(), 0, 0), "");

  Form->Action("LoadConfigsAction")->trigger();
  EXPECT_EQ(Form->Configs.Source, kSourceFile);
  EXPECT_EQ(Cell(Tab->Selector(), 4, 1).rfind("FROM FILE", 0), 0u);
  EXPECT_EQ(Tab->CurrentConfiguration(), 1);
  EXPECT_TRUE(Enabled("SaveConfigsAction"));
  EXPECT_FALSE(Enabled("SetConfigsAction"));  // no instrument to take them

  Dialogs->Answer = F.Data / "absent.ctf";
  Form->Action("LoadConfigsAction")->trigger();
  EXPECT_EQ(F.Feedback.Messages.back().Text, F.Strings.Error(28));
}

}  // namespace
}  // namespace velt

namespace velt {
namespace {

TEST_F(SetupTab, TypingIntoAValueCellTakesDigitsOnlyAndEnterApplies) {
  Download();
  QTableWidget& third = Tab->Group(2).Widget();
  third.setFocus();
  third.setCurrentCell(0, 1);  // the velocity row opens its editor
  QLineEdit* editor = third.viewport()->findChild<QLineEdit*>();
  ASSERT_NE(editor, nullptr);
  editor->clear();
  for (const char c : std::string("a-4x600")) {
    QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(QChar(c)));
    QApplication::sendEvent(editor, &press);
  }
  EXPECT_EQ(editor->text(), QString("4600"));
  const std::size_t writes = Writes(F.Sim).size();
  QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
  QApplication::sendEvent(editor, &enter);
  QCoreApplication::processEvents();  // the view commits the editor queued
  EXPECT_EQ(Drawing().VELOCITY, 4600);
  // Sent once the view's handling of the key has returned.
  testing::ProcessEventsUntil([this] { return !Tab->WorkingWriter().Waiting(); });
  EXPECT_EQ(Writes(F.Sim).size(), writes + 1);
  EXPECT_TRUE(Form->Configs.ChangedFlags[1]);
}

// Under a Russian locale (decimal ",") a thickness typed with "." is the
// number typed, not ten times it; either mark is shown back as ",".
class SetupTabInRussian : public SetupTab {
 protected:
  void SetUp() override {
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    SetupTab::SetUp();
  }
  void TearDown() override { QLocale::setDefault(Before); }
  QLocale Before;
};

TEST_F(SetupTabInRussian, AThicknessTypedWithEitherMarkIsTheNumberTyped) {
  Download();
  QTableWidget& third = Tab->Group(2).Widget();
  struct TCase {
    const char* Typed;
    double Thickness;
  };
  for (const TCase& c : {TCase{"12.7", 12.7}, TCase{"3,5", 3.5}}) {
    SCOPED_TRACE(c.Typed);
    third.setFocus();
    third.setCurrentCell(1, 1);  // the thickness row opens its editor
    QLineEdit* editor = third.viewport()->findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr);
    editor->clear();
    for (const char* k = c.Typed; *k != '\0'; ++k) {
      QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(QChar(*k)));
      QApplication::sendEvent(editor, &press);
    }
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(editor, &enter);
    QCoreApplication::processEvents();  // the view commits the editor queued
    EXPECT_DOUBLE_EQ(Drawing().THICKNESS, c.Thickness);
    third.setCurrentCell(0, 0);
    testing::ProcessEventsUntil([this] { return !Tab->WorkingWriter().Waiting(); });
  }
  EXPECT_EQ(Cell(third, 1, 1), "   3,5");
}

TEST_F(SetupTab, DraggingTheCursorOnThePictureMovesItAndSendsOnRelease) {
  Download();
  TBaseConfigCell& cell = Drawing();
  cell.VCURSOR_ENABLED = 0;
  cell.SetCursorPixel(100);
  const int x = 1 + cell.CursorPixel();  // the cursor line on the setup picture
  QWidget* picture = Form->findChild<QWidget*>("SignalConfigDetailsImage");
  ASSERT_NE(picture, nullptr);
  const auto send = [picture](QEvent::Type type, int px, int py) {
    QMouseEvent event(type, QPointF(px, py), picture->mapToGlobal(QPointF(px, py)),
                      Qt::LeftButton, type == QEvent::MouseButtonRelease ? Qt::NoButton
                                                                         : Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(picture, &event);
  };
  send(QEvent::MouseMove, x, 100);  // hover finds the cursor line
  const std::size_t writes = Writes(F.Sim).size();
  send(QEvent::MouseButtonPress, x, 100);
  send(QEvent::MouseMove, x + 40, 100);
  EXPECT_EQ(Writes(F.Sim).size(), writes);  // not while dragging
  send(QEvent::MouseButtonRelease, x + 40, 100);
  EXPECT_EQ(cell.CursorPixel(), x + 40 - 1);
  EXPECT_EQ(Writes(F.Sim).size(), writes + 1);
  EXPECT_TRUE(Form->Configs.ChangedFlags[1]);
}

// A drag on the picture whose release does not come: another button is
// pressed (the context menu), the pointer leaves with no button held, or
// moves without it. The cursor goes back, nothing is sent or marked, and
// the next click sends nothing.
TEST_F(SetupTab, AnotherButtonOrALostReleaseUndoesADragOnThePicture) {
  Download();
  QWidget* picture = Form->findChild<QWidget*>("SignalConfigDetailsImage");
  ASSERT_NE(picture, nullptr);
  const auto send = [picture](QEvent::Type type, int px, int py, Qt::MouseButton button,
                              Qt::MouseButtons held) {
    QMouseEvent event(type, QPointF(px, py), picture->mapToGlobal(QPointF(px, py)), button, held,
                      Qt::NoModifier);
    QApplication::sendEvent(picture, &event);
  };
  enum class TEnd { RightPress, LeaveWithoutButton, MoveWithoutButton };
  for (const TEnd end : {TEnd::RightPress, TEnd::LeaveWithoutButton, TEnd::MoveWithoutButton}) {
    TBaseConfigCell& cell = Drawing();
    cell.VCURSOR_ENABLED = 0;
    cell.SetCursorPixel(100);
    const int x = 1 + cell.CursorPixel();
    send(QEvent::MouseMove, x, 100, Qt::NoButton, Qt::NoButton);
    const std::size_t writes = Writes(F.Sim).size();
    Form->Configs.ChangedFlags[1] = false;
    send(QEvent::MouseButtonPress, x, 100, Qt::LeftButton, Qt::LeftButton);
    send(QEvent::MouseMove, x + 40, 100, Qt::NoButton, Qt::LeftButton);
    ASSERT_EQ(cell.CursorPixel(), x + 40 - 1);
    switch (end) {
      case TEnd::RightPress:
        send(QEvent::MouseButtonPress, x + 40, 100, Qt::RightButton,
             Qt::LeftButton | Qt::RightButton);
        send(QEvent::MouseButtonRelease, x + 40, 100, Qt::RightButton, Qt::LeftButton);
        break;
      case TEnd::LeaveWithoutButton: {
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(picture, &leave);
        break;
      }
      case TEnd::MoveWithoutButton:
        send(QEvent::MouseMove, x + 50, 100, Qt::NoButton, Qt::NoButton);
        break;
    }
    const int what = static_cast<int>(end);
    EXPECT_EQ(cell.CursorPixel(), x - 1) << what;
    EXPECT_EQ(Form->Configs.DrawingRecord->GrabbedObject, kNoObject) << what;
    send(QEvent::MouseMove, x + 60, 100, Qt::NoButton, Qt::NoButton);
    send(QEvent::MouseButtonPress, x + 60, 100, Qt::LeftButton, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, x + 60, 100, Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(cell.CursorPixel(), x - 1) << what;
    EXPECT_EQ(Writes(F.Sim).size(), writes) << what;
    EXPECT_FALSE(Form->Configs.ChangedFlags[1]) << what;
  }
}

}  // namespace
}  // namespace velt

namespace velt {
namespace {

TEST_F(SetupTab, HoldingGainUpStepsTheAttenuatorAndTheReleaseMarksTheConfiguration) {
  Download();
  TBaseConfigCell& cell = Drawing();
  cell.ATTENUATOR1 = 40;
  QAbstractButton* up = Form->findChild<QAbstractButton*>("SetupGainUpToolButton");
  ASSERT_NE(up, nullptr);
  ASSERT_TRUE(up->isEnabled());
  // Firmware 4.0 takes the gain as a whole working configuration.
  const std::size_t sent = Writes(F.Sim).size();
  emit up->pressed();
  EXPECT_EQ(Form->PressedScheme(), kGainUpScheme);
  EXPECT_EQ(cell.ATTENUATOR1, 41);  // gain up: the attenuator value 90 - 41 is one lower
  EXPECT_EQ(Writes(F.Sim).size(), sent + 1);
  const QTimer* repeat = Form->findChild<QTimer*>("ButtonPressTimer");
  ASSERT_NE(repeat, nullptr);
  EXPECT_TRUE(repeat->isActive());
  EXPECT_EQ(repeat->interval(), 700);
  Form->AdjustRepeatTick();  // tick 1: one more, then three a second
  EXPECT_EQ(cell.ATTENUATOR1, 42);
  EXPECT_EQ(repeat->interval(), 333);
  for (int i = 0; i < 4; ++i) {
    Form->AdjustRepeatTick();  // ticks 2..5: the fifth steps by two
  }
  EXPECT_EQ(cell.ATTENUATOR1, 42 + 3 + 2);
  EXPECT_EQ(Writes(F.Sim).size(), sent + 6);
  EXPECT_FALSE(Form->Configs.ChangedFlags[1]);
  emit up->released();
  EXPECT_FALSE(repeat->isActive());
  EXPECT_EQ(Form->PressedScheme(), kNoScheme);
  EXPECT_TRUE(Form->Configs.ChangedFlags[1]);
  EXPECT_EQ(Cell(Tab->Selector(), 0, 2), "*");
}

TEST_F(SetupTab, RangeStepsKeepTheCursorsTimeAndCtrlArrowsPressTheButtons) {
  Download();
  TBaseConfigCell& cell = Drawing();
  const double cursor = cell.CursorTime();
  const std::uint8_t grid = cell.PIXEL_GRID_LENGTH;
  const std::uint8_t mark = cell.INDEX_MARK_MKS;
  // Firmware 4.0 takes the range as a whole working configuration.
  const std::size_t sent = Writes(F.Sim).size();
  Form->PageControl().setCurrentIndex(kSetupTab);
  Tab->Selector().setFocus();  // the list lets Ctrl keys be
  testing::SendKey(*Form, QEvent::KeyPress, Qt::Key_Right, Qt::ControlModifier);
  EXPECT_EQ(Writes(F.Sim).size(), sent + 1);
  EXPECT_TRUE(cell.PIXEL_GRID_LENGTH != grid || cell.INDEX_MARK_MKS != mark);
  EXPECT_NEAR(cell.CursorTime(), cursor, 0.5 * cell.TimePerDivision());
  EXPECT_EQ(Form->PressedScheme(), kNoScheme);  // pressed and released
  EXPECT_TRUE(Form->Configs.ChangedFlags[1]);

  const std::uint8_t before = cell.CURSOR_1_ENABLED;
  testing::SendKey(*Form, QEvent::KeyPress, Qt::Key_1, Qt::ControlModifier);
  EXPECT_NE(cell.CURSOR_1_ENABLED, before);
}

}  // namespace
}  // namespace velt

namespace velt {
namespace {

TEST_F(SetupTab, LiveFramesAreDrawnWithTheirResults) {
  Download();
  Form->PageControl().setCurrentIndex(kSetupTab);
  const QImage before = Tab->Picture();
  Form->OnlineTick();
  const TDataCell& drawing = *Form->Configs.DrawingRecord;
  ASSERT_FALSE(drawing.FirstMaximums.empty());
  int echo = 0;
  for (std::size_t k = 2; k + 2 < drawing.FirstMaximums.size(); ++k) {
    echo = std::max<int>(echo, drawing.FirstMaximums[k]);
  }
  ASSERT_GT(echo, 20) << "the simulated frame has an echo";
  EXPECT_NE(Tab->Picture(), before);
  EXPECT_EQ(Tab->Results().Cell(1, 0).empty(), false);
}

}  // namespace
}  // namespace velt

namespace velt {
namespace {

TEST(SelectorScrolling, ForwardPutsTheRow25DownBackBringsItToTheTop) {
  // A list of 99 rows with 25 on view, as the tabs' selectors.
  QTableWidget grid(99, 1);
  grid.verticalHeader()->setDefaultSectionSize(18);
  grid.horizontalHeader()->hide();
  grid.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  for (int r = 0; r < 99; ++r) {
    grid.setItem(r, 0, new QTableWidgetItem(QString::number(r + 1)));
  }
  grid.resize(200, 25 * 18 + 2 * grid.frameWidth());
  grid.show();
  QCoreApplication::processEvents();
  ScrollForward(grid, 20);
  EXPECT_EQ(FirstVisibleRow(grid), 1);
  ScrollForward(grid, 60);
  EXPECT_EQ(FirstVisibleRow(grid), 36);
  ScrollForward(grid, 99);
  EXPECT_EQ(FirstVisibleRow(grid), 75);
  ScrollBack(grid, 80);  // on view: stays
  EXPECT_EQ(FirstVisibleRow(grid), 75);
  ScrollBack(grid, 74);
  EXPECT_EQ(FirstVisibleRow(grid), 74);
}

TEST_F(SetupTab, AFileOfAnotherLayoutCannotBeUploaded) {
  TUSBConfigsBlock other;
  other.Build(100, 4, 0, 2, 1);  // local version 2; the instrument has 3
  const std::filesystem::path path = F.Data / "other.ctf";
  ASSERT_TRUE(SaveConfigurationFile(other, path).Ok);
  Dialogs->Answer = path;
  Form->PageControl().setCurrentIndex(kSetupTab);
  Form->Action("LoadConfigsAction")->trigger();
  ASSERT_EQ(Form->Configs.Source, kSourceFile);
  ASSERT_TRUE(F.Connection->State.Connected);
  EXPECT_FALSE(Enabled("SetConfigsAction"));
}

}  // namespace
}  // namespace velt

namespace velt {
namespace {

// A configuration file that cannot be read, a download that fails: the
// configurations shown before stay shown, selected and at work.
TEST_F(SetupTab, AFailedLoadOrDownloadLeavesTheShownConfigurationsAtWork) {
  const std::filesystem::path broken = F.Data / "broken.ctf";
  std::ofstream(broken) << "not a configuration file\n";
  const std::function<void()> failures[] = {
      [&] {
        Dialogs->Answer = broken;
        Form->Action("LoadConfigsAction")->trigger();
      },
      [&] {
        F.Sim.Instrument().SetCommandHandler(3, [](conduit::TSimulatedInstrument& d,
                                                   const std::uint8_t*) { d.Unplug(); });
        Form->Action("ReceiveConfigsAction")->trigger();
      }};
  Download();
  int shown = 1;
  for (const auto& fail : failures) {
    Form->Action("NextConfigAction")->trigger();
    Form->Action("NextConfigAction")->trigger();
    shown += 2;
    const QImage picture = Tab->Picture();
    F.Feedback.Messages.clear();
    fail();
    ASSERT_FALSE(F.Feedback.Messages.empty());  // said, and nothing else changed
    const TUSBConfigsBlock& configs = Form->Configs;
    EXPECT_EQ(configs.Source, kSourceInstrument);
    EXPECT_EQ(Tab->CurrentConfiguration(), shown);
    EXPECT_EQ(Tab->Selector().currentRow(), shown - 1);
    EXPECT_EQ(&Drawing(), configs.Configurations[shown].get());
    EXPECT_EQ(Tab->Picture(), picture);
    EXPECT_TRUE(Enabled("SaveConfigsAction"));
    Tab->Group(2).SetCell(1, 0, "4500");  // the group editors work on it
    Tab->ApplyEditedGroup(3);
    EXPECT_EQ(configs.Configurations[shown]->VELOCITY, 4500);
  }
}

class SetupTabOf501 : public SetupTab {
 protected:
  SetupTabOf501() : SetupTab("1:5.0.1") {}
};

// Strobe 1 begun at 999 mm: its end cannot follow, so the edit is refused
// whole; the configuration, its picture and the grid are as before, and
// nothing goes to the instrument.
TEST_F(SetupTabOf501, ARefusedStrobeBeginLeavesTheConfigurationAsItWas) {
  Download();
  auto* conditions = Form->findChild<QTableWidget*>("ResultConditionsConfigDetailsStringGrid");
  ASSERT_NE(conditions, nullptr);
  const std::string begin = Drawing().ParameterText(0);
  const std::string length = Drawing().ParameterText(1);
  const QImage picture = Tab->Picture();
  const std::size_t writes = Writes(F.Sim).size();
  conditions->item(0, 1)->setText(QStringLiteral("999"));
  Tab->ApplyEditedGroup(0);
  ASSERT_EQ(F.Feedback.Messages.size(), 1u);
  EXPECT_EQ(F.Feedback.Messages[0].Text, F.Strings.Error(14));
  EXPECT_EQ(Drawing().ParameterText(0), begin);
  EXPECT_EQ(Drawing().ParameterText(1), length);
  EXPECT_TRUE(Drawing().Validate());
  EXPECT_EQ(Cell(*conditions, 0, 1), F.Utf8(begin));
  EXPECT_EQ(Cell(*conditions, 1, 1), F.Utf8(length));
  EXPECT_EQ(Tab->Picture(), picture);
  EXPECT_EQ(Writes(F.Sim).size(), writes);
  EXPECT_FALSE(Form->Configs.ChangedFlags[1]);
}

}  // namespace
}  // namespace velt

namespace velt {
namespace {

// The pause after a configuration write as the window lives it: what the
// user does during the pause runs inside it.
class TLivePauses : public ITimeSource {
 public:
  void Sleep(unsigned milliseconds) override {
    if (milliseconds == 1000 && During) {
      const std::function<void()> during = std::move(During);
      During = nullptr;
      during();
    }
  }
  TLocalTime LocalTime() override { return {}; }
  std::function<void()> During;
};

class SetupTabWhilePausing : public SetupTab {
 protected:
  void SetUp() override {
    F.Connection =
        std::make_unique<TInstrumentConnection>(F.Link, F.Strings, F.Feedback, F.Progress, Pauses);
    SetupTab::SetUp();
  }
  TLivePauses Pauses;
};

// Clicks during the pause after a write: a mode button, two steps down the
// list, another mode button, a download. Each is shown at once; nothing is
// taken for a lost instrument; when the pause has ended, one write sends
// the configuration as it is then, and the download follows.
TEST_F(SetupTabWhilePausing, WhatTheUserDoesDuringThePauseIsSentWhenItEnds) {
  Download();
  TUSBConfigsBlock& configs = Form->Configs;
  const std::size_t before = Writes(F.Sim).size();
  const std::string third = configs.Configurations[3]->CONFIGURATION_NAME;
  const auto downloads = [this] {  // configuration reads (command 3)
    return std::count_if(F.Sim.Instrument().Log().begin(), F.Sim.Instrument().Log().end(),
                         [](const auto& t) {
                           return t.Kind == conduit::TTransferKind::ServiceOut &&
                                  !t.Bytes.empty() && t.Bytes[0] == 3;
                         });
  };
  std::ptrdiff_t read = 0;
  Pauses.During = [&] {
    read = downloads();
    Tab->PressMode(TModeButton::SecondStrobe);
    Form->Action("NextConfigAction")->trigger();
    Form->Action("NextConfigAction")->trigger();
    Tab->PressMode(TModeButton::FirstStrobe);
    Tab->Download();
    EXPECT_EQ(Tab->CurrentConfiguration(), 3);  // shown at once
    EXPECT_TRUE(configs.ChangedFlags[1] && configs.ChangedFlags[3]);
    EXPECT_EQ(Writes(F.Sim).size(), before + 1);  // only the one pausing
    EXPECT_EQ(downloads(), read);
    EXPECT_TRUE(Form->findChild<QTimer*>("OnlineReceiveTimer")->isActive());
  };
  Tab->PressMode(TModeButton::ScreenMode);
  ASSERT_EQ(Pauses.During, nullptr) << "the write paused";
  testing::ProcessEventsUntil([this] { return !Tab->WorkingWriter().Waiting(); });
  EXPECT_TRUE(F.Feedback.Messages.empty());
  EXPECT_GT(downloads(), read);  // the download ran after the pause
  // One write for all changed during the pause, of the configuration shown
  // last; then the download's own.
  ASSERT_EQ(Writes(F.Sim).size(), before + 3);
  std::vector<std::vector<std::uint8_t>> images;
  for (const auto& t : F.Sim.Instrument().Log()) {  // each write's image, in its chunks
    if (t.Kind == conduit::TTransferKind::ServiceOut && !t.Bytes.empty() && t.Bytes[0] == 1) {
      images.emplace_back();
    } else if (t.Kind == conduit::TTransferKind::BulkOut && !images.empty()) {
      images.back().insert(images.back().end(), t.Bytes.begin(), t.Bytes.end());
    }
  }
  const std::vector<std::uint8_t>& waited = images[images.size() - 2];
  EXPECT_NE(std::search(waited.begin(), waited.end(), third.begin(), third.end()), waited.end());
}

// The gain pressed during the pause: the step is shown at once and goes
// to the instrument with the configuration once the pause has ended.
TEST_F(SetupTabWhilePausing, AGainStepDuringThePauseIsSentWhenItEnds) {
  Download();
  TBaseConfigCell& cell = Drawing();
  cell.ATTENUATOR1 = 40;
  QAbstractButton* up = Form->findChild<QAbstractButton*>("SetupGainUpToolButton");
  ASSERT_NE(up, nullptr);
  const std::size_t before = Writes(F.Sim).size();
  Pauses.During = [&] {
    emit up->pressed();
    emit up->released();
    EXPECT_EQ(cell.ATTENUATOR1, 41);
    EXPECT_TRUE(Tab->WorkingWriter().Waiting());
  };
  Tab->PressMode(TModeButton::SecondStrobe);
  ASSERT_EQ(Pauses.During, nullptr);
  testing::ProcessEventsUntil([this] { return !Tab->WorkingWriter().Waiting(); });
  EXPECT_EQ(Writes(F.Sim).size(), before + 2);
  EXPECT_TRUE(F.Feedback.Messages.empty());
}

// Unplugging, a record download and closing the window asked for during
// the pause never run under the exchange that pauses: each waits for it.
TEST_F(SetupTabWhilePausing, UnplugDownloadAndCloseWaitForThePauseToEnd) {
  Download();
  F.Feedback.Answers = {true};  // the unplug question
  bool stillConnected = false;
  bool stillOpen = false;
  Pauses.During = [&] {
    Form->Action("ReceiveFlawsAction")->trigger();
    Form->Action("UnplugDeviceAction")->trigger();
    Form->close();
    stillConnected = F.Connection->State.Connected && F.Connection->State.Busy;
    stillOpen = Form->isVisible();
  };
  Tab->PressMode(TModeButton::SecondStrobe);
  ASSERT_EQ(Pauses.During, nullptr) << "the write paused";
  EXPECT_TRUE(stillConnected);
  EXPECT_TRUE(stillOpen);
  testing::ProcessEventsUntil([this] { return !Tab->WorkingWriter().Waiting(); });
  const auto& log = F.Sim.Instrument().Log();
  EXPECT_TRUE(std::any_of(log.begin(), log.end(), [](const auto& t) {  // record 1 asked for
    return t.Kind == conduit::TTransferKind::ServiceOut && t.Bytes.size() > 2 &&
           t.Bytes[0] == 5 && t.Bytes[1] == 0 && t.Bytes[2] == 1;
  }));
  EXPECT_FALSE(F.Connection->State.Connected);
  EXPECT_FALSE(Form->isVisible());
  for (const auto& message : F.Feedback.Messages) {
    ADD_FAILURE() << message.Caption << ": " << message.Text;
  }
}

// The views go on with their editor and selection after they report a
// commit or a new row: the write, and its pause, come after that.
TEST_F(SetupTabWhilePausing, EditsAndSelectionsOfTheViewsAreSentAfterTheViewsAreDone) {
  Download();
  QTableWidget& third = Tab->Group(2).Widget();
  third.setFocus();
  third.setCurrentCell(0, 1);
  QLineEdit* editor = third.viewport()->findChild<QLineEdit*>();
  ASSERT_NE(editor, nullptr);
  editor->setText(QStringLiteral("4600"));
  bool paused = false;
  bool editorOpen = true;
  Pauses.During = [&] {
    paused = true;
    const QLineEdit* open = third.viewport()->findChild<QLineEdit*>();
    editorOpen = open != nullptr && open->isVisible();
  };
  QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
  QApplication::sendEvent(editor, &enter);
  testing::ProcessEventsUntil([&] { return paused && !Tab->WorkingWriter().Waiting(); });
  EXPECT_TRUE(paused);
  EXPECT_FALSE(editorOpen);
  EXPECT_EQ(Drawing().VELOCITY, 4600);

  // A row chosen in the list: shown at once, sent once the list is done.
  const std::size_t writes = Writes(F.Sim).size();
  Tab->Selector().setCurrentCell(2, 1);
  EXPECT_EQ(Tab->CurrentConfiguration(), 3);
  EXPECT_EQ(Writes(F.Sim).size(), writes);
  testing::ProcessEventsUntil([this] { return !Tab->WorkingWriter().Waiting(); });
  EXPECT_EQ(Writes(F.Sim).size(), writes + 1);
}

// Timers run during a pause, and it lasts its time.
TEST(GuiTimeSource, APauseLetsTheWindowGoOnAndLastsAtLeastItsTime) {
  TGuiTimeSource time;
  bool ran = false;
  QTimer::singleShot(10, [&ran] { ran = true; });
  QElapsedTimer elapsed;
  elapsed.start();
  time.Sleep(60);
  EXPECT_GE(elapsed.elapsed(), 60);
  EXPECT_TRUE(ran);
}

}  // namespace
}  // namespace velt
