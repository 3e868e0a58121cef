// The three commands of veltctl. Each writes its result to `out`, its
// complaints to `err`, and returns the exit status.
#pragma once

#include <ostream>

#include "Arguments.h"

namespace veltctl {

int RunCheck(const TCommandLine& line, std::ostream& out, std::ostream& err);
int RunDump(const TCommandLine& line, std::ostream& out, std::ostream& err);
int RunAScan(const TCommandLine& line, std::ostream& out, std::ostream& err);

}  // namespace veltctl
