// The report grid's cell rules: text limits per column and the title hints.
#pragma once

namespace velt {}  // namespace velt
