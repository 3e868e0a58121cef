// Choosing a file to open or to save as: the program's file dialogs, and a
// seam for tests, which answer without a dialog.
#pragma once

#include <QString>
#include <filesystem>
#include <optional>

class QWidget;

namespace velt {

struct TFileDialogRequest {
  QString Title;
  // As the string files give it: "description(*.ext)|*.ext".
  QString Filter;
  QString DefaultSuffix;
  // The caption of the action that shows the dialog: the title of the
  // questions it leads to (the dialog's title when empty).
  QString Purpose = {};
  // The folder the dialog opens in; empty: where the dialog was last.
  std::filesystem::path StartFolder = {};
};

class IFileDialogs {
 public:
  virtual ~IFileDialogs() = default;
  // The file chosen, or nothing when the dialog was cancelled.
  virtual std::optional<std::filesystem::path> ChooseOpen(const TFileDialogRequest& request) = 0;
  virtual std::optional<std::filesystem::path> ChooseSave(const TFileDialogRequest& request) = 0;
};

// Qt's file dialogs over the given window. The save dialog does not ask
// about replacing a file: the tabs ask with their own message.
class TQtFileDialogs : public IFileDialogs {
 public:
  explicit TQtFileDialogs(QWidget* owner) : Owner(owner) {}
  std::optional<std::filesystem::path> ChooseOpen(const TFileDialogRequest& request) override;
  std::optional<std::filesystem::path> ChooseSave(const TFileDialogRequest& request) override;

 private:
  QWidget* Owner;
};

// "description(*.ext)|*.ext" as a Qt name filter: "description(*.ext)".
QString QtNameFilter(const QString& filter);

}  // namespace velt
