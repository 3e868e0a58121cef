// Firmware 5.00: the compact device image (its offsets, scalings and
// particular rules), names in instrument codes, the cursor and level switches,
// the text record with its own name block, defaults, copying and random
// round trips.
#include <config/ConfigObject5_00ver_Unit.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <config/CharMappingUnit.h>
#include <config/ConfigObject5_01ver_Unit.h>
#include <config/Rounding.h>
#include <config/TextRecordIO.h>

#include "Cell500TestSupport.h"

namespace velt {
namespace {

// A setup whose every field the compact block holds has a value of its own.
void Distinctive(T5_00ConfigCell& c) {
  c.Initialise();
  c.CONFIGURATION_NO = 42;
  c.CONFIGURATION_NAME = "\xC0" "B.\xB0";  // Cyrillic А, B, ".", degree sign
  c.VELOCITY = 0x1A2B;
  c.PROBE_FREQ = 37;
  c.PROBE_PULSE = 2;
  c.ZONDER_PULSE_PERIODS = 3.5;
  c.REFRESH_RATE = 200;
  c.FILTER_BAND = 1;
  c.PROBE_DELAY = 12.34;
  c.BeamAngle = 45.6;
  c.PROBE_ARROW = 12.3;
  c.THICKNESS = 250.7;
  c.OTSECHKA = 33;
  c.STROBE_ALGORYTHM = 2;
  c.POISK = 12;
  c.ARD_PLATE_DIAMETER = 6.4;
  c.ARD_SIGNAL_AMPLITUDE = 44.5;
  c.ARD_PLATE_FLOOR_DIAMETER = 2.5;
  c.CURSOR_1_ENABLED = 5;
  c.CURSOR_2_ENABLED = 6;
  c.SIGNAL_TYPE = 3;
  c.USER_MODE = 0x1234;
  c.TVG_ENABLED = 2;
  c.ARD_ATTENUATION = 9.9;
  c.PROBE_TYPE = 1;
  c.LAST_MEM_CELL = 0x0BCD;
  c.B_SCAN_RATE = 7;
  c.SCREEN_UNITS = 2;
  c.PIXEL_GRID_LENGTH = 31;
  c.PREVIOUS_PIXEL_GRID_LENGTH = 32;
  c.INDEX_MARK_MKS = 4;
  c.CONTRAST = 14;
  c.PODSVETKA = 3;
  c.CURSOR_POSITION = 0x0123;
  c.StrobeBeginTime = {1.25, 300.5};
  c.StrobeEndTime = {20.5, 400.75};
  c.STROBE_1_LEVEL_PERCENT = 30;
  c.STROBE_2_LEVEL_PERCENT = 50;
  c.ATTENUATOR1 = 44;
  c.ARD_CORRECTION = 7;
  c.SCREEN_MODE = 3;
  c.UsedModeCopy = 0x0301;
  c.USED_MODE = 0;
  c.CURSOR_1_ENABLED = 0;
  c.PICTOGR_ARRAY[0] = 99;  // not what Update pictograms would make of it
  c.TGV_GAIN[1] = 29;
  c.TGV_POS[31] = 0xBEEF;
  c.TGV_CURSOR_POSITION = 0x0A0B;
  c.TGV_NUMBER = 9;
  c.PIXEL_GRID_LENGTH_MM = 42.348;
  c.PREV_PIXEL_GRID_LENGTH_MM = 41.996;
  c.INDEX_MARK_MM = 11;
  c.SNAP_YEAR = 24;
  c.SNAP_SECOND = 58;
  c.AMPLITUDE_MARKER_POSITION = 0x0111;
  c.PIXEL_GRID_LENGTH_MM_DEPTH = 33.337;
  c.PrevPixelGridLengthMmDepth = 12.0;
  c.INDEX_MARK_MM_DEPTH = 10;
  c.EXACT_SCREEN_CURS_POS_FLAG = 1;
  c.EXACT_SCREEN_CURS_POSITION = 123.45;
  c.EXACT_LUPA_MKS_CURS_POSITION = 67.89;
  c.CURSOR_IS_IN_LUPA = 1;
  c.SCREEN_CURSOR_LUPA_POS = 0x0C0D;
  c.Frozen = true;
  c.CURSOR_ON = 0x77;
  c.CONFIG_INDEX = 0x0E0F;
}

// ---- Construction and defaults -----------------------------------------------

TEST(T5_00ConfigCellTest, ACellIsCreatedWithDisplayOffset0AndKeepsItInTheDefaults) {
  T5_00ConfigCell cell;
  EXPECT_EQ(cell.DisplayOffset, 0);
  EXPECT_TRUE(cell.Frozen);
  EXPECT_EQ(cell.VELOCITY, 0);

  cell.CURSOR_ON = 3;
  cell.LEVEL_ON = 4;
  cell.Frozen = false;
  cell.SCREEN_CURSOR_LUPA_POS = 7;
  cell.SetDefaults(12);
  EXPECT_EQ(cell.DisplayOffset, 0);
  EXPECT_EQ(cell.CURSOR_ON, 0);
  EXPECT_EQ(cell.LEVEL_ON, 0);
  EXPECT_TRUE(cell.Frozen);
  EXPECT_EQ(cell.SCREEN_CURSOR_LUPA_POS, 100);
  EXPECT_EQ(cell.CONFIGURATION_NO, 12);
  EXPECT_EQ(cell.VELOCITY, 3250);

  // The classes before 5.00 keep offset 2.
  T4_08ConfigCell older;
  older.Initialise();
  EXPECT_EQ(older.DisplayOffset, 2);
  T5_01ConfigCell later;
  later.Initialise();
  EXPECT_EQ(later.DisplayOffset, 0);
}

// ---- Device image: layout --------------------------------------------------------

TEST(T5_00ConfigCellImageTest, TheEncoderWritesEachFieldAtItsOffset) {
  T5_00ConfigCell cell;
  Distinctive(cell);
  TDeviceImage image;
  image.fill(0xAA);
  cell.EncodeImage(image, 3);  // the number written is the cell's own

  struct TCase {
    const char* What;
    std::size_t Offset;
    std::size_t Width;
    std::uint32_t Value;
  };
  const std::vector<TCase> cases = {
      {"number tens", 0, 1, '4'},
      {"number units", 1, 1, '2'},
      {"number dot", 2, 1, '.'},
      {"name 0: А", 3, 1, 0xE0},
      {"name 1: B", 4, 1, 0x62},
      {"name 2: .", 5, 1, 0x2E},
      {"name 3: degree", 6, 1, 0x2A},
      {"name 4: blank", 7, 1, 0x20},
      {"name 13: blank", 16, 1, 0x20},
      {"name 14: /", 17, 1, '/'},
      {"VELOCITY", 23, 2, 0x1A2B},
      {"PROBE_FREQ", 25, 1, 37},
      {"PROBE_PULSE", 26, 1, 2},
      {"ZONDER_PULSE_PERIODS x 2", 27, 1, 7},
      {"REFRESH_RATE", 28, 1, 200},
      {"FILTER_BAND", 29, 1, 1},
      {"PROBE_DELAY x 100", 30, 2, 1234},
      {"beam angle x 10", 32, 2, 456},
      {"PROBE_ARROW x 10", 34, 2, 123},
      {"THICKNESS x 10", 36, 2, 2507},
      {"OTSECHKA", 38, 1, 33},
      {"STROBE_ALGORYTHM", 39, 1, 2},
      {"POISK", 40, 1, 12},
      {"ARD_PLATE_DIAMETER x 10", 41, 2, 64},
      {"ARD_SIGNAL_AMPLITUDE, 44.5 to even", 43, 1, 44},
      {"ARD_PLATE_FLOOR_DIAMETER x 10", 44, 2, 25},
      {"CURSOR_1_ENABLED", 46, 1, 0},
      {"CURSOR_2_ENABLED", 47, 1, 6},
      {"SIGNAL TYPE", 48, 1, 3},
      {"USER_MODE low byte", 49, 1, 0x34},
      {"TVG_ENABLED", 50, 1, 2},
      {"ARD_ATTENUATION x 10", 51, 2, 99},
      {"PROBE_TYPE", 53, 1, 1},
      {"reserved 54", 54, 1, 0xAA},
      {"LAST MEM CELL", 55, 2, 0x0BCD},
      {"reserved 57", 57, 1, 0xAA},
      {"B-SCAN RATE x 10", 58, 2, 70},
      {"SCREEN UNITS", 60, 1, 2},
      {"reserved 18..22", 18, 4, 0xAAAAAAAA},
      {"reserved 61..64", 61, 4, 0xAAAAAAAA},
      {"reserved 139..142", 139, 4, 0xAAAAAAAA},
      {"PIXEL_GRID_LENGTH", 143, 1, 31},
      {"PREVIOUS PIXEL GRID LENGTH", 144, 1, 32},
      {"INDEX_MARK_MKS", 145, 1, 4},
      {"CURSOR_POSITION", 148, 2, 0x0123},
      {"strobe 1 begin time x 100", 150, 3, 125},
      {"strobe 2 end time x 100", 159, 3, 40075},
      {"STROBE_1_LEVEL high byte", 162, 1, 0},
      {"STROBE_1_LEVEL: 203 - 30 x 180 / 100", 163, 1, 149},
      {"STROBE_2_LEVEL: 203 - 50 x 180 / 100", 165, 1, 113},
      {"ATTENUATOR1", 166, 2, 44},
      {"STROBE_1_LEVEL_PERCENT", 170, 1, 30},
      {"SCREEN_MODE", 172, 2, 3},
      {"USED MODE from its second copy", 174, 2, 0x0301},
      {"pictogram 0 as the cell holds it", 176, 1, 99},
      {"TGV_GAIN[1]", 202, 1, 29},
      {"TGV_POS[31]", 233 + 62, 2, 0xBEEF},
      {"TGV_CURSOR_POSITION with its value", 297, 2, 0x0A0B},
      {"TGV_NUMBER", 299, 2, 9},
      {"PIXEL_GRID_LENGTH_MM x 100 rounded", 303, 2, 4235},
      {"PREV_PIXEL_GRID_LENGTH_MM x 100 rounded", 305, 2, 4200},
      {"INDEX_MARK_MM", 307, 1, 11},
      {"SNAP YEAR", 308, 1, 24},
      {"SNAP_SECOND", 313, 1, 58},
      {"AMPLITUDE_MARKER_POSITION", 314, 2, 0x0111},
      {"PIXEL_GRID_LENGTH_MM_DEPTH x 100 rounded", 316, 2, 3334},
      {"the depth grid again", 318, 2, 3334},
      {"INDEX_MARK_MM_DEPTH", 320, 1, 10},
      {"EXACT_SCREEN_CURS_POSITION x 100", 321, 4, 12345},
      {"EXACT_SCREEN_CURS_POS_FLAG", 325, 1, 1},
      {"EXACT_LUPA_MKS_CURS_POSITION x 100", 326, 4, 6789},
      {"CURSOR_IS_IN_LUPA", 330, 1, 1},
      {"SCREEN CURSOR LUPA POS", 331, 2, 0x0C0D},
      {"freeze flag", 333, 1, 1},
      {"CURSOR_ON", 334, 1, 0x77},
      {"LEVEL_ON from POISK", 335, 1, 1},
      {"after LEVEL_ON", 336, 1, 0xAA},
      {"CONFIG INDEX", 501, 2, 0x0E0F},
  };
  for (const TCase& c : cases) {
    EXPECT_EQ(Be(image, c.Offset, c.Width), c.Value) << c.What << " at " << c.Offset;
  }
  // The encoder leaves the pictograms and the levels of the cell as the
  // image has them.
  EXPECT_EQ(cell.PICTOGR_ARRAY[0], 99);
  EXPECT_EQ(cell.STROBE_1_LEVEL, 149);
  EXPECT_EQ(cell.USED_MODE, 0x0301);
}

TEST(T5_00ConfigCellImageTest, TheNumberBytesAreTheCellsOwnNumberInCodes) {
  struct TCase {
    std::uint16_t Number;
    const char* Codes;
  };
  for (const TCase& c : std::vector<TCase>{{0, "00."}, {7, "07."}, {42, "42."}, {99, "99."}}) {
    SCOPED_TRACE(c.Number);
    T5_00ConfigCell cell;
    cell.Initialise();
    cell.CONFIGURATION_NO = c.Number;
    TDeviceImage image{};
    cell.EncodeImage(image, 55);
    EXPECT_EQ(std::string(image.begin(), image.begin() + 3), c.Codes);
  }
}

TEST(T5_00ConfigCellImageTest, TheNameGoesOutInInstrumentCodes) {
  struct TCase {
    std::string Name;
    std::vector<std::uint8_t> Codes;  // image bytes 3..17
  };
  const std::uint8_t b = 0x20;
  const std::vector<TCase> cases = {
      {"ABC", {0x61, 0x62, 0x63, b, b, b, b, b, b, b, b, b, b, b, '/'}},
      // Cyrillic А, the degree and micro signs, the lower-case letters the
      // instrument shows.
      {"\xC0\xB0\xB5" "dmsin>", {0xE0, 0x2A, 0x55, 0x44, 0x4D, 0x53, 0x49, 0x4E, 0x5F, b, b, b, b,
                                 b, '/'}},
      // "/" and characters without a code become blanks; the rest stays.
      {"AB/CD", {0x61, 0x62, b, 0x63, 0x64, b, b, b, b, b, b, b, b, b, '/'}},
      {"a?Z", {b, b, 0x7A, b, b, b, b, b, b, b, b, b, b, b, '/'}},
      // Only 14 characters reach the instrument; "/" goes over the 15th.
      {"ABCDEFGHIJKLMNOP",
       {0x61, 0x62, 0x63, 0x64, 0x65, 0x66, 0x67, 0x68, 0x69, 0x6A, 0x6B, 0x6C, 0x6D, 0x6E, '/'}},
      {"", {b, b, b, b, b, b, b, b, b, b, b, b, b, b, '/'}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    T5_00ConfigCell cell;
    cell.Initialise();
    cell.CONFIGURATION_NAME = c.Name;
    TDeviceImage image{};
    cell.EncodeImage(image, 0);
    EXPECT_EQ(std::vector<std::uint8_t>(image.begin() + 3, image.begin() + 18), c.Codes);
    // The name characters hold the codes, a blank at 14 and "/" at 15.
    std::vector<std::uint8_t> chars(c.Codes);
    chars[14] = b;
    chars.push_back('/');
    EXPECT_EQ(std::vector<std::uint8_t>(cell.NameChars.begin(), cell.NameChars.begin() + 16),
              chars);
    EXPECT_EQ(cell.CONFIGURATION_NAME, c.Name);
  }
}

TEST(T5_00ConfigCellImageTest, TheNameComesInFromInstrumentCodes) {
  struct TCase {
    std::vector<std::uint8_t> Codes;  // image bytes 3..17
    std::string Name;
  };
  const std::uint8_t b = 0x20;
  const std::vector<TCase> cases = {
      {{0x61, 0x62, 0x63, b, b, b, b, b, b, b, b, b, b, b, '/'}, "ABC            "},
      {{0xE0, 0xFF, 0x2A, 0x55, 0x44, 0x7E, b, b, b, b, b, b, b, b, '/'},
       "\xC0\xDF\xB0\xB5" "d\\         "},
      // A "/" code ends the name; codes without an entry read as blanks.
      {{0x61, 0x62, '/', 0x63, 0x64, b, b, b, b, b, b, b, b, b, '/'}, "AB             "},
      {{0x00, 0x41, 0x7A, 0xFE, b, b, b, b, b, b, b, b, b, b, '/'}, "  Z\xDE           "},
      // Without a "/" all 15 places are name.
      {{0x61, 0x62, 0x63, 0x64, 0x65, 0x66, 0x67, 0x68, 0x69, 0x6A, 0x6B, 0x6C, 0x6D, 0x6E, 0x6F},
       "ABCDEFGHIJKLMNO"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    T5_00ConfigCell source;
    source.Initialise();
    TDeviceImage image{};
    source.EncodeImage(image, 0);
    std::copy(c.Codes.begin(), c.Codes.end(), image.begin() + 3);
    T5_00ConfigCell cell;
    cell.DecodeImage(image, 0);
    EXPECT_EQ(cell.CONFIGURATION_NAME, c.Name);
    EXPECT_EQ(std::vector<std::uint8_t>(cell.NameChars.begin(), cell.NameChars.begin() + 15),
              c.Codes);
  }
}

// ---- Device image: the particular rules ------------------------------------------

// The image of the default setup, to be changed byte by byte.
TDeviceImage DefaultImage() {
  T5_00ConfigCell cell;
  cell.Initialise();
  TDeviceImage image{};
  cell.EncodeImage(image, 0);
  return image;
}

TEST(T5_00ConfigCellImageTest, TheDecoderAppliesTheScalingsAndRulesOfTheCompactBlock) {
  TDeviceImage image = DefaultImage();
  image[27] = 5;  // pulse periods x 2
  image[36] = 0x01;  // thickness x 10: 0x0139 = 313
  image[37] = 0x39;
  image[32] = 0x01;  // beam angle x 10: 0x01C5 = 453 -> 45.3, INSERTION_ANGLE 45
  image[33] = 0xC5;
  image[43] = 70;   // DGS amplitude
  image[49] = 0xF1;  // USER_MODE low byte
  image[58] = 0x00;  // B-scan rate x 10: 25 -> 2.5
  image[59] = 25;
  image[163] = 0x55;  // a level row: recomputed from the percent
  image[170] = 30;
  image[173] = 2;  // screen mode 2 is not accepted
  T5_00ConfigCell cell;
  cell.DecodeImage(image, 6);
  EXPECT_EQ(cell.ZONDER_PULSE_PERIODS, 2.5);
  EXPECT_DOUBLE_EQ(cell.THICKNESS, 31.3);
  EXPECT_EQ(cell.EVEN_REMINDER_FLAG, 1);
  EXPECT_DOUBLE_EQ(cell.BeamAngle, 45.3);
  EXPECT_EQ(cell.INSERTION_ANGLE, 45);
  EXPECT_EQ(cell.ARD_SIGNAL_AMPLITUDE, 70.0);
  EXPECT_EQ(cell.USER_MODE, 0xF1);
  EXPECT_EQ(cell.B_SCAN_RATE, 2.5);
  EXPECT_EQ(cell.STROBE_1_LEVEL, 126);
  EXPECT_EQ(cell.ScreenHeight, 180);
  EXPECT_EQ(cell.SCREEN_MODE, 1);
  EXPECT_EQ(cell.CONFIGURATION_NO, 6);
}

TEST(T5_00ConfigCellImageTest, AThicknessOf900OrMoreIsSwitchedOff) {
  struct TCase {
    std::uint16_t Stored;  // x 10
    double Thickness;
    std::uint16_t Flag;
  };
  for (const TCase& c : std::vector<TCase>{
           {0, 0, 1}, {123, 12.3, 1}, {8999, 899.9, 1}, {9000, 0, 0}, {65535, 0, 0}}) {
    SCOPED_TRACE(c.Stored);
    TDeviceImage image = DefaultImage();
    image[36] = static_cast<std::uint8_t>(c.Stored >> 8);
    image[37] = static_cast<std::uint8_t>(c.Stored);
    T5_00ConfigCell cell;
    cell.EVEN_REMINDER_FLAG = 7;
    cell.DecodeImage(image, 0);
    EXPECT_DOUBLE_EQ(cell.THICKNESS, c.Thickness);
    EXPECT_EQ(cell.EVEN_REMINDER_FLAG, c.Flag);
  }
}

TEST(T5_00ConfigCellImageTest, PulsePeriods2Point5EncodeAsByte5) {
  struct TCase {
    double Periods;
    std::uint8_t Byte;
  };
  // Twice the periods, rounded to even.
  for (const TCase& c : std::vector<TCase>{{2.5, 5}, {0.5, 1}, {5.0, 10}, {1.25, 2}, {1.75, 4}}) {
    SCOPED_TRACE(c.Periods);
    T5_00ConfigCell cell;
    cell.Initialise();
    cell.ZONDER_PULSE_PERIODS = c.Periods;
    TDeviceImage image{};
    cell.EncodeImage(image, 0);
    EXPECT_EQ(image[27], c.Byte);
  }
}

TEST(T5_00ConfigCellImageTest, LevelOnFollowsPoiskAndALevelOn0SwitchesPoiskOff) {
  // The encoder sets LEVEL_ON from POISK, in the cell and in the image.
  struct TEncode {
    std::uint8_t Poisk;
    std::uint8_t LevelOnBefore;
    std::uint8_t LevelOn;
  };
  for (const TEncode& c : std::vector<TEncode>{{0, 0, 0}, {0, 1, 0}, {12, 0, 1}, {140, 5, 1}}) {
    SCOPED_TRACE(::testing::Message() << "POISK " << int{c.Poisk});
    T5_00ConfigCell cell;
    cell.Initialise();
    cell.POISK = c.Poisk;
    cell.LEVEL_ON = c.LevelOnBefore;
    TDeviceImage image{};
    cell.EncodeImage(image, 0);
    EXPECT_EQ(image[335], c.LevelOn);
    EXPECT_EQ(cell.LEVEL_ON, c.LevelOn);
    EXPECT_EQ(cell.POISK, c.Poisk);
  }

  struct TDecode {
    std::uint8_t PoiskByte;
    std::uint8_t LevelOnByte;
    std::uint8_t Poisk;
  };
  for (const TDecode& c :
       std::vector<TDecode>{{12, 0, 0}, {12, 1, 12}, {12, 7, 12}, {0, 1, 0}, {0, 0, 0}}) {
    SCOPED_TRACE(::testing::Message() << int{c.PoiskByte} << "/" << int{c.LevelOnByte});
    TDeviceImage image = DefaultImage();
    image[40] = c.PoiskByte;
    image[335] = c.LevelOnByte;
    T5_00ConfigCell cell;
    cell.DecodeImage(image, 0);
    EXPECT_EQ(cell.POISK, c.Poisk);
    EXPECT_EQ(cell.LEVEL_ON, c.LevelOnByte);
  }
}

TEST(T5_00ConfigCellImageTest, TheExactCursorIsClearedBeforeEncodingWhenItsFlagIsOff) {
  for (const std::uint8_t flag : {std::uint8_t{0}, std::uint8_t{1}, std::uint8_t{2}}) {
    SCOPED_TRACE(int{flag});
    T5_00ConfigCell cell;
    cell.Initialise();
    cell.EXACT_SCREEN_CURS_POS_FLAG = flag;
    cell.EXACT_SCREEN_CURS_POSITION = 150.25;
    cell.EXACT_LUPA_MKS_CURS_POSITION = 33.5;
    TDeviceImage image{};
    cell.EncodeImage(image, 0);
    const bool kept = flag != 0;
    EXPECT_EQ(cell.EXACT_SCREEN_CURS_POSITION, kept ? 150.25 : 0.0);
    EXPECT_EQ(cell.EXACT_LUPA_MKS_CURS_POSITION, kept ? 33.5 : 0.0);
    EXPECT_EQ(Be(image, 321, 4), kept ? 15025u : 0u);
    EXPECT_EQ(Be(image, 326, 4), kept ? 3350u : 0u);
    EXPECT_EQ(image[325], flag);
  }
}

TEST(T5_00ConfigCellImageTest, A403ImageWithByte331FFIsReadWithoutTheFallback) {
  T4_03ConfigCell older;
  older.Initialise();
  older.PIXEL_GRID_LENGTH = 37;
  older.CURSOR_POSITION = 211;
  older.StrobeBeginTime[1] = 123.45;
  older.TGV_POS[4] = 999;
  older.ATTENUATOR1 = 17;
  older.EXACT_SCREEN_CURS_POS_FLAG = 1;
  older.EXACT_SCREEN_CURS_POSITION = 77.5;
  TDeviceImage image{};
  older.EncodeImage(image, 0);
  image[331] = 0xFF;
  image[332] = 0x12;

  // The 4.03 decoder takes the default setup.
  T4_03ConfigCell asOlder;
  asOlder.DecodeImage(image, 3);
  EXPECT_EQ(asOlder.PIXEL_GRID_LENGTH, 25);
  EXPECT_EQ(asOlder.SCREEN_CURSOR_LUPA_POS, 100);

  // The 5.00 decoder keeps what it decodes and takes the column as it is.
  T5_00ConfigCell cell;
  cell.DecodeImage(image, 3);
  EXPECT_EQ(cell.SCREEN_CURSOR_LUPA_POS, 0xFF12);
  EXPECT_EQ(cell.PIXEL_GRID_LENGTH, 37);
  EXPECT_EQ(cell.CURSOR_POSITION, 211);
  EXPECT_DOUBLE_EQ(cell.StrobeBeginTime[1], 123.45);
  EXPECT_EQ(cell.TGV_POS[4], 999);
  EXPECT_EQ(cell.ATTENUATOR1, 17);
  EXPECT_EQ(cell.EXACT_SCREEN_CURS_POS_FLAG, 1);
  EXPECT_DOUBLE_EQ(cell.EXACT_SCREEN_CURS_POSITION, 77.5);

  // Nor does byte 321 = 0xFF (the 3.26 fallback) or an "erased" byte 50.
  image[321] = 0xFF;
  image[50] = 0xFF;
  T5_00ConfigCell again;
  again.DecodeImage(image, 3);
  EXPECT_EQ(again.PIXEL_GRID_LENGTH, 37);
  EXPECT_EQ(again.SCREEN_CURSOR_LUPA_POS, 0xFF12);
  EXPECT_EQ(again.TVG_ENABLED, 0xFF);
}

// Fields the 5.00 image does not carry: they keep what the decoding cell
// held.
const std::set<std::string> kNotInTheImage = {
    "DisplayOffset", "MAJOR_VERSION_NO", "MINOR_VERSION_NO", "DEVICE_INDEX",
    "B_SCAN_BEGIN",  "B_SCAN_END",       "Comments",         "SOUND_ENABLED",
    "VCURSOR_ENABLED", "OPORN_LEVEL_ON", "LANGUAGE"};

// What encoding and decoding make of a random setup (`want` starts as the
// setup itself, `before` is the decoding cell before the decode).
void ExpectedAfterImage(T5_00ConfigCell& want, const T5_00ConfigCell& before, std::uint16_t n) {
  want.CONFIGURATION_NAME = want.CONFIGURATION_NAME.substr(0, 14) + " ";
  want.NameChars[14] = '/';
  want.STROBE_1_LEVEL = DecodedLevel(want.STROBE_1_LEVEL_PERCENT);
  want.STROBE_2_LEVEL = DecodedLevel(want.STROBE_2_LEVEL_PERCENT);
  want.ScreenHeight = 180;
  want.CONFIGURATION_NO = n;
  want.EVEN_REMINDER_FLAG = 1;  // a thickness below 900 is switched on
  want.LEVEL_ON = want.POISK != 0 ? 1 : 0;
  if (want.EXACT_SCREEN_CURS_POS_FLAG == 0) {
    want.EXACT_SCREEN_CURS_POSITION = 0;
    want.EXACT_LUPA_MKS_CURS_POSITION = 0;
  } else if (want.CURSOR_IS_IN_LUPA == 0) {
    want.EXACT_LUPA_MKS_CURS_POSITION = 0;
  }
  want.Parameter29Value = RndTo<std::uint8_t>(before.Schemes[29].LastAccepted);
}

TEST(T5_00ConfigCellImageTest, RandomSetupsSurviveEncodeAndDecode) {
  for (unsigned i = 0; i < 300; ++i) {
    SCOPED_TRACE(i);
    const unsigned seed = 3000 + i;
    T5_00ConfigCell source;
    T5_00ConfigCell want;
    T5_00ConfigCell cell;
    T5_00ConfigCell before;
    RandomCell(source, seed);
    RandomCell(want, seed);
    RandomCell(cell, seed + 50000);
    RandomCell(before, seed + 50000);

    TDeviceImage image{};
    source.EncodeImage(image, 0);
    const auto n = static_cast<std::uint16_t>((i * 7) % 100);
    cell.DecodeImage(image, n);

    ExpectedAfterImage(want, before, n);
    EXPECT_EQ(Differences(cell, want, kNotInTheImage), "");
    EXPECT_EQ(Differences(cell, before, AllBut(kNotInTheImage)), "");
    if (HasFailure()) {
      break;
    }
  }
}

// ---- Text record ----------------------------------------------------------------

template <typename Cell>
void SameSetup(Cell& cell) {
  cell.SetDefaults(7);
  cell.CONFIGURATION_NAME = "NAME";
  cell.INDEX_MARK_MM = 4;
  cell.PIXEL_GRID_LENGTH_MM = 31.25;
  cell.PREV_PIXEL_GRID_LENGTH_MM = 27.5;
  cell.SCREEN_CURSOR_LUPA_POS = 222;
  cell.Frozen = false;
  cell.Comments = {"one", "two", "three"};
}

TEST(T5_00ConfigCellTextTest, TheRecordHasItsOwnNameBlockAndTheSwitchesAtTheEnd) {
  T4_08ConfigCell parent;
  SameSetup(parent);
  T5_00ConfigCell cell;
  SameSetup(cell);
  cell.CONFIGURATION_NO = 42;
  parent.CONFIGURATION_NO = 42;
  cell.CURSOR_ON = 3;
  cell.LEVEL_ON = 1;

  const auto inherited = Lines(Write(parent));
  const auto own = Lines(Write(cell));
  ASSERT_EQ(own.size(), 189u + 3u);
  const std::vector<std::string> nameBlock = {
      "CONFIGURATION_NAME", "52", "50", "46",  // "4", "2", "."
      "110", "97", "109", "101",               // N, A, M, E in instrument codes
      "32", "32", "32", "32", "32", "32", "32", "32", "32", "32", "32", "47"};
  std::vector<std::string> expected(inherited.begin(), inherited.begin() + 4);
  expected.insert(expected.end(), nameBlock.begin(), nameBlock.end());
  // From "INDEX_MARK_MKS:" on, the 4.08 record, then the two switches.
  expected.insert(expected.end(), inherited.begin() + 20, inherited.end());
  expected.push_back("CURSOR_ON:3");
  expected.push_back("LEVEL_ON:1");
  EXPECT_EQ(own, expected);
  EXPECT_EQ(own.at(24), "INDEX_MARK_MKS:2");
  // The name characters follow the name.
  EXPECT_EQ(cell.NameChars[0], 0x6E);
  EXPECT_EQ(cell.NameChars[14], 0x20);
  EXPECT_EQ(cell.NameChars[15], '/');
}

TEST(T5_00ConfigCellTextTest, NameCharactersAreWrittenAsTheirCodes) {
  struct TCase {
    std::string Name;
    std::vector<std::string> Codes;  // lines 9..24
  };
  const std::vector<TCase> cases = {
      {"\xC0\xB0\xB5" "d", {"224", "42", "85", "68", "32", "32", "32", "32", "32", "32", "32",
                            "32", "32", "32", "32", "47"}},
      // A character without a code is a blank; the 15th character is kept,
      // a 16th is not.
      {"a/ABCDEFGHIJKLMNOP", {"32", "32", "97", "98", "99", "100", "101", "102", "103", "104",
                              "105", "106", "107", "108", "109", "47"}},
      {"", {"32", "32", "32", "32", "32", "32", "32", "32", "32", "32", "32", "32", "32", "32",
            "32", "47"}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    T5_00ConfigCell cell;
    SameSetup(cell);
    cell.CONFIGURATION_NAME = c.Name;
    const auto lines = Lines(Write(cell));
    EXPECT_EQ(std::vector<std::string>(lines.begin() + 8, lines.begin() + 24), c.Codes);
  }
}

TEST(T5_00ConfigCellTextTest, TheReaderSkipsTheNumberLinesAndTakesTheNameFromItsCodes) {
  T5_00ConfigCell source;
  SameSetup(source);
  auto lines = Lines(Write(source));
  lines[5] = "garbage";  // the number lines are not read
  lines[6] = "";
  lines[7] = "x:y";
  const std::vector<std::string> codes = {"224", "42", "47", "97", "98", "32", "32", "32",
                                          "32",  "32", "32", "32", "32", "32", "99", "47"};
  std::copy(codes.begin(), codes.end(), lines.begin() + 8);
  lines.back() = "LEVEL_ON:200";
  lines[lines.size() - 2] = "CURSOR_ON:100";

  T5_00ConfigCell cell;
  cell.Schemes[29].LastAccepted = 23.4;
  cell.Parameter29Value = 0;
  Read(cell, Joined(lines));
  EXPECT_EQ(cell.CONFIGURATION_NO, 7);
  // "/" ends the name; the name characters are the codes as read.
  EXPECT_EQ(cell.CONFIGURATION_NAME, "\xC0\xB0             ");
  EXPECT_EQ(cell.NameChars[2], '/');
  EXPECT_EQ(cell.NameChars[3], 97);
  EXPECT_EQ(cell.NameChars[14], 99);
  EXPECT_EQ(cell.NameChars[15], '/');
  EXPECT_EQ(cell.CURSOR_ON, 100);
  EXPECT_EQ(cell.LEVEL_ON, 200);
  EXPECT_EQ(cell.Parameter29Value, 23);
  EXPECT_EQ(cell.SCREEN_CURSOR_LUPA_POS, 222);
  EXPECT_FALSE(cell.Frozen);
  EXPECT_EQ(cell.Comments, source.Comments);
}

TEST(T5_00ConfigCellTextTest, SwitchAndNameValuesOutsideAByteFailTheRead) {
  struct TCase {
    const char* What;
    std::size_t Line;  // from the end when negative
    bool FromEnd;
    const char* Text;
  };
  for (const TCase& c : std::vector<TCase>{{"LEVEL_ON", 1, true, "LEVEL_ON:256"},
                                           {"CURSOR_ON", 2, true, "CURSOR_ON:-1"},
                                           {"CURSOR_ON", 2, true, "CURSOR_ON:on"},
                                           {"name code", 10, false, "300"},
                                           {"terminator", 24, false, "x"}}) {
    SCOPED_TRACE(c.What);
    T5_00ConfigCell source;
    SameSetup(source);
    auto lines = Lines(Write(source));
    lines.at(c.FromEnd ? lines.size() - c.Line : c.Line - 1) = c.Text;
    T5_00ConfigCell cell;
    std::istringstream s(Joined(lines));
    TTextReader in(s);
    EXPECT_THROW(cell.ReadText(in), EConvertError);
  }
}

const std::set<std::string> kNotInTheRecord = {"DisplayOffset", "ScreenHeight"};

TEST(T5_00ConfigCellTextTest, RandomSetupsSurviveWriteAndRead) {
  for (unsigned i = 0; i < 300; ++i) {
    SCOPED_TRACE(i);
    const unsigned seed = 9000 + i;
    T5_00ConfigCell source;
    T5_00ConfigCell want;
    T5_00ConfigCell cell;
    T5_00ConfigCell before;
    RandomCell(source, seed);
    RandomCell(want, seed);
    RandomCell(cell, seed + 50000);
    RandomCell(before, seed + 50000);

    Read(cell, Write(source));
    want.Parameter29Value = RndTo<std::uint8_t>(before.Schemes[29].LastAccepted);
    EXPECT_EQ(Differences(cell, want, kNotInTheRecord), "");
    EXPECT_EQ(Differences(cell, before, AllBut(kNotInTheRecord)), "");
    if (HasFailure()) {
      break;
    }
  }
}

// ---- Copying ----------------------------------------------------------------------

TEST(T5_00ConfigCellTest, AssignTakesTheSwitchesFrom500AndLaterOnly) {
  struct TCase {
    const char* What;
    std::unique_ptr<T4_08ConfigCell> Source;
    bool Copied;
  };
  std::vector<TCase> cases;
  cases.push_back({"4.08", std::make_unique<T4_08ConfigCell>(), false});
  cases.push_back({"5.00", std::make_unique<T5_00ConfigCell>(), true});
  cases.push_back({"5.01", std::make_unique<T5_01ConfigCell>(), true});
  for (TCase& c : cases) {
    SCOPED_TRACE(c.What);
    c.Source->Initialise();
    c.Source->Frozen = false;
    c.Source->SCREEN_CURSOR_LUPA_POS = 300;
    if (auto* later = dynamic_cast<T5_00ConfigCell*>(c.Source.get())) {
      later->CURSOR_ON = 8;
      later->LEVEL_ON = 9;
    }
    T5_00ConfigCell cell;
    cell.Initialise();
    cell.CURSOR_ON = 1;
    cell.LEVEL_ON = 2;
    cell.DisplayOffset = 0;
    cell.Assign(c.Source.get());
    EXPECT_EQ(cell.CURSOR_ON, c.Copied ? 8 : 1);
    EXPECT_EQ(cell.LEVEL_ON, c.Copied ? 9 : 2);
    EXPECT_FALSE(cell.Frozen);
    EXPECT_EQ(cell.SCREEN_CURSOR_LUPA_POS, 300);
    EXPECT_EQ(cell.DisplayOffset, 0);
  }
}

}  // namespace
}  // namespace velt
