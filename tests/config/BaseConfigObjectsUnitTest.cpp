// The configuration cell itself: creation, the default setup, validation
// with its repairs, copying between cells, the pictograms, the cursor
// column and the probe geometry answered from the cell's own settings.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include <config/BaseConfigObjectsUnit.h>

namespace velt {
namespace {

TEST(TBaseConfigCellTest, NewCellHoldsZerosUntilInitialised) {
  TBaseConfigCell cell;
  EXPECT_EQ(cell.VELOCITY, 0);
  EXPECT_EQ(cell.TGV_NUMBER, 0);
  EXPECT_EQ(cell.PIXEL_GRID_LENGTH, 0);
  EXPECT_EQ(cell.CONFIGURATION_NAME, "");
  EXPECT_TRUE(cell.Comments.empty());
  EXPECT_TRUE(cell.Frozen);
  EXPECT_EQ(cell.DisplayOffset, 2);

  cell.Initialise();
  EXPECT_EQ(cell.CONFIGURATION_NAME, "DEFAULT       ");
  EXPECT_EQ(cell.NameChars[14], '/');
  EXPECT_EQ(cell.TGV_NUMBER, 17);
  EXPECT_EQ(cell.CONFIGURATION_NO, 0);
}

TEST(TBaseConfigCellTest, DefaultSetupHasTheDocumentedValues) {
  TBaseConfigCell cell;
  cell.B_SCAN_BEGIN = 7;
  cell.LAST_MEM_CELL = 42;
  cell.SNAP_YEAR = 24;
  cell.Comments = {"kept"};
  cell.DEVICE_INDEX = 2;
  cell.AMPLITUDE_MARKER_POSITION = 99;
  cell.EVEN_REMINDER_FLAG = 1;
  cell.SetDefaults(37);

  EXPECT_EQ(cell.CONFIGURATION_NO, 37);
  EXPECT_EQ(cell.MAJOR_VERSION_NO, 3);
  EXPECT_EQ(cell.MINOR_VERSION_NO, 16);
  EXPECT_EQ(cell.INDEX_MARK_MKS, 2);
  EXPECT_EQ(cell.PIXEL_GRID_LENGTH, 25);
  EXPECT_EQ(cell.PREVIOUS_PIXEL_GRID_LENGTH, 25);
  EXPECT_EQ(cell.STROBE_1_BEGIN, 25);
  EXPECT_EQ(cell.STROBE_1_END, 45);
  EXPECT_EQ(cell.STROBE_2_BEGIN, 100);
  EXPECT_EQ(cell.STROBE_2_END, 150);
  EXPECT_EQ(cell.STROBE_1_LEVEL, 30);
  EXPECT_EQ(cell.STROBE_2_LEVEL, 25);
  EXPECT_EQ(cell.STROBE_1_LEVEL_PERCENT, 30);
  EXPECT_EQ(cell.STROBE_2_LEVEL_PERCENT, 20);
  EXPECT_EQ(cell.CURSOR_POSITION, 160);
  const std::array<std::uint8_t, 25> pictograms = {1,  3,  5,  7, 11, 15, 20, 21, 22,
                                                   23, 24, 0,  17, 18, 0, 0,  0,  0,
                                                   0,  0,  0,  0,  0,  0, 17};
  EXPECT_EQ(cell.PICTOGR_ARRAY, pictograms);
  EXPECT_EQ(cell.TGV_GAIN[0], 0);
  for (int i = 1; i < kTgvPoints; ++i) {
    EXPECT_EQ(cell.TGV_GAIN[static_cast<std::size_t>(i)], 10);
    EXPECT_EQ(cell.TGV_POS[static_cast<std::size_t>(i)], 20 * i);
  }
  EXPECT_EQ(cell.TGV_CURSOR_POSITION, 5);
  EXPECT_EQ(cell.VELOCITY, 3250);
  EXPECT_DOUBLE_EQ(cell.THICKNESS, 12.0);
  EXPECT_DOUBLE_EQ(cell.ZONDER_PULSE_PERIODS, 1.0);
  EXPECT_EQ(cell.USED_MODE, 256);
  EXPECT_EQ(cell.UsedModeCopy, 256);
  EXPECT_EQ(cell.SCREEN_MODE, 1);
  EXPECT_EQ(cell.REFRESH_RATE, 50);
  EXPECT_DOUBLE_EQ(cell.PROBE_ARROW, 12.0);
  EXPECT_EQ(cell.INSERTION_ANGLE, 65);
  EXPECT_EQ(cell.PROBE_FREQ, 17);
  EXPECT_DOUBLE_EQ(cell.PROBE_DELAY, 8.6);
  EXPECT_EQ(cell.CONTRAST, 15);
  EXPECT_EQ(cell.PODSVETKA, 1);
  EXPECT_DOUBLE_EQ(cell.B_SCAN_RATE, 2.0);
  EXPECT_EQ(cell.OPORN_LEVEL_ON, 4);
  EXPECT_DOUBLE_EQ(cell.ARD_PLATE_DIAMETER, 12.0);
  EXPECT_EQ(cell.AMPLITUDE_MARKER_POSITION, 0);
  EXPECT_EQ(cell.EVEN_REMINDER_FLAG, 0);
  EXPECT_EQ(cell.DEVICE_INDEX, 0);
  EXPECT_EQ(cell.Parameter29Value, 1);
  // What the defaults leave alone.
  EXPECT_EQ(cell.B_SCAN_BEGIN, 7);
  EXPECT_EQ(cell.LAST_MEM_CELL, 42);
  EXPECT_EQ(cell.SNAP_YEAR, 24);
  EXPECT_EQ(cell.Comments, std::vector<std::string>{"kept"});
}

// A cell that passes Validate, to be broken one condition at a time.
void MakeValid(TBaseConfigCell& cell) {
  cell.Initialise();
  cell.PIXEL_GRID_LENGTH_MM = 40;
  cell.PREV_PIXEL_GRID_LENGTH_MM = 40;
}

TEST(TBaseConfigCellTest, ValidateChecksEachPlausibilityCondition) {
  struct TCase {
    const char* What;
    std::function<void(TBaseConfigCell&)> Change;
    bool Valid;
  };
  const std::vector<TCase> cases = {
      {"valid", [](TBaseConfigCell&) {}, true},
      {"mm grid 24.9", [](TBaseConfigCell& c) { c.PIXEL_GRID_LENGTH_MM = 24.9; }, false},
      {"mm grid 25", [](TBaseConfigCell& c) { c.PIXEL_GRID_LENGTH_MM = 25; }, true},
      {"mm grid 90", [](TBaseConfigCell& c) { c.PIXEL_GRID_LENGTH_MM = 90; }, true},
      {"mm grid 90.1", [](TBaseConfigCell& c) { c.PIXEL_GRID_LENGTH_MM = 90.1; }, false},
      {"prev mm grid 0", [](TBaseConfigCell& c) { c.PREV_PIXEL_GRID_LENGTH_MM = 0; }, false},
      {"grid 0", [](TBaseConfigCell& c) { c.PIXEL_GRID_LENGTH = 0; }, false},
      {"grid 91", [](TBaseConfigCell& c) { c.PIXEL_GRID_LENGTH = 91; }, false},
      {"level 1 101", [](TBaseConfigCell& c) { c.STROBE_1_LEVEL_PERCENT = 101; }, false},
      {"level 2 100", [](TBaseConfigCell& c) { c.STROBE_2_LEVEL_PERCENT = 100; }, true},
      {"begin 1 321", [](TBaseConfigCell& c) { c.STROBE_1_BEGIN = 321; }, false},
      {"begin 2 320", [](TBaseConfigCell& c) { c.STROBE_2_BEGIN = 320; }, true},
      {"end 1 900", [](TBaseConfigCell& c) { c.STROBE_1_END = 900; }, true},
      {"angle 91", [](TBaseConfigCell& c) { c.INSERTION_ANGLE = 91; }, false},
      {"velocity 999", [](TBaseConfigCell& c) { c.VELOCITY = 999; }, false},
      {"velocity 15000", [](TBaseConfigCell& c) { c.VELOCITY = 15000; }, true},
      {"velocity 15001", [](TBaseConfigCell& c) { c.VELOCITY = 15001; }, false},
      {"prev grid 0", [](TBaseConfigCell& c) { c.PREVIOUS_PIXEL_GRID_LENGTH = 0; }, false},
  };
  for (const TCase& c : cases) {
    TBaseConfigCell cell;
    MakeValid(cell);
    c.Change(cell);
    EXPECT_EQ(cell.Validate(), c.Valid) << c.What;
  }
}

TEST(TBaseConfigCellTest, ValidateRepairsTheDgsValuesWhateverItsResult) {
  struct TCase {
    std::int32_t Correction;
    double Diameter, Amplitude, Floor, Attenuation;
    std::int32_t ExpectCorrection;
    double ExpectDiameter, ExpectAmplitude, ExpectFloor, ExpectAttenuation;
  };
  const std::vector<TCase> cases = {
      {-1, 0.5, 1, 0.5, -0.1, 0, 5.0, 70.0, 12.0, 10.0},
      {91, 25.1, 200.1, 25.1, 100, 0, 5.0, 70.0, 12.0, 10.0},
      {90, 25, 200, 25, 99.9, 90, 25, 200, 25, 99.9},
      {0, 0.51, 1.01, 0.51, 0, 0, 0.51, 1.01, 0.51, 0},
  };
  for (bool valid : {true, false}) {
    for (const TCase& c : cases) {
      TBaseConfigCell cell;
      MakeValid(cell);
      if (!valid) {
        cell.PIXEL_GRID_LENGTH = 0;
      }
      cell.TGV_GAIN[0] = 17;
      cell.ARD_CORRECTION = c.Correction;
      cell.ARD_PLATE_DIAMETER = c.Diameter;
      cell.ARD_SIGNAL_AMPLITUDE = c.Amplitude;
      cell.ARD_PLATE_FLOOR_DIAMETER = c.Floor;
      cell.ARD_ATTENUATION = c.Attenuation;
      EXPECT_EQ(cell.Validate(), valid);
      EXPECT_EQ(cell.ARD_CORRECTION, c.ExpectCorrection);
      EXPECT_DOUBLE_EQ(cell.ARD_PLATE_DIAMETER, c.ExpectDiameter);
      EXPECT_DOUBLE_EQ(cell.ARD_SIGNAL_AMPLITUDE, c.ExpectAmplitude);
      EXPECT_DOUBLE_EQ(cell.ARD_PLATE_FLOOR_DIAMETER, c.ExpectFloor);
      EXPECT_DOUBLE_EQ(cell.ARD_ATTENUATION, c.ExpectAttenuation);
      EXPECT_EQ(cell.TGV_GAIN[0], 0);
    }
  }
  // A NaN from a file is no plausible value either.
  TBaseConfigCell cell;
  MakeValid(cell);
  cell.ARD_ATTENUATION = std::nan("");
  cell.Validate();
  EXPECT_DOUBLE_EQ(cell.ARD_ATTENUATION, 10.0);
}

TEST(TBaseConfigCellTest, AssignCopiesTheSetupButNotTheCellsOwnPlace) {
  TBaseConfigCell source;
  source.Initialise();
  source.CONFIGURATION_NAME = "SOURCE NAME   ";
  for (int i = 0; i < kNameLength; ++i) {
    source.NameChars[static_cast<std::size_t>(i)] =
        static_cast<std::uint8_t>(source.CONFIGURATION_NAME[static_cast<std::size_t>(i)]);
  }
  source.NameChars[15] = 'x';
  source.CONFIGURATION_NO = 5;
  source.B_SCAN_BEGIN = 11;
  source.B_SCAN_END = 12;
  source.AMPLITUDE_MARKER_POSITION = 13;
  source.Comments = {"source comment"};
  source.VELOCITY = 5900;
  source.THICKNESS = 33.3;
  source.TGV_GAIN[3] = 29;
  source.UsedModeCopy = -5;
  source.ScreenHeight = 180;
  source.Parameter29Value = 9;
  source.DEVICE_INDEX = 2;
  source.MAJOR_VERSION_NO = 5;
  source.SNAP_SECOND = 59;
  source.ARD_CORRECTION = 7;
  source.PIXEL_GRID_LENGTH_MM = 44.5;
  source.MmGridPixels1 = 77;
  source.DisplayOffset = 9;
  source.Frozen = false;

  TBaseConfigCell target;
  target.Initialise();
  target.CONFIGURATION_NO = 8;
  target.B_SCAN_BEGIN = 1;
  target.B_SCAN_END = 2;
  target.AMPLITUDE_MARKER_POSITION = 3;
  target.Comments = {"target comment"};
  const std::uint8_t targetGrid = target.MmGridPixels1;
  target.Assign(&source);

  EXPECT_EQ(target.CONFIGURATION_NAME, "SOURCE NAME   ");
  EXPECT_EQ(target.NameChars[0], 'S');
  EXPECT_NE(target.NameChars[15], 'x');  // only characters 0..13 travel
  EXPECT_EQ(target.VELOCITY, 5900);
  EXPECT_DOUBLE_EQ(target.THICKNESS, 33.3);
  EXPECT_EQ(target.TGV_GAIN[3], 29);
  EXPECT_EQ(target.UsedModeCopy, -5);
  EXPECT_EQ(target.ScreenHeight, 180);
  EXPECT_EQ(target.Parameter29Value, 9);
  EXPECT_EQ(target.DEVICE_INDEX, 2);
  EXPECT_EQ(target.MAJOR_VERSION_NO, 5);
  EXPECT_EQ(target.SNAP_SECOND, 59);
  EXPECT_EQ(target.ARD_CORRECTION, 7);
  EXPECT_DOUBLE_EQ(target.PIXEL_GRID_LENGTH_MM, 44.5);

  EXPECT_EQ(target.CONFIGURATION_NO, 8);
  EXPECT_EQ(target.B_SCAN_BEGIN, 1);
  EXPECT_EQ(target.B_SCAN_END, 2);
  EXPECT_EQ(target.AMPLITUDE_MARKER_POSITION, 3);
  EXPECT_EQ(target.Comments, std::vector<std::string>{"target comment"});
  EXPECT_EQ(target.MmGridPixels1, targetGrid);
  EXPECT_EQ(target.DisplayOffset, 2);
  EXPECT_TRUE(target.Frozen);

  target.Assign(nullptr);  // no other cell: nothing happens
  EXPECT_EQ(target.VELOCITY, 5900);
}

TEST(TBaseConfigCellTest, UpdatePictogramsFollowsTheModes) {
  TBaseConfigCell cell;
  cell.Initialise();
  cell.CURSOR_1_ENABLED = 1;
  cell.CURSOR_2_ENABLED = 0;
  cell.STROBE_ALGORYTHM = 2;
  cell.SIGNAL_TYPE = 3;
  cell.SCREEN_MODE = 3;
  for (const auto& [tvg, expected] : std::vector<std::pair<std::uint8_t, std::uint8_t>>{
           {0, 5}, {1, 6}, {2, 38}}) {
    cell.TVG_ENABLED = tvg;
    cell.UpdatePictograms();
    EXPECT_EQ(cell.PICTOGR_ARRAY[0], 2);
    EXPECT_EQ(cell.PICTOGR_ARRAY[1], 3);
    EXPECT_EQ(cell.PICTOGR_ARRAY[2], 36);
    EXPECT_EQ(cell.PICTOGR_ARRAY[3], 10);
    EXPECT_EQ(cell.PICTOGR_ARRAY[4], 13);
    EXPECT_EQ(cell.PICTOGR_ARRAY[5], expected);
    EXPECT_EQ(cell.PICTOGR_ARRAY[6], 20);  // entries from 6 on are not the modes'
  }
}

TEST(TBaseConfigCellTest, SetCursorPixelKeepsTheCursorOnThePicture) {
  TBaseConfigCell cell;
  for (const auto& [given, stored] : std::vector<std::pair<std::uint16_t, std::uint16_t>>{
           {0, 0}, {318, 318}, {319, 319}, {320, 319}, {400, 319}, {65535, 319}}) {
    cell.SetCursorPixel(given);
    EXPECT_EQ(cell.CursorPixel(), stored) << given;
    EXPECT_EQ(cell.MeasurementPosition(), stored);
  }
}

TEST(TBaseConfigCellTest, GeometryOfTheDefaultSetup) {
  TBaseConfigCell cell;
  cell.Initialise();
  // Cursor 160 at 5 µs per 25 pixels: 32 µs; 3250 m/s: 52 mm of path.
  EXPECT_DOUBLE_EQ(cell.MeasuredTime(), 32.0);
  EXPECT_DOUBLE_EQ(cell.BeamPath(), 52.0);
  EXPECT_DOUBLE_EQ(cell.EffectiveThickness(), 12.0);
  const double down = std::cos(65 * M_PI / 180) * 52.0;  // 21.98 mm: one leg and a bit
  EXPECT_EQ(cell.LegNumber(), 1);
  EXPECT_NEAR(cell.Depth(), 12.0 - (down - 12.0), 1e-9);
  EXPECT_NEAR(cell.HorizontalOffset(), std::sin(65 * M_PI / 180) * 52.0 - 12.0, 1e-9);

  cell.INSERTION_ANGLE = 0;  // straight probe: no folding, no offset
  EXPECT_DOUBLE_EQ(cell.Depth(), 52.0);
  EXPECT_EQ(cell.LegNumber(), 4);
  EXPECT_DOUBLE_EQ(cell.HorizontalOffset(), 0.0);

  for (double off : {0.0, 900.0, 950.0}) {
    cell.INSERTION_ANGLE = 65;
    cell.THICKNESS = off;
    EXPECT_DOUBLE_EQ(cell.EffectiveThickness(), 0.0);
    EXPECT_EQ(cell.LegNumber(), 0);
    EXPECT_NEAR(cell.Depth(), down, 1e-9);
  }
}

TEST(TBaseConfigCellTest, LegNumberStopsAtAHundredAndTinyThicknessesStaySafe) {
  TBaseConfigCell cell;
  cell.Initialise();
  cell.INSERTION_ANGLE = 0;
  cell.THICKNESS = 0.01;
  EXPECT_EQ(cell.LegNumber(), 100);
  cell.THICKNESS = 1e-12;  // not "in use", but the depth still folds: must end
  cell.INSERTION_ANGLE = 10;
  const double depth = cell.Depth();
  EXPECT_GE(depth, 0.0);
  EXPECT_LE(depth, 1e-12);
}

TEST(TBaseConfigCellTest, SetInsertionAngleTakesWholeDegreesInRange) {
  TBaseConfigCell cell;
  cell.Initialise();
  cell.SetInsertionAngle(44.5);
  EXPECT_EQ(cell.INSERTION_ANGLE, 44);  // ties to even
  cell.SetInsertionAngle(45.5);
  EXPECT_EQ(cell.INSERTION_ANGLE, 46);
  cell.SetInsertionAngle(300);
  EXPECT_EQ(cell.INSERTION_ANGLE, 46);
  cell.SetInsertionAngle(-1);
  EXPECT_EQ(cell.INSERTION_ANGLE, 46);
  cell.SetInsertionAngle(256);
  EXPECT_EQ(cell.INSERTION_ANGLE, 255);  // the byte keeps its largest value
  EXPECT_DOUBLE_EQ(cell.InsertionAngle(), 255);
  EXPECT_FALSE(cell.PeakPositionAvailable());
  EXPECT_EQ(cell.PeakPosition(), 0);
}

TEST(TBaseConfigCellTest, GuardedTablesTakeTheNearestValidEntry) {
  TBaseConfigCell cell;
  cell.INDEX_MARK_MKS = 200;
  cell.INDEX_MARK_MM = 99;
  cell.PROBE_FREQ = 255;
  cell.PROBE_PULSE = 7;
  cell.TGV_NUMBER = 65535;
  EXPECT_DOUBLE_EQ(cell.TimePerDivision(), 100);
  EXPECT_DOUBLE_EQ(cell.MmPerDivision(), 2000);
  EXPECT_DOUBLE_EQ(cell.ProbeFrequencyMHz(), 0.5);
  EXPECT_EQ(cell.ProbePulse(), 200);
  EXPECT_EQ(cell.LastTgvPoint(), 31);
  cell.INDEX_MARK_MKS = 3;
  cell.PROBE_FREQ = 17;
  EXPECT_DOUBLE_EQ(cell.TimePerDivision(), 10);
  EXPECT_DOUBLE_EQ(cell.ProbeFrequencyMHz(), 2.5);
}

}  // namespace
}  // namespace velt
