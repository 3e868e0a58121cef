// The print operations of the report headers, on the printed sheets the
// header is given (IReportPrinting): filling the sheet, handing out its
// rows and appendix records one at a time, and the order in which a
// preview or print job is prepared. Plain C++.
#pragma once

#include <vector>

#include <reports/ReportForm.h>
#include <reports/ReportHeadersUnit.h>
#include <reports/ReportSheetPorts.h>

namespace velt {

// The header's own sheets when it was given some, else the program's.
IReportPrinting* PrintingOf(const TBaseReportHeader& header);

// Counters to 0, the appendix given the header and its captions, the
// sheet given the header, appendix sheet 1; then the job is run and the
// header's after-print step follows. False without sheets or when the job
// was not produced.
bool RunReportJob(TBaseReportHeader& header, int type, TReportJobKind kind, TReportJobOutput output,
                  void* sender);

bool FillSheetHeaderOf(const TBaseReportHeader& header, int type,
                       const TReportHeaderFields& fields);

// The next table row of the sheet of `type`: true while rows remain.
bool NextSheetRowOf(const TBaseReportHeader& header, int type,
                    const std::vector<TFrameAdditionalData>& rows);

// The next appendix record: true while records remain.
bool NextAppendixPageOf(const TBaseReportHeader& header);

// The sheet captions of `type` from the report tab's labels and the
// string files.
TSheetCaptions SheetCaptionsOf(const IReportForm& form, int type);
void SetSheetCaptions(const TBaseReportHeader& header, int type, const IReportForm& form);

// The captions the report tab's labels show before anything changes them
// (their value strings), for sheets printed without the report tab.
TSheetCaptions DefaultSheetCaptions();

}  // namespace velt
