// The data tab: the flaw collection in a selector grid, the selected
// record's picture, results, conditions, parameter groups, mode indicators
// and comments; downloading the records, opening and saving record files,
// moving through the records, marking them for the report, and copying the
// picture or the A-scan.
#pragma once

#include <QObject>
#include <array>
#include <filesystem>
#include <memory>

#include <ui/widgets/GridAdaptersUnit.h>

class QAction;
class QComboBox;
class QLabel;
class QPlainTextEdit;
class QTableWidget;
class QToolButton;
class QWidget;

namespace velt {

class TVELTMainForm;
class TMemoTextLimiter;

class TDataTab : public QObject {
 public:
  TDataTab(TVELTMainForm& form, QWidget& page);
  ~TDataTab() override;

  void LoadTexts();
  // The central operation: shows the record of selector row `row` (from 1).
  void ShowRecord(int row);
  void FillSelector();
  // The tab's actions.
  void Download();
  void Open();
  // The record file at `path` opened as the open action does after its
  // dialog; false, with the tab's message, when it cannot be read.
  bool OpenFile(const std::filesystem::path& path);
  void Save();
  void First();
  void Prev();
  void Next();
  void Last();
  void PrintOrPreview(bool print);
  void CopyImage();
  void CopyData();
  // A double click on a selector row (from 1) or on the header (row 0).
  void DoubleClick(int column, int row);
  // The discarding of instrument data empties the tab.
  void Clear();
  // The page becomes the active one, or stops being it.
  void Shown();
  void Hidden();
  // The list and the current record shown again after the report tab
  // re-sorted the records or changed their comments; the comment field is
  // not stored first, since its text may be older than the record's.
  void Refresh();
  void RefreshNavigation();

  int CurrentRow() const;
  int PreviousRow() const { return Previous; }
  QTableWidget& Selector() const { return *SelectorGrid; }
  QPlainTextEdit& Comments() const { return *CommentsMemo; }
  QLabel& Caption() const { return *CaptionPanel; }
  const QImage& Picture() const { return Surface->Picture(); }
  TTableGrid& Results() { return *ResultsGrid; }
  TTableGrid& Conditions() { return *ConditionsGrid; }
  TTableGrid& Group(int index) { return *Groups[static_cast<std::size_t>(index)]; }
  QComboBox& ScaleBox() const { return *ScaleX; }
  // The image index each mode indicator shows.
  std::array<int, 6> ModeIndicators() const;

 protected:
  // Leaving the comment field stores its text into the record.
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void StoreComments();
  void SelectRow(int row, bool toTop);
  void ShowIndicators(const TBaseConfigCell* cell);
  void FillGroups(const TDataCell& record);
  void SetTransferActions(bool enabled);
  TDataCell* CurrentRecord() const;

  TVELTMainForm& Form;
  int Previous = 0;
  int LastSelected = 0;
  bool Filling = false;

  QTableWidget* SelectorGrid = nullptr;
  QLabel* PictureLabel = nullptr;
  QLabel* CaptionPanel = nullptr;
  QPlainTextEdit* CommentsMemo = nullptr;
  QComboBox* ScaleX = nullptr;
  QToolButton* ReceiveButton = nullptr;
  std::array<QToolButton*, 6> Indicators{};
  std::array<QLabel*, 9> Headers{};
  std::unique_ptr<TLabelSurface> Surface;
  std::unique_ptr<TTableGrid> ResultsGrid;
  std::unique_ptr<TTableGrid> ConditionsGrid;
  std::array<std::unique_ptr<TTableGrid>, 4> Groups;
  std::unique_ptr<TComboScale> Scale;
  TMemoTextLimiter* Limiter = nullptr;
};

}  // namespace velt
