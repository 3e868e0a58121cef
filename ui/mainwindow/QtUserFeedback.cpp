#include <ui/mainwindow/QtUserFeedback.h>

#include <QApplication>
#include <QMessageBox>
#include <cstdio>

#include <ui/widgets/Cp1251.h>

namespace velt {
namespace {

QMessageBox::Icon ToQt(TMessageIcon icon) {
  switch (icon) {
    case TMessageIcon::Error:
      return QMessageBox::Critical;
    case TMessageIcon::Warning:
      return QMessageBox::Warning;
    case TMessageIcon::Information:
      return QMessageBox::Information;
    case TMessageIcon::None:
      break;
  }
  return QMessageBox::NoIcon;
}

void Print(std::string_view caption, std::string_view text) {
  std::printf("message: %s: %s\n", FromCp1251(caption).toUtf8().constData(),
              FromCp1251(text).toUtf8().constData());
  std::fflush(stdout);
}

}  // namespace

void TQtUserFeedback::ShowMessage(std::string_view caption, std::string_view text,
                                  TMessageIcon icon) {
  if (PrintInsteadOfShowing) {
    Print(caption, text);
    return;
  }
  QMessageBox box(ToQt(icon), FromCp1251(caption), FromCp1251(text), QMessageBox::Ok);
  box.exec();
}

bool TQtUserFeedback::AskYesNo(std::string_view caption, std::string_view text,
                               TMessageIcon icon, TAnswer preselected) {
  if (PrintInsteadOfShowing) {
    Print(caption, text);
    return false;
  }
  QMessageBox box(ToQt(icon), FromCp1251(caption), FromCp1251(text),
                  QMessageBox::Yes | QMessageBox::No);
  // Left to itself the box would make Yes the default button.
  box.setDefaultButton(preselected == TAnswer::Yes ? QMessageBox::Yes : QMessageBox::No);
  box.setEscapeButton(QMessageBox::No);
  return box.exec() == QMessageBox::Yes;
}

void TQtUserFeedback::Beep() {
  QApplication::beep();
}

}  // namespace velt
