// The header panels' input rules on their controls.
#pragma once

namespace velt {}  // namespace velt
