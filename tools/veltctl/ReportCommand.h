// veltctl report: an inspection protocol (the sheet of its report type and
// the flaw appendix, or the appendix alone) rendered to a PDF file with the
// program's own printed layouts, without a display.
#pragma once

#include <ostream>

#include "Arguments.h"

namespace veltctl {

// argc and argv are the program's, for the Qt application the drawing needs.
int RunReport(const TCommandLine& line, int& argc, char** argv, std::ostream& out,
              std::ostream& err);

}  // namespace veltctl
