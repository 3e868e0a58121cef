// The setup tab: the instrument's stored setups in a selector grid; the
// selected one drawn, measured and edited, and at once sent to the
// instrument as its working configuration; renaming, copying, marking for
// upload, the mode buttons, downloading, uploading, loading and saving.
#pragma once

#include <QLabel>
#include <QObject>
#include <array>
#include <filesystem>
#include <functional>
#include <memory>

#include <signal/SignalViewInteractionUnit.h>
#include <ui/widgets/GridAdaptersUnit.h>

class QAction;
class QComboBox;
class QPlainTextEdit;
class QTableWidget;
class QToolButton;
class QWidget;

namespace velt {

class TVELTMainForm;
class TMemoTextLimiter;
class TValueCellDelegate;
class TWorkingConfigurationWriter;

// The six mode buttons, shared with the online tab.
enum class TModeButton : std::uint8_t {
  FirstStrobe,
  SecondStrobe,
  StrobeAlgorithm,
  SignalType,
  ScreenMode,
  TgvState
};

// What a mode button does to a configuration; true when the change asks
// for the third group (and the fourth online group) to be shown anew.
bool ChangeMode(TBaseConfigCell& cell, TModeButton button);

class TSetupTab : public QObject, private ISetupPictureHost {
 public:
  TSetupTab(TVELTMainForm& form, QWidget& page);
  ~TSetupTab() override;

  void LoadTexts();
  // The central operation: shows configuration c (1..99) and sends it to
  // the instrument as configuration 0.
  void ShowConfiguration(int c);
  void FillSelector();
  void Download();
  void Upload();
  void Load();
  // The configuration file at `path` loaded as the load action does after
  // its dialog; false, with the tab's message, when it cannot be read.
  bool LoadFile(const std::filesystem::path& path);
  void Save();
  void First();
  void Prev();
  void Next();
  void Last();
  void Copy();
  void Paste();
  void PressMode(TModeButton button);
  // A double click on a selector cell; row 0 is the header.
  void DoubleClick(int column, int row);
  // The group editors after an edit: 0 conditions, 1..4 the groups.
  void ApplyEditedGroup(int group);
  void ScaleChanged();
  void CopyImage();
  void CopyData();
  // The first cell of the collection in the picture and grids.
  void ShowDrawingRecord();
  // A live frame has come into the drawing record: the picture and the
  // result grid show it.
  void ShowLiveFrame();
  // The discarding of instrument data empties the tab.
  void Clear();
  void Shown();
  void Hidden() {}
  void RefreshNavigation();
  // The selected configuration's changed flag and "*" mark.
  void MarkSelectedChanged() { MarkChanged(); }

  int CurrentConfiguration() const;
  int CopySource() const { return Source; }
  QTableWidget& Selector() const { return *SelectorGrid; }
  QPlainTextEdit& Comments() const { return *CommentsMemo; }
  QLabel& Caption() const { return *CaptionPanel; }
  const QImage& Picture() const { return Surface->Picture(); }
  TTableGrid& Results() { return *ResultsGrid; }
  TTableGrid& Group(int index) { return *Groups[static_cast<std::size_t>(index)]; }
  QComboBox& ScaleBox() const { return *ScaleX; }
  std::array<int, 6> ModeIndicators() const;
  TSetupPictureMouse& Mouse() { return *PictureMouse; }
  // Sends the working configuration, now or after the running exchange;
  // the online tab shares it so that the last change wins across both.
  TWorkingConfigurationWriter& WorkingWriter() { return *Writer; }
  void WriteWorkingConfigurationSoon() { WriteConfigurationZero(); }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // The setup picture's mouse asks these.
  TDataCell* DrawingRecord() override;
  bool HasCurrentConfiguration() const override;
  void WriteWorkingConfiguration() override;
  void MarkChanged() override;
  void Redraw() override;
  void RefreshConditionsAndResults() override;
  void RefreshResultGrid() override;
  void SetCursorShape(TMouseCursorShape shape) override;

  TBaseConfigCell* DrawingConfiguration() const;
  bool WriteConfigurationZero();
  bool SendWorkingConfiguration();
  void StoreComments();
  void SelectRow(int row, bool toTop);
  void ShowIndicators();
  void FillGroups();
  void FillGroupAt(int group);
  void SetCaption(int c, int spaces);
  void SetRowMark(int row);
  void PrepareEditorsFor(const TBaseConfigCell& cell);
  std::string Filter() const;

  TVELTMainForm& Form;
  int Previous = 0;
  int Source = 0;
  bool Filling = false;

  QTableWidget* SelectorGrid = nullptr;
  TPictureLabel* PictureLabel = nullptr;
  QLabel* CaptionPanel = nullptr;
  QPlainTextEdit* CommentsMemo = nullptr;
  QComboBox* ScaleX = nullptr;
  QToolButton* ReceiveButton = nullptr;
  QToolButton* UploadButton = nullptr;
  std::array<QToolButton*, 6> ModeButtons{};
  std::array<QLabel*, 9> Headers{};
  std::unique_ptr<TLabelSurface> Surface;
  std::unique_ptr<TTableGrid> ResultsGrid;
  std::unique_ptr<TTableGrid> ConditionsGrid;
  std::array<std::unique_ptr<TTableGrid>, 4> Groups;
  std::unique_ptr<TComboScale> Scale;
  std::unique_ptr<TSetupPictureMouse> PictureMouse;
  TMemoTextLimiter* Limiter = nullptr;
  TWorkingConfigurationWriter* Writer = nullptr;
};

}  // namespace velt
