// The online readouts: their number format and the display rules of each
// readout and of the depth labels (a record's texts: OnlineReadoutsTest).
#include <signal/OnlineReadoutValuesUnit.h>

#include <clocale>
#include <cmath>
#include <functional>
#include <limits>
#include <string>

#include <gtest/gtest.h>

namespace velt {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

TEST(OnlineReadoutValues, NumberFormat) {
  const struct {
    double Value;
    const char* Text;
  } cases[] = {
      {-12.34, "-12.3"},                     // the sign goes in front of the cut magnitude
      {1234.6, "1235"},  {999.96, "999.9"},  // cut, not rounded up into the integer format
      {0, "0.0"},        {-0.04, "-0.0"},    {12.39, "12.3"},
      {2.3, "2.3"},                         // 2.2999... in binary keeps its tenth
      {1000, "1000"},    {1234.5, "1234"},  // ties to even
      {1235.5, "1236"},  {-1234.5, "-1234"}, {999.99999999, "1000"},
      {kNaN, "--"},
  };
  // The same in a locale whose decimal separator is a comma, as the GUI
  // runs in (the readouts show a point either way).
  const char* const locales[] = {"C", "ru_RU.UTF-8"};
  for (const char* locale : locales) {
    if (std::setlocale(LC_NUMERIC, locale) == nullptr) {
      continue;
    }
    for (const auto& c : cases) {
      EXPECT_EQ(ReadoutNumber(c.Value), c.Text) << c.Value << " in " << locale;
    }
  }
  std::setlocale(LC_NUMERIC, "C");
}

TEST(OnlineReadoutValues, IntegerFormat) {
  const struct {
    double Value;
    const char* Text;
  } cases[] = {{2.5, "2"}, {3.5, "4"}, {-2.5, "-2"}, {-0.4, "0"}, {12.6, "13"}, {kNaN, "--"}};
  for (const auto& c : cases) {
    EXPECT_EQ(ReadoutInteger(c.Value), c.Text) << c.Value;
  }
}

// An angle probe on 20 mm with a signal, an area, an offset and a depth.
TOnlineReadoutValues Typical() {
  TOnlineReadoutValues v;
  v.SignalLevel = 6.4;
  v.EquivalentArea = 3.27;
  v.AttenuatorDb = 30;
  v.SearchIncrement = 6;
  v.MeasuredTime = 32;
  v.BeamPath = 52;
  v.HorizontalOffset = 47.1;
  v.Depth = 12.3;
  v.EffectiveThickness = 20;
  v.LegNumber = 2;
  v.InsertionAngle = 65;
  return v;
}

TEST(OnlineReadoutValues, DisplayRules) {
  const struct {
    const char* Name;
    std::function<void(TOnlineReadoutValues&)> Change;
    TOnlineReadout Readout;
    const char* Text;
  } cases[] = {
      {"level", [](auto& v) { v.SignalLevel = 6.5; }, kSignalReadout, "6"},
      {"negative level", [](auto& v) { v.SignalLevel = -3.5; }, kSignalReadout, "-4"},
      {"level n/a", [](auto& v) { v.SignalLevel = 9990; }, kSignalReadout, "--"},
      {"below threshold", [](auto& v) { v.SignalLevel = 9999; }, kSignalReadout, "--"},
      {"area", [](auto&) {}, kAreaReadout, "3.2"},
      {"area n/a", [](auto& v) { v.EquivalentArea = 9990; }, kAreaReadout, "--"},
      {"area 0", [](auto& v) { v.EquivalentArea = 0; }, kAreaReadout, "--"},
      {"attenuator", [](auto&) {}, kAttenuatorReadout, "30"},
      {"search level", [](auto&) {}, kSearchLevelReadout, "6"},
      {"search level 0", [](auto& v) { v.SearchIncrement = 0; }, kSearchLevelReadout, "off"},
      {"time", [](auto& v) { v.MeasuredTime = -12.34; }, kTimeReadout, "-12.3"},
      {"path", [](auto& v) { v.BeamPath = 12.34; }, kPathReadout, "12.3"},
      {"offset", [](auto& v) { v.HorizontalOffset = -12.34; }, kOffsetReadout, "-12.3"},
      {"offset at 0.01", [](auto& v) { v.InsertionAngle = 0.01; }, kOffsetReadout, "47.1"},
      {"straight probe", [](auto& v) { v.InsertionAngle = 0.009; }, kOffsetReadout, "off"},
      {"depth", [](auto&) {}, kDepthReadout, "12.3"},
      {"depth at 89.9", [](auto& v) { v.InsertionAngle = 89.9; }, kDepthReadout, "12.3"},
      {"surface probe", [](auto& v) { v.InsertionAngle = 90; }, kDepthReadout, "off"},
      {"surface probe, far",
       [](auto& v) {
         v.InsertionAngle = 90;
         v.Depth = 1000;
       },
       kDepthReadout, "1000"},
  };
  for (const auto& c : cases) {
    TOnlineReadoutValues v = Typical();
    c.Change(v);
    EXPECT_EQ(OnlineReadoutTexts(v).Values[c.Readout], c.Text) << c.Name;
  }
}

TEST(OnlineReadoutValues, DepthLabels) {
  const struct {
    const char* Name;
    std::function<void(TOnlineReadoutValues&)> Change;
    const char* Thickness;
    const char* Leg;
    const char* Plus;
  } cases[] = {
      {"angle probe", [](auto&) {}, "20.0", "x2", "+"},
      {"no thickness", [](auto& v) { v.EffectiveThickness = 0; }, "", "", ""},
      {"straight probe", [](auto& v) { v.InsertionAngle = 0; }, "", "", ""},
  };
  for (const auto& c : cases) {
    TOnlineReadoutValues v = Typical();
    c.Change(v);
    const TOnlineReadoutTexts t = OnlineReadoutTexts(v);
    EXPECT_EQ(t.Thickness, c.Thickness) << c.Name;
    EXPECT_EQ(t.Leg, c.Leg) << c.Name;
    EXPECT_EQ(t.Plus, c.Plus) << c.Name;
  }
}

}  // namespace
}  // namespace velt
