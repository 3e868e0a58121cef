// The main window's press-and-hold buttons: gain and range of the working
// configuration, stepped once at the press and then ever faster while the
// button is held, sent to the instrument step by step; the cursor buttons
// move the cursor and send it when released.
#include <config/BaseConfigObjectsUnit.h>
#include <ui/setup/ComplexAdjustSchemesUnit.h>
#include <ui/setup/SetupTabUnit.h>
#include <ui/mainwindow/VELTMainFormUnit.h>
#include <ui/online/OnlineTabUnit.h>

namespace velt {
namespace {

bool IsGain(int scheme) { return scheme == kGainDownScheme || scheme == kGainUpScheme; }
bool IsRange(int scheme) { return scheme == kRangeLongScheme || scheme == kRangeShortScheme; }
bool IsCursor(int scheme) {
  return scheme == kCursorRightScheme || scheme == kCursorLeftScheme;
}

}  // namespace

// One step of a scheme on the working configuration; false when there is
// no working configuration. A cursor step stops at `lowest`.
bool TVELTMainForm::ApplyAdjustStep(int scheme, int step, int lowest) {
  TBaseConfigCell* cell = Configs.DrawingRecord ? Configs.DrawingRecord->Configuration() : nullptr;
  if (cell == nullptr) {
    return false;
  }
  // A step made while another exchange runs (the pause after a write)
  // goes with the whole working configuration once the connection is free.
  const bool busy = Connection.State.Busy;
  if (IsGain(scheme)) {
    cell->StepAttenuator(step);
    busy ? SetupTab->WriteWorkingConfigurationSoon() : void(Connection.SendGain(*cell));
  } else if (IsRange(scheme)) {
    // The cursor keeps its place in time while the time scale changes.
    const double cursor = cell->CursorTime();
    cell->StepTimeScale(step);
    cell->UpdateMillimetreGrid();
    cell->UpdateDepthGrid();
    cell->SetCursorTime(cursor);
    busy ? SetupTab->WriteWorkingConfigurationSoon() : void(Connection.SendRange(*cell));
  } else if (IsCursor(scheme)) {
    const int x = cell->CursorPixel() + step;
    if (x >= lowest) {
      cell->SetCursorPixel(static_cast<std::uint16_t>(x));
    }
    // No frame comes to draw it while the picture is frozen.
    if (OnlineTab != nullptr && OnlineTab->Frozen()) {
      OnlineTab->Redraw();
    }
  }
  SetupTab->ShowDrawingRecord();
  return true;
}

void TVELTMainForm::PressAdjustButton(int scheme) {
  const bool working = Configs.DrawingRecord && Configs.DrawingRecord->Configuration() != nullptr;
  if (!working || (IsCursor(scheme) ? !Connection.State.Connected : SelectedConfiguration == 0)) {
    return;
  }
  Pressed = scheme;
  Ticks = 1;
  ButtonPressTimer.setInterval(static_cast<int>(AdjustScheme(scheme).FirstDelayMs));
  ButtonPressTimer.start();
  // The first step at once: one unit in the button's direction.
  ApplyAdjustStep(scheme, AdjustStep(scheme, 0), 0);
}

void TVELTMainForm::AdjustRepeatTick() {
  if (Pressed == kNoScheme) {
    Ticks = 0;
    ButtonPressTimer.stop();
    return;
  }
  ButtonPressTimer.setInterval(AdjustIntervalMs(Pressed, Ticks));
  ApplyAdjustStep(Pressed, AdjustStep(Pressed, Ticks), 1);
  if (Ticks < 0xFFFF) {
    ++Ticks;
  }
}

void TVELTMainForm::ReleaseAdjustButton(int scheme) {
  const bool wasPressed = Pressed != kNoScheme;
  ButtonPressTimer.stop();
  Pressed = kNoScheme;
  Ticks = 0;
  if (!wasPressed) {
    return;
  }
  if (IsGain(scheme)) {
    SetupTab->ShowDrawingRecord();
    if (ShowOnlineGroups) {
      ShowOnlineGroups();
    }
    SetupTab->MarkSelectedChanged();
  } else if (IsRange(scheme)) {
    SetupTab->MarkSelectedChanged();
  } else if (IsCursor(scheme)) {
    if (TBaseConfigCell* cell = Configs.DrawingRecord->Configuration()) {
      Connection.WriteConfiguration(*cell, 0);
    }
    if (ShowOnlineFrame) {
      ShowOnlineFrame(kOnlineTab);
    }
  }
}

}  // namespace velt
