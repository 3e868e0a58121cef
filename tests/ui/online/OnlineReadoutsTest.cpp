// The online readout strip: its readouts as the tab sets them up, the
// captions, the discarded state, and a record's measurement on the readouts.
#include <ui/online/OnlineReadoutsUnit.h>

#include <gtest/gtest.h>

#include <QLabel>
#include <QStringList>
#include <memory>
#include <tuple>

#include <config/BaseConfigObjectsUnit.h>
#include <records/UniversalDataObjectUnit.h>
#include <strings/LocalStringsUnit.h>
#include <ui/widgets/Cp1251.h>
#include <ui/widgets/Lcd99.h>

#include "support/RecordingFeedback.h"
#include "ui/QtApplicationEnvironment.h"

namespace velt {
namespace {

constexpr int kCount = static_cast<int>(kOnlineReadouts);

QStringList Values(const TOnlineReadouts& strip) {
  QStringList values;
  for (int i = 0; i < kCount; ++i) {
    values << strip.Readout(i).Value();
  }
  return values;
}

TEST(OnlineReadouts, Readouts) {
  const TOnlineReadouts strip;
  const struct {
    const char* Name;
    int Digits;
  } readouts[] = {{"PoiskValueOnlineLCD99", 3},      {"EqSqValueOnlineLCD99", 4},
                  {"AttenuatorValueOnlineLCD99", 3}, {"LevelValueOnlineLCD99", 3},
                  {"TimeValueOnlineLCD99", 4},       {"PathValueOnlineLCD99", 4},
                  {"OtstupValueOnlineLCD99", 4},     {"DepthValueOnlineLCD99", 4}};
  for (int i = 0; i < kCount; ++i) {
    const TLCD99& lcd = strip.Readout(i);
    EXPECT_EQ(lcd.objectName(), readouts[i].Name);
    EXPECT_EQ(strip.findChild<TLCD99*>(readouts[i].Name), &lcd);
    EXPECT_EQ(lcd.DigitNum(), readouts[i].Digits) << readouts[i].Name;
    EXPECT_EQ(lcd.OnColor(), QColor(255, 0, 0));
    EXPECT_EQ(lcd.OffColor(), QColor(31, 31, 31));
    EXPECT_EQ(lcd.Color(), QColor(0, 0, 0));
    EXPECT_EQ(std::make_tuple(lcd.DotSpacing(), lcd.GapX(), lcd.GapY()), std::make_tuple(0, 1, 1));
  }
  for (const char* label : {"DepthTolshinaOnlineValueLabel", "DepthKratnostOnlineValueLabel",
                            "DepthPlusOnlineCaptionLabel"}) {
    EXPECT_NE(strip.findChild<QLabel*>(label), nullptr) << label;
  }
}

TEST(OnlineReadouts, Captions) {
  testing::TRecordingFeedback feedback;
  TLocalStrings strings(feedback);
  ASSERT_TRUE(strings.LoadStringFiles(VELT_SOURCE_DIR "/strings"));
  TOnlineReadouts strip;
  strip.LoadTexts(strings);
  for (int i = 0; i < kCount; ++i) {
    EXPECT_EQ(strip.Caption(i).text(), FromCp1251(strings.Value(49 + i)));
  }
  EXPECT_NE(strip.Caption(0).text(), strip.Caption(1).text());
}

// A 65 degree probe on 20 mm, 62 on the attenuator, an empty A-scan: the
// same record the core's table measures.
std::unique_ptr<TDataCell> AngleProbeRecord() {
  auto record = std::make_unique<TDataCell>();
  auto cell = std::make_unique<TBaseConfigCell>();
  cell->Initialise();
  cell->ATTENUATOR1 = 62;
  cell->INSERTION_ANGLE = 65;
  cell->THICKNESS = 20;
  cell->POISK = 0;
  record->AttachOwned(std::move(cell));
  return record;
}

// Shown, cleared, and a record without a cell (which leaves what is shown).
TEST(OnlineReadouts, ShowAndClear) {
  const QStringList discarded = {"--", "---", "---", "---", "---", "---", "---", "---"};
  const QStringList shown = {"--", "--", "28", "OFF", "32.0", "52.0", "35.1", "18.0"};
  TOnlineReadouts strip;
  EXPECT_EQ(Values(strip), discarded);

  auto record = AngleProbeRecord();
  strip.Show(*record);
  EXPECT_EQ(Values(strip), shown);
  EXPECT_EQ(strip.ThicknessText() + strip.LegText() + strip.PlusText(), "20.0x1+");

  TDataCell empty;
  strip.Show(empty);
  EXPECT_EQ(Values(strip), shown);

  strip.Clear();
  EXPECT_EQ(Values(strip), discarded);
  EXPECT_EQ(strip.ThicknessText(), "- - - - -");
  EXPECT_EQ(strip.LegText(), "x -");
}

}  // namespace
}  // namespace velt
