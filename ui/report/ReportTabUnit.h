// The report tab: the report type, the flaw selector where records are
// marked for the protocol, the view of one record, the two header panels
// with their report grids, and the actions that move through the records,
// preview and print the protocol and save and open report files.
#pragma once

#include <QObject>
#include <array>
#include <filesystem>
#include <memory>
#include <string>

#include <ui/widgets/GridAdaptersUnit.h>

class QAction;
class QBoxLayout;
class QComboBox;
class QLabel;
class QPlainTextEdit;
class QTableWidget;
class QToolButton;
class QWidget;

namespace velt {

class TVELTMainForm;
class TMemoTextLimiter;
class TReportTabForm;
class TReportFieldRules;
class TReportGridEditor;
class TReportHeaderPanel;
class TSimpleReportMainReportPanel;
class TSimpleReport2MainReportPanel;

// Why a file cannot be a report file, or empty when it may be one: a file
// the program saved has its 36 fields on 36 lines at least and holds text
// only, so a shorter file was cut off and one with NUL bytes is another
// program's.
std::string ReportFileDamage(const std::filesystem::path& path);

// A chosen report file's name: ".rct" appended unless it ends in exactly
// ".rct" (the case counts).
std::filesystem::path WithReportSuffix(const std::filesystem::path& path);

class TReportTab : public QObject {
 public:
  TReportTab(TVELTMainForm& form, QWidget& page);
  ~TReportTab() override;

  void LoadTexts();
  // The report grids' column widths from their widths now.
  void ApplyReportGridColumnWidths();
  // The page becomes the active one, or stops being it (it is still the
  // active page when this is called).
  void Shown();
  void Hidden();
  // The discarding of the records: an empty selector, the summary shown.
  void Clear();

  // Steps of the selector: a press at (column, row), the selection of a
  // row (0 the title, k >= 1 entry k of the report list), a double click.
  void MousePress(int column, int row);
  void SelectRow(int row);
  void DoubleClick(int column, int row);
  void ShowRecord(int k);
  // The actions.
  void First();
  void Previous();
  void Next();
  void Last();
  void Summary();
  void PrintOrPreview(bool print);
  void SaveReport();
  void OpenReport();
  // The report file at `path` opened as the open action does after its
  // dialog; false, with the tab's message, when it is not a whole report.
  bool OpenReportFile(const std::filesystem::path& path);
  void OpenSavedReport();
  // The report type selector's item (0: type 1, 1: type 2) chosen.
  void TypeChanged(int item);
  // What the grid editors hold goes into their cells, and the comment
  // field into the shown record: before anything reads the report.
  void StoreEdits();
  // StoreEdits, then the selected panel and its grid into the header.
  void ReadHeader();

  TReportTabForm& Bridge() const { return *Bridge_; }
  TSimpleReportMainReportPanel& Panel1() const { return *Panel1_; }
  TSimpleReport2MainReportPanel& Panel2() const { return *Panel2_; }
  TReportHeaderPanel& SelectedPanel() const;
  QComboBox& TypeSelector() const { return *TypeSelector_; }
  QTableWidget& Selector() const { return *SelectorGrid; }
  QWidget& RecordView() const { return *MainPanel; }
  QLabel& Caption() const { return *CaptionPanel; }
  QPlainTextEdit& Comments() const { return *CommentsMemo; }
  QComboBox& ScaleBox() const { return *ScaleX; }
  const QImage& Picture() const { return Surface->Picture(); }
  TTableGrid& Results() { return *ResultsGrid; }
  TTableGrid& Group(int index) { return *Groups[static_cast<std::size_t>(index)]; }
  std::array<int, 6> ModeIndicators() const;
  int CurrentIndex() const { return Current; }
  int PreviousIndex() const { return Prior; }
  int ListSize() const;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildSelectorColumn(QWidget& page, QBoxLayout& body);
  void BuildRecordView(QWidget& page);
  void CreateActions(QWidget& page, QBoxLayout& layout);
  void FillSelector();
  void SwitchView();
  void RefreshNavigation();
  void Go(int k);
  void StoreComments();
  void SelectSelectorRow(int row);
  int SelectedType() const;
  std::filesystem::path ReportsFolder() const;

  TVELTMainForm& Main;
  int Current = 0;
  int Prior = 0;
  int LastSelected = 0;
  int ClickedColumn = -1;
  int ClickedRow = -1;
  bool Filling = false;

  TSimpleReportMainReportPanel* Panel1_ = nullptr;
  TSimpleReport2MainReportPanel* Panel2_ = nullptr;
  std::unique_ptr<TReportTabForm> Bridge_;
  std::array<std::unique_ptr<TReportGridEditor>, 2> Editors;
  std::array<std::unique_ptr<TReportFieldRules>, 2> Rules;
  QComboBox* TypeSelector_ = nullptr;
  QTableWidget* SelectorGrid = nullptr;
  QWidget* MainPanel = nullptr;
  QLabel* PageCaption = nullptr;
  QLabel* TypeCaption = nullptr;
  QLabel* SelectorCaption = nullptr;
  QLabel* CaptionPanel = nullptr;
  QLabel* PictureLabel = nullptr;
  QPlainTextEdit* CommentsMemo = nullptr;
  QComboBox* ScaleX = nullptr;
  std::array<QLabel*, 9> Headers{};
  std::array<QToolButton*, 6> Indicators{};
  std::unique_ptr<TLabelSurface> Surface;
  std::unique_ptr<TTableGrid> ResultsGrid;
  std::unique_ptr<TTableGrid> ConditionsGrid;
  std::array<std::unique_ptr<TTableGrid>, 4> Groups;
  std::unique_ptr<TComboScale> Scale;
  TMemoTextLimiter* Limiter = nullptr;
};

}  // namespace velt
