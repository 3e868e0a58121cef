// Windows-1251 text of the files (names, comments, quoted lines in error
// messages) as UTF-8 for the terminal and for JSON.
#pragma once

#include <string>

#include <config/BaseConfigObjectsUnit.h>

namespace veltctl {

// Bytes that Windows-1251 leaves undefined become U+FFFD.
std::string Utf8FromWindows1251(const std::string& text);

// A message of the readers for the terminal: it may quote a line of the
// file (Windows-1251) or name a path (already UTF-8). Text that is valid
// UTF-8 stays as it is, anything else is taken as Windows-1251; Cyrillic in
// Windows-1251 is practically never valid UTF-8.
std::string TerminalText(const std::string& message);

// The number format of the user's locale (LC_ALL, LC_NUMERIC, LANG), as
// Velt Studio takes it from its default locale: files veltctl writes carry
// the user's decimal separator, as the program's own do. A separator that
// is not one printable ASCII character (a multi-byte one, say) gives way to
// "." and ","; the process's own numeric locale stays "C".
velt::TNumberFormat UserNumberFormat();

}  // namespace veltctl
