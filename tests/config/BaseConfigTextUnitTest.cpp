// The text record of the base layout: its exact lines, reading by position,
// the conversions and fallbacks, failures, and write-read round trips.
#include <config/BaseConfigObjectsUnit.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include <config/Rounding.h>
#include <config/TextRecordIO.h>
#include <ports/Errors.h>

namespace {

using velt::EConvertError;
using velt::EInOutError;
using velt::TBaseConfigCell;
using velt::TTextReader;
using velt::TTextWriter;

// ---- Helpers -------------------------------------------------------------------

std::string Write(TBaseConfigCell& cell) {
  std::ostringstream s;
  TTextWriter out(s);
  cell.WriteText(out);
  return s.str();
}

void Read(TBaseConfigCell& cell, const std::string& text) {
  std::istringstream s(text);
  TTextReader in(s);
  EXPECT_EQ(cell.ReadText(in), 0);
}

// The lines of a written text; every line must end in CR LF and hold no
// other CR or LF.
std::vector<std::string> CrLfLines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find("\r\n", start);
    if (end == std::string::npos) {
      ADD_FAILURE() << "text does not end in CR LF: " << text.substr(start);
      break;
    }
    const std::string line = text.substr(start, end - start);
    EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos) << "line " << lines.size() + 1;
    lines.push_back(line);
    start = end + 2;
  }
  return lines;
}

std::string Joined(const std::vector<std::string>& lines, const char* end = "\r\n") {
  std::string text;
  for (const auto& line : lines) {
    text += line;
    text += end;
  }
  return text;
}

// The record's lines with the value of line `number` (from 1) replaced; the
// key up to the first colon stays.
std::string WithValue(std::vector<std::string> lines, std::size_t number,
                      const std::string& value) {
  std::string& line = lines.at(number - 1);
  const std::size_t colon = line.find(':');
  line = (colon == std::string::npos ? std::string() : line.substr(0, colon + 1)) + value;
  return Joined(lines);
}

// The default setup of configuration 7. The millimetre grid fields are
// computed from the time scale; they are pinned here so that the record
// below is about the record and not about that arithmetic.
void PinnedDefaults(TBaseConfigCell& cell) {
  cell.SetDefaults(7);
  cell.INDEX_MARK_MM = 4;
  cell.PIXEL_GRID_LENGTH_MM = 31.25;
  cell.PREV_PIXEL_GRID_LENGTH_MM = 27.5;
}

// The record of the pinned defaults, one line per text line.
constexpr const char* kDefaultRecord = R"(DEVICE INDEX:0
MAJOR VERSION #:3
MINOR VERSION #:16
CONFIGURATION #:7
CONFIGURATION_NAME
68
69
70
65
85
76
84
32
32
32
32
32
32
32
47
INDEX_MARK_MKS:2
PIXEL_GRID_LENGTH:25
STROBE_1_BEGIN:25
STROBE_1_END:45
STROBE_2_BEGIN:100
STROBE_2_END:150
STROBE_1_LEVEL:30
STROBE_2_LEVEL:25
STROBE_1_LEVEL_PERCENT:30
STROBE_2_LEVEL_PERCENT:20
CURSOR_POSITION:160
PICTOGR_ARRAY[0]:1
PICTOGR_ARRAY[1]:3
PICTOGR_ARRAY[2]:5
PICTOGR_ARRAY[3]:7
PICTOGR_ARRAY[4]:11
PICTOGR_ARRAY[5]:15
PICTOGR_ARRAY[6]:20
PICTOGR_ARRAY[7]:21
PICTOGR_ARRAY[8]:22
PICTOGR_ARRAY[9]:23
PICTOGR_ARRAY[10]:24
PICTOGR_ARRAY[11]:0
PICTOGR_ARRAY[12]:17
PICTOGR_ARRAY[13]:18
PICTOGR_ARRAY[14]:0
PICTOGR_ARRAY[15]:0
PICTOGR_ARRAY[16]:0
PICTOGR_ARRAY[17]:0
PICTOGR_ARRAY[18]:0
PICTOGR_ARRAY[19]:0
PICTOGR_ARRAY[20]:0
PICTOGR_ARRAY[21]:0
PICTOGR_ARRAY[22]:0
PICTOGR_ARRAY[23]:0
PICTOGR_ARRAY[24]:17
TGV_GAIN[0]:0
TGV_GAIN[1]:10
TGV_GAIN[2]:10
TGV_GAIN[3]:10
TGV_GAIN[4]:10
TGV_GAIN[5]:10
TGV_GAIN[6]:10
TGV_GAIN[7]:10
TGV_GAIN[8]:10
TGV_GAIN[9]:10
TGV_GAIN[10]:10
TGV_GAIN[11]:10
TGV_GAIN[12]:10
TGV_GAIN[13]:10
TGV_GAIN[14]:10
TGV_GAIN[15]:10
TGV_GAIN[16]:10
TGV_GAIN[17]:10
TGV_GAIN[18]:10
TGV_GAIN[19]:10
TGV_GAIN[20]:10
TGV_GAIN[21]:10
TGV_GAIN[22]:10
TGV_GAIN[23]:10
TGV_GAIN[24]:10
TGV_GAIN[25]:10
TGV_GAIN[26]:10
TGV_GAIN[27]:10
TGV_GAIN[28]:10
TGV_GAIN[29]:10
TGV_GAIN[30]:10
TGV_GAIN[31]:10
TGV_POS[0]:0
TGV_POS[1]:20
TGV_POS[2]:40
TGV_POS[3]:60
TGV_POS[4]:80
TGV_POS[5]:100
TGV_POS[6]:120
TGV_POS[7]:140
TGV_POS[8]:160
TGV_POS[9]:180
TGV_POS[10]:200
TGV_POS[11]:220
TGV_POS[12]:240
TGV_POS[13]:260
TGV_POS[14]:280
TGV_POS[15]:300
TGV_POS[16]:320
TGV_POS[17]:340
TGV_POS[18]:360
TGV_POS[19]:380
TGV_POS[20]:400
TGV_POS[21]:420
TGV_POS[22]:440
TGV_POS[23]:460
TGV_POS[24]:480
TGV_POS[25]:500
TGV_POS[26]:520
TGV_POS[27]:540
TGV_POS[28]:560
TGV_POS[29]:580
TGV_POS[30]:600
TGV_POS[31]:620
TGV_CURSOR_POSITION:5
TGV_NUMBER:17
ATTENUATOR1:0
ARD_CORRECTION:0
VELOCITY:3250
POISK:0
THICKNESS:1200
ZONDER_PULSE_PERIODS:100
CURSOR_1_ENABLED:0
CURSOR_2_ENABLED:0
TVG_ENABLED:0
B_SCAN_BEGIN:0
B_SCAN_END:0
SCREEN_MODE:1
USER_MODE:0
REFRESH_RATE:50
FILTER_BAND:0
OTSECHKA:0
STROBE_ALGORYTHM:0
PROBE_ARROW:1200
INSERTION_ANGLE:65
PROBE_FREQ:17
PROBE_DELAY:860
PROBE_TYPE:0
PROBE_PULSE:0
CONTRAST:15
PODSVETKA:1
ARD_PLATE_DIAMETER:1200
ARD_SIGNAL_AMPLITUDE:0
ARD_PLATE_FLOOR_DIAMETER:0
SOUND ENABLED ???:0
VCURSOR ENABLED ???:0
OPORN LEVEL ON ???:4
LANGUAGE ???:0
ARD_ATTENUATION:0
LAST MEM CELL ???:0
EVEN REMINDER FLAG ???:0
USED MODE ???:256
PREVIOUS PIXEL GRID LENGTH:25
SIGNAL TYPE:0
B-SCAN RATE:2
CONFIG INDEX:0
SCREEN UNITS:0
PIXEL_GRID_LENGTH_MM:3125
PREV_PIXEL_GRID_LENGTH_MM:2750
INDEX_MARK_MM:4
SNAP YEAR:0
SNAP MONTH:0
SNAP_DAY:0
SNAP_HOUR:0
SNAP_MINUTE:0
SNAP_SECOND:0
DEVICE_INDEX:0
COMMENTS QUANTITY:0
)";

std::string CrLf(const std::string& lfText) {
  std::string text;
  for (const char c : lfText) {
    if (c == '\n') {
      text += '\r';
    }
    text += c;
  }
  return text;
}

// A real as the record carries it: in hundredths, to nearest.
double Hundredths(double x) {
  return static_cast<double>(velt::RndTo<long long>(x * 100.0)) / 100.0;
}

// Every field the base record carries, as `read` must hold it after reading
// what `written` wrote.
void ExpectRecordCarried(const TBaseConfigCell& written, const TBaseConfigCell& read) {
  EXPECT_EQ(read.DEVICE_INDEX, written.DEVICE_INDEX);
  EXPECT_EQ(read.MAJOR_VERSION_NO, written.MAJOR_VERSION_NO);
  EXPECT_EQ(read.MINOR_VERSION_NO, written.MINOR_VERSION_NO);
  EXPECT_EQ(read.CONFIGURATION_NO, written.CONFIGURATION_NO);
  for (std::size_t i = 0; i <= velt::kNameLength; ++i) {
    EXPECT_EQ(read.NameChars[i], written.NameChars[i]) << "name character " << i;
  }
  EXPECT_EQ(read.CONFIGURATION_NAME,
            std::string(written.NameChars.begin(), written.NameChars.begin() + velt::kNameLength));
  EXPECT_EQ(read.INDEX_MARK_MKS, written.INDEX_MARK_MKS);
  EXPECT_EQ(read.PIXEL_GRID_LENGTH, written.PIXEL_GRID_LENGTH);
  EXPECT_EQ(read.STROBE_1_BEGIN, written.STROBE_1_BEGIN);
  EXPECT_EQ(read.STROBE_1_END, written.STROBE_1_END);
  EXPECT_EQ(read.STROBE_2_BEGIN, written.STROBE_2_BEGIN);
  EXPECT_EQ(read.STROBE_2_END, written.STROBE_2_END);
  EXPECT_EQ(read.STROBE_1_LEVEL, written.STROBE_1_LEVEL);
  EXPECT_EQ(read.STROBE_2_LEVEL, written.STROBE_2_LEVEL);
  EXPECT_EQ(read.STROBE_1_LEVEL_PERCENT, written.STROBE_1_LEVEL_PERCENT);
  EXPECT_EQ(read.STROBE_2_LEVEL_PERCENT, written.STROBE_2_LEVEL_PERCENT);
  EXPECT_EQ(read.CURSOR_POSITION, written.CURSOR_POSITION);
  EXPECT_EQ(read.PICTOGR_ARRAY, written.PICTOGR_ARRAY);
  EXPECT_EQ(read.TGV_GAIN, written.TGV_GAIN);
  EXPECT_EQ(read.TGV_POS, written.TGV_POS);
  EXPECT_EQ(read.TGV_CURSOR_POSITION, written.TGV_CURSOR_POSITION);
  EXPECT_EQ(read.TGV_NUMBER, written.TGV_NUMBER);
  EXPECT_EQ(read.ATTENUATOR1, written.ATTENUATOR1);
  EXPECT_EQ(read.ARD_CORRECTION, written.ARD_CORRECTION);
  EXPECT_EQ(read.VELOCITY, written.VELOCITY);
  EXPECT_EQ(read.POISK, written.POISK);
  EXPECT_EQ(read.THICKNESS, Hundredths(written.THICKNESS));
  EXPECT_EQ(read.ZONDER_PULSE_PERIODS, Hundredths(written.ZONDER_PULSE_PERIODS));
  EXPECT_EQ(read.CURSOR_1_ENABLED, written.CURSOR_1_ENABLED);
  EXPECT_EQ(read.CURSOR_2_ENABLED, written.CURSOR_2_ENABLED);
  EXPECT_EQ(read.TVG_ENABLED, written.TVG_ENABLED);
  EXPECT_EQ(read.B_SCAN_BEGIN, written.B_SCAN_BEGIN);
  EXPECT_EQ(read.B_SCAN_END, written.B_SCAN_END);
  EXPECT_EQ(read.SCREEN_MODE, written.SCREEN_MODE);
  EXPECT_EQ(read.USER_MODE, written.USER_MODE);
  EXPECT_EQ(read.REFRESH_RATE, written.REFRESH_RATE);
  EXPECT_EQ(read.FILTER_BAND, written.FILTER_BAND);
  EXPECT_EQ(read.OTSECHKA, written.OTSECHKA);
  EXPECT_EQ(read.STROBE_ALGORYTHM, written.STROBE_ALGORYTHM);
  EXPECT_EQ(read.PROBE_ARROW, Hundredths(written.PROBE_ARROW));
  EXPECT_EQ(read.INSERTION_ANGLE, written.INSERTION_ANGLE);
  EXPECT_EQ(read.PROBE_FREQ, written.PROBE_FREQ);
  EXPECT_EQ(read.PROBE_DELAY, Hundredths(written.PROBE_DELAY));
  EXPECT_EQ(read.PROBE_TYPE, written.PROBE_TYPE);
  EXPECT_EQ(read.PROBE_PULSE, written.PROBE_PULSE);
  EXPECT_EQ(read.CONTRAST, written.CONTRAST);
  EXPECT_EQ(read.PODSVETKA, written.PODSVETKA);
  EXPECT_EQ(read.ARD_PLATE_DIAMETER, Hundredths(written.ARD_PLATE_DIAMETER));
  EXPECT_EQ(read.ARD_SIGNAL_AMPLITUDE, Hundredths(written.ARD_SIGNAL_AMPLITUDE));
  EXPECT_EQ(read.ARD_PLATE_FLOOR_DIAMETER, Hundredths(written.ARD_PLATE_FLOOR_DIAMETER));
  EXPECT_EQ(read.SOUND_ENABLED, written.SOUND_ENABLED);
  EXPECT_EQ(read.VCURSOR_ENABLED, written.VCURSOR_ENABLED);
  EXPECT_EQ(read.OPORN_LEVEL_ON, written.OPORN_LEVEL_ON);
  EXPECT_EQ(read.LANGUAGE, written.LANGUAGE);
  EXPECT_EQ(read.ARD_ATTENUATION, Hundredths(written.ARD_ATTENUATION));
  EXPECT_EQ(read.LAST_MEM_CELL, written.LAST_MEM_CELL);
  EXPECT_EQ(read.EVEN_REMINDER_FLAG, written.EVEN_REMINDER_FLAG);
  EXPECT_EQ(read.USED_MODE, static_cast<std::uint16_t>(written.UsedModeCopy));
  EXPECT_EQ(read.UsedModeCopy, written.UsedModeCopy);
  EXPECT_EQ(read.PREVIOUS_PIXEL_GRID_LENGTH, written.PREVIOUS_PIXEL_GRID_LENGTH);
  EXPECT_EQ(read.SIGNAL_TYPE, written.SIGNAL_TYPE);
  EXPECT_EQ(read.B_SCAN_RATE, velt::Rnd(written.B_SCAN_RATE));
  EXPECT_EQ(read.CONFIG_INDEX, written.CONFIG_INDEX);
  EXPECT_EQ(read.SCREEN_UNITS, written.SCREEN_UNITS);
  EXPECT_EQ(read.PIXEL_GRID_LENGTH_MM, Hundredths(written.PIXEL_GRID_LENGTH_MM));
  EXPECT_EQ(read.PREV_PIXEL_GRID_LENGTH_MM, Hundredths(written.PREV_PIXEL_GRID_LENGTH_MM));
  EXPECT_EQ(read.INDEX_MARK_MM, written.INDEX_MARK_MM);
  EXPECT_EQ(read.SNAP_YEAR, written.SNAP_YEAR);
  EXPECT_EQ(read.SNAP_MONTH, written.SNAP_MONTH);
  EXPECT_EQ(read.SNAP_DAY, written.SNAP_DAY);
  EXPECT_EQ(read.SNAP_HOUR, written.SNAP_HOUR);
  EXPECT_EQ(read.SNAP_MINUTE, written.SNAP_MINUTE);
  EXPECT_EQ(read.SNAP_SECOND, written.SNAP_SECOND);
  EXPECT_EQ(read.Comments, written.Comments);
}

// ---- The record as written -------------------------------------------------------

TEST(BaseConfigTextRecord, DefaultSetupWritesExactlyTheExpectedRecord) {
  TBaseConfigCell cell;
  PinnedDefaults(cell);
  const std::string text = Write(cell);
  EXPECT_EQ(text, CrLf(kDefaultRecord));
  EXPECT_EQ(CrLfLines(text).size(), 174u);
}

TEST(BaseConfigTextRecord, DefaultSetupWritesTheScaledAndRoundedReals) {
  TBaseConfigCell cell;
  cell.Initialise();
  const std::vector<std::string> lines = CrLfLines(Write(cell));
  ASSERT_EQ(lines.size(), 174u);
  EXPECT_EQ(lines[126], "THICKNESS:1200");
  EXPECT_EQ(lines[127], "ZONDER_PULSE_PERIODS:100");
  EXPECT_EQ(lines[142], "PROBE_DELAY:860");
  EXPECT_EQ(lines[160], "B-SCAN RATE:2");
}

TEST(BaseConfigTextRecord, RealsAreRoundedToEvenAndBScanRateIsNotScaled) {
  const struct {
    double Value;
    std::size_t Line;
    double TBaseConfigCell::*Field;
    const char* Written;
  } cases[] = {
      {0.125, 143, &TBaseConfigCell::PROBE_DELAY, "PROBE_DELAY:12"},
      {0.375, 143, &TBaseConfigCell::PROBE_DELAY, "PROBE_DELAY:38"},
      {12.34, 127, &TBaseConfigCell::THICKNESS, "THICKNESS:1234"},
      {-1.5, 149, &TBaseConfigCell::ARD_SIGNAL_AMPLITUDE, "ARD_SIGNAL_AMPLITUDE:-150"},
      {2.5, 161, &TBaseConfigCell::B_SCAN_RATE, "B-SCAN RATE:2"},
      {3.5, 161, &TBaseConfigCell::B_SCAN_RATE, "B-SCAN RATE:4"},
      {7.0, 161, &TBaseConfigCell::B_SCAN_RATE, "B-SCAN RATE:7"},
      {-2.6, 161, &TBaseConfigCell::B_SCAN_RATE, "B-SCAN RATE:-3"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Written);
    TBaseConfigCell cell;
    cell.Initialise();
    cell.*c.Field = c.Value;
    EXPECT_EQ(CrLfLines(Write(cell)).at(c.Line - 1), c.Written);
  }
}

TEST(BaseConfigTextRecord, HasOneLinePerCommentAfterTheCount) {
  for (const std::size_t c : {0u, 1u, 2u, 5u, 40u}) {
    SCOPED_TRACE(c);
    TBaseConfigCell cell;
    PinnedDefaults(cell);
    for (std::size_t i = 0; i < c; ++i) {
      cell.Comments.push_back("note " + std::to_string(i) + ": \xC4\xE5\xF4\xE5\xEA\xF2");
    }
    const std::vector<std::string> lines = CrLfLines(Write(cell));
    ASSERT_EQ(lines.size(), 174 + c);
    EXPECT_EQ(lines[172], "DEVICE_INDEX:0");
    EXPECT_EQ(lines[173], "COMMENTS QUANTITY:" + std::to_string(c));
    for (std::size_t i = 0; i < c; ++i) {
      EXPECT_EQ(lines[174 + i],
                "COMMENTS[" + std::to_string(i) + "]:note " + std::to_string(i) +
                    ": \xC4\xE5\xF4\xE5\xEA\xF2");
    }
  }
}

TEST(BaseConfigTextRecord, NameIsWrittenAsFifteenCharacterCodes) {
  const struct {
    std::string Name;
    std::vector<int> Codes;
  } cases[] = {
      {"ABCDEFGHIJ", {65, 66, 67, 68, 69, 70, 71, 72, 73, 74, 32, 32, 32, 32, 47}},
      {"ABCDEFGHIJKLMN", {65, 66, 67, 68, 69, 70, 71, 72, 73, 74, 75, 76, 77, 78, 47}},
      // Characters beyond 14 are not written.
      {"ABCDEFGHIJKLMNOPQ", {65, 66, 67, 68, 69, 70, 71, 72, 73, 74, 75, 76, 77, 78, 47}},
      {"\xC0\xFF\x80z", {192, 255, 128, 122, 32, 32, 32, 32, 32, 32, 32, 32, 32, 32, 47}},
      {"A/B", {65, 47, 66, 32, 32, 32, 32, 32, 32, 32, 32, 32, 32, 32, 47}},
      // No name: blanks, so the record stays readable.
      {"", {32, 32, 32, 32, 32, 32, 32, 32, 32, 32, 32, 32, 32, 32, 47}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    TBaseConfigCell cell;
    cell.Initialise();
    cell.NameChars.fill('Z');  // whatever the characters held before
    cell.CONFIGURATION_NAME = c.Name;
    const std::vector<std::string> lines = CrLfLines(Write(cell));
    ASSERT_EQ(lines.size(), 174u);
    EXPECT_EQ(lines[4], "CONFIGURATION_NAME");
    for (std::size_t i = 0; i < 15; ++i) {
      EXPECT_EQ(lines[5 + i], std::to_string(c.Codes[i])) << "character " << i;
      EXPECT_EQ(cell.NameChars[i], c.Codes[i]) << "character " << i;
    }
    EXPECT_EQ(lines[20], "INDEX_MARK_MKS:2");
    EXPECT_EQ(cell.CONFIGURATION_NAME, c.Name);
  }
}

TEST(BaseConfigTextRecord, WritesTheSecondUsedModeCopy) {
  const struct {
    std::int16_t Copy;
    std::uint16_t Field;
    const char* Written;
  } cases[] = {
      {777, 5, "USED MODE ???:777"},
      {768, 256, "USED MODE ???:768"},
      {-1, 0, "USED MODE ???:65535"},
      {-32768, 1, "USED MODE ???:32768"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Written);
    TBaseConfigCell cell;
    cell.Initialise();
    cell.UsedModeCopy = c.Copy;
    cell.USED_MODE = c.Field;
    EXPECT_EQ(CrLfLines(Write(cell)).at(157), c.Written);
    EXPECT_EQ(cell.USED_MODE, static_cast<std::uint16_t>(c.Copy));
  }
}

TEST(BaseConfigTextRecord, WritesTheDeviceIndexTwice) {
  TBaseConfigCell cell;
  cell.Initialise();
  cell.DEVICE_INDEX = 2;
  const std::vector<std::string> lines = CrLfLines(Write(cell));
  EXPECT_EQ(lines.at(0), "DEVICE INDEX:2");
  EXPECT_EQ(lines.at(172), "DEVICE_INDEX:2");
}

TEST(BaseConfigTextRecord, FailedFileRaisesInOutError) {
  TBaseConfigCell cell;
  cell.Initialise();
  std::ostringstream s;
  s.setstate(std::ios::failbit);
  TTextWriter out(s);
  EXPECT_THROW(cell.WriteText(out), EInOutError);
}

// ---- Reading -----------------------------------------------------------------------

TEST(BaseConfigTextRecord, ReadsTheDefaultRecordBack) {
  TBaseConfigCell source;
  PinnedDefaults(source);
  source.Comments = {"first", "", "a: b: c"};
  const std::string text = Write(source);
  TBaseConfigCell cell;
  Read(cell, text);
  ExpectRecordCarried(source, cell);
  EXPECT_EQ(cell.CONFIGURATION_NAME, "DEFAULT       ");
  EXPECT_EQ(cell.THICKNESS, 12.0);
  EXPECT_EQ(cell.PROBE_DELAY, 8.6);
  EXPECT_EQ(cell.B_SCAN_RATE, 2.0);
  EXPECT_EQ(cell.USED_MODE, 256);
  EXPECT_EQ(cell.UsedModeCopy, 256);
}

TEST(BaseConfigTextRecord, ReadsByPositionWhateverTheKeysSay) {
  TBaseConfigCell source;
  PinnedDefaults(source);
  source.VELOCITY = 5920;
  source.STROBE_2_END = 300;
  source.ARD_CORRECTION = -6;
  source.SNAP_SECOND = 59;
  source.Comments = {"root: pass", "cap"};
  std::vector<std::string> lines = CrLfLines(Write(source));
  ASSERT_EQ(lines.size(), 176u);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const std::size_t colon = lines[i].find(':');
    if (colon != std::string::npos) {
      lines[i] = "K" + std::to_string(i * 7 % 13) + " MISPELT#:" + lines[i].substr(colon + 1);
    } else if (i == 4) {
      lines[i] = "CONFIGURATON NAME: 300";  // the key line is not read at all
    }
  }
  TBaseConfigCell cell;
  Read(cell, Joined(lines));
  ExpectRecordCarried(source, cell);
}

TEST(BaseConfigTextRecord, AcceptsLfOnlyAndMixedLineEnds) {
  TBaseConfigCell source;
  PinnedDefaults(source);
  source.CONFIGURATION_NAME = "\xD8\xE2\xEE 12";
  source.Comments = {"x:y", "\xFF"};
  const std::vector<std::string> lines = CrLfLines(Write(source));
  std::string mixed;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    mixed += lines[i] + (i % 3 == 0 ? "\n" : "\r\n");
  }
  for (const std::string& text : {Joined(lines, "\n"), mixed}) {
    TBaseConfigCell cell;
    Read(cell, text);
    ExpectRecordCarried(source, cell);
  }
  // The last line may also lack its line end.
  std::string cut = Joined(lines);
  cut.resize(cut.size() - 2);
  TBaseConfigCell cell;
  Read(cell, cut);
  ExpectRecordCarried(source, cell);
}

TEST(BaseConfigTextRecord, CommentKeepsColonsAfterTheFirst) {
  TBaseConfigCell source;
  PinnedDefaults(source);
  source.Comments = {"weld 3: root"};
  std::vector<std::string> lines = CrLfLines(Write(source));
  ASSERT_EQ(lines.back(), "COMMENTS[0]:weld 3: root");
  lines.push_back("COMMENTS[1]:: starts with a colon ::");
  lines.push_back("no key at all");
  lines.push_back("COMMENTS[3]:");
  TBaseConfigCell cell;
  Read(cell, WithValue(lines, 174, "4"));
  EXPECT_EQ(cell.Comments,
            (std::vector<std::string>{"weld 3: root", ": starts with a colon ::", "no key at all",
                                      ""}));
}

TEST(BaseConfigTextRecord, ReadingReplacesTheComments) {
  TBaseConfigCell source;
  PinnedDefaults(source);
  TBaseConfigCell cell;
  cell.Comments = {"old", "older"};
  Read(cell, Write(source));
  EXPECT_TRUE(cell.Comments.empty());
}

TEST(BaseConfigTextRecord, NonNumbersInScaledRealsTakeTheirDefault) {
  const struct {
    std::size_t Line;
    double TBaseConfigCell::*Field;
    double Value;
  } cases[] = {
      {127, &TBaseConfigCell::THICKNESS, 1.0},
      {128, &TBaseConfigCell::ZONDER_PULSE_PERIODS, 1.0},
      {140, &TBaseConfigCell::PROBE_ARROW, 0.0},
      {143, &TBaseConfigCell::PROBE_DELAY, 0.0},
      {148, &TBaseConfigCell::ARD_PLATE_DIAMETER, 0.0},
      {149, &TBaseConfigCell::ARD_SIGNAL_AMPLITUDE, 0.0},
      {150, &TBaseConfigCell::ARD_PLATE_FLOOR_DIAMETER, 0.0},
      {155, &TBaseConfigCell::ARD_ATTENUATION, 0.0},
      {164, &TBaseConfigCell::PIXEL_GRID_LENGTH_MM, 0.0},
      {165, &TBaseConfigCell::PREV_PIXEL_GRID_LENGTH_MM, 0.0},
  };
  TBaseConfigCell source;
  PinnedDefaults(source);
  for (const auto& c : cases) {
    source.*c.Field = 3.21;
  }
  const std::vector<std::string> lines = CrLfLines(Write(source));
  for (const auto& c : cases) {
    for (const char* junk : {"abc", "", "12.5", "1 2", "0x10"}) {
      SCOPED_TRACE(std::to_string(c.Line) + " '" + junk + "'");
      TBaseConfigCell cell;
      cell.Initialise();
      cell.*c.Field = 55.0;
      Read(cell, WithValue(lines, c.Line, junk));
      EXPECT_EQ(cell.*c.Field, c.Value);
      // The other reals are read as written.
      for (const auto& other : cases) {
        if (other.Field != c.Field) {
          EXPECT_EQ(cell.*other.Field, 3.21);
        }
      }
    }
  }
}

TEST(BaseConfigTextRecord, ValuesAtTheEdgeOfTheirFieldAreAccepted) {
  TBaseConfigCell source;
  PinnedDefaults(source);
  const std::vector<std::string> lines = CrLfLines(Write(source));
  const auto read = [&](std::size_t line, const char* value) {
    auto cell = std::make_unique<TBaseConfigCell>();
    Read(*cell, WithValue(lines, line, value));
    return cell;
  };
  EXPECT_EQ(read(22, "255")->PIXEL_GRID_LENGTH, 255);
  EXPECT_EQ(read(22, "0")->PIXEL_GRID_LENGTH, 0);
  EXPECT_EQ(read(4, "65535")->CONFIGURATION_NO, 65535);
  EXPECT_EQ(read(124, "-2147483648")->ARD_CORRECTION, std::numeric_limits<std::int32_t>::min());
  EXPECT_EQ(read(124, "2147483647")->ARD_CORRECTION, std::numeric_limits<std::int32_t>::max());
  EXPECT_EQ(read(125, "65535")->VELOCITY, 65535);
  EXPECT_EQ(read(161, "-5")->B_SCAN_RATE, -5.0);
  EXPECT_EQ(read(127, "-250")->THICKNESS, -2.5);
  EXPECT_EQ(read(172, "59")->SNAP_SECOND, 59);
  const auto used = read(158, "65535");
  EXPECT_EQ(used->USED_MODE, 65535);
  EXPECT_EQ(used->UsedModeCopy, -1);
  const auto mode = read(158, "1023");
  EXPECT_EQ(mode->USED_MODE, 1023);
  EXPECT_EQ(mode->UsedModeCopy, 1023);
}

TEST(BaseConfigTextRecord, SecondDeviceIndexLineWins) {
  TBaseConfigCell source;
  PinnedDefaults(source);
  std::vector<std::string> lines = CrLfLines(Write(source));
  lines[0] = "DEVICE INDEX:3";
  TBaseConfigCell cell;
  Read(cell, WithValue(lines, 173, "9"));
  EXPECT_EQ(cell.DEVICE_INDEX, 9);
}

TEST(BaseConfigTextRecord, NameIsRebuiltFromTheFourteenCodes) {
  TBaseConfigCell source;
  PinnedDefaults(source);
  std::vector<std::string> lines = CrLfLines(Write(source));
  const int codes[15] = {192, 193, 47, 67, 32, 32, 32, 32, 32, 32, 32, 32, 32, 90, 65};
  for (std::size_t i = 0; i < 15; ++i) {
    lines[5 + i] = std::to_string(codes[i]);
  }
  TBaseConfigCell cell;
  Read(cell, Joined(lines));
  EXPECT_EQ(cell.CONFIGURATION_NAME, "\xC0\xC1/C         Z");
  for (std::size_t i = 0; i < 15; ++i) {
    EXPECT_EQ(cell.NameChars[i], codes[i]) << "character " << i;
  }
}

TEST(BaseConfigTextRecord, RefreshesParameter29AfterReading) {
  TBaseConfigCell source;
  PinnedDefaults(source);
  const std::string text = Write(source);
  for (const auto& [accepted, expected] :
       std::vector<std::pair<double, int>>{{7.5, 8}, {6.5, 6}, {1.0, 1}, {49.6, 50}}) {
    SCOPED_TRACE(accepted);
    TBaseConfigCell cell;
    cell.Schemes[29].LastAccepted = accepted;
    cell.Parameter29Value = 99;
    Read(cell, text);
    EXPECT_EQ(cell.Parameter29Value, expected);
  }
}

TEST(BaseConfigTextRecord, ConsumesExactlyItsOwnLines) {
  TBaseConfigCell first;
  PinnedDefaults(first);
  first.CONFIGURATION_NAME = "ONE";
  first.Comments = {"a", "b:c"};
  TBaseConfigCell second;
  PinnedDefaults(second);
  second.CONFIGURATION_NAME = "TWO";
  second.VELOCITY = 1480;
  std::ostringstream file;
  TTextWriter out(file);
  first.WriteText(out);
  second.WriteText(out);
  out.Line("FOLLOWING:1");

  std::istringstream s(file.str());
  TTextReader in(s);
  TBaseConfigCell a;
  TBaseConfigCell b;
  a.ReadText(in);
  EXPECT_EQ(in.LineNumber(), 176u);
  b.ReadText(in);
  EXPECT_EQ(in.LineNumber(), 350u);
  ExpectRecordCarried(first, a);
  ExpectRecordCarried(second, b);
  EXPECT_EQ(in.Line(), "FOLLOWING:1");
  EXPECT_TRUE(in.AtEnd());
}

// ---- Failures -----------------------------------------------------------------------

TEST(BaseConfigTextRecord, ValueOutOfRangeOrNotANumberFailsTheRead) {
  const struct {
    std::size_t Line;
    const char* Value;
  } cases[] = {
      {22, "300"},         // PIXEL_GRID_LENGTH
      {1, "256"},          // DEVICE INDEX
      {2, "x"},            // MAJOR VERSION #
      {4, "65536"},        // CONFIGURATION #
      {4, "-1"},
      {6, "256"},          // name character 0
      {19, ""},            // name character 13
      {20, "-1"},          // name character 14
      {21, "2.0"},         // INDEX_MARK_MKS
      {31, "160px"},       // CURSOR_POSITION
      {56, "256"},         // PICTOGR_ARRAY[24]
      {88, "1000"},        // TGV_GAIN[31]
      {120, "65536"},      // TGV_POS[31]
      {124, "2147483648"}, // ARD_CORRECTION
      {124, "-2147483649"},
      {124, "1.5"},
      {125, ""},           // VELOCITY
      {125, " 3250"},
      {141, "91.5"},       // INSERTION_ANGLE
      {158, "65536"},      // USED MODE ???
      {161, "2.5"},        // B-SCAN RATE
      {161, "abc"},
      {161, "99999999999999999999"},
      {166, "256"},        // INDEX_MARK_MM
      {172, "60 "},        // SNAP_SECOND
      {173, "256"},        // DEVICE_INDEX
      {174, "65536"},      // COMMENTS QUANTITY
      {174, "x"},
      {174, ""},
  };
  TBaseConfigCell source;
  PinnedDefaults(source);
  const std::vector<std::string> lines = CrLfLines(Write(source));
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.Line) + " '" + c.Value + "'");
    TBaseConfigCell cell;
    cell.Initialise();
    std::istringstream s(WithValue(lines, c.Line, c.Value));
    TTextReader in(s);
    EXPECT_THROW(cell.ReadText(in), EConvertError);
    EXPECT_EQ(in.LineNumber(), c.Line);  // it stops at the offending line
  }
}

TEST(BaseConfigTextRecord, RecordCutShortFailsTheRead) {
  TBaseConfigCell source;
  PinnedDefaults(source);
  source.Comments = {"one", "two", "three"};
  const std::vector<std::string> lines = CrLfLines(Write(source));
  ASSERT_EQ(lines.size(), 177u);
  for (const std::size_t kept : {0u, 1u, 4u, 5u, 6u, 20u, 100u, 160u, 173u, 174u, 175u, 176u}) {
    SCOPED_TRACE(kept);
    const std::string text =
        Joined(std::vector<std::string>(lines.begin(), lines.begin() + static_cast<long>(kept)));
    TBaseConfigCell cell;
    std::istringstream s(text);
    TTextReader in(s);
    EXPECT_THROW(cell.ReadText(in), EConvertError);
  }
}

TEST(BaseConfigTextRecord, CommentCountBeyondTheFileFailsWithoutFillingUp) {
  TBaseConfigCell source;
  PinnedDefaults(source);
  source.Comments = {"one", "two"};
  const std::vector<std::string> lines = CrLfLines(Write(source));
  TBaseConfigCell cell;
  std::istringstream s(WithValue(lines, 174, "65535"));
  TTextReader in(s);
  try {
    cell.ReadText(in);
    FAIL() << "a count of 65535 was taken from a file of two comments";
  } catch (const EConvertError& e) {
    EXPECT_NE(std::string(e.what()).find("Line 177"), std::string::npos) << e.what();
  }
  EXPECT_EQ(cell.Comments, (std::vector<std::string>{"one", "two"}));
}

// ---- Round trips ---------------------------------------------------------------------

template <typename T>
T Any(std::mt19937& random) {
  std::uniform_int_distribution<long long> d(std::numeric_limits<T>::min(),
                                             std::numeric_limits<T>::max());
  return static_cast<T>(d(random));
}

// Reals as hundredths (kept exactly), as whole numbers, and as arbitrary
// reals (rounded to hundredths by the record), halfway cases included.
double AnyReal(std::mt19937& random) {
  switch (std::uniform_int_distribution<int>(0, 3)(random)) {
    case 0:
      return static_cast<double>(std::uniform_int_distribution<int>(-100000, 10000000)(random)) /
             100.0;
    case 1:
      return static_cast<double>(std::uniform_int_distribution<int>(-1000, 100000)(random));
    case 2:
      return (2.0 * std::uniform_int_distribution<int>(-10000, 10000)(random) + 1.0) / 200.0;
    default:
      return std::uniform_real_distribution<double>(-1e9, 1e9)(random);
  }
}

// Windows-1251 text: blanks, Latin, Cyrillic (0xC0..0xFF) and the other
// high bytes, and colons.
std::string AnyText(std::mt19937& random, std::size_t length) {
  std::string text;
  for (std::size_t i = 0; i < length; ++i) {
    const int kind = std::uniform_int_distribution<int>(0, 5)(random);
    if (kind == 0) {
      text += ':';
    } else if (kind <= 2) {
      text += static_cast<char>(std::uniform_int_distribution<int>(0x20, 0x7E)(random));
    } else {
      text += static_cast<char>(std::uniform_int_distribution<int>(0x80, 0xFF)(random));
    }
  }
  return text;
}

void Randomise(TBaseConfigCell& cell, std::mt19937& random) {
  cell.DEVICE_INDEX = Any<std::uint8_t>(random);
  cell.MAJOR_VERSION_NO = Any<std::uint8_t>(random);
  cell.MINOR_VERSION_NO = Any<std::uint8_t>(random);
  cell.CONFIGURATION_NO = Any<std::uint16_t>(random);
  cell.CONFIGURATION_NAME =
      AnyText(random, std::uniform_int_distribution<std::size_t>(1, 14)(random));
  cell.INDEX_MARK_MKS = Any<std::uint8_t>(random);
  cell.PIXEL_GRID_LENGTH = Any<std::uint8_t>(random);
  cell.STROBE_1_BEGIN = Any<std::uint16_t>(random);
  cell.STROBE_1_END = Any<std::uint16_t>(random);
  cell.STROBE_2_BEGIN = Any<std::uint16_t>(random);
  cell.STROBE_2_END = Any<std::uint16_t>(random);
  cell.STROBE_1_LEVEL = Any<std::uint8_t>(random);
  cell.STROBE_2_LEVEL = Any<std::uint8_t>(random);
  cell.STROBE_1_LEVEL_PERCENT = Any<std::uint8_t>(random);
  cell.STROBE_2_LEVEL_PERCENT = Any<std::uint8_t>(random);
  cell.CURSOR_POSITION = Any<std::uint16_t>(random);
  for (auto& v : cell.PICTOGR_ARRAY) {
    v = Any<std::uint8_t>(random);
  }
  for (auto& v : cell.TGV_GAIN) {
    v = Any<std::uint8_t>(random);
  }
  for (auto& v : cell.TGV_POS) {
    v = Any<std::uint16_t>(random);
  }
  cell.TGV_CURSOR_POSITION = Any<std::uint16_t>(random);
  cell.TGV_NUMBER = Any<std::uint16_t>(random);
  cell.ATTENUATOR1 = Any<std::uint16_t>(random);
  cell.ARD_CORRECTION = Any<std::int32_t>(random);
  cell.VELOCITY = Any<std::uint16_t>(random);
  cell.POISK = Any<std::uint8_t>(random);
  cell.THICKNESS = AnyReal(random);
  cell.ZONDER_PULSE_PERIODS = AnyReal(random);
  cell.CURSOR_1_ENABLED = Any<std::uint8_t>(random);
  cell.CURSOR_2_ENABLED = Any<std::uint8_t>(random);
  cell.USED_MODE = Any<std::uint16_t>(random);
  cell.UsedModeCopy = Any<std::int16_t>(random);
  cell.TVG_ENABLED = Any<std::uint8_t>(random);
  cell.SCREEN_MODE = Any<std::uint16_t>(random);
  cell.SIGNAL_TYPE = Any<std::uint8_t>(random);
  cell.USER_MODE = Any<std::uint16_t>(random);
  cell.REFRESH_RATE = Any<std::uint8_t>(random);
  cell.FILTER_BAND = Any<std::uint8_t>(random);
  cell.OTSECHKA = Any<std::uint8_t>(random);
  cell.PROBE_ARROW = AnyReal(random);
  cell.INSERTION_ANGLE = Any<std::uint8_t>(random);
  cell.PROBE_FREQ = Any<std::uint8_t>(random);
  cell.PROBE_DELAY = AnyReal(random);
  cell.PROBE_TYPE = Any<std::uint8_t>(random);
  cell.PROBE_PULSE = Any<std::uint8_t>(random);
  cell.CONTRAST = Any<std::uint8_t>(random);
  cell.PODSVETKA = Any<std::uint8_t>(random);
  cell.B_SCAN_BEGIN = Any<std::uint16_t>(random);
  cell.B_SCAN_END = Any<std::uint16_t>(random);
  cell.B_SCAN_RATE = AnyReal(random);
  cell.SCREEN_UNITS = Any<std::uint8_t>(random);
  cell.SOUND_ENABLED = Any<std::uint8_t>(random);
  cell.VCURSOR_ENABLED = Any<std::uint8_t>(random);
  cell.OPORN_LEVEL_ON = Any<std::uint8_t>(random);
  cell.LANGUAGE = Any<std::uint8_t>(random);
  cell.LAST_MEM_CELL = Any<std::uint16_t>(random);
  cell.EVEN_REMINDER_FLAG = Any<std::uint16_t>(random);
  cell.CONFIG_INDEX = Any<std::uint16_t>(random);
  cell.SNAP_YEAR = Any<std::uint8_t>(random);
  cell.SNAP_MONTH = Any<std::uint8_t>(random);
  cell.SNAP_DAY = Any<std::uint8_t>(random);
  cell.SNAP_HOUR = Any<std::uint8_t>(random);
  cell.SNAP_MINUTE = Any<std::uint8_t>(random);
  cell.SNAP_SECOND = Any<std::uint8_t>(random);
  cell.STROBE_ALGORYTHM = Any<std::uint8_t>(random);
  cell.PIXEL_GRID_LENGTH_MM = AnyReal(random);
  cell.PREV_PIXEL_GRID_LENGTH_MM = AnyReal(random);
  cell.INDEX_MARK_MM = Any<std::uint8_t>(random);
  cell.ARD_PLATE_DIAMETER = AnyReal(random);
  cell.ARD_SIGNAL_AMPLITUDE = AnyReal(random);
  cell.ARD_PLATE_FLOOR_DIAMETER = AnyReal(random);
  cell.ARD_ATTENUATION = AnyReal(random);
  cell.Comments.clear();
  const std::size_t comments = std::uniform_int_distribution<std::size_t>(0, 6)(random);
  for (std::size_t i = 0; i < comments; ++i) {
    cell.Comments.push_back(
        AnyText(random, std::uniform_int_distribution<std::size_t>(0, 40)(random)));
  }
}

TEST(BaseConfigTextRecord, RandomCellsSurviveWriteAndRead) {
  std::mt19937 random(20240611);
  for (int round = 0; round < 500; ++round) {
    SCOPED_TRACE(round);
    TBaseConfigCell source;
    source.Initialise();
    Randomise(source, random);
    const std::string name = source.CONFIGURATION_NAME;
    const std::string text = Write(source);
    EXPECT_EQ(CrLfLines(text).size(), 174 + source.Comments.size());

    TBaseConfigCell cell;
    Read(cell, text);
    ExpectRecordCarried(source, cell);
    // The name comes back padded to 14 characters.
    EXPECT_EQ(cell.CONFIGURATION_NAME, name + std::string(14 - name.size(), ' '));
    EXPECT_EQ(cell.NameChars[14], '/');
    // Written again, the read cell gives the same text.
    EXPECT_EQ(Write(cell), text);
    if (::testing::Test::HasFailure()) {
      break;  // one failing round says enough
    }
  }
}

TEST(BaseConfigTextRecord, HundredthsComeBackExactly) {
  std::mt19937 random(7);
  std::uniform_int_distribution<int> hundredths(-1000000, 1000000);
  for (int round = 0; round < 300; ++round) {
    TBaseConfigCell source;
    source.Initialise();
    const double value = static_cast<double>(hundredths(random)) / 100.0;
    source.THICKNESS = value;
    source.PROBE_DELAY = -value;
    source.ARD_ATTENUATION = value;
    TBaseConfigCell cell;
    Read(cell, Write(source));
    ASSERT_EQ(cell.THICKNESS, value) << round;
    ASSERT_EQ(cell.PROBE_DELAY, -value) << round;
    ASSERT_EQ(cell.ARD_ATTENUATION, source.ARD_ATTENUATION) << round;
  }
}

}  // namespace
