// The command line of veltctl: which command, its operands, or a request
// for help; and the help texts.
#pragma once

#include <string>
#include <vector>

namespace veltctl {

// Exit statuses: success, a file that cannot be opened, read or written, a
// command line that asks for something veltctl cannot do, no instrument or
// an exchange with it that failed.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFileFailure = 1;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitInstrumentFailure = 3;

enum class TCommand {
  None,
  Check,
  Dump,
  AScan,
  Measure,
  Info,
  RecordsPull,
  ConfigsPull,
  ConfigsPush,
  ClockSet,
  Report,
  // The instrument's objects alone: only their help is asked for.
  Records,
  Configs,
  Clock
};

struct TCommandLine {
  TCommand Command = TCommand::None;
  bool Help = false;     // print the help of Command (overall help for None)
  bool Compact = false;  // dump: one line instead of indented JSON
  bool Json = false;     // measure: JSON instead of the grids' texts
  std::string File;
  std::string RecordNumber;  // ascan, measure: N as typed (measure: may be empty)
  std::vector<std::string> Slots;  // configs push: the slots as typed
  bool SimulateGiven = false;
  std::string Simulate;  // --simulate PROFILE|FOLDER
  // report: the header file, the type as typed, the flaw numbers as typed,
  // the output file and what to print.
  std::string Header;
  std::string ReportType = "1";
  bool RecordsGiven = false;
  std::string FlawNumbers;
  bool Marked = false;
  std::string Out;
  bool AppendixOnly = false;
  std::string Error;         // non-empty: a usage error, said in this text
};

// Reads the arguments after the program name (with CLI11).
TCommandLine ParseCommandLine(const std::vector<std::string>& arguments);

// The help of one command, or the overall help for TCommand::None.
std::string HelpText(TCommand command);

// The one-line reminder printed after a usage error.
std::string UsageHint(TCommand command);

}  // namespace veltctl
