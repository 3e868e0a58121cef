#include <ui/online/OnlineReadoutsUnit.h>

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include <records/UniversalDataObjectUnit.h>
#include <strings/LocalStringsUnit.h>
#include <ui/widgets/Cp1251.h>
#include <ui/widgets/Lcd99.h>

namespace velt {

namespace {

constexpr std::array<const char*, kOnlineReadouts> kReadoutNames = {
    "PoiskValueOnlineLCD99",  "EqSqValueOnlineLCD99", "AttenuatorValueOnlineLCD99",
    "LevelValueOnlineLCD99",  "TimeValueOnlineLCD99", "PathValueOnlineLCD99",
    "OtstupValueOnlineLCD99", "DepthValueOnlineLCD99"};

// Red segments on black with dark grey unlit ones, like the instrument.
const QColor kLitSegment(255, 0, 0);
const QColor kUnlitSegment(31, 31, 31);
const QColor kBackground(0, 0, 0);

// The readout's height and the width of one digit position in it.
constexpr int kReadoutHeight = 34;
constexpr int kDigitWidth = 23;

TLCD99* MakeReadout(QWidget* parent, std::size_t i) {
  auto* lcd = new TLCD99(parent);
  lcd->setObjectName(QString::fromLatin1(kReadoutNames[i]));
  lcd->SetDigitNum(kOnlineReadoutDigits[i]);
  lcd->SetDotSpacing(0);
  lcd->SetGapX(1);
  lcd->SetGapY(1);
  lcd->SetOffColor(kUnlitSegment);
  lcd->SetOnColor(kLitSegment);
  lcd->SetColor(kBackground);
  lcd->setFixedSize(kDigitWidth * kOnlineReadoutDigits[i], kReadoutHeight);
  return lcd;
}

QLabel* MakeLabel(QWidget* parent, const char* name) {
  auto* label = new QLabel(parent);
  label->setObjectName(QString::fromLatin1(name));
  return label;
}

}  // namespace

TOnlineReadouts::TOnlineReadouts(QWidget* parent) : QWidget(parent) {
  auto* strip = new QHBoxLayout(this);
  strip->setContentsMargins(2, 2, 2, 2);
  for (std::size_t i = 0; i < kOnlineReadouts; ++i) {
    Readouts[i] = MakeReadout(this, i);
    Captions[i] = new QLabel(this);
    Captions[i]->setObjectName(QString::fromLatin1(kReadoutNames[i]).replace("LCD99", "Caption"));
    auto* column = new QVBoxLayout;
    column->addWidget(Captions[i]);
    if (i == kDepthReadout) {
      // The depth of a reflection past the first leg reads as thickness
      // times legs plus the depth shown: the labels stand before it.
      Thickness = MakeLabel(this, "DepthTolshinaOnlineValueLabel");
      Leg = MakeLabel(this, "DepthKratnostOnlineValueLabel");
      Plus = MakeLabel(this, "DepthPlusOnlineCaptionLabel");
      auto* row = new QHBoxLayout;
      row->addWidget(Thickness);
      row->addWidget(Leg);
      row->addWidget(Plus);
      row->addWidget(Readouts[i]);
      column->addLayout(row);
    } else {
      column->addWidget(Readouts[i]);
    }
    strip->addLayout(column);
  }
  strip->addStretch();
  Clear();
}

void TOnlineReadouts::LoadTexts(const TLocalStrings& strings) {
  for (std::size_t i = 0; i < kOnlineReadouts; ++i) {
    Captions[i]->setText(
        FromCp1251(strings.Value(static_cast<std::uint16_t>(kFirstOnlineReadoutCaption + i))));
  }
}

void TOnlineReadouts::Show(TDataCell& drawingRecord) {
  if (drawingRecord.Configuration() == nullptr) {
    return;
  }
  ShowTexts(OnlineReadoutTexts(OnlineReadoutValues(drawingRecord)));
}

void TOnlineReadouts::Clear() {
  ShowTexts(DiscardedReadoutTexts());
}

void TOnlineReadouts::ShowTexts(const TOnlineReadoutTexts& texts) {
  for (std::size_t i = 0; i < kOnlineReadouts; ++i) {
    Readouts[i]->SetValue(QString::fromStdString(texts.Values[i]));
  }
  Thickness->setText(QString::fromStdString(texts.Thickness));
  Leg->setText(QString::fromStdString(texts.Leg));
  Plus->setText(QString::fromStdString(texts.Plus));
}

TLCD99& TOnlineReadouts::Readout(int index) const {
  return *Readouts.at(static_cast<std::size_t>(index));
}

QLabel& TOnlineReadouts::Caption(int index) const {
  return *Captions.at(static_cast<std::size_t>(index));
}

QString TOnlineReadouts::ThicknessText() const {
  return Thickness->text();
}
QString TOnlineReadouts::LegText() const {
  return Leg->text();
}
QString TOnlineReadouts::PlusText() const {
  return Plus->text();
}

}  // namespace velt
