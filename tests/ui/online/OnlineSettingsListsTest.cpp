// The online settings lists on the real main window against the simulated
// instrument: what an edit in a list's own editors does to the working
// configuration, to the instrument (the simulator's log) and to the marks.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTableWidget>
#include <array>

#include <ui/mainwindow/PageControlUnit.h>
#include <ui/online/OnlineSettingsListsUnit.h>
#include <ui/setup/SetupTabUnit.h>
#include <ui/setup/WorkingConfigurationWriterUnit.h>

#include "ui/MainFormTestSupport.h"

namespace velt {
namespace {

using testing::TMainFormFixture;

// Configuration writes (command 1) the simulator has seen.
std::size_t Writes(testing::TSimulatedLink& sim) {
  std::size_t count = 0;
  for (const auto& t : sim.Instrument().Log()) {
    count += t.Kind == conduit::TTransferKind::ServiceOut && !t.Bytes.empty() && t.Bytes[0] == 1;
  }
  return count;
}

void Press(QWidget& target, int key, Qt::KeyboardModifiers modifiers = {}) {
  QKeyEvent event(QEvent::KeyPress, key, modifiers);
  QApplication::sendEvent(&target, &event);
}

void Type(QWidget& target, const char* text) {
  for (const char* c = text; *c != '\0'; ++c) {
    QKeyEvent event(QEvent::KeyPress, 0, Qt::NoModifier, QString(QChar(*c)));
    QApplication::sendEvent(&target, &event);
  }
}

class OnlineSettingsLists : public ::testing::Test {
 protected:
  void SetUp() override {
    Form = &F.Start();
    Form->PageControl().setCurrentIndex(kSetupTab);
    Form->Action("ReceiveConfigsAction")->trigger();
    ASSERT_NE(Form->Configs.DrawingRecord->Configuration(), nullptr);
    TOnlineListsPorts ports{&F.Strings, &F.Feedback,
                            [this] { return F.Connection->State.Connected; },
                            [this] { return F.Progress.Visible(); }};
    Lists = new TOnlineSettingsLists(*Form, std::move(ports), Form);
    Lists->LoadTexts();
    Lists->Refill();
    Lists->show();
    // The window has the keyboard, so that focus moves as on the screen.
    Form->activateWindow();
    QApplication::setActiveWindow(Form);
    Settle();
  }
  void Settle() {
    testing::ProcessEventsUntil([this] { return !Form->SetupPage().WorkingWriter().Waiting(); });
  }
  TBaseConfigCell& Drawing() const { return *Form->Configs.DrawingRecord->Configuration(); }
  std::array<std::string, 30> Parameters() const {
    std::array<std::string, 30> texts;
    for (std::uint8_t p = 0; p < texts.size(); ++p) {
      texts[p] = Drawing().ParameterText(p);
    }
    return texts;
  }
  std::string Shown(int k, int row) const {
    const QTableWidgetItem* item = Lists->List(k).item(row, 1);
    return item == nullptr ? std::string() : ToCp1251(item->text());
  }
  bool Marked() const {
    const QTableWidgetItem* mark = Form->SetupPage().Selector().item(0, 2);
    return Form->Configs.ChangedFlags[1] && mark != nullptr && mark->text() == "*";
  }
  // Selecting a value cell opens the list's typed-text editor over it.
  QLineEdit& Open(int k, int row) {
    Lists->List(k).setFocus();
    Lists->List(k).setCurrentCell(row, 1);
    return Lists->MaskEdit(k);
  }

  TMainFormFixture F{"1:4.0.3"};
  TVELTMainForm* Form = nullptr;
  TOnlineSettingsLists* Lists = nullptr;
};

constexpr int kVelocityList = 3;
constexpr int kVelocityRow = 2;
constexpr int kLeave = 0;  // the focus goes to another list

// A value typed and left in each way, in this order (a configuration once
// marked stays marked). The strobe list writes its rows without showing
// them again, so only the list's own refill shows the refused begin gone.
TEST_F(OnlineSettingsLists, ATypedValueIsDroppedRefusedOrTakenAndSent) {
  struct TCase {
    const char* Name;
    int List;
    int Row;
    std::uint8_t Parameter;
    const char* Typed;
    int Key;
    bool Taken;
    bool Refused;
  };
  const TCase cases[] = {
      {"Escape drops it", kVelocityList, kVelocityRow, 18, "4500", Qt::Key_Escape, false, false},
      {"velocity below the range", kVelocityList, kVelocityRow, 18, "12", Qt::Key_Return, false,
       true},
      {"strobe begun past the picture", 0, 0, 0, "999", Qt::Key_Return, false, true},
      {"Enter takes it", kVelocityList, kVelocityRow, 18, "4500", Qt::Key_Return, true, false},
      {"Enter on the pad", kVelocityList, kVelocityRow, 18, "4700", Qt::Key_Enter, true, false},
      {"leaving it takes it", kVelocityList, kVelocityRow, 18, "4800", kLeave, true, false},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    const std::array<std::string, 30> before = Parameters();
    const std::size_t writes = Writes(F.Sim);
    const std::size_t messages = F.Feedback.Messages.size();
    const bool marked = Marked();
    QLineEdit& editor = Open(c.List, c.Row);
    ASSERT_TRUE(editor.isVisible());
    editor.clear();
    Type(editor, c.Typed);
    if (c.Key == kLeave) {
      Lists->List(0).setFocus();
    } else {
      Press(editor, c.Key);
    }
    Settle();
    EXPECT_FALSE(editor.isVisible());
    EXPECT_EQ(Lists->List(c.List).currentRow(), -1);  // selection cleared
    EXPECT_EQ(Shown(c.List, c.Row), Drawing().ParameterText(c.Parameter));
    if (c.Taken) {
      EXPECT_DOUBLE_EQ(std::stod(Drawing().ParameterText(c.Parameter)), std::stod(c.Typed));
      EXPECT_EQ(Writes(F.Sim), writes + 1);
      EXPECT_TRUE(Marked());
    } else {
      EXPECT_EQ(Parameters(), before);  // the configuration exactly as it was
      EXPECT_EQ(Writes(F.Sim), writes);
      EXPECT_EQ(Marked(), marked);
    }
    EXPECT_EQ(F.Feedback.Messages.size(), messages + (c.Refused ? 1 : 0));
    if (c.Refused && F.Feedback.Messages.size() > messages) {
      EXPECT_EQ(F.Feedback.Messages.back().Caption, F.Strings.Error(12));
      EXPECT_EQ(F.Feedback.Messages.back().Text, F.Strings.Error(14));
      EXPECT_EQ(F.Feedback.Messages.back().Icon, TMessageIcon::Error);
    }
  }
}

// A frequency chosen in the drop-down goes at once; the drop-down and the
// selection stay for the next choice.
TEST_F(OnlineSettingsLists, AChoiceInTheDropDownIsSentAtOnce) {
  constexpr int kProbeList = 1;
  constexpr int kFrequencyRow = 1;
  Lists->List(kProbeList).setFocus();
  Lists->List(kProbeList).setCurrentCell(kFrequencyRow, 1);
  QComboBox& box = Lists->ComboBox(kProbeList);
  ASSERT_TRUE(box.isVisible());
  ASSERT_GT(box.count(), 1);
  ASSERT_EQ(box.currentText(), QString::fromLatin1(Shown(kProbeList, kFrequencyRow).c_str()));
  const int other = box.currentIndex() == 0 ? 1 : 0;
  const std::size_t writes = Writes(F.Sim);
  box.setCurrentIndex(other);
  emit box.activated(other);
  Settle();
  EXPECT_EQ(Drawing().ParameterText(9), ToCp1251(box.itemText(other)));
  EXPECT_EQ(Writes(F.Sim), writes + 1);
  EXPECT_TRUE(Marked());
  EXPECT_TRUE(box.isVisible());
  EXPECT_EQ(Lists->List(kProbeList).currentRow(), kFrequencyRow);
}

// Keys with Ctrl belong to the window (they drive the instrument): the
// list neither moves nor commits on them; Enter alone commits.
TEST_F(OnlineSettingsLists, KeysWithCtrlDoNothingInAList) {
  QTableWidget& list = Lists->List(kVelocityList);
  Lists->ClearSelection();
  list.setFocus();
  list.item(kVelocityRow, 1)->setText(QStringLiteral("4600"));
  const std::size_t writes = Writes(F.Sim);
  for (const int key : {Qt::Key_End, Qt::Key_PageDown, Qt::Key_Return}) {
    SCOPED_TRACE(key);
    Press(list, key, Qt::ControlModifier);
    Settle();
    EXPECT_EQ(list.currentRow(), -1);
    EXPECT_NE(Drawing().VELOCITY, 4600);
    EXPECT_EQ(Writes(F.Sim), writes);
  }
  Press(list, Qt::Key_Return);
  Settle();
  EXPECT_EQ(Drawing().VELOCITY, 4600);
  EXPECT_EQ(Writes(F.Sim), writes + 1);
}

// What a list holds uncommitted goes when another list takes the focus.
TEST_F(OnlineSettingsLists, AListTakingTheFocusShowsTheOthersAnew) {
  Lists->List(0).setFocus();
  Lists->List(kVelocityList).item(kVelocityRow, 1)->setText(QStringLiteral("4600"));
  Lists->List(1).setFocus();
  EXPECT_EQ(Shown(kVelocityList, kVelocityRow), Drawing().ParameterText(18));
  EXPECT_NE(Drawing().VELOCITY, 4600);
}

}  // namespace
}  // namespace velt
