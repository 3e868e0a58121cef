// The one conversion between model strings (Windows-1251 bytes) and Qt text.
#pragma once

#include <QLocale>
#include <QString>
#include <string>
#include <string_view>

#include <config/BaseConfigObjectsUnit.h>

namespace velt {

QString FromCp1251(std::string_view bytes);
std::string ToCp1251(const QString& text);

// The decimal and thousand separators of a locale as the cells use them:
// single Windows-1251 characters. A separator that is no single character
// there falls back to "." for the decimals and to a blank for the thousands.
TNumberFormat LocaleNumberFormat(const QLocale& locale);

}  // namespace velt
