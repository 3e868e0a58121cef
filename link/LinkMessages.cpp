#include "LinkMessages.h"

#include <cstdio>

#ifdef CONDUIT_WITH_QT
#include <QApplication>
#include <QMessageBox>
#endif

namespace conduit {

void TLinkMessages::Show(const std::string& text, const std::string& caption) {
#ifdef CONDUIT_WITH_QT
  if (qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr) {
    QMessageBox box(QMessageBox::NoIcon, QString::fromLatin1(caption.c_str()),
                    QString::fromLatin1(text.c_str()), QMessageBox::Ok);
    box.exec();
    return;
  }
#endif
  std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
}

}  // namespace conduit
