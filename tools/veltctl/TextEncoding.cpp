#include "TextEncoding.h"

#include <iconv.h>

#include <cerrno>
#include <clocale>
#include <stdexcept>

namespace veltctl {
namespace {

// One conversion descriptor for the whole run: veltctl is single-threaded.
class TConverter {
 public:
  TConverter() : Descriptor(iconv_open("UTF-8", "WINDOWS-1251")) {
    if (Descriptor == reinterpret_cast<iconv_t>(-1)) {
      throw std::runtime_error("this system cannot convert Windows-1251 text");
    }
  }
  ~TConverter() { iconv_close(Descriptor); }
  TConverter(const TConverter&) = delete;
  TConverter& operator=(const TConverter&) = delete;

  std::string Convert(const std::string& text) {
    iconv(Descriptor, nullptr, nullptr, nullptr, nullptr);  // initial state
    std::string result;
    // A Windows-1251 byte becomes at most three UTF-8 bytes.
    std::string buffer(text.size() * 3 + 4, '\0');
    char* in = const_cast<char*>(text.data());  // iconv's signature; not written
    std::size_t inLeft = text.size();
    while (inLeft > 0) {
      char* out = buffer.data();
      std::size_t outLeft = buffer.size();
      const std::size_t done = iconv(Descriptor, &in, &inLeft, &out, &outLeft);
      result.append(buffer.data(), static_cast<std::size_t>(out - buffer.data()));
      if (done != static_cast<std::size_t>(-1)) {
        break;
      }
      if (errno == EILSEQ || errno == EINVAL) {
        result += "\xEF\xBF\xBD";  // U+FFFD for the undefined byte
        ++in;
        --inLeft;
      } else if (errno != E2BIG) {
        throw std::runtime_error("cannot convert Windows-1251 text");
      }
    }
    return result;
  }

 private:
  iconv_t Descriptor;
};

bool IsUtf8(const std::string& text) {
  std::size_t i = 0;
  while (i < text.size()) {
    const auto lead = static_cast<unsigned char>(text[i]);
    std::size_t length = 0;
    char32_t code = 0;
    if (lead < 0x80) {
      ++i;
      continue;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
      length = 2;
      code = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      length = 3;
      code = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      length = 4;
      code = lead & 0x07;
    } else {
      return false;
    }
    if (i + length > text.size()) {
      return false;
    }
    for (std::size_t k = 1; k < length; ++k) {
      const auto next = static_cast<unsigned char>(text[i + k]);
      if ((next & 0xC0) != 0x80) {
        return false;
      }
      code = (code << 6) | (next & 0x3F);
    }
    // Overlong forms, surrogates and values beyond Unicode are not UTF-8.
    const char32_t least[5] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < least[length] || (code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF) {
      return false;
    }
    i += length;
  }
  return true;
}

}  // namespace

std::string TerminalText(const std::string& message) {
  return IsUtf8(message) ? message : Utf8FromWindows1251(message);
}

std::string Utf8FromWindows1251(const std::string& text) {
  static TConverter converter;
  return converter.Convert(text);
}

namespace {

// One printable ASCII character that is not part of a number's digits or
// sign, or the fallback.
char SeparatorOf(const char* text, char fallback) {
  if (text == nullptr || text[0] == '\0' || text[1] != '\0') {
    return fallback;
  }
  const char c = text[0];
  const bool usable = c > ' ' && c < 0x7F && !(c >= '0' && c <= '9') && c != '+' && c != '-';
  return usable ? c : fallback;
}

}  // namespace

velt::TNumberFormat UserNumberFormat() {
  velt::TNumberFormat format;
  const char* current = std::setlocale(LC_NUMERIC, nullptr);
  const std::string before = current != nullptr ? current : "C";
  if (std::setlocale(LC_NUMERIC, "") != nullptr) {
    const std::lconv* numbers = std::localeconv();
    format.DecimalSeparator = SeparatorOf(numbers->decimal_point, '.');
    format.ThousandSeparator = SeparatorOf(numbers->thousands_sep, ' ');
  }
  std::setlocale(LC_NUMERIC, before.c_str());
  if (format.ThousandSeparator == format.DecimalSeparator) {
    format.ThousandSeparator = format.DecimalSeparator == ',' ? ' ' : ',';
  }
  return format;
}

}  // namespace veltctl
