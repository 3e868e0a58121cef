#include <records/FlawTextRecordUnit.h>

#include <algorithm>
#include <string>

#include <config/TextRecordIO.h>

namespace velt {
namespace {

constexpr const char* kBScanMarker = "---B_SCAN---";
constexpr const char* kAScanMarker = "---A_SCANs---";
constexpr const char* kEnvelopeMarkers[4] = {"---FIRST MAXIMUMS---", "---FIRST MINIMUMS---",
                                             "---SECOND MAXIMUMS---", "---SECOND MINIMUMS---"};

}  // namespace

void WriteFlawTextRecord(const TDataCell& record, TTextWriter& out) {
  out.Keyed("FLAW #:", record.FlawNumber);
  out.Keyed("DEVICE INDEX:", record.DeviceIndex);
  out.Keyed("MAJOR_VERSION:", record.MajorVersion);
  out.Keyed("MINOR_VERSION:", record.MinorVersion);
  out.Keyed("CONF_LOC_VERSION:", record.ConfigLocalVersion);
  out.Keyed("ARRAY_SIZE:", record.ArraySize);
  out.Keyed("SAMPLES_QUANTITY:", record.SamplesQuantity);
  out.Keyed("PRINT_FLAG:", record.PrintFlag);
  out.Line(kBScanMarker);
  for (int column = 0; column < kBScanColumns; ++column) {
    out.Line("SMALL_ASCAN[" + std::to_string(column) + "]");
    for (std::uint8_t sample : record.BScan[static_cast<std::size_t>(column)]) {
      out.Number(sample);
    }
  }
  out.Line(kAScanMarker);
  const std::vector<std::uint8_t>* envelopes[4] = {&record.FirstMaximums, &record.FirstMinimums,
                                                   &record.SecondMaximums, &record.SecondMinimums};
  for (int e = 0; e < 4; ++e) {
    out.Line(kEnvelopeMarkers[e]);
    const std::size_t n = std::min<std::size_t>(record.ArraySize, envelopes[e]->size());
    for (std::size_t i = 0; i < n; ++i) {
      out.Number((*envelopes[e])[i]);
    }
  }
  out.Keyed("COMMENTS QUANTITY:", static_cast<long long>(record.Comments.size()));
  for (std::size_t k = 0; k < record.Comments.size(); ++k) {
    out.Line("COMMENTS[" + std::to_string(k) + "]:" + record.Comments[k]);
  }
  if (record.Configuration() != nullptr) {
    record.Configuration()->WriteText(out);
  }
}

std::uint8_t ReadFlawTextRecord(TDataCell& record, TTextReader& in) {
  record.ReportMark = 0;
  record.FlawNumber = in.Word();
  record.DeviceIndex = in.Byte();
  record.MajorVersion = in.Byte();
  record.MinorVersion = in.Byte();
  record.ConfigLocalVersion = in.Byte();
  // The envelope arrays keep the size the record was created with.
  const auto created = static_cast<long long>(record.FirstMaximums.size()) - 1;
  record.ArraySize = static_cast<std::uint16_t>(in.Integer(0, std::max(created, 0LL)));
  record.SamplesQuantity = in.Word();
  record.PrintFlag = in.Byte();
  if (in.Line() != kBScanMarker) {
    return kMarkerMismatch;
  }
  for (auto& column : record.BScan) {
    in.Line();  // the column's SMALL_ASCAN[j] line
    for (std::uint8_t& sample : column) {
      sample = in.Byte();
    }
  }
  if (in.Line() != kAScanMarker) {
    return kMarkerMismatch;
  }
  std::vector<std::uint8_t>* envelopes[4] = {&record.FirstMaximums, &record.FirstMinimums,
                                             &record.SecondMaximums, &record.SecondMinimums};
  for (auto* envelope : envelopes) {
    in.Line();  // its marker, not compared
    for (std::size_t i = 0; i < record.ArraySize; ++i) {
      (*envelope)[i] = in.Byte();
    }
  }
  const auto comments = static_cast<std::size_t>(in.Integer(0, 255));
  record.Comments.clear();
  for (std::size_t k = 0; k < comments; ++k) {
    if (in.AtEnd()) {
      throw EConvertError("Line " + std::to_string(in.LineNumber() + 1) +
                          ": the record ends before comment " + std::to_string(k) + " of " +
                          std::to_string(comments));
    }
    record.Comments.push_back(in.Value());
  }
  if (record.Configuration() == nullptr) {
    return 0;
  }
  return record.Configuration()->ReadText(in);
}

}  // namespace velt
