#include <reports/ReportJobsUnit.h>

#include <cmath>

#include <reports/AppendixValuesUnit.h>
#include <strings/LocalStringsUnit.h>

namespace velt {

namespace {

IReportPrinting* ProgramPrinting = nullptr;

constexpr std::uint16_t kProbeNameCaption = 100;      // value string
constexpr std::uint16_t kLevelCaption = 103;          // value string
constexpr std::uint16_t kInspectorCertificate = 158;  // value string

int Percent(int done, int count) {
  return static_cast<int>(std::lround(done * 100.0 / count));
}

}  // namespace

void SetReportPrinting(IReportPrinting* printing) {
  ProgramPrinting = printing;
}

IReportPrinting* ReportPrinting() {
  return ProgramPrinting;
}

IReportPrinting* PrintingOf(const TBaseReportHeader& header) {
  return header.Printing != nullptr ? header.Printing : ProgramPrinting;
}

bool RunReportJob(TBaseReportHeader& header, int type, TReportJobKind kind, TReportJobOutput output,
                  void* sender) {
  IReportPrinting* printing = PrintingOf(header);
  if (printing == nullptr) {
    return false;
  }
  IProtocolSheet& sheet = printing->Sheet(type);
  IAppendixSheet& appendix = printing->Appendix();
  sheet.RowCounter = 0;
  appendix.RecordCounter = 0;
  appendix.Header = &header;
  appendix.SetCaptions();
  sheet.Header = &header;
  appendix.SetSheetNumber(1);
  const bool done = printing->Run(header, type, kind, output);
  header.AfterPrint(sender);
  return done;
}

bool FillSheetHeaderOf(const TBaseReportHeader& header, int type,
                       const TReportHeaderFields& fields) {
  IReportPrinting* printing = PrintingOf(header);
  if (printing == nullptr) {
    return false;
  }
  printing->Sheet(type).SetHeaderFields(fields);
  return true;
}

bool NextSheetRowOf(const TBaseReportHeader& header, int type,
                    const std::vector<TFrameAdditionalData>& rows) {
  IReportPrinting* printing = PrintingOf(header);
  if (printing == nullptr) {
    return false;
  }
  IProtocolSheet& sheet = printing->Sheet(type);
  const int count = header.Count();
  if (sheet.RowCounter < 0 || sheet.RowCounter >= count) {
    printing->Progress().SetProgress(100);
    return false;
  }
  const auto i = static_cast<std::size_t>(sheet.RowCounter);
  TSheetRow row;
  row.EntryNumber = sheet.RowCounter + 1;
  row.FlawNumber = header.FlawList()[i]->FlawNumber;
  if (i < rows.size()) {
    row.Strings = rows[i].Strings;
  }
  sheet.SetRow(row);
  printing->Progress().SetProgress(Percent(sheet.RowCounter, count));
  ++sheet.RowCounter;
  return true;
}

bool NextAppendixPageOf(const TBaseReportHeader& header) {
  IReportPrinting* printing = PrintingOf(header);
  if (printing == nullptr) {
    return false;
  }
  IAppendixSheet& appendix = printing->Appendix();
  const int count = header.Count();
  if (appendix.RecordCounter < 0 || appendix.RecordCounter >= count) {
    printing->Progress().SetProgress(100);
    return false;
  }
  const int k = appendix.RecordCounter;
  // The detail band fits twice on a page: sheet n holds records 2n-1, 2n.
  appendix.SetSheetNumber((k + 2) / 2);
  TDataCell& record = *header.FlawList()[static_cast<std::size_t>(k)];
  appendix.SetBlock(record, AppendixBlockOf(record, header.FlawDeviceType));
  printing->Progress().SetProgress(Percent(k, count));
  ++appendix.RecordCounter;
  return true;
}

TSheetCaptions SheetCaptionsOf(const IReportForm& form, int type) {
  using L = TSheetCaptionLabel;
  const auto label = [&form, type](L which) { return form.SheetCaptionText(type, which); };
  TSheetCaptions c;
  c.ControlObject = label(L::ControlObject);
  c.ReasonAndDate = label(L::ReasonAndDate);
  c.ObjectDescription = label(L::ObjectDescription);
  c.NormativeDocumentation = label(L::NormativeDocumentation);
  c.DeviceType = label(L::DeviceType);
  c.CertificateNumber = label(L::CertificateNumber);
  c.CertificateExpiry = label(L::CertificateExpiry);
  c.ControlCharacteristics = label(L::ControlCharacteristics);
  c.Appendixes = label(L::Appendixes);
  c.Conclusion = label(L::Conclusion);
  // Both serial numbers carry the probe serial number's caption.
  c.DeviceSerialNumber = label(L::ProbeSerialNumber);
  c.ProbeSerialNumber = c.DeviceSerialNumber;
  c.ProbeType = ValueString(kProbeNameCaption);
  // The inspectors' captions of both types are the type-1 panel's.
  c.Specialist = form.SheetCaptionText(kReportType1, L::Specialist);
  c.Issuing = form.SheetCaptionText(kReportType1, L::Issuing);
  c.Expiry = form.SheetCaptionText(kReportType1, L::Expiry);
  c.Level = ValueString(kLevelCaption);
  c.InspectorCertificate = ValueString(kInspectorCertificate);
  return c;
}

void SetSheetCaptions(const TBaseReportHeader& header, int type, const IReportForm& form) {
  if (IReportPrinting* printing = PrintingOf(header)) {
    printing->Sheet(type).SetCaptions(SheetCaptionsOf(form, type));
  }
}

TSheetCaptions DefaultSheetCaptions() {
  TSheetCaptions c;
  c.ControlObject = ValueString(75);
  c.ReasonAndDate = ValueString(76);
  c.ObjectDescription = ValueString(77);
  c.NormativeDocumentation = ValueString(78);
  c.DeviceType = ValueString(79);
  c.CertificateNumber = ValueString(81);
  c.CertificateExpiry = ValueString(82);
  c.DeviceSerialNumber = ValueString(84);
  c.ProbeSerialNumber = c.DeviceSerialNumber;
  c.ControlCharacteristics = ValueString(85);
  c.Appendixes = ValueString(97);
  c.Conclusion = ValueString(98);
  c.ProbeType = ValueString(kProbeNameCaption);
  c.Specialist = ValueString(92);
  c.Expiry = ValueString(95);
  c.Issuing = ValueString(96);
  c.Level = ValueString(kLevelCaption);
  c.InspectorCertificate = ValueString(kInspectorCertificate);
  return c;
}

}  // namespace velt
