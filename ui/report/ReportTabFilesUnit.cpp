// The report tab's protocol and report files: preview and print after
// reading back what was typed, and the report files in the reports' folder.
#include <fstream>

#include <reports/ReportHeadersUnit.h>
#include <ui/mainwindow/VELTMainFormUnit.h>
#include <ui/mainwindow/VeltApplicationUnit.h>
#include <ui/report/QuickRepViewerUnit.h>
#include <ui/report/ReportHeaderPanelsUnit.h>
#include <ui/report/ReportTabUnit.h>
#include <ui/widgets/Cp1251.h>
#include <ui/widgets/FileDialogsUnit.h>
#include <ui/widgets/TabSupportUnit.h>

namespace velt {
namespace {

namespace fs = std::filesystem;

// The save action's hint: the title of the question about replacing a file.
constexpr int kSaveHint = 129;

// The report tab's file dialogs: they open in the reports' folder and, for
// report files, give the chosen name its ".rct" before anyone looks at it,
// so that the question about replacing a file is asked about the file
// that will be written.
class TReportDialogs : public IFileDialogs {
 public:
  TReportDialogs(IFileDialogs& dialogs, fs::path folder, bool reportFile)
      : Dialogs(dialogs), Folder(std::move(folder)), ReportFile(reportFile) {}
  std::optional<fs::path> ChooseOpen(const TFileDialogRequest& request) override {
    return Named(Dialogs.ChooseOpen(InFolder(request)));
  }
  std::optional<fs::path> ChooseSave(const TFileDialogRequest& request) override {
    return Named(Dialogs.ChooseSave(InFolder(request)));
  }

 private:
  TFileDialogRequest InFolder(TFileDialogRequest request) const {
    if (request.StartFolder.empty()) {
      request.StartFolder = Folder;
    }
    return request;
  }
  std::optional<fs::path> Named(std::optional<fs::path> path) const {
    if (path && ReportFile) {
      return WithReportSuffix(*path);
    }
    return path;
  }
  IFileDialogs& Dialogs;
  fs::path Folder;
  bool ReportFile;
};

}  // namespace

fs::path WithReportSuffix(const fs::path& path) {
  const std::string name = path.string();
  constexpr std::string_view kSuffix = ".rct";
  if (name.size() >= kSuffix.size() &&
      name.compare(name.size() - kSuffix.size(), kSuffix.size(), kSuffix) == 0) {
    return path;
  }
  return fs::path(name + std::string(kSuffix));
}

std::string ReportFileDamage(const fs::path& path) {
  constexpr int kFields = 36;
  // Far more than 36 fields of their longest length and the conclusion's
  // lines: anything larger is not a report.
  constexpr std::uintmax_t kLargest = 1u << 20;
  std::error_code error;
  const std::uintmax_t size = fs::file_size(path, error);
  if (error) {
    return "cannot read " + path.string() + ": " + error.message();
  }
  if (size > kLargest) {
    return path.string() + " is too large for a report file";
  }
  std::ifstream file(path, std::ios::binary);
  std::string text(static_cast<std::size_t>(size), '\0');
  if (!file.read(text.data(), static_cast<std::streamsize>(size))) {
    return "cannot read " + path.string();
  }
  if (text.find('\0') != std::string::npos) {
    return path.string() + " holds binary data, not the text of a report file";
  }
  // CR LF, LF and a lone CR each end a line; text after the last line end
  // is one more line.
  int lines = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n' || (text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n'))) {
      ++lines;
    }
  }
  if (!text.empty() && text.back() != '\n' && text.back() != '\r') {
    ++lines;
  }
  if (lines < kFields) {
    return path.string() + " is cut short: " + std::to_string(lines) + " lines of the " +
           std::to_string(kFields) + " a report file holds";
  }
  return {};
}

fs::path TReportTab::ReportsFolder() const {
  return Main.Folders.Data / "typical_reports";
}

void TReportTab::PrintOrPreview(bool print) {
  TBaseReportHeader* header = Main.ReportHeader.get();
  if (header == nullptr) {
    return;
  }
  const TLocalStrings& s = Main.Strings;
  if (header->Count() == 0) {
    Main.Feedback.ShowMessage(s.Error(26), s.Error(27), TMessageIcon::Warning);
    return;
  }
  ReadHeader();
  try {
    header->FillSheetHeader();
    if (print) {
      header->PrintProtocol(this);
    } else {
      header->PreviewProtocol(this);
    }
  } catch (const std::exception& error) {
    Main.Feedback.ShowMessage(s.Error(9), TVeltApplication::ErrorText(error.what()),
                              TMessageIcon::Error);
  }
}

void TReportTab::SaveReport() {
  StoreEdits();
  const TLocalStrings& s = Main.Strings;
  TReportDialogs dialogs(Main.FileDialogs(), ReportsFolder(), true);
  const QString filter = FromCp1251(s.Value(68)) + QStringLiteral("(*.rct)|*.rct");
  // An existing file is replaced only when the user says so: an inspector's
  // report is never written over without a word.
  const std::optional<fs::path> path = ChooseFileToSave(
      dialogs, Main.Feedback, s,
      {FromCp1251(s.Caption(87)), filter, QStringLiteral("rct"), FromCp1251(s.Value(kSaveHint))});
  if (!path || !Main.ReportHeader) {
    return;
  }
  ReadHeader();
  try {
    Main.ReportHeader->SaveToFile(*path);
  } catch (const std::exception& error) {
    Main.Feedback.ShowMessage(s.Error(9), TVeltApplication::ErrorText(error.what()),
                              TMessageIcon::Error);
  }
}

void TReportTab::OpenReport() {
  const TLocalStrings& s = Main.Strings;
  TReportDialogs dialogs(Main.FileDialogs(), ReportsFolder(), true);
  const QString filter = FromCp1251(s.Value(68)) + QStringLiteral("(*.rct)|*.rct");
  const std::optional<fs::path> path = ChooseFileToOpen(
      dialogs, Main.Feedback, s, {FromCp1251(s.Caption(88)), filter, QStringLiteral("rct")});
  if (path) {
    OpenReportFile(*path);
  }
}

bool TReportTab::OpenReportFile(const fs::path& path) {
  const TLocalStrings& s = Main.Strings;
  if (!Main.ReportHeader) {
    return false;
  }
  // A file that is not a whole report leaves the panel as it is: it is
  // checked before anything is read, and read before anything is shown.
  std::string damage = ReportFileDamage(path);
  if (damage.empty()) {
    try {
      Main.ReportHeader->LoadFromFile(path);
    } catch (const std::exception& error) {
      damage = error.what();
    }
  }
  if (!damage.empty()) {
    Main.Feedback.ShowMessage(s.Error(9),
                              s.Error(28) + "\n" + TVeltApplication::ErrorText(damage.c_str()),
                              TMessageIcon::Error);
    return false;
  }
  Main.ReportHeader->ShowHeader(*Bridge_);
  return true;
}

void TReportTab::OpenSavedReport() {
  if (Main.Viewer != nullptr) {
    TReportDialogs dialogs(Main.FileDialogs(), ReportsFolder(), false);
    Main.Viewer->OpenChosen(dialogs);
  }
}

}  // namespace velt
