// The instrument commands of veltctl: each connects through libConduit.so
// as the program does, runs the program's own exchanges, writes what it
// got with the program's own save code, and returns the exit status.
#pragma once

#include <ostream>

#include "Arguments.h"

namespace veltctl {

int RunInfo(const TCommandLine& line, std::ostream& out, std::ostream& err);
int RunRecordsPull(const TCommandLine& line, std::ostream& out, std::ostream& err);
int RunConfigsPull(const TCommandLine& line, std::ostream& out, std::ostream& err);
int RunConfigsPush(const TCommandLine& line, std::ostream& out, std::ostream& err);
int RunClockSet(const TCommandLine& line, std::ostream& out, std::ostream& err);

}  // namespace veltctl
