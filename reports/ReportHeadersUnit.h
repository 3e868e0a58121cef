// The report headers: the 36 header fields of an inspection protocol, the
// flaw records chosen for it with one row of free text each, and the report
// file (".rct") that stores the header fields as plain text.
//
// Type 1 (TSimpleReportHeader) and type 2 (TSimpleReport2Header) hold the
// same fields and differ in their row records and in the panel and report
// grid of the report tab they read and fill (through IReportForm).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include <records/UniversalDataObjectUnit.h>
#include <reports/ReportForm.h>
#include <reports/ReportSheetPorts.h>

namespace velt {

// The texts one record's report-grid row carries: 7 strings in type 1,
// 8 in type 2. Strings[0] is row string 1.
struct TFrameAdditionalData {
  explicit TFrameAdditionalData(std::size_t strings) : Strings(strings) {}
  std::vector<std::string> Strings;
};

// One inspector of the header (fields 14-18, 19-23, 24-28, 29-33).
struct TReportInspector {
  std::string InspectorName;
  std::string InspectorLevel;
  std::string InspectorCertificateNumber;
  std::string InspectorCertificateExpiry;
  std::string InspectorIssuingOrganization;
};

// The 36 header fields, in report file order. Texts are Windows-1251 bytes.
struct TReportHeaderFields {
  std::string OrganizationName;                // 1
  std::string ProtocolDate;                    // 2
  std::string ProtocolNumber;                  // 3
  std::string ControlObject;                   // 4
  std::string ControlReasonAndDate;            // 5
  std::string ObjectDescription;               // 6
  std::string NormativeDocumentation;          // 7
  std::string DeviceType;                      // 8: the instrument model, as typed
  std::string DeviceSerialNumber;              // 9
  std::string CertificateValidUntil;           // 10
  std::string ProbeType;                       // 11
  std::string ProbeSerialNumber;               // 12
  std::string CertificateNumber;               // 13
  std::array<TReportInspector, 4> Inspectors;  // 14..33, five fields each
  std::string ControlCharacteristics;          // 34
  std::string Appendixes;                      // 35
  std::string Conclusion;                      // 36: several lines, joined by CR LF

  // Field 1..36 by its number in the report file; std::out_of_range
  // for any other number.
  std::string& Field(int number);
  const std::string& Field(int number) const;
};

// What every report header has: the records of the report (not owned) and
// the device type of the collection they came from.
class TBaseReportHeader {
 public:
  TBaseReportHeader() = default;
  virtual ~TBaseReportHeader() = default;
  TBaseReportHeader(const TBaseReportHeader&) = delete;
  TBaseReportHeader& operator=(const TBaseReportHeader&) = delete;

  // ---- The slot table: every virtual operation in slot order ----
  // 1. Appends the record (duplicates are not refused) and returns the new
  //    count; -1 and no change when the form is not the main window.
  virtual int AddFlaw(IReportForm& form, TDataCell& record, bool refresh);
  // 2. Removes the first entry of the record, closing the gap; returns the count.
  virtual int RemoveFlaw(IReportForm& form, TDataCell& record, bool refresh);
  // 3-5. Unused slots: answer true and do nothing, in every type.
  virtual bool ReservedSlot3(void* argument);
  virtual bool ReservedSlot4();
  virtual bool ReservedSlot5();
  // 6-7. The report file. The base header has no fields: true, nothing done.
  virtual bool SaveToFile(const std::filesystem::path& path);
  virtual bool LoadFromFile(const std::filesystem::path& path);
  // 8. Empties the flaw list.
  virtual void ClearFlaws();
  // 9-12. The report tab. The base header has nothing to show or read.
  virtual void ShowRows(IReportForm& form);
  virtual void ShowHeader(IReportForm& form);
  virtual void ReadRows(IReportForm& form);
  virtual void ReadHeader(IReportForm& form);
  // 13-21. Printing (sender: the object that asked), on the printed sheets
  // of Printing or, when it is null, the program's (ReportPrinting()). The
  // base header has no sheet: its print operations answer false; the
  // before-sheet and after-print steps do nothing and answer true.
  virtual bool PreviewProtocol(void* sender);
  virtual bool PrintProtocol(void* sender);
  virtual bool PreviewAppendix(void* sender);
  virtual bool PrintAppendix(void* sender);
  virtual bool NextSheetRow(void* sender);
  virtual bool NextAppendixPage(void* sender);
  virtual bool BeforeSheet(void* sender);
  virtual bool FillSheetHeader();
  virtual bool AfterPrint(void* sender);
  // 22. Whether the form is the program's main window.
  virtual bool IsMainForm(const IReportForm& form) const;
  // ---- end of the slot table ----

  const std::vector<TDataCell*>& FlawList() const { return Flaws; }
  std::uint16_t Count() const { return FlawCount; }

  // The printed sheets this header prints on; null: the program's.
  IReportPrinting* Printing = nullptr;

  // The device type of the flaw collection (TFlawDataBlock::DeviceType),
  // copied by the callers each time they add records; 2 = the records carry
  // a capture date and time. (Named apart from header field 8, DeviceType,
  // the instrument model the user types.)
  std::uint8_t FlawDeviceType = 0;

 private:
  std::vector<TDataCell*> Flaws;
  std::uint16_t FlawCount = 0;
};

// Report type 1: 9 grid columns, entry number in column 0, flaw number in
// column 7, row strings 1..6 in columns 1..6 and string 7 in column 8.
class TSimpleReportHeader : public TBaseReportHeader, public TReportHeaderFields {
 public:
  static constexpr int kType = kReportType1;
  static constexpr int kGridColumns = 9;
  static constexpr std::size_t kRowStrings = 7;

  // The overridden slots, in slot order. The reserved slots, the
  // before-sheet and after-print steps and IsMainForm are the base's.
  int AddFlaw(IReportForm& form, TDataCell& record, bool refresh) override;
  int RemoveFlaw(IReportForm& form, TDataCell& record, bool refresh) override;
  bool SaveToFile(const std::filesystem::path& path) override;
  bool LoadFromFile(const std::filesystem::path& path) override;
  void ClearFlaws() override;
  void ShowRows(IReportForm& form) override;
  void ShowHeader(IReportForm& form) override;
  void ReadRows(IReportForm& form) override;
  void ReadHeader(IReportForm& form) override;
  bool PreviewProtocol(void* sender) override;
  bool PrintProtocol(void* sender) override;
  bool PreviewAppendix(void* sender) override;
  bool PrintAppendix(void* sender) override;
  bool NextSheetRow(void* sender) override;
  bool NextAppendixPage(void* sender) override;
  bool FillSheetHeader() override;

  // Always Count() entries, entry i belonging to FlawList()[i].
  const std::vector<TFrameAdditionalData>& RowRecords() const { return Rows; }

  // The last report-grid cell the report tab showed a hint for.
  std::uint8_t LastHintColumn = 255;
  std::uint8_t LastHintRow = 255;

 private:
  std::vector<TFrameAdditionalData> Rows;
};

// Report type 2: 10 grid columns, entry number in column 0, flaw number in
// column 1, row strings 1..8 in columns 2..9.
class TSimpleReport2Header : public TBaseReportHeader, public TReportHeaderFields {
 public:
  static constexpr int kType = kReportType2;
  static constexpr int kGridColumns = 10;
  static constexpr std::size_t kRowStrings = 8;

  // The overridden slots, in slot order (as in type 1).
  int AddFlaw(IReportForm& form, TDataCell& record, bool refresh) override;
  int RemoveFlaw(IReportForm& form, TDataCell& record, bool refresh) override;
  bool SaveToFile(const std::filesystem::path& path) override;
  bool LoadFromFile(const std::filesystem::path& path) override;
  void ClearFlaws() override;
  void ShowRows(IReportForm& form) override;
  void ShowHeader(IReportForm& form) override;
  void ReadRows(IReportForm& form) override;
  void ReadHeader(IReportForm& form) override;
  bool PreviewProtocol(void* sender) override;
  bool PrintProtocol(void* sender) override;
  bool PreviewAppendix(void* sender) override;
  bool PrintAppendix(void* sender) override;
  bool NextSheetRow(void* sender) override;
  bool NextAppendixPage(void* sender) override;
  bool FillSheetHeader() override;

  // Always Count() entries, entry i belonging to FlawList()[i].
  const std::vector<TFrameAdditionalData>& RowRecords() const { return Rows; }

  // The last report-grid cell the report tab showed a hint for.
  std::uint8_t LastHintColumn = 255;
  std::uint8_t LastHintRow = 255;

 private:
  std::vector<TFrameAdditionalData> Rows;
};

// The report file: the 36 header fields, one a line, each line ended by
// CR LF, bytes as they are, no title. The conclusion takes line 36 and the
// lines after it, at most the 7 its memo holds, so its later lines survive a
// save and a load; blank lines may follow. A line break inside fields 1..35
// is saved as a blank (it would shift every later line), and so is each
// line break after the conclusion's 7th line: the changes saving makes.
// Reading refuses a line longer than 64 KiB, text after the conclusion and
// anything but a regular file. Saving goes through a temporary file beside
// the target; both raise EInOutError naming the path when the file cannot
// be created, written or opened.
void SaveReportFile(const TReportHeaderFields& fields, const std::filesystem::path& path);
void LoadReportFile(TReportHeaderFields& fields, const std::filesystem::path& path);

}  // namespace velt
