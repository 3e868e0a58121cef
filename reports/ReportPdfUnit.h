// A protocol rendered straight to a PDF file, without a display or a
// printer: what veltctl and the tests use. Qt Gui only (QPdfWriter).
#pragma once

#include <filesystem>
#include <string>

#include <reports/ReportHeadersUnit.h>
#include <reports/ReportSheetPorts.h>

namespace velt {

struct TPdfReport {
  int Pages = 0;
  std::string Error;  // empty when the file was written
  bool Ok() const { return Error.empty(); }
};

// Renders the header's protocol (its type's sheet, then the flaw appendix)
// or, for TReportJobKind::Appendix, the appendix alone into `pdf`. The
// header's fields are filled into the sheet and the sheet captions are the
// report tab's initial ones. The file is written beside the target under a
// temporary name and renamed over it when complete: on failure no PDF is
// left and the target keeps what it held. Needs a QGuiApplication.
TPdfReport RenderReportToPdf(TBaseReportHeader& header, TReportJobKind kind,
                             const std::filesystem::path& pdf,
                             IProgressFeedback* progress = nullptr);

}  // namespace velt
