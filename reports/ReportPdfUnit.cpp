#include <reports/ReportPdfUnit.h>

#include <unistd.h>
#include <QPdfWriter>
#include <cstdio>
#include <system_error>

#include <reports/ReportJobsUnit.h>
#include <reports/ReportSheetForms.h>

namespace velt {

namespace fs = std::filesystem;

namespace {

// Writes every job it is given to one PDF file.
class TPdfSink : public IReportJobSink {
 public:
  explicit TPdfSink(fs::path path) : Path(std::move(path)) {}
  bool Preview(TReportJob& job) override { return Print(job); }
  bool Print(TReportJob& job) override {
    QPdfWriter writer(QString::fromStdString(Path.string()));
    writer.setTitle(job.Title());
    writer.setCreator(QStringLiteral("Velt Studio 3"));
    writer.setResolution(600);
    Pages = job.Render(writer);
    return Pages > 0;
  }
  int Pages = -1;

 private:
  fs::path Path;
};

}  // namespace

TPdfReport RenderReportToPdf(TBaseReportHeader& header, TReportJobKind kind, const fs::path& pdf,
                             IProgressFeedback* progress) {
  TPdfReport result;
  const fs::path folder = pdf.parent_path().empty() ? fs::path(".") : pdf.parent_path();
  std::error_code error;
  if (!fs::is_directory(folder, error)) {
    result.Error = "the folder " + folder.string() + " does not exist";
    return result;
  }
  if (fs::is_directory(pdf, error)) {
    result.Error = pdf.string() + " is a folder";
    return result;
  }
  const fs::path temporary =
      folder / ("." + pdf.filename().string() + "." + std::to_string(getpid()) + ".tmp");

  TSilentProgress silent;
  TPdfSink sink(temporary);
  TReportSheets sheets(sink, progress != nullptr ? *progress : silent);
  const int type =
      dynamic_cast<TSimpleReport2Header*>(&header) != nullptr ? kReportType2 : kReportType1;
  sheets.Sheet(type).SetCaptions(DefaultSheetCaptions());

  // The header prints on these sheets for the length of the call.
  IReportPrinting* const previous = header.Printing;
  header.Printing = &sheets;
  header.FillSheetHeader();
  const bool done = kind == TReportJobKind::Protocol ? header.PrintProtocol(nullptr)
                                                     : header.PrintAppendix(nullptr);
  header.Printing = previous;

  if (!done || sink.Pages <= 0) {
    fs::remove(temporary, error);
    result.Error = "cannot write the PDF file " + pdf.string();
    return result;
  }
  fs::rename(temporary, pdf, error);
  if (error) {
    fs::remove(temporary, error);
    result.Error = "cannot write the PDF file " + pdf.string() + ": " + error.message();
    return result;
  }
  result.Pages = sink.Pages;
  return result;
}

}  // namespace velt
