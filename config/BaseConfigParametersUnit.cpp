// Parameter values of the base layout: the unit conversions between the
// instrument's raw fields (columns, table indices, attenuator count) and
// what the user sees and types, the 30 numbered parameters with their
// editing schemes, display texts and validation, and the TGV point list.
//
// Every field read here may hold anything a device image or a text file
// put there. Table indices go through the guarded lookups of the cell,
// TGV point indices are limited to the 32 points, list entries are taken as
// the nearest existing entry, and reals meet integer fields only through
// RndTo/TruncTo.
#include <config/BaseConfigObjectsUnit.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <limits>
#include <numbers>
#include <optional>
#include <string_view>
#include <system_error>

#include <config/DisplayFormats.h>
#include <config/Rounding.h>
#include <strings/LocalStringsUnit.h>

namespace velt {
namespace {

// Parameter texts are padded to four digits' worth.
constexpr int kTextWidth = 4;
// Typed as a value, 9999 is the instrument's "no value" and is refused.
constexpr long long kRefusedInteger = 9999;
constexpr double kRefusedReal = 9999;
// A strobe begins at column 318 at the latest, so that a strobe at least
// one column long still ends inside the picture; it ends after column 0 and
// at the right edge of the 320 columns at the latest.
constexpr int kStrobeBeginColumnMax = kPictureWidth - 2;
constexpr int kStrobeEndColumnMin = 1;
constexpr int kStrobeEndColumnMax = kPictureWidth;
// Millimetre grid: the finest step that gives fewer than this many whole
// divisions across the usable width.
constexpr double kMmGridDivisions = 12;
constexpr int kLastMmIndex = 12;
// Folding at the thickness subtracts one thickness per leg up to this
// many legs; beyond it the same result is reached in one step.
constexpr double kMaxFoldedLegs = 100000;
constexpr std::uint16_t kLastTgvIndex = kTgvPoints - 1;

double Radians(double degrees) {
  return degrees * std::numbers::pi / 180.0;
}

std::string Mask(int characters) {
  return std::string(static_cast<std::size_t>(characters), 'c');
}

std::string Real1(double value, char separator) {
  return RealInWidth(value, 1, kTextWidth, separator);
}

// The beam's cosine: the angle's when it is at most 89 degrees, else 1.
// It is never below cos(89 degrees), so it never divides by zero.
double PathCosine(std::uint8_t angle) {
  return angle <= 89 ? std::cos(Radians(angle)) : 1.0;
}

// The picture row of a TGV gain fraction f (0..1): the curve takes three
// quarters of the height above an offset of a quarter.
std::uint16_t GainRow(double f, std::uint16_t screenMode) {
  if (screenMode == 3) {
    return RndTo<std::uint16_t>(f * 90 * 3 / 4 + 22.5);
  }
  return RndTo<std::uint16_t>(f * 180 * 3 / 4 + 45);
}

// ---- Pick lists made of value strings ------------------------------------
//
// The value strings are installed program-wide when the main window is
// first shown, which may be after cells were created. The lists made of
// them are therefore composed from the strings each time a list or a text
// is needed, never kept in the scheme; the scheme records the entry count
// and, as its first value string, the value string entry 0 starts with.

struct TEntryRecipe {
  std::uint16_t Leading;  // 0 = none
  const char* Middle;
  std::uint16_t Trailing;
};

struct TListRecipe {
  std::uint8_t Parameter;
  std::uint8_t Count;
  TEntryRecipe Entries[3];
};

constexpr TListRecipe kValueStringLists[] = {
    {6, 3, {{0, " ", 31}, {0, " ", 157}, {0, " ", 64}}},
    {8, 2, {{0, " ", 21}, {0, " ", 22}, {0, "", 0}}},
    {16, 2, {{0, " ", 31}, {0, " ", 32}, {0, "", 0}}},
    {17, 2, {{0, " ", 32}, {0, " ", 31}, {0, "", 0}}},
    {22, 3, {{38, "    ", 39}, {38, "    ", 40}, {38, "    ", 42}}},
    {28, 3, {{0, "", 39}, {0, "", 40}, {0, "", 42}}},
};

std::uint16_t FirstStringOf(const TListRecipe& recipe) {
  const TEntryRecipe& first = recipe.Entries[0];
  return first.Leading != 0 ? first.Leading : first.Trailing;
}

// The recipe of a scheme that still is the list the base class built.
const TListRecipe* RecipeOf(const SINGLE_PARAM_SCHEME& scheme, std::uint8_t p) {
  if (scheme.Kind != kOwnListKind) {
    return nullptr;
  }
  for (const TListRecipe& recipe : kValueStringLists) {
    if (recipe.Parameter == p && FirstStringOf(recipe) == scheme.FirstValueString) {
      return &recipe;
    }
  }
  return nullptr;
}

std::string Compose(const TEntryRecipe& entry) {
  std::string text;
  if (entry.Leading != 0) {
    text += ValueString(entry.Leading);
  }
  text += entry.Middle;
  text += ValueString(entry.Trailing);
  return text;
}

// Number of entries of a pick list (kinds 2 and 3), 0 for other kinds.
std::size_t EntryCountOf(const SINGLE_PARAM_SCHEME& scheme, std::uint8_t p) {
  if (const TListRecipe* recipe = RecipeOf(scheme, p)) {
    return recipe->Count;
  }
  if (scheme.Kind == kValueStringListKind) {
    // Value string numbers end at 65535.
    const std::size_t room = 65536u - scheme.FirstValueString;
    return std::min<std::size_t>(scheme.EntryCount, room);
  }
  if (scheme.Kind == kOwnListKind) {
    return scheme.Entries.size();
  }
  return 0;
}

// Entry `index` of a pick list; the caller keeps the index below the count.
std::string EntryAt(const SINGLE_PARAM_SCHEME& scheme, std::uint8_t p, std::size_t index) {
  if (const TListRecipe* recipe = RecipeOf(scheme, p)) {
    return Compose(recipe->Entries[index]);
  }
  if (scheme.Kind == kValueStringListKind) {
    return ValueString(static_cast<std::uint16_t>(scheme.FirstValueString + index));
  }
  return scheme.Entries[index];
}

std::vector<std::string> EntriesOf(const SINGLE_PARAM_SCHEME& scheme, std::uint8_t p) {
  std::vector<std::string> entries;
  const std::size_t count = EntryCountOf(scheme, p);
  entries.reserve(count);
  for (std::size_t i = 0; i < count; ++i) {
    entries.push_back(EntryAt(scheme, p, i));
  }
  return entries;
}

// The entry shown for a field value; a value beyond the list shows the
// last entry, an empty list an empty text.
std::string EntryText(const SINGLE_PARAM_SCHEME& scheme, std::uint8_t p, std::size_t value) {
  const std::size_t count = EntryCountOf(scheme, p);
  if (count == 0) {
    return {};
  }
  return EntryAt(scheme, p, std::min(value, count - 1));
}

// ---- Typed numbers ---------------------------------------------------------

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// A decimal integer after all blanks are removed, with an optional sign.
// Anything else, and a number beyond 64 bits, is not a number.
std::optional<long long> ParseInteger(std::string_view text) {
  std::string digits;
  for (char c : text) {
    if (c != ' ') {
      digits += c;
    }
  }
  std::string_view rest = digits;
  bool negative = false;
  if (!rest.empty() && (rest.front() == '+' || rest.front() == '-')) {
    negative = rest.front() == '-';
    rest.remove_prefix(1);
  }
  if (rest.empty() || !std::all_of(rest.begin(), rest.end(), IsDigit)) {
    return std::nullopt;
  }
  const std::string number = (negative ? "-" : "") + std::string(rest);
  long long value = 0;
  const auto [end, ec] = std::from_chars(number.data(), number.data() + number.size(), value);
  if (ec != std::errc() || end != number.data() + number.size()) {
    return std::nullopt;
  }
  return value;
}

// A typed real: blanks around it are dropped; an optional sign, digits with
// at most one decimal mark (at least one digit), and an optional exponent.
// The decimal mark is "." or "," whatever the user's locale, and the
// locale's own one as well: an inspector types the mark of the keyboard at
// hand, whichever it is. No thousand separator is accepted, so that "12.7"
// can never become 127.
// Numbers beyond the range of a double are not numbers.
bool IsDecimalMark(char c, const TNumberFormat& format) {
  return c == '.' || c == ',' || c == format.DecimalSeparator;
}

std::optional<double> ParseReal(std::string_view text, const TNumberFormat& format) {
  while (!text.empty() && text.front() == ' ') {
    text.remove_prefix(1);
  }
  while (!text.empty() && text.back() == ' ') {
    text.remove_suffix(1);
  }
  std::string normal;
  std::size_t i = 0;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    if (text[i] == '-') {
      normal += '-';
    }
    ++i;
  }
  bool digits = false;
  bool separator = false;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (IsDigit(c)) {
      digits = true;
      normal += c;
    } else if (IsDecimalMark(c, format) && !separator) {
      separator = true;
      normal += '.';
    } else {
      break;
    }
  }
  if (!digits) {
    return std::nullopt;
  }
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    normal += 'e';
    ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
      normal += text[i];
      ++i;
    }
    bool exponentDigits = false;
    for (; i < text.size() && IsDigit(text[i]); ++i) {
      exponentDigits = true;
      normal += text[i];
    }
    if (!exponentDigits) {
      return std::nullopt;
    }
  }
  if (i != text.size()) {
    return std::nullopt;
  }
  double value = 0;
  const auto [end, ec] = std::from_chars(normal.data(), normal.data() + normal.size(), value);
  if (ec != std::errc() || end != normal.data() + normal.size()) {
    return std::nullopt;
  }
  return value;
}

// ---- Folding at the thickness ------------------------------------------------

struct TFold {
  double Rest;  // what is left of the distance in the last leg
  double Legs;  // thicknesses subtracted
};

// Subtracts the thickness t (> 0) from h while h > t. A distance of very
// many thicknesses (or a tiny thickness) is folded in one step with the
// same result; an infinite distance cannot be folded and stays as it is.
TFold FoldAtThickness(double h, double t) {
  if (!(h > t) || std::isinf(h)) {
    return {h, 0};
  }
  if (h / t <= kMaxFoldedLegs) {
    double legs = 0;
    while (h > t && legs <= kMaxFoldedLegs) {
      h -= t;
      legs += 1;
    }
    return {h, legs};
  }
  double rest = std::fmod(h, t);
  double legs = Rnd((h - rest) / t);
  if (rest == 0) {
    rest = t;
    legs -= 1;
  }
  return {rest, legs};
}

bool IsOdd(double legs) {
  return std::fmod(legs, 2.0) == 1.0;
}

// ---- Fields of the typed parameters --------------------------------------------

// The field of an integer parameter, as a real.
double IntegerField(const TBaseConfigCell& cell, std::uint8_t p) {
  switch (p) {
    case 10:
      return cell.INSERTION_ANGLE;
    case 15:
      return cell.REFRESH_RATE;
    case 18:
      return cell.VELOCITY;
    case 20:
      return cell.POISK;
    case 21:
      return cell.OTSECHKA;
    case 25:
      return cell.ARD_SIGNAL_AMPLITUDE;
    case 27:
      return cell.ARD_CORRECTION;
    default:
      return cell.Parameter29Value;
  }
}

// Stores a whole number (or the rounded last accepted value) into the field
// of an integer parameter, saturated to the field's type.
void StoreIntegerField(TBaseConfigCell& cell, std::uint8_t p, double value) {
  switch (p) {
    case 10:
      cell.INSERTION_ANGLE = RndTo<std::uint8_t>(value);
      break;
    case 15:
      cell.REFRESH_RATE = RndTo<std::uint8_t>(value);
      break;
    case 18:
      cell.VELOCITY = RndTo<std::uint16_t>(value);
      break;
    case 20:
      cell.POISK = RndTo<std::uint8_t>(value);
      break;
    case 21:
      cell.OTSECHKA = RndTo<std::uint8_t>(value);
      break;
    case 25:
      cell.ARD_SIGNAL_AMPLITUDE = Rnd(value);
      break;
    case 27:
      cell.ARD_CORRECTION = RndTo<std::int32_t>(value);
      break;
    default:
      cell.Parameter29Value = RndTo<std::uint8_t>(value);
      break;
  }
}

double& RealField(TBaseConfigCell& cell, std::uint8_t p) {
  switch (p) {
    case 11:
      return cell.PROBE_DELAY;
    case 12:
      return cell.PROBE_ARROW;
    case 14:
      return cell.ZONDER_PULSE_PERIODS;
    case 19:
      return cell.THICKNESS;
    case 23:
      return cell.ARD_PLATE_DIAMETER;
    case 24:
      return cell.ARD_PLATE_FLOOR_DIAMETER;
    default:
      return cell.ARD_ATTENUATION;
  }
}

std::uint8_t& ListField(TBaseConfigCell& cell, std::uint8_t p) {
  switch (p) {
    case 6:
      return cell.TVG_ENABLED;
    case 8:
      return cell.PROBE_TYPE;
    case 9:
      return cell.PROBE_FREQ;
    case 13:
      return cell.PROBE_PULSE;
    case 16:
      return cell.FILTER_BAND;
    case 17:
      return cell.VCURSOR_ENABLED;
    default:
      return cell.SCREEN_UNITS;
  }
}

enum class TParameterGroup : std::uint8_t { None, Strobe, Integer, Real, List };

TParameterGroup GroupOf(std::uint8_t p) {
  switch (p) {
    case 0:
    case 1:
    case 2:
    case 3:
    case 4:
    case 5:
      return TParameterGroup::Strobe;
    case 10:
    case 15:
    case 18:
    case 20:
    case 21:
    case 25:
    case 27:
    case 29:
      return TParameterGroup::Integer;
    case 11:
    case 12:
    case 14:
    case 19:
    case 23:
    case 24:
    case 26:
      return TParameterGroup::Real;
    case 6:
    case 8:
    case 9:
    case 13:
    case 16:
    case 17:
    case 22:
    case 28:
      return TParameterGroup::List;
    default:
      return TParameterGroup::None;
  }
}

bool WithinIntegerBounds(const SINGLE_PARAM_SCHEME& scheme, double value) {
  return value >= scheme.IntMin && value <= scheme.IntMax;
}

bool WithinRealBounds(const SINGLE_PARAM_SCHEME& scheme, double value) {
  return value >= scheme.RealMin && value <= scheme.RealMax;
}

}  // namespace

bool TBaseConfigCell::ParseTypedReal(const std::string& text, double& value) const {
  const std::optional<double> parsed = ParseReal(text, Format);
  if (!parsed) {
    return false;
  }
  value = *parsed;
  return true;
}

// ---- Strobes -----------------------------------------------------------------

std::uint16_t TBaseConfigCell::StrobeBeginPixel(std::uint8_t strobe) const {
  return StrobeBegin(strobe);
}

std::uint16_t TBaseConfigCell::StrobeEndPixel(std::uint8_t strobe) const {
  return StrobeEnd(strobe);
}

std::uint16_t TBaseConfigCell::SetStrobeBeginPixel(std::uint8_t strobe, std::uint16_t x) {
  StrobeBegin(strobe) = x;
  return x;
}

std::uint16_t TBaseConfigCell::SetStrobeEndPixel(std::uint8_t strobe, std::uint16_t x) {
  StrobeEnd(strobe) = x;
  return x;
}

double TBaseConfigCell::StrobeLevelDb(std::uint8_t strobe) const {
  const double percent = StrobeLevelPercent(strobe);
  double a = SIGNAL_TYPE == 3 ? std::fabs(percent - 50) / 100 * kPictureHeight
                              : percent / 100 * kPictureHeight;
  if (a == 0) {
    a = 1;
  }
  return 90.0 - ATTENUATOR1 + 20 * std::log10(a);
}

void TBaseConfigCell::SetStrobeLevelDb(std::uint8_t strobe, std::uint8_t mode, double db) {
  if (db > 300) {
    StrobeLevelPercent(strobe) = 200;
    return;
  }
  double a = std::pow(10.0, (db - (90.0 - ATTENUATOR1)) / 20) / kPictureHeight * 100;
  if (SIGNAL_TYPE == 3) {
    a += 50;
  }
  a = mode == 1 ? std::clamp(a, 3.0, 97.0) : std::clamp(a, 0.0, 255.0);
  StrobeLevelPercent(strobe) = RndTo<std::uint8_t>(a);
}

double TBaseConfigCell::StrobeBeginPath(std::uint8_t strobe) const {
  // A zero pixel length of the millimetre division shows distances as 0.
  if (PIXEL_GRID_LENGTH_MM == 0) {
    return 0;
  }
  return PathCosine(INSERTION_ANGLE) * MmPerDivision() * StrobeBegin(strobe) / PIXEL_GRID_LENGTH_MM;
}

double TBaseConfigCell::StrobeEndPath(std::uint8_t strobe) const {
  if (PIXEL_GRID_LENGTH_MM == 0) {
    return 0;
  }
  return PathCosine(INSERTION_ANGLE) * MmPerDivision() * StrobeEnd(strobe) / PIXEL_GRID_LENGTH_MM;
}

double TBaseConfigCell::FoldedDepth(double h, double t) {
  // The beam reflects between the two surfaces; odd legs run upward.
  const TFold fold = FoldAtThickness(h, t);
  return IsOdd(fold.Legs) ? t - fold.Rest : fold.Rest;
}

double TBaseConfigCell::PathInLegOf(double currentPath, double depth, double t) {
  const double legs = FoldAtThickness(currentPath, t).Legs;
  return IsOdd(legs) ? legs * t + t - depth : depth + legs * t;
}

double TBaseConfigCell::StrobeBeginDepth(std::uint8_t strobe) const {
  const double h = StrobeBeginPath(strobe);
  if (THICKNESS > 0 && INSERTION_ANGLE > 0 && INSERTION_ANGLE < 90) {
    return FoldedDepth(h, THICKNESS);
  }
  return h;
}

void TBaseConfigCell::SetStrobeBeginDepth(std::uint8_t strobe, double mm) {
  double g = mm;
  if (THICKNESS > 0 && INSERTION_ANGLE > 0 && INSERTION_ANGLE < 90) {
    // The new depth stays in the leg of the current begin.
    g = PathInLegOf(StrobeBeginPath(strobe), mm, THICKNESS);
  }
  StrobeBegin(strobe) = RndTo<std::uint16_t>(g * PIXEL_GRID_LENGTH_MM /
                                             (PathCosine(INSERTION_ANGLE) * MmPerDivision()));
}

void TBaseConfigCell::SetStrobeBeginPath(std::uint8_t strobe, double mm) {
  StrobeBegin(strobe) = RndTo<std::uint16_t>(mm * PIXEL_GRID_LENGTH_MM / MmPerDivision() /
                                             PathCosine(INSERTION_ANGLE));
}

void TBaseConfigCell::SetStrobeEndPath(std::uint8_t strobe, double mm) {
  StrobeEnd(strobe) = RndTo<std::uint16_t>(mm * PIXEL_GRID_LENGTH_MM / MmPerDivision() /
                                           PathCosine(INSERTION_ANGLE));
}

// ---- Cursor and time axis ------------------------------------------------------

double TBaseConfigCell::CursorTime(std::uint8_t) const {
  // Without pixels per division there is no time axis; the cursor is at 0.
  if (PIXEL_GRID_LENGTH == 0) {
    return 0;
  }
  return TimePerDivision() * CURSOR_POSITION / PIXEL_GRID_LENGTH;
}

void TBaseConfigCell::SetCursorTime(double us) {
  CURSOR_POSITION = RndTo<std::uint16_t>(PIXEL_GRID_LENGTH * us / TimePerDivision());
}

double TBaseConfigCell::TimeToPixels(double us) const {
  return us * PIXEL_GRID_LENGTH / TimePerDivision();
}

// ---- TGV points and curve ------------------------------------------------------

std::uint16_t TBaseConfigCell::TgvPointPixel(std::uint8_t i) const {
  if (i > LastTgvPoint()) {
    return 0;
  }
  return RndTo<std::uint16_t>(PIXEL_GRID_LENGTH * TGV_POS[i] / TimePerDivision());
}

void TBaseConfigCell::SetTgvPointPixel(std::uint8_t i, std::uint16_t x) {
  if (i > LastTgvPoint()) {
    return;
  }
  // A zero pixel length divides by zero; RndTo turns that into a limit.
  TGV_POS[i] = RndTo<std::uint16_t>(TimePerDivision() * x / PIXEL_GRID_LENGTH);
}

std::uint16_t TBaseConfigCell::TgvCurveRow(double us) const {
  const std::size_t n = LastTgvPoint();
  const auto& p = TGV_POS;
  const auto& a = TGV_GAIN;
  double f = 0;
  if (us >= p[n]) {
    f = p[n] != p[0] ? a[n] / 30.0 : 0;
  } else if (us <= p[0]) {
    f = 0;
  } else {
    // A time that is not a number finds no segment and counts as 0.
    for (std::size_t i = 1; i <= n; ++i) {
      if (us <= p[i]) {
        if (p[i] != p[i - 1]) {
          const double span = static_cast<double>(p[i]) - p[i - 1];
          f = (a[i - 1] + (us - p[i - 1]) * (static_cast<double>(a[i]) - a[i - 1]) / span) / 30;
        }
        break;
      }
    }
  }
  return GainRow(f, SCREEN_MODE);
}

std::uint16_t TBaseConfigCell::TgvPointRow(std::uint8_t i) const {
  if (i > LastTgvPoint()) {
    return 0;
  }
  return GainRow(TGV_GAIN[i] / 30.0, SCREEN_MODE);
}

void TBaseConfigCell::SetTgvPointRow(std::uint8_t i, std::uint16_t y) {
  if (i > LastTgvPoint()) {
    return;
  }
  const double o = SCREEN_MODE == 3 ? 22.5 : 45.0;
  const double h = SCREEN_MODE == 3 ? 90.0 : 180.0;
  const double d = std::max(y - o, 0.0) * 4 / 3;
  const double g = std::min(d / h * 30, 30.0);
  TGV_GAIN[i] = RndTo<std::uint8_t>(g);
}

// The point list, edited as the instrument's editor does it: insert and
// append write the slot TGV_NUMBER and compare with the point before it,
// delete keeps point 0 and the points TGV_NUMBER - 1 and TGV_NUMBER.
// Whatever TGV_NUMBER holds, no index beyond the 32 points is touched.

void TBaseConfigCell::InsertTgvPoint(std::uint16_t t) {
  if (TGV_NUMBER >= kTgvPoints) {
    return;
  }
  const std::size_t n = TGV_NUMBER;  // at most 31 from here on
  const std::size_t last = n == 0 ? 0 : n - 1;
  if (t >= TGV_POS[last]) {
    AppendTgvPoint(t);
    return;
  }
  // TGV_POS[last] > t, so the search ends at `last` at the latest.
  std::size_t i = 0;
  while (i < last && TGV_POS[i] < t) {
    ++i;
  }
  if (i == 0) {
    return;  // nothing goes before point 0
  }
  for (std::size_t k = n; k >= i; --k) {
    TGV_POS[k] = TGV_POS[k - 1];
    TGV_GAIN[k] = TGV_GAIN[k - 1];
  }
  // Points i - 1 and i + 1 (the moved point i; i + 1 <= n <= 31) frame the
  // new one; its gain is interpolated between them. Point i is the first at
  // or after t, so TGV_POS[i - 1] < t <= TGV_POS[i + 1] and the span is
  // positive.
  const double before = TGV_POS[i - 1];
  const double span = static_cast<double>(TGV_POS[i + 1]) - before;
  const double step =
      Rnd((t - before) * (static_cast<double>(TGV_GAIN[i + 1]) - TGV_GAIN[i - 1]) / span);
  TGV_GAIN[i] = RndTo<std::uint8_t>(TGV_GAIN[i - 1] + step);
  TGV_POS[i] = t;
  ++TGV_NUMBER;
}

void TBaseConfigCell::AppendTgvPoint(std::uint16_t t) {
  if (TGV_NUMBER >= kTgvPoints) {
    return;
  }
  const std::size_t n = TGV_NUMBER;
  TGV_POS[n] = t;
  TGV_GAIN[n] = TGV_GAIN[n == 0 ? 0 : n - 1];
  ++TGV_NUMBER;
}

void TBaseConfigCell::DeleteTgvPoint(std::uint8_t i) {
  const int n = TGV_NUMBER;
  if (!(i > 0 && i < n - 1)) {
    return;
  }
  // Points above the 32nd do not exist; the last one keeps its value.
  for (std::size_t k = i; k <= static_cast<std::size_t>(n) && k < kLastTgvIndex; ++k) {
    TGV_POS[k] = TGV_POS[k + 1];
    TGV_GAIN[k] = TGV_GAIN[k + 1];
  }
  --TGV_NUMBER;
}

// ---- Attenuator and scales -------------------------------------------------------

void TBaseConfigCell::StepAttenuator(int step) {
  // Wide arithmetic: any step and any stored count stay exact.
  const long long value = std::clamp(90LL - ATTENUATOR1 + step, 0LL, 90LL);
  ATTENUATOR1 = static_cast<std::uint16_t>(90 - value);
}

void TBaseConfigCell::SetAttenuator(int db) {
  if (db >= 1 && db <= 89) {
    ATTENUATOR1 = static_cast<std::uint16_t>(90 - db);
  }
}

void TBaseConfigCell::StepTimeScale(int step) {
  const long long n = static_cast<long long>(PIXEL_GRID_LENGTH) + step;
  if (n >= 25 && n <= 50) {
    PIXEL_GRID_LENGTH = static_cast<std::uint8_t>(n);
  } else if (step > 0) {
    if (INDEX_MARK_MKS > 0) {
      --INDEX_MARK_MKS;
      PIXEL_GRID_LENGTH = 25;
    }
  } else if (step < 0) {
    if (INDEX_MARK_MKS <= 5) {
      ++INDEX_MARK_MKS;
      PIXEL_GRID_LENGTH = 50;
    }
  }
}

double TBaseConfigCell::ScreenSpanMm() const {
  // Without pixels per division the span is unbounded.
  return PIXEL_GRID_LENGTH == 0
             ? std::numeric_limits<double>::infinity()
             : VELOCITY * (TimePerDivision() * kUsableWidth / PIXEL_GRID_LENGTH) / 2000.0;
}

std::uint8_t TBaseConfigCell::MmGridIndexFor(double w) {
  int stop = -1;
  for (int index = kLastMmIndex; index >= 0; --index) {
    if (std::trunc(w / kMmPerDivision[index]) >= kMmGridDivisions) {
      stop = index;
      break;
    }
  }
  // One above the stopping index; when even the coarsest step gives 12 or
  // more divisions that is the coarsest, and when no step does (or the span
  // is not a number), the finest.
  return static_cast<std::uint8_t>(std::min(stop + 1, kLastMmIndex));
}

void TBaseConfigCell::UpdateMillimetreGrid() {
  // The distance in mm that the usable width spans. Without pixels per
  // division it is unbounded, and the coarsest step is chosen.
  const double w = ScreenSpanMm();
  const int chosen = MmGridIndexFor(w);
  INDEX_MARK_MM = static_cast<std::uint8_t>(chosen);
  const std::uint8_t pixels = RndTo<std::uint8_t>(kMmPerDivision[chosen] * kUsableWidth / w);
  MmGridPixels1 = pixels;
  MmGridPixels2 = pixels;
}

// ---- Parameter schemes -------------------------------------------------------------

void TBaseConfigCell::BuildParameterSchemes() {
  Schemes = {};
  const auto typed = [this](int p, TParameterKind kind, double last,
                            int mask) -> SINGLE_PARAM_SCHEME& {
    SINGLE_PARAM_SCHEME& s = Schemes[static_cast<std::size_t>(p)];
    s.Kind = kind;
    s.LastAccepted = last;
    s.EditMask = Mask(mask);
    return s;
  };
  const auto integer = [&typed](int p, std::int32_t min, std::int32_t max, double last, int mask) {
    SINGLE_PARAM_SCHEME& s = typed(p, kIntegerKind, last, mask);
    s.IntMin = min;
    s.IntMax = max;
  };
  const auto real = [&typed](int p, double min, double max, double last, int mask) {
    SINGLE_PARAM_SCHEME& s = typed(p, kRealKind, last, mask);
    s.RealMin = min;
    s.RealMax = max;
  };
  // Strobe parameters are typed as reals and bounded on the column or
  // percent field they end up in.
  const auto strobe = [&typed](int p, std::int32_t min, std::int32_t max, int mask) {
    SINGLE_PARAM_SCHEME& s = typed(p, kRealKind, 10.0, mask);
    s.IntMin = min;
    s.IntMax = max;
  };
  const auto ownList = [this](int p, std::vector<std::string> entries) {
    SINGLE_PARAM_SCHEME& s = Schemes[static_cast<std::size_t>(p)];
    s.Kind = kOwnListKind;
    s.EntryCount = static_cast<std::uint8_t>(entries.size());
    s.IntMin = 0;
    s.IntMax = static_cast<std::int32_t>(entries.size()) - 1;
    s.Entries = std::move(entries);
  };
  // Lists made of value strings keep no entries (see above).
  const auto valueStringList = [this](const TListRecipe& recipe) {
    SINGLE_PARAM_SCHEME& s = Schemes[recipe.Parameter];
    s.Kind = kOwnListKind;
    s.EntryCount = recipe.Count;
    s.IntMin = 0;
    s.IntMax = recipe.Count - 1;
    s.FirstValueString = FirstStringOf(recipe);
  };

  // Begin column 0..318 and end column 1..320: a begin leaves room for a
  // strobe of one column, an end lies after column 0 and at most at the
  // right edge of the 320-column picture.
  for (int s = 0; s < 2; ++s) {
    strobe(3 * s + 0, 0, kStrobeBeginColumnMax, 6);
    strobe(3 * s + 1, kStrobeEndColumnMin, kStrobeEndColumnMax, 5);
    strobe(3 * s + 2, 3, 97, 4);
  }
  for (const TListRecipe& recipe : kValueStringLists) {
    valueStringList(recipe);
  }
  std::vector<std::string> frequencies;
  for (double f : kProbeFrequency) {
    frequencies.push_back(RealInWidth(f, 1, kTextWidth, Format.DecimalSeparator));
  }
  ownList(9, std::move(frequencies));
  integer(10, 0, 90, 0, 3);
  real(11, 0.00, 99.99, 0, 5);
  real(12, 0.0, 49.9, 0, 4);
  std::vector<std::string> pulses;
  for (std::uint8_t pulse : kProbePulse) {
    pulses.push_back(IntegerInWidth(pulse, kTextWidth));
  }
  ownList(13, std::move(pulses));
  real(14, 0.5, 5.0, 0.5, 4);
  integer(15, 5, 50, 10, 2);
  integer(18, 1000, 15000, 5914, 5);
  real(19, 0.0, 499.9, 0, 6);
  integer(20, 0, 140, 10, 3);
  integer(21, 0, 100, 0, 3);
  real(23, 0.1, 25.0, 12.0, 4);
  real(24, 0.1, 25.0, 12.0, 4);
  integer(25, 0, 200, 0, 3);
  real(26, 0.0, 99.9, 0, 4);
  integer(27, 0, 12, 12, 2);
  integer(29, 1, 50, 1, 2);
}

void TBaseConfigCell::SetUpParameterEditor(IParameterEditor& editor, std::uint8_t p) const {
  if (p >= kParameterCount) {
    return;
  }
  const SINGLE_PARAM_SCHEME& scheme = Schemes[p];
  switch (scheme.Kind) {
    case kIntegerKind:
    case kRealKind:
      editor.SetEditMask(scheme.EditMask);
      break;
    case kValueStringListKind:
    case kOwnListKind:
      editor.SetPickList(EntriesOf(scheme, p));
      break;
    default:
      break;
  }
}

void TBaseConfigCell::FillParameterList(IParameterList& list, std::uint8_t p) const {
  if (p >= kParameterCount) {
    return;
  }
  const SINGLE_PARAM_SCHEME& scheme = Schemes[p];
  if (scheme.Kind != kValueStringListKind && scheme.Kind != kOwnListKind) {
    return;
  }
  list.Clear();
  for (const std::string& entry : EntriesOf(scheme, p)) {
    list.Add(entry);
  }
  list.SelectFirst();
}

// ---- Parameter texts -------------------------------------------------------------

std::string TBaseConfigCell::ParameterText(std::uint8_t p) const {
  if (p >= kParameterCount) {
    return {};
  }
  const char sep = Format.DecimalSeparator;
  const SINGLE_PARAM_SCHEME& scheme = Schemes[p];
  switch (p) {
    case 0:
      return Real1(StrobeBeginDepth(0), sep);
    case 1:
      return Real1(StrobeEndPath(0) - StrobeBeginPath(0), sep);
    case 2:
      return Real1(StrobeLevelDb(0), sep);
    case 3:
      return Real1(StrobeBeginDepth(1), sep);
    case 4:
      return Real1(StrobeEndPath(1) - StrobeBeginPath(1), sep);
    case 5:
      return Real1(StrobeLevelDb(1), sep);
    case 6:
      return EntryText(scheme, p, TVG_ENABLED);
    case 8:
      return EntryText(scheme, p, PROBE_TYPE);
    case 9:
      return EntryText(scheme, p, PROBE_FREQ);
    case 10:
      return IntegerInWidth(INSERTION_ANGLE, kTextWidth);
    case 11:
      return RealInWidth(PROBE_DELAY, 2, kTextWidth, sep);
    case 12:
      return Real1(PROBE_ARROW, sep);
    case 13:
      return EntryText(scheme, p, PROBE_PULSE);
    case 14:
      return Real1(ZONDER_PULSE_PERIODS, sep);
    case 15:
      return IntegerInWidth(REFRESH_RATE, kTextWidth);
    case 16:
      return EntryText(scheme, p, FILTER_BAND == 0 ? 0 : 1);
    case 17:
      return EntryText(scheme, p, VCURSOR_ENABLED != 0 ? 1 : 0);
    case 18:
      return IntegerInWidth(VELOCITY, kTextWidth);
    case 19:
      return Real1(THICKNESS, sep);
    case 20:
      return IntegerInWidth(POISK, kTextWidth);
    case 21:
      return IntegerInWidth(OTSECHKA, kTextWidth);
    case 22:
      return EntryText(scheme, p, SCREEN_UNITS);
    case 23:
      return Real1(ARD_PLATE_DIAMETER, sep);
    case 24:
      return Real1(ARD_PLATE_FLOOR_DIAMETER, sep);
    case 25:
      return IntegerInWidth(RndTo<long long>(ARD_SIGNAL_AMPLITUDE), kTextWidth);
    case 26:
      return Real1(ARD_ATTENUATION, sep);
    case 27:
      return IntegerInWidth(ARD_CORRECTION, kTextWidth);
    case 28:
      return EntryText(scheme, p, SCREEN_UNITS);
    case 29:
      return IntegerInWidth(Parameter29Value, kTextWidth);
    default:
      return {};  // 7 is not used
  }
}

// ---- Setting parameters from text -------------------------------------------------

std::uint8_t TBaseConfigCell::SetParameterText(const std::string& text, std::uint8_t p) {
  if (p >= kParameterCount) {
    return kAccepted;
  }
  SINGLE_PARAM_SCHEME& scheme = Schemes[p];
  std::uint8_t result = kAccepted;

  switch (GroupOf(p)) {
    case TParameterGroup::None:
      return kAccepted;

    case TParameterGroup::Strobe: {
      const std::uint8_t s = p < 3 ? 0 : 1;
      const int role = p % 3;  // 0 begin, 1 length, 2 level
      const auto guarded = [this, s, role]() -> double {
        if (role == 0) {
          return StrobeBegin(s);
        }
        return role == 1 ? StrobeEnd(s) : StrobeLevelPercent(s);
      };
      const auto restore = [this, s, role, &scheme]() {
        if (role == 0) {
          StrobeBegin(s) = RndTo<std::uint16_t>(scheme.LastAccepted);
        } else if (role == 1) {
          StrobeEnd(s) = RndTo<std::uint16_t>(scheme.LastAccepted);
        } else {
          StrobeLevelPercent(s) = RndTo<std::uint8_t>(scheme.LastAccepted);
        }
      };
      if (WithinIntegerBounds(scheme, guarded())) {
        scheme.LastAccepted = guarded();
      }
      const std::optional<double> value = ParseReal(text, Format);
      if (!value || *value == kRefusedReal) {
        restore();
        result = kNotANumber;
        break;
      }
      if (role == 0) {
        SetStrobeBeginDepth(s, *value);
      } else if (role == 1) {
        SetStrobeEndPath(s, StrobeBeginPath(s) + *value);
      } else {
        SetStrobeLevelDb(s, 0, *value);
      }
      if (!WithinIntegerBounds(scheme, guarded())) {
        restore();
        result = kOutOfBounds;
      }
      break;
    }

    case TParameterGroup::Integer: {
      const double current = IntegerField(*this, p);
      if (WithinIntegerBounds(scheme, current)) {
        scheme.LastAccepted = current;
      }
      const std::optional<long long> value = ParseInteger(text);
      if (!value || *value == kRefusedInteger) {
        StoreIntegerField(*this, p, Rnd(scheme.LastAccepted));
        result = kNotANumber;
      } else if (*value < scheme.IntMin || *value > scheme.IntMax) {
        StoreIntegerField(*this, p, Rnd(scheme.LastAccepted));
        result = kOutOfBounds;
      } else {
        StoreIntegerField(*this, p, static_cast<double>(*value));
      }
      break;
    }

    case TParameterGroup::Real: {
      double& field = RealField(*this, p);
      if (WithinRealBounds(scheme, field)) {
        scheme.LastAccepted = field;
      }
      const std::optional<double> parsed = ParseReal(text, Format);
      if (!parsed || *parsed == kRefusedReal) {
        field = scheme.LastAccepted;
        result = kNotANumber;
        break;
      }
      double value = *parsed;
      if (p == 14) {
        value = Rnd(value / 0.5) * 0.5;  // whole half periods
      }
      if (!WithinRealBounds(scheme, value)) {
        field = scheme.LastAccepted;
        result = kOutOfBounds;
      } else {
        field = value;
      }
      break;
    }

    case TParameterGroup::List: {
      std::uint8_t& field = ListField(*this, p);
      if (field <= scheme.EntryCount) {
        scheme.LastAccepted = field;
      }
      if ((p == 22 || p == 28) && TVG_ENABLED == 2) {
        field = 2;  // DGS mode works in depth
        break;
      }
      const std::vector<std::string> entries = EntriesOf(scheme, p);
      if ((p == 22 || p == 28) && InsertionAngle() > 89.75 && entries.size() > 2 &&
          text == entries[2]) {
        field = 1;
      }
      result = kOutOfBounds;
      for (std::size_t i = 0; i < entries.size(); ++i) {
        if (text == entries[i]) {
          if (p == 17) {
            field = i == 0 ? 0 : 2;
          } else {
            field = static_cast<std::uint8_t>(std::min<std::size_t>(i, 255));
          }
          result = kAccepted;
          break;
        }
      }
      if (result != kAccepted) {
        field = RndTo<std::uint8_t>(scheme.LastAccepted);
      }
      break;
    }
  }

  // What depends on the parameter follows whatever the result.
  if (p == 10) {
    UpdateDepthGrid();
  } else if (p == 20) {
    OPORN_LEVEL_ON = POISK != 0 ? 4 : 0;
  }
  return result;
}

}  // namespace velt
