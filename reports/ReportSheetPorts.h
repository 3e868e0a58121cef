// What the report headers drive when they print: the printed sheet of each
// report type, the flaw appendix and the job that produces their pages.
// Plain C++: the Qt drawing (velt_report_sheets) implements these, and the
// program installs it once at start; tests may give a header their own.
#pragma once

#include <array>
#include <string>
#include <vector>

#include <ports/Progress.h>
#include <records/UniversalDataObjectUnit.h>

namespace velt {

class TBaseReportHeader;
struct TReportHeaderFields;

// The captions of a protocol sheet that come from the report tab.
struct TSheetCaptions {
  std::string ControlObject;
  std::string ReasonAndDate;
  std::string ObjectDescription;
  std::string NormativeDocumentation;
  std::string DeviceType;
  std::string DeviceSerialNumber;
  std::string ProbeType;
  std::string ProbeSerialNumber;
  std::string CertificateNumber;
  std::string CertificateExpiry;
  std::string ControlCharacteristics;
  std::string Appendixes;
  std::string Conclusion;
  // The same for all four inspectors.
  std::string Specialist;
  std::string Level;
  std::string InspectorCertificate;
  std::string Issuing;
  std::string Expiry;
};

// One row of a sheet's flaw table.
struct TSheetRow {
  int EntryNumber = 0;  // 1, 2, ...
  int FlawNumber = 0;
  std::vector<std::string> Strings;  // row strings 1..7 (type 1) or 1..8 (type 2)
};

// One caption/value line of an appendix block.
struct TCaptionedValue {
  std::string Caption;
  std::string Value;
};

// The texts of one appendix block. Texts are model strings.
struct TAppendixBlock {
  std::string FlawNumber;
  std::string ConfigIndex;
  std::string ConfigName;
  std::string CaptureTime;  // blank unless the records carry a capture time
  std::string CaptureDate;
  std::array<TCaptionedValue, 8> Results;     // first column right of the picture
  std::array<TCaptionedValue, 7> Conditions;  // second column: parameters 0..6
  // The four columns below the picture.
  std::array<std::vector<TCaptionedValue>, 4> Parameters;
  std::string Comments;  // the record's comment lines, joined by line feeds
};

// A protocol sheet (type 1 or 2): the header it prints, its row counter
// and the flag that lets the column titles print once.
class IProtocolSheet {
 public:
  virtual ~IProtocolSheet() = default;
  virtual void SetHeaderFields(const TReportHeaderFields& fields) = 0;
  virtual void SetCaptions(const TSheetCaptions& captions) = 0;
  // Fills the table row band with the entry's values.
  virtual void SetRow(const TSheetRow& row) = 0;

  TBaseReportHeader* Header = nullptr;
  int RowCounter = 0;
  bool ColumnTitlesPending = true;
};

// The flaw appendix: the header it prints and its record counter.
class IAppendixSheet {
 public:
  virtual ~IAppendixSheet() = default;
  // The captions of the appendix come from the string files.
  virtual void SetCaptions() = 0;
  virtual void SetSheetNumber(int number) = 0;
  // Draws the record's picture and fills the block's values.
  virtual void SetBlock(TDataCell& record, const TAppendixBlock& block) = 0;

  TBaseReportHeader* Header = nullptr;
  int RecordCounter = 0;
  bool FirstBlockPending = true;
};

enum class TReportJobKind {
  Protocol,  // the header type's sheet, then the flaw appendix
  Appendix,  // the flaw appendix alone
};

enum class TReportJobOutput { Preview, Print };

// The printed sheets of the program, one object each for its whole life.
class IReportPrinting {
 public:
  virtual ~IReportPrinting() = default;
  virtual IProtocolSheet& Sheet(int type) = 0;
  virtual IAppendixSheet& Appendix() = 0;
  // Where the sheets report their progress, row by row.
  virtual IProgressFeedback& Progress() = 0;
  // Produces the pages of the header's job (its sheet of `type` and the
  // appendix, or the appendix alone), asking the header for rows and
  // records as they are needed, and shows them in a preview or prints
  // them. False when the job was not produced (no target, cancelled,
  // failed).
  virtual bool Run(TBaseReportHeader& header, int type, TReportJobKind kind,
                   TReportJobOutput output) = 0;
};

// The program's printed sheets, installed by the composition root (or
// veltctl); until then the headers' print operations answer false.
void SetReportPrinting(IReportPrinting* printing);
IReportPrinting* ReportPrinting();

}  // namespace velt
