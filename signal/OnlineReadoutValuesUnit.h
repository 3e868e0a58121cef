// The online readouts' values and texts.
#pragma once

namespace velt {}  // namespace velt
