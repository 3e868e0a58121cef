// The online tab: the instrument's live signal with the readouts of a flaw
// detector, and the instrument's keys driven from the PC (freeze, gain,
// range and cursor buttons held to repeat, the six mode buttons, strobes,
// cursor and TGV points dragged on the picture, the five settings lists).
// Every change goes into the working cell (the drawing record's
// configuration) and reaches the instrument at once (gain, range) or as
// configuration 0 when it is committed.
#pragma once

#include <QObject>
#include <array>
#include <memory>

#include <signal/SignalViewInteractionUnit.h>
#include <ui/widgets/GridAdaptersUnit.h>

class QLabel;
class QToolButton;
class QWidget;

namespace velt {

class TVELTMainForm;
class TOnlineReadouts;
class TOnlineSettingsLists;

// The bits of USED MODE ??? that, both set, mark the picture frozen.
inline constexpr std::uint16_t kFrozenPictureBits = 0x0300;

class TOnlineTab : public QObject, private ISetupPictureHost {
 public:
  TOnlineTab(TVELTMainForm& form, QWidget& page);
  ~TOnlineTab() override;

  void LoadTexts();
  // The page becomes the active one (showing the working configuration
  // and sending it as configuration 0), or stops being it.
  void Shown();
  void Hidden();
  // The first cell of a freshly built collection: the online view shows
  // the drawing record as it now is (or nothing when it has no cell).
  void ShowDrawingRecord();
  // A live frame has come into the drawing record: the picture and the
  // readouts show it.
  void ShowLiveFrame();
  // The discarding of instrument data: no picture, dashes on the readouts,
  // the first caption, empty lists.
  void Clear();
  // The online picture drawn anew from the drawing record.
  void Redraw() override;
  void RefreshReadouts();
  void ShowModeIndicators();
  // All five settings lists refilled from the working cell.
  void RefillLists();

  // The freeze button's click: down stops the acquisition and marks the
  // working cell frozen; up undoes both and acquires again.
  void FreezeClicked(bool down);
  bool Frozen() const;
  void CopyImage();

  QLabel& Caption() const { return *CaptionLabel; }
  const QImage& Picture() const { return Surface->Picture(); }
  TPictureLabel& PictureWidget() const { return *PictureLabel; }
  TSetupPictureMouse& Mouse() { return *PictureMouse; }
  QToolButton& FreezeButton() const { return *Freeze; }
  TOnlineReadouts& Readouts() const { return *ReadoutStrip; }
  TOnlineSettingsLists& SettingsLists() const { return *Lists; }
  std::array<int, 6> ModeIndicators() const;

 private:
  // The online picture's mouse asks these.
  TDataCell* DrawingRecord() override;
  bool HasCurrentConfiguration() const override;
  void WriteWorkingConfiguration() override;
  void MarkChanged() override;
  void RefreshConditionsAndResults() override;
  void RefreshResultGrid() override;
  void SetCursorShape(TMouseCursorShape shape) override;

  TBaseConfigCell* WorkingCell() const;
  // Sends the working cell as configuration 0 at the tab's showing; what
  // the tab shows follows whether the instrument took it.
  bool SendAtShowing();
  void SetShowingCaption(int c);
  // The button goes up, and with it the working cell's frozen marks.
  void ReleaseFreeze();
  void KeepFrozenMarks();

  TVELTMainForm& Form;
  QLabel* CaptionLabel = nullptr;
  QToolButton* Freeze = nullptr;
  TPictureLabel* PictureLabel = nullptr;
  TOnlineReadouts* ReadoutStrip = nullptr;
  TOnlineSettingsLists* Lists = nullptr;
  std::array<QToolButton*, 6> ModeButtons{};
  std::unique_ptr<TLabelSurface> Surface;
  std::unique_ptr<TSetupPictureMouse> PictureMouse;
};

}  // namespace velt
