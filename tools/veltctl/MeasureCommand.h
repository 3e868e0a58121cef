// veltctl measure: the results and conditions grids of the records of a
// record file, as the data tab shows them, or as JSON with the raw values.
#pragma once

#include <ostream>

#include "Arguments.h"

namespace veltctl {

int RunMeasure(const TCommandLine& line, std::ostream& out, std::ostream& err);

}  // namespace veltctl
