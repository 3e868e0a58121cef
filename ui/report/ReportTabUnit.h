// The report tab.
#pragma once

namespace velt {}  // namespace velt
