// The report tab's selector and record view at work: choosing a record,
// marking it for the report, sorting, moving through the records, the
// summary, and the change of the report type.
#include <QComboBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTableWidget>

#include <reports/ReportHeadersUnit.h>
#include <reports/ReportJobsUnit.h>
#include <ui/data/DataTabUnit.h>
#include <ui/mainwindow/VELTMainFormUnit.h>
#include <ui/report/ReportGridEditorUnit.h>
#include <ui/report/ReportHeaderPanelsUnit.h>
#include <ui/report/ReportTabUnit.h>
#include <ui/widgets/Cp1251.h>
#include <ui/widgets/TabSupportUnit.h>

namespace velt {
namespace {

// The record's picture as on paper: the print colours, e = 1.22, at (1, 1).
constexpr double kPictureScale = 1.22;
constexpr int kPicturePixels = 1;
constexpr int kPictureX = 1;
constexpr int kPictureY = 1;
// The selector's column of the report marks.
constexpr int kMarkColumn = 3;

// The grid columns of the row strings, which a removed record's neighbours
// keep as they move up.
constexpr int kType1StringColumns[] = {1, 2, 3, 4, 5, 6, 8};
constexpr int kType2StringColumns[] = {2, 3, 4, 5, 6, 7, 8, 9};

template <typename THeader, std::size_t N>
void ShowRowTexts(const THeader& header, int type, const int (&columns)[N], IReportForm& form) {
  const auto& rows = header.RowRecords();
  for (std::size_t i = 0; i < rows.size(); ++i) {
    for (std::size_t s = 0; s < N && s < rows[i].Strings.size(); ++s) {
      form.SetReportGridCell(type, columns[s], static_cast<int>(i) + 1, rows[i].Strings[s]);
    }
  }
}

}  // namespace

void TReportTab::MousePress(int column, int row) {
  ClickedColumn = column;
  ClickedRow = row;
  if (Main.RecordsAvailable && row >= 1 && row <= ListSize() && column <= 1) {
    SelectSelectorRow(row);
    SelectRow(row);
  }
}

void TReportTab::SelectRow(int row) {
  if (!Main.RecordsAvailable) {
    return;
  }
  if (row != LastSelected) {
    LastSelected = row;
    if (row >= 1) {
      ShowRecord(row);
    } else {
      StoreComments();
      Prior = Current;
      Current = 0;
    }
  }
  SwitchView();
  RefreshNavigation();
}

void TReportTab::ShowRecord(int k) {
  TFlawDataBlock& flaws = Main.Flaws;
  if ((flaws.Source != kSourceInstrument && flaws.Source != kSourceFile) || k < 1 ||
      k > ListSize()) {
    return;
  }
  StoreComments();
  Prior = Current;
  Current = k;
  TDataCell& record = *flaws.ReportSelection[static_cast<std::size_t>(k - 1)];
  flaws.CurrentReportRecord = &record;
  ShowMemoLines(*CommentsMemo, record.Comments);
  const TLocalStrings& s = Main.Strings;
  const TBaseConfigCell* cell = record.Configuration();
  QString caption =
      FromCp1251(s.Caption(14)) + QString::number(record.FlawNumber) + FromCp1251(s.Caption(15));
  if (cell != nullptr) {
    caption += FromCp1251(cell->CONFIGURATION_NAME) + FromCp1251(s.Caption(16)) +
               QString::number(cell->CONFIG_INDEX);
  } else {
    caption += FromCp1251(s.Caption(16));
  }
  CaptionPanel->setText(caption);
  ShowModeIndicators(Indicators, cell);
  record.ResetAveraging();
  FillResultsGrid(record, *ResultsGrid, true);
  FillConditionsGrid(record, *ConditionsGrid, *ResultsGrid);
  if (cell != nullptr) {
    cell->FillParameterList(*Scale, kScaleParameter);
  } else {
    ScaleX->clear();
  }
  FillGroup(record, TParameterGroup::First, *Groups[0]);
  FillGroup(record, TParameterGroup::Second, *Groups[1]);
  FillThirdGroup(record, *Groups[2], *Scale);
  FillGroup(record, TParameterGroup::Fourth, *Groups[3]);
  RefreshNavigation();
  DrawSignalView(record, *Surface, false, kPictureScale, kPictureY, kPictureX, kPicturePixels,
                 Main.PrintScheme);
}

void TReportTab::Go(int k) {
  SelectSelectorRow(k);
  LastSelected = k;
  ShowRecord(k);
  SwitchView();
}

void TReportTab::First() {
  if (Current >= 2) {
    Go(1);
  }
}

void TReportTab::Previous() {
  if (Current >= 2) {
    Go(Current - 1);
  }
}

void TReportTab::Next() {
  if (Current >= 1 && Current < ListSize()) {
    Go(Current + 1);
  }
}

void TReportTab::Last() {
  if (Current >= 1 && Current < ListSize()) {
    Go(ListSize());
  }
}

void TReportTab::Summary() {
  StoreComments();
  Prior = Current;
  Current = 0;
  RefreshNavigation();
  SwitchView();
  SelectSelectorRow(0);
  LastSelected = 0;
}

void TReportTab::DoubleClick(int column, int row) {
  TFlawDataBlock& flaws = Main.Flaws;
  TBaseReportHeader* header = Main.ReportHeader.get();
  if (row >= 1 && row <= ListSize()) {
    if (header == nullptr) {
      return;
    }
    TDataCell& record = *flaws.ReportSelection[static_cast<std::size_t>(row - 1)];
    QTableWidgetItem* mark = SelectorGrid->item(row - 1, kMarkColumn);
    for (auto& editor : Editors) {
      if (editor->EditorVisible()) {
        editor->StoreEdit();
      }
    }
    if (record.ReportMark != 0) {
      record.ReportMark = 0;
      if (mark != nullptr) {
        mark->setText(QString());
      }
      // The texts typed for the other records move up with them: read
      // into the rows first, written back once the gap is closed.
      header->ReadRows(*Bridge_);
      header->RemoveFlaw(*Bridge_, record, true);
      if (const auto* one = dynamic_cast<const TSimpleReportHeader*>(header)) {
        ShowRowTexts(*one, kReportType1, kType1StringColumns, *Bridge_);
      } else if (const auto* two = dynamic_cast<const TSimpleReport2Header*>(header)) {
        ShowRowTexts(*two, kReportType2, kType2StringColumns, *Bridge_);
      }
    } else {
      record.ReportMark = 1;
      if (mark != nullptr) {
        mark->setText(QStringLiteral("*"));
      }
      header->FlawDeviceType = flaws.DeviceType;
      header->AddFlaw(*Bridge_, record, true);
    }
    return;
  }
  if (row != 0 || !Main.RecordsAvailable || (column != 0 && column != 2)) {
    return;
  }
  StoreComments();
  if (column == 0) {
    flaws.NaturalOrder();
  } else {
    flaws.SortByConfigIndex();
  }
  flaws.RebuildReportSelection();
  FillSelector();
  if (Current != 0) {
    // The record now at the shown place, as the data tab does.
    SelectSelectorRow(Current);
    LastSelected = Current;
    ShowRecord(Current);
  }
  Main.DataPage().Refresh();
}

void TReportTab::TypeChanged(int item) {
  const int type = item == 1 ? kReportType2 : kReportType1;
  // What was typed goes into the header of the type that was shown.
  ReadHeader();
  Main.SelectedReportType = type;
  std::unique_ptr<TBaseReportHeader>& header = Main.ReportHeader;
  const bool sameClass =
      header &&
      (type == kReportType2) == (dynamic_cast<TSimpleReport2Header*>(header.get()) != nullptr);
  if (!sameClass) {
    header = Main.NewReportHeader();
    // The new header starts with the texts of its type's panel, and its
    // grid shows no row texts of the header that went (an empty header's
    // rows leave one empty row).
    header->ShowRows(*Bridge_);
    header->ReadHeader(*Bridge_);
    TFlawDataBlock& flaws = Main.Flaws;
    if (flaws.Count > 0) {
      header->FlawDeviceType = flaws.DeviceType;
      for (std::uint16_t r = 0; r < flaws.Count; ++r) {
        TDataCell& record = *flaws.Records[flaws.DisplayOrder[r]];
        if (record.ReportMark != 0) {
          header->AddFlaw(*Bridge_, record, true);
        }
      }
    }
  }
  // The printed sheet of the chosen type takes its captions from its
  // panel; without this, a type chosen after the start would print its
  // protocol without them.
  SetSheetCaptions(*header, type, *Bridge_);
  SwitchView();
}

}  // namespace velt
