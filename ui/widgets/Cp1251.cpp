#include <ui/widgets/Cp1251.h>

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

namespace {

char SingleCharacter(const QString& text, char fallback) {
  const std::string bytes = ToCp1251(text);
  // An unencodable character comes out as a substitute: it must come back.
  return bytes.size() == 1 && FromCp1251(bytes) == text ? bytes[0] : fallback;
}

}  // namespace

TNumberFormat LocaleNumberFormat(const QLocale& locale) {
  TNumberFormat format;
  format.DecimalSeparator = SingleCharacter(locale.decimalPoint(), '.');
  format.ThousandSeparator = SingleCharacter(locale.groupSeparator(), ' ');
  if (format.ThousandSeparator == format.DecimalSeparator) {
    format.ThousandSeparator = format.DecimalSeparator == ',' ? ' ' : ',';
  }
  return format;
}

}  // namespace velt
