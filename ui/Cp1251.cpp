#include <ui/Cp1251.h>

#include <QStringDecoder>
#include <QStringEncoder>

namespace velt {

QString FromCp1251(std::string_view bytes) {
  QStringDecoder decoder("windows-1251");
  return decoder.decode(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
}

std::string ToCp1251(const QString& text) {
  QStringEncoder encoder("windows-1251");
  const QByteArray bytes = encoder.encode(text);
  return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

}  // namespace velt
