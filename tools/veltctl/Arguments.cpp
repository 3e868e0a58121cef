#include "Arguments.h"

#include <cstddef>

namespace veltctl {
namespace {

constexpr std::size_t kManySlots = 100;

struct TCommandInfo {
  TCommand Command;
  const char* Name;         // one word, or two for the instrument's objects
  std::size_t Operands;     // FILE, or FILE and N, or none
  std::size_t MoreOperands; // optional ones after those (the slots of push)
};

constexpr TCommandInfo kCommands[] = {
    {TCommand::Check, "check", 1, 0},
    {TCommand::Dump, "dump", 1, 0},
    {TCommand::AScan, "ascan", 2, 0},
    {TCommand::Measure, "measure", 1, 1},
    {TCommand::Info, "info", 0, 0},
    {TCommand::RecordsPull, "records pull", 1, 0},
    {TCommand::ConfigsPull, "configs pull", 1, 0},
    {TCommand::ConfigsPush, "configs push", 1, kManySlots},
    {TCommand::ClockSet, "clock set", 0, 0},
};

bool IsObjectWord(const std::string& word) {
  return word == "records" || word == "configs" || word == "clock";
}

std::string Actions(const std::string& object) {
  if (object == "clock") {
    return "'clock set'";
  }
  if (object == "configs") {
    return "'configs pull' or 'configs push'";
  }
  return "'records pull'";
}

const TCommandInfo* Find(const std::string& name) {
  for (const auto& info : kCommands) {
    if (name == info.Name) {
      return &info;
    }
  }
  return nullptr;
}

// "--simulate X" and "--simulate=X" may stand anywhere before "--"; they
// are taken out before the command is read.
bool TakeSimulate(std::vector<std::string>& arguments, TCommandLine& line) {
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    if (arguments[i] == "--") {
      break;
    }
    if (arguments[i] == "--simulate") {
      if (i + 1 >= arguments.size()) {
        line.Error = "--simulate needs a profile or a folder";
        return false;
      }
      line.SimulateGiven = true;
      line.Simulate = arguments[i + 1];
      arguments.erase(arguments.begin() + static_cast<long>(i),
                      arguments.begin() + static_cast<long>(i) + 2);
      --i;
    } else if (arguments[i].starts_with("--simulate=")) {
      line.SimulateGiven = true;
      line.Simulate = arguments[i].substr(11);
      arguments.erase(arguments.begin() + static_cast<long>(i));
      --i;
    }
  }
  if (line.SimulateGiven && line.Simulate.empty()) {
    line.Error = "--simulate needs a profile or a folder";
    return false;
  }
  return true;
}

const TCommandInfo& Info(TCommand command) {
  for (const auto& info : kCommands) {
    if (info.Command == command) {
      return info;
    }
  }
  return kCommands[0];
}

bool IsHelp(const std::string& argument) {
  return argument == "--help" || argument == "-h";
}

TCommandLine UsageError(TCommandLine line, std::string error) {
  line.Error = std::move(error);
  return line;
}

// The named profiles of the simulated instrument, as Conduit lists them
// (veltctl does not link Conduit; a test keeps the two lists equal).
struct TProfileLine {
  const char* Profile;
  const char* Description;
};
constexpr TProfileLine kSimulatorProfiles[] = {
    {"1:2.0", "device type 1, firmware 2.0: TBaseConfigCell, not initialised"},
    {"1:3.10", "device type 1, firmware 3.0..3.15: TBaseConfigCell"},
    {"1:3.17", "device type 1, firmware 3.16..3.25: T3_17ConfigCell"},
    {"1:3.26", "device type 1, firmware 3.26..3.29: T3_26ConfigCell"},
    {"1:3.30", "device type 1, firmware 3.30..3.34: T4_08ConfigCell"},
    {"1:4.0.2", "device type 1, firmware 4, local version 2: T4_03ConfigCell"},
    {"1:4.0.3", "device type 1, firmware 4, local version 3: T4_08ConfigCell"},
    {"1:5.0.0", "device type 1, firmware 5, local version 0: T5_00ConfigCell"},
    {"1:5.0.1", "device type 1, firmware 5, local version 1: T5_01ConfigCell"},
    {"2:2.8", "device type 2, firmware 2.7..2.10: T3_17ConfigCell"},
    {"2:3.10", "device type 2, firmware 3.9..3.12: T3_26ConfigCell"},
    {"2:3.20.2", "device type 2, firmware 3.13..3.33, local version 2: T4_03ConfigCell"},
    {"2:4.0.2", "device type 2, firmware 4, local version 2: T4_03ConfigCell"},
    {"2:5.4.4", "device type 2, firmware 5, local version 4: T5_01ConfigCell"},
};

std::string SimulatorProfileList() {
  std::string list;
  for (const TProfileLine& line : kSimulatorProfiles) {
    std::string profile = line.Profile;
    profile.resize(10, ' ');
    list += "  " + profile + line.Description + "\n";
  }
  return list;
}

std::string SimulateHelp() {
  return "\n"
         "  --simulate PROFILE|FOLDER  talk to the simulated instrument instead of\n"
         "                             USB (sets CONDUIT_SIMULATOR for libConduit.so)\n"
         "\n"
         "Simulator profiles (any TYPE:MAJOR.MINOR[.LOCAL] works; these cover every\n"
         "configuration class):\n" +
         SimulatorProfileList() +
         "A FOLDER (any value with a \"/\") replays an instrument's memory saved\n"
         "there; see the README.\n";
}

}  // namespace

TCommandLine ParseCommandLine(const std::vector<std::string>& given) {
  TCommandLine line;
  std::vector<std::string> arguments = given;
  if (!TakeSimulate(arguments, line)) {
    return line;
  }
  if (arguments.empty()) {
    return UsageError(line, "no command given");
  }
  const std::string& first = arguments[0];
  if (IsHelp(first) || first == "help") {
    line.Help = true;
    if (first == "help" && arguments.size() > 1) {
      std::string name = arguments[1];
      if (IsObjectWord(name) && arguments.size() > 2) {
        name += " " + arguments[2];
      }
      const TCommandInfo* info = Find(name);
      if (info == nullptr) {
        return UsageError(line, "unknown command '" + name + "'");
      }
      line.Command = info->Command;
    }
    return line;
  }
  std::size_t words = 1;
  std::string name = first;
  if (IsObjectWord(first)) {
    if (arguments.size() < 2 || arguments[1].starts_with("-")) {
      return UsageError(line, "'" + first + "' needs an action: " + Actions(first));
    }
    name += " " + arguments[1];
    words = 2;
  }
  const TCommandInfo* info = Find(name);
  if (info == nullptr) {
    return UsageError(line, first.starts_with("-") ? "unknown option '" + first + "'"
                                                   : "unknown command '" + name + "'");
  }
  line.Command = info->Command;

  std::vector<std::string> operands;
  bool optionsEnded = false;
  for (std::size_t i = words; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (!optionsEnded && argument == "--") {
      optionsEnded = true;
    } else if (!optionsEnded && IsHelp(argument)) {
      line.Help = true;
    } else if (!optionsEnded && line.Command == TCommand::Dump && argument == "--compact") {
      line.Compact = true;
    } else if (!optionsEnded && line.Command == TCommand::Measure && argument == "--json") {
      line.Json = true;
    } else if (!optionsEnded && argument.size() > 1 && argument.starts_with("-")) {
      return UsageError(line, "unknown option '" + argument + "'");
    } else {
      operands.push_back(argument);
    }
  }
  if (line.Help) {
    return line;
  }
  if (operands.size() < info->Operands) {
    return UsageError(line, info->Operands == 2 && operands.size() == 1
                                ? "the record number N is missing"
                                : "the file is missing");
  }
  if (operands.size() > info->Operands + info->MoreOperands) {
    return UsageError(line, "unexpected argument '" +
                                operands[info->Operands + info->MoreOperands] + "'");
  }
  if (info->Operands >= 1) {
    line.File = operands[0];
  }
  if (info->Operands == 2) {
    line.RecordNumber = operands[1];
  }
  line.Slots.assign(operands.begin() + static_cast<long>(info->Operands), operands.end());
  if (line.Command == TCommand::Measure && !line.Slots.empty()) {
    line.RecordNumber = line.Slots.front();
    line.Slots.clear();
  }
  return line;
}

std::string HelpText(TCommand command) {
  switch (command) {
    case TCommand::Check:
      return "Usage: veltctl check FILE\n"
             "\n"
             "Opens a record file (.dtf) or a configuration file (.ctf) exactly as\n"
             "Velt Studio does and prints one line: the file's kind, its number of\n"
             "records or configurations, the device type, the firmware version, the\n"
             "configuration local version and the configuration classes built.\n"
             "\n"
             "Exit status: 0 the file opens, 1 it does not (the reason on stderr),\n"
             "2 a usage error.\n";
    case TCommand::Dump:
      return "Usage: veltctl dump [--compact] FILE\n"
             "\n"
             "Opens a record or configuration file as Velt Studio does and prints\n"
             "everything read from it as JSON: the header values, then every record\n"
             "(with its configuration) or every configuration, with all its values.\n"
             "Keys are the file's own keys without the colon; values without a key\n"
             "of their own have descriptive names; names and comments are UTF-8.\n"
             "\n"
             "  --compact   print the JSON on one line instead of indented\n"
             "\n"
             "Exit status: 0 success, 1 the file does not open, 2 a usage error.\n";
    case TCommand::AScan:
      return "Usage: veltctl ascan FILE N\n"
             "\n"
             "Prints the A-scan of record N (1 = the first record of the file) of a\n"
             "record file as the text Velt Studio's Copy data puts on the clipboard:\n"
             "one line per display column.\n"
             "\n"
             "Exit status: 0 success, 1 the file does not open, 2 a usage error\n"
             "(N not a number or beyond the file's records, or not a record file).\n";
    case TCommand::Measure:
      return "Usage: veltctl measure [--json] FILE [N]\n"
             "\n"
             "Prints the measurement results and conditions of record N (1 = the\n"
             "first record) of a record file, or of every record, as the data tab\n"
             "shows them: the results grid (signal level without the threshold\n"
             "check, search increment, attenuator, beam path, horizontal offset,\n"
             "depth, leg number, equivalent area) and the conditions grid (the\n"
             "strobes, the time-gain mode and the cursor line), each row as its\n"
             "caption and its text, separated by a tab. DGS values are single shots,\n"
             "as for a stored record.\n"
             "\n"
             "  --json   print JSON instead: per record the texts of both grids and\n"
             "           the raw numbers SignalLevel, AttenuatorDb, SearchIncrement,\n"
             "           MeasuredTime, BeamPath, HorizontalOffset, Depth, LegNumber,\n"
             "           EquivalentArea, DgsExcess and DgsPointLevel (at the measured\n"
             "           time); 9990 = not available, 99900 = DGS data incomplete\n"
             "\n"
             "Exit status: 0 success, 1 the file does not open or the string files\n"
             "do not load, 2 a usage error (N not a number or beyond the file's\n"
             "records).\n";
    case TCommand::Info:
      return "Usage: veltctl [--simulate PROFILE|FOLDER] info\n"
             "\n"
             "Connects to the instrument through libConduit.so, as Velt Studio does,\n"
             "and prints its device type, firmware version, configuration local\n"
             "version, the configuration class that firmware uses, the state text\n"
             "of the program's status bar (ending in \"(simulated)\" for the\n"
             "simulated instrument) and the link library's line on what it found.\n"
             "Without an instrument it says why on stderr: no instrument of the\n"
             "device table (named) is present, one is present but cannot be opened\n"
             "(libusb's reason), or one did not answer its identification.\n"
             "\n"
             "Exit status: 0 an instrument answered, 3 none is connected.\n" +
             SimulateHelp();
    case TCommand::RecordsPull:
      return "Usage: veltctl [--simulate PROFILE|FOLDER] records pull FILE.dtf\n"
             "\n"
             "Downloads every flaw record stored in the instrument and saves them as\n"
             "a record file, exactly as Velt Studio's download and Save do. An\n"
             "existing FILE is replaced only when the whole download succeeded.\n"
             "A record whose settings cannot be read is saved with the default\n"
             "settings and named in a warning line.\n"
             "\n"
             "Exit status: 0 saved, 1 the file cannot be written, 3 no instrument,\n"
             "firmware whose records cannot be read, no records in it, or the\n"
             "download failed.\n" +
             SimulateHelp();
    case TCommand::ConfigsPull:
      return "Usage: veltctl [--simulate PROFILE|FOLDER] configs pull FILE.ctf\n"
             "\n"
             "Downloads the instrument's 100 configurations (0 = the working one)\n"
             "and saves them as a configuration file, as Velt Studio does.\n"
             "\n"
             "Exit status: 0 saved, 1 the file cannot be written, 3 no instrument,\n"
             "firmware whose configurations cannot be read, or the download failed.\n" +
             SimulateHelp();
    case TCommand::ConfigsPush:
      return "Usage: veltctl [--simulate PROFILE|FOLDER] configs push FILE.ctf [SLOT...]\n"
             "\n"
             "Loads a configuration file and uploads configurations into the\n"
             "instrument: the given slots (0..99), or every configuration the file\n"
             "holds. The file must be for the instrument's configuration class and\n"
             "local version. A configuration with values out of range is not sent.\n"
             "Each configuration written takes the instrument about a second.\n"
             "\n"
             "Exit status: 0 uploaded, 1 the file does not load, 2 a slot is not\n"
             "0..99 or not in the file, 3 no instrument, other firmware, or not\n"
             "every configuration was written (the slots not written are named).\n" +
             SimulateHelp();
    case TCommand::ClockSet:
      return "Usage: veltctl [--simulate PROFILE|FOLDER] clock set\n"
             "\n"
             "Sets the instrument's clock to this computer's local time. Only\n"
             "instruments of device type 2 keep a clock.\n"
             "\n"
             "Exit status: 0 set, 3 no instrument, one without a clock, the\n"
             "instrument did not take the time, or the exchange failed.\n" +
             SimulateHelp();
    case TCommand::None:
      break;
  }
  return "Usage: veltctl [--simulate PROFILE|FOLDER] COMMAND [ARGUMENTS]\n"
         "\n"
         "The command-line companion of Velt Studio: its record (.dtf) and\n"
         "configuration (.ctf) files, and the instrument on the USB cable.\n"
         "\n"
         "Files:\n"
         "  check FILE                 open the file as the program would and summarise it\n"
         "  dump FILE                  print everything read from the file as JSON\n"
         "  ascan FILE N               print record N's A-scan as the clipboard text\n"
         "  measure [--json] FILE [N]  print the measurement results of record N or of all\n"
         "\n"
         "Instrument:\n"
         "  info                       device type, firmware and state of the instrument\n"
         "  records pull FILE.dtf      download all stored records into a record file\n"
         "  configs pull FILE.ctf      download all configurations into a file\n"
         "  configs push FILE.ctf [SLOT...]  upload configurations from a file\n"
         "  clock set                  set the instrument's clock to the local time\n"
         "\n"
         "'veltctl COMMAND --help' or 'veltctl help COMMAND' describes a command.\n"
         "Exit status: 0 success, 1 a file failure, 2 a usage error, 3 an instrument\n"
         "failure.\n" +
         SimulateHelp();
}

std::string UsageHint(TCommand command) {
  if (command == TCommand::None) {
    return "Try 'veltctl --help'.";
  }
  return std::string("Try 'veltctl ") + Info(command).Name + " --help'.";
}

}  // namespace veltctl
