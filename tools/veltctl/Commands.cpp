#include "Commands.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <string>
#include <vector>

#include <config/TextRecordIO.h>
#include <records/RecordFilesUnit.h>

#include "JsonDump.h"
#include "TextEncoding.h"

namespace veltctl {
namespace {

enum class TFileKind { Records, Configurations };

struct TOpenedFile {
  TFileKind Kind = TFileKind::Records;
  TProgramHeader Header;
  velt::TFlawDataBlock Records;
  velt::TUSBConfigsBlock Configurations;
};

int Fail(std::ostream& err, const std::string& file, const std::string& message) {
  err << "veltctl: " << file << ": " << TerminalText(message) << '\n';
  return kExitFileFailure;
}

std::string Lowercase(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

std::string KeyOf(const std::string& line) {
  return line.substr(0, line.find(':'));
}
std::string ValueOf(const std::string& line) {
  const std::size_t colon = line.find(':');
  return colon == std::string::npos ? line : line.substr(colon + 1);
}

// The kind is what the header says on line 4 (the key the program writes
// there); a header that says neither leaves it to the extension, so that a
// damaged file still gets the right reader and its reason for failing.
bool DecideKind(const std::vector<std::string>& lines, const std::string& path, TFileKind& kind) {
  const std::string key = lines.size() >= 4 ? KeyOf(lines[3]) : std::string();
  if (key == "FLAWS QUANTITY") {
    kind = TFileKind::Records;
    return true;
  }
  if (key == "CONFIGS QUANTITY") {
    kind = TFileKind::Configurations;
    return true;
  }
  const std::string extension = Lowercase(std::filesystem::path(path).extension().string());
  if (extension == ".dtf") {
    kind = TFileKind::Records;
    return true;
  }
  if (extension == ".ctf") {
    kind = TFileKind::Configurations;
    return true;
  }
  return false;
}

// Opens the file once, with the program's own readers; prints the failure
// and returns kExitFileFailure when it does not open. A folder, a FIFO or a
// device is refused before anything is read from it.
int Open(const std::string& path, TOpenedFile& file, std::ostream& err) {
  velt::TInputFile input;
  if (std::string reason; !input.Open(path, reason)) {
    return Fail(err, path, "cannot open: " + reason);
  }
  std::vector<std::string> lines;
  try {
    velt::TTextReader reader(input.Stream());
    for (int i = 0; i < 4 && !reader.AtEnd(); ++i) {
      lines.push_back(reader.Line());
    }
    input.Rewind();
  } catch (const std::exception& e) {
    return Fail(err, path, e.what());  // a line too long, a read error
  }
  if (!DecideKind(lines, path, file.Kind)) {
    return Fail(err, path,
                "neither a record file nor a configuration file (line 4 is not "
                "\"FLAWS QUANTITY:\" or \"CONFIGS QUANTITY:\", and the name does not end "
                "in .dtf or .ctf)");
  }
  const velt::TFileResult result =
      file.Kind == TFileKind::Records
          ? velt::OpenRecordFile(file.Records, input, path)
          : velt::LoadConfigurationFile(file.Configurations, input, path);
  if (!result) {
    return Fail(err, path, result.Error);
  }
  // Opening has checked lines 1..3: "VELT" and two integers 0..255.
  if (lines.size() >= 3) {
    file.Header.Name = ValueOf(lines[0]);
    velt::ParseDecimalInteger(ValueOf(lines[1]), file.Header.Major);
    velt::ParseDecimalInteger(ValueOf(lines[2]), file.Header.Minor);
  }
  return kExitOk;
}

std::string Firmware(std::uint8_t major, std::uint8_t minor) {
  std::string text = std::to_string(major) + ".";
  if (minor < 10) {
    text += '0';
  }
  return text + std::to_string(minor);
}

std::string Plural(std::size_t n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

// Class names in storage order, each once.
void AddClass(std::vector<std::string>& classes, const velt::TBaseConfigCell* cell) {
  const std::string name = cell != nullptr ? velt::ConfigClassName(*cell) : "none";
  if (std::find(classes.begin(), classes.end(), name) == classes.end()) {
    classes.push_back(name);
  }
}

template <typename Block>
std::string VersionsOf(const Block& c) {
  return ", device type " + std::to_string(c.DeviceType) + ", firmware " +
         Firmware(c.MajorVersion, c.MinorVersion) + ", local version " +
         std::to_string(c.ConfigLocalVersion);
}

std::string Summary(const TOpenedFile& file) {
  std::vector<std::string> classes;
  std::string text;
  if (file.Kind == TFileKind::Records) {
    for (const auto& record : file.Records.Records) {
      AddClass(classes, record->Configuration());
    }
    text = "record file, " + Plural(file.Records.Count, "record", "records") +
           VersionsOf(file.Records);
  } else {
    for (const auto& cell : file.Configurations.Configurations) {
      AddClass(classes, cell.get());
    }
    text = "configuration file, " +
           Plural(file.Configurations.Count, "configuration", "configurations") +
           VersionsOf(file.Configurations);
  }
  text += classes.size() == 1 ? ", class " : ", classes ";
  for (std::size_t i = 0; i < classes.size(); ++i) {
    text += (i > 0 ? ", " : "") + classes[i];
  }
  return text;
}

int UsageFailure(std::ostream& err, TCommand command, const std::string& message) {
  err << "veltctl: " << message << '\n' << UsageHint(command) << '\n';
  return kExitUsage;
}

}  // namespace

int RunCheck(const TCommandLine& line, std::ostream& out, std::ostream& err) {
  TOpenedFile file;
  if (const int status = Open(line.File, file, err); status != kExitOk) {
    return status;
  }
  out << line.File << ": " << Summary(file) << '\n';
  return kExitOk;
}

int RunDump(const TCommandLine& line, std::ostream& out, std::ostream& err) {
  TOpenedFile file;
  if (const int status = Open(line.File, file, err); status != kExitOk) {
    return status;
  }
  const TJson json = file.Kind == TFileKind::Records
                         ? RecordFileJson(file.Records, file.Header)
                         : ConfigurationFileJson(file.Configurations, file.Header);
  out << json.dump(line.Compact ? -1 : 2, ' ', false, TJson::error_handler_t::replace) << '\n';
  return kExitOk;
}

int RunAScan(const TCommandLine& line, std::ostream& out, std::ostream& err) {
  long long n = 0;
  if (!velt::ParseDecimalInteger(line.RecordNumber, n) || n < 1) {
    return UsageFailure(
        err, TCommand::AScan,
        "the record number must be a whole number from 1 on, not '" + line.RecordNumber + "'");
  }
  TOpenedFile file;
  if (const int status = Open(line.File, file, err); status != kExitOk) {
    return status;
  }
  if (file.Kind != TFileKind::Records) {
    return UsageFailure(err, TCommand::AScan,
                        line.File + " is a configuration file; only records have an A-scan");
  }
  const auto& records = file.Records.Records;
  if (static_cast<unsigned long long>(n) > records.size()) {
    return UsageFailure(err, TCommand::AScan,
                        "record " + std::to_string(n) + " does not exist: " + line.File +
                            " holds " + Plural(records.size(), "record", "records"));
  }
  const velt::TDataCell& record = *records[static_cast<std::size_t>(n - 1)];
  const std::string text = record.AScanText();
  if (text.empty() && record.Configuration() != nullptr) {
    err << "veltctl: record " << n << " has signal type "
        << static_cast<int>(record.Configuration()->SIGNAL_TYPE) << ", which has no A-scan text\n";
  }
  out << text;
  return kExitOk;
}

}  // namespace veltctl
