// Where the program finds its string files and keeps its report folders.
// Decided once, at start, from where the program file lies.
#pragma once

#include <filesystem>
#include <functional>
#include <string>

namespace velt {

struct TRunTimeFolders {
  // True when the program runs from the build tree or an unpacked folder:
  // everything lies beside the program.
  bool Portable = false;
  std::filesystem::path ProgramFolder;
  // The folder holding captions.str, errmsgs.str and txtvarvalues.str.
  std::filesystem::path Strings;
  // The writable folder holding default_reports/ and typical_reports/.
  std::filesystem::path Data;
};

using TEnvironment = std::function<std::string(const char* name)>;

// Portable when a "strings" folder lies beside the program; otherwise the
// installed layout: <prefix>/share/velt-studio/strings for the string files
// and $XDG_DATA_HOME/velt-studio (default ~/.local/share/velt-studio) for
// the reports.
TRunTimeFolders ResolveRunTimeFolders(const std::filesystem::path& programFile,
                                      const TEnvironment& environment);

// The same, for the running process and its real environment.
TRunTimeFolders ResolveRunTimeFolders();

// The full path of the running program file.
std::filesystem::path CurrentProgramFile();

}  // namespace velt
