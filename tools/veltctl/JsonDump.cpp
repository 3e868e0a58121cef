#include "JsonDump.h"

#include <algorithm>

#include <config/ConfigObject5_01ver_Unit.h>
#include <records/UniversalDataObjectUnit.h>

#include "TextEncoding.h"

namespace veltctl {
namespace {

using velt::TBaseConfigCell;

template <typename Container>
TJson Numbers(const Container& values) {
  TJson array = TJson::array();
  for (const auto value : values) {
    array.push_back(value);
  }
  return array;
}

TJson Texts(const std::vector<std::string>& texts) {
  TJson array = TJson::array();
  for (const auto& text : texts) {
    array.push_back(Utf8FromWindows1251(text));
  }
  return array;
}

// The 5.00 layout keeps 15 name characters and "/" after them; the older
// ones 14 and "/".
std::size_t NameCharacterCount(const TBaseConfigCell& cell) {
  return dynamic_cast<const velt::T5_00ConfigCell*>(&cell) != nullptr ? 16 : 15;
}

// Lines 21..26 of the base record and their 3.17 form: from 3.17 on the
// strobe lines carry the times, and the column fields are not stored.
void PutTimeScaleAndStrobes(const TBaseConfigCell& cell, TJson& o) {
  o["INDEX_MARK_MKS"] = cell.INDEX_MARK_MKS;
  o["PIXEL_GRID_LENGTH"] = cell.PIXEL_GRID_LENGTH;
  if (const auto* c = dynamic_cast<const velt::T3_17ConfigCell*>(&cell)) {
    o["INDEX_MARK_MM_DEPTH"] = c->INDEX_MARK_MM_DEPTH;
    o["PIXEL_GRID_LENGTH_MM_DEPTH"] = c->PIXEL_GRID_LENGTH_MM_DEPTH;
    o["previous depth grid length"] = c->PrevPixelGridLengthMmDepth;
    o["strobe 1 begin time"] = c->StrobeBeginTime[0];
    o["strobe 1 end time"] = c->StrobeEndTime[0];
    o["strobe 2 begin time"] = c->StrobeBeginTime[1];
    o["strobe 2 end time"] = c->StrobeEndTime[1];
  } else {
    o["STROBE_1_BEGIN"] = cell.STROBE_1_BEGIN;
    o["STROBE_1_END"] = cell.STROBE_1_END;
    o["STROBE_2_BEGIN"] = cell.STROBE_2_BEGIN;
    o["STROBE_2_END"] = cell.STROBE_2_END;
  }
}

void PutSetup(const TBaseConfigCell& cell, TJson& o) {
  o["STROBE_1_LEVEL"] = cell.STROBE_1_LEVEL;
  o["STROBE_2_LEVEL"] = cell.STROBE_2_LEVEL;
  o["STROBE_1_LEVEL_PERCENT"] = cell.STROBE_1_LEVEL_PERCENT;
  o["STROBE_2_LEVEL_PERCENT"] = cell.STROBE_2_LEVEL_PERCENT;
  o["CURSOR_POSITION"] = cell.CURSOR_POSITION;
  o["PICTOGR_ARRAY"] = Numbers(cell.PICTOGR_ARRAY);
  o["TGV_GAIN"] = Numbers(cell.TGV_GAIN);
  o["TGV_POS"] = Numbers(cell.TGV_POS);
  o["TGV_CURSOR_POSITION"] = cell.TGV_CURSOR_POSITION;
  o["TGV_NUMBER"] = cell.TGV_NUMBER;
  o["ATTENUATOR1"] = cell.ATTENUATOR1;
  o["ARD_CORRECTION"] = cell.ARD_CORRECTION;
  o["VELOCITY"] = cell.VELOCITY;
  o["POISK"] = cell.POISK;
  o["THICKNESS"] = cell.THICKNESS;
  o["ZONDER_PULSE_PERIODS"] = cell.ZONDER_PULSE_PERIODS;
  o["CURSOR_1_ENABLED"] = cell.CURSOR_1_ENABLED;
  o["CURSOR_2_ENABLED"] = cell.CURSOR_2_ENABLED;
  o["TVG_ENABLED"] = cell.TVG_ENABLED;
  o["B_SCAN_BEGIN"] = cell.B_SCAN_BEGIN;
  o["B_SCAN_END"] = cell.B_SCAN_END;
  o["SCREEN_MODE"] = cell.SCREEN_MODE;
  o["USER_MODE"] = cell.USER_MODE;
  o["REFRESH_RATE"] = cell.REFRESH_RATE;
  o["FILTER_BAND"] = cell.FILTER_BAND;
  o["OTSECHKA"] = cell.OTSECHKA;
  o["STROBE_ALGORYTHM"] = cell.STROBE_ALGORYTHM;
  o["PROBE_ARROW"] = cell.PROBE_ARROW;
  // From 3.17 on the line carries the beam angle; the byte is its rounding.
  o["INSERTION_ANGLE"] = cell.INSERTION_ANGLE;
  if (const auto* c = dynamic_cast<const velt::T3_17ConfigCell*>(&cell)) {
    o["beam angle"] = c->BeamAngle;
  }
}

void PutProbeAndScreen(const TBaseConfigCell& cell, TJson& o) {
  o["PROBE_FREQ"] = cell.PROBE_FREQ;
  o["PROBE_DELAY"] = cell.PROBE_DELAY;
  o["PROBE_TYPE"] = cell.PROBE_TYPE;
  o["PROBE_PULSE"] = cell.PROBE_PULSE;
  o["CONTRAST"] = cell.CONTRAST;
  o["PODSVETKA"] = cell.PODSVETKA;
  o["ARD_PLATE_DIAMETER"] = cell.ARD_PLATE_DIAMETER;
  o["ARD_SIGNAL_AMPLITUDE"] = cell.ARD_SIGNAL_AMPLITUDE;
  o["ARD_PLATE_FLOOR_DIAMETER"] = cell.ARD_PLATE_FLOOR_DIAMETER;
  o["SOUND ENABLED ???"] = cell.SOUND_ENABLED;
  o["VCURSOR ENABLED ???"] = cell.VCURSOR_ENABLED;
  o["OPORN LEVEL ON ???"] = cell.OPORN_LEVEL_ON;
  o["LANGUAGE ???"] = cell.LANGUAGE;
  o["ARD_ATTENUATION"] = cell.ARD_ATTENUATION;
  o["LAST MEM CELL ???"] = cell.LAST_MEM_CELL;
  o["EVEN REMINDER FLAG ???"] = cell.EVEN_REMINDER_FLAG;
  o["USED MODE ???"] = cell.USED_MODE;
  o["PREVIOUS PIXEL GRID LENGTH"] = cell.PREVIOUS_PIXEL_GRID_LENGTH;
  o["SIGNAL TYPE"] = cell.SIGNAL_TYPE;
  o["B-SCAN RATE"] = cell.B_SCAN_RATE;
  o["CONFIG INDEX"] = cell.CONFIG_INDEX;
  o["SCREEN UNITS"] = cell.SCREEN_UNITS;
  o["PIXEL_GRID_LENGTH_MM"] = cell.PIXEL_GRID_LENGTH_MM;
  o["PREV_PIXEL_GRID_LENGTH_MM"] = cell.PREV_PIXEL_GRID_LENGTH_MM;
  if (dynamic_cast<const velt::T3_17ConfigCell*>(&cell) != nullptr) {
    o["AMPLITUDE_MARKER_POSITION"] = cell.AMPLITUDE_MARKER_POSITION;
  }
}

void PutSnapshotAndComments(const TBaseConfigCell& cell, TJson& o) {
  o["INDEX_MARK_MM"] = cell.INDEX_MARK_MM;
  o["SNAP YEAR"] = cell.SNAP_YEAR;
  o["SNAP MONTH"] = cell.SNAP_MONTH;
  o["SNAP_DAY"] = cell.SNAP_DAY;
  o["SNAP_HOUR"] = cell.SNAP_HOUR;
  o["SNAP_MINUTE"] = cell.SNAP_MINUTE;
  o["SNAP_SECOND"] = cell.SNAP_SECOND;
  o["DEVICE_INDEX"] = cell.DEVICE_INDEX;  // the same field as "DEVICE INDEX"
  o["COMMENTS QUANTITY"] = cell.Comments.size();
  o["COMMENTS"] = Texts(cell.Comments);
}

// The lines the later layouts append after the comments.
void PutAppendedLines(const TBaseConfigCell& cell, TJson& o) {
  if (const auto* c = dynamic_cast<const velt::T3_26ConfigCell*>(&cell)) {
    o["EXACT_SCREEN_CURS_POSITION"] = c->EXACT_SCREEN_CURS_POSITION;
    o["EXACT_SCREEN_CURS_POS_FLAG"] = c->EXACT_SCREEN_CURS_POS_FLAG;
    o["EXACT_LUPA_MKS_CURS_POSITION"] = c->EXACT_LUPA_MKS_CURS_POSITION;
    o["CURSOR_IS_IN_LUPA"] = c->CURSOR_IS_IN_LUPA;
  }
  if (const auto* c = dynamic_cast<const velt::T4_03ConfigCell*>(&cell)) {
    o["SCREEN CURSOR LUPA POS"] = c->SCREEN_CURSOR_LUPA_POS;
  }
  if (dynamic_cast<const velt::T4_08ConfigCell*>(&cell) != nullptr) {
    // Stored on the line "PRINT_SIGNAL_LEVEL_IN_STOP:" as 1 or 0.
    o["freeze flag"] = cell.Frozen;
  }
  if (const auto* c = dynamic_cast<const velt::T5_00ConfigCell*>(&cell)) {
    o["CURSOR_ON"] = c->CURSOR_ON;
    o["LEVEL_ON"] = c->LEVEL_ON;
  }
  if (const auto* c = dynamic_cast<const velt::T5_01ConfigCell*>(&cell)) {
    o["VCURSOR 2"] = c->VCURSOR_2;
  }
}

}  // namespace

TJson ConfigurationJson(const TBaseConfigCell& cell) {
  TJson o = TJson::object();
  o["class"] = velt::ConfigClassName(cell);
  o["DEVICE INDEX"] = cell.DEVICE_INDEX;
  o["MAJOR VERSION #"] = cell.MAJOR_VERSION_NO;
  o["MINOR VERSION #"] = cell.MINOR_VERSION_NO;
  o["CONFIGURATION #"] = cell.CONFIGURATION_NO;
  o["CONFIGURATION_NAME"] = Utf8FromWindows1251(cell.CONFIGURATION_NAME);
  const std::size_t chars = NameCharacterCount(cell);
  o["name characters"] =
      Numbers(std::vector<std::uint8_t>(cell.NameChars.begin(), cell.NameChars.begin() + chars));
  PutTimeScaleAndStrobes(cell, o);
  PutSetup(cell, o);
  PutProbeAndScreen(cell, o);
  PutSnapshotAndComments(cell, o);
  PutAppendedLines(cell, o);
  return o;
}

TJson FlawRecordJson(const velt::TDataCell& record) {
  TJson o = TJson::object();
  o["FLAW #"] = record.FlawNumber;
  o["DEVICE INDEX"] = record.DeviceIndex;
  o["MAJOR_VERSION"] = record.MajorVersion;
  o["MINOR_VERSION"] = record.MinorVersion;
  o["CONF_LOC_VERSION"] = record.ConfigLocalVersion;
  o["ARRAY_SIZE"] = record.ArraySize;
  o["SAMPLES_QUANTITY"] = record.SamplesQuantity;
  o["PRINT_FLAG"] = record.PrintFlag;
  TJson bscan = TJson::array();
  for (const auto& column : record.BScan) {
    bscan.push_back(Numbers(column));
  }
  o["B_SCAN"] = std::move(bscan);
  // The four envelopes in file order; the file carries ARRAY_SIZE entries.
  const std::pair<const char*, const std::vector<std::uint8_t>*> envelopes[] = {
      {"FIRST MAXIMUMS", &record.FirstMaximums},
      {"FIRST MINIMUMS", &record.FirstMinimums},
      {"SECOND MAXIMUMS", &record.SecondMaximums},
      {"SECOND MINIMUMS", &record.SecondMinimums}};
  for (const auto& [key, values] : envelopes) {
    const std::size_t n = std::min<std::size_t>(record.ArraySize, values->size());
    o[key] = Numbers(std::vector<std::uint8_t>(values->begin(), values->begin() + n));
  }
  o["COMMENTS QUANTITY"] = record.Comments.size();
  o["COMMENTS"] = Texts(record.Comments);
  o["configuration"] =
      record.Configuration() != nullptr ? ConfigurationJson(*record.Configuration()) : TJson();
  return o;
}

namespace {

TJson HeaderJson(const char* what, const char* localKey, const TProgramHeader& header,
                 std::uint16_t count, std::uint8_t device, std::uint8_t major, std::uint8_t minor,
                 std::uint8_t local) {
  TJson o = TJson::object();
  o["PROGRAM NAME"] = Utf8FromWindows1251(header.Name);
  o["PROGRAM MAJOR VERSION"] = header.Major;
  o["PROGRAM MINOR VERSION"] = header.Minor;
  o[std::string(what) + " QUANTITY"] = count;
  o["DEVICE TYPE"] = device;
  o[std::string(what) + " MAJOR VERSION"] = major;
  o[std::string(what) + " MINOR VERSION"] = minor;
  o[localKey] = local;
  return o;
}

}  // namespace

TJson RecordFileJson(const velt::TFlawDataBlock& records, const TProgramHeader& header) {
  TJson o = TJson::object();
  o["kind"] = "record file";
  o["header"] =
      HeaderJson("FLAWS", "FLAWS CONFIG LOCAL VERSION", header, records.Count, records.DeviceType,
                 records.MajorVersion, records.MinorVersion, records.ConfigLocalVersion);
  TJson list = TJson::array();
  for (const auto& record : records.Records) {
    list.push_back(FlawRecordJson(*record));
  }
  o["records"] = std::move(list);
  return o;
}

TJson ConfigurationFileJson(const velt::TUSBConfigsBlock& configurations,
                            const TProgramHeader& header) {
  TJson o = TJson::object();
  o["kind"] = "configuration file";
  o["header"] = HeaderJson("CONFIGS", "CONFIGS CONF LOCAL VERSION", header, configurations.Count,
                           configurations.DeviceType, configurations.MajorVersion,
                           configurations.MinorVersion, configurations.ConfigLocalVersion);
  TJson list = TJson::array();
  for (const auto& cell : configurations.Configurations) {
    list.push_back(cell ? ConfigurationJson(*cell) : TJson());
  }
  o["configurations"] = std::move(list);
  return o;
}

}  // namespace veltctl
