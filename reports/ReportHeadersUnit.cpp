#include <reports/ReportHeadersUnit.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>
#include <span>
#include <stdexcept>
#include <utility>

#include <ports/Errors.h>
#include <reports/ReportJobsUnit.h>
#include <strings/SafeSaveUnit.h>
#include <strings/TextLines.h>

namespace velt {

namespace fs = std::filesystem;

// ---- Header fields ------------------------------------------------------------------------

const std::string& TReportHeaderFields::Field(int number) const {
  switch (number) {
    case 1:
      return OrganizationName;
    case 2:
      return ProtocolDate;
    case 3:
      return ProtocolNumber;
    case 4:
      return ControlObject;
    case 5:
      return ControlReasonAndDate;
    case 6:
      return ObjectDescription;
    case 7:
      return NormativeDocumentation;
    case 8:
      return DeviceType;
    case 9:
      return DeviceSerialNumber;
    case 10:
      return CertificateValidUntil;
    case 11:
      return ProbeType;
    case 12:
      return ProbeSerialNumber;
    case 13:
      return CertificateNumber;
    case 34:
      return ControlCharacteristics;
    case 35:
      return Appendixes;
    case 36:
      return Conclusion;
    default:
      break;
  }
  if (number >= 14 && number <= 33) {
    const TReportInspector& inspector = Inspectors[static_cast<std::size_t>((number - 14) / 5)];
    switch ((number - 14) % 5) {
      case 0:
        return inspector.InspectorName;
      case 1:
        return inspector.InspectorLevel;
      case 2:
        return inspector.InspectorCertificateNumber;
      case 3:
        return inspector.InspectorCertificateExpiry;
      default:
        return inspector.InspectorIssuingOrganization;
    }
  }
  throw std::out_of_range("report header field " + std::to_string(number) + " does not exist");
}

std::string& TReportHeaderFields::Field(int number) {
  return const_cast<std::string&>(std::as_const(*this).Field(number));
}

// ---- Base header: the flaw list alone ---------------------------------------------------

int TBaseReportHeader::AddFlaw(IReportForm& form, TDataCell& record, bool refresh) {
  // The count is 16 bits wide: a full list takes no more entries.
  if (!IsMainForm(form) || FlawCount == std::numeric_limits<std::uint16_t>::max()) {
    return -1;
  }
  Flaws.push_back(&record);
  ++FlawCount;
  if (refresh) {
    ShowRows(form);
  }
  return FlawCount;
}

int TBaseReportHeader::RemoveFlaw(IReportForm& form, TDataCell& record, bool refresh) {
  const auto at = std::find(Flaws.begin(), Flaws.end(), &record);
  if (at != Flaws.end()) {
    Flaws.erase(at);
    --FlawCount;
    if (Flaws.empty()) {
      std::vector<TDataCell*>().swap(Flaws);
    }
  }
  if (refresh) {
    ShowRows(form);
  }
  return FlawCount;
}

bool TBaseReportHeader::ReservedSlot3(void*) {
  return true;
}
bool TBaseReportHeader::ReservedSlot4() {
  return true;
}
bool TBaseReportHeader::ReservedSlot5() {
  return true;
}

bool TBaseReportHeader::SaveToFile(const fs::path&) {
  return true;
}
bool TBaseReportHeader::LoadFromFile(const fs::path&) {
  return true;
}

void TBaseReportHeader::ClearFlaws() {
  std::vector<TDataCell*>().swap(Flaws);
  FlawCount = 0;
}

void TBaseReportHeader::ShowRows(IReportForm&) {}
void TBaseReportHeader::ShowHeader(IReportForm&) {}
void TBaseReportHeader::ReadRows(IReportForm&) {}
void TBaseReportHeader::ReadHeader(IReportForm&) {}

// The base header has no sheet of its own to print.
bool TBaseReportHeader::PreviewProtocol(void*) {
  return false;
}
bool TBaseReportHeader::PrintProtocol(void*) {
  return false;
}
bool TBaseReportHeader::PreviewAppendix(void*) {
  return false;
}
bool TBaseReportHeader::PrintAppendix(void*) {
  return false;
}
bool TBaseReportHeader::NextSheetRow(void*) {
  return false;
}
bool TBaseReportHeader::NextAppendixPage(void*) {
  return false;
}
bool TBaseReportHeader::BeforeSheet(void*) {
  return true;
}
bool TBaseReportHeader::FillSheetHeader() {
  return false;
}
bool TBaseReportHeader::AfterPrint(void*) {
  return true;
}

bool TBaseReportHeader::IsMainForm(const IReportForm& form) const {
  return form.IsMainWindow();
}

// ---- What both report types do, given their grid layout -------------------------------

namespace {

// The grid columns of row strings 1..n.
constexpr std::array<int, TSimpleReportHeader::kRowStrings> kType1StringColumns = {1, 2, 3, 4,
                                                                                   5, 6, 8};
constexpr std::array<int, TSimpleReport2Header::kRowStrings> kType2StringColumns = {2, 3, 4, 5,
                                                                                    6, 7, 8, 9};
constexpr int kEntryNumberColumn = 0;
constexpr int kType1FlawNumberColumn = 7;
constexpr int kType2FlawNumberColumn = 1;

struct TGridLayout {
  int Type;
  int Columns;
  int FlawNumberColumn;
  std::span<const int> StringColumns;
};

constexpr TGridLayout kType1Layout{kReportType1, TSimpleReportHeader::kGridColumns,
                                   kType1FlawNumberColumn, kType1StringColumns};
constexpr TGridLayout kType2Layout{kReportType2, TSimpleReport2Header::kGridColumns,
                                   kType2FlawNumberColumn, kType2StringColumns};

void ShowRowsIn(IReportForm& form, const TGridLayout& layout,
                const std::vector<TDataCell*>& flaws) {
  const int count = static_cast<int>(flaws.size());
  form.SetReportGridRowCount(layout.Type, std::max(count + 1, 2));
  if (count <= 1) {
    for (int column = 0; column < layout.Columns; ++column) {
      form.SetReportGridCell(layout.Type, column, 1, {});
    }
  }
  // Only the entry and flaw numbers: the typed columns stay as they are.
  for (int i = 0; i < count; ++i) {
    form.SetReportGridCell(layout.Type, kEntryNumberColumn, i + 1, std::to_string(i + 1));
    form.SetReportGridCell(layout.Type, layout.FlawNumberColumn, i + 1,
                           std::to_string(flaws[static_cast<std::size_t>(i)]->FlawNumber));
  }
}

void ReadRowsFrom(const IReportForm& form, const TGridLayout& layout,
                  std::vector<TFrameAdditionalData>& rows) {
  const int gridRows = form.ReportGridRowCount(layout.Type);
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const int row = static_cast<int>(i) + 1;
    for (std::size_t s = 0; s < layout.StringColumns.size(); ++s) {
      // A row the grid does not have holds no text.
      rows[i].Strings[s] =
          row < gridRows ? form.ReportGridCell(layout.Type, layout.StringColumns[s], row) : "";
    }
  }
}

void ShowFields(IReportForm& form, int type, const TReportHeaderFields& fields) {
  for (int k = 1; k <= kReportHeaderFields; ++k) {
    form.SetHeaderFieldText(type, k, fields.Field(k));
  }
}

void ReadFields(const IReportForm& form, int type, TReportHeaderFields& fields) {
  for (int k = 1; k <= kReportHeaderFields; ++k) {
    fields.Field(k) = form.HeaderFieldText(type, k);
  }
}

// The row record of the first entry of the record, dropped before the base
// drops the entry itself.
void RemoveRowOf(const std::vector<TDataCell*>& flaws, const TDataCell& record,
                 std::vector<TFrameAdditionalData>& rows) {
  const auto at = std::find(flaws.begin(), flaws.end(), &record);
  if (at == flaws.end()) {
    return;
  }
  rows.erase(rows.begin() + (at - flaws.begin()));
  if (rows.empty()) {
    std::vector<TFrameAdditionalData>().swap(rows);
  }
}

}  // namespace

// ---- Type 1 ---------------------------------------------------------------------------------

int TSimpleReportHeader::AddFlaw(IReportForm& form, TDataCell& record, bool refresh) {
  if (!IsMainForm(form) || Count() == std::numeric_limits<std::uint16_t>::max()) {
    return -1;
  }
  Rows.emplace_back(kRowStrings);
  return TBaseReportHeader::AddFlaw(form, record, refresh);
}

int TSimpleReportHeader::RemoveFlaw(IReportForm& form, TDataCell& record, bool refresh) {
  RemoveRowOf(FlawList(), record, Rows);
  return TBaseReportHeader::RemoveFlaw(form, record, refresh);
}

bool TSimpleReportHeader::SaveToFile(const fs::path& path) {
  SaveReportFile(*this, path);
  return true;
}

bool TSimpleReportHeader::LoadFromFile(const fs::path& path) {
  LoadReportFile(*this, path);
  return true;
}

void TSimpleReportHeader::ClearFlaws() {
  std::vector<TFrameAdditionalData>().swap(Rows);
  TBaseReportHeader::ClearFlaws();
}

void TSimpleReportHeader::ShowRows(IReportForm& form) {
  ShowRowsIn(form, kType1Layout, FlawList());
}

void TSimpleReportHeader::ShowHeader(IReportForm& form) {
  ShowFields(form, kType, *this);
  if (Count() > 0) {
    ShowRows(form);
  }
  SetSheetCaptions(*this, kType, form);
}

void TSimpleReportHeader::ReadRows(IReportForm& form) {
  ReadRowsFrom(form, kType1Layout, Rows);
}

void TSimpleReportHeader::ReadHeader(IReportForm& form) {
  ReadFields(form, kType, *this);
  ReadRows(form);
}

// Printing: the sheet of this type, then (or only) the flaw appendix.
bool TSimpleReportHeader::PreviewProtocol(void* sender) {
  return RunReportJob(*this, kType, TReportJobKind::Protocol, TReportJobOutput::Preview, sender);
}
bool TSimpleReportHeader::PrintProtocol(void* sender) {
  return RunReportJob(*this, kType, TReportJobKind::Protocol, TReportJobOutput::Print, sender);
}
bool TSimpleReportHeader::PreviewAppendix(void* sender) {
  return RunReportJob(*this, kType, TReportJobKind::Appendix, TReportJobOutput::Preview, sender);
}
bool TSimpleReportHeader::PrintAppendix(void* sender) {
  return RunReportJob(*this, kType, TReportJobKind::Appendix, TReportJobOutput::Print, sender);
}
bool TSimpleReportHeader::NextSheetRow(void*) {
  return NextSheetRowOf(*this, kType, Rows);
}
bool TSimpleReportHeader::NextAppendixPage(void*) {
  return NextAppendixPageOf(*this);
}
bool TSimpleReportHeader::FillSheetHeader() {
  return FillSheetHeaderOf(*this, kType, *this);
}

// ---- Type 2 ---------------------------------------------------------------------------------

int TSimpleReport2Header::AddFlaw(IReportForm& form, TDataCell& record, bool refresh) {
  if (!IsMainForm(form) || Count() == std::numeric_limits<std::uint16_t>::max()) {
    return -1;
  }
  Rows.emplace_back(kRowStrings);
  return TBaseReportHeader::AddFlaw(form, record, refresh);
}

int TSimpleReport2Header::RemoveFlaw(IReportForm& form, TDataCell& record, bool refresh) {
  RemoveRowOf(FlawList(), record, Rows);
  return TBaseReportHeader::RemoveFlaw(form, record, refresh);
}

bool TSimpleReport2Header::SaveToFile(const fs::path& path) {
  SaveReportFile(*this, path);
  return true;
}

bool TSimpleReport2Header::LoadFromFile(const fs::path& path) {
  LoadReportFile(*this, path);
  return true;
}

void TSimpleReport2Header::ClearFlaws() {
  std::vector<TFrameAdditionalData>().swap(Rows);
  TBaseReportHeader::ClearFlaws();
}

void TSimpleReport2Header::ShowRows(IReportForm& form) {
  ShowRowsIn(form, kType2Layout, FlawList());
}

void TSimpleReport2Header::ShowHeader(IReportForm& form) {
  ShowFields(form, kType, *this);
  if (Count() > 0) {
    ShowRows(form);
  }
  SetSheetCaptions(*this, kType, form);
}

void TSimpleReport2Header::ReadRows(IReportForm& form) {
  ReadRowsFrom(form, kType2Layout, Rows);
}

void TSimpleReport2Header::ReadHeader(IReportForm& form) {
  ReadFields(form, kType, *this);
  ReadRows(form);
}

// Printing: the sheet of this type, then (or only) the flaw appendix.
bool TSimpleReport2Header::PreviewProtocol(void* sender) {
  return RunReportJob(*this, kType, TReportJobKind::Protocol, TReportJobOutput::Preview, sender);
}
bool TSimpleReport2Header::PrintProtocol(void* sender) {
  return RunReportJob(*this, kType, TReportJobKind::Protocol, TReportJobOutput::Print, sender);
}
bool TSimpleReport2Header::PreviewAppendix(void* sender) {
  return RunReportJob(*this, kType, TReportJobKind::Appendix, TReportJobOutput::Preview, sender);
}
bool TSimpleReport2Header::PrintAppendix(void* sender) {
  return RunReportJob(*this, kType, TReportJobKind::Appendix, TReportJobOutput::Print, sender);
}
bool TSimpleReport2Header::NextSheetRow(void*) {
  return NextSheetRowOf(*this, kType, Rows);
}
bool TSimpleReport2Header::NextAppendixPage(void*) {
  return NextAppendixPageOf(*this);
}
bool TSimpleReport2Header::FillSheetHeader() {
  return FillSheetHeaderOf(*this, kType, *this);
}

// ---- The report file ------------------------------------------------------------------------

namespace {

constexpr int kSingleLineFields = kReportHeaderFields - 1;
// The conclusion memo holds at most this many lines.
constexpr std::size_t kConclusionLines = 7;
constexpr const char* kLineEnd = "\r\n";

// Length of the line end at text[at]: CR LF, LF or a lone CR; 0 for none.
std::size_t LineEndAt(const std::string& text, std::size_t at) {
  if (text[at] == '\n') {
    return 1;
  }
  if (text[at] == '\r') {
    return at + 1 < text.size() && text[at + 1] == '\n' ? 2 : 1;
  }
  return 0;
}

// The pieces of text between its line ends: n line ends give n + 1 pieces.
std::vector<std::string> SplitAtLineEnds(const std::string& text) {
  std::vector<std::string> pieces(1);
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t end = LineEndAt(text, i);
    if (end == 0) {
      pieces.back() += text[i++];
    } else {
      pieces.emplace_back();
      i += end;
    }
  }
  return pieces;
}

// Fields 1..35 take one line each: a line break pasted into one of them
// would move every later field to the wrong line, so each line break
// (CR LF, LF or CR) is saved as one blank. This is the one change saving
// makes to a text.
std::string OnOneLine(const std::string& text) {
  std::string line;
  line.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t end = LineEndAt(text, i);
    if (end == 0) {
      line += text[i++];
    } else {
      line += ' ';
      i += end;
    }
  }
  return line;
}

std::string ReportFileText(const TReportHeaderFields& fields) {
  std::string text;
  for (int k = 1; k <= kSingleLineFields; ++k) {
    text += OnOneLine(fields.Field(k));
    text += kLineEnd;
  }
  // The conclusion is written line by line, so its first line is line 36
  // and its later lines follow it, as many as its memo holds: lines beyond
  // those go on the last one, joined by blanks, so that no text is lost and
  // the file reads back.
  std::vector<std::string> conclusion = SplitAtLineEnds(fields.Conclusion);
  for (std::size_t i = kConclusionLines; i < conclusion.size(); ++i) {
    conclusion[kConclusionLines - 1] += ' ' + conclusion[i];
  }
  conclusion.resize(std::min(conclusion.size(), kConclusionLines));
  for (const std::string& line : conclusion) {
    text += line;
    text += kLineEnd;
  }
  return text;
}

// The longest line a report file can hold. The fields' limits are at most
// 70 characters, one byte each in the file's code page, but text pasted
// into a panel is not cut yet: 64 KiB keeps whatever was saved readable and
// a damaged file from being held whole.
constexpr std::size_t kReportLineBytes = 64 * 1024;

[[noreturn]] void FailAtLine(const fs::path& path, std::size_t line, const std::string& why) {
  throw EInOutError("cannot read the report file " + path.string() + ": line " +
                    std::to_string(line) + " " + why);
}

}  // namespace

void SaveReportFile(const TReportHeaderFields& fields, const fs::path& path) {
  const std::string text = ReportFileText(fields);
  // Written to a temporary file beside the target and renamed over it only
  // when everything is on disk: a failed save leaves the previous file.
  const auto write = [&text](std::ostream& out) {
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
  };
  const std::string error = SaveFileSafely(path, write, "the report file ");
  if (!error.empty()) {
    throw EInOutError(error);
  }
}

void LoadReportFile(TReportHeaderFields& fields, const fs::path& path) {
  TInputFile file;
  if (std::string reason; !file.Open(path, reason)) {
    throw EInOutError("cannot open the report file " + path.string() + ": " + reason);
  }
  // Line k is field k; a short file leaves the missing fields empty. The
  // conclusion is line 36 and the lines after it, as many as its memo
  // holds; blank lines may follow, anything else is not a report file.
  TReportHeaderFields read;
  std::vector<std::string> conclusion;
  std::size_t number = 0;
  const auto take = [&](std::string_view line) {
    ++number;
    if (number <= static_cast<std::size_t>(kSingleLineFields)) {
      read.Field(static_cast<int>(number)) = std::string(line);
    } else if (conclusion.size() < kConclusionLines) {
      conclusion.emplace_back(line);
    } else if (!IsBlankLine(line)) {
      FailAtLine(path, number,
                 QuotedLine(line) + " is one line more than the conclusion's " +
                     std::to_string(kConclusionLines));
    }
  };
  TLineReader lines(file.Stream(), kReportLineBytes);
  std::string_view line;
  try {
    for (TLineRead r = lines.Next(line); r != TLineRead::End; r = lines.Next(line)) {
      if (r == TLineRead::TooLong) {
        FailAtLine(path, number + 1,
                   "is too long: a line of a report file holds at most " +
                       std::to_string(kReportLineBytes) + " bytes");
      }
      // A lone CR ends a line too (files from old Macs).
      for (std::size_t cr = line.find('\r'); cr != std::string_view::npos; cr = line.find('\r')) {
        take(line.substr(0, cr));
        line.remove_prefix(cr + 1);
      }
      take(line);
    }
  } catch (const EInOutError&) {
    throw;
  } catch (const std::exception& e) {
    throw EInOutError("cannot read the report file " + path.string() + ": " + e.what());
  }
  for (std::size_t i = 0; i < conclusion.size(); ++i) {
    read.Conclusion += (i > 0 ? kLineEnd : "") + conclusion[i];
  }
  fields = std::move(read);
}

}  // namespace velt
