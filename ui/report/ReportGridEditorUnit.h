// The report grid's in-place editor.
#pragma once

namespace velt {}  // namespace velt
