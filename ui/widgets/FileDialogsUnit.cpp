#include <ui/widgets/FileDialogsUnit.h>

#include <QFileDialog>
#include <QDateTime>
#include <QHeaderView>
#include <QLocale>
#include <QSplitter>
#include <QTreeView>

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
  // Room for whole names, types and dates, and for the places on the left.
  dialog.resize(800, 500);
  if (auto* places = dialog.findChild<QSplitter*>(QStringLiteral("splitter"))) {
    places->setSizes({170, 630});
  }
  if (auto* details = dialog.findChild<QTreeView*>(QStringLiteral("treeView"))) {
    details->header()->resizeSection(0, 300);
    // The dates as the dialog writes them, with room for the sort arrow.
    const QString date = QLocale().toString(QDateTime::currentDateTime(), QLocale::ShortFormat);
    details->header()->resizeSection(3, details->fontMetrics().horizontalAdvance(date) + 32);
  }
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
