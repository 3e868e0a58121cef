// The online tab's readout strip.
#pragma once

namespace velt {}  // namespace velt
