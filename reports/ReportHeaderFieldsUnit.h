// The report header's field rules: length limits and the date correction.
#pragma once

namespace velt {}  // namespace velt
