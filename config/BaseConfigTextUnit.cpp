// The text record of the base layout: 174 lines and one line per comment,
// read back by position (the keys are written for people, never compared).
#include <config/BaseConfigObjectsUnit.h>

#include <algorithm>
#include <limits>

#include <config/Rounding.h>
#include <config/TextRecordIO.h>

namespace velt {
namespace {

std::string Indexed(const char* key, std::size_t i) {
  return std::string(key) + "[" + std::to_string(i) + "]:";
}

// B-SCAN RATE: a whole number, written rounded and without scaling; any
// number the writer can produce reads back.
constexpr long long kAnyInteger = std::numeric_limits<long long>::max();

}  // namespace

// ---- Write -----------------------------------------------------------------

void TBaseConfigCell::WriteText(TTextWriter& out) {
  WriteTextIdentity(out);
  WriteTextName(out);
  WriteTextTimeScale(out);
  WriteTextStrobeColumns(out);
  WriteTextSetup(out);
  WriteTextInsertionAngle(out);
  WriteTextProbeAndScreen(out);
  WriteTextSnapshot(out);
  WriteTextComments(out);
  out.Check();
}

void TBaseConfigCell::WriteTextIdentity(TTextWriter& out) const {
  out.Keyed("DEVICE INDEX:", DEVICE_INDEX);
  out.Keyed("MAJOR VERSION #:", MAJOR_VERSION_NO);
  out.Keyed("MINOR VERSION #:", MINOR_VERSION_NO);
  out.Keyed("CONFIGURATION #:", CONFIGURATION_NO);
}

void TBaseConfigCell::WriteTextName(TTextWriter& out) {
  // The name characters follow the name first: as many as it has (at most
  // the 20 the cell keeps), blanks up to position 13, "/" at 14. An empty
  // name - which the instrument never holds - thus goes out as 14 blanks.
  const std::size_t k = std::min<std::size_t>(CONFIGURATION_NAME.size(), kNameChars);
  for (std::size_t i = 0; i < k; ++i) {
    NameChars[i] = static_cast<std::uint8_t>(CONFIGURATION_NAME[i]);
  }
  for (std::size_t i = k; i < kNameLength; ++i) {
    NameChars[i] = 0x20;
  }
  NameChars[kNameLength] = '/';
  out.Line("CONFIGURATION_NAME");
  for (std::size_t i = 0; i <= kNameLength; ++i) {
    out.Line(std::to_string(NameChars[i]));
  }
}

void TBaseConfigCell::WriteTextTimeScale(TTextWriter& out) const {
  out.Keyed("INDEX_MARK_MKS:", INDEX_MARK_MKS);
  out.Keyed("PIXEL_GRID_LENGTH:", PIXEL_GRID_LENGTH);
}

void TBaseConfigCell::WriteTextStrobeColumns(TTextWriter& out) const {
  out.Keyed("STROBE_1_BEGIN:", STROBE_1_BEGIN);
  out.Keyed("STROBE_1_END:", STROBE_1_END);
  out.Keyed("STROBE_2_BEGIN:", STROBE_2_BEGIN);
  out.Keyed("STROBE_2_END:", STROBE_2_END);
}

void TBaseConfigCell::WriteTextSetup(TTextWriter& out) const {
  out.Keyed("STROBE_1_LEVEL:", STROBE_1_LEVEL);
  out.Keyed("STROBE_2_LEVEL:", STROBE_2_LEVEL);
  out.Keyed("STROBE_1_LEVEL_PERCENT:", STROBE_1_LEVEL_PERCENT);
  out.Keyed("STROBE_2_LEVEL_PERCENT:", STROBE_2_LEVEL_PERCENT);
  out.Keyed("CURSOR_POSITION:", CURSOR_POSITION);
  for (std::size_t i = 0; i < PICTOGR_ARRAY.size(); ++i) {
    out.Keyed(Indexed("PICTOGR_ARRAY", i), PICTOGR_ARRAY[i]);
  }
  for (std::size_t i = 0; i < TGV_GAIN.size(); ++i) {
    out.Keyed(Indexed("TGV_GAIN", i), TGV_GAIN[i]);
  }
  for (std::size_t i = 0; i < TGV_POS.size(); ++i) {
    out.Keyed(Indexed("TGV_POS", i), TGV_POS[i]);
  }
  out.Keyed("TGV_CURSOR_POSITION:", TGV_CURSOR_POSITION);
  out.Keyed("TGV_NUMBER:", TGV_NUMBER);
  out.Keyed("ATTENUATOR1:", ATTENUATOR1);
  out.Keyed("ARD_CORRECTION:", ARD_CORRECTION);
  out.Keyed("VELOCITY:", VELOCITY);
  out.Keyed("POISK:", POISK);
  out.KeyedScaled("THICKNESS:", THICKNESS);
  out.KeyedScaled("ZONDER_PULSE_PERIODS:", ZONDER_PULSE_PERIODS);
  out.Keyed("CURSOR_1_ENABLED:", CURSOR_1_ENABLED);
  out.Keyed("CURSOR_2_ENABLED:", CURSOR_2_ENABLED);
  out.Keyed("TVG_ENABLED:", TVG_ENABLED);
  out.Keyed("B_SCAN_BEGIN:", B_SCAN_BEGIN);
  out.Keyed("B_SCAN_END:", B_SCAN_END);
  out.Keyed("SCREEN_MODE:", SCREEN_MODE);
  out.Keyed("USER_MODE:", USER_MODE);
  out.Keyed("REFRESH_RATE:", REFRESH_RATE);
  out.Keyed("FILTER_BAND:", FILTER_BAND);
  out.Keyed("OTSECHKA:", OTSECHKA);
  out.Keyed("STROBE_ALGORYTHM:", STROBE_ALGORYTHM);
  out.KeyedScaled("PROBE_ARROW:", PROBE_ARROW);
}

void TBaseConfigCell::WriteTextInsertionAngle(TTextWriter& out) const {
  out.Keyed("INSERTION_ANGLE:", INSERTION_ANGLE);
}

void TBaseConfigCell::WriteTextProbeAndScreen(TTextWriter& out) {
  out.Keyed("PROBE_FREQ:", PROBE_FREQ);
  out.KeyedScaled("PROBE_DELAY:", PROBE_DELAY);
  out.Keyed("PROBE_TYPE:", PROBE_TYPE);
  out.Keyed("PROBE_PULSE:", PROBE_PULSE);
  out.Keyed("CONTRAST:", CONTRAST);
  out.Keyed("PODSVETKA:", PODSVETKA);
  out.KeyedScaled("ARD_PLATE_DIAMETER:", ARD_PLATE_DIAMETER);
  out.KeyedScaled("ARD_SIGNAL_AMPLITUDE:", ARD_SIGNAL_AMPLITUDE);
  out.KeyedScaled("ARD_PLATE_FLOOR_DIAMETER:", ARD_PLATE_FLOOR_DIAMETER);
  out.Keyed("SOUND ENABLED ???:", SOUND_ENABLED);
  out.Keyed("VCURSOR ENABLED ???:", VCURSOR_ENABLED);
  out.Keyed("OPORN LEVEL ON ???:", OPORN_LEVEL_ON);
  out.Keyed("LANGUAGE ???:", LANGUAGE);
  out.KeyedScaled("ARD_ATTENUATION:", ARD_ATTENUATION);
  out.Keyed("LAST MEM CELL ???:", LAST_MEM_CELL);
  out.Keyed("EVEN REMINDER FLAG ???:", EVEN_REMINDER_FLAG);
  // The second copy is the one in force.
  USED_MODE = static_cast<std::uint16_t>(UsedModeCopy);
  out.Keyed("USED MODE ???:", USED_MODE);
  out.Keyed("PREVIOUS PIXEL GRID LENGTH:", PREVIOUS_PIXEL_GRID_LENGTH);
  out.Keyed("SIGNAL TYPE:", SIGNAL_TYPE);
  out.Keyed("B-SCAN RATE:", RndTo<long long>(B_SCAN_RATE));
  out.Keyed("CONFIG INDEX:", CONFIG_INDEX);
  out.Keyed("SCREEN UNITS:", SCREEN_UNITS);
  out.KeyedScaled("PIXEL_GRID_LENGTH_MM:", PIXEL_GRID_LENGTH_MM);
  out.KeyedScaled("PREV_PIXEL_GRID_LENGTH_MM:", PREV_PIXEL_GRID_LENGTH_MM);
}

void TBaseConfigCell::WriteTextSnapshot(TTextWriter& out) const {
  out.Keyed("INDEX_MARK_MM:", INDEX_MARK_MM);
  out.Keyed("SNAP YEAR:", SNAP_YEAR);
  out.Keyed("SNAP MONTH:", SNAP_MONTH);
  out.Keyed("SNAP_DAY:", SNAP_DAY);
  out.Keyed("SNAP_HOUR:", SNAP_HOUR);
  out.Keyed("SNAP_MINUTE:", SNAP_MINUTE);
  out.Keyed("SNAP_SECOND:", SNAP_SECOND);
}

void TBaseConfigCell::WriteTextComments(TTextWriter& out) const {
  out.Keyed("DEVICE_INDEX:", DEVICE_INDEX);
  // The count line is read back as a 16-bit number: more comments than that
  // would make a record that cannot be read, so no more are written.
  const std::size_t c = std::min<std::size_t>(Comments.size(), 65535);
  out.Keyed("COMMENTS QUANTITY:", static_cast<long long>(c));
  for (std::size_t i = 0; i < c; ++i) {
    out.Keyed(Indexed("COMMENTS", i), Comments[i]);
  }
}

// ---- Read ------------------------------------------------------------------

std::uint8_t TBaseConfigCell::ReadText(TTextReader& in) {
  ReadTextIdentity(in);
  ReadTextName(in);
  ReadTextTimeScale(in);
  ReadTextStrobeColumns(in);
  ReadTextSetup(in);
  ReadTextInsertionAngle(in);
  ReadTextProbeAndScreen(in);
  ReadTextSnapshot(in);
  ReadTextComments(in);
  RefreshParameter29();
  return 0;
}

void TBaseConfigCell::ReadTextIdentity(TTextReader& in) {
  DEVICE_INDEX = in.Byte();
  MAJOR_VERSION_NO = in.Byte();
  MINOR_VERSION_NO = in.Byte();
  CONFIGURATION_NO = in.Word();
}

void TBaseConfigCell::ReadTextName(TTextReader& in) {
  in.Line();  // "CONFIGURATION_NAME"
  for (std::size_t i = 0; i < kNameLength; ++i) {
    NameChars[i] = in.Byte();
  }
  CONFIGURATION_NAME.assign(NameChars.begin(), NameChars.begin() + kNameLength);
  NameChars[kNameLength] = in.Byte();
}

void TBaseConfigCell::ReadTextTimeScale(TTextReader& in) {
  INDEX_MARK_MKS = in.Byte();
  PIXEL_GRID_LENGTH = in.Byte();
}

void TBaseConfigCell::ReadTextStrobeColumns(TTextReader& in) {
  STROBE_1_BEGIN = in.Word();
  STROBE_1_END = in.Word();
  STROBE_2_BEGIN = in.Word();
  STROBE_2_END = in.Word();
}

void TBaseConfigCell::ReadTextSetup(TTextReader& in) {
  STROBE_1_LEVEL = in.Byte();
  STROBE_2_LEVEL = in.Byte();
  STROBE_1_LEVEL_PERCENT = in.Byte();
  STROBE_2_LEVEL_PERCENT = in.Byte();
  CURSOR_POSITION = in.Word();
  for (auto& entry : PICTOGR_ARRAY) {
    entry = in.Byte();
  }
  for (auto& gain : TGV_GAIN) {
    gain = in.Byte();
  }
  for (auto& position : TGV_POS) {
    position = in.Word();
  }
  TGV_CURSOR_POSITION = in.Word();
  TGV_NUMBER = in.Word();
  ATTENUATOR1 = in.Word();
  ARD_CORRECTION = in.Signed32();
  VELOCITY = in.Word();
  POISK = in.Byte();
  THICKNESS = in.Scaled(100);
  ZONDER_PULSE_PERIODS = in.Scaled(100);
  CURSOR_1_ENABLED = in.Byte();
  CURSOR_2_ENABLED = in.Byte();
  TVG_ENABLED = in.Byte();
  B_SCAN_BEGIN = in.Word();
  B_SCAN_END = in.Word();
  SCREEN_MODE = in.Word();
  USER_MODE = in.Word();
  REFRESH_RATE = in.Byte();
  FILTER_BAND = in.Byte();
  OTSECHKA = in.Byte();
  STROBE_ALGORYTHM = in.Byte();
  PROBE_ARROW = in.Scaled(0);
}

void TBaseConfigCell::ReadTextInsertionAngle(TTextReader& in) { INSERTION_ANGLE = in.Byte(); }

void TBaseConfigCell::ReadTextProbeAndScreen(TTextReader& in) {
  PROBE_FREQ = in.Byte();
  PROBE_DELAY = in.Scaled(0);
  PROBE_TYPE = in.Byte();
  PROBE_PULSE = in.Byte();
  CONTRAST = in.Byte();
  PODSVETKA = in.Byte();
  ARD_PLATE_DIAMETER = in.Scaled(0);
  ARD_SIGNAL_AMPLITUDE = in.Scaled(0);
  ARD_PLATE_FLOOR_DIAMETER = in.Scaled(0);
  SOUND_ENABLED = in.Byte();
  VCURSOR_ENABLED = in.Byte();
  OPORN_LEVEL_ON = in.Byte();
  LANGUAGE = in.Byte();
  ARD_ATTENUATION = in.Scaled(0);
  LAST_MEM_CELL = in.Word();
  EVEN_REMINDER_FLAG = in.Word();
  USED_MODE = in.Word();
  UsedModeCopy = static_cast<std::int16_t>(USED_MODE);
  PREVIOUS_PIXEL_GRID_LENGTH = in.Byte();
  SIGNAL_TYPE = in.Byte();
  B_SCAN_RATE = static_cast<double>(in.Integer(-kAnyInteger - 1, kAnyInteger));
  CONFIG_INDEX = in.Word();
  SCREEN_UNITS = in.Byte();
  PIXEL_GRID_LENGTH_MM = in.Scaled(0);
  PREV_PIXEL_GRID_LENGTH_MM = in.Scaled(0);
}

void TBaseConfigCell::ReadTextSnapshot(TTextReader& in) {
  INDEX_MARK_MM = in.Byte();
  SNAP_YEAR = in.Byte();
  SNAP_MONTH = in.Byte();
  SNAP_DAY = in.Byte();
  SNAP_HOUR = in.Byte();
  SNAP_MINUTE = in.Byte();
  SNAP_SECOND = in.Byte();
}

void TBaseConfigCell::ReadTextComments(TTextReader& in) {
  DEVICE_INDEX = in.Byte();
  const std::uint16_t c = in.Word();
  Comments.clear();
  for (std::uint16_t i = 0; i < c; ++i) {
    // An empty comment is a line of its own; a record whose lines end
    // before its comments do is cut off, not a list of empty comments.
    if (in.AtEnd()) {
      throw EConvertError("Line " + std::to_string(in.LineNumber() + 1) +
                          ": the record ends before comment " + std::to_string(i) + " of " +
                          std::to_string(c));
    }
    Comments.push_back(in.Value());
  }
}

}  // namespace velt
