#include "Arguments.h"

#include <algorithm>
#include <cstddef>
#include <map>
#include <tuple>
#include <utility>

#include <CLI/CLI.hpp>

namespace veltctl {
namespace {

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


std::string CommandName(TCommand command) {
  switch (command) {
    case TCommand::Check: return "check";
    case TCommand::Dump: return "dump";
    case TCommand::AScan: return "ascan";
    case TCommand::Measure: return "measure";
    case TCommand::Info: return "info";
    case TCommand::RecordsPull: return "records pull";
    case TCommand::ConfigsPull: return "configs pull";
    case TCommand::ConfigsPush: return "configs push";
    case TCommand::ClockSet: return "clock set";
    case TCommand::Report: return "report";
    case TCommand::Records: return "records";
    case TCommand::Configs: return "configs";
    case TCommand::Clock: return "clock";
    case TCommand::None: break;
  }
  return {};
}

bool IsGroup(TCommand command) {
  return command == TCommand::Records || command == TCommand::Configs ||
         command == TCommand::Clock;
}

std::string Actions(TCommand group) {
  switch (group) {
    case TCommand::Clock: return "'clock set'";
    case TCommand::Configs: return "'configs pull' or 'configs push'";
    default: return "'records pull'";
  }
}

// The command line as CLI11 reads it: one sub-command per command, the
// instrument's objects as sub-commands with their actions below them.
// CLI11 is told to keep what it does not know (extras) and to pass options
// it does not find in a command on to the program (fallthrough), so that
// --simulate may stand anywhere and every complaint is said in veltctl's
// own words, naming the argument.
class TParser {
 public:
  explicit TParser(TCommandLine& line) : Line(line) {
    Root.allow_extras();
    Root.fallthrough();
    // One command a line: after it, a command's name is an operand
    // ("veltctl check info" checks a file called info).
    Root.require_subcommand(0, 1);
    // Given twice, an option's last value counts, as in most programs.
    Root.add_option("--simulate", Line.Simulate)->expected(0, 1)->take_last();

    CLI::App* check = Add(Root, "check", TCommand::Check);
    Required(check, check->add_option("FILE", Line.File), "the file is missing");
    CLI::App* dump = Add(Root, "dump", TCommand::Dump);
    dump->add_flag("--compact", Line.Compact);
    Required(dump, dump->add_option("FILE", Line.File), "the file is missing");
    CLI::App* ascan = Add(Root, "ascan", TCommand::AScan);
    Required(ascan, ascan->add_option("FILE", Line.File), "the file is missing");
    Required(ascan, ascan->add_option("N", Line.RecordNumber), "the record number N is missing");
    CLI::App* measure = Add(Root, "measure", TCommand::Measure);
    measure->add_flag("--json", Line.Json);
    Required(measure, measure->add_option("FILE", Line.File), "the file is missing");
    measure->add_option("N", Line.RecordNumber);
    Add(Root, "info", TCommand::Info);

    CLI::App* records = Group("records", TCommand::Records);
    CLI::App* recordsPull = Add(*records, "pull", TCommand::RecordsPull);
    Required(recordsPull, recordsPull->add_option("FILE", Line.File), "the file is missing");
    CLI::App* configs = Group("configs", TCommand::Configs);
    CLI::App* configsPull = Add(*configs, "pull", TCommand::ConfigsPull);
    Required(configsPull, configsPull->add_option("FILE", Line.File), "the file is missing");
    CLI::App* push = Add(*configs, "push", TCommand::ConfigsPush);
    Required(push, push->add_option("FILE", Line.File), "the file is missing");
    push->add_option("SLOT", Line.Slots);
    CLI::App* clock = Group("clock", TCommand::Clock);
    Add(*clock, "set", TCommand::ClockSet);

    CLI::App* report = Add(Root, "report", TCommand::Report);
    Required(report, report->add_option("FILE", Line.File), "the record file is missing");
    Required(report, report->add_option("--header", Line.Header)->take_last(),
             "the report header file is missing: --header REPORT.rct");
    report->add_option("--type", Line.ReportType)->take_last();
    Flaws = report->add_option("--records", Line.FlawNumbers)->take_last();
    CLI::Option* marked = report->add_flag("--marked", Line.Marked);
    Flaws->excludes(marked);
    Required(report, report->add_option("--out", Line.Out)->take_last(),
             "the output file is missing: --out PROTOCOL.pdf");
    report->add_flag("--appendix-only", Line.AppendixOnly);

    CLI::App* help = Add(Root, "help", TCommand::None);
    help->add_option("COMMAND", HelpWords);
    Help = help;
  }

  void Parse(const std::vector<std::string>& arguments) {
    // CLI11 takes the arguments last first.
    std::vector<std::string> reversed(arguments.rbegin(), arguments.rend());
    CLI::Option* simulate = Root.get_option("--simulate");
    try {
      Root.parse(reversed);
    } catch (const CLI::CallForHelp&) {
      Line.Help = true;
      Line.Command = Selected().second;
      return;
    } catch (const CLI::ParseError& error) {
      Line.Command = Selected().second;
      Line.SimulateGiven = simulate->count() > 0;
      Line.Error = Explain(&error);
      return;
    }
    Line.Command = Selected().second;
    Line.SimulateGiven = simulate->count() > 0;
    Line.RecordsGiven = Flaws->count() > 0;
    Line.Error = Explain(nullptr);
    if (Line.Error.empty() && Selected().first == Help) {
      AskedForHelp();
    }
  }

 private:
  CLI::App* Add(CLI::App& parent, const char* name, TCommand command) {
    CLI::App* app = parent.add_subcommand(name);
    Commands[app] = command;
    return app;
  }

  CLI::App* Group(const char* name, TCommand command) {
    CLI::App* app = Add(Root, name, command);
    app->require_subcommand(0, 1);
    return app;
  }

  void Required(const CLI::App* app, CLI::Option* option, std::string message) {
    option->required();
    Messages.emplace_back(app, option, std::move(message));
  }

  // The command the line selected (the deepest sub-command CLI11 parsed).
  std::pair<const CLI::App*, TCommand> Selected() const {
    const CLI::App* app = &Root;
    while (!app->get_subcommands().empty()) {
      app = app->get_subcommands().front();
    }
    const auto found = Commands.find(app);
    return {app, found == Commands.end() ? TCommand::None : found->second};
  }

  // What is wrong with the line, in veltctl's words; empty when nothing.
  // `error` is CLI11's own complaint, used for what has no words of ours.
  std::string Explain(const CLI::ParseError* error) const {
    const TCommand command = Selected().second;
    std::vector<std::string> extras = Root.remaining(true);
    // CLI11 keeps the "--" that ends the options among what it did not take;
    // it was taken, as the end of the options.
    if (const auto mark = std::find(extras.begin(), extras.end(), "--"); mark != extras.end()) {
      extras.erase(mark);
    }
    if (!extras.empty()) {
      const std::string& extra = extras.front();
      if (extra.size() > 1 && extra.starts_with("-")) {
        return "unknown option '" + extra + "'";
      }
      if (Selected().first == &Root) {
        return "unknown command '" + extra + "'";
      }
      if (IsGroup(command)) {
        return "unknown command '" + CommandName(command) + " " + extra + "'";
      }
      return "unexpected argument '" + extra + "'";
    }
    if (Line.SimulateGiven && Line.Simulate.empty()) {
      return "--simulate needs a profile or a folder";
    }
    if (Selected().first == &Root) {
      return "no command given";
    }
    if (IsGroup(command)) {
      return "'" + CommandName(command) + "' needs an action: " + Actions(command);
    }
    for (const auto& [app, option, message] : Messages) {
      if (app == Selected().first && option->count() == 0) {
        return message;
      }
    }
    if (dynamic_cast<const CLI::ArgumentMismatch*>(error) != nullptr) {
      // An option given last on the line without its value.
      const std::string what = error->what();
      return what.substr(0, what.find(':')) + " needs a value";
    }
    if (dynamic_cast<const CLI::ExcludesError*>(error) != nullptr) {
      return "--records and --marked choose the records in two ways: give one of them";
    }
    return error != nullptr ? error->what() : std::string();
  }

  // "help [COMMAND [ACTION]]": the help of that command, or the overall one.
  void AskedForHelp() {
    Line.Help = true;
    Line.Command = TCommand::None;
    if (HelpWords.empty()) {
      return;
    }
    std::string name = HelpWords.front();
    for (std::size_t i = 1; i < HelpWords.size(); ++i) {
      name += " " + HelpWords[i];
    }
    for (const auto& [app, command] : Commands) {
      if (command != TCommand::None && CommandName(command) == name) {
        Line.Command = command;
        return;
      }
    }
    Line.Help = false;
    Line.Error = "unknown command '" + name + "'";
  }

  TCommandLine& Line;
  CLI::App Root{"The command-line companion of Velt Studio", "veltctl"};
  std::map<const CLI::App*, TCommand> Commands;
  // The required operands and options, with what to say when one is missing.
  std::vector<std::tuple<const CLI::App*, const CLI::Option*, std::string>> Messages;
  std::vector<std::string> HelpWords;
  const CLI::App* Help = nullptr;
  CLI::Option* Flaws = nullptr;
};

}  // namespace

TCommandLine ParseCommandLine(const std::vector<std::string>& arguments) {
  TCommandLine line;
  TParser parser(line);
  parser.Parse(arguments);
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
    case TCommand::Report:
      return "Usage: veltctl report FILE.dtf --header REPORT.rct [--type 1|2]\n"
             "                      [--records N,N,... | --marked] --out PROTOCOL.pdf\n"
             "                      [--appendix-only]\n"
             "\n"
             "Renders an inspection protocol to a PDF file, without a display, in the\n"
             "layouts Velt Studio prints: the protocol sheet of the report type with the\n"
             "header fields of REPORT.rct (a report file saved on the report tab) and a\n"
             "table row per flaw, then the flaw appendix (two records a page, with their\n"
             "signal pictures and values). Prints the number of pages written.\n"
             "\n"
             "  --header REPORT.rct  the report file with the protocol's header fields\n"
             "  --type 1|2           the report type, 1 (the default) or 2\n"
             "  --records N,N,...    the flaws of the protocol by their flaw numbers\n"
             "                       (FLAW #), in this order\n"
             "  --marked             the records of FILE.dtf marked for printing\n"
             "  --out PROTOCOL.pdf   the PDF file; an existing one is replaced only when\n"
             "                       the new one is complete\n"
             "  --appendix-only      the flaw appendix alone, without the protocol sheet\n"
             "\n"
             "Without --records or --marked the marked records are taken; when none is\n"
             "marked, the protocol lists no flaws (a report file holds no flaw list).\n"
             "\n"
             "Exit status: 0 written, 1 a file cannot be read or the PDF cannot be\n"
             "written (no PDF is left behind), 2 a usage error (a flaw number that is\n"
             "not in FILE.dtf, --marked with no record marked, --records with --marked,\n"
             "a type other than 1 or 2, no records for the appendix alone).\n";
    case TCommand::Records:
      return "Usage: veltctl [--simulate PROFILE|FOLDER] records pull FILE.dtf\n"
             "\n"
             "The flaw records stored in the instrument:\n"
             "  records pull FILE.dtf      download all stored records into a record file\n"
             "\n"
             "'veltctl records pull --help' describes the action.\n" +
             SimulateHelp();
    case TCommand::Configs:
      return "Usage: veltctl [--simulate PROFILE|FOLDER] configs pull|push FILE.ctf [SLOT...]\n"
             "\n"
             "The instrument's configurations:\n"
             "  configs pull FILE.ctf      download all configurations into a file\n"
             "  configs push FILE.ctf [SLOT...]  upload configurations from a file\n"
             "\n"
             "'veltctl configs pull --help' or 'veltctl configs push --help' describes\n"
             "an action.\n" +
             SimulateHelp();
    case TCommand::Clock:
      return "Usage: veltctl [--simulate PROFILE|FOLDER] clock set\n"
             "\n"
             "The instrument's clock:\n"
             "  clock set                  set the instrument's clock to the local time\n"
             "\n"
             "'veltctl clock set --help' describes the action.\n" +
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
         "Protocols:\n"
         "  report FILE.dtf --header REPORT.rct --out PROTOCOL.pdf\n"
         "                             render an inspection protocol to PDF\n"
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
  return "Try 'veltctl " + CommandName(command) + " --help'.";
}

}  // namespace veltctl
