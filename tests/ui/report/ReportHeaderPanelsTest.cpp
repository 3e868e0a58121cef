// The two header panels of the report tab: their controls by name and kind,
// the texts of a new default report, the 36 header fields and the report
// grid as a report header sees them, the texts from the string files and
// the report grid's column widths.
#include <gtest/gtest.h>

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include <unistd.h>

#include <strings/LocalStringsUnit.h>
#include <ui/widgets/Cp1251.h>
#include <ui/report/ReportHeaderPanelsUnit.h>

#include "support/RecordingFeedback.h"
#include "ui/QtApplicationEnvironment.h"

namespace velt {
namespace {

namespace fs = std::filesystem;

enum class K { Line, Combo, Memo };

QString U(const char* utf8) {
  return QString::fromUtf8(utf8);
}

// The header fields in report file order with the control of each type that
// edits them, its kind and the text a new default report holds.
struct TFieldRow {
  int Field;
  const char* Name1;
  const char* Name2;
  K Kind1;
  K Kind2;
  QString Text1;
  QString Text2;
  QStringList Items1;  // preset lists of the combo boxes
  QStringList Items2;
};

std::vector<TFieldRow> FieldTable() {
  const QString date = "01.01.2007";
  const QString organization = U("Центр аттестации Велт");
  const QString name = U("Фамилия И.О.");
  const QStringList papers = {"10023200023", "10023120009"};
  const QString reason1 = U("Укажите дату и причину контроля");
  const QString reason2 = U("укажите дату и причину контроля");
  const QString object1 = U("Введите описание изделия");
  const QString object2 = U("подробное описание изделия");
  const QString ntd = U("ГОСТ 1243-43-78, ГОСТ 1435-43-78");
  const QStringList models = {"Velt UD-2", "Velt UD-3M"};
  const QStringList objects = {U("Труба"), U("Шов"), U("Стык"), U("Снова труба")};
  const QStringList probes = {U("раздельный"), U("совмещенный")};
  const QString characteristics = U("укажите характеристики контроля");
  const QString appendixes = U("Приложения к результатам контроля");
  const QString org1 = U("Введите название организации");
  const QString org2 = U("Название контролирующей организации");
  const QStringList none;
  return {
      {1,
       "ControllingOrganizationValueComboBox",
       "ControllingOrganization2ValueComboBox",
       K::Combo,
       K::Combo,
       org1,
       org2,
       {org1},
       {org2}},
      {2, "DataValMaskEdit", "Data2ValMaskEdit", K::Line, K::Line, date, date, none, none},
      {3,
       "ProtocolNumValMaskEdit",
       "ProtocolNum2ValMaskEdit",
       K::Combo,
       K::Line,
       "1237789",
       "1234567890123456",
       {"1237789", "1238923"},
       none},
      {4, "CObjectValComboBox", "CObject2ValComboBox", K::Combo, K::Combo, U("Труба"), U("Труба"),
       objects, objects},
      {5,
       "CtrlReasonandDataValueComboBox",
       "CtrlReasonandData2ValueComboBox",
       K::Combo,
       K::Combo,
       reason1,
       reason2,
       {reason1},
       {reason2}},
      {6,
       "CtrObjectDescriptionValueComboBox",
       "CtrObjectDescription2ValueComboBox",
       K::Combo,
       K::Combo,
       object1,
       object2,
       {object1},
       {object2}},
      {7,
       "CtrlNTDDocumentationValueComboBox",
       "CtrlNTDDocumentation2ValueComboBox",
       K::Combo,
       K::Combo,
       ntd,
       ntd,
       {ntd},
       {ntd}},
      {8, "DeviceTypeComboBox", "DeviceType2ComboBox", K::Combo, K::Combo, "Velt UD-2", "Velt UD-2",
       models, models},
      {9,
       "DeviceTypeValMaskEdit",
       "DeviceType2ValMaskEdit",
       K::Combo,
       K::Combo,
       "1000089123",
       "1000089123",
       {"1000089123", "1000023809"},
       {"1000089123", "1000023809"}},
      {10, "DeviceSertifDateValMaskEdit", "DeviceSertifDate2ValMaskEdit", K::Line, K::Line, date,
       date, none, none},
      {11, "ProbeTypeValComboBox", "ProbeType2ValComboBox", K::Combo, K::Combo, U("раздельный"),
       U("раздельный"), probes, probes},
      {12,
       "ProbeSeNumValMaskEdit",
       "ProbeSeNum2ValMaskEdit",
       K::Combo,
       K::Combo,
       "1237789123",
       "1237789123",
       {"1237789123", "1238923809"},
       {"1237789123", "1238923809"}},
      {13,
       "SertifNumValMaskEdit",
       "SertifNum2ValMaskEdit",
       K::Combo,
       K::Combo,
       "1000000023",
       "1000000023",
       {"1000000023", "1000000009"},
       {"1000000023", "1000000009"}},
      {14, "Controller1Name", "Controller2_1Name", K::Line, K::Line, name, name, none, none},
      {15, "Controller1LevelMaskEdit", "Controller2_1LevelMaskEdit", K::Line, K::Line, "1", "1",
       none, none},
      {16, "Controller1PaperNumMaskEdit", "Controller2_1PaperNumMaskEdit", K::Combo, K::Combo,
       "10023200023", "10023200023", papers, papers},
      {17, "Controller1ExpirationMaskEdit", "Controller2_1ExpirationMaskEdit", K::Line, K::Line,
       date, date, none, none},
      {18, "Controller1PassOrganizationEdit", "Controller2_1PassOrganizationEdit", K::Line, K::Line,
       organization + QString(21, '_'), organization, none, none},
      {19, "Controller2Name", "Controller2_2Name", K::Line, K::Line, name, name, none, none},
      {20, "Controller2LevelMaskEdit", "Controller2_2LevelMaskEdit", K::Line, K::Line, "1", "1",
       none, none},
      {21, "Controller2PaperNumMaskEdit", "Controller2_2PaperNumMaskEdit", K::Combo, K::Combo,
       "10023200023", "10023200023", papers, papers},
      {22, "Controller2ExpirationMaskEdit", "Controller2_2ExpirationMaskEdit", K::Line, K::Line,
       date, date, none, none},
      {23, "Controller2PassOrganizationEdit", "Controller2_2PassOrganizationEdit", K::Line, K::Line,
       organization, organization, none, none},
      {24, "Controller3Name", "Controller2_3Name", K::Line, K::Line, name, name, none, none},
      {25, "Controller3LevelMaskEdit", "Controller2_3LevelMaskEdit", K::Line, K::Line, "1", "1",
       none, none},
      {26, "Controller3PaperNumMaskEdit", "Controller2_3PaperNumMaskEdit", K::Combo, K::Combo,
       "10023200023", "10023200023", papers, papers},
      {27, "Controller3ExpirationMaskEdit", "Controller2_3ExpirationMaskEdit", K::Line, K::Line,
       date, date, none, none},
      {28, "Controller3PassOrganizationEdit", "Controller2_3PassOrganizationEdit", K::Line, K::Line,
       organization, organization, none, none},
      {29, "Controller4Name", "Controller2_4Name", K::Line, K::Line, name, name, none, none},
      {30, "Controller4LevelMaskEdit", "Controller2_4LevelMaskEdit", K::Line, K::Line, "1", "1",
       none, none},
      {31, "Controller4PaperNumMaskEdit", "Controller2_4PaperNumMaskEdit", K::Combo, K::Combo,
       "10023200023", "10023200023", papers, papers},
      {32, "Controller4ExpirationMaskEdit", "Controller2_4ExpirationMaskEdit", K::Line, K::Line,
       date, date, none, none},
      {33, "Controller4PassOrganizationEdit", "Controller2_4PassOrganizationEdit", K::Line, K::Line,
       organization, organization, none, none},
      {34,
       "CtrlCharacteristicsValueComboBox",
       "CtrlCharacteristics2ValueComboBox",
       K::Combo,
       K::Combo,
       characteristics,
       characteristics,
       {characteristics},
       {characteristics}},
      {35, "CtrlResultsAppendixesValueEdit", "CtrlResultsAppendixes2ValueEdit", K::Line, K::Line,
       appendixes + QString(25, '_'), appendixes, none, none},
      {36, "ConclusionsValueMemo", "Conclusions2ValueMemo", K::Memo, K::Memo,
       U("Укажите заключения по результатам контроля"), U("заключения по результатам контроля"),
       none, none},
  };
}

// The header-panel captions with their value strings; the type-2 names carry
// a "2" after their field word (the protocol caption is type 1 only).
struct TCaptionRow {
  int Value;
  const char* Name1;
  const char* Name2;
};
const TCaptionRow kCaptionRows[] = {
    {71, "ProtocolVarCaptionLabel", nullptr},
    {72, "DataValCaptionLabel", "Data2ValCaptionLabel"},
    {73, "ControllingOrganizationCaptionLabel", "ControllingOrganization2CaptionLabel"},
    {74, "ControllingOrganizationCaptionLabel2", "ControllingOrganization2CaptionLabel2"},
    {75, "CObjectValCaptionLabel", "CObject2ValCaptionLabel"},
    {76, "CtrlReasonandDataCaptionLabel", "CtrlReasonandData2CaptionLabel"},
    {77, "CtrObjectDescriptionCaptionLabel", "CtrObjectDescription2CaptionLabel"},
    {78, "CtrlNTDDocumentationCaptionLabel", "CtrlNTDDocumentation2CaptionLabel"},
    {79, "DeviceTypeCaptionLabel", "DeviceType2CaptionLabel"},
    {80, "DeviceNumberCaptionLabel", "DeviceNumber2CaptionLabel"},
    {81, "SertifNumValCaptionLabel", "SertifNum2ValCaptionLabel"},
    {82, "SertifDateValCaptionLabel", "SertifDate2ValCaptionLabel"},
    {83, "ProbeTypeValCaptionLabel", "ProbeType2ValCaptionLabel"},
    {84, "ProbeSeNumValCaptionLabel", "ProbeSeNum2ValCaptionLabel"},
    {85, "CtrlCharacteristicsCaptionLabel", "CtrlCharacteristics2CaptionLabel"},
    {97, "ControlREsultsAppendixesLabel", "ControlREsultsAppendixes2Label"},
    {98, "ZakljuchenijeLabel", "Zakljuchenije2Label"},
};

// Tabs in order: the head inspector, inspectors 2..4, the conclusion.
const char* const kTabNames1[] = {"ChiefControllerTabSheet", "Controller1TabSheet",
                                  "Controller2TabSheet", "Controller3TabSheet",
                                  "ConclusionTabSheet"};
const char* const kTabNames2[] = {"ChiefController2TabSheet", "Controller2_1TabSheet",
                                  "Controller2_2TabSheet", "Controller2_3TabSheet",
                                  "Conclusion2TabSheet"};
const char* const kInspectorPrefixes1[] = {"Controller1", "Controller2", "Controller3",
                                           "Controller4"};
const char* const kInspectorPrefixes2[] = {"Controller2_1", "Controller2_2", "Controller2_3",
                                           "Controller2_4"};
// Value strings 91..96 on every inspector tab.
const char* const kInspectorCaptionSuffixes[] = {
    "NameCaptionLabel",     "LevelCaptionLabel",      "LevelAfterCaptionLabel",
    "PaperNumCaptionLabel", "ExpirationCaptionLabel", "PassOrganizationCaptionLabel"};

QString ControlText(const QWidget* control) {
  if (const auto* combo = qobject_cast<const QComboBox*>(control)) {
    return combo->currentText();
  }
  if (const auto* edit = qobject_cast<const QLineEdit*>(control)) {
    return edit->text();
  }
  if (const auto* memo = qobject_cast<const QPlainTextEdit*>(control)) {
    return memo->toPlainText();
  }
  ADD_FAILURE() << "not a header control";
  return {};
}

bool IsKind(const QWidget* control, K kind) {
  switch (kind) {
    case K::Line:
      return qobject_cast<const QLineEdit*>(control) != nullptr;
    case K::Combo: {
      const auto* combo = qobject_cast<const QComboBox*>(control);
      return combo != nullptr && combo->isEditable();
    }
    case K::Memo:
      return qobject_cast<const QPlainTextEdit*>(control) != nullptr;
  }
  return false;
}

QStringList Items(const QComboBox* combo) {
  QStringList items;
  for (int i = 0; i < combo->count(); ++i) {
    items << combo->itemText(i);
  }
  return items;
}

class ReportHeaderPanelsTest : public ::testing::Test {
 protected:
  TReportHeaderPanel& Panel(int type) {
    return type == kReportType1 ? static_cast<TReportHeaderPanel&>(Panel1) : Panel2;
  }
  static const char* Name(const TFieldRow& row, int type) {
    return type == kReportType1 ? row.Name1 : row.Name2;
  }

  TSimpleReportMainReportPanel Panel1;
  TSimpleReport2MainReportPanel Panel2;
  TReportTabForm Form{Panel1, Panel2, true};
};

TEST_F(ReportHeaderPanelsTest, PanelsAreNamedAndHoldEveryHeaderControlOfItsKind) {
  EXPECT_EQ(Panel1.objectName(), "SimpleReportMainReportPanel");
  EXPECT_EQ(Panel2.objectName(), "SimpleReport2MainReportPanel");
  for (const TFieldRow& row : FieldTable()) {
    for (int type : {kReportType1, kReportType2}) {
      SCOPED_TRACE(Name(row, type));
      auto* control = Panel(type).findChild<QWidget*>(Name(row, type));
      ASSERT_NE(control, nullptr);
      EXPECT_TRUE(IsKind(control, type == kReportType1 ? row.Kind1 : row.Kind2));
      // The other type's panel has no control of this name.
      EXPECT_EQ(Panel(3 - type).findChild<QWidget*>(Name(row, type)), nullptr);
    }
  }
}

TEST_F(ReportHeaderPanelsTest, CaptionsTabsGridAndEditorAreFoundByName) {
  for (const TCaptionRow& row : kCaptionRows) {
    SCOPED_TRACE(row.Name1);
    EXPECT_NE(Panel1.findChild<QLabel*>(row.Name1), nullptr);
    if (row.Name2 != nullptr) {
      EXPECT_NE(Panel2.findChild<QLabel*>(row.Name2), nullptr);
    }
  }
  for (int type : {kReportType1, kReportType2}) {
    const char* const* tabs = type == kReportType1 ? kTabNames1 : kTabNames2;
    const char* const* prefixes = type == kReportType1 ? kInspectorPrefixes1 : kInspectorPrefixes2;
    QTabWidget* pages = Panel(type).InspectorsPageControl();
    ASSERT_EQ(pages->count(), 5);
    for (int i = 0; i < 5; ++i) {
      SCOPED_TRACE(tabs[i]);
      auto* sheet = Panel(type).findChild<QWidget*>(tabs[i]);
      ASSERT_NE(sheet, nullptr);
      EXPECT_EQ(pages->widget(i), sheet);
    }
    for (int inspector = 0; inspector < 4; ++inspector) {
      // Each inspector's tab holds its five fields and its six captions.
      QWidget* sheet = pages->widget(inspector);
      for (const char* suffix : {"Name", "LevelMaskEdit", "PaperNumMaskEdit", "ExpirationMaskEdit",
                                 "PassOrganizationEdit"}) {
        const QString name = QString(prefixes[inspector]) + suffix;
        SCOPED_TRACE(name.toStdString());
        EXPECT_NE(sheet->findChild<QWidget*>(name), nullptr);
      }
      for (const char* suffix : kInspectorCaptionSuffixes) {
        const QString name = QString(prefixes[inspector]) + suffix;
        SCOPED_TRACE(name.toStdString());
        EXPECT_NE(sheet->findChild<QLabel*>(name), nullptr);
      }
    }
    const char* conclusion =
        type == kReportType1 ? "ConclusionsValueMemo" : "Conclusions2ValueMemo";
    EXPECT_NE(pages->widget(4)->findChild<QPlainTextEdit*>(conclusion), nullptr);
  }
  auto* grid1 = Panel1.findChild<QTableWidget*>("SimpleReportMainReportStringGrid");
  auto* grid2 = Panel2.findChild<QTableWidget*>("SimpleReport2MainReportStringGrid");
  ASSERT_NE(grid1, nullptr);
  ASSERT_NE(grid2, nullptr);
  EXPECT_EQ(grid1->columnCount(), 9);
  EXPECT_EQ(grid2->columnCount(), 10);
  auto* edit1 = Panel1.findChild<QLineEdit*>("SimpleReportEdit");
  auto* edit2 = Panel2.findChild<QLineEdit*>("SimpleReport2Edit");
  ASSERT_NE(edit1, nullptr);
  ASSERT_NE(edit2, nullptr);
  EXPECT_TRUE(edit1->isHidden());
  EXPECT_TRUE(edit2->isHidden());
}

// The member of each control is the control of the same objectName.
#define EXPECT_MEMBER(panel, member)                                            \
  do {                                                                          \
    EXPECT_NE((panel).member, nullptr) << #member;                              \
    EXPECT_EQ((panel).findChild<QObject*>(#member), (panel).member) << #member; \
  } while (false)

TEST_F(ReportHeaderPanelsTest, MembersAreTheControlsOfTheirName) {
  EXPECT_MEMBER(Panel1, ControllingOrganizationValueComboBox);
  EXPECT_MEMBER(Panel1, DataValMaskEdit);
  EXPECT_MEMBER(Panel1, ProtocolNumValMaskEdit);
  EXPECT_MEMBER(Panel1, CObjectValComboBox);
  EXPECT_MEMBER(Panel1, CtrlReasonandDataValueComboBox);
  EXPECT_MEMBER(Panel1, CtrObjectDescriptionValueComboBox);
  EXPECT_MEMBER(Panel1, CtrlNTDDocumentationValueComboBox);
  EXPECT_MEMBER(Panel1, DeviceTypeComboBox);
  EXPECT_MEMBER(Panel1, DeviceTypeValMaskEdit);
  EXPECT_MEMBER(Panel1, DeviceSertifDateValMaskEdit);
  EXPECT_MEMBER(Panel1, ProbeTypeValComboBox);
  EXPECT_MEMBER(Panel1, ProbeSeNumValMaskEdit);
  EXPECT_MEMBER(Panel1, SertifNumValMaskEdit);
  EXPECT_MEMBER(Panel1, Controller1Name);
  EXPECT_MEMBER(Panel1, Controller1LevelMaskEdit);
  EXPECT_MEMBER(Panel1, Controller1PaperNumMaskEdit);
  EXPECT_MEMBER(Panel1, Controller1ExpirationMaskEdit);
  EXPECT_MEMBER(Panel1, Controller1PassOrganizationEdit);
  EXPECT_MEMBER(Panel1, Controller2Name);
  EXPECT_MEMBER(Panel1, Controller2LevelMaskEdit);
  EXPECT_MEMBER(Panel1, Controller2PaperNumMaskEdit);
  EXPECT_MEMBER(Panel1, Controller2ExpirationMaskEdit);
  EXPECT_MEMBER(Panel1, Controller2PassOrganizationEdit);
  EXPECT_MEMBER(Panel1, Controller3Name);
  EXPECT_MEMBER(Panel1, Controller3LevelMaskEdit);
  EXPECT_MEMBER(Panel1, Controller3PaperNumMaskEdit);
  EXPECT_MEMBER(Panel1, Controller3ExpirationMaskEdit);
  EXPECT_MEMBER(Panel1, Controller3PassOrganizationEdit);
  EXPECT_MEMBER(Panel1, Controller4Name);
  EXPECT_MEMBER(Panel1, Controller4LevelMaskEdit);
  EXPECT_MEMBER(Panel1, Controller4PaperNumMaskEdit);
  EXPECT_MEMBER(Panel1, Controller4ExpirationMaskEdit);
  EXPECT_MEMBER(Panel1, Controller4PassOrganizationEdit);
  EXPECT_MEMBER(Panel1, CtrlCharacteristicsValueComboBox);
  EXPECT_MEMBER(Panel1, CtrlResultsAppendixesValueEdit);
  EXPECT_MEMBER(Panel1, ConclusionsValueMemo);
  EXPECT_MEMBER(Panel1, ProtocolVarCaptionLabel);
  EXPECT_MEMBER(Panel1, DataValCaptionLabel);
  EXPECT_MEMBER(Panel1, ControllingOrganizationCaptionLabel);
  EXPECT_MEMBER(Panel1, ControllingOrganizationCaptionLabel2);
  EXPECT_MEMBER(Panel1, CObjectValCaptionLabel);
  EXPECT_MEMBER(Panel1, CtrlReasonandDataCaptionLabel);
  EXPECT_MEMBER(Panel1, CtrObjectDescriptionCaptionLabel);
  EXPECT_MEMBER(Panel1, CtrlNTDDocumentationCaptionLabel);
  EXPECT_MEMBER(Panel1, DeviceTypeCaptionLabel);
  EXPECT_MEMBER(Panel1, DeviceNumberCaptionLabel);
  EXPECT_MEMBER(Panel1, SertifNumValCaptionLabel);
  EXPECT_MEMBER(Panel1, SertifDateValCaptionLabel);
  EXPECT_MEMBER(Panel1, ProbeTypeValCaptionLabel);
  EXPECT_MEMBER(Panel1, ProbeSeNumValCaptionLabel);
  EXPECT_MEMBER(Panel1, CtrlCharacteristicsCaptionLabel);
  EXPECT_MEMBER(Panel1, ControlREsultsAppendixesLabel);
  EXPECT_MEMBER(Panel1, ZakljuchenijeLabel);
  EXPECT_MEMBER(Panel1, ChiefControllerTabSheet);
  EXPECT_MEMBER(Panel1, Controller1TabSheet);
  EXPECT_MEMBER(Panel1, Controller2TabSheet);
  EXPECT_MEMBER(Panel1, Controller3TabSheet);
  EXPECT_MEMBER(Panel1, ConclusionTabSheet);
  EXPECT_MEMBER(Panel1, SimpleReportMainReportStringGrid);
  EXPECT_MEMBER(Panel1, SimpleReportEdit);

  EXPECT_MEMBER(Panel2, ControllingOrganization2ValueComboBox);
  EXPECT_MEMBER(Panel2, Data2ValMaskEdit);
  EXPECT_MEMBER(Panel2, ProtocolNum2ValMaskEdit);
  EXPECT_MEMBER(Panel2, CObject2ValComboBox);
  EXPECT_MEMBER(Panel2, CtrlReasonandData2ValueComboBox);
  EXPECT_MEMBER(Panel2, CtrObjectDescription2ValueComboBox);
  EXPECT_MEMBER(Panel2, CtrlNTDDocumentation2ValueComboBox);
  EXPECT_MEMBER(Panel2, DeviceType2ComboBox);
  EXPECT_MEMBER(Panel2, DeviceType2ValMaskEdit);
  EXPECT_MEMBER(Panel2, DeviceSertifDate2ValMaskEdit);
  EXPECT_MEMBER(Panel2, ProbeType2ValComboBox);
  EXPECT_MEMBER(Panel2, ProbeSeNum2ValMaskEdit);
  EXPECT_MEMBER(Panel2, SertifNum2ValMaskEdit);
  EXPECT_MEMBER(Panel2, Controller2_1Name);
  EXPECT_MEMBER(Panel2, Controller2_1LevelMaskEdit);
  EXPECT_MEMBER(Panel2, Controller2_1PaperNumMaskEdit);
  EXPECT_MEMBER(Panel2, Controller2_1ExpirationMaskEdit);
  EXPECT_MEMBER(Panel2, Controller2_1PassOrganizationEdit);
  EXPECT_MEMBER(Panel2, Controller2_2Name);
  EXPECT_MEMBER(Panel2, Controller2_2LevelMaskEdit);
  EXPECT_MEMBER(Panel2, Controller2_2PaperNumMaskEdit);
  EXPECT_MEMBER(Panel2, Controller2_2ExpirationMaskEdit);
  EXPECT_MEMBER(Panel2, Controller2_2PassOrganizationEdit);
  EXPECT_MEMBER(Panel2, Controller2_3Name);
  EXPECT_MEMBER(Panel2, Controller2_3LevelMaskEdit);
  EXPECT_MEMBER(Panel2, Controller2_3PaperNumMaskEdit);
  EXPECT_MEMBER(Panel2, Controller2_3ExpirationMaskEdit);
  EXPECT_MEMBER(Panel2, Controller2_3PassOrganizationEdit);
  EXPECT_MEMBER(Panel2, Controller2_4Name);
  EXPECT_MEMBER(Panel2, Controller2_4LevelMaskEdit);
  EXPECT_MEMBER(Panel2, Controller2_4PaperNumMaskEdit);
  EXPECT_MEMBER(Panel2, Controller2_4ExpirationMaskEdit);
  EXPECT_MEMBER(Panel2, Controller2_4PassOrganizationEdit);
  EXPECT_MEMBER(Panel2, CtrlCharacteristics2ValueComboBox);
  EXPECT_MEMBER(Panel2, CtrlResultsAppendixes2ValueEdit);
  EXPECT_MEMBER(Panel2, Conclusions2ValueMemo);
  EXPECT_MEMBER(Panel2, Data2ValCaptionLabel);
  EXPECT_MEMBER(Panel2, ControllingOrganization2CaptionLabel);
  EXPECT_MEMBER(Panel2, ControllingOrganization2CaptionLabel2);
  EXPECT_MEMBER(Panel2, CObject2ValCaptionLabel);
  EXPECT_MEMBER(Panel2, CtrlReasonandData2CaptionLabel);
  EXPECT_MEMBER(Panel2, CtrObjectDescription2CaptionLabel);
  EXPECT_MEMBER(Panel2, CtrlNTDDocumentation2CaptionLabel);
  EXPECT_MEMBER(Panel2, DeviceType2CaptionLabel);
  EXPECT_MEMBER(Panel2, DeviceNumber2CaptionLabel);
  EXPECT_MEMBER(Panel2, SertifNum2ValCaptionLabel);
  EXPECT_MEMBER(Panel2, SertifDate2ValCaptionLabel);
  EXPECT_MEMBER(Panel2, ProbeType2ValCaptionLabel);
  EXPECT_MEMBER(Panel2, ProbeSeNum2ValCaptionLabel);
  EXPECT_MEMBER(Panel2, CtrlCharacteristics2CaptionLabel);
  EXPECT_MEMBER(Panel2, ControlREsultsAppendixes2Label);
  EXPECT_MEMBER(Panel2, Zakljuchenije2Label);
  EXPECT_MEMBER(Panel2, ChiefController2TabSheet);
  EXPECT_MEMBER(Panel2, Controller2_1TabSheet);
  EXPECT_MEMBER(Panel2, Controller2_2TabSheet);
  EXPECT_MEMBER(Panel2, Controller2_3TabSheet);
  EXPECT_MEMBER(Panel2, Conclusion2TabSheet);
  EXPECT_MEMBER(Panel2, SimpleReport2MainReportStringGrid);
  EXPECT_MEMBER(Panel2, SimpleReport2Edit);
}

TEST_F(ReportHeaderPanelsTest, ControlsHoldTheTextsOfANewDefaultReport) {
  for (const TFieldRow& row : FieldTable()) {
    for (int type : {kReportType1, kReportType2}) {
      SCOPED_TRACE(Name(row, type));
      auto* control = Panel(type).findChild<QWidget*>(Name(row, type));
      ASSERT_NE(control, nullptr);
      EXPECT_EQ(ControlText(control), type == kReportType1 ? row.Text1 : row.Text2);
      if (auto* combo = qobject_cast<QComboBox*>(control)) {
        EXPECT_EQ(Items(combo), type == kReportType1 ? row.Items1 : row.Items2);
      }
    }
  }
  // Only the type-2 conclusion has a vertical scroll bar.
  EXPECT_EQ(Panel2.Conclusions2ValueMemo->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
  EXPECT_NE(Panel1.ConclusionsValueMemo->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
}

TEST_F(ReportHeaderPanelsTest, EnterInAComboBoxAddsNothingToItsList) {
  for (int type : {kReportType1, kReportType2}) {
    for (QComboBox* combo : Panel(type).findChildren<QComboBox*>()) {
      SCOPED_TRACE(combo->objectName().toStdString());
      const QStringList before = Items(combo);
      combo->lineEdit()->setText("typed by the user");
      QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
      QApplication::sendEvent(combo->lineEdit(), &press);
      EXPECT_EQ(Items(combo), before);
      EXPECT_EQ(combo->currentText(), "typed by the user");
    }
  }
}

TEST_F(ReportHeaderPanelsTest, EveryHeaderFieldLandsInItsControlAndReadsBack) {
  const std::vector<TFieldRow> table = FieldTable();
  for (int type : {kReportType1, kReportType2}) {
    // "Поле" in Windows-1251, then the type and the field: every field a
    // text of its own, so two fields sharing a control show up.
    for (const TFieldRow& row : table) {
      Form.SetHeaderFieldText(
          type, row.Field,
          "\xCF\xEE\xEB\xE5 " + std::to_string(type) + "." + std::to_string(row.Field));
    }
    for (const TFieldRow& row : table) {
      SCOPED_TRACE(Name(row, type));
      const std::string model =
          "\xCF\xEE\xEB\xE5 " + std::to_string(type) + "." + std::to_string(row.Field);
      EXPECT_EQ(ControlText(Panel(type).findChild<QWidget*>(Name(row, type))),
                U("Поле ") + QString::number(type) + "." + QString::number(row.Field));
      EXPECT_EQ(Form.HeaderFieldText(type, row.Field), model);
      // A text longer than its field shows its beginning.
      if (auto* combo = Panel(type).findChild<QComboBox*>(Name(row, type))) {
        EXPECT_EQ(combo->lineEdit()->cursorPosition(), 0);
      }
    }
  }
}

TEST_F(ReportHeaderPanelsTest, SettingOneTypeLeavesTheOtherPanelAlone) {
  const std::vector<TFieldRow> table = FieldTable();
  for (const TFieldRow& row : table) {
    Form.SetHeaderFieldText(kReportType1, row.Field, "changed");
  }
  for (const TFieldRow& row : table) {
    SCOPED_TRACE(row.Name2);
    EXPECT_EQ(ControlText(Panel2.findChild<QWidget*>(row.Name2)), row.Text2);
  }
}

TEST_F(ReportHeaderPanelsTest, UnknownTypesAndFieldsReadEmptyAndAreIgnored) {
  const std::pair<int, int> unknown[] = {{0, 1}, {3, 1}, {1, 0}, {1, 37}, {2, 0}, {2, 37}};
  for (const auto& [type, field] : unknown) {
    SCOPED_TRACE(std::to_string(type) + "/" + std::to_string(field));
    Form.SetHeaderFieldText(type, field, "x");
    EXPECT_EQ(Form.HeaderFieldText(type, field), "");
  }
  EXPECT_EQ(Form.HeaderFieldText(kReportType1, 1), ToCp1251(U("Введите название организации")));
  EXPECT_EQ(Form.ReportGridRowCount(0), 0);
  EXPECT_EQ(Form.ReportGridCell(3, 0, 1), "");
}

TEST_F(ReportHeaderPanelsTest, MultiLineConclusionKeepsItsLinesAsCrLf) {
  // "Заключение" in Windows-1251, then an empty line among the others.
  const std::string model = "\xC7\xE0\xEA\xEB\xFE\xF7\xE5\xED\xE8\xE5 1\r\nline 2\r\n\r\nline 4";
  for (int type : {kReportType1, kReportType2}) {
    SCOPED_TRACE(type);
    Form.SetHeaderFieldText(type, 36, model);
    auto* memo = qobject_cast<QPlainTextEdit*>(Panel(type).HeaderFieldControl(36));
    ASSERT_NE(memo, nullptr);
    EXPECT_EQ(memo->document()->blockCount(), 4);
    EXPECT_EQ(memo->toPlainText(), U("Заключение 1\nline 2\n\nline 4"));
    EXPECT_EQ(Form.HeaderFieldText(type, 36), model);
    // Lines the user typed come back with CR LF too.
    memo->setPlainText("first\nsecond");
    EXPECT_EQ(Form.HeaderFieldText(type, 36), "first\r\nsecond");
  }
}

TEST_F(ReportHeaderPanelsTest, ReportGridStartsWithADoubleHeightTitleRowAndOneDataRow) {
  for (int type : {kReportType1, kReportType2}) {
    SCOPED_TRACE(type);
    QTableWidget* grid = Panel(type).ReportGrid();
    EXPECT_EQ(grid->columnCount(), type == kReportType1 ? 9 : 10);
    EXPECT_EQ(Form.ReportGridRowCount(type), 2);
    EXPECT_EQ(grid->rowHeight(0), 2 * grid->verticalHeader()->defaultSectionSize());
    EXPECT_EQ(grid->rowHeight(1), grid->verticalHeader()->defaultSectionSize());
    for (int column = 0; column < grid->columnCount(); ++column) {
      ASSERT_NE(grid->item(0, column), nullptr);
      EXPECT_FALSE(grid->item(0, column)->flags() & Qt::ItemIsEditable);
      EXPECT_EQ(Form.ReportGridCell(type, column, 1), "");
    }
  }
}

TEST_F(ReportHeaderPanelsTest, ReportGridCellsAndRowCountsGoThroughTheForm) {
  for (int type : {kReportType1, kReportType2}) {
    SCOPED_TRACE(type);
    QTableWidget* grid = Panel(type).ReportGrid();
    const int last = grid->columnCount() - 1;
    Form.SetReportGridRowCount(type, 4);
    EXPECT_EQ(grid->rowCount(), 4);
    EXPECT_EQ(Form.ReportGridRowCount(type), 4);

    // A cell without an item reads as "" and gets one when set.
    ASSERT_EQ(grid->item(3, last), nullptr);
    EXPECT_EQ(Form.ReportGridCell(type, last, 3), "");
    Form.SetReportGridCell(type, last, 3, "\xD8\xEE\xE2 12");  // "Шов 12"
    ASSERT_NE(grid->item(3, last), nullptr);
    EXPECT_EQ(grid->item(3, last)->text(), U("Шов 12"));
    EXPECT_EQ(Form.ReportGridCell(type, last, 3), "\xD8\xEE\xE2 12");
    Form.SetReportGridCell(type, last, 3, "13");
    EXPECT_EQ(Form.ReportGridCell(type, last, 3), "13");
    EXPECT_EQ(Form.ReportGridCell(type, last - 1, 3), "");

    // Outside the grid nothing is set.
    Form.SetReportGridCell(type, last + 1, 1, "x");
    Form.SetReportGridCell(type, 0, 4, "x");
    Form.SetReportGridCell(type, -1, 1, "x");
    EXPECT_EQ(grid->columnCount(), last + 1);
    EXPECT_EQ(grid->rowCount(), 4);
    EXPECT_EQ(Form.ReportGridCell(type, last + 1, 1), "");
    EXPECT_EQ(Form.ReportGridCell(type, 0, 4), "");

    // Shrinking drops the rows below, and the title row always stays.
    Form.SetReportGridRowCount(type, 2);
    Form.SetReportGridRowCount(type, 4);
    EXPECT_EQ(Form.ReportGridCell(type, last, 3), "");
    Form.SetReportGridRowCount(type, 0);
    EXPECT_EQ(Form.ReportGridRowCount(type), 1);
  }
  EXPECT_TRUE(Form.IsMainWindow());
  EXPECT_FALSE(TReportTabForm(Panel1, Panel2, false).IsMainWindow());
}

TEST_F(ReportHeaderPanelsTest, GridCellsOfOneTypeStayInItsGrid) {
  Form.SetReportGridCell(kReportType1, 1, 1, "one");
  Form.SetReportGridCell(kReportType2, 1, 1, "two");
  EXPECT_EQ(Form.ReportGridCell(kReportType1, 1, 1), "one");
  EXPECT_EQ(Form.ReportGridCell(kReportType2, 1, 1), "two");
  Form.SetReportGridRowCount(kReportType2, 5);
  EXPECT_EQ(Form.ReportGridRowCount(kReportType1), 2);
}

TEST_F(ReportHeaderPanelsTest, TitleRowsShowTheirCaptionStringsOnOneOrTwoLines) {
  testing::TRecordingFeedback feedback;
  TLocalStrings strings(feedback);
  ASSERT_TRUE(strings.LoadStringFiles(VELT_SOURCE_DIR "/strings"));
  Panel1.LoadTexts(strings);
  Panel2.LoadTexts(strings);
  struct TTitleRow {
    int Type;
    int Column;
    int First;
    int Second;  // 0: one line
  };
  const TTitleRow titles[] = {
      {1, 0, 57, 58},   {1, 1, 59, 60},   {1, 2, 61, 0},    {1, 3, 62, 0},    {1, 4, 63, 64},
      {1, 5, 65, 66},   {1, 6, 67, 68},   {1, 7, 69, 0},    {1, 8, 70, 0},    {2, 0, 57, 58},
      {2, 1, 69, 0},    {2, 2, 116, 117}, {2, 3, 118, 119}, {2, 4, 120, 121}, {2, 5, 122, 123},
      {2, 6, 124, 125}, {2, 7, 126, 0},   {2, 8, 127, 128}, {2, 9, 129, 0}};
  for (const TTitleRow& title : titles) {
    SCOPED_TRACE(std::to_string(title.Type) + "/" + std::to_string(title.Column));
    const QString first = FromCp1251(strings.Caption(static_cast<std::uint16_t>(title.First)));
    ASSERT_FALSE(first.isEmpty());
    QString expected = first;
    if (title.Second != 0) {
      const QString second = FromCp1251(strings.Caption(static_cast<std::uint16_t>(title.Second)));
      ASSERT_FALSE(second.isEmpty());
      expected += "\n" + second;
    }
    EXPECT_EQ(Panel(title.Type).ReportGrid()->item(0, title.Column)->text(), expected);
  }
  EXPECT_TRUE(feedback.Messages.empty());
}

// String files whose every entry is its own: "<letter Ж><file><n>", so a
// caption taken from the wrong entry or the wrong file shows.
class ReportHeaderPanelsTextsTest : public ReportHeaderPanelsTest {
 protected:
  void SetUp() override {
    Folder = fs::temp_directory_path() / ("report-panels-" + std::to_string(::getpid()));
    fs::create_directories(Folder);
    Write("captions.str", 172, 'C');
    Write("errmsgs.str", 35, 'E');
    Write("txtvarvalues.str", 160, 'V');
    ASSERT_TRUE(Strings.LoadStringFiles(Folder));
  }
  void TearDown() override { fs::remove_all(Folder); }

  void Write(const char* name, int entries, char file) {
    std::ofstream out(Folder / name, std::ios::binary);
    out << "test strings\r\n1:0\r\n2:1\r\n";
    for (int n = 3; n <= entries; ++n) {
      out << n << ":\xC6" << file << n << "\r\n";
    }
  }
  static QString Entry(char file, int n) { return U("Ж") + file + QString::number(n); }

  fs::path Folder;
  testing::TRecordingFeedback Feedback;
  TLocalStrings Strings{Feedback};
};

TEST_F(ReportHeaderPanelsTextsTest, CaptionsComeFromTheirValueStrings) {
  Panel1.LoadTexts(Strings);
  Panel2.LoadTexts(Strings);
  for (const TCaptionRow& row : kCaptionRows) {
    SCOPED_TRACE(row.Name1);
    EXPECT_EQ(Panel1.findChild<QLabel*>(row.Name1)->text(), Entry('V', row.Value));
    if (row.Name2 != nullptr) {
      EXPECT_EQ(Panel2.findChild<QLabel*>(row.Name2)->text(), Entry('V', row.Value));
    }
  }
  // The type-2 panel keeps no protocol caption from the string files.
  for (QLabel* label : Panel2.findChildren<QLabel*>()) {
    EXPECT_NE(label->text(), Entry('V', 71)) << label->objectName().toStdString();
  }
}

TEST_F(ReportHeaderPanelsTextsTest, InspectorTabsGetTheirCaptionsAndHints) {
  Panel1.LoadTexts(Strings);
  Panel2.LoadTexts(Strings);
  for (int type : {kReportType1, kReportType2}) {
    const char* const* prefixes = type == kReportType1 ? kInspectorPrefixes1 : kInspectorPrefixes2;
    QTabWidget* pages = Panel(type).InspectorsPageControl();
    for (int tab = 0; tab < 5; ++tab) {
      EXPECT_EQ(pages->tabText(tab), Entry('V', 86 + tab)) << type << "/" << tab;
    }
    for (int inspector = 0; inspector < 4; ++inspector) {
      for (int i = 0; i < 6; ++i) {
        const QString name = QString(prefixes[inspector]) + kInspectorCaptionSuffixes[i];
        SCOPED_TRACE(name.toStdString());
        EXPECT_EQ(Panel(type).findChild<QLabel*>(name)->text(), Entry('V', 91 + i));
      }
      // Inspectors 2 to 4 may be left out: their name fields and tabs say so.
      const QString hint = inspector == 0 ? QString() : Entry('C', 159);
      auto* name = Panel(type).findChild<QLineEdit*>(QString(prefixes[inspector]) + "Name");
      EXPECT_EQ(name->toolTip(), hint) << type << "/" << inspector;
      EXPECT_EQ(pages->tabToolTip(inspector), hint) << type << "/" << inspector;
      EXPECT_EQ(pages->widget(inspector)->toolTip(), hint) << type << "/" << inspector;
    }
    EXPECT_EQ(pages->tabToolTip(4), QString());
  }
}

// The printed sheet repeats the captions the panel of its type shows.
TEST_F(ReportHeaderPanelsTextsTest, TheSheetCaptionsAreThePanelsLabels) {
  Panel1.LoadTexts(Strings);
  Panel2.LoadTexts(Strings);
  using L = TSheetCaptionLabel;
  const std::pair<L, int> labels[] = {
      {L::ControlObject, 75},      {L::ReasonAndDate, 76},     {L::ObjectDescription, 77},
      {L::NormativeDocumentation, 78}, {L::DeviceType, 79},   {L::CertificateNumber, 81},
      {L::CertificateExpiry, 82},  {L::ProbeSerialNumber, 84}, {L::ControlCharacteristics, 85},
      {L::Appendixes, 97},         {L::Conclusion, 98},        {L::Specialist, 92},
      {L::Expiry, 95},             {L::Issuing, 96}};
  for (int type : {kReportType1, kReportType2}) {
    for (const auto& [label, value] : labels) {
      EXPECT_EQ(Form.SheetCaptionText(type, label), "\xC6V" + std::to_string(value))
          << type << "/" << value;
    }
  }
  Panel2.findChild<QLabel*>("CObject2ValCaptionLabel")->setText("Own");
  EXPECT_EQ(Form.SheetCaptionText(kReportType2, L::ControlObject), "Own");
  EXPECT_EQ(Form.SheetCaptionText(kReportType1, L::ControlObject), "\xC6V75");
}

TEST(ReportHeaderPanelsColumnWidthsTest, FollowTheClientWidthRoundedToNearestEven) {
  struct TCase {
    int Type;
    int ClientWidth;
    std::vector<int> Widths;
  };
  const TCase cases[] = {
      // Type 1, w = 965: u = (965 - 20) / 90 = 10.5; 5u = 52.5 -> 52, 7u = 73.5 -> 74,
      // 9u = 94.5 -> 94, 17u = 178.5 -> 178, 21u = 220.5 -> 220 (ties go to even).
      {1, 965, {52, 74, 74, 94, 74, 178, 94, 94, 220}},
      // Type 1, w = 920: u = 10 exactly.
      {1, 920, {50, 70, 70, 90, 70, 170, 90, 90, 210}},
      // Type 2, w = 1000: u = 9.8; 49, 68.6 -> 69, 117.6 -> 118, 205.8 -> 206,
      // 78.4 -> 78, 186.2 -> 186.
      {2, 1000, {49, 69, 118, 69, 69, 69, 69, 206, 78, 186}},
      // Type 2, w = 1070: u = 10.5; 52.5 -> 52, 73.5 -> 74, 126, 220.5 -> 220, 84,
      // 199.5 -> 200.
      {2, 1070, {52, 74, 126, 74, 74, 74, 74, 220, 84, 200}},
      // Narrower than the 20 dots of margin: nothing goes below zero.
      {1, 10, {0, 0, 0, 0, 0, 0, 0, 0, 0}},
      {7, 1000, {}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(std::to_string(c.Type) + "/" + std::to_string(c.ClientWidth));
    EXPECT_EQ(ReportGridColumnWidths(c.Type, c.ClientWidth), c.Widths);
  }
}

TEST(ReportGridTitlesTest, NarrowColumnsTakeFromThoseWithMostToSpare) {
  struct TCase {
    const char* Name;
    std::vector<int> Widths, Needs, Expected;
  };
  const TCase cases[] = {
      {"every title fits", {50, 70, 200}, {30, 60, 80}, {50, 70, 200}},
      {"one short, the widest gives", {50, 70, 200}, {30, 90, 80}, {50, 90, 180}},
      {"two short, the most spare gives", {40, 40, 100, 100}, {50, 50, 60, 40}, {50, 50, 100, 80}},
      {"equal spare: given in turn", {40, 100, 100}, {44, 50, 50}, {44, 98, 98}},
      {"too narrow for all titles: as given", {40, 40}, {50, 50}, {40, 40}},
      {"needs of another grid: as given", {40, 40}, {10}, {40, 40}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    EXPECT_EQ(WidenForTitles(c.Widths, c.Needs), c.Expected);
  }
}

TEST_F(ReportHeaderPanelsTest, FirstShowingSetsTheColumnWidthsOfTheGridsClientWidth) {
  for (int type : {kReportType1, kReportType2}) {
    SCOPED_TRACE(type);
    TReportHeaderPanel& panel = Panel(type);
    QTableWidget* grid = panel.ReportGrid();
    for (int column = 0; column < grid->columnCount(); ++column) {
      grid->item(0, column)->setText(QStringLiteral("Доступность\nстолбца %1").arg(column));
    }
    panel.resize(980, 560);
    panel.show();
    const int clientWidth = grid->viewport()->width();
    ASSERT_GT(clientWidth, 600);
    const std::vector<int> needs = panel.TitleWidths();
    const std::vector<int> expected = WidenForTitles(ReportGridColumnWidths(type, clientWidth), needs);
    for (int column = 0; column < grid->columnCount(); ++column) {
      EXPECT_EQ(grid->columnWidth(column), expected[static_cast<std::size_t>(column)]) << column;
      EXPECT_GE(grid->columnWidth(column), needs[static_cast<std::size_t>(column)]) << column;
      EXPECT_GT(needs[static_cast<std::size_t>(column)], 12) << column;  // the titles are loaded
    }
    panel.hide();
  }
}

}  // namespace
}  // namespace velt
