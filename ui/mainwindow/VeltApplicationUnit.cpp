#include <ui/mainwindow/VeltApplicationUnit.h>

#include <QLibraryInfo>
#include <QStringDecoder>
#include <cstdio>
#include <functional>
#include <exception>

#include <ui/widgets/Cp1251.h>
#include <ui/widgets/PicturesUnit.h>

namespace velt {
namespace {

constexpr const char* kApplicationTitle = "Velt Studio 3";
// The program's icon, the same SVG the desktop shows for it.
constexpr const char* kProgramIcon = ":/icons/com.velt.VeltStudio3.svg";

bool IsUtf8(const std::string& text) {
  QStringDecoder decoder(QStringDecoder::Utf8);
  const QString decoded = decoder.decode(QByteArrayView(text.data(), static_cast<qsizetype>(text.size())));
  return !decoder.hasError() && !decoded.contains(QChar::ReplacementCharacter);
}

// Texts Qt's own Russian translation lacks: the type column of the file
// dialogs names folders and drives through a context the translation file
// does not carry, so a Russian dialog listed every folder as "Folder".
class TRussianGaps : public QTranslator {
 public:
  using QTranslator::QTranslator;

  QString translate(const char* context, const char* source, const char*, int) const override {
    if (qstrcmp(context, "QAbstractFileIconProvider") != 0 || source == nullptr) {
      return QString();
    }
    static const struct {
      const char* Source;
      const char* Russian;
    } kTexts[] = {{"Folder", "Папка"}, {"Drive", "Диск"}, {"Unknown", "Неизвестный"}};
    for (const auto& text : kTexts) {
      if (qstrcmp(source, text.Source) == 0) {
        return QString::fromUtf8(text.Russian);
      }
    }
    return QString();
  }

  bool isEmpty() const override { return false; }
};

}  // namespace

TVeltApplication::TVeltApplication(int& argc, char** argv) : QApplication(argc, argv) {
  // No display name: Qt would append it to every window title, and the
  // main window's title is exactly the text the string files give it.
  setApplicationName(kApplicationTitle);
  // Every window shows the program's icon, drawn sharp at each size.
  setWindowIcon(PictureIcon(QLatin1String(kProgramIcon)));
  LoadQtTranslation(QLocale());
}

bool TVeltApplication::LoadQtTranslation(const QLocale& locale) {
  for (QTranslator*& translator : {std::ref(QtTexts), std::ref(QtGaps)}) {
    if (translator != nullptr) {
      removeTranslator(translator);
      delete translator;
      translator = nullptr;
    }
  }
  auto* texts = new QTranslator(this);
  if (!texts->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
                   QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    delete texts;
    return false;
  }
  installTranslator(texts);
  QtTexts = texts;
  if (locale.language() == QLocale::Russian) {
    QtGaps = new TRussianGaps(this);
    installTranslator(QtGaps);
  }
  return true;
}

std::string TVeltApplication::ErrorText(const char* what) {
  const std::string text = what != nullptr ? what : "";
  return IsUtf8(text) ? ToCp1251(QString::fromUtf8(text.c_str())) : text;
}

void TVeltApplication::Report(const std::string& text) {
  ++Reported;
  if (Feedback != nullptr) {
    Feedback->ShowMessage(kApplicationTitle, text, TMessageIcon::Error);
  } else {
    std::fprintf(stderr, "%s: %s\n", kApplicationTitle, FromCp1251(text).toUtf8().constData());
  }
}

bool TVeltApplication::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (const std::exception& error) {
    Report(ErrorText(error.what()));
  } catch (...) {
    Report("unknown error");
  }
  return false;
}

}  // namespace velt
