// The flaw text record: one record's lines in a record file, followed by
// its configuration's text record.
#include <gtest/gtest.h>

#include <random>
#include <sstream>
#include <string>
#include <vector>

#include <config/TextRecordIO.h>
#include <records/FlawTextRecordUnit.h>

#include "RecordsTestSupport.h"

namespace velt {
namespace {

using namespace testing_support;

// Line numbers (from 0) inside one flaw text record of array size n.
constexpr std::size_t kBScanMarkerLine = 8;
std::size_t ColumnLine(std::size_t column) {
  return 9 + 89 * column;
}
std::size_t SampleLine(std::size_t column, std::size_t sample) {
  return ColumnLine(column) + 1 + sample;
}
constexpr std::size_t kAScanMarkerLine = 19945;
std::size_t EnvelopeMarkerLine(std::size_t envelope, std::size_t n) {
  return kAScanMarkerLine + 1 + envelope * (n + 1);
}
std::size_t EnvelopeLine(std::size_t envelope, std::size_t n, std::size_t i) {
  return EnvelopeMarkerLine(envelope, n) + 1 + i;
}
std::size_t CommentCountLine(std::size_t n) {
  return EnvelopeMarkerLine(4, n);
}

std::unique_ptr<TDataCell> NewRecord(const TVariant& v, std::uint16_t arraySize = 320) {
  auto record = std::make_unique<TDataCell>(arraySize);
  EXPECT_TRUE(CreateConfigCellForVersion(v.Major, v.Minor, v.Local, v.Device, *record));
  return record;
}

const TVariant kBase{1, 3, 10, 0, "TBaseConfigCell"};
const TVariant k326{1, 3, 27, 0, "T3_26ConfigCell"};

std::uint8_t Read(TDataCell& record, const std::string& text) {
  std::istringstream in(text);
  TTextReader reader(in);
  return ReadFlawTextRecord(record, reader);
}

std::string WithLine(std::vector<std::string> lines, std::size_t index, const std::string& text) {
  lines.at(index) = text;
  return Joined(lines);
}

// A record whose values all differ from a fresh record's.
std::unique_ptr<TDataCell> Sample(const TVariant& v, std::uint32_t seed,
                                  std::uint16_t arraySize = 320) {
  auto record = NewRecord(v);
  std::mt19937 random(seed);
  RandomiseRecord(*record, random);
  record->ArraySize = arraySize;
  return record;
}

// ---- Writing --------------------------------------------------------------------------

TEST(FlawTextRecordWrite, WritesEveryLineInItsPlace) {
  auto record = NewRecord(kBase);
  record->FlawNumber = 12;
  record->DeviceIndex = 1;
  record->MajorVersion = 3;
  record->MinorVersion = 10;
  record->ConfigLocalVersion = 0;
  record->SamplesQuantity = 300;
  record->PrintFlag = 1;
  record->BScan[5][0] = 17;
  record->BScan[223][87] = 200;
  record->FirstMaximums[0] = 1;
  record->FirstMinimums[0] = 2;
  record->SecondMaximums[0] = 3;
  record->SecondMinimums[319] = 4;
  record->SecondMinimums[320] = 9;  // beyond the used entries: not written
  record->Configuration()->VELOCITY = 5920;

  const std::vector<std::string> lines = CrLfLines(WriteRecord(*record));
  const std::vector<std::string> config = CrLfLines(WriteText(*record->Configuration()));
  // 8 + 1 + 224 x 89 + 1 + 4 x 321 + 1 lines, then the configuration's record.
  ASSERT_EQ(lines.size(), 21231 + config.size());
  const std::vector<std::string> head = {
      "FLAW #:12",          "DEVICE INDEX:1", "MAJOR_VERSION:3",      "MINOR_VERSION:10",
      "CONF_LOC_VERSION:0", "ARRAY_SIZE:320", "SAMPLES_QUANTITY:300", "PRINT_FLAG:1",
      "---B_SCAN---"};
  EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + 9), head);
  for (std::size_t j = 0; j < 224; ++j) {
    ASSERT_EQ(lines[ColumnLine(j)], "SMALL_ASCAN[" + std::to_string(j) + "]");
  }
  EXPECT_EQ(lines[ColumnLine(5)], "SMALL_ASCAN[5]");
  EXPECT_EQ(lines[SampleLine(5, 0)], "17");
  EXPECT_EQ(lines[SampleLine(5, 1)], "0");
  EXPECT_EQ(lines[SampleLine(223, 87)], "200");
  EXPECT_EQ(lines[kAScanMarkerLine], "---A_SCANs---");
  EXPECT_EQ(lines[EnvelopeMarkerLine(0, 320)], "---FIRST MAXIMUMS---");
  EXPECT_EQ(lines[EnvelopeMarkerLine(1, 320)], "---FIRST MINIMUMS---");
  EXPECT_EQ(lines[EnvelopeMarkerLine(2, 320)], "---SECOND MAXIMUMS---");
  EXPECT_EQ(lines[EnvelopeMarkerLine(3, 320)], "---SECOND MINIMUMS---");
  EXPECT_EQ(lines[EnvelopeLine(0, 320, 0)], "1");
  EXPECT_EQ(lines[EnvelopeLine(1, 320, 0)], "2");
  EXPECT_EQ(lines[EnvelopeLine(2, 320, 0)], "3");
  EXPECT_EQ(lines[EnvelopeLine(3, 320, 319)], "4");
  EXPECT_EQ(lines[CommentCountLine(320)], "COMMENTS QUANTITY:0");
  EXPECT_EQ(CommentCountLine(320), 21230u);
  EXPECT_EQ(std::vector<std::string>(lines.begin() + 21231, lines.end()), config);
}

TEST(FlawTextRecordWrite, CommentsAndShortArrays) {
  auto record = NewRecord(kBase);
  record->ArraySize = 5;
  record->SecondMinimums[4] = 44;
  record->Comments = {"depth: 12 mm: left", "", ":"};
  const std::vector<std::string> lines = CrLfLines(WriteRecord(*record));
  const std::size_t count = CommentCountLine(5);
  ASSERT_GT(lines.size(), count + 3);
  EXPECT_EQ(lines[EnvelopeMarkerLine(3, 5)], "---SECOND MINIMUMS---");
  EXPECT_EQ(lines[EnvelopeLine(3, 5, 4)], "44");
  EXPECT_EQ(lines[count], "COMMENTS QUANTITY:3");
  EXPECT_EQ(lines[count + 1], "COMMENTS[0]:depth: 12 mm: left");
  EXPECT_EQ(lines[count + 2], "COMMENTS[1]:");
  EXPECT_EQ(lines[count + 3], "COMMENTS[2]::");
  EXPECT_EQ(lines[count + 4].rfind("DEVICE INDEX:", 0), 0u);  // the configuration's first line
}

// ---- Round trips ------------------------------------------------------------------------

class FlawTextRecordRoundTrip : public ::testing::TestWithParam<TVariant> {};

TEST_P(FlawTextRecordRoundTrip, EveryCarriedValueComesBack) {
  std::mt19937 random(4711 + GetParam().Minor);
  for (int round = 0; round < 6; ++round) {
    SCOPED_TRACE(round);
    auto source = NewRecord(GetParam());
    RandomiseRecord(*source, random, /*anyArraySize=*/round % 2 == 1);
    const std::string text = WriteRecord(*source);

    auto target = NewRecord(GetParam());
    target->ReportMark = 1;
    target->Comments = {"old"};
    EXPECT_EQ(Read(*target, text), 0);
    ExpectSameCarriedRecord(*source, *target);
    // Read again and written, the record gives the same text.
    EXPECT_EQ(WriteRecord(*target), text);
    if (HasFailure()) {
      break;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Classes, FlawTextRecordRoundTrip, ::testing::ValuesIn(AllVariants()),
                         VariantName);

TEST(FlawTextRecordRead, PrintFlagAndNoCommentsComeBack) {
  auto source = Sample(k326, 1);
  source->PrintFlag = 1;
  source->Comments.clear();
  auto target = NewRecord(k326);
  target->Comments = {"stale"};
  ASSERT_EQ(Read(*target, WriteRecord(*source)), 0);
  EXPECT_EQ(target->PrintFlag, 1);
  EXPECT_TRUE(target->Comments.empty());
  ExpectSameCarriedRecord(*source, *target);
}

TEST(FlawTextRecordRead, ExtremeValuesOfEveryFieldComeBack) {
  for (const std::uint8_t byte : {std::uint8_t{0}, std::uint8_t{255}}) {
    for (const std::uint16_t arraySize : {std::uint16_t{0}, std::uint16_t{1}, std::uint16_t{320}}) {
      SCOPED_TRACE(::testing::Message() << "byte " << int(byte) << " array size " << arraySize);
      auto source = NewRecord(k326);
      // The configuration as its own text record carries it.
      ReadText(*source->Configuration(), WriteText(*source->Configuration()));
      source->FlawNumber = byte == 0 ? 0 : 65535;
      source->SamplesQuantity = byte == 0 ? 0 : 65535;
      source->DeviceIndex = source->MajorVersion = source->MinorVersion = byte;
      source->ConfigLocalVersion = source->PrintFlag = byte;
      source->ArraySize = arraySize;
      for (auto& column : source->BScan) column.fill(byte);
      for (auto* e : {&source->FirstMaximums, &source->FirstMinimums, &source->SecondMaximums,
                      &source->SecondMinimums}) {
        std::fill(e->begin(), e->begin() + arraySize, byte);
      }
      source->Comments.assign(255, std::string(byte == 0 ? "" : "\xFF:\xFF"));
      auto target = NewRecord(k326);
      ASSERT_EQ(Read(*target, WriteRecord(*source)), 0);
      ExpectSameCarriedRecord(*source, *target);
    }
  }
}

TEST(FlawTextRecordRead, CommentsKeepTheirColons) {
  auto source = Sample(k326, 2);
  source->Comments = {"weld 4: root: pass", ":", "", "a:", "\xD8\xE2:\xEE"};
  auto target = NewRecord(k326);
  ASSERT_EQ(Read(*target, WriteRecord(*source)), 0);
  EXPECT_EQ(target->Comments, source->Comments);
}

TEST(FlawTextRecordRead, MoreThan255CommentsCannotBeReadBack) {
  auto source = Sample(k326, 3);
  source->Comments.assign(300, "note");
  const std::vector<std::string> lines = CrLfLines(WriteRecord(*source));
  // The writer writes them all.
  ASSERT_EQ(lines[CommentCountLine(320)], "COMMENTS QUANTITY:300");
  EXPECT_EQ(lines[CommentCountLine(320) + 300], "COMMENTS[299]:note");
  auto target = NewRecord(k326);
  EXPECT_THROW(Read(*target, Joined(lines)), EConvertError);

  source->Comments.assign(256, "x");
  EXPECT_THROW(Read(*target, WriteRecord(*source)), EConvertError);
  source->Comments.assign(255, "x");
  EXPECT_EQ(Read(*target, WriteRecord(*source)), 0);
  EXPECT_EQ(target->Comments.size(), 255u);
}

TEST(FlawTextRecordRead, ReadsByPositionWhateverTheKeysAndUncheckedLinesSay) {
  auto source = Sample(k326, 4);
  source->ArraySize = 320;
  std::vector<std::string> lines = CrLfLines(WriteRecord(*source));
  for (std::size_t i = 0; i < 8; ++i) {
    const std::size_t colon = lines[i].find(':');
    ASSERT_NE(colon, std::string::npos);
    lines[i] = "OTHER KEY " + std::to_string(i) + ":" + lines[i].substr(colon + 1);
  }
  // A line without a colon is taken whole.
  lines[0] = std::to_string(source->FlawNumber);
  for (std::size_t j = 0; j < 224; ++j) {
    lines[ColumnLine(j)] = j % 2 ? "" : "COLUMN: 12";  // not read as a number
  }
  // Sample lines follow the first-colon rule too.
  lines[SampleLine(7, 3)] = "S:" + lines[SampleLine(7, 3)];
  // The envelope markers are not compared.
  lines[EnvelopeMarkerLine(0, 320)] = "---FIRST MAXIMUM---";
  lines[EnvelopeMarkerLine(1, 320)] = "";
  lines[EnvelopeMarkerLine(2, 320)] = "---A_SCANs---";
  lines[EnvelopeMarkerLine(3, 320)] = "12";
  lines[CommentCountLine(320)] = "NOTES:" + std::to_string(source->Comments.size());
  auto target = NewRecord(k326);
  ASSERT_EQ(Read(*target, Joined(lines)), 0);
  ExpectSameCarriedRecord(*source, *target);
}

TEST(FlawTextRecordRead, LfOnlyLineEndsReadTheSame) {
  auto source = Sample(k326, 5);
  const std::vector<std::string> lines = CrLfLines(WriteRecord(*source));
  auto target = NewRecord(k326);
  ASSERT_EQ(Read(*target, Joined(lines, "\n")), 0);
  ExpectSameCarriedRecord(*source, *target);
}

TEST(FlawTextRecordRead, ShorterArraysReadOnlyTheirEntries) {
  auto source = Sample(k326, 6);
  source->ArraySize = 3;
  source->Configuration()->VELOCITY = 2710;
  auto target = NewRecord(k326);
  for (auto* e : {&target->FirstMaximums, &target->FirstMinimums, &target->SecondMaximums,
                  &target->SecondMinimums}) {
    std::fill(e->begin(), e->end(), 99);
  }
  ASSERT_EQ(Read(*target, WriteRecord(*source)), 0);
  EXPECT_EQ(target->ArraySize, 3);
  EXPECT_EQ(target->FirstMaximums.size(), 321u);  // the arrays keep their size
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(target->SecondMinimums[i], source->SecondMinimums[i]);
  }
  EXPECT_EQ(target->FirstMaximums[3], 99);
  EXPECT_EQ(target->SecondMinimums[320], 99);
  // The lines stayed aligned up to the configuration's end.
  EXPECT_EQ(target->Configuration()->VELOCITY, 2710);
  EXPECT_EQ(target->Comments, source->Comments);
}

TEST(FlawTextRecordRead, ArraySizeAboveTheCreatedSizeIsRefused) {
  auto source = Sample(k326, 7);
  const std::vector<std::string> lines = CrLfLines(WriteRecord(*source));
  auto target = NewRecord(k326);
  EXPECT_THROW(Read(*target, WithLine(lines, 5, "ARRAY_SIZE:321")), EConvertError);
  EXPECT_THROW(Read(*target, WithLine(lines, 5, "ARRAY_SIZE:65535")), EConvertError);

  // The limit is the size the record was created with.
  auto small = NewRecord(k326, 10);
  auto shortSource = Sample(k326, 8, 10);
  ASSERT_EQ(Read(*small, WriteRecord(*shortSource)), 0);
  EXPECT_EQ(small->ArraySize, 10);
  shortSource->ArraySize = 11;
  EXPECT_THROW(Read(*small, WriteRecord(*shortSource)), EConvertError);
}

// ---- Markers ------------------------------------------------------------------------------

TEST(FlawTextRecordRead, WrongBScanMarkerReturns2BeforeAnySample) {
  const auto source = Sample(k326, 9);
  const std::vector<std::string> lines = CrLfLines(WriteRecord(*source));
  for (const std::string marker : {"---B_SCAN--- ", "---b_scan---", "---B_SCAN--", "", "B_SCAN",
                                   "---A_SCANs---", "x:---B_SCAN---"}) {
    SCOPED_TRACE(marker);
    auto target = NewRecord(k326);
    for (auto& column : target->BScan) column.fill(7);
    EXPECT_EQ(Read(*target, WithLine(lines, kBScanMarkerLine, marker)), kMarkerMismatch);
    // The lines before the marker have been taken, no sample has.
    EXPECT_EQ(target->FlawNumber, source->FlawNumber);
    EXPECT_EQ(target->PrintFlag, source->PrintFlag);
    EXPECT_EQ(target->BScan[0][0], 7);
    EXPECT_EQ(target->BScan[223][87], 7);
  }
}

TEST(FlawTextRecordRead, WrongAScanMarkerReturns2BeforeAnyEnvelopeValue) {
  const auto source = Sample(k326, 10);
  const std::vector<std::string> lines = CrLfLines(WriteRecord(*source));
  for (const std::string marker : {"---A_SCANS---", "---A_SCANs--- ", " ---A_SCANs---",
                                   "---A_SCAN---", "---FIRST MAXIMUMS---", "", "A:---A_SCANs---"}) {
    SCOPED_TRACE(marker);
    auto target = NewRecord(k326);
    for (auto* e : {&target->FirstMaximums, &target->FirstMinimums, &target->SecondMaximums,
                    &target->SecondMinimums}) {
      std::fill(e->begin(), e->end(), 77);
    }
    target->Comments = {"kept"};
    target->Configuration()->VELOCITY = 1234;
    EXPECT_EQ(Read(*target, WithLine(lines, kAScanMarkerLine, marker)), kMarkerMismatch);
    EXPECT_TRUE(target->BScan == source->BScan);  // read before the marker
    for (auto* e : {&target->FirstMaximums, &target->FirstMinimums, &target->SecondMaximums,
                    &target->SecondMinimums}) {
      EXPECT_EQ(std::count(e->begin(), e->end(), 77), 321);
    }
    EXPECT_EQ(target->Comments, std::vector<std::string>{"kept"});
    EXPECT_EQ(target->Configuration()->VELOCITY, 1234);
  }
}

// ---- Values that do not fit --------------------------------------------------------------

struct TBadLine {
  const char* What;
  std::size_t Line;
  const char* Text;
};

TEST(FlawTextRecordRead, ValuesThatAreNoNumbersOrDoNotFitAreRefused) {
  auto source = Sample(k326, 11);
  source->Comments = {"a", "b"};
  const std::vector<std::string> lines = CrLfLines(WriteRecord(*source));
  const std::size_t n = 320;
  const std::size_t config = CommentCountLine(n) + 3;  // after the two comments
  const std::vector<TBadLine> cases = {
      {"flaw number", 0, "FLAW #:65536"},
      {"flaw number", 0, "FLAW #:-1"},
      {"flaw number", 0, "FLAW #:"},
      {"flaw number", 0, "FLAW #:12a"},
      {"flaw number", 0, "FLAW #:1.5"},
      {"device index", 1, "DEVICE INDEX:256"},
      {"device index", 1, "DEVICE INDEX:one"},
      {"major version", 2, "MAJOR_VERSION:256"},
      {"minor version", 3, "MINOR_VERSION:-1"},
      {"local version", 4, "CONF_LOC_VERSION:0x1"},
      {"array size", 5, "ARRAY_SIZE:321"},
      {"array size", 5, "ARRAY_SIZE:"},
      {"samples quantity", 6, "SAMPLES_QUANTITY:65536"},
      {"print flag", 7, "PRINT_FLAG:256"},
      {"print flag", 7, "PRINT_FLAG:yes"},
      {"first sample", SampleLine(0, 0), "256"},
      {"first sample", SampleLine(0, 0), "a"},
      {"first sample", SampleLine(0, 0), ""},
      {"last sample", SampleLine(223, 87), "-1"},
      {"first maximum", EnvelopeLine(0, n, 0), "256"},
      {"first minimum", EnvelopeLine(1, n, 100), "x"},
      {"second maximum", EnvelopeLine(2, n, 200), "1e2"},
      {"last second minimum", EnvelopeLine(3, n, 319), ""},
      {"comment count", CommentCountLine(n), "COMMENTS QUANTITY:256"},
      {"comment count", CommentCountLine(n), "COMMENTS QUANTITY:-1"},
      {"comment count", CommentCountLine(n), "COMMENTS QUANTITY:two"},
      {"configuration device index", config, "DEVICE INDEX:256"},
      {"configuration value", config + 3, "CONFIGURATION #:65536"},
  };
  for (const TBadLine& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.What << ": " << c.Text);
    auto target = NewRecord(k326);
    EXPECT_THROW(Read(*target, WithLine(lines, c.Line, c.Text)), EConvertError);
  }
}

TEST(FlawTextRecordRead, RecordCutShortIsRefused) {
  auto source = Sample(k326, 12);
  source->Comments = {"one", "two"};
  const std::vector<std::string> lines = CrLfLines(WriteRecord(*source));
  // Cut inside the header, the B-scan, the envelopes and the comments.
  for (const std::size_t keep :
       {std::size_t{0}, std::size_t{5}, std::size_t{9}, SampleLine(100, 40), kAScanMarkerLine + 1,
        EnvelopeLine(3, 320, 10), CommentCountLine(320) + 1, CommentCountLine(320) + 2}) {
    SCOPED_TRACE(keep);
    auto target = NewRecord(k326);
    const std::vector<std::string> cut(lines.begin(), lines.begin() + static_cast<long>(keep));
    EXPECT_THROW(Read(*target, Joined(cut)), EConvertError);
  }
}

}  // namespace
}  // namespace velt
