// veltctl: the command-line companion of Velt Studio for record and
// configuration files (check, dump as JSON, A-scan text, measurement
// results, protocols rendered to PDF) and for the instrument (info, records
// and configurations pulled and pushed, clock).
#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include <strings/SafeSaveUnit.h>

#include "Arguments.h"
#include "Commands.h"
#include "DeviceCommands.h"
#include "MeasureCommand.h"
#ifdef VELTCTL_REPORT
#include "ReportCommand.h"
#endif

int main(int argc, char** argv) {
  using namespace veltctl;
  std::ios::sync_with_stdio(false);
  // Ctrl-C, a hang-up or SIGTERM during a download's save leaves no
  // temporary file beside the target; a size limit fails the save instead.
  velt::RemoveTemporaryFilesOnSignals();
  const TCommandLine line = ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
  if (!line.Error.empty()) {
    std::cerr << "veltctl: " << line.Error << '\n' << UsageHint(line.Command) << '\n';
    return kExitUsage;
  }
  if (line.Help) {
    std::cout << HelpText(line.Command);
    return kExitOk;
  }
  try {
    int status = kExitOk;
    switch (line.Command) {
      case TCommand::Check:
        status = RunCheck(line, std::cout, std::cerr);
        break;
      case TCommand::Dump:
        status = RunDump(line, std::cout, std::cerr);
        break;
      case TCommand::AScan:
        status = RunAScan(line, std::cout, std::cerr);
        break;
      case TCommand::Measure:
        status = RunMeasure(line, std::cout, std::cerr);
        break;
      case TCommand::Info:
        status = RunInfo(line, std::cout, std::cerr);
        break;
      case TCommand::RecordsPull:
        status = RunRecordsPull(line, std::cout, std::cerr);
        break;
      case TCommand::ConfigsPull:
        status = RunConfigsPull(line, std::cout, std::cerr);
        break;
      case TCommand::ConfigsPush:
        status = RunConfigsPush(line, std::cout, std::cerr);
        break;
      case TCommand::ClockSet:
        status = RunClockSet(line, std::cout, std::cerr);
        break;
      case TCommand::Report:
#ifdef VELTCTL_REPORT
        status = RunReport(line, argc, argv, std::cout, std::cerr);
#else
        std::cerr << "veltctl: this veltctl was built without Qt: it cannot draw protocols\n";
        status = kExitUsage;
#endif
        break;
      case TCommand::None:
      case TCommand::Records:
      case TCommand::Configs:
      case TCommand::Clock:
        std::cout << HelpText(line.Command);
        break;
    }
    std::cout.flush();
    if (!std::cout) {
      std::cerr << "veltctl: cannot write the output\n";
      return kExitFileFailure;
    }
    return status;
  } catch (const std::exception& e) {
    std::cerr << "veltctl: " << e.what() << '\n';
    return kExitFileFailure;
  }
}
