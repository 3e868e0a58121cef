// The parameter values of the base layout: the editing schemes of the 30
// numbered parameters, their display texts with the shipped value strings,
// setting them from typed or picked text, the grid editors and drop-down
// lists they fill, the unit conversions, the TGV point list, and the
// behaviour with field values that no instrument would send.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdint>
#include <functional>
#include <limits>
#include <numbers>
#include <string>
#include <vector>

#include <config/BaseConfigObjectsUnit.h>
#include <strings/LocalStringsUnit.h>
#include <support/RecordingFeedback.h>

namespace velt {
namespace {

constexpr const char* kStringsFolder = VELT_SOURCE_DIR "/strings";

// ---- Fakes of the editor and list controls -----------------------------------

class TRecordingEditor : public IParameterEditor {
 public:
  void SetEditMask(const std::string& mask) override { Masks.push_back(mask); }
  void SetPickList(const std::vector<std::string>& entries) override {
    PickLists.push_back(entries);
  }
  std::vector<std::string> Masks;
  std::vector<std::vector<std::string>> PickLists;
};

class TRecordingList : public IParameterList {
 public:
  void Clear() override { Log.push_back("clear"); }
  void Add(const std::string& entry) override { Log.push_back("add " + entry); }
  void SelectFirst() override { Log.push_back("select"); }
  std::vector<std::string> Log;
};

// A cell that counts the depth grid updates it is asked for.
class TCountingCell : public TBaseConfigCell {
 public:
  void UpdateDepthGrid() override { ++DepthGridUpdates; }
  int DepthGridUpdates = 0;
};

// ---- The fixture: a default cell with the shipped value strings ----------------

class ParametersTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(Strings.LoadStringFiles(kStringsFolder));
    SetProgramStrings(&Strings);
    Cell.Initialise();
  }
  void TearDown() override { SetProgramStrings(nullptr); }

  std::string V(std::uint16_t n) const { return Strings.Value(n); }

  // The pick lists of the base schemes, composed from the value strings
  // as the instrument's tables give them.
  std::vector<std::string> ExpectedEntries(std::uint8_t p) const {
    switch (p) {
      case 6:
        return {" " + V(31), " " + V(157), " " + V(64)};
      case 8:
        return {" " + V(21), " " + V(22)};
      case 9:
        return {"  15.0", "  12.5", "  10.0", "   8.0", "   7.0", "   6.0", "   5.5", "   5.0",
                "   4.5", "   4.0", "   3.8", "   3.6", "   3.3", "   3.0", "   2.9", "   2.8",
                "   2.6", "   2.5", "   2.4", "   2.3", "   2.2", "   2.1", "   2.0", "   1.9",
                "   1.8", "   1.7", "   1.6", "   1.5", "   1.4", "   1.3", "   1.2", "   1.1",
                "   1.0", "   0.9", "   0.8", "   0.7", "   0.6", "   0.5"};
      case 13:
        return {"  20", " 100", " 200"};
      case 16:
        return {" " + V(31), " " + V(32)};
      case 17:
        return {" " + V(32), " " + V(31)};
      case 22:
        return {V(38) + "    " + V(39), V(38) + "    " + V(40), V(38) + "    " + V(42)};
      case 28:
        return {V(39), V(40), V(42)};
      default:
        return {};
    }
  }

  std::vector<std::string> AllTexts(const TBaseConfigCell& cell) const {
    std::vector<std::string> texts;
    for (int p = 0; p < kParameterCount; ++p) {
      texts.push_back(cell.ParameterText(static_cast<std::uint8_t>(p)));
    }
    return texts;
  }

  testing::TRecordingFeedback Feedback;
  TLocalStrings Strings{Feedback};
  TBaseConfigCell Cell;
};

TEST_F(ParametersTest, TheShippedValueStringsAreInstalled) {
  // "нет", "да" and "АРД" in Windows-1251.
  EXPECT_EQ(ValueString(31), "\xED\xE5\xF2");
  EXPECT_EQ(ValueString(32), "\xE4\xE0");
  EXPECT_EQ(ValueString(64), "\xC0\xD0\xC4");
  EXPECT_TRUE(Feedback.Messages.empty());
}

// ---- Schemes ----------------------------------------------------------------------

struct TSchemeFacts {
  int P;
  std::uint8_t Kind;
  double RealMin, RealMax;
  std::int32_t IntMin, IntMax;
  double Last;
  std::size_t Mask;
  std::uint8_t EntryCount;
};

TEST_F(ParametersTest, BaseSchemesHaveTheirKindsBoundsMasksAndStartingValues) {
  const TSchemeFacts facts[] = {
      // Strobe begin column 0..318, end column 1..320, level percent 3..97.
      {0, kRealKind, 0, 0, 0, 318, 10.0, 6, 0},
      {1, kRealKind, 0, 0, 1, 320, 10.0, 5, 0},
      {2, kRealKind, 0, 0, 3, 97, 10.0, 4, 0},
      {3, kRealKind, 0, 0, 0, 318, 10.0, 6, 0},
      {4, kRealKind, 0, 0, 1, 320, 10.0, 5, 0},
      {5, kRealKind, 0, 0, 3, 97, 10.0, 4, 0},
      {6, kOwnListKind, 0, 0, 0, 2, 0, 0, 3},
      {8, kOwnListKind, 0, 0, 0, 1, 0, 0, 2},
      {9, kOwnListKind, 0, 0, 0, 37, 0, 0, 38},
      {10, kIntegerKind, 0, 0, 0, 90, 0, 3, 0},
      {11, kRealKind, 0.00, 99.99, 0, 0, 0, 5, 0},
      {12, kRealKind, 0.0, 49.9, 0, 0, 0, 4, 0},
      {13, kOwnListKind, 0, 0, 0, 2, 0, 0, 3},
      {14, kRealKind, 0.5, 5.0, 0, 0, 0.5, 4, 0},
      {15, kIntegerKind, 0, 0, 5, 50, 10, 2, 0},
      {16, kOwnListKind, 0, 0, 0, 1, 0, 0, 2},
      {17, kOwnListKind, 0, 0, 0, 1, 0, 0, 2},
      {18, kIntegerKind, 0, 0, 1000, 15000, 5914, 5, 0},
      {19, kRealKind, 0.0, 499.9, 0, 0, 0, 6, 0},
      {20, kIntegerKind, 0, 0, 0, 140, 10, 3, 0},
      {21, kIntegerKind, 0, 0, 0, 100, 0, 3, 0},
      {22, kOwnListKind, 0, 0, 0, 2, 0, 0, 3},
      {23, kRealKind, 0.1, 25.0, 0, 0, 12.0, 4, 0},
      {24, kRealKind, 0.1, 25.0, 0, 0, 12.0, 4, 0},
      {25, kIntegerKind, 0, 0, 0, 200, 0, 3, 0},
      {26, kRealKind, 0.0, 99.9, 0, 0, 0, 4, 0},
      {27, kIntegerKind, 0, 0, 0, 12, 12, 2, 0},
      {28, kOwnListKind, 0, 0, 0, 2, 0, 0, 3},
      {29, kIntegerKind, 0, 0, 1, 50, 1, 2, 0},
  };
  for (const TSchemeFacts& f : facts) {
    SCOPED_TRACE("parameter " + std::to_string(f.P));
    const SINGLE_PARAM_SCHEME& s = Cell.Schemes[static_cast<std::size_t>(f.P)];
    EXPECT_EQ(s.Kind, f.Kind);
    EXPECT_DOUBLE_EQ(s.RealMin, f.RealMin);
    EXPECT_DOUBLE_EQ(s.RealMax, f.RealMax);
    EXPECT_EQ(s.IntMin, f.IntMin);
    EXPECT_EQ(s.IntMax, f.IntMax);
    EXPECT_DOUBLE_EQ(s.LastAccepted, f.Last);
    EXPECT_EQ(s.EditMask, std::string(f.Mask, 'c'));
    EXPECT_EQ(s.EntryCount, f.EntryCount);
  }
}

TEST_F(ParametersTest, RebuildingTheSchemesForgetsTheLastAcceptedValues) {
  ASSERT_EQ(Cell.SetParameterText("2000", 18), kAccepted);
  ASSERT_EQ(Cell.SetParameterText("3000", 18), kAccepted);
  EXPECT_DOUBLE_EQ(Cell.Schemes[18].LastAccepted, 2000);
  Cell.BuildParameterSchemes();
  EXPECT_DOUBLE_EQ(Cell.Schemes[18].LastAccepted, 5914);
  // Refused now, the velocity goes back to the scheme's starting value.
  Cell.VELOCITY = 20000;
  EXPECT_EQ(Cell.SetParameterText("x", 18), kNotANumber);
  EXPECT_EQ(Cell.VELOCITY, 5914);
}

// ---- Parameter texts ----------------------------------------------------------------

TEST_F(ParametersTest, ParameterTextsOfTheDefaultSetup) {
  // The default setup carries no millimetre pixel length, so the strobe
  // distances show as 0; the levels are 90 dB + 20 lg(30 % and 20 % of 180).
  // clang-format off
  const std::vector<std::string> expected = {
      "   0.0",    "   0.0",    " 124.6",    "   0.0",  "   0.0",                   // 0..4
      " 121.1",    " " + V(31), "",          " " + V(21), "   2.5",                 // 5..9
      "  65",      "   8.60",   "  12.0",    "  20",    "   1.0",                   // 10..14
      "  50",      " " + V(31), " " + V(32), "3250",    "  12.0",                   // 15..19
      "   0",      "   0",      V(38) + "    " + V(39), "  12.0", "   0.0",        // 20..24
      "   0",      "   0.0",    "   0",      V(39),     "   1",                     // 25..29
  };
  // clang-format on

  EXPECT_EQ(AllTexts(Cell), expected);
}

TEST_F(ParametersTest, ParameterTextsOfAMeasuredSetup) {
  // Beam at 60 degrees into a 4 mm plate, 1 mm per division over 10 pixels:
  // column x is x / 20 mm of path.
  Cell.INSERTION_ANGLE = 60;
  Cell.THICKNESS = 4;
  Cell.INDEX_MARK_MM = 2;
  Cell.PIXEL_GRID_LENGTH_MM = 10;
  Cell.STROBE_1_BEGIN = 30;   // 1.5 mm
  Cell.STROBE_1_END = 48;     // 2.4 mm
  Cell.STROBE_2_BEGIN = 100;  // 5 mm: one leg down, 1 mm back up
  Cell.STROBE_2_END = 150;    // 7.5 mm
  Cell.ATTENUATOR1 = 50;
  Cell.STROBE_1_LEVEL_PERCENT = 50;
  Cell.STROBE_2_LEVEL_PERCENT = 20;
  Cell.TVG_ENABLED = 2;
  Cell.PROBE_TYPE = 1;
  Cell.PROBE_FREQ = 0;
  Cell.PROBE_DELAY = 12.34;
  Cell.PROBE_ARROW = 7.3;
  Cell.PROBE_PULSE = 2;
  Cell.ZONDER_PULSE_PERIODS = 2.5;
  Cell.REFRESH_RATE = 5;
  Cell.FILTER_BAND = 1;
  Cell.VCURSOR_ENABLED = 2;
  Cell.VELOCITY = 5900;
  Cell.POISK = 140;
  Cell.OTSECHKA = 100;
  Cell.SCREEN_UNITS = 2;
  Cell.ARD_PLATE_DIAMETER = 25;
  Cell.ARD_PLATE_FLOOR_DIAMETER = 0.1;
  Cell.ARD_SIGNAL_AMPLITUDE = 70.5;  // shown rounded, ties to even
  Cell.ARD_ATTENUATION = 99.9;
  Cell.ARD_CORRECTION = 12;
  Cell.Parameter29Value = 50;
  // clang-format off
  const std::vector<std::string> expected = {
      "   1.5",    "   0.9",    "  79.1",    "   3.0",  "   2.5",                   // 0..4
      "  71.1",    " " + V(64), "",          " " + V(22), "  15.0",                 // 5..9
      "  60",      "  12.34",   "   7.3",    " 200",    "   2.5",                   // 10..14
      "   5",      " " + V(32), " " + V(31), "5900",    "   4.0",                   // 15..19
      " 140",      " 100",      V(38) + "    " + V(42), "  25.0", "   0.1",        // 20..24
      "  70",      "  99.9",    "  12",      V(42),     "  50",                    // 25..29
  };
  // clang-format on

  EXPECT_EQ(AllTexts(Cell), expected);
}

TEST_F(ParametersTest, UnusedAndUnknownParametersHaveNoText) {
  for (int p : {7, 30, 31, 100, 255}) {
    EXPECT_EQ(Cell.ParameterText(static_cast<std::uint8_t>(p)), "") << p;
  }
}

TEST_F(ParametersTest, TextsUseTheCellsDecimalSeparator) {
  TBaseConfigCell comma(TNumberFormat{',', ' '});
  comma.Initialise();
  EXPECT_EQ(comma.ParameterText(11), "   8,60");
  EXPECT_EQ(comma.ParameterText(9), "   2,5");
  EXPECT_EQ(comma.ParameterText(2), " 124,6");
  EXPECT_EQ(comma.Schemes[9].Entries.front(), "  15,0");
}

TEST_F(ParametersTest, SwitchFieldsShowTheirTwoEntries) {
  const std::vector<std::string> filter = ExpectedEntries(16);
  const std::vector<std::string> cursor = ExpectedEntries(17);
  for (int value : {0, 1, 2, 255}) {
    Cell.FILTER_BAND = static_cast<std::uint8_t>(value);
    Cell.VCURSOR_ENABLED = static_cast<std::uint8_t>(value);
    EXPECT_EQ(Cell.ParameterText(16), filter[value == 0 ? 0 : 1]) << value;
    EXPECT_EQ(Cell.ParameterText(17), cursor[value != 0 ? 1 : 0]) << value;
  }
}

// Cells may be created before the main window installs the strings; their
// lists follow the strings installed when the text is asked for.
TEST(ParameterValueStringsTest, ListsOfACellMadeBeforeTheStringsFollowTheStrings) {
  SetProgramStrings(nullptr);
  TBaseConfigCell cell;
  cell.Initialise();
  EXPECT_EQ(cell.ParameterText(6), " ");
  EXPECT_EQ(cell.ParameterText(28), "");

  testing::TRecordingFeedback feedback;
  TLocalStrings strings(feedback);
  ASSERT_TRUE(strings.LoadStringFiles(kStringsFolder));
  SetProgramStrings(&strings);
  EXPECT_EQ(cell.ParameterText(6), " " + strings.Value(31));
  EXPECT_EQ(cell.ParameterText(22), strings.Value(38) + "    " + strings.Value(39));
  EXPECT_EQ(cell.SetParameterText(" " + strings.Value(64), 6), kAccepted);
  EXPECT_EQ(cell.TVG_ENABLED, 2);
  TRecordingEditor editor;
  cell.SetUpParameterEditor(editor, 28);
  ASSERT_EQ(editor.PickLists.size(), 1u);
  EXPECT_EQ(editor.PickLists[0],
            (std::vector<std::string>{strings.Value(39), strings.Value(40), strings.Value(42)}));
  SetProgramStrings(nullptr);
}

// ---- Set parameter text: integers --------------------------------------------------

struct TIntegerParameter {
  int P;
  std::function<double(const TBaseConfigCell&)> Get;
  std::function<void(TBaseConfigCell&, int)> Put;
  int Min;
  int Max;
};

std::vector<TIntegerParameter> IntegerParameters() {
  return {
      {10, [](const TBaseConfigCell& c) { return double(c.INSERTION_ANGLE); },
       [](TBaseConfigCell& c, int v) { c.INSERTION_ANGLE = static_cast<std::uint8_t>(v); }, 0, 90},
      {15, [](const TBaseConfigCell& c) { return double(c.REFRESH_RATE); },
       [](TBaseConfigCell& c, int v) { c.REFRESH_RATE = static_cast<std::uint8_t>(v); }, 5, 50},
      {18, [](const TBaseConfigCell& c) { return double(c.VELOCITY); },
       [](TBaseConfigCell& c, int v) { c.VELOCITY = static_cast<std::uint16_t>(v); }, 1000, 15000},
      {20, [](const TBaseConfigCell& c) { return double(c.POISK); },
       [](TBaseConfigCell& c, int v) { c.POISK = static_cast<std::uint8_t>(v); }, 0, 140},
      {21, [](const TBaseConfigCell& c) { return double(c.OTSECHKA); },
       [](TBaseConfigCell& c, int v) { c.OTSECHKA = static_cast<std::uint8_t>(v); }, 0, 100},
      {25, [](const TBaseConfigCell& c) { return c.ARD_SIGNAL_AMPLITUDE; },
       [](TBaseConfigCell& c, int v) { c.ARD_SIGNAL_AMPLITUDE = v; }, 0, 200},
      {27, [](const TBaseConfigCell& c) { return double(c.ARD_CORRECTION); },
       [](TBaseConfigCell& c, int v) { c.ARD_CORRECTION = v; }, 0, 12},
      {29, [](const TBaseConfigCell& c) { return double(c.Parameter29Value); },
       [](TBaseConfigCell& c, int v) { c.Parameter29Value = static_cast<std::uint8_t>(v); }, 1, 50},
  };
}

// "1 2 3" for 123: blanks anywhere are dropped before the integer is read.
std::string Spaced(int value) {
  std::string text = " ";
  for (char c : std::to_string(value)) {
    text += c;
    text += ' ';
  }
  return text;
}

TEST_F(ParametersTest, IntegerParametersAcceptRefuseAndRestore) {
  for (const TIntegerParameter& ip : IntegerParameters()) {
    SCOPED_TRACE("parameter " + std::to_string(ip.P));
    const auto p = static_cast<std::uint8_t>(ip.P);
    const auto set = [&](const std::string& text) { return Cell.SetParameterText(text, p); };
    ip.Put(Cell, ip.Min);

    EXPECT_EQ(set(std::to_string(ip.Max)), kAccepted);
    EXPECT_EQ(ip.Get(Cell), ip.Max);
    EXPECT_EQ(set(Spaced(ip.Min)), kAccepted);
    EXPECT_EQ(ip.Get(Cell), ip.Min);

    // Refused texts restore the value in force before the edit.
    for (const std::string& outside :
         {std::to_string(ip.Max + 1), std::to_string(ip.Min - 1), std::to_string(ip.Max + 256)}) {
      EXPECT_EQ(set(outside), kOutOfBounds) << outside;
      EXPECT_EQ(ip.Get(Cell), ip.Min) << outside;
    }
    for (const char* bad : {"", "   ", "abc", "12a", "1.5", "1,000", "--5", "+", "9999", "09999",
                            "99999999999999999999999"}) {
      EXPECT_EQ(set(bad), kNotANumber) << bad;
      EXPECT_EQ(ip.Get(Cell), ip.Min) << bad;
    }

    // A field outside the bounds is not taken as the value to go back to.
    ip.Put(Cell, ip.Max + 1);
    EXPECT_EQ(set("x"), kNotANumber);
    EXPECT_EQ(ip.Get(Cell), ip.Min);
  }
}

TEST_F(ParametersTest, AngleIsCheckedAsTypedNotAsItsLowByte) {
  Cell.INSERTION_ANGLE = 40;
  EXPECT_EQ(Cell.SetParameterText("95", 10), kOutOfBounds);
  EXPECT_EQ(Cell.INSERTION_ANGLE, 40);
  EXPECT_EQ(Cell.SetParameterText("abc", 10), kNotANumber);
  EXPECT_EQ(Cell.INSERTION_ANGLE, 40);
  EXPECT_EQ(Cell.SetParameterText("300", 10), kOutOfBounds);  // 300 mod 256 would be 44
  EXPECT_EQ(Cell.INSERTION_ANGLE, 40);
  EXPECT_EQ(Cell.SetParameterText("+45", 10), kAccepted);
  EXPECT_EQ(Cell.INSERTION_ANGLE, 45);
}

TEST_F(ParametersTest, TheAngleAsksForTheDepthGridWhateverTheResult) {
  TCountingCell cell;
  cell.Initialise();
  cell.DepthGridUpdates = 0;
  cell.SetParameterText("30", 10);
  cell.SetParameterText("x", 10);
  cell.SetParameterText("95", 10);
  EXPECT_EQ(cell.DepthGridUpdates, 3);
  cell.SetParameterText("30", 18);
  cell.SetParameterText("3000", 19);
  EXPECT_EQ(cell.DepthGridUpdates, 3);
}

TEST_F(ParametersTest, SearchSensitivitySwitchesTheReferenceLevel) {
  EXPECT_EQ(Cell.SetParameterText("6", 20), kAccepted);
  EXPECT_EQ(Cell.OPORN_LEVEL_ON, 4);
  EXPECT_EQ(Cell.SetParameterText("0", 20), kAccepted);
  EXPECT_EQ(Cell.OPORN_LEVEL_ON, 0);
  EXPECT_EQ(Cell.SetParameterText("12", 20), kAccepted);
  Cell.OPORN_LEVEL_ON = 0;
  // Refused: the restored 12 still switches the level on.
  EXPECT_EQ(Cell.SetParameterText("500", 20), kOutOfBounds);
  EXPECT_EQ(Cell.POISK, 12);
  EXPECT_EQ(Cell.OPORN_LEVEL_ON, 4);
}

// ---- Set parameter text: reals -----------------------------------------------------

struct TRealParameter {
  int P;
  double TBaseConfigCell::*Field;
  double Min;
  double Max;
  const char* MaxText;
  const char* Above;
  const char* Below;
};

TEST_F(ParametersTest, RealParametersAcceptRefuseAndRestore) {
  const TRealParameter parameters[] = {
      {11, &TBaseConfigCell::PROBE_DELAY, 0.0, 99.99, "99.99", "100", "-0.01"},
      {12, &TBaseConfigCell::PROBE_ARROW, 0.0, 49.9, "49.9", "49.95", "-1"},
      {19, &TBaseConfigCell::THICKNESS, 0.0, 499.9, "499.9", "500", "-0.1"},
      {23, &TBaseConfigCell::ARD_PLATE_DIAMETER, 0.1, 25.0, "25", "25.01", "0.05"},
      {24, &TBaseConfigCell::ARD_PLATE_FLOOR_DIAMETER, 0.1, 25.0, "25.0", "26", "0"},
      {26, &TBaseConfigCell::ARD_ATTENUATION, 0.0, 99.9, "99.9", "99.91", "-5"},
  };
  for (const TRealParameter& rp : parameters) {
    SCOPED_TRACE("parameter " + std::to_string(rp.P));
    const auto p = static_cast<std::uint8_t>(rp.P);
    double& field = Cell.*rp.Field;
    field = rp.Min;

    EXPECT_EQ(Cell.SetParameterText(rp.MaxText, p), kAccepted);
    EXPECT_DOUBLE_EQ(field, rp.Max);
    EXPECT_EQ(Cell.SetParameterText("  1.5 ", p), kAccepted);
    EXPECT_DOUBLE_EQ(field, 1.5);
    EXPECT_EQ(Cell.SetParameterText(".5", p), kAccepted);
    EXPECT_DOUBLE_EQ(field, 0.5);
    EXPECT_EQ(Cell.SetParameterText("2.", p), kAccepted);
    EXPECT_DOUBLE_EQ(field, 2.0);

    for (const char* outside : {rp.Above, rp.Below}) {
      EXPECT_EQ(Cell.SetParameterText(outside, p), kOutOfBounds) << outside;
      EXPECT_DOUBLE_EQ(field, 2.0) << outside;
    }
    for (const char* bad : {"", "abc", "1.5.2", "1 .5", "1,000.5", ".", "-", "nan", "inf", "1e",
                            "0x10", "9999", "9999.0", "1e999"}) {
      EXPECT_EQ(Cell.SetParameterText(bad, p), kNotANumber) << bad;
      EXPECT_DOUBLE_EQ(field, 2.0) << bad;
    }

    // A field outside the bounds is not taken as the value to go back to.
    field = rp.Max + 1;
    EXPECT_EQ(Cell.SetParameterText("x", p), kNotANumber);
    EXPECT_DOUBLE_EQ(field, 2.0);
  }
}

// Either decimal mark is read in every locale (a Russian, a German and the
// C format here); a thousand separator never is, nor a second mark.
TEST_F(ParametersTest, TypedRealsTakeEitherDecimalMarkInEveryLocale) {
  struct TCase {
    const char* Text;
    std::uint8_t Result;
    double Stored;  // the thickness afterwards
  };
  const TCase cases[] = {
      {"12.7", kAccepted, 12.7},    {"12,7", kAccepted, 12.7},       {" 3,25 ", kAccepted, 3.25},
      {"1.000", kAccepted, 1.0},    {".5", kAccepted, 0.5},          {"1,5e1", kAccepted, 15.0},
      {"1.2,3", kNotANumber, 15.0}, {"1\240000", kNotANumber, 15.0}, {"12 7", kNotANumber, 15.0},
      {"12;7", kNotANumber, 15.0},  {".", kNotANumber, 15.0},        {"499,95", kOutOfBounds, 15.0},
  };
  for (const TNumberFormat format :
       {TNumberFormat{',', '\xA0'}, TNumberFormat{',', '.'}, TNumberFormat{'.', ','}}) {
    TBaseConfigCell cell(format);
    cell.Initialise();
    for (const TCase& c : cases) {
      SCOPED_TRACE(std::string(c.Text) + " typed with " + format.DecimalSeparator);
      EXPECT_EQ(cell.SetParameterText(c.Text, 19), c.Result);
      EXPECT_DOUBLE_EQ(cell.THICKNESS, c.Stored);
    }
    // Shown in the user's format all the same.
    EXPECT_EQ(cell.ParameterText(19), std::string("  15") + format.DecimalSeparator + "0");
  }
}

TEST_F(ParametersTest, PulsePeriodsGoToWholeHalves) {
  struct TCase {
    const char* Text;
    std::uint8_t Result;
    double Stored;
  };
  Cell.ZONDER_PULSE_PERIODS = 1.0;
  const TCase cases[] = {
      {"1.3", kAccepted, 1.5},    {"6", kOutOfBounds, 1.5},   {"1.25", kAccepted, 1.0},
      {"1.75", kAccepted, 2.0},   {"0.2", kOutOfBounds, 2.0}, {"5.2", kAccepted, 5.0},
      {"5.3", kOutOfBounds, 5.0}, {"0.3", kAccepted, 0.5},    {"9999", kNotANumber, 0.5},
  };
  for (const TCase& c : cases) {
    EXPECT_EQ(Cell.SetParameterText(c.Text, 14), c.Result) << c.Text;
    EXPECT_DOUBLE_EQ(Cell.ZONDER_PULSE_PERIODS, c.Stored) << c.Text;
  }
}

// ---- Set parameter text: strobes ----------------------------------------------------

class StrobeParametersTest : public ParametersTest {
 protected:
  void SetUp() override {
    ParametersTest::SetUp();
    // Straight beam, no plate: column x is x / 10 mm.
    Cell.INSERTION_ANGLE = 0;
    Cell.THICKNESS = 0;
    Cell.INDEX_MARK_MM = 2;
    Cell.PIXEL_GRID_LENGTH_MM = 10;
    Cell.ATTENUATOR1 = 0;
  }
  std::uint16_t& Begin(int s) { return s == 0 ? Cell.STROBE_1_BEGIN : Cell.STROBE_2_BEGIN; }
  std::uint16_t& End(int s) { return s == 0 ? Cell.STROBE_1_END : Cell.STROBE_2_END; }
  std::uint8_t& Percent(int s) {
    return s == 0 ? Cell.STROBE_1_LEVEL_PERCENT : Cell.STROBE_2_LEVEL_PERCENT;
  }
};

TEST_F(StrobeParametersTest, BeginIsTypedInMillimetresAndBoundedOnItsColumn) {
  for (int s = 0; s < 2; ++s) {
    SCOPED_TRACE("strobe " + std::to_string(s + 1));
    const auto p = static_cast<std::uint8_t>(3 * s);
    Begin(s) = 25;
    const std::uint16_t other = Begin(1 - s);
    const struct {
      const char* Text;
      std::uint8_t Result;
      std::uint16_t Column;
    } cases[] = {
        {"5", kAccepted, 50},       {"31.8", kAccepted, 318},    {"31.9", kOutOfBounds, 318},
        {"x", kNotANumber, 318},    {"0", kAccepted, 0},         {"  12.3", kAccepted, 123},
        {"9999", kNotANumber, 123}, {"1000", kOutOfBounds, 123},
    };
    for (const auto& c : cases) {
      EXPECT_EQ(Cell.SetParameterText(c.Text, p), c.Result) << c.Text;
      EXPECT_EQ(Begin(s), c.Column) << c.Text;
    }
    EXPECT_EQ(Begin(1 - s), other);
  }
}

TEST_F(StrobeParametersTest, LengthIsAddedToTheBeginAndBoundedOnTheEndColumn) {
  for (int s = 0; s < 2; ++s) {
    SCOPED_TRACE("strobe " + std::to_string(s + 1));
    const auto p = static_cast<std::uint8_t>(3 * s + 1);
    Begin(s) = 50;
    End(s) = 60;
    const struct {
      const char* Text;
      std::uint8_t Result;
      std::uint16_t Column;
    } cases[] = {
        {"2.5", kAccepted, 75},    {"27", kAccepted, 320},  {"27.1", kOutOfBounds, 320},
        {"-5", kOutOfBounds, 320}, {"x", kNotANumber, 320}, {"0.1", kAccepted, 51},
    };
    for (const auto& c : cases) {
      EXPECT_EQ(Cell.SetParameterText(c.Text, p), c.Result) << c.Text;
      EXPECT_EQ(End(s), c.Column) << c.Text;
    }
    EXPECT_EQ(Begin(s), 50);
  }
}

TEST_F(StrobeParametersTest, LevelIsTypedInDecibelsAndBoundedOnItsPercent) {
  for (int s = 0; s < 2; ++s) {
    SCOPED_TRACE("strobe " + std::to_string(s + 1));
    const auto p = static_cast<std::uint8_t>(3 * s + 2);
    Percent(s) = 40;
    const struct {
      const char* Text;
      std::uint8_t Result;
      std::uint8_t Percent;
    } cases[] = {
        // 90 dB + 20 lg(90) is half the screen.
        {"129.08", kAccepted, 50}, {"70", kOutOfBounds, 50}, {"400", kOutOfBounds, 50},
        {"x", kNotANumber, 50},    {"134.5", kAccepted, 93}, {"136", kOutOfBounds, 93},
    };
    for (const auto& c : cases) {
      EXPECT_EQ(Cell.SetParameterText(c.Text, p), c.Result) << c.Text;
      EXPECT_EQ(Percent(s), c.Percent) << c.Text;
    }
  }
}

TEST_F(StrobeParametersTest, AFieldOutsideItsBoundsGoesBackToTheSchemesStartingValue) {
  Cell.STROBE_1_BEGIN = 400;
  EXPECT_EQ(Cell.SetParameterText("x", 0), kNotANumber);
  EXPECT_EQ(Cell.STROBE_1_BEGIN, 10);
  Cell.STROBE_2_LEVEL_PERCENT = 120;
  EXPECT_EQ(Cell.SetParameterText("", 5), kNotANumber);
  EXPECT_EQ(Cell.STROBE_2_LEVEL_PERCENT, 10);
}

TEST_F(StrobeParametersTest, TypedBeginIsADepthInTheLegOfTheCurrentBegin) {
  Cell.INSERTION_ANGLE = 60;  // column x is x / 20 mm of path
  Cell.THICKNESS = 4;
  Cell.STROBE_1_BEGIN = 100;  // 5 mm of path: second leg, depth 3 mm
  ASSERT_NEAR(Cell.StrobeBeginDepth(0), 3.0, 1e-9);
  EXPECT_EQ(Cell.SetParameterText("1", 0), kAccepted);
  EXPECT_EQ(Cell.STROBE_1_BEGIN, 140);  // 7 mm of path: 1 mm deep on the way up
  EXPECT_NEAR(Cell.StrobeBeginDepth(0), 1.0, 1e-9);
}

// ---- Set parameter text: lists ---------------------------------------------------

struct TListParameter {
  int P;
  std::uint8_t TBaseConfigCell::*Field;
  std::vector<std::uint8_t> Stored;  // field value stored for each entry
};

// Texts that differ from an entry only a little: none of them is the entry.
std::vector<std::string> NearMisses(const std::string& entry) {
  std::vector<std::string> misses = {entry + " ", entry.substr(0, entry.size() - 1), ""};
  const std::size_t first = entry.find_first_not_of(' ');
  if (first != 0 && first != std::string::npos) {
    misses.push_back(entry.substr(first));
  }
  for (std::size_t i = 0; i < entry.size(); ++i) {
    const auto c = static_cast<unsigned char>(entry[i]);
    std::string other = entry;
    if ((c >= 0xE0) || (c >= 'a' && c <= 'z')) {
      other[i] = static_cast<char>(c - 0x20);  // the same letter in upper case
    } else if ((c >= 0xC0 && c < 0xE0) || (c >= 'A' && c <= 'Z')) {
      other[i] = static_cast<char>(c + 0x20);
    } else {
      continue;
    }
    misses.push_back(other);
    break;
  }
  return misses;
}

TEST_F(ParametersTest, ListParametersTakeExactlyTheirEntries) {
  const TListParameter parameters[] = {
      {8, &TBaseConfigCell::PROBE_TYPE, {0, 1}},
      {9, &TBaseConfigCell::PROBE_FREQ, {}},
      {13, &TBaseConfigCell::PROBE_PULSE, {0, 1, 2}},
      {16, &TBaseConfigCell::FILTER_BAND, {0, 1}},
      {17, &TBaseConfigCell::VCURSOR_ENABLED, {0, 2}},
      {22, &TBaseConfigCell::SCREEN_UNITS, {0, 1, 2}},
      {28, &TBaseConfigCell::SCREEN_UNITS, {0, 1, 2}},
      // Last: its last entry is the DGS mode, which fixes the screen units.
      {6, &TBaseConfigCell::TVG_ENABLED, {0, 1, 2}},
  };
  for (const TListParameter& lp : parameters) {
    SCOPED_TRACE("parameter " + std::to_string(lp.P));
    const auto p = static_cast<std::uint8_t>(lp.P);
    const std::vector<std::string> entries = ExpectedEntries(p);
    std::uint8_t& field = Cell.*lp.Field;
    ASSERT_FALSE(entries.empty());
    for (std::size_t i = 0; i < entries.size(); ++i) {
      const std::uint8_t stored = lp.Stored.empty() ? static_cast<std::uint8_t>(i) : lp.Stored[i];
      EXPECT_EQ(Cell.SetParameterText(entries[i], p), kAccepted) << entries[i];
      EXPECT_EQ(field, stored) << entries[i];
      EXPECT_EQ(Cell.ParameterText(p), entries[i]);
      for (const std::string& miss : NearMisses(entries[i])) {
        EXPECT_EQ(Cell.SetParameterText(miss, p), kOutOfBounds) << "[" << miss << "]";
        EXPECT_EQ(field, stored) << "[" << miss << "]";
      }
    }
  }
}

TEST_F(ParametersTest, AListFieldUpToTheEntryCountIsTheValueToGoBackTo) {
  Cell.TVG_ENABLED = 1;
  EXPECT_EQ(Cell.SetParameterText("none", 6), kOutOfBounds);
  EXPECT_EQ(Cell.TVG_ENABLED, 1);
  Cell.TVG_ENABLED = 3;  // the entry count itself still counts
  EXPECT_EQ(Cell.SetParameterText("none", 6), kOutOfBounds);
  EXPECT_EQ(Cell.TVG_ENABLED, 3);
  Cell.TVG_ENABLED = 4;  // beyond it does not
  EXPECT_EQ(Cell.SetParameterText("none", 6), kOutOfBounds);
  EXPECT_EQ(Cell.TVG_ENABLED, 3);
}

TEST_F(ParametersTest, ScreenUnitsAreDepthInDgsMode) {
  for (std::uint8_t p : {std::uint8_t{22}, std::uint8_t{28}}) {
    Cell.TVG_ENABLED = 2;
    Cell.SCREEN_UNITS = 0;
    EXPECT_EQ(Cell.SetParameterText("whatever", p), kAccepted) << int(p);
    EXPECT_EQ(Cell.SCREEN_UNITS, 2) << int(p);
    Cell.SCREEN_UNITS = 0;
    EXPECT_EQ(Cell.SetParameterText(ExpectedEntries(p)[1], p), kAccepted) << int(p);
    EXPECT_EQ(Cell.SCREEN_UNITS, 2) << int(p);
    Cell.TVG_ENABLED = 0;
    EXPECT_EQ(Cell.SetParameterText("whatever", p), kOutOfBounds) << int(p);
    EXPECT_EQ(Cell.SCREEN_UNITS, 2) << int(p);
  }
}

TEST_F(ParametersTest, AtAGrazingAngleTheEntryComparisonStillDecidesTheUnits) {
  // Above 89.75 degrees the depth entry is first taken as path, and the
  // comparison with the entries that follows stores the entry's own index.
  Cell.INSERTION_ANGLE = 90;
  for (std::uint8_t p : {std::uint8_t{22}, std::uint8_t{28}}) {
    const std::vector<std::string> entries = ExpectedEntries(p);
    for (std::uint8_t i = 0; i < 3; ++i) {
      EXPECT_EQ(Cell.SetParameterText(entries[i], p), kAccepted);
      EXPECT_EQ(Cell.SCREEN_UNITS, i);
    }
  }
}

TEST_F(ParametersTest, UnusedAndUnknownParametersChangeNothing) {
  const std::vector<std::string> before = AllTexts(Cell);
  for (int p : {7, 30, 99, 255}) {
    for (const char* text : {"5", "", "abc", "  20"}) {
      EXPECT_EQ(Cell.SetParameterText(text, static_cast<std::uint8_t>(p)), kAccepted);
    }
  }
  EXPECT_EQ(AllTexts(Cell), before);
}

TEST_F(ParametersTest, ShownTextsAreAcceptedBackUnchanged) {
  // The grids write back what they show; that must not change the setup.
  Cell.INDEX_MARK_MM = 2;
  Cell.PIXEL_GRID_LENGTH_MM = 10;
  Cell.INSERTION_ANGLE = 0;
  Cell.THICKNESS = 0;
  Cell.ARD_PLATE_FLOOR_DIAMETER = 12;  // the default 0 is below its scheme
  const std::vector<std::string> before = AllTexts(Cell);
  for (int p = 0; p < kParameterCount; ++p) {
    const auto k = static_cast<std::uint8_t>(p);
    EXPECT_EQ(Cell.SetParameterText(before[static_cast<std::size_t>(p)], k), kAccepted) << p;
  }
  EXPECT_EQ(AllTexts(Cell), before);
}

// ---- Editors and lists -------------------------------------------------------------

TEST_F(ParametersTest, TypedParametersGiveTheEditorTheirMask) {
  const std::pair<int, std::size_t> masks[] = {{0, 6},  {1, 5},  {2, 4},  {3, 6},  {4, 5},  {5, 4},
                                               {7, 0},  {10, 3}, {11, 5}, {12, 4}, {14, 4}, {15, 2},
                                               {18, 5}, {19, 6}, {20, 3}, {21, 3}, {23, 4}, {24, 4},
                                               {25, 3}, {26, 4}, {27, 2}, {29, 2}};
  for (const auto& [p, length] : masks) {
    TRecordingEditor editor;
    Cell.SetUpParameterEditor(editor, static_cast<std::uint8_t>(p));
    EXPECT_EQ(editor.Masks, std::vector<std::string>{std::string(length, 'c')}) << p;
    EXPECT_TRUE(editor.PickLists.empty()) << p;

    TRecordingList list;
    Cell.FillParameterList(list, static_cast<std::uint8_t>(p));
    EXPECT_TRUE(list.Log.empty()) << p;
  }
}

TEST_F(ParametersTest, ListParametersGiveTheEditorAndTheListTheirEntries) {
  for (int p : {6, 8, 9, 13, 16, 17, 22, 28}) {
    const auto k = static_cast<std::uint8_t>(p);
    const std::vector<std::string> entries = ExpectedEntries(k);
    TRecordingEditor editor;
    Cell.SetUpParameterEditor(editor, k);
    EXPECT_TRUE(editor.Masks.empty()) << p;
    EXPECT_EQ(editor.PickLists, std::vector<std::vector<std::string>>{entries}) << p;

    TRecordingList list;
    Cell.FillParameterList(list, k);
    std::vector<std::string> expected = {"clear"};
    for (const std::string& e : entries) {
      expected.push_back("add " + e);
    }
    expected.push_back("select");
    EXPECT_EQ(list.Log, expected) << p;
  }
}

TEST_F(ParametersTest, ValueStringListsComeFromConsecutiveStrings) {
  SINGLE_PARAM_SCHEME& scheme = Cell.Schemes[7];
  scheme.Kind = kValueStringListKind;
  scheme.FirstValueString = 39;
  scheme.EntryCount = 4;
  TRecordingEditor editor;
  Cell.SetUpParameterEditor(editor, 7);
  const std::vector<std::string> entries = {V(39), V(40), V(41), V(42)};
  EXPECT_EQ(editor.PickLists, std::vector<std::vector<std::string>>{entries});
  TRecordingList list;
  Cell.FillParameterList(list, 7);
  EXPECT_EQ(list.Log, (std::vector<std::string>{"clear", "add " + V(39), "add " + V(40),
                                                "add " + V(41), "add " + V(42), "select"}));

  // The numbers end at 65535.
  scheme.FirstValueString = 65534;
  scheme.EntryCount = 200;
  TRecordingEditor last;
  Cell.SetUpParameterEditor(last, 7);
  ASSERT_EQ(last.PickLists.size(), 1u);
  EXPECT_EQ(last.PickLists[0].size(), 2u);
}

TEST_F(ParametersTest, AReplacedListSchemeIsUsedAsItStands) {
  // A later layout may give a list parameter a scheme of its own.
  SINGLE_PARAM_SCHEME own;
  own.Kind = kOwnListKind;
  own.Entries = {"off", "on"};
  own.EntryCount = 2;
  own.IntMax = 1;
  Cell.Schemes[16] = own;
  Cell.FILTER_BAND = 1;
  EXPECT_EQ(Cell.ParameterText(16), "on");
  EXPECT_EQ(Cell.SetParameterText("off", 16), kAccepted);
  EXPECT_EQ(Cell.FILTER_BAND, 0);
  EXPECT_EQ(Cell.SetParameterText(" " + V(31), 16), kOutOfBounds);

  SINGLE_PARAM_SCHEME strings;
  strings.Kind = kValueStringListKind;
  strings.FirstValueString = 39;
  strings.EntryCount = 3;
  Cell.Schemes[28] = strings;
  TRecordingEditor editor;
  Cell.SetUpParameterEditor(editor, 28);
  const std::vector<std::string> entries = {V(39), V(40), V(41)};
  EXPECT_EQ(editor.PickLists, std::vector<std::vector<std::string>>{entries});
  Cell.SCREEN_UNITS = 2;
  EXPECT_EQ(Cell.ParameterText(28), V(41));
}

TEST_F(ParametersTest, UnknownParametersLeaveEditorsAndListsAlone) {
  for (int p : {30, 128, 255}) {
    TRecordingEditor editor;
    Cell.SetUpParameterEditor(editor, static_cast<std::uint8_t>(p));
    EXPECT_TRUE(editor.Masks.empty());
    EXPECT_TRUE(editor.PickLists.empty());
    TRecordingList list;
    Cell.FillParameterList(list, static_cast<std::uint8_t>(p));
    EXPECT_TRUE(list.Log.empty());
  }
}

// ---- Conversions --------------------------------------------------------------------

class ConversionsTest : public ::testing::Test {
 protected:
  void SetUp() override { Cell.Initialise(); }
  TBaseConfigCell Cell;
};

TEST_F(ConversionsTest, TimeAxisConvertsWithTimeAndPixelsPerDivision) {
  // 5 us per division over 25 pixels.
  EXPECT_DOUBLE_EQ(Cell.TimeToPixels(10), 50);
  EXPECT_DOUBLE_EQ(Cell.CursorTime(), 32);  // column 160
  const struct {
    double Time;
    std::uint16_t Column;
  } cases[] = {{32.5, 162}, {33.5, 168}, {32.625, 163}, {0, 0}, {-3, 0}, {1e9, 65535}};
  for (const auto& c : cases) {
    Cell.SetCursorTime(c.Time);
    EXPECT_EQ(Cell.CURSOR_POSITION, c.Column) << c.Time;
  }
  Cell.INDEX_MARK_MKS = 6;
  Cell.PIXEL_GRID_LENGTH = 50;
  Cell.CURSOR_POSITION = 25;
  EXPECT_DOUBLE_EQ(Cell.CursorTime(), 50);
  EXPECT_DOUBLE_EQ(Cell.TimeToPixels(100), 50);
}

TEST_F(ConversionsTest, StrobeColumnsAreStoredAsGiven) {
  EXPECT_EQ(Cell.SetStrobeBeginPixel(0, 12), 12);
  EXPECT_EQ(Cell.SetStrobeEndPixel(0, 34), 34);
  EXPECT_EQ(Cell.SetStrobeBeginPixel(1, 56), 56);
  EXPECT_EQ(Cell.SetStrobeEndPixel(9, 78), 78);  // any selector but 0 is strobe 2
  EXPECT_EQ(Cell.STROBE_1_BEGIN, 12);
  EXPECT_EQ(Cell.STROBE_1_END, 34);
  EXPECT_EQ(Cell.STROBE_2_BEGIN, 56);
  EXPECT_EQ(Cell.STROBE_2_END, 78);
  EXPECT_EQ(Cell.StrobeBeginPixel(0), 12);
  EXPECT_EQ(Cell.StrobeEndPixel(0), 34);
  EXPECT_EQ(Cell.StrobeBeginPixel(200), 56);
  EXPECT_EQ(Cell.StrobeEndPixel(1), 78);
}

TEST_F(ConversionsTest, StrobePathsFollowTheBeamAngleAndTheMillimetreGrid) {
  Cell.INDEX_MARK_MM = 2;  // 1 mm per division
  Cell.PIXEL_GRID_LENGTH_MM = 10;
  Cell.STROBE_1_BEGIN = 100;
  Cell.STROBE_1_END = 140;
  Cell.STROBE_2_BEGIN = 200;
  Cell.STROBE_2_END = 300;
  const struct {
    std::uint8_t Angle;
    double Cosine;
  } angles[] = {
      {0, 1.0}, {60, 0.5}, {89, std::cos(89 * std::numbers::pi / 180)}, {90, 1.0}, {255, 1.0}};
  for (const auto& a : angles) {
    Cell.INSERTION_ANGLE = a.Angle;
    EXPECT_NEAR(Cell.StrobeBeginPath(0), 10 * a.Cosine, 1e-9) << int(a.Angle);
    EXPECT_NEAR(Cell.StrobeEndPath(0), 14 * a.Cosine, 1e-9) << int(a.Angle);
    EXPECT_NEAR(Cell.StrobeBeginPath(1), 20 * a.Cosine, 1e-9) << int(a.Angle);
    EXPECT_NEAR(Cell.StrobeEndPath(1), 30 * a.Cosine, 1e-9) << int(a.Angle);
  }
  Cell.INSERTION_ANGLE = 60;
  Cell.SetStrobeBeginPath(0, 6);
  EXPECT_EQ(Cell.STROBE_1_BEGIN, 120);
  Cell.SetStrobeEndPath(1, 9);
  EXPECT_EQ(Cell.STROBE_2_END, 180);
  Cell.INDEX_MARK_MM = 12;  // 2000 mm per division
  EXPECT_NEAR(Cell.StrobeBeginPath(0), 0.5 * 2000 * 120 / 10, 1e-6);
}

TEST_F(ConversionsTest, BeginDepthFoldsAtTheThicknessBothWays) {
  Cell.INSERTION_ANGLE = 60;  // column x is x / 20 mm of path
  Cell.INDEX_MARK_MM = 2;
  Cell.PIXEL_GRID_LENGTH_MM = 10;
  Cell.THICKNESS = 4;
  const struct {
    std::uint16_t Column;
    double Depth;
    double NewDepth;          // set as the depth ...
    std::uint16_t NewColumn;  // ... gives this column in the same leg
  } cases[] = {
      {60, 3.0, 1.0, 20},    // first leg, downwards
      {100, 3.0, 1.0, 140},  // second leg, upwards: 4 - (5 - 4); 1 deep is 7 mm
      {180, 1.0, 2.5, 210},  // third leg, downwards again: 9 - 8
      {200, 2.0, 3.5, 230},  // third leg: 10 - 8, and 3.5 deep in it is 11.5 mm
  };
  for (const auto& c : cases) {
    Cell.STROBE_2_BEGIN = c.Column;
    EXPECT_NEAR(Cell.StrobeBeginDepth(1), c.Depth, 1e-9) << c.Column;
    Cell.SetStrobeBeginDepth(1, c.NewDepth);
    EXPECT_EQ(Cell.STROBE_2_BEGIN, c.NewColumn) << c.Column;
    EXPECT_NEAR(Cell.StrobeBeginDepth(1), c.NewDepth, 1e-9) << c.Column;
  }
}

TEST_F(ConversionsTest, WithoutPlateOrAngleTheDepthIsThePath) {
  Cell.INDEX_MARK_MM = 2;
  Cell.PIXEL_GRID_LENGTH_MM = 10;
  Cell.STROBE_1_BEGIN = 100;
  const struct {
    std::uint8_t Angle;
    double Thickness;
  } cases[] = {{0, 4}, {90, 4}, {200, 4}, {45, 0}, {45, -3}};
  for (const auto& c : cases) {
    Cell.INSERTION_ANGLE = c.Angle;
    Cell.THICKNESS = c.Thickness;
    EXPECT_DOUBLE_EQ(Cell.StrobeBeginDepth(0), Cell.StrobeBeginPath(0)) << int(c.Angle);
    Cell.SetStrobeBeginDepth(0, 3);
    EXPECT_NEAR(Cell.StrobeBeginPath(0), 3, 0.1) << int(c.Angle);
  }
}

TEST_F(ConversionsTest, PathsOfManyThicknessesFoldLikeTheLegArithmetic) {
  // Column x is 1000 x cos 60 degrees-ish mm of path: 2000 mm per division
  // over 1 pixel.
  Cell.INSERTION_ANGLE = 60;
  Cell.INDEX_MARK_MM = 12;
  Cell.PIXEL_GRID_LENGTH_MM = 1;
  Cell.THICKNESS = 0.3;
  const struct {
    std::uint16_t Column;
    double Depth;
  } cases[] = {
      {29, 0.2},     // 29000 mm: 96666 legs (even), 0.2 left
      {31, 0.2},     // 31000 mm: 103333 legs (odd), 0.1 left
      {60001, 0.2},  // 60001000 mm: 200003333 legs (odd), 0.1 left
  };
  for (const auto& c : cases) {
    Cell.STROBE_1_BEGIN = c.Column;
    EXPECT_NEAR(Cell.StrobeBeginDepth(0), c.Depth, 1e-5) << c.Column;
  }
  // However thin the plate, the fold ends and stays within it.
  for (double t : {1e-300, 5e-324, 1e-12}) {
    Cell.THICKNESS = t;
    Cell.STROBE_1_BEGIN = 65535;
    const double depth = Cell.StrobeBeginDepth(0);
    EXPECT_GE(depth, 0) << t;
    EXPECT_LE(depth, t) << t;
    Cell.SetStrobeBeginDepth(0, 0);
  }
}

struct TLevelCase {
  std::uint8_t Percent;
  std::uint16_t Attenuator;
  std::uint8_t SignalType;
  double Db;
};

TEST_F(ConversionsTest, StrobeLevelInDecibels) {
  const TLevelCase cases[] = {
      {50, 50, 0, 40 + 20 * std::log10(90.0)},  // 79.08
      {0, 50, 0, 40},                           // no level counts as one row
      {100, 0, 0, 90 + 20 * std::log10(180.0)},
      {50, 50, 3, 40},  // at the zero line of the RF signal
      {0, 0, 3, 90 + 20 * std::log10(90.0)},
      {75, 0, 3, 90 + 20 * std::log10(45.0)},
  };
  for (const TLevelCase& c : cases) {
    Cell.STROBE_2_LEVEL_PERCENT = c.Percent;
    Cell.ATTENUATOR1 = c.Attenuator;
    Cell.SIGNAL_TYPE = c.SignalType;
    EXPECT_NEAR(Cell.StrobeLevelDb(1), c.Db, 1e-9) << int(c.Percent);
  }
  Cell.STROBE_1_LEVEL_PERCENT = 50;
  Cell.ATTENUATOR1 = 50;
  Cell.SIGNAL_TYPE = 0;
  EXPECT_NEAR(Cell.StrobeLevelDb(0), 79.08, 0.005);
}

TEST_F(ConversionsTest, SettingTheLevelInDecibelsGivesThePercentBack) {
  Cell.ATTENUATOR1 = 30;
  for (std::uint8_t signal : {std::uint8_t{0}, std::uint8_t{3}}) {
    const int first = signal == 3 ? 51 : 3;
    for (int percent = first; percent <= 97; ++percent) {
      Cell.SIGNAL_TYPE = signal;
      Cell.STROBE_1_LEVEL_PERCENT = static_cast<std::uint8_t>(percent);
      const double db = Cell.StrobeLevelDb(0);
      Cell.STROBE_1_LEVEL_PERCENT = 0;
      Cell.SetStrobeLevelDb(0, 0, db);
      EXPECT_EQ(Cell.STROBE_1_LEVEL_PERCENT, percent) << int(signal);
    }
  }
}

TEST_F(ConversionsTest, SettingTheLevelClampsByMode) {
  Cell.ATTENUATOR1 = 0;
  const struct {
    double Db;
    std::uint8_t Mode;
    std::uint8_t Percent;
  } cases[] = {{0, 1, 3},     {0, 0, 0},       {0, 7, 0},     {300, 1, 97},
               {300, 0, 255}, {300.5, 1, 200}, {-1e308, 0, 0}};
  for (const auto& c : cases) {
    Cell.SetStrobeLevelDb(0, c.Mode, c.Db);
    EXPECT_EQ(Cell.STROBE_1_LEVEL_PERCENT, c.Percent) << c.Db << " mode " << int(c.Mode);
  }
  Cell.SIGNAL_TYPE = 3;
  Cell.SetStrobeLevelDb(0, 0, 0);
  EXPECT_EQ(Cell.STROBE_1_LEVEL_PERCENT, 50);
}

TEST_F(ConversionsTest, AboveThreeHundredDecibelsTheStrobeIsSetToTwoHundredPercent) {
  Cell.SetStrobeLevelDb(1, 0, 400);
  EXPECT_EQ(Cell.STROBE_2_LEVEL_PERCENT, 200);
  EXPECT_EQ(Cell.STROBE_1_LEVEL_PERCENT, 30);
}

TEST_F(ConversionsTest, TgvPointsAsColumnsAndRows) {
  // 5 us per division over 25 pixels, 18 points in use.
  EXPECT_EQ(Cell.TgvPointPixel(3), 300);
  EXPECT_EQ(Cell.TgvPointPixel(17), 1700);
  EXPECT_EQ(Cell.TgvPointPixel(18), 0);
  const struct {
    std::uint16_t Column;
    std::uint16_t Position;
  } pixels[] = {{101, 20}, {102, 20}, {103, 21}, {0, 0}};
  for (const auto& c : pixels) {
    Cell.SetTgvPointPixel(3, c.Column);
    EXPECT_EQ(Cell.TGV_POS[3], c.Position) << c.Column;
  }
  Cell.SetTgvPointPixel(18, 50);
  EXPECT_EQ(Cell.TGV_POS[18], 360);  // beyond the last point: unchanged

  const struct {
    std::uint16_t Mode;
    std::uint8_t Gain;
    std::uint16_t Row;
  } rows[] = {{1, 0, 45}, {1, 10, 90}, {1, 30, 180}, {3, 0, 22}, {3, 10, 45}, {3, 30, 90}};
  for (const auto& c : rows) {
    Cell.SCREEN_MODE = c.Mode;
    Cell.TGV_GAIN[5] = c.Gain;
    EXPECT_EQ(Cell.TgvPointRow(5), c.Row) << c.Mode << "/" << int(c.Gain);
  }
  EXPECT_EQ(Cell.TgvPointRow(18), 0);
}

TEST_F(ConversionsTest, SettingATgvPointRowGivesItsGain) {
  const struct {
    std::uint16_t Mode;
    std::uint16_t Row;
    std::uint8_t Gain;
  } cases[] = {{1, 90, 10}, {1, 45, 0}, {1, 0, 0},   {1, 180, 30}, {1, 500, 30},
               {3, 45, 10}, {3, 22, 0}, {3, 90, 30}, {3, 1000, 30}};
  for (const auto& c : cases) {
    Cell.SCREEN_MODE = c.Mode;
    Cell.SetTgvPointRow(4, c.Row);
    EXPECT_EQ(Cell.TGV_GAIN[4], c.Gain) << c.Mode << "/" << c.Row;
  }
  Cell.TGV_GAIN[20] = 7;
  Cell.SetTgvPointRow(20, 180);
  EXPECT_EQ(Cell.TGV_GAIN[20], 7);
}

TEST_F(ConversionsTest, TgvCurveInterpolatesBetweenThePoints) {
  // Points every 20 us, gain 0 at point 0 and 10 elsewhere, last point 17.
  const struct {
    double Time;
    std::uint16_t Row;
  } cases[] = {{-5, 45}, {0, 45}, {8, 63}, {20, 90}, {30, 90}, {340, 90}, {1000, 90}};
  for (const auto& c : cases) {
    EXPECT_EQ(Cell.TgvCurveRow(c.Time), c.Row) << c.Time;
  }
  Cell.TGV_GAIN[17] = 30;
  EXPECT_EQ(Cell.TgvCurveRow(1000), 180);  // full scale after the last point
  EXPECT_EQ(Cell.TgvCurveRow(330), 135);   // half way from 10 to 30
  Cell.SCREEN_MODE = 3;
  EXPECT_EQ(Cell.TgvCurveRow(1000), 90);
  Cell.SCREEN_MODE = 1;
  Cell.TGV_POS[17] = 0;  // the last point where the first is: no curve
  EXPECT_EQ(Cell.TgvCurveRow(1000), 45);
  EXPECT_EQ(Cell.TgvCurveRow(std::numeric_limits<double>::quiet_NaN()), 45);
}

struct TAttenuatorCase {
  std::uint16_t Attenuator;
  int Step;
  std::uint16_t Result;
};

TEST_F(ConversionsTest, AttenuatorStepsStayWithinZeroToNinety) {
  const TAttenuatorCase cases[] = {{2, 5, 0},      {2, -100, 90},    {0, 0, 0},
                                   {45, 10, 35},   {45, -10, 55},    {90, -1, 90},
                                   {65535, 0, 90}, {0, INT_MIN, 90}, {90, INT_MAX, 0}};
  for (const TAttenuatorCase& c : cases) {
    Cell.ATTENUATOR1 = c.Attenuator;
    Cell.StepAttenuator(c.Step);
    EXPECT_EQ(Cell.ATTENUATOR1, c.Result) << c.Attenuator << " " << c.Step;
  }
}

TEST_F(ConversionsTest, AttenuatorIsSetOnlyWithinOneToEightyNine) {
  const TAttenuatorCase cases[] = {{20, 90, 20}, {20, 89, 1},  {20, 1, 89},      {20, 0, 20},
                                   {20, -5, 20}, {20, 45, 45}, {20, INT_MAX, 20}};
  for (const TAttenuatorCase& c : cases) {
    Cell.ATTENUATOR1 = c.Attenuator;
    Cell.SetAttenuator(c.Step);
    EXPECT_EQ(Cell.ATTENUATOR1, c.Result) << c.Step;
  }
}

TEST_F(ConversionsTest, TimeScaleStepsThroughPixelsThenTimePerDivision) {
  const struct {
    std::uint8_t Pixels;
    std::uint8_t Index;
    int Step;
    std::uint8_t NewPixels;
    std::uint8_t NewIndex;
  } cases[] = {
      {50, 3, 1, 25, 2},       {50, 0, 1, 50, 0},       {25, 3, -1, 50, 4},
      {25, 5, -1, 50, 6},      {25, 6, -1, 25, 6},      {30, 3, 5, 35, 3},
      {30, 3, 0, 30, 3},       {10, 3, 0, 10, 3},       {10, 3, 1, 25, 2},
      {30, 3, INT_MAX, 25, 2}, {30, 3, INT_MIN, 50, 4}, {30, 200, -1, 29, 200},
      {50, 200, 1, 25, 199},   {25, 200, -1, 25, 200},  {45, 2, 5, 50, 2},
  };
  for (const auto& c : cases) {
    Cell.PIXEL_GRID_LENGTH = c.Pixels;
    Cell.INDEX_MARK_MKS = c.Index;
    Cell.StepTimeScale(c.Step);
    EXPECT_EQ(Cell.PIXEL_GRID_LENGTH, c.NewPixels) << int(c.Pixels) << "/" << int(c.Index);
    EXPECT_EQ(Cell.INDEX_MARK_MKS, c.NewIndex) << int(c.Pixels) << "/" << int(c.Index);
  }
}

TEST_F(ConversionsTest, MillimetreGridTakesTheFinestStepUnderTwelveDivisions) {
  const struct {
    std::uint16_t Velocity;
    std::uint8_t TimeIndex;
    std::uint8_t Pixels;
    std::uint8_t Index;
    std::uint8_t GridPixels;
  } cases[] = {
      {5900, 3, 25, 7, 42},     // 375.24 mm: 50 mm steps of 42 pixels
      {3250, 2, 25, 5, 31},     // the default setup: 103.35 mm in 10 mm steps
      {1000, 0, 50, 1, 50},     // 3.18 mm
      {15000, 6, 25, 11, 33},   // 9540 mm
      {65535, 6, 1, 12, 1},     // beyond 24000 mm: the coarsest step
      {100, 0, 50, 0, 100},     // 0.318 mm: the finest step
      {0, 3, 25, 0, 255},       // nothing spanned: the finest step, pixels saturate
      {5900, 3, 0, 12, 0},      // no pixels per division: the coarsest step
      {5900, 200, 25, 10, 42},  // the time index is taken as 6 (100 us): 3752.4 mm
  };
  for (const auto& c : cases) {
    Cell.VELOCITY = c.Velocity;
    Cell.INDEX_MARK_MKS = c.TimeIndex;
    Cell.PIXEL_GRID_LENGTH = c.Pixels;
    Cell.UpdateMillimetreGrid();
    EXPECT_EQ(Cell.INDEX_MARK_MM, c.Index) << c.Velocity;
    EXPECT_EQ(Cell.MmGridPixels1, c.GridPixels) << c.Velocity;
    EXPECT_EQ(Cell.MmGridPixels2, c.GridPixels) << c.Velocity;
  }
}

// ---- TGV point list ---------------------------------------------------------------

class TgvListTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Cell.Initialise();
    Set({0, 20, 40, 60}, {0, 10, 20, 30});
  }
  void Set(const std::vector<std::uint16_t>& positions, const std::vector<std::uint8_t>& gains) {
    Cell.TGV_POS.fill(999);
    Cell.TGV_GAIN.fill(99);
    for (std::size_t i = 0; i < positions.size(); ++i) {
      Cell.TGV_POS[i] = positions[i];
      Cell.TGV_GAIN[i] = gains[i];
    }
    Cell.TGV_NUMBER = static_cast<std::uint16_t>(positions.size());
  }
  std::vector<std::uint16_t> Positions(std::size_t n) const {
    return {Cell.TGV_POS.begin(), Cell.TGV_POS.begin() + static_cast<std::ptrdiff_t>(n)};
  }
  std::vector<std::uint8_t> Gains(std::size_t n) const {
    return {Cell.TGV_GAIN.begin(), Cell.TGV_GAIN.begin() + static_cast<std::ptrdiff_t>(n)};
  }
  TBaseConfigCell Cell;
};

TEST_F(TgvListTest, InsertInterpolatesTheGainBetweenItsNeighbours) {
  Cell.InsertTgvPoint(30);
  EXPECT_EQ(Cell.TGV_NUMBER, 5);
  EXPECT_EQ(Positions(5), (std::vector<std::uint16_t>{0, 20, 30, 40, 60}));
  EXPECT_EQ(Gains(5), (std::vector<std::uint8_t>{0, 10, 15, 20, 30}));
  Cell.InsertTgvPoint(1);  // just after point 0
  EXPECT_EQ(Positions(6), (std::vector<std::uint16_t>{0, 1, 20, 30, 40, 60}));
  EXPECT_EQ(Gains(6), (std::vector<std::uint8_t>{0, 0, 10, 15, 20, 30}));
  Cell.InsertTgvPoint(40);  // at an existing point: before it
  EXPECT_EQ(Positions(7), (std::vector<std::uint16_t>{0, 1, 20, 30, 40, 40, 60}));
  EXPECT_EQ(Gains(7), (std::vector<std::uint8_t>{0, 0, 10, 15, 20, 20, 30}));
}

TEST_F(TgvListTest, InsertAtOrAfterTheLastPointAppends) {
  Cell.InsertTgvPoint(60);
  EXPECT_EQ(Cell.TGV_NUMBER, 5);
  EXPECT_EQ(Positions(5), (std::vector<std::uint16_t>{0, 20, 40, 60, 60}));
  EXPECT_EQ(Gains(5), (std::vector<std::uint8_t>{0, 10, 20, 30, 30}));
  Cell.AppendTgvPoint(75);
  EXPECT_EQ(Cell.TGV_NUMBER, 6);
  EXPECT_EQ(Cell.TGV_POS[5], 75);
  EXPECT_EQ(Cell.TGV_GAIN[5], 30);
}

TEST_F(TgvListTest, NothingIsInsertedBeforePointZero) {
  Set({10, 20, 40}, {0, 10, 20});
  Cell.InsertTgvPoint(5);
  Cell.InsertTgvPoint(10);
  EXPECT_EQ(Cell.TGV_NUMBER, 3);
  EXPECT_EQ(Positions(4), (std::vector<std::uint16_t>{10, 20, 40, 999}));
}

TEST_F(TgvListTest, TheListStopsAtThirtyTwoPoints) {
  std::vector<std::uint16_t> positions;
  std::vector<std::uint8_t> gains;
  for (int i = 0; i < 31; ++i) {
    positions.push_back(static_cast<std::uint16_t>(10 * i));
    gains.push_back(static_cast<std::uint8_t>(i));
  }
  Set(positions, gains);
  Cell.InsertTgvPoint(15);  // TGV_NUMBER 31: the last slot is written
  EXPECT_EQ(Cell.TGV_NUMBER, 32);
  EXPECT_EQ(Cell.TGV_POS[2], 15);
  EXPECT_EQ(Cell.TGV_POS[31], 300);
  EXPECT_EQ(Cell.TGV_GAIN[31], 30);
  const auto full = Cell.TGV_POS;
  Cell.InsertTgvPoint(25);
  Cell.AppendTgvPoint(500);
  EXPECT_EQ(Cell.TGV_NUMBER, 32);
  EXPECT_EQ(Cell.TGV_POS, full);

  Set(positions, gains);
  Cell.AppendTgvPoint(777);
  EXPECT_EQ(Cell.TGV_NUMBER, 32);
  EXPECT_EQ(Cell.TGV_POS[31], 777);
  EXPECT_EQ(Cell.TGV_GAIN[31], 30);

  for (std::uint16_t n : {std::uint16_t{33}, std::uint16_t{65535}}) {
    Cell.TGV_NUMBER = n;
    const auto before = Cell.TGV_POS;
    Cell.InsertTgvPoint(5);
    Cell.AppendTgvPoint(5);
    EXPECT_EQ(Cell.TGV_NUMBER, n);
    EXPECT_EQ(Cell.TGV_POS, before);
  }
}

TEST_F(TgvListTest, AnEmptyListTakesItsFirstPoint) {
  Set({}, {});
  Cell.TGV_POS[0] = 0;
  Cell.TGV_GAIN[0] = 0;
  Cell.InsertTgvPoint(40);
  EXPECT_EQ(Cell.TGV_NUMBER, 1);
  EXPECT_EQ(Cell.TGV_POS[0], 40);
  EXPECT_EQ(Cell.TGV_GAIN[0], 0);
}

TEST_F(TgvListTest, DeleteKeepsPointZeroAndTheLastTwo) {
  Set({0, 20, 40, 60, 80, 100}, {0, 10, 20, 30, 40, 50});  // TGV_NUMBER 6
  for (std::uint8_t i : {std::uint8_t{0}, std::uint8_t{5}, std::uint8_t{6}, std::uint8_t{200}}) {
    Cell.DeleteTgvPoint(i);
    EXPECT_EQ(Cell.TGV_NUMBER, 6) << int(i);
  }
  Cell.DeleteTgvPoint(2);
  EXPECT_EQ(Cell.TGV_NUMBER, 5);
  EXPECT_EQ(Positions(6), (std::vector<std::uint16_t>{0, 20, 60, 80, 100, 999}));
  EXPECT_EQ(Gains(6), (std::vector<std::uint8_t>{0, 10, 30, 40, 50, 99}));
  Cell.DeleteTgvPoint(3);  // 5 - 2: the highest that can go
  EXPECT_EQ(Cell.TGV_NUMBER, 4);
  EXPECT_EQ(Positions(4), (std::vector<std::uint16_t>{0, 20, 60, 100}));

  Cell.TGV_NUMBER = 2;
  Cell.DeleteTgvPoint(1);
  EXPECT_EQ(Cell.TGV_NUMBER, 2);
  Cell.TGV_NUMBER = 0;
  Cell.DeleteTgvPoint(1);
  EXPECT_EQ(Cell.TGV_NUMBER, 0);
}

TEST_F(TgvListTest, DeleteNeverReadsBeyondThePoints) {
  for (std::uint16_t n : {std::uint16_t{31}, std::uint16_t{32}, std::uint16_t{65535}}) {
    for (int i = 0; i < kTgvPoints; ++i) {
      Cell.TGV_POS[static_cast<std::size_t>(i)] = static_cast<std::uint16_t>(i);
    }
    Cell.TGV_NUMBER = n;
    Cell.DeleteTgvPoint(29);
    EXPECT_EQ(Cell.TGV_NUMBER, n - 1);
    EXPECT_EQ(Cell.TGV_POS[28], 28);
    EXPECT_EQ(Cell.TGV_POS[29], 30);
    EXPECT_EQ(Cell.TGV_POS[30], 31);
    EXPECT_EQ(Cell.TGV_POS[31], 31);
  }
}

// ---- Field values no instrument sends -----------------------------------------------

TEST_F(ParametersTest, EverythingCopesWithFieldsOutOfRange) {
  Cell.INDEX_MARK_MKS = 200;  // taken as 100 us per division
  Cell.INDEX_MARK_MM = 99;    // taken as 2000 mm per division
  Cell.PROBE_FREQ = 255;
  Cell.PROBE_PULSE = 255;
  Cell.TVG_ENABLED = 255;
  Cell.PROBE_TYPE = 255;
  Cell.SCREEN_UNITS = 130;
  Cell.TGV_NUMBER = 65535;  // taken as 31 by the curve
  Cell.PIXEL_GRID_LENGTH = 0;
  Cell.PIXEL_GRID_LENGTH_MM = 0;
  Cell.VELOCITY = 0;
  Cell.ATTENUATOR1 = 65535;
  Cell.CURSOR_POSITION = 65535;
  Cell.ARD_SIGNAL_AMPLITUDE = 1e300;
  Cell.ARD_CORRECTION = INT32_MIN;
  Cell.THICKNESS = std::numeric_limits<double>::quiet_NaN();

  EXPECT_EQ(Cell.ParameterText(9), "   0.5");
  EXPECT_EQ(Cell.ParameterText(13), " 200");
  EXPECT_EQ(Cell.ParameterText(6), " " + V(64));
  EXPECT_EQ(Cell.ParameterText(8), " " + V(22));
  EXPECT_EQ(Cell.ParameterText(22), V(38) + "    " + V(42));
  EXPECT_EQ(Cell.ParameterText(28), V(42));
  EXPECT_EQ(Cell.ParameterText(0), "   0.0");  // no millimetre pixel length
  EXPECT_DOUBLE_EQ(Cell.CursorTime(), 0);
  EXPECT_DOUBLE_EQ(Cell.TimeToPixels(100), 0);
  Cell.PIXEL_GRID_LENGTH = 25;
  EXPECT_DOUBLE_EQ(Cell.TimeToPixels(100), 25);
  Cell.PIXEL_GRID_LENGTH = 0;

  for (int i = 0; i < 256; ++i) {
    const auto k = static_cast<std::uint8_t>(i);
    EXPECT_EQ(Cell.TgvPointPixel(k), 0);  // no pixels per division
    Cell.TgvPointRow(k);
    Cell.SetTgvPointPixel(k, 100);
    Cell.SetTgvPointRow(k, 100);
    Cell.ParameterText(k);
  }
  Cell.TGV_POS[31] = 1;
  Cell.TGV_GAIN[31] = 30;
  EXPECT_EQ(Cell.TgvCurveRow(1e9), 180);  // point 31 is the last
  for (double t : {-1e300, -1.0, 0.0, 5.0, 1e300, std::numeric_limits<double>::quiet_NaN(),
                   std::numeric_limits<double>::infinity()}) {
    Cell.TgvCurveRow(t);
    Cell.SetCursorTime(t);
    Cell.TimeToPixels(t);
    for (std::uint8_t s : {std::uint8_t{0}, std::uint8_t{1}, std::uint8_t{255}}) {
      Cell.SetStrobeBeginDepth(s, t);
      Cell.SetStrobeBeginPath(s, t);
      Cell.SetStrobeEndPath(s, t);
      Cell.SetStrobeLevelDb(s, 0, t);
      Cell.SetStrobeLevelDb(s, 1, t);
      Cell.StrobeBeginDepth(s);
      Cell.StrobeLevelDb(s);
    }
  }
  Cell.SetStrobeLevelDb(0, 0, std::numeric_limits<double>::quiet_NaN());
  EXPECT_EQ(Cell.STROBE_1_LEVEL_PERCENT, 0);

  for (std::uint8_t i = 0; i < 40; ++i) {
    Cell.DeleteTgvPoint(i);
    Cell.InsertTgvPoint(i);
    Cell.AppendTgvPoint(i);
  }
  Cell.UpdateMillimetreGrid();
  Cell.StepTimeScale(1);
  Cell.StepTimeScale(-1);
  Cell.StepAttenuator(1);

  // Odd real fields and odd texts for every parameter.
  for (double odd : {std::numeric_limits<double>::quiet_NaN(), 1e300, -1e300, 5e-324}) {
    Cell.PIXEL_GRID_LENGTH_MM = odd;
    Cell.THICKNESS = odd;
    Cell.PROBE_DELAY = odd;
    Cell.ZONDER_PULSE_PERIODS = odd;
    Cell.INSERTION_ANGLE = 45;
    Cell.STROBE_1_BEGIN = 65535;
    for (int p = 0; p < 256; ++p) {
      const auto k = static_cast<std::uint8_t>(p);
      Cell.ParameterText(k);
      for (const char* text : {"", "1", "-1", "1e300", "abc", "99999", "0.5"}) {
        Cell.SetParameterText(text, k);
      }
      TRecordingEditor editor;
      Cell.SetUpParameterEditor(editor, k);
      TRecordingList list;
      Cell.FillParameterList(list, k);
    }
  }
  for (int p = 0; p < kParameterCount; ++p) {
    Cell.Schemes[static_cast<std::size_t>(p)].Kind = 2;
    Cell.Schemes[static_cast<std::size_t>(p)].FirstValueString = 65500;
    Cell.Schemes[static_cast<std::size_t>(p)].EntryCount = 255;
  }
  for (int p = 0; p < 256; ++p) {
    TRecordingEditor editor;
    Cell.SetUpParameterEditor(editor, static_cast<std::uint8_t>(p));
    Cell.ParameterText(static_cast<std::uint8_t>(p));
    Cell.SetParameterText("x", static_cast<std::uint8_t>(p));
  }
  SUCCEED();
}

}  // namespace
}  // namespace velt
