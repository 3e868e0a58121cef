#include "TerminalPorts.h"

#include <algorithm>

#include <strings/RunTimeFoldersUnit.h>

#include "TextEncoding.h"

namespace veltctl {
namespace {

constexpr int kBarWidth = 30;

}  // namespace

void TTerminalFeedback::ShowMessage(std::string_view caption, std::string_view text,
                                    velt::TMessageIcon) {
  ++Shown;
  Err << "veltctl: " << Utf8FromWindows1251(std::string(caption)) << ": "
      << Utf8FromWindows1251(std::string(text)) << '\n';
}

bool TTerminalFeedback::AskYesNo(std::string_view caption, std::string_view text,
                                 velt::TMessageIcon icon, velt::TAnswer) {
  ShowMessage(caption, text, icon);
  Err << "veltctl: (answered no)\n";
  return false;
}

void TTerminalProgress::ShowProgress(std::string_view text, bool) {
  Text = Utf8FromWindows1251(std::string(text));
  Shown = true;
  Last = -1;
  Draw(0);
}

void TTerminalProgress::SetProgress(int percent) {
  if (Shown) {
    Draw(std::clamp(percent, 0, 100));
  }
}

void TTerminalProgress::HideProgress() {
  if (Shown && Terminal) {
    Err << '\n';
  }
  Shown = false;
  Err.flush();
}

void TTerminalProgress::Draw(int percent) {
  if (percent == Last) {
    return;
  }
  if (Terminal) {
    const int filled = percent * kBarWidth / 100;
    Err << '\r' << Text << " [" << std::string(static_cast<std::size_t>(filled), '#')
        << std::string(static_cast<std::size_t>(kBarWidth - filled), '.') << "] " << percent
        << '%';
    Err.flush();
  } else if (Last < 0 || percent / 10 != Last / 10) {
    // A log gets a line at the start and at each further tenth.
    Err << Text << ": " << percent << "%\n";
  }
  Last = percent;
}

bool LoadStrings(velt::TLocalStrings& strings, std::ostream& err) {
  const velt::TRunTimeFolders folders = velt::ResolveRunTimeFolders();
  if (strings.LoadStringFiles(folders.Strings)) {
    return true;
  }
  err << "veltctl: the string files in " << folders.Strings.string() << " do not load\n";
  return false;
}

}  // namespace veltctl
