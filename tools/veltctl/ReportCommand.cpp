#include "ReportCommand.h"

#include <unistd.h>

#include <QGuiApplication>
#include <cstdlib>
#include <exception>
#include <memory>
#include <string>
#include <vector>

#include <config/TextRecordIO.h>
#include <records/RecordFilesUnit.h>
#include <reports/ReportPdfUnit.h>
#include <strings/LocalStringsUnit.h>

#include "TerminalPorts.h"
#include "TextEncoding.h"

namespace veltctl {
namespace {

// The headers add records only for the program's main window; here veltctl
// stands in for it. It has no report tab: no fields, no grid, no captions.
class TCommandLineForm : public velt::IReportForm {
 public:
  bool IsMainWindow() const override { return true; }
  std::string HeaderFieldText(int, int) const override { return {}; }
  void SetHeaderFieldText(int, int, const std::string&) override {}
  int ReportGridRowCount(int) const override { return 0; }
  void SetReportGridRowCount(int, int) override {}
  std::string ReportGridCell(int, int, int) const override { return {}; }
  void SetReportGridCell(int, int, int, const std::string&) override {}
};

// Qt's note that a session without XDG_RUNTIME_DIR (cron, a CI job) gets a
// runtime folder of its own concerns the display, which veltctl does not
// use; every other message of Qt goes where Qt would send it.
QtMessageHandler QtHandler = nullptr;
void FilterQtMessages(QtMsgType type, const QMessageLogContext& context, const QString& text) {
  if (type == QtWarningMsg && text.startsWith(QStringLiteral("QStandardPaths: XDG_RUNTIME_DIR"))) {
    return;
  }
  QtHandler(type, context, text);
}

int UsageFailure(std::ostream& err, const std::string& message) {
  err << "veltctl: " << message << '\n' << UsageHint(TCommand::Report) << '\n';
  return kExitUsage;
}

int FileFailure(std::ostream& err, const std::string& file, const std::string& message) {
  err << "veltctl: " << file << ": " << TerminalText(message) << '\n';
  return kExitFileFailure;
}

// "1,3,5": flaw numbers 0..65535 separated by commas.
bool ParseFlawNumbers(const std::string& text, std::vector<std::uint16_t>& numbers,
                      std::string& wrong) {
  std::size_t from = 0;
  while (true) {
    const std::size_t comma = text.find(',', from);
    const std::string item = text.substr(from, comma == std::string::npos ? comma : comma - from);
    long long n = -1;
    if (!velt::ParseDecimalInteger(item, n) || n < 0 || n > 65535) {
      wrong = item;
      return false;
    }
    numbers.push_back(static_cast<std::uint16_t>(n));
    if (comma == std::string::npos) {
      return true;
    }
    from = comma + 1;
  }
}

// The records of the protocol, in the order they are to be printed; on a
// usage error says why and returns false.
bool ChooseRecords(const TCommandLine& line, velt::TFlawDataBlock& file,
                   std::vector<velt::TDataCell*>& chosen, std::string& why) {
  if (line.RecordsGiven) {
    std::vector<std::uint16_t> numbers;
    std::string wrong;
    if (!ParseFlawNumbers(line.FlawNumbers, numbers, wrong)) {
      why = "--records takes flaw numbers 0..65535 separated by commas, not '" + wrong + "'";
      return false;
    }
    // Each number takes every record of that flaw number, in file order.
    for (const std::uint16_t number : numbers) {
      bool found = false;
      for (const auto& record : file.Records) {
        if (record->FlawNumber == number) {
          chosen.push_back(record.get());
          found = true;
        }
      }
      if (!found) {
        why = "flaw " + std::to_string(number) + " is not in " + line.File;
        return false;
      }
    }
    return true;
  }
  for (const auto& record : file.Records) {
    if (record->PrintFlag != 0) {
      chosen.push_back(record.get());
    }
  }
  if (line.Marked && chosen.empty()) {
    why = "no record of " + line.File + " is marked for printing";
    return false;
  }
  return true;
}

}  // namespace

int RunReport(const TCommandLine& line, int& argc, char** argv, std::ostream& out,
              std::ostream& err) {
  if (line.ReportType != "1" && line.ReportType != "2") {
    return UsageFailure(err, "the report type must be 1 or 2, not '" + line.ReportType + "'");
  }
  std::unique_ptr<velt::TBaseReportHeader> header;
  if (line.ReportType == "1") {
    header = std::make_unique<velt::TSimpleReportHeader>();
  } else {
    header = std::make_unique<velt::TSimpleReport2Header>();
  }
  try {
    header->LoadFromFile(line.Header);
  } catch (const std::exception& e) {
    err << "veltctl: " << TerminalText(e.what()) << '\n';
    return kExitFileFailure;
  }
  velt::TFlawDataBlock records;
  // The protocol's numbers in the user's locale, as the program prints them.
  records.NumberFormat = UserNumberFormat();
  if (const velt::TFileResult opened = velt::OpenRecordFile(records, line.File); !opened) {
    return FileFailure(err, line.File, opened.Error);
  }
  std::vector<velt::TDataCell*> chosen;
  if (std::string why; !ChooseRecords(line, records, chosen, why)) {
    return UsageFailure(err, why);
  }
  if (chosen.empty() && line.AppendixOnly) {
    return UsageFailure(err, "no records for the flaw appendix: " + line.File +
                                 " has no record marked for printing; choose them with --records");
  }
  if (chosen.empty()) {
    err << "veltctl: warning: no record of " << line.File
        << " is marked for printing: the protocol lists no flaws\n";
  }
  TCommandLineForm form;
  header->FlawDeviceType = records.DeviceType;
  for (velt::TDataCell* record : chosen) {
    header->AddFlaw(form, *record, false);
  }

  // The appendix captions and value texts come from the string files.
  TTerminalFeedback feedback(err);
  velt::TLocalStrings strings(feedback);
  if (!LoadStrings(strings, err)) {
    return kExitFileFailure;
  }
  velt::SetProgramStrings(&strings);
  struct TUninstall {
    ~TUninstall() { velt::SetProgramStrings(nullptr); }
  } uninstall;

  // The pages are drawn with Qt Gui; no display is needed or asked for.
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
  }
  QtHandler = qInstallMessageHandler(FilterQtMessages);
  const QGuiApplication application(argc, argv);
  TTerminalProgress progress(err, ::isatty(STDERR_FILENO) == 1);
  const velt::TPdfReport written = velt::RenderReportToPdf(
      *header, line.AppendixOnly ? velt::TReportJobKind::Appendix : velt::TReportJobKind::Protocol,
      line.Out, &progress);
  if (!written.Ok()) {
    err << "veltctl: " << TerminalText(written.Error) << '\n';
    return kExitFileFailure;
  }
  out << line.Out << ": " << written.Pages << (written.Pages == 1 ? " page" : " pages") << '\n';
  return kExitOk;
}

}  // namespace veltctl
