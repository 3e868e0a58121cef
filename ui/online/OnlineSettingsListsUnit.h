// The online tab's five settings lists.
#pragma once

namespace velt {}  // namespace velt
