// The online tab.
#pragma once

namespace velt {}  // namespace velt
