#include <ui/report/ReportHeaderPanelsUnit.h>

#include <QFontMetrics>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPainter>
#include <QScrollBar>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QStyledItemDelegate>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include <reports/ReportHeaderFieldsUnit.h>
#include <ui/widgets/Cp1251.h>

namespace velt {
namespace {

enum class TFieldKind { Line, Combo, Memo };

// How one header control looks when the panel is built: its name, its kind,
// the text the default report is first created with and its preset list.
struct TFieldDesign {
  QString Name;
  TFieldKind Kind = TFieldKind::Line;
  QString Text;
  QStringList Items;
};

using TFieldDesigns = std::array<TFieldDesign, kReportHeaderFields + 1>;

QString U(const char* utf8) {
  return QString::fromUtf8(utf8);
}

// The sample texts of the default report that the user overwrites.
const char* const kDeviceModels[] = {"Velt UD-2", "Velt UD-3M"};
const char* const kIssuingOrganization = "Центр аттестации Велт";
const char* const kInitialDate = "01.01.2007";

TFieldDesign Combo(const QString& name, const QString& text, QStringList items = {}) {
  // A field without its own list offers its initial text as the only entry.
  if (items.isEmpty()) {
    items << text;
  }
  return {name, TFieldKind::Combo, text, items};
}

TFieldDesign Line(const QString& name, const QString& text) {
  return {name, TFieldKind::Line, text, {}};
}

// Field words of the type-2 names carry a "2": "CObjectValComboBox" is
// "CObject2ValComboBox" there. The inspectors are "Controller1".."4" on the
// type-1 panel and "Controller2_1".."2_4" on the type-2 panel.
TFieldDesigns FieldDesigns(int type) {
  const bool one = type == kReportType1;
  const QString n = one ? QString() : QStringLiteral("2");
  TFieldDesigns d;
  d[1] = Combo("ControllingOrganization" + n + "ValueComboBox",
               one ? U("Введите название организации") : U("Название контролирующей организации"));
  d[2] = Line("Data" + n + "ValMaskEdit", U(kInitialDate));
  d[3] = one ? Combo("ProtocolNumValMaskEdit", "1237789", {"1237789", "1238923"})
             : Line("ProtocolNum2ValMaskEdit", "1234567890123456");
  d[4] = Combo("CObject" + n + "ValComboBox", U("Труба"),
               {U("Труба"), U("Шов"), U("Стык"), U("Снова труба")});
  d[5] = Combo("CtrlReasonandData" + n + "ValueComboBox",
               one ? U("Укажите дату и причину контроля") : U("укажите дату и причину контроля"));
  d[6] = Combo("CtrObjectDescription" + n + "ValueComboBox",
               one ? U("Введите описание изделия") : U("подробное описание изделия"));
  d[7] = Combo("CtrlNTDDocumentation" + n + "ValueComboBox", U("ГОСТ 1243-43-78, ГОСТ 1435-43-78"));
  d[8] = Combo("DeviceType" + n + "ComboBox", U(kDeviceModels[0]),
               {U(kDeviceModels[0]), U(kDeviceModels[1])});
  d[9] = Combo("DeviceType" + n + "ValMaskEdit", "1000089123", {"1000089123", "1000023809"});
  d[10] = Line("DeviceSertifDate" + n + "ValMaskEdit", U(kInitialDate));
  d[11] =
      Combo("ProbeType" + n + "ValComboBox", U("раздельный"), {U("раздельный"), U("совмещенный")});
  d[12] = Combo("ProbeSeNum" + n + "ValMaskEdit", "1237789123", {"1237789123", "1238923809"});
  d[13] = Combo("SertifNum" + n + "ValMaskEdit", "1000000023", {"1000000023", "1000000009"});
  for (int i = 0; i < TReportHeaderPanel::kInspectors; ++i) {
    const QString prefix =
        QStringLiteral("Controller") + (one ? "" : "2_") + QString::number(i + 1);
    const int first = 14 + 5 * i;
    QString organization = U(kIssuingOrganization);
    if (one && i == 0) {
      organization += QString(21, '_');
    }
    d[first] = Line(prefix + "Name", U("Фамилия И.О."));
    d[first + 1] = Line(prefix + "LevelMaskEdit", "1");
    d[first + 2] =
        Combo(prefix + "PaperNumMaskEdit", "10023200023", {"10023200023", "10023120009"});
    d[first + 3] = Line(prefix + "ExpirationMaskEdit", U(kInitialDate));
    d[first + 4] = Line(prefix + "PassOrganizationEdit", organization);
  }
  d[34] = Combo("CtrlCharacteristics" + n + "ValueComboBox", U("укажите характеристики контроля"));
  const QString appendixes = U("Приложения к результатам контроля");
  d[35] = Line("CtrlResultsAppendixes" + n + "ValueEdit",
               one ? appendixes + QString(25, '_') : appendixes);
  d[36] = {"Conclusions" + n + "ValueMemo",
           TFieldKind::Memo,
           one ? U("Укажите заключения по результатам контроля")
               : U("заключения по результатам контроля"),
           {}};
  return d;
}

struct TCaptionDesign {
  int Value;
  const char* Name1;
  const char* Name2;  // nullptr: the type-2 panel has a fixed caption instead
};

constexpr TCaptionDesign kCaptionDesigns[TReportHeaderPanel::kCaptionCount] = {
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

// Inspector captions, value strings 91..96, named after the field they stand by.
const char* const kInspectorCaptionNames[TReportHeaderPanel::kInspectorCaptions] = {
    "NameCaptionLabel",     "LevelCaptionLabel",      "LevelAfterCaptionLabel",
    "PaperNumCaptionLabel", "ExpirationCaptionLabel", "PassOrganizationCaptionLabel"};

const char* const kTabNames[2][TReportHeaderPanel::kTabs] = {
    {"ChiefControllerTabSheet", "Controller1TabSheet", "Controller2TabSheet", "Controller3TabSheet",
     "ConclusionTabSheet"},
    {"ChiefController2TabSheet", "Controller2_1TabSheet", "Controller2_2TabSheet",
     "Controller2_3TabSheet", "Conclusion2TabSheet"}};

constexpr int kFirstTabValue = 86;
constexpr int kFirstInspectorCaptionValue = 91;
constexpr int kOptionalInspectorHint = 159;  // caption string

// Title row of the report grid: one or two caption strings per column (0: none).
struct TTitle {
  int First;
  int Second;
};
constexpr TTitle kTitles1[] = {{57, 58}, {59, 60}, {61, 0}, {62, 0}, {63, 64},
                               {65, 66}, {67, 68}, {69, 0}, {70, 0}};
constexpr TTitle kTitles2[] = {{57, 58},   {69, 0},    {116, 117}, {118, 119}, {120, 121},
                               {122, 123}, {124, 125}, {126, 0},   {127, 128}, {129, 0}};

constexpr int kWeights1[] = {5, 7, 7, 9, 7, 17, 9, 9, 21};
constexpr int kWeights2[] = {5, 7, 12, 7, 7, 7, 7, 21, 8, 19};

// A size smaller than the cells' keeps two-word titles inside the narrow
// columns.
QFont TitleFont(QFont font) {
  if (font.pointSizeF() > 0) {
    font.setPointSizeF(font.pointSizeF() * 0.85);
  }
  return font;
}

// The title row is drawn line by line: each line 6 dots from the left and
// 3 dots below the one above (the first 3 dots below the cell's top).
class TTitleRowDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;

  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override {
    if (index.row() != 0) {
      QStyledItemDelegate::paint(painter, option, index);
      return;
    }
    painter->save();
    painter->fillRect(option.rect, option.palette.button());
    painter->setPen(option.palette.color(QPalette::Mid));
    painter->drawLine(option.rect.bottomLeft(), option.rect.bottomRight());
    painter->setPen(option.palette.color(QPalette::ButtonText));
    const QFont font = TitleFont(option.font);
    painter->setFont(font);
    const int lineHeight = QFontMetrics(font).height();
    int top = option.rect.top();
    for (const QString& line : index.data().toString().split('\n')) {
      top += 3;
      painter->drawText(QRect(option.rect.left() + 6, top, option.rect.width() - 6, lineHeight),
                        Qt::AlignLeft | Qt::AlignTop, line);
      top += lineHeight;
    }
    painter->restore();
  }
};

QString Text(const std::string& cp1251) {
  return FromCp1251(cp1251);
}

}  // namespace

// In a Qt mask "9" is a digit that must be there and "0" one that may be:
// day and month take one or two digits, the year four.
QString HeaderFieldInputMask(int field) {
  if (IsHeaderDateField(field)) {
    return QStringLiteral("09.09.9999;_");
  }
  if (IsHeaderLevelField(field)) {
    return QStringLiteral("9;_");
  }
  return {};
}

int ReportGridColumnCount(int type) {
  if (type == kReportType1) {
    return static_cast<int>(std::size(kWeights1));
  }
  if (type == kReportType2) {
    return static_cast<int>(std::size(kWeights2));
  }
  return 0;
}

std::vector<int> ReportGridColumnWidths(int type, int clientWidth) {
  std::vector<int> widths;
  if (type != kReportType1 && type != kReportType2) {
    return widths;
  }
  const double divisor = type == kReportType1 ? 90.0 : 100.0;
  const double u = (clientWidth - 20) / divisor;
  auto add = [&](int weight) {
    // nearbyint rounds to nearest with ties to even in the default mode.
    widths.push_back(std::max(0, static_cast<int>(std::nearbyint(u * weight))));
  };
  if (type == kReportType1) {
    for (int weight : kWeights1) add(weight);
  } else {
    for (int weight : kWeights2) add(weight);
  }
  return widths;
}

std::vector<int> WidenForTitles(std::vector<int> widths, const std::vector<int>& needs) {
  if (needs.size() != widths.size()) {
    return widths;
  }
  int total = 0;
  int needed = 0;
  for (std::size_t c = 0; c < widths.size(); ++c) {
    total += widths[c];
    needed += needs[c];
  }
  if (needed > total) {
    return widths;
  }
  int deficit = 0;
  for (std::size_t c = 0; c < widths.size(); ++c) {
    if (widths[c] < needs[c]) {
      deficit += needs[c] - widths[c];
      widths[c] = needs[c];
    }
  }
  // One dot at a time from the column with the most to spare (the later
  // column on a tie: the wide description and notes columns come last).
  while (deficit > 0) {
    std::size_t donor = 0;
    for (std::size_t c = 1; c < widths.size(); ++c) {
      if (widths[c] - needs[c] >= widths[donor] - needs[donor]) {
        donor = c;
      }
    }
    --widths[donor];
    --deficit;
  }
  return widths;
}

TReportHeaderPanel::TReportHeaderPanel(int type, QWidget* parent) : QWidget(parent), Type(type) {
  const TFieldDesigns designs = FieldDesigns(type);
  for (int field = 1; field <= kReportHeaderFields; ++field) {
    const TFieldDesign& design = designs[static_cast<std::size_t>(field)];
    QWidget* control = nullptr;
    switch (design.Kind) {
      case TFieldKind::Line: {
        auto* edit = new QLineEdit(this);
        edit->setInputMask(HeaderFieldInputMask(field));
        edit->setText(design.Text);
        edit->setCursorPosition(0);
        control = edit;
        break;
      }
      case TFieldKind::Combo: {
        auto* combo = new QComboBox(this);
        combo->setEditable(true);
        // The preset lists are part of the design: Enter must not add to them.
        combo->setInsertPolicy(QComboBox::NoInsert);
        combo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
        combo->setMinimumContentsLength(6);
        combo->addItems(design.Items);
        combo->setEditText(design.Text);
        combo->lineEdit()->setCursorPosition(0);
        control = combo;
        break;
      }
      case TFieldKind::Memo: {
        auto* memo = new QPlainTextEdit(this);
        memo->setPlainText(design.Text);
        memo->setVerticalScrollBarPolicy(type == kReportType2 ? Qt::ScrollBarAlwaysOn
                                                              : Qt::ScrollBarAlwaysOff);
        control = memo;
        break;
      }
    }
    control->setObjectName(design.Name);
    Fields[static_cast<std::size_t>(field)] = control;
  }
  for (int i = 0; i < kCaptionCount; ++i) {
    const TCaptionDesign& design = kCaptionDesigns[i];
    auto* label = new QLabel(this);
    const char* name = type == kReportType1 ? design.Name1 : design.Name2;
    if (name != nullptr) {
      label->setObjectName(name);
    } else {
      label->setText(U("№"));
    }
    Captions[static_cast<std::size_t>(i)] = label;
  }
  Captions[kOrganizationCaption2]->setWordWrap(true);
  QFont small = font();
  if (small.pointSizeF() > 0) {
    small.setPointSizeF(small.pointSizeF() * 0.85);
  }
  small.setItalic(true);
  Captions[kOrganizationCaption2]->setFont(small);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(4, 4, 4, 4);
  layout->setSpacing(4);
  BuildHeader(*layout);
  Tabs = new QTabWidget(this);
  Tabs->setObjectName(type == kReportType1 ? "ControllersPageControl" : "Controllers2PageControl");
  for (int i = 0; i < kInspectors; ++i) {
    Tabs->addTab(BuildInspectorTab(i), QString());
  }
  Tabs->addTab(BuildConclusionTab(), QString());
  for (int i = 0; i < kTabs; ++i) {
    Tabs->widget(i)->setObjectName(kTabNames[type == kReportType1 ? 0 : 1][i]);
  }
  Tabs->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
  layout->addWidget(Tabs);
  BuildGrid();
  layout->addWidget(Grid, 1);
}

// Four columns: caption, field, caption, field.
void TReportHeaderPanel::BuildHeader(QVBoxLayout& panelLayout) {
  auto* grid = new QGridLayout;
  grid->setHorizontalSpacing(6);
  grid->setVerticalSpacing(3);
  grid->setColumnStretch(1, 1);
  grid->setColumnStretch(3, 1);
  auto pair = [&](int row, int column, int caption, int field, int span = 1) {
    grid->addWidget(Caption(caption), row, column);
    grid->addWidget(Fields[static_cast<std::size_t>(field)], row, column + 1, 1, span);
  };
  pair(0, 0, kProtocolCaption, 3);
  pair(0, 2, kDateCaption, 2);
  pair(1, 0, kOrganizationCaption, 1, 3);
  grid->addWidget(Caption(kOrganizationCaption2), 2, 1, 1, 3);
  // The object, its description, the reason and the documents take whole
  // rows: their usual texts are sentences and standard numbers that half a
  // row cuts.
  pair(3, 0, kObjectCaption, 4, 3);
  pair(4, 0, kDescriptionCaption, 6, 3);
  pair(5, 0, kReasonCaption, 5, 3);
  pair(6, 0, kDocumentationCaption, 7, 3);
  pair(7, 0, kDeviceTypeCaption, 8);
  pair(7, 2, kDeviceNumberCaption, 9);
  pair(8, 0, kCertificateNumberCaption, 13);
  pair(8, 2, kCertificateDateCaption, 10);
  pair(9, 0, kProbeTypeCaption, 11);
  pair(9, 2, kProbeNumberCaption, 12);
  pair(10, 0, kCharacteristicsCaption, 34, 3);
  pair(11, 0, kAppendixesCaption, 35, 3);
  panelLayout.addLayout(grid);
}

// Name, level and certificate on the first line; expiry and issuing
// organisation on the second.
QWidget* TReportHeaderPanel::BuildInspectorTab(int inspector) {
  auto* sheet = new QWidget;
  const QString prefix = QStringLiteral("Controller") + (Type == kReportType1 ? "" : "2_") +
                         QString::number(inspector + 1);
  auto& captions = InspectorCaptions[static_cast<std::size_t>(inspector)];
  for (int i = 0; i < kInspectorCaptions; ++i) {
    captions[static_cast<std::size_t>(i)] = new QLabel(sheet);
    captions[static_cast<std::size_t>(i)]->setObjectName(prefix + kInspectorCaptionNames[i]);
  }
  const int first = 14 + 5 * inspector;
  auto field = [&](int offset) { return Fields[static_cast<std::size_t>(first + offset)]; };
  QWidget* level = field(1);
  level->setFixedWidth(level->fontMetrics().horizontalAdvance("0000"));
  QWidget* expiry = field(3);
  expiry->setFixedWidth(expiry->fontMetrics().horizontalAdvance("00.00.00000000"));

  auto* lines = new QVBoxLayout(sheet);
  lines->setContentsMargins(6, 4, 6, 4);
  lines->setSpacing(3);
  auto* top = new QHBoxLayout;
  top->addWidget(captions[0]);
  top->addWidget(field(0), 3);
  top->addSpacing(12);
  top->addWidget(captions[1]);
  top->addWidget(level);
  top->addWidget(captions[2]);
  top->addSpacing(12);
  top->addWidget(captions[3]);
  top->addWidget(field(2), 2);
  auto* bottom = new QHBoxLayout;
  bottom->addWidget(captions[4]);
  bottom->addWidget(expiry);
  bottom->addSpacing(12);
  bottom->addWidget(captions[5]);
  bottom->addWidget(field(4), 1);
  lines->addLayout(top);
  lines->addLayout(bottom);
  return sheet;
}

QWidget* TReportHeaderPanel::BuildConclusionTab() {
  auto* sheet = new QWidget;
  auto* memo = qobject_cast<QPlainTextEdit*>(Fields[kReportHeaderFields]);
  // Room for the three lines the conclusion shows at a time.
  const QFontMetrics metrics(memo->font());
  memo->setFixedHeight(3 * metrics.lineSpacing() + 2 * memo->frameWidth() +
                       static_cast<int>(2 * memo->document()->documentMargin()) + 2);
  auto* line = new QHBoxLayout(sheet);
  line->setContentsMargins(6, 4, 6, 4);
  line->addWidget(Caption(kConclusionCaption), 0, Qt::AlignTop);
  line->addWidget(memo, 1);
  return sheet;
}

void TReportHeaderPanel::BuildGrid() {
  const int columns = ReportGridColumnCount(Type);
  Grid = new QTableWidget(2, columns, this);
  Grid->setObjectName(Type == kReportType1 ? "SimpleReportMainReportStringGrid"
                                           : "SimpleReport2MainReportStringGrid");
  Grid->horizontalHeader()->hide();
  Grid->verticalHeader()->hide();
  Grid->setItemDelegate(new TTitleRowDelegate(Grid));
  Grid->setWordWrap(false);
  Grid->setRowHeight(0, 2 * Grid->verticalHeader()->defaultSectionSize());
  for (int column = 0; column < columns; ++column) {
    auto* title = new QTableWidgetItem;
    title->setFlags(Qt::ItemIsEnabled);
    Grid->setItem(0, column, title);
  }
  // The in-place editor lives over the grid's cells and shows itself only
  // while a data cell is being edited.
  GridEditor = new QLineEdit(Grid->viewport());
  GridEditor->setObjectName(Type == kReportType1 ? "SimpleReportEdit" : "SimpleReport2Edit");
  GridEditor->hide();
}

QWidget* TReportHeaderPanel::HeaderFieldControl(int field) const {
  if (field < 1 || field > kReportHeaderFields) {
    return nullptr;
  }
  return Fields[static_cast<std::size_t>(field)];
}

QLabel* TReportHeaderPanel::InspectorCaption(int inspector, int caption) const {
  if (inspector < 0 || inspector >= kInspectors || caption < 0 || caption >= kInspectorCaptions) {
    return nullptr;
  }
  return InspectorCaptions[static_cast<std::size_t>(inspector)][static_cast<std::size_t>(caption)];
}

void TReportHeaderPanel::LoadTexts(const TLocalStrings& strings) {
  for (int i = 0; i < kCaptionCount; ++i) {
    const TCaptionDesign& design = kCaptionDesigns[i];
    if ((Type == kReportType1 ? design.Name1 : design.Name2) != nullptr) {
      Captions[static_cast<std::size_t>(i)]->setText(
          Text(strings.Value(static_cast<std::uint16_t>(design.Value))));
    }
  }
  const QString hint = Text(strings.Caption(kOptionalInspectorHint));
  for (int tab = 0; tab < kTabs; ++tab) {
    Tabs->setTabText(tab, Text(strings.Value(static_cast<std::uint16_t>(kFirstTabValue + tab))));
  }
  for (int inspector = 0; inspector < kInspectors; ++inspector) {
    for (int i = 0; i < kInspectorCaptions; ++i) {
      InspectorCaption(inspector, i)
          ->setText(
              Text(strings.Value(static_cast<std::uint16_t>(kFirstInspectorCaptionValue + i))));
    }
    // Inspectors 2 to 4 are optional: the hint says that an empty name
    // leaves the inspector out of the protocol.
    if (inspector > 0) {
      Tabs->setTabToolTip(inspector, hint);
      Tabs->widget(inspector)->setToolTip(hint);
      HeaderFieldControl(14 + 5 * inspector)->setToolTip(hint);
    }
  }
  const TTitle* titles = Type == kReportType1 ? kTitles1 : kTitles2;
  for (int column = 0; column < Grid->columnCount(); ++column) {
    QString text = Text(strings.Caption(static_cast<std::uint16_t>(titles[column].First)));
    if (titles[column].Second != 0) {
      text += '\n' + Text(strings.Caption(static_cast<std::uint16_t>(titles[column].Second)));
    }
    Grid->item(0, column)->setText(text);
  }
}

std::vector<int> TReportHeaderPanel::TitleWidths() const {
  // As the title row draws them: a smaller font, 6 dots from the left; and
  // as much again on the right.
  const QFontMetrics metrics(TitleFont(Grid->font()));
  std::vector<int> needs;
  for (int column = 0; column < Grid->columnCount(); ++column) {
    int widest = 0;
    for (const QString& line : Grid->item(0, column)->text().split('\n')) {
      widest = std::max(widest, metrics.horizontalAdvance(line));
    }
    needs.push_back(widest == 0 ? 0 : widest + 12);
  }
  return needs;
}

void TReportHeaderPanel::ApplyReportGridColumnWidths() {
  const std::vector<int> needs = TitleWidths();
  for (int column = 0; column < Grid->columnCount(); ++column) {
    const std::vector<int> widths =
        WidenForTitles(ReportGridColumnWidths(Type, Grid->viewport()->width()), needs);
    Grid->setColumnWidth(column, widths[static_cast<std::size_t>(column)]);
  }
}

void TReportHeaderPanel::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (!ColumnWidthsSet && !event->spontaneous()) {
    ColumnWidthsSet = true;
    ApplyReportGridColumnWidths();
  }
}

TSimpleReportMainReportPanel::TSimpleReportMainReportPanel(QWidget* parent)
    : TReportHeaderPanel(kReportType1, parent) {
  setObjectName("SimpleReportMainReportPanel");
  ControllingOrganizationValueComboBox = Field<QComboBox>(1);
  DataValMaskEdit = Field<QLineEdit>(2);
  ProtocolNumValMaskEdit = Field<QComboBox>(3);
  CObjectValComboBox = Field<QComboBox>(4);
  CtrlReasonandDataValueComboBox = Field<QComboBox>(5);
  CtrObjectDescriptionValueComboBox = Field<QComboBox>(6);
  CtrlNTDDocumentationValueComboBox = Field<QComboBox>(7);
  DeviceTypeComboBox = Field<QComboBox>(8);
  DeviceTypeValMaskEdit = Field<QComboBox>(9);
  DeviceSertifDateValMaskEdit = Field<QLineEdit>(10);
  ProbeTypeValComboBox = Field<QComboBox>(11);
  ProbeSeNumValMaskEdit = Field<QComboBox>(12);
  SertifNumValMaskEdit = Field<QComboBox>(13);
  Controller1Name = Field<QLineEdit>(14);
  Controller1LevelMaskEdit = Field<QLineEdit>(15);
  Controller1PaperNumMaskEdit = Field<QComboBox>(16);
  Controller1ExpirationMaskEdit = Field<QLineEdit>(17);
  Controller1PassOrganizationEdit = Field<QLineEdit>(18);
  Controller2Name = Field<QLineEdit>(19);
  Controller2LevelMaskEdit = Field<QLineEdit>(20);
  Controller2PaperNumMaskEdit = Field<QComboBox>(21);
  Controller2ExpirationMaskEdit = Field<QLineEdit>(22);
  Controller2PassOrganizationEdit = Field<QLineEdit>(23);
  Controller3Name = Field<QLineEdit>(24);
  Controller3LevelMaskEdit = Field<QLineEdit>(25);
  Controller3PaperNumMaskEdit = Field<QComboBox>(26);
  Controller3ExpirationMaskEdit = Field<QLineEdit>(27);
  Controller3PassOrganizationEdit = Field<QLineEdit>(28);
  Controller4Name = Field<QLineEdit>(29);
  Controller4LevelMaskEdit = Field<QLineEdit>(30);
  Controller4PaperNumMaskEdit = Field<QComboBox>(31);
  Controller4ExpirationMaskEdit = Field<QLineEdit>(32);
  Controller4PassOrganizationEdit = Field<QLineEdit>(33);
  CtrlCharacteristicsValueComboBox = Field<QComboBox>(34);
  CtrlResultsAppendixesValueEdit = Field<QLineEdit>(35);
  ConclusionsValueMemo = Field<QPlainTextEdit>(36);

  ProtocolVarCaptionLabel = Caption(kProtocolCaption);
  DataValCaptionLabel = Caption(kDateCaption);
  ControllingOrganizationCaptionLabel = Caption(kOrganizationCaption);
  ControllingOrganizationCaptionLabel2 = Caption(kOrganizationCaption2);
  CObjectValCaptionLabel = Caption(kObjectCaption);
  CtrlReasonandDataCaptionLabel = Caption(kReasonCaption);
  CtrObjectDescriptionCaptionLabel = Caption(kDescriptionCaption);
  CtrlNTDDocumentationCaptionLabel = Caption(kDocumentationCaption);
  DeviceTypeCaptionLabel = Caption(kDeviceTypeCaption);
  DeviceNumberCaptionLabel = Caption(kDeviceNumberCaption);
  SertifNumValCaptionLabel = Caption(kCertificateNumberCaption);
  SertifDateValCaptionLabel = Caption(kCertificateDateCaption);
  ProbeTypeValCaptionLabel = Caption(kProbeTypeCaption);
  ProbeSeNumValCaptionLabel = Caption(kProbeNumberCaption);
  CtrlCharacteristicsCaptionLabel = Caption(kCharacteristicsCaption);
  ControlREsultsAppendixesLabel = Caption(kAppendixesCaption);
  ZakljuchenijeLabel = Caption(kConclusionCaption);

  ChiefControllerTabSheet = TabSheet(0);
  Controller1TabSheet = TabSheet(1);
  Controller2TabSheet = TabSheet(2);
  Controller3TabSheet = TabSheet(3);
  ConclusionTabSheet = TabSheet(4);

  SimpleReportMainReportStringGrid = ReportGrid();
  SimpleReportEdit = ReportGridEditor();
}

TSimpleReport2MainReportPanel::TSimpleReport2MainReportPanel(QWidget* parent)
    : TReportHeaderPanel(kReportType2, parent) {
  setObjectName("SimpleReport2MainReportPanel");
  ControllingOrganization2ValueComboBox = Field<QComboBox>(1);
  Data2ValMaskEdit = Field<QLineEdit>(2);
  ProtocolNum2ValMaskEdit = Field<QLineEdit>(3);
  CObject2ValComboBox = Field<QComboBox>(4);
  CtrlReasonandData2ValueComboBox = Field<QComboBox>(5);
  CtrObjectDescription2ValueComboBox = Field<QComboBox>(6);
  CtrlNTDDocumentation2ValueComboBox = Field<QComboBox>(7);
  DeviceType2ComboBox = Field<QComboBox>(8);
  DeviceType2ValMaskEdit = Field<QComboBox>(9);
  DeviceSertifDate2ValMaskEdit = Field<QLineEdit>(10);
  ProbeType2ValComboBox = Field<QComboBox>(11);
  ProbeSeNum2ValMaskEdit = Field<QComboBox>(12);
  SertifNum2ValMaskEdit = Field<QComboBox>(13);
  Controller2_1Name = Field<QLineEdit>(14);
  Controller2_1LevelMaskEdit = Field<QLineEdit>(15);
  Controller2_1PaperNumMaskEdit = Field<QComboBox>(16);
  Controller2_1ExpirationMaskEdit = Field<QLineEdit>(17);
  Controller2_1PassOrganizationEdit = Field<QLineEdit>(18);
  Controller2_2Name = Field<QLineEdit>(19);
  Controller2_2LevelMaskEdit = Field<QLineEdit>(20);
  Controller2_2PaperNumMaskEdit = Field<QComboBox>(21);
  Controller2_2ExpirationMaskEdit = Field<QLineEdit>(22);
  Controller2_2PassOrganizationEdit = Field<QLineEdit>(23);
  Controller2_3Name = Field<QLineEdit>(24);
  Controller2_3LevelMaskEdit = Field<QLineEdit>(25);
  Controller2_3PaperNumMaskEdit = Field<QComboBox>(26);
  Controller2_3ExpirationMaskEdit = Field<QLineEdit>(27);
  Controller2_3PassOrganizationEdit = Field<QLineEdit>(28);
  Controller2_4Name = Field<QLineEdit>(29);
  Controller2_4LevelMaskEdit = Field<QLineEdit>(30);
  Controller2_4PaperNumMaskEdit = Field<QComboBox>(31);
  Controller2_4ExpirationMaskEdit = Field<QLineEdit>(32);
  Controller2_4PassOrganizationEdit = Field<QLineEdit>(33);
  CtrlCharacteristics2ValueComboBox = Field<QComboBox>(34);
  CtrlResultsAppendixes2ValueEdit = Field<QLineEdit>(35);
  Conclusions2ValueMemo = Field<QPlainTextEdit>(36);

  Data2ValCaptionLabel = Caption(kDateCaption);
  ControllingOrganization2CaptionLabel = Caption(kOrganizationCaption);
  ControllingOrganization2CaptionLabel2 = Caption(kOrganizationCaption2);
  CObject2ValCaptionLabel = Caption(kObjectCaption);
  CtrlReasonandData2CaptionLabel = Caption(kReasonCaption);
  CtrObjectDescription2CaptionLabel = Caption(kDescriptionCaption);
  CtrlNTDDocumentation2CaptionLabel = Caption(kDocumentationCaption);
  DeviceType2CaptionLabel = Caption(kDeviceTypeCaption);
  DeviceNumber2CaptionLabel = Caption(kDeviceNumberCaption);
  SertifNum2ValCaptionLabel = Caption(kCertificateNumberCaption);
  SertifDate2ValCaptionLabel = Caption(kCertificateDateCaption);
  ProbeType2ValCaptionLabel = Caption(kProbeTypeCaption);
  ProbeSeNum2ValCaptionLabel = Caption(kProbeNumberCaption);
  CtrlCharacteristics2CaptionLabel = Caption(kCharacteristicsCaption);
  ControlREsultsAppendixes2Label = Caption(kAppendixesCaption);
  Zakljuchenije2Label = Caption(kConclusionCaption);

  ChiefController2TabSheet = TabSheet(0);
  Controller2_1TabSheet = TabSheet(1);
  Controller2_2TabSheet = TabSheet(2);
  Controller2_3TabSheet = TabSheet(3);
  Conclusion2TabSheet = TabSheet(4);

  SimpleReport2MainReportStringGrid = ReportGrid();
  SimpleReport2Edit = ReportGridEditor();
}

namespace {

QString ControlText(const QWidget* control) {
  if (const auto* combo = qobject_cast<const QComboBox*>(control)) {
    return combo->currentText();
  }
  if (const auto* edit = qobject_cast<const QLineEdit*>(control)) {
    return edit->text();
  }
  if (const auto* memo = qobject_cast<const QPlainTextEdit*>(control)) {
    // The model keeps the conclusion's lines joined by CR LF, as the files do.
    return memo->toPlainText().replace('\n', QStringLiteral("\r\n"));
  }
  return {};
}

void SetControlText(QWidget* control, int field, const QString& text) {
  if (auto* combo = qobject_cast<QComboBox*>(control)) {
    combo->setEditText(text);
    // A text longer than the field shows its beginning, not its end.
    combo->lineEdit()->setCursorPosition(0);
  } else if (auto* edit = qobject_cast<QLineEdit*>(control)) {
    // A masked field whose mask cannot hold the text as it stands (a date
    // written by hand into a report file, an empty one) shows it without
    // the mask: reshaping it would put another date into the report.
    const QString mask = HeaderFieldInputMask(field);
    edit->setInputMask(mask);
    edit->setText(text);
    if (!mask.isEmpty() && edit->text() != text) {
      edit->setInputMask(QString());
      edit->setText(text);
    }
    edit->setCursorPosition(0);
  } else if (auto* memo = qobject_cast<QPlainTextEdit*>(control)) {
    QString lines = text;
    lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace('\r', '\n');
    // Not an edit of the user's: the conclusion's line limits act on what
    // is typed, so a conclusion read from a file is shown whole.
    const QSignalBlocker quiet(memo);
    memo->setPlainText(lines);
  }
}

}  // namespace

TReportTabForm::TReportTabForm(TSimpleReportMainReportPanel& panel1,
                               TSimpleReport2MainReportPanel& panel2, bool isMainWindow)
    : Panel1(panel1), Panel2(panel2), MainWindow(isMainWindow) {}

TReportHeaderPanel* TReportTabForm::Panel(int type) const {
  if (type == kReportType1) {
    return &Panel1;
  }
  if (type == kReportType2) {
    return &Panel2;
  }
  return nullptr;
}

std::string TReportTabForm::HeaderFieldText(int type, int field) const {
  const TReportHeaderPanel* panel = Panel(type);
  return panel ? ToCp1251(ControlText(panel->HeaderFieldControl(field))) : std::string();
}

void TReportTabForm::SetHeaderFieldText(int type, int field, const std::string& text) {
  if (TReportHeaderPanel* panel = Panel(type)) {
    SetControlText(panel->HeaderFieldControl(field), field, FromCp1251(text));
  }
}

int TReportTabForm::ReportGridRowCount(int type) const {
  const TReportHeaderPanel* panel = Panel(type);
  return panel ? panel->ReportGrid()->rowCount() : 0;
}

void TReportTabForm::SetReportGridRowCount(int type, int rows) {
  if (TReportHeaderPanel* panel = Panel(type)) {
    panel->ReportGrid()->setRowCount(std::max(rows, 1));
  }
}

std::string TReportTabForm::ReportGridCell(int type, int column, int row) const {
  const TReportHeaderPanel* panel = Panel(type);
  if (panel == nullptr) {
    return {};
  }
  const QTableWidgetItem* item = panel->ReportGrid()->item(row, column);
  return item ? ToCp1251(item->text()) : std::string();
}

void TReportTabForm::SetReportGridCell(int type, int column, int row, const std::string& text) {
  TReportHeaderPanel* panel = Panel(type);
  if (panel == nullptr) {
    return;
  }
  QTableWidget* grid = panel->ReportGrid();
  if (row < 0 || row >= grid->rowCount() || column < 0 || column >= grid->columnCount()) {
    return;
  }
  if (QTableWidgetItem* item = grid->item(row, column)) {
    item->setText(FromCp1251(text));
  } else {
    grid->setItem(row, column, new QTableWidgetItem(FromCp1251(text)));
  }
}

std::string TReportTabForm::SheetCaptionText(int type, TSheetCaptionLabel label) const {
  const TReportHeaderPanel* panel = Panel(type);
  if (panel == nullptr) {
    return {};
  }
  // The inspectors' captions stand by the first inspector's fields.
  const auto inspector = [panel](int caption) {
    const QLabel* shown = panel->InspectorCaption(0, caption);
    return shown ? ToCp1251(shown->text()) : std::string();
  };
  const char* name = nullptr;
  switch (label) {
    case TSheetCaptionLabel::Specialist: return inspector(1);  // "Специалист"
    case TSheetCaptionLabel::Expiry: return inspector(4);
    case TSheetCaptionLabel::Issuing: return inspector(5);
    case TSheetCaptionLabel::ControlObject: name = "CObjectValCaptionLabel"; break;
    case TSheetCaptionLabel::ReasonAndDate: name = "CtrlReasonandDataCaptionLabel"; break;
    case TSheetCaptionLabel::ObjectDescription: name = "CtrObjectDescriptionCaptionLabel"; break;
    case TSheetCaptionLabel::NormativeDocumentation: name = "CtrlNTDDocumentationCaptionLabel"; break;
    case TSheetCaptionLabel::DeviceType: name = "DeviceTypeCaptionLabel"; break;
    case TSheetCaptionLabel::CertificateNumber: name = "SertifNumValCaptionLabel"; break;
    case TSheetCaptionLabel::CertificateExpiry: name = "SertifDateValCaptionLabel"; break;
    case TSheetCaptionLabel::ProbeSerialNumber: name = "ProbeSeNumValCaptionLabel"; break;
    case TSheetCaptionLabel::ControlCharacteristics: name = "CtrlCharacteristicsCaptionLabel"; break;
    case TSheetCaptionLabel::Appendixes: name = "ControlREsultsAppendixesLabel"; break;
    case TSheetCaptionLabel::Conclusion: name = "ZakljuchenijeLabel"; break;
  }
  // The type-2 panel names its labels with a "2" (see the caption designs).
  for (const TCaptionDesign& design : kCaptionDesigns) {
    if (std::string_view(design.Name1) == name) {
      const char* own = type == kReportType1 ? design.Name1 : design.Name2;
      const QLabel* shown = own ? panel->findChild<QLabel*>(QString::fromLatin1(own)) : nullptr;
      return shown ? ToCp1251(shown->text()) : std::string();
    }
  }
  return {};
}

}  // namespace velt
