// The printed protocol rendered to PDF, as veltctl and the GUI's PDF
// export do it:
//
//   ReportBench [benchmark options]
//
// "Appendix500Records": the flaw appendix of 500 records (250 pages, each
// block with its signal picture); "Sheet500Rows": the type-1 sheet with a
// 500-row table. Each reports its pages and ms per page. Targets: at most 40 ms per page, and a
// peak resident size below 300 MB at the end (pages are drawn as they come and not held). Exit
// status 1 when a target is missed.
#include <sys/resource.h>

#include <QGuiApplication>
#include <QPdfWriter>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <memory>
#include <vector>

#include <benchmark/benchmark.h>

#include <config/ConfigObject5_01ver_Unit.h>
#include <reports/BandEngine.h>
#include <reports/ReportJobsUnit.h>
#include <reports/ReportPdfUnit.h>
#include <reports/ReportSheetForms.h>
#include <strings/LocalStringsUnit.h>

namespace {

using namespace velt;

constexpr double kTargetMsPerPage = 40;
constexpr long kTargetPeakMb = 300;
constexpr int kRecords = 500;

bool gMissed = false;

class TQuietFeedback : public IUserFeedback {
 public:
  void ShowMessage(std::string_view caption, std::string_view text, TMessageIcon) override {
    std::cerr << "message: " << caption << ": " << text << '\n';
  }
  bool AskYesNo(std::string_view, std::string_view, TMessageIcon, TAnswer) override {
    return false;
  }
};

class TMainForm : public IReportForm {
 public:
  bool IsMainWindow() const override { return true; }
  std::string HeaderFieldText(int, int) const override { return {}; }
  void SetHeaderFieldText(int, int, const std::string&) override {}
  int ReportGridRowCount(int) const override { return kRecords + 1; }
  void SetReportGridRowCount(int, int) override {}
  std::string ReportGridCell(int, int column, int row) const override {
    return "r" + std::to_string(row) + "c" + std::to_string(column);
  }
  void SetReportGridCell(int, int, int, const std::string&) override {}
};

// 500 firmware 5.01 records with a 45° probe and an A-scan with two echoes.
std::vector<std::unique_ptr<TDataCell>> MakeRecords() {
  std::vector<std::unique_ptr<TDataCell>> records;
  for (int i = 0; i < kRecords; ++i) {
    auto record = std::make_unique<TDataCell>();
    record->AttachOwned(std::make_unique<T5_01ConfigCell>());
    TBaseConfigCell& cell = *record->Configuration();
    cell.Initialise();
    cell.SetDefaults(1);
    cell.SetInsertionAngle(45);
    cell.THICKNESS = 20;
    for (std::size_t c = 0; c < record->FirstMaximums.size(); ++c) {
      const int echo = (c > 80 && c < 90)     ? 150
                       : (c > 200 && c < 215) ? 110
                                              : static_cast<int>(c % 7);
      record->FirstMaximums[c] = static_cast<std::uint8_t>(echo);
    }
    record->FlawNumber = static_cast<std::uint16_t>(i + 1);
    record->Comments = {"weld " + std::to_string(i + 1)};
    records.push_back(std::move(record));
  }
  return records;
}

// The appendix alone through the PDF function veltctl uses, or the type-1
// sheet alone drawn by the band engine onto a PDF writer.
void Render(benchmark::State& state, bool appendix) {
  auto records = MakeRecords();
  TMainForm form;
  TSimpleReportHeader header;
  header.OrganizationName = "Lab";
  header.Conclusion = "Fit for service";
  header.Inspectors[0].InspectorName = "Smith";
  for (auto& record : records) {
    header.AddFlaw(form, *record, false);
  }
  header.ReadRows(form);
  const std::filesystem::path pdf =
      std::filesystem::temp_directory_path() / "velt-report-bench.pdf";
  int pages = 0;
  double seconds = 0;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    if (appendix) {
      pages = RenderReportToPdf(header, TReportJobKind::Appendix, pdf).Pages;
    } else {
      struct TNoSink : IReportJobSink {
        bool Preview(TReportJob&) override { return false; }
        bool Print(TReportJob&) override { return false; }
      } none;
      TSilentProgress silent;
      TReportSheets sheets(none, silent);
      header.Printing = &sheets;
      header.FillSheetHeader();
      sheets.Sheet1.SetCaptions(DefaultSheetCaptions());
      sheets.Sheet1.Header = &header;
      QPdfWriter writer(QString::fromStdString(pdf.string()));
      writer.setResolution(600);
      TBandPrinter printer(writer);
      if (printer.Begin()) {
        printer.Print(sheets.Sheet1.Layout());
      }
      pages = printer.End();
      header.Printing = nullptr;
    }
    seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  }
  std::filesystem::remove(pdf);
  const double msPerPage =
      pages > 0 ? seconds * 1000 / static_cast<double>(state.iterations()) / pages : 1e9;
  state.counters["pages"] = pages;
  state.counters["ms_per_page"] = msPerPage;
  if (pages <= 0 || msPerPage > kTargetMsPerPage) {
    gMissed = true;
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
  }
  QGuiApplication application(argc, argv);
  TQuietFeedback feedback;
  TLocalStrings strings(feedback);
  if (!strings.LoadStringFiles(VELT_RUNTIME_DIR "/strings")) {
    std::cerr << "the string files in " VELT_RUNTIME_DIR "/strings cannot be read\n";
    return 2;
  }
  SetProgramStrings(&strings);
  benchmark::Initialize(&argc, argv);
  benchmark::RegisterBenchmark("Appendix500Records", Render, true)
      ->Unit(benchmark::kMillisecond)
      ->Iterations(1);
  benchmark::RegisterBenchmark("Sheet500Rows", Render, false)
      ->Unit(benchmark::kMillisecond)
      ->Iterations(1);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  const long peakMb = usage.ru_maxrss / 1024;
  std::cout << "peak resident size: " << peakMb << " MB (target below " << kTargetPeakMb
            << " MB)\n";
  if (peakMb >= kTargetPeakMb) {
    gMissed = true;
  }
  SetProgramStrings(nullptr);
  return gMissed ? 1 : 0;
}
