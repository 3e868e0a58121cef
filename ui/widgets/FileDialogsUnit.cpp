#include <ui/widgets/FileDialogsUnit.h>

#include <QFileDialog>

namespace velt {
namespace {

std::optional<std::filesystem::path> Run(QWidget* owner, const TFileDialogRequest& request,
                                         QFileDialog::AcceptMode mode) {
  QFileDialog dialog(owner, request.Title);
  dialog.setAcceptMode(mode);
  // A name that does not exist can be given: the tabs tell the user.
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setNameFilter(QtNameFilter(request.Filter));
  dialog.setDefaultSuffix(request.DefaultSuffix);
  dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
  if (!request.StartFolder.empty()) {
    dialog.setDirectory(QString::fromStdString(request.StartFolder.string()));
  }
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
    return std::nullopt;
  }
  return std::filesystem::path(dialog.selectedFiles().front().toStdString());
}

}  // namespace

QString QtNameFilter(const QString& filter) {
  const qsizetype bar = filter.indexOf(QLatin1Char('|'));
  return (bar < 0 ? filter : filter.left(bar)).trimmed();
}

std::optional<std::filesystem::path> TQtFileDialogs::ChooseOpen(
    const TFileDialogRequest& request) {
  return Run(Owner, request, QFileDialog::AcceptOpen);
}

std::optional<std::filesystem::path> TQtFileDialogs::ChooseSave(
    const TFileDialogRequest& request) {
  return Run(Owner, request, QFileDialog::AcceptSave);
}

}  // namespace velt
