// The online tab on the real main window against the simulated instrument:
// showing it (the working configuration sent, the frame interval), a frame
// drawn with its readouts, an instrument gone in the middle of a frame, the
// held gain and cursor buttons, a strobe dragged off the picture, freeze.
// The repeat timer's ticks are run by hand and the pauses are recorded, so
// nothing here waits for real time.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QLabel>
#include <QMouseEvent>
#include <QTimer>
#include <QToolButton>

#include <config/BaseConfigObjectsUnit.h>
#include <signal/SignalViewInteractionUnit.h>
#include <ui/mainwindow/PageControlUnit.h>
#include <ui/online/OnlineReadoutsUnit.h>
#include <ui/online/OnlineTabUnit.h>
#include <ui/setup/ComplexAdjustSchemesUnit.h>
#include <ui/setup/SetupTabUnit.h>
#include <ui/widgets/Lcd99.h>

#include "ui/MainFormTestSupport.h"

namespace velt {
namespace {

using testing::TMainFormFixture;

// Service requests the simulator has seen with this command code; frame
// requests are command 5 for number 0xFFFF.
int Requests(testing::TSimulatedLink& sim, std::uint8_t code) {
  int n = 0;
  for (const auto& t : sim.Instrument().Log()) {
    if (t.Kind == conduit::TTransferKind::ServiceOut && t.Bytes.size() > 2 && t.Bytes[0] == code &&
        (code != 5 || (t.Bytes[1] == 0xFF && t.Bytes[2] == 0xFF))) {
      ++n;
    }
  }
  return n;
}
int Frames(testing::TSimulatedLink& sim) {
  return Requests(sim, 5);
}
int Writes(testing::TSimulatedLink& sim) {
  return Requests(sim, 1);
}

class OnlineTab : public ::testing::Test {
 protected:
  explicit OnlineTab(const char* profile = "1:4.0.3") : F(profile) {}
  void SetUp() override {
    Form = &F.Start();
    Tab = &Form->OnlinePage();
    Form->PageControl().setCurrentIndex(kSetupTab);
    Form->Action("ReceiveConfigsAction")->trigger();
    ASSERT_EQ(Form->SelectedConfiguration, 1);
  }
  void ShowTab(int tab) { Form->PageControl().setCurrentIndex(tab); }
  TBaseConfigCell& Drawing() const { return *Form->Configs.DrawingRecord->Configuration(); }
  QTimer& Timer(const char* name) const { return *Form->findChild<QTimer*>(name); }
  QAbstractButton& Button(const char* name) const {
    auto* button = Form->findChild<QAbstractButton*>(name);
    EXPECT_NE(button, nullptr) << name;
    return *button;
  }

  TMainFormFixture F;
  TVELTMainForm* Form = nullptr;
  TOnlineTab* Tab = nullptr;
};

TEST_F(OnlineTab, ShowingSendsTheWorkingConfigurationAndTimesFramesByItsRefreshRate) {
  struct TCase {
    std::uint8_t Rate;
    int Interval;
  };
  for (const TCase c : {TCase{25, 40}, TCase{3, 333}}) {
    ShowTab(kDataTab);  // the data tab sets no interval of its own
    Drawing().REFRESH_RATE = c.Rate;
    const int writes = Writes(F.Sim);
    ShowTab(kOnlineTab);
    EXPECT_EQ(Writes(F.Sim), writes + 1) << int(c.Rate);
    EXPECT_EQ(Timer("OnlineReceiveTimer").interval(), c.Interval) << int(c.Rate);
    EXPECT_TRUE(Timer("OnlineReceiveTimer").isActive());
  }
  const std::string caption = Tab->Caption().text().toUtf8().toStdString();
  EXPECT_EQ(caption, F.Utf8(F.Strings.Caption(31)) + "1" + std::string(14, ' ') +
                         F.Utf8(F.Strings.Caption(158)) + ":   " +
                         F.Utf8(Drawing().CONFIGURATION_NAME));
}

TEST_F(OnlineTab, ShownWithoutASelectionWarnsAndStopsTheFrames) {
  Form->SelectedConfiguration = 0;
  const int writes = Writes(F.Sim);
  ShowTab(kOnlineTab);
  ASSERT_EQ(F.Feedback.Messages.size(), 1u);
  EXPECT_EQ(F.Feedback.Messages[0].Caption, F.Strings.Error(21));
  EXPECT_EQ(F.Feedback.Messages[0].Text, F.Strings.Error(20));
  EXPECT_FALSE(Timer("OnlineReceiveTimer").isActive());
  EXPECT_EQ(Writes(F.Sim), writes);
}

TEST_F(OnlineTab, AFrameIsDrawnWithItsReadouts) {
  ShowTab(kOnlineTab);
  Drawing().ATTENUATOR1 = 40;
  const QImage before = Tab->Picture();
  Form->OnlineTick();
  EXPECT_NE(Tab->Picture(), before);
  EXPECT_EQ(Tab->Picture().size(), QSize(649, 480));
  EXPECT_EQ(Tab->Readouts().Readout(2).Value(), QString("50"));  // 90 - 40
}

TEST_F(OnlineTab, AnInstrumentGoneInTheMiddleOfAFrameIsUnpluggedOnceAndTheTimerStops) {
  ShowTab(kOnlineTab);
  conduit::TSimulatedInstrument& instrument = F.Sim.Instrument();
  auto mirror = instrument.OnTransfer;
  instrument.OnTransfer = [&instrument, mirror](const conduit::TTransferRecord& t) {
    if (mirror) {
      mirror(t);
    }
    // The frame was asked for; its blocks will not come.
    if (t.Kind == conduit::TTransferKind::ServiceOut && t.Bytes.size() > 2 && t.Bytes[0] == 5 &&
        t.Bytes[1] == 0xFF) {
      instrument.Unplug();
    }
  };
  F.Feedback.Answers = {true};
  Form->OnlineTick();
  EXPECT_EQ(F.Feedback.Questions.size(), 1u);  // the unplug's question
  EXPECT_FALSE(F.Connection->State.Connected);
  EXPECT_FALSE(Timer("OnlineReceiveTimer").isActive());
  EXPECT_EQ(Form->SelectedConfiguration, 0);
  EXPECT_EQ(Tab->Caption().text(), FromCp1251(F.Strings.Caption(11)));
  Form->OnlineTick();
  EXPECT_EQ(F.Feedback.Questions.size(), 1u);
}

TEST_F(OnlineTab, TheCursorButtonsStepTheCursorAndNeverBelowTheFirstColumnWhenRepeating) {
  ShowTab(kOnlineTab);
  struct TCase {
    std::uint16_t Start;
    const char* Button;
    int Ticks;
    std::uint16_t End;
  };
  const TCase cases[] = {
      {0, "OnLineVCursorLeftToolButton", 0, 0},     // at 0 it stays
      {2, "OnLineVCursorLeftToolButton", 0, 1},     // the press: one column
      {2, "OnLineVCursorLeftToolButton", 3, 1},     // the repeats stop at 1
      {5, "OnLineVCursorRightToolButton", 0, 6},    // right: one column
      {5, "OnLineVCursorRightToolButton", 10, 17},  // ticks 1..9 by 1, tick 10 by 2
  };
  for (const TCase& c : cases) {
    Drawing().SetCursorPixel(c.Start);
    QAbstractButton& button = Button(c.Button);
    const int writes = Writes(F.Sim);
    emit button.pressed();
    for (int t = 0; t < c.Ticks; ++t) {
      Form->AdjustRepeatTick();
    }
    EXPECT_EQ(Writes(F.Sim), writes) << "nothing is sent while held";
    emit button.released();
    EXPECT_EQ(Drawing().CursorPixel(), c.End) << c.Start << " " << c.Button << " " << c.Ticks;
    EXPECT_EQ(Writes(F.Sim), writes + 1) << "the release sends the cursor";
  }
}

TEST_F(OnlineTab, DraggingStrobe1OffThePictureWritesConfiguration0Once) {
  ShowTab(kOnlineTab);
  TBaseConfigCell& cell = Drawing();
  cell.CURSOR_1_ENABLED = 0;
  const int x =
      (StrobeBeginX(cell, kOnlinePictureView, 0) + StrobeEndX(cell, kOnlinePictureView, 0)) / 2;
  const int y = StrobeLevelY(cell, kOnlinePictureView, 0);
  ASSERT_GT(StrobeEndX(cell, kOnlinePictureView, 0) - StrobeBeginX(cell, kOnlinePictureView, 0), 8);
  QWidget& picture = Tab->PictureWidget();
  const auto send = [&picture](QEvent::Type type, int px, int py) {
    QMouseEvent event(type, QPointF(px, py), picture.mapToGlobal(QPointF(px, py)), Qt::LeftButton,
                      type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(&picture, &event);
  };
  const std::uint16_t begin = cell.StrobeBeginPixel(0);
  send(QEvent::MouseMove, x, y);
  ASSERT_EQ(Form->Configs.DrawingRecord->HoverObject, kStrobe1Body);
  const int writes = Writes(F.Sim);
  send(QEvent::MouseButtonPress, x, y);
  send(QEvent::MouseMove, x + 40, y);
  EXPECT_NEAR(cell.StrobeBeginPixel(0), begin + 20, 1);  // two pixels a column
  EXPECT_EQ(Writes(F.Sim), writes);
  send(QEvent::MouseMove, 700, y);  // off the picture: committed
  send(QEvent::MouseMove, 720, y);
  send(QEvent::MouseButtonRelease, 720, y);
  EXPECT_EQ(Writes(F.Sim), writes + 1);
  EXPECT_TRUE(Form->Configs.ChangedFlags[1]);
  EXPECT_EQ(Form->Configs.DrawingRecord->GrabbedObject, kNothingObject);
}

TEST_F(OnlineTab, FreezeStopsTheFramesUntilItIsLetGoAndLeavingTheTabLetsItGo) {
  ShowTab(kOnlineTab);
  QToolButton& freeze = Tab->FreezeButton();
  ASSERT_TRUE(freeze.isEnabled());
  EXPECT_EQ(freeze.toolTip(), "<B>Ctrl + (*) </B>" + FromCp1251(F.Strings.Value(125)));
  // Ctrl + the numeric pad's * toggles it.
  testing::SendKey(*Form, QEvent::KeyPress, Qt::Key_Asterisk,
                   Qt::ControlModifier | Qt::KeypadModifier);
  ASSERT_TRUE(freeze.isChecked());
  EXPECT_FALSE(Timer("OnlineReceiveTimer").isActive());
  EXPECT_EQ(Drawing().USED_MODE & kFrozenPictureBits, kFrozenPictureBits);
  EXPECT_TRUE(Drawing().Frozen);
  // Ctrl + * again: let go, and the bits are both cleared.
  testing::SendKey(*Form, QEvent::KeyPress, Qt::Key_Asterisk,
                   Qt::ControlModifier | Qt::KeypadModifier);
  ASSERT_FALSE(freeze.isChecked());
  EXPECT_EQ(Drawing().USED_MODE & kFrozenPictureBits, 0);
  EXPECT_FALSE(Drawing().Frozen);
  EXPECT_TRUE(Timer("OnlineReceiveTimer").isActive());
  freeze.click();
  // A mode button writes the configuration (and so restarts the timer):
  // still no frame while frozen.
  Button("FirstStrobeRxSpeedButton").click();
  EXPECT_EQ(Drawing().USED_MODE & kFrozenPictureBits, kFrozenPictureBits) << "still frozen";
  const int frames = Frames(F.Sim);
  Form->OnlineTick();
  EXPECT_EQ(Frames(F.Sim), frames);
  EXPECT_FALSE(Timer("OnlineReceiveTimer").isActive());

  // Leaving the tab lets go as a click would (the write that showing the
  // setup tab makes takes the mode word from its second copy, so only the
  // freeze flag tells here).
  ShowTab(kSetupTab);
  EXPECT_FALSE(freeze.isChecked());
  EXPECT_FALSE(Drawing().Frozen);
  EXPECT_TRUE(Timer("OnlineReceiveTimer").isActive());
  // A button that was up leaves the cell's freeze flag alone.
  Drawing().Frozen = true;
  ShowTab(kOnlineTab);
  ShowTab(kSetupTab);
  EXPECT_TRUE(Drawing().Frozen);
}

TEST_F(OnlineTab, HoldingCtrlRaisesTheToolBarAndTheModeButtons) {
  ShowTab(kOnlineTab);
  const char* const names[] = {"FreezeOnlineToolButton", "OnLineVCursorRightToolButton",
                               "FirstStrobeRxSpeedButton", "TGVStateRxSpeedButton"};
  for (const bool held : {true, false}) {
    testing::SendKey(*Form, held ? QEvent::KeyPress : QEvent::KeyRelease, Qt::Key_Control,
                     held ? Qt::ControlModifier : Qt::NoModifier);
    for (const char* name : names) {
      EXPECT_EQ(Form->findChild<QToolButton*>(name)->autoRaise(), !held) << name << held;
    }
  }
}

class OnlineTabOf41 : public OnlineTab {
 protected:
  OnlineTabOf41() : OnlineTab("1:4.1.3") {}
};

TEST_F(OnlineTabOf41, HoldingGainUpSendsCommand19AtThePressAfter700MsAndEvery333Ms) {
  ShowTab(kOnlineTab);
  Drawing().ATTENUATOR1 = 10;
  QAbstractButton& up = Button("OnLineGainUpToolButton");
  QTimer& repeat = Timer("ButtonPressTimer");
  const int gains = Requests(F.Sim, 19);
  emit up.pressed();
  EXPECT_EQ(Requests(F.Sim, 19), gains + 1);
  EXPECT_EQ(repeat.interval(), 700);
  EXPECT_EQ(Drawing().ATTENUATOR1, 11);
  // Tick k steps by 1 until the count reaches 5, by 2 until 10, then 3.
  struct TCase {
    int Tick;
    int Step;
  };
  for (const TCase c : {TCase{1, 1}, TCase{4, 1}, TCase{5, 2}, TCase{9, 2}, TCase{10, 3}}) {
    while (Form->PressTicks() < c.Tick) {
      Form->AdjustRepeatTick();
    }
    const int before = Drawing().ATTENUATOR1;
    const int sent = Requests(F.Sim, 19);
    Form->AdjustRepeatTick();
    EXPECT_EQ(Drawing().ATTENUATOR1 - before, c.Step) << c.Tick;
    EXPECT_EQ(Requests(F.Sim, 19), sent + 1) << c.Tick;
    EXPECT_EQ(repeat.interval(), 333) << c.Tick;
  }
  emit up.released();
  EXPECT_FALSE(repeat.isActive());
  EXPECT_TRUE(Form->Configs.ChangedFlags[1]);
}

}  // namespace
}  // namespace velt
