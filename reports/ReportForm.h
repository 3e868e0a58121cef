// What a report header reads and fills on the report tab: the header
// fields of the panel of each report type, and that type's report grid.
// The GUI implements it with the two header panels; tests with a fake.
// Texts are model strings (Windows-1251 bytes).
#pragma once

#include <string>

namespace velt {

// The report types: 1 = TSimpleReportHeader, 2 = TSimpleReport2Header.
inline constexpr int kReportType1 = 1;
inline constexpr int kReportType2 = 2;
inline constexpr int kReportHeaderFields = 36;

// The panel labels whose texts the printed sheet takes as its captions.
// Each type has its own panel; the inspector captions (Specialist, Issuing,
// Expiry) are always read from the type-1 panel.
enum class TSheetCaptionLabel {
  ControlObject,           // CObjectValCaptionLabel / CObject2ValCaptionLabel
  ReasonAndDate,           // CtrlReasonandDataCaptionLabel / ...2...
  ObjectDescription,       // CtrObjectDescriptionCaptionLabel / ...2...
  NormativeDocumentation,  // CtrlNTDDocumentationCaptionLabel / ...2...
  DeviceType,              // DeviceTypeCaptionLabel / DeviceType2CaptionLabel
  CertificateNumber,       // SertifNumValCaptionLabel / SertifNum2ValCaptionLabel
  CertificateExpiry,       // SertifDateValCaptionLabel / SertifDate2ValCaptionLabel
  ProbeSerialNumber,       // ProbeSeNumValCaptionLabel / ProbeSeNum2ValCaptionLabel
  ControlCharacteristics,  // CtrlCharacteristicsCaptionLabel / ...2...
  Appendixes,              // ControlREsultsAppendixesLabel / ...2...
  Conclusion,              // ZakljuchenijeLabel / ...2...
  Specialist,              // Label23 (type 1 only)
  Issuing,                 // Label9 (type 1 only)
  Expiry,                  // Label10 (type 1 only)
};

class IReportForm {
 public:
  virtual ~IReportForm() = default;

  // Whether this form is the program's main window (the headers add and
  // remove records only for it).
  virtual bool IsMainWindow() const = 0;

  // Header field 1..36 (in report file order) of the panel of `type`.
  virtual std::string HeaderFieldText(int type, int field) const = 0;
  virtual void SetHeaderFieldText(int type, int field, const std::string& text) = 0;

  // The report grid of `type`: row 0 holds the column titles.
  virtual int ReportGridRowCount(int type) const = 0;
  virtual void SetReportGridRowCount(int type, int rows) = 0;
  virtual std::string ReportGridCell(int type, int column, int row) const = 0;
  virtual void SetReportGridCell(int type, int column, int row, const std::string& text) = 0;

  // The text of a caption label of the panel of `type`. A form without
  // the labels gives empty captions.
  virtual std::string SheetCaptionText(int type, TSheetCaptionLabel label) const {
    (void)type;
    (void)label;
    return {};
  }
};

}  // namespace velt
