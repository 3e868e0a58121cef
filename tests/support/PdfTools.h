// Reading the PDF files the tests write, through poppler's command-line
// tools (pdfinfo, pdftotext), as a person checking a protocol would.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace velt::testing {

// What a shell command writes on its standard output.
inline std::string CommandOutput(const std::string& command) {
  std::string out;
  if (FILE* pipe = ::popen(command.c_str(), "r")) {
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
      out.append(buffer, n);
    }
    ::pclose(pipe);
  }
  return out;
}

inline bool PopplerPresent() {
  return std::system(
             "command -v pdftotext >/dev/null 2>&1 && command -v pdfinfo >/dev/null 2>&1") == 0;
}

// The page count pdfinfo reads; -1 when it reads none.
inline int PdfPages(const std::filesystem::path& pdf) {
  const std::string info = CommandOutput("pdfinfo '" + pdf.string() + "' 2>/dev/null");
  const auto at = info.find("Pages:");
  return at == std::string::npos ? -1 : std::atoi(info.c_str() + at + 6);
}

}  // namespace velt::testing
