#include "Arguments.h"

#include <cstddef>

namespace veltctl {
namespace {

struct TCommandInfo {
  TCommand Command;
  const char* Name;
  std::size_t Operands;  // FILE, or FILE and N
};

constexpr TCommandInfo kCommands[] = {
    {TCommand::Check, "check", 1},
    {TCommand::Dump, "dump", 1},
    {TCommand::AScan, "ascan", 2},
};

const TCommandInfo* Find(const std::string& name) {
  for (const auto& info : kCommands) {
    if (name == info.Name) {
      return &info;
    }
  }
  return nullptr;
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

}  // namespace

TCommandLine ParseCommandLine(const std::vector<std::string>& arguments) {
  TCommandLine line;
  if (arguments.empty()) {
    return UsageError(line, "no command given");
  }
  const std::string& first = arguments[0];
  if (IsHelp(first) || first == "help") {
    line.Help = true;
    if (first == "help" && arguments.size() > 1) {
      const TCommandInfo* info = Find(arguments[1]);
      if (info == nullptr) {
        return UsageError(line, "unknown command '" + arguments[1] + "'");
      }
      line.Command = info->Command;
    }
    return line;
  }
  const TCommandInfo* info = Find(first);
  if (info == nullptr) {
    return UsageError(line, first.starts_with("-") ? "unknown option '" + first + "'"
                                                   : "unknown command '" + first + "'");
  }
  line.Command = info->Command;

  std::vector<std::string> operands;
  bool optionsEnded = false;
  for (std::size_t i = 1; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (!optionsEnded && argument == "--") {
      optionsEnded = true;
    } else if (!optionsEnded && IsHelp(argument)) {
      line.Help = true;
    } else if (!optionsEnded && line.Command == TCommand::Dump && argument == "--compact") {
      line.Compact = true;
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
  if (operands.size() > info->Operands) {
    return UsageError(line, "unexpected argument '" + operands[info->Operands] + "'");
  }
  line.File = operands[0];
  if (info->Operands == 2) {
    line.RecordNumber = operands[1];
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
    case TCommand::None:
      break;
  }
  return "Usage: veltctl COMMAND [ARGUMENTS]\n"
         "\n"
         "The command-line companion of Velt Studio for its record (.dtf) and\n"
         "configuration (.ctf) files.\n"
         "\n"
         "Commands:\n"
         "  check FILE      open the file as the program would and summarise it\n"
         "  dump FILE       print everything read from the file as JSON\n"
         "  ascan FILE N    print record N's A-scan as the clipboard text\n"
         "\n"
         "'veltctl COMMAND --help' or 'veltctl help COMMAND' describes a command.\n"
         "Exit status: 0 success, 1 a file failure, 2 a usage error.\n";
}

std::string UsageHint(TCommand command) {
  if (command == TCommand::None) {
    return "Try 'veltctl --help'.";
  }
  return std::string("Try 'veltctl ") + Info(command).Name + " --help'.";
}

}  // namespace veltctl
