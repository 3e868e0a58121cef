// The one conversion between model strings (Windows-1251 bytes) and Qt text.
#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace velt {

QString FromCp1251(std::string_view bytes);
std::string ToCp1251(const QString& text);

}  // namespace velt
