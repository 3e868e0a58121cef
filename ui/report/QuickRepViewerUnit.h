// The preview window of printed reports (TQuickRepViewerForm), the
// recording of a job's pages for it, and the job sink through which the
// report headers preview and print: preview in this window, print through
// the system's print dialog and printers.
#pragma once

#include <QLabel>
#include <QMainWindow>
#include <QPointer>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>

#include <ports/UserFeedback.h>
#include <reports/ReportSheetForms.h>
#include <strings/LocalStringsUnit.h>
#include <ui/report/QuickReportFileUnit.h>

class QPrinter;
class QPrintPreviewWidget;
class QTabWidget;
class QToolButton;

namespace velt {

class IFileDialogs;

// Draws a job's pages once, each into a picture, at `dpi`.
TRenderedReport RecordJob(TReportJob& job, double dpi = 1200.0);

// The preview buttons in toolbar order, with the value strings of their
// hints (their pictures are the program's own, by name).
struct TPreviewButton {
  const char* Name;
  std::uint16_t Hint;
};
inline constexpr TPreviewButton kPreviewButtons[] = {
    {"ZoomToFitButton", 138},  {"Zoom100Button", 139},    {"ZoomToWidthButton", 140},
    {"FirstPageButton", 141},  {"PrevPageButton", 142},   {"NextPageButton", 143},
    {"LastPageButton", 144},   {"GotoPageButton", 145},   {"PrintSetupButton", 146},
    {"PrintButton", 147},      {"SaveReportButton", 148}, {"OpenReportButton", 149},
};

class TQuickRepViewerForm : public QMainWindow {
  Q_OBJECT

 public:
  TQuickRepViewerForm(const TLocalStrings& strings, IUserFeedback& feedback,
                      QWidget* parent = nullptr);
  ~TQuickRepViewerForm() override;

  // The window's texts from the string files (again after they are loaded).
  void LoadTexts();
  // Shows the pages from the first one.
  void ShowReport(TRenderedReport report);
  const TRenderedReport& Report() const { return Pages; }
  int CurrentPage() const;

  // Reads a saved report into the window and shows it; a file that does not
  // read whole is reported and nothing changes.
  bool OpenFile(const std::filesystem::path& path);
  // The open dialog of the report tab's OpenQRPReportAction, then OpenFile.
  bool OpenChosen(IFileDialogs& dialogs);
  // The window's own open and save buttons.
  bool OpenReport();
  bool SaveReport();
  // ".pdf" saves a PDF, anything else a saved report.
  bool SaveTo(const std::filesystem::path& path);
  bool Print();
  void PrintSetup();
  void GotoPage();

  // Shown in the status bar while a job is made ready, drawn or printed.
  enum class TStatus { None, Preparing, Drawing, Printing };
  void SetStatus(TStatus status);
  QString StatusText() const;
  QString PageCountText() const;

  // Where the window asks for file names and for a printer; tests answer
  // here. ChoosePrinter: false when the user cancelled.
  void SetFileDialogs(std::unique_ptr<IFileDialogs> dialogs);
  std::function<bool(QPrinter& printer)> ChoosePrinter;

  QPrintPreviewWidget& PreviewWidget() const { return *Preview; }
  QTabWidget& Tabs() const { return *PageTabs; }

 private:
  void Paint(QPrinter* printer);
  void Refresh();
  void ShowMessage(std::uint16_t error, const std::string& reason);

  const TLocalStrings& Strings;
  IUserFeedback& Feedback;
  TRenderedReport Pages;
  std::unique_ptr<IFileDialogs> Dialogs;
  std::unique_ptr<QPrinter> PreviewPrinter;
  std::unique_ptr<QPrinter> SetupPrinter;
  QTabWidget* PageTabs;
  QPrintPreviewWidget* Preview;
  QToolButton* CloseButton;
  QLabel* PageCountLabel;
  QLabel* StatusLabel;
  TStatus Status = TStatus::None;
};

// The jobs of the report headers in the GUI: a preview in the viewer, a
// print through the system's print dialog (ChoosePrinter) and printer.
class TGuiReportJobSink : public IReportJobSink {
 public:
  void SetViewer(TQuickRepViewerForm* viewer) { Viewer = viewer; }
  bool Preview(TReportJob& job) override;
  bool Print(TReportJob& job) override;
  // The system's print dialog by default; tests choose a queue here.
  std::function<bool(QPrinter& printer)> ChoosePrinter;

 private:
  QPointer<TQuickRepViewerForm> Viewer;
};

// The system's print dialog over the printer: false when cancelled.
bool ShowPrintDialog(QPrinter& printer, QWidget* owner);

}  // namespace velt
