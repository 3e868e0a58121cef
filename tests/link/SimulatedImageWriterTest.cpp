// The simulator's own image writer, checked byte by byte against the
// firmware layouts: where each layout puts a field and how it codes it, the
// choice of layout by device type and firmware, and the reader of the few
// fields the instrument acts on.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "SimulatedImageWriter.h"

namespace conduit {
namespace {

using TBytes = std::vector<std::uint8_t>;
using L = TSimulatedLayout;

constexpr L kAllLayouts[] = {L::Base, L::V3_17, L::V3_26, L::V4_03, L::V4_08, L::V5_00, L::V5_01};

// One setup whose values are easy to find in the bytes.
TSimulatedSetup Probe() {
  TSimulatedSetup s;
  s.Name = "AB CD";
  s.Velocity = 5920;
  s.ProbeDelay = 8.6;
  s.InsertionAngle = 45.5;
  s.Thickness = 20.0;
  s.Poisk = 6;
  s.LastMemCell = 12;
  s.IndexMarkMks = 3;  // 10 µs
  s.PixelGridLength = 40;
  s.Strobe1Begin = 12.34;
  s.Strobe1LevelPercent = 30;
  s.Attenuator = 37;
  s.ScreenMode = 3;
  s.SignalType = 2;
  s.TgvNumber = 17;
  s.Snap = {24, 3, 5, 14, 7, 9};
  s.ConfigIndex = 0x0102;
  s.ExactCursorFlag = 1;
  s.ExactCursorColumn = 100.5;
  s.CursorInLupa = 1;
  s.LupaCursorPosition = 0x0155;
  s.Freeze = true;
  s.CursorOn = 1;
  s.SecondCursor = 0x0123;
  return s;
}

struct TPlacement {
  const char* Field;
  std::vector<L> Layouts;
  std::size_t Offset;
  TBytes Bytes;
};

std::string NameOf(L layout) {
  return SimulatedLayoutClassName(layout);
}

TEST(SimulatedImageWriterTest, FieldsLieWhereEachLayoutPutsThem) {
  const std::vector<L> base = {L::Base};
  const std::vector<L> from317 = {L::V3_17, L::V3_26, L::V4_03, L::V4_08, L::V5_00, L::V5_01};
  const std::vector<L> c32Layouts = {L::Base, L::V3_17, L::V3_26, L::V4_03, L::V4_08};
  const std::vector<L> layouts317to408 = {L::V3_17, L::V3_26, L::V4_03, L::V4_08};
  const std::vector<L> compact = {L::V5_00, L::V5_01};
  const TPlacement placements[] = {
      // Name and number.
      {"name",
       base,
       0,
       {'A', 'B', ' ', 'C', 'D', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', '/'}},
      {"number and name",
       layouts317to408,
       0,
       {'0', '7', '.', 'A', 'B', ' ', 'C', 'D', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', '/'}},
      {"number and name codes",
       compact,
       0,
       {'0', '7', '.', 0x61, 0x62, 0x20, 0x63, 0x64, 0x20, 0x20, 0x20, 0x20, 0x20, 0x20, 0x20, 0x20,
        0x20, '/'}},
      // The C32 block of the older layouts and its compact form.
      {"VELOCITY C32", c32Layouts, 23, {0x00, 0x09, 0x08, 0x80}},  // 592000
      {"VELOCITY B16", compact, 23, {0x17, 0x20}},
      {"PROBE_DELAY C32", c32Layouts, 47, {0x00, 0x00, 0x03, 0x5C}},
      {"PROBE_DELAY x100", compact, 30, {0x03, 0x5C}},
      {"INSERTION_ANGLE whole", base, 51, {0x00, 0x00, 0x11, 0xF8}},  // rnd(45.5) = 46
      {"beam angle C32", layouts317to408, 51, {0x00, 0x00, 0x11, 0xC6}},
      {"beam angle x10", compact, 32, {0x01, 0xC7}},
      {"THICKNESS C32", c32Layouts, 59, {0x00, 0x00, 0x07, 0xD0}},
      {"THICKNESS x10", compact, 36, {0x00, 0xC8}},
      {"POISK C32", c32Layouts, 71, {0x00, 0x00, 0x02, 0x58}},
      {"POISK B8", compact, 40, {6}},
      {"SIGNAL TYPE C32", c32Layouts, 95, {0x00, 0x00, 0x00, 0xC8}},
      {"SIGNAL TYPE B8", compact, 48, {2}},
      {"configuration number", c32Layouts, 123, {0x00, 0x00, 0x02, 0xBC}},
      {"LAST MEM CELL C32", c32Layouts, 127, {0x00, 0x00, 0x04, 0xB0}},
      {"LAST MEM CELL B16", compact, 55, {0x00, 0x0C}},
      {"nothing where the compact layout has its reserve", compact, 123, {0, 0, 0, 0, 0, 0, 0, 0}},
      // The grid bytes every layout shares.
      {"PIXEL_GRID_LENGTH", {std::begin(kAllLayouts), std::end(kAllLayouts)}, 143, {40}},
      {"INDEX_MARK_MKS", {std::begin(kAllLayouts), std::end(kAllLayouts)}, 145, {3}},
      // Strobes as columns, then as times.
      {"STROBE_1_BEGIN column", base, 150, {0x00, 0x31}},  // rnd(12.34 x 40 / 10) = 49
      {"strobe 1 begin time", from317, 150, {0x00, 0x04, 0xD2}},
      {"STROBE_1_LEVEL B8", base, 159, {126}},
      {"STROBE_1_LEVEL B16", layouts317to408, 162, {0x00, 126}},
      {"STROBE_1_LEVEL low byte", compact, 163, {126}},
      {"ATTENUATOR1 base", base, 162, {0x00, 37}},
      {"ATTENUATOR1", from317, 166, {0x00, 37}},
      {"STROBE_1_LEVEL_PERCENT base", base, 166, {30}},
      {"STROBE_1_LEVEL_PERCENT", from317, 170, {30}},
      {"SCREEN_MODE B8", base, 169, {3}},
      {"SCREEN_MODE B16", from317, 172, {0x00, 0x03}},
      {"TGV_NUMBER base", base, 295, {0x00, 0x11}},
      {"TGV_NUMBER", from317, 299, {0x00, 0x11}},
      {"snapshot base", base, 304, {24, 3, 5, 14, 7, 9}},
      {"snapshot", from317, 308, {24, 3, 5, 14, 7, 9}},
      {"CONFIG INDEX", {std::begin(kAllLayouts), std::end(kAllLayouts)}, 501, {0x01, 0x02}},
      // What the later generations add, and only they.
      {"no exact cursor before 3.26", {L::Base, L::V3_17}, 321, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
      {"exact cursor",
       {L::V3_26, L::V4_03, L::V4_08, L::V5_00, L::V5_01},
       321,
       {0x00, 0x00, 0x27, 0x42, 1}},
      {"CURSOR_IS_IN_LUPA", {L::V3_26, L::V4_03, L::V4_08, L::V5_00, L::V5_01}, 330, {1}},
      {"no magnifier position before 4.03", {L::V3_17, L::V3_26}, 331, {0, 0}},
      {"SCREEN CURSOR LUPA POS", {L::V4_03, L::V4_08, L::V5_00, L::V5_01}, 331, {0x01, 0x55}},
      {"no freeze flag before 4.08", {L::V4_03}, 333, {0}},
      {"freeze flag", {L::V4_08, L::V5_00, L::V5_01}, 333, {1}},
      {"CURSOR_ON and LEVEL_ON", compact, 334, {1, 1}},
      {"no second cursor before 5.01", {L::V5_00}, 336, {0, 0}},
      {"VCURSOR 2", {L::V5_01}, 336, {0x01, 0x23}},
  };
  const TSimulatedSetup setup = Probe();
  for (const TPlacement& p : placements) {
    for (L layout : p.Layouts) {
      SCOPED_TRACE(std::string(p.Field) + " in " + NameOf(layout));
      const TSimulatedImage image = WriteSimulatedImage(layout, setup, 7);
      EXPECT_EQ(TBytes(image.begin() + static_cast<long>(p.Offset),
                       image.begin() + static_cast<long>(p.Offset + p.Bytes.size())),
                p.Bytes);
    }
  }
}

TEST(SimulatedImageWriterTest, ASwitchedOffThicknessCarriesTheOffMarker) {
  TSimulatedSetup setup = Probe();
  setup.Thickness = 0;
  const TSimulatedImage base = WriteSimulatedImage(L::Base, setup, 1);
  EXPECT_EQ(TBytes(base.begin() + 59, base.begin() + 63), (TBytes{0x00, 0x01, 0x86, 0xA0}));
  EXPECT_EQ(TBytes(base.begin() + 131, base.begin() + 135), (TBytes{0, 0, 0, 0}));
  const TSimulatedImage compact = WriteSimulatedImage(L::V5_00, setup, 1);
  EXPECT_EQ(TBytes(compact.begin() + 36, compact.begin() + 38), (TBytes{0x27, 0x10}));
}

TEST(SimulatedImageWriterTest, NamesKeepThirteenCharactersOfTheInstrumentAlphabet) {
  TSimulatedSetup setup = Probe();
  setup.Name = "ab/CDEFGHIJKLMNOP";  // lower case and "/" are not on the instrument
  const TSimulatedImage image = WriteSimulatedImage(L::V3_17, setup, 12);
  EXPECT_EQ(std::string(image.begin() + 3, image.begin() + 18), "   CDEFGHIJKL /");
  EXPECT_EQ(std::string(image.begin(), image.begin() + 3), "12.");
}

TEST(SimulatedImageWriterTest, MillimetreGridFollowsVelocityAndTimeScale) {
  TSimulatedSetup setup;
  setup.Velocity = 5900;
  setup.IndexMarkMks = 3;  // 10 µs per division
  setup.PixelGridLength = 25;
  const TSimulatedMillimetreGrid path = SimulatedMillimetreGrid(setup, 1.0);
  EXPECT_EQ(path.Index, 7);  // 50 mm
  EXPECT_NEAR(path.Pixels, 50 * 318 / 375.24, 0.01);
  const TSimulatedMillimetreGrid depth = SimulatedMillimetreGrid(setup, 0.5);
  EXPECT_EQ(depth.Index, 6);  // 187.6 mm span: 20 mm
  // The base layout carries the path grid at 299 (x 100, truncated) and 303.
  const TSimulatedImage image = WriteSimulatedImage(L::Base, setup, 0);
  EXPECT_EQ(image[299] << 8 | image[300], 4237);
  EXPECT_EQ(image[303], 7);
}

struct TVariantCase {
  TSimulatorIdentity Identity;
  const char* ClassName;  // nullptr: the program has no class for it
  bool Initialised;
};

TEST(SimulatedImageWriterTest, LayoutFollowsDeviceTypeAndFirmware) {
  const TVariantCase cases[] = {
      {{1, 2, 0, 0}, "TBaseConfigCell", false},
      {{1, 3, 15, 0}, "TBaseConfigCell", true},
      {{1, 3, 16, 0}, "T3_17ConfigCell", true},
      {{1, 3, 25, 0}, "T3_17ConfigCell", true},
      {{1, 3, 26, 0}, "T3_26ConfigCell", true},
      {{1, 3, 30, 0}, "T4_08ConfigCell", true},
      {{1, 3, 34, 0}, "T4_08ConfigCell", true},
      {{1, 3, 35, 0}, nullptr, false},
      {{1, 4, 0, 0}, nullptr, false},
      {{1, 4, 0, 1}, "T3_26ConfigCell", true},
      {{1, 4, 1, 2}, "T4_03ConfigCell", true},
      {{1, 4, 0, 4}, "T4_08ConfigCell", true},
      {{1, 4, 0, 5}, nullptr, false},
      {{1, 5, 0, 0}, "T5_00ConfigCell", true},
      {{1, 5, 0, 200}, "T5_01ConfigCell", true},
      {{1, 6, 0, 0}, nullptr, false},
      {{2, 2, 6, 0}, "TBaseConfigCell", true},
      {{2, 2, 7, 0}, "T3_17ConfigCell", true},
      {{2, 2, 11, 0}, "T3_26ConfigCell", true},
      {{2, 2, 42, 0}, "T3_26ConfigCell", true},
      {{2, 2, 43, 0}, nullptr, false},
      {{2, 3, 6, 0}, "TBaseConfigCell", true},
      {{2, 3, 8, 0}, "T3_17ConfigCell", true},
      {{2, 3, 12, 0}, "T3_26ConfigCell", true},
      {{2, 3, 13, 0}, nullptr, false},
      {{2, 3, 13, 1}, "T3_26ConfigCell", true},
      {{2, 3, 33, 3}, "T4_03ConfigCell", true},
      {{2, 3, 34, 2}, nullptr, false},
      {{2, 4, 0, 2}, "T4_03ConfigCell", true},
      {{2, 4, 0, 3}, "T4_08ConfigCell", true},
      {{2, 5, 4, 0}, nullptr, false},
      {{2, 5, 4, 1}, "T3_26ConfigCell", true},
      {{2, 5, 4, 3}, "T4_08ConfigCell", true},
      {{2, 5, 4, 4}, "T5_01ConfigCell", true},
      {{2, 5, 4, 5}, nullptr, false},
      {{3, 1, 0, 0}, nullptr, false},
  };
  for (const TVariantCase& c : cases) {
    const TSimulatorIdentity& id = c.Identity;
    SCOPED_TRACE(std::to_string(id.DeviceType) + ":" + std::to_string(id.MajorVersion) + "." +
                 std::to_string(id.MinorVersion) + "." + std::to_string(id.ConfigLocalVersion));
    const std::optional<TSimulatedVariant> variant = SimulatedVariantFor(id);
    if (c.ClassName == nullptr) {
      EXPECT_FALSE(variant.has_value());
      EXPECT_EQ(SimulatedLayoutFor(id), L::Base);
      continue;
    }
    ASSERT_TRUE(variant.has_value());
    EXPECT_EQ(NameOf(variant->Layout), c.ClassName);
    EXPECT_EQ(variant->Initialised, c.Initialised);
  }
}

struct TReaderCase {
  L Layout;
  std::vector<std::pair<std::size_t, TBytes>> Bytes;
};

TEST(SimulatedImageWriterTest, ReaderTakesTheFieldsFromTheLayoutPlaces) {
  const std::pair<std::size_t, TBytes> grid[] = {{143, {44}}, {145, {5}}};
  const TReaderCase cases[] = {
      {L::Base,
       {{162, {0x00, 42}}, {127, {0x00, 0x00, 0x04, 0xB0}}, {95, {0x00, 0x00, 0x01, 0x2C}}}},
      {L::V3_17,
       {{166, {0x00, 42}}, {127, {0x00, 0x00, 0x04, 0xB0}}, {95, {0x00, 0x00, 0x01, 0x2C}}}},
      {L::V4_08,
       {{166, {0x00, 42}}, {127, {0x00, 0x00, 0x04, 0xB0}}, {95, {0x00, 0x00, 0x01, 0x2C}}}},
      {L::V5_00, {{166, {0x00, 42}}, {55, {0x00, 12}}, {48, {3}}}},
      {L::V5_01, {{166, {0x00, 42}}, {55, {0x00, 12}}, {48, {3}}}},
  };
  for (const TReaderCase& c : cases) {
    SCOPED_TRACE(NameOf(c.Layout));
    TSimulatedImage image{};
    for (const auto& [offset, bytes] : c.Bytes) {
      std::copy(bytes.begin(), bytes.end(), image.begin() + static_cast<long>(offset));
    }
    for (const auto& [offset, bytes] : grid) {
      std::copy(bytes.begin(), bytes.end(), image.begin() + static_cast<long>(offset));
    }
    const TSimulatedImageFields fields = ReadSimulatedImageFields(c.Layout, image);
    EXPECT_EQ(fields.Attenuator, 42);
    EXPECT_EQ(fields.LastMemCell, 12);
    EXPECT_EQ(fields.SignalType, 3);
    EXPECT_EQ(fields.PixelGridLength, 44);
    EXPECT_EQ(fields.IndexMarkMks, 5);
  }
}

TEST(SimulatedImageWriterTest, GainAndRangeChangeOnlyTheirBytes) {
  for (L layout : kAllLayouts) {
    SCOPED_TRACE(NameOf(layout));
    const TSimulatedImage before = WriteSimulatedImage(layout, Probe(), 0);
    TSimulatedImage after = before;
    SetSimulatedImageGain(layout, after, 0x0155);
    SetSimulatedImageRange(layout, after, 6, 50);
    const std::size_t gainAt = layout == L::Base ? 162 : 166;
    std::vector<std::size_t> changed;
    for (std::size_t i = 0; i < after.size(); ++i) {
      if (after[i] != before[i]) changed.push_back(i);
    }
    EXPECT_EQ(changed, (std::vector<std::size_t>{143, 145, gainAt, gainAt + 1}));
    EXPECT_EQ(after[gainAt], 0x01);
    EXPECT_EQ(after[gainAt + 1], 0x55);
    EXPECT_EQ(after[143], 50);
    EXPECT_EQ(after[145], 6);
  }
}

}  // namespace
}  // namespace conduit
