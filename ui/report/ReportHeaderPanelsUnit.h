// The two summary panels of the report tab (type 1 and type 2): the 36
// header controls, their captions, the inspector tabs and the report grid,
// plus TReportTabForm, through which a report header fills and reads them.
#pragma once

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTableWidget>
#include <QWidget>
#include <array>
#include <string>
#include <vector>

#include <reports/ReportForm.h>
#include <strings/LocalStringsUnit.h>

class QShowEvent;
class QVBoxLayout;

namespace velt {

// The input mask of header field 1..36: "09.09.9999;_" for the dates,
// "9;_" for the inspectors' levels, none for the others.
QString HeaderFieldInputMask(int field);

// Column count of the report grid of a report type (9 for type 1, 10 for
// type 2; 0 for any other number).
int ReportGridColumnCount(int type);

// The report grid's column widths for a client width: u = (w - 20) / 90
// with the weights 5, 7, 7, 9, 7, 17, 9, 9, 21 (type 1), u = (w - 20) / 100
// with 5, 7, 12, 7, 7, 7, 7, 21, 8, 19 (type 2); each u x weight rounded to
// nearest, ties to even, and never below 0. Empty for an unknown type.
std::vector<int> ReportGridColumnWidths(int type, int clientWidth);

// Widths widened where a column's title needs more (`needs`, column by
// column): what they take comes from the columns with the most room to
// spare beyond their own titles, so the grid keeps its total width. Where
// the grid is too narrow for every title, the widths are left as they are.
std::vector<int> WidenForTitles(std::vector<int> widths, const std::vector<int>& needs);

// What both panels share: building the controls from their type's names,
// the texts loaded from the string files and the report grid. The two
// classes below only name their controls.
class TReportHeaderPanel : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kInspectors = 4;
  static constexpr int kInspectorCaptions = 6;  // value strings 91..96
  static constexpr int kTabs = kInspectors + 1;

  // The header-panel captions, in the order of their value strings 71..85,
  // 97, 98 (the protocol caption exists on the type-1 panel only).
  enum TCaptionIndex {
    kProtocolCaption,
    kDateCaption,
    kOrganizationCaption,
    kOrganizationCaption2,
    kObjectCaption,
    kReasonCaption,
    kDescriptionCaption,
    kDocumentationCaption,
    kDeviceTypeCaption,
    kDeviceNumberCaption,
    kCertificateNumberCaption,
    kCertificateDateCaption,
    kProbeTypeCaption,
    kProbeNumberCaption,
    kCharacteristicsCaption,
    kAppendixesCaption,
    kConclusionCaption,
    kCaptionCount
  };

  int ReportType() const { return Type; }

  // The control of header field 1..36 (a QComboBox, QLineEdit or
  // QPlainTextEdit), or nullptr for any other number.
  QWidget* HeaderFieldControl(int field) const;
  QTableWidget* ReportGrid() const { return Grid; }
  QLineEdit* ReportGridEditor() const { return GridEditor; }
  QTabWidget* InspectorsPageControl() const { return Tabs; }
  // Inspector 0..3, caption 0..5 (value strings 91..96).
  QLabel* InspectorCaption(int inspector, int caption) const;

  // The captions, tab captions, hints and the grid's title row.
  void LoadTexts(const TLocalStrings& strings);

  // Sets the report grid's column widths from its current client width,
  // read again before each column, widened for the titles. Done once at
  // the panel's first showing.
  void ApplyReportGridColumnWidths();
  // What each column's title needs (the title row as loaded).
  std::vector<int> TitleWidths() const;

 protected:
  TReportHeaderPanel(int type, QWidget* parent);

  template <typename T>
  T* Field(int field) const {
    return qobject_cast<T*>(HeaderFieldControl(field));
  }
  QLabel* Caption(int index) const { return Captions[static_cast<std::size_t>(index)]; }
  QWidget* TabSheet(int index) const { return Tabs->widget(index); }

  void showEvent(QShowEvent* event) override;

 private:
  void BuildHeader(QVBoxLayout& panelLayout);
  QWidget* BuildInspectorTab(int inspector);
  QWidget* BuildConclusionTab();
  void BuildGrid();
  QLabel* MakeCaption(int index);

  int Type;
  bool ColumnWidthsSet = false;
  std::array<QWidget*, kReportHeaderFields + 1> Fields{};  // [0] unused
  std::array<QLabel*, kCaptionCount> Captions{};
  std::array<std::array<QLabel*, kInspectorCaptions>, kInspectors> InspectorCaptions{};
  QTabWidget* Tabs = nullptr;
  QTableWidget* Grid = nullptr;
  QLineEdit* GridEditor = nullptr;
};

class TSimpleReportMainReportPanel : public TReportHeaderPanel {
  Q_OBJECT

 public:
  explicit TSimpleReportMainReportPanel(QWidget* parent = nullptr);

  // Header fields 1..36, in report file order.
  QComboBox* ControllingOrganizationValueComboBox;
  QLineEdit* DataValMaskEdit;
  QComboBox* ProtocolNumValMaskEdit;
  QComboBox* CObjectValComboBox;
  QComboBox* CtrlReasonandDataValueComboBox;
  QComboBox* CtrObjectDescriptionValueComboBox;
  QComboBox* CtrlNTDDocumentationValueComboBox;
  QComboBox* DeviceTypeComboBox;
  QComboBox* DeviceTypeValMaskEdit;
  QLineEdit* DeviceSertifDateValMaskEdit;
  QComboBox* ProbeTypeValComboBox;
  QComboBox* ProbeSeNumValMaskEdit;
  QComboBox* SertifNumValMaskEdit;
  QLineEdit* Controller1Name;
  QLineEdit* Controller1LevelMaskEdit;
  QComboBox* Controller1PaperNumMaskEdit;
  QLineEdit* Controller1ExpirationMaskEdit;
  QLineEdit* Controller1PassOrganizationEdit;
  QLineEdit* Controller2Name;
  QLineEdit* Controller2LevelMaskEdit;
  QComboBox* Controller2PaperNumMaskEdit;
  QLineEdit* Controller2ExpirationMaskEdit;
  QLineEdit* Controller2PassOrganizationEdit;
  QLineEdit* Controller3Name;
  QLineEdit* Controller3LevelMaskEdit;
  QComboBox* Controller3PaperNumMaskEdit;
  QLineEdit* Controller3ExpirationMaskEdit;
  QLineEdit* Controller3PassOrganizationEdit;
  QLineEdit* Controller4Name;
  QLineEdit* Controller4LevelMaskEdit;
  QComboBox* Controller4PaperNumMaskEdit;
  QLineEdit* Controller4ExpirationMaskEdit;
  QLineEdit* Controller4PassOrganizationEdit;
  QComboBox* CtrlCharacteristicsValueComboBox;
  QLineEdit* CtrlResultsAppendixesValueEdit;
  QPlainTextEdit* ConclusionsValueMemo;

  QLabel* ProtocolVarCaptionLabel;
  QLabel* DataValCaptionLabel;
  QLabel* ControllingOrganizationCaptionLabel;
  QLabel* ControllingOrganizationCaptionLabel2;
  QLabel* CObjectValCaptionLabel;
  QLabel* CtrlReasonandDataCaptionLabel;
  QLabel* CtrObjectDescriptionCaptionLabel;
  QLabel* CtrlNTDDocumentationCaptionLabel;
  QLabel* DeviceTypeCaptionLabel;
  QLabel* DeviceNumberCaptionLabel;
  QLabel* SertifNumValCaptionLabel;
  QLabel* SertifDateValCaptionLabel;
  QLabel* ProbeTypeValCaptionLabel;
  QLabel* ProbeSeNumValCaptionLabel;
  QLabel* CtrlCharacteristicsCaptionLabel;
  QLabel* ControlREsultsAppendixesLabel;
  QLabel* ZakljuchenijeLabel;

  QWidget* ChiefControllerTabSheet;
  QWidget* Controller1TabSheet;
  QWidget* Controller2TabSheet;
  QWidget* Controller3TabSheet;
  QWidget* ConclusionTabSheet;

  QTableWidget* SimpleReportMainReportStringGrid;
  QLineEdit* SimpleReportEdit;
};

class TSimpleReport2MainReportPanel : public TReportHeaderPanel {
  Q_OBJECT

 public:
  explicit TSimpleReport2MainReportPanel(QWidget* parent = nullptr);

  // Header fields 1..36, in report file order.
  QComboBox* ControllingOrganization2ValueComboBox;
  QLineEdit* Data2ValMaskEdit;
  QLineEdit* ProtocolNum2ValMaskEdit;
  QComboBox* CObject2ValComboBox;
  QComboBox* CtrlReasonandData2ValueComboBox;
  QComboBox* CtrObjectDescription2ValueComboBox;
  QComboBox* CtrlNTDDocumentation2ValueComboBox;
  QComboBox* DeviceType2ComboBox;
  QComboBox* DeviceType2ValMaskEdit;
  QLineEdit* DeviceSertifDate2ValMaskEdit;
  QComboBox* ProbeType2ValComboBox;
  QComboBox* ProbeSeNum2ValMaskEdit;
  QComboBox* SertifNum2ValMaskEdit;
  QLineEdit* Controller2_1Name;
  QLineEdit* Controller2_1LevelMaskEdit;
  QComboBox* Controller2_1PaperNumMaskEdit;
  QLineEdit* Controller2_1ExpirationMaskEdit;
  QLineEdit* Controller2_1PassOrganizationEdit;
  QLineEdit* Controller2_2Name;
  QLineEdit* Controller2_2LevelMaskEdit;
  QComboBox* Controller2_2PaperNumMaskEdit;
  QLineEdit* Controller2_2ExpirationMaskEdit;
  QLineEdit* Controller2_2PassOrganizationEdit;
  QLineEdit* Controller2_3Name;
  QLineEdit* Controller2_3LevelMaskEdit;
  QComboBox* Controller2_3PaperNumMaskEdit;
  QLineEdit* Controller2_3ExpirationMaskEdit;
  QLineEdit* Controller2_3PassOrganizationEdit;
  QLineEdit* Controller2_4Name;
  QLineEdit* Controller2_4LevelMaskEdit;
  QComboBox* Controller2_4PaperNumMaskEdit;
  QLineEdit* Controller2_4ExpirationMaskEdit;
  QLineEdit* Controller2_4PassOrganizationEdit;
  QComboBox* CtrlCharacteristics2ValueComboBox;
  QLineEdit* CtrlResultsAppendixes2ValueEdit;
  QPlainTextEdit* Conclusions2ValueMemo;

  QLabel* Data2ValCaptionLabel;
  QLabel* ControllingOrganization2CaptionLabel;
  QLabel* ControllingOrganization2CaptionLabel2;
  QLabel* CObject2ValCaptionLabel;
  QLabel* CtrlReasonandData2CaptionLabel;
  QLabel* CtrObjectDescription2CaptionLabel;
  QLabel* CtrlNTDDocumentation2CaptionLabel;
  QLabel* DeviceType2CaptionLabel;
  QLabel* DeviceNumber2CaptionLabel;
  QLabel* SertifNum2ValCaptionLabel;
  QLabel* SertifDate2ValCaptionLabel;
  QLabel* ProbeType2ValCaptionLabel;
  QLabel* ProbeSeNum2ValCaptionLabel;
  QLabel* CtrlCharacteristics2CaptionLabel;
  QLabel* ControlREsultsAppendixes2Label;
  QLabel* Zakljuchenije2Label;

  QWidget* ChiefController2TabSheet;
  QWidget* Controller2_1TabSheet;
  QWidget* Controller2_2TabSheet;
  QWidget* Controller2_3TabSheet;
  QWidget* Conclusion2TabSheet;

  QTableWidget* SimpleReport2MainReportStringGrid;
  QLineEdit* SimpleReport2Edit;
};

// The report tab as a report header sees it: the panel of each type and
// its report grid, with model strings converted at this edge.
class TReportTabForm : public IReportForm {
 public:
  TReportTabForm(TSimpleReportMainReportPanel& panel1, TSimpleReport2MainReportPanel& panel2,
                 bool isMainWindow);

  bool IsMainWindow() const override { return MainWindow; }

  // Unknown types and fields read as "" and ignore what is set.
  std::string HeaderFieldText(int type, int field) const override;
  void SetHeaderFieldText(int type, int field, const std::string& text) override;

  // The row count never drops below 1 (the title row). Cells outside the
  // grid read as "" and are not set; a cell without an item reads as "".
  int ReportGridRowCount(int type) const override;
  void SetReportGridRowCount(int type, int rows) override;
  std::string ReportGridCell(int type, int column, int row) const override;
  void SetReportGridCell(int type, int column, int row, const std::string& text) override;
  // The texts of the panel's caption labels that the printed sheet repeats.
  std::string SheetCaptionText(int type, TSheetCaptionLabel label) const override;

 private:
  TReportHeaderPanel* Panel(int type) const;

  TSimpleReportMainReportPanel& Panel1;
  TSimpleReport2MainReportPanel& Panel2;
  bool MainWindow;
};

}  // namespace velt
