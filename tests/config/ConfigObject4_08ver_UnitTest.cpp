// Firmware 4.08: the freeze flag in image byte 333 and in one more text
// line, its place in the fallbacks of the 4.03 decode, defaults, copying and
// random round trips.
#include <config/ConfigObject4_08ver_Unit.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <memory>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <config/ConfigObject5_00ver_Unit.h>
#include <config/Rounding.h>
#include <config/TextRecordIO.h>

#include "Cell403TestSupport.h"

namespace velt {
namespace {

// ---- Device image ------------------------------------------------------------

TEST(T4_08ConfigCellImageTest, Byte333IsTheFreezeFlag) {
  struct TCase {
    std::uint8_t Byte;
    bool Frozen;
  };
  for (const TCase& c : std::vector<TCase>{{0, false}, {1, true}, {7, true}, {0xFF, true}}) {
    for (const bool before : {false, true}) {
      SCOPED_TRACE(::testing::Message() << int{c.Byte} << " over " << before);
      T4_08ConfigCell source;
      RandomCell(source, 11);
      TDeviceImage image{};
      source.EncodeImage(image, 4);
      image[333] = c.Byte;
      T4_08ConfigCell cell;
      RandomCell(cell, 12);
      cell.Frozen = before;
      cell.DecodeImage(image, 4);
      EXPECT_EQ(cell.Frozen, c.Frozen);
      // The setup is the decoded one.
      EXPECT_EQ(cell.VELOCITY, source.VELOCITY);
    }
  }
}

TEST(T4_08ConfigCellImageTest, TheFallbacksToTheDefaultSetupFreezeThePicture) {
  // 331 = 0xFF: the 4.03 fallback; 321 = 0xFF: the 3.26 one; 50 = 0xFF: an
  // erased slot.
  for (const std::size_t erased : {std::size_t{331}, std::size_t{321}, std::size_t{50}}) {
    SCOPED_TRACE(erased);
    T4_08ConfigCell source;
    RandomCell(source, 21);
    source.Frozen = false;
    TDeviceImage image{};
    source.EncodeImage(image, 4);
    ASSERT_EQ(image[333], 0);
    image[erased] = 0xFF;

    T4_08ConfigCell cell;
    RandomCell(cell, 22);
    cell.Frozen = false;
    cell.DecodeImage(image, 8);
    EXPECT_TRUE(cell.Frozen);
    EXPECT_EQ(cell.CONFIGURATION_NAME, "DEFAULT       ");
    EXPECT_EQ(cell.CONFIGURATION_NO, 8);
    EXPECT_EQ(cell.VELOCITY, 3250);
    // After the 3.26 fallback the 4.03 decode still finds its own bytes
    // present and reads the column from them.
    EXPECT_EQ(cell.SCREEN_CURSOR_LUPA_POS, erased == 321 ? 0 : 100);
  }
}

TEST(T4_08ConfigCellImageTest, TheEncoderAddsByte333ToThe403Image) {
  for (const bool frozen : {false, true}) {
    SCOPED_TRACE(frozen);
    T4_08ConfigCell cell;
    RandomCell(cell, 31);
    cell.Frozen = frozen;
    T4_03ConfigCell parent;
    RandomCell(parent, 31);

    TDeviceImage own;
    own.fill(0xAA);
    TDeviceImage inherited;
    inherited.fill(0xAA);
    cell.EncodeImage(own, 4);
    parent.EncodeImage(inherited, 4);
    EXPECT_EQ(own[333], frozen ? 1 : 0);
    own[333] = 0xAA;
    EXPECT_EQ(own, inherited);
  }
}

// Fields an image of the 3.26 family does not carry: they keep what the
// decoding cell held.
const std::set<std::string> kNotInTheImage = {"DisplayOffset", "MAJOR_VERSION_NO",
                                              "MINOR_VERSION_NO", "DEVICE_INDEX",
                                              "B_SCAN_BEGIN", "B_SCAN_END", "Comments"};

std::set<std::string> AllBut(const std::set<std::string>& fields) {
  std::set<std::string> all;
#define VELT_NAME(f) all.insert(#f);
  VELT_FIELDS(VELT_NAME)
#undef VELT_NAME
  for (const auto& f : fields) {
    all.erase(f);
  }
  return all;
}

TEST(T4_08ConfigCellImageTest, RandomSetupsSurviveEncodeAndDecode) {
  for (unsigned i = 0; i < 300; ++i) {
    SCOPED_TRACE(i);
    const unsigned seed = 2000 + i;
    T4_08ConfigCell source;
    T4_08ConfigCell want;
    T4_08ConfigCell cell;
    T4_08ConfigCell before;
    RandomCell(source, seed);
    RandomCell(want, seed);
    RandomCell(cell, seed + 50000);
    RandomCell(before, seed + 50000);
    for (T4_08ConfigCell* c : {&source, &want}) {
      c->UpdateMillimetreGrid();
      c->UpdateDepthGrid();
    }

    TDeviceImage image{};
    source.EncodeImage(image, 3);
    const auto n = static_cast<std::uint16_t>((i * 7) % 100);
    cell.DecodeImage(image, n);

    want.UpdatePictograms();
    want.STROBE_1_LEVEL = DecodedLevel(want.STROBE_1_LEVEL_PERCENT);
    want.STROBE_2_LEVEL = DecodedLevel(want.STROBE_2_LEVEL_PERCENT);
    want.ScreenHeight = 180;
    want.CONFIGURATION_NO = n;
    want.EVEN_REMINDER_FLAG = 1;
    want.TGV_CURSOR_POSITION = 0;
    want.SCREEN_CURSOR_LUPA_POS = 0;
    if (want.EXACT_SCREEN_CURS_POS_FLAG == 0) {
      want.EXACT_SCREEN_CURS_POSITION = 0;
      want.EXACT_LUPA_MKS_CURS_POSITION = 0;
    } else if (want.CURSOR_IS_IN_LUPA == 0) {
      want.EXACT_LUPA_MKS_CURS_POSITION = 0;
    }
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
  cell.INDEX_MARK_MM = 4;
  cell.PIXEL_GRID_LENGTH_MM = 31.25;
  cell.PREV_PIXEL_GRID_LENGTH_MM = 27.5;
  cell.SCREEN_CURSOR_LUPA_POS = 222;
  cell.Comments = {"one"};
}

TEST(T4_08ConfigCellTextTest, TheRecordIsThe403RecordAndTheFreezeFlag) {
  for (const bool frozen : {false, true}) {
    SCOPED_TRACE(frozen);
    T4_03ConfigCell parent;
    SameSetup(parent);
    T4_08ConfigCell cell;
    SameSetup(cell);
    cell.Frozen = frozen;

    const auto inherited = Lines(Write(parent));
    const auto own = Lines(Write(cell));
    ASSERT_EQ(own.size(), 183u + 1u);
    ASSERT_EQ(inherited.size() + 1, own.size());
    EXPECT_EQ(std::vector<std::string>(own.begin(), own.end() - 1), inherited);
    EXPECT_EQ(own.back(), frozen ? "PRINT_SIGNAL_LEVEL_IN_STOP:1" : "PRINT_SIGNAL_LEVEL_IN_STOP:0");
  }
}

TEST(T4_08ConfigCellTextTest, AnyNonZeroOrNonNumberFreezes) {
  struct TCase {
    const char* Value;
    bool Frozen;
  };
  for (const TCase& c : std::vector<TCase>{{"7", true},
                                           {"0", false},
                                           {"1", true},
                                           {"255", true},
                                           {"-0", true},  // not as our writers write it
                                           {"yes", true},
                                           {"", true},
                                           {"0.0", true}}) {
    for (const bool before : {false, true}) {
      SCOPED_TRACE(::testing::Message() << '"' << c.Value << "\" over " << before);
      T4_08ConfigCell source;
      SameSetup(source);
      auto lines = Lines(Write(source));
      lines.back() = std::string("PRINT_SIGNAL_LEVEL_IN_STOP:") + c.Value;
      T4_08ConfigCell cell;
      cell.Frozen = before;
      Read(cell, Joined(lines));
      EXPECT_EQ(cell.Frozen, c.Frozen);
      EXPECT_EQ(cell.SCREEN_CURSOR_LUPA_POS, 222);
    }
  }
}

TEST(T4_08ConfigCellTextTest, AFreezeValueOutsideAByteFailsTheRead) {
  for (const char* value : {"256", "-1", "1000"}) {
    SCOPED_TRACE(value);
    T4_08ConfigCell source;
    SameSetup(source);
    auto lines = Lines(Write(source));
    lines.back() = std::string("PRINT_SIGNAL_LEVEL_IN_STOP:") + value;
    T4_08ConfigCell cell;
    std::istringstream s(Joined(lines));
    TTextReader in(s);
    EXPECT_THROW(cell.ReadText(in), EConvertError);
  }
}

const std::set<std::string> kNotInTheRecord = {"DisplayOffset", "ScreenHeight"};

TEST(T4_08ConfigCellTextTest, RandomSetupsSurviveWriteAndRead) {
  for (unsigned i = 0; i < 300; ++i) {
    SCOPED_TRACE(i);
    const unsigned seed = 8000 + i;
    T4_08ConfigCell source;
    T4_08ConfigCell want;
    T4_08ConfigCell cell;
    T4_08ConfigCell before;
    RandomCell(source, seed);
    RandomCell(want, seed);
    RandomCell(cell, seed + 50000);
    RandomCell(before, seed + 50000);

    Read(cell, Write(source));
    EXPECT_EQ(Differences(cell, want, kNotInTheRecord), "");
    EXPECT_EQ(Differences(cell, before, AllBut(kNotInTheRecord)), "");
    if (HasFailure()) {
      break;
    }
  }
}

// ---- Defaults and copying ------------------------------------------------------------

TEST(T4_08ConfigCellTest, DefaultsFreezeThePictureAndAreThe403Defaults) {
  T4_08ConfigCell cell;
  RandomCell(cell, 41);
  cell.Frozen = false;
  cell.SetDefaults(5);
  EXPECT_TRUE(cell.Frozen);
  EXPECT_EQ(cell.SCREEN_CURSOR_LUPA_POS, 100);
  EXPECT_EQ(cell.CONFIGURATION_NO, 5);
  EXPECT_EQ(cell.EXACT_SCREEN_CURS_POS_FLAG, 0);
  EXPECT_EQ(cell.CONFIGURATION_NAME, "DEFAULT       ");
}

TEST(T4_08ConfigCellTest, AssignTakesTheFreezeFlagFrom408AndLaterOnly) {
  struct TCase {
    const char* What;
    std::unique_ptr<T3_26ConfigCell> Source;
    bool Frozen;
  };
  std::vector<TCase> cases;
  cases.push_back({"3.26", std::make_unique<T3_26ConfigCell>(), true});
  cases.push_back({"4.03", std::make_unique<T4_03ConfigCell>(), true});
  cases.push_back({"4.08", std::make_unique<T4_08ConfigCell>(), false});
  cases.push_back({"5.00", std::make_unique<T5_00ConfigCell>(), false});
  for (TCase& c : cases) {
    SCOPED_TRACE(c.What);
    c.Source->Initialise();
    c.Source->Frozen = false;
    c.Source->VELOCITY = 6100;
    auto* later = dynamic_cast<T4_03ConfigCell*>(c.Source.get());
    if (later != nullptr) {
      later->SCREEN_CURSOR_LUPA_POS = 300;
    }
    T4_08ConfigCell cell;
    cell.Initialise();
    cell.Frozen = true;
    cell.SCREEN_CURSOR_LUPA_POS = 5;
    cell.Assign(c.Source.get());
    EXPECT_EQ(cell.Frozen, c.Frozen);
    EXPECT_EQ(cell.VELOCITY, 6100);
    EXPECT_EQ(cell.SCREEN_CURSOR_LUPA_POS, later != nullptr ? 300 : 5);
  }

  T4_08ConfigCell cell;
  cell.Frozen = false;
  cell.Assign(nullptr);
  EXPECT_FALSE(cell.Frozen);
}

}  // namespace
}  // namespace velt
