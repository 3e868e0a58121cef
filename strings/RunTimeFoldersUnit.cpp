#include <strings/RunTimeFoldersUnit.h>

#include <cstdlib>
#include <system_error>

namespace velt {

TRunTimeFolders ResolveRunTimeFolders(const std::filesystem::path& programFile,
                                      const TEnvironment& environment) {
  TRunTimeFolders folders;
  folders.ProgramFolder = programFile.parent_path();
  std::error_code ec;
  if (std::filesystem::is_directory(folders.ProgramFolder / "strings", ec)) {
    folders.Portable = true;
    folders.Strings = folders.ProgramFolder / "strings";
    folders.Data = folders.ProgramFolder;
    return folders;
  }
  folders.Strings = folders.ProgramFolder.parent_path() / "share" / "velt-studio" / "strings";
  std::string dataHome = environment("XDG_DATA_HOME");
  if (dataHome.empty() || !std::filesystem::path(dataHome).is_absolute()) {
    dataHome = environment("HOME") + "/.local/share";
  }
  folders.Data = std::filesystem::path(dataHome) / "velt-studio";
  return folders;
}

TRunTimeFolders ResolveRunTimeFolders() {
  return ResolveRunTimeFolders(CurrentProgramFile(), [](const char* name) {
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
  });
}

std::filesystem::path CurrentProgramFile() {
  std::error_code ec;
  std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  return ec ? std::filesystem::path() : exe;
}

}  // namespace velt
