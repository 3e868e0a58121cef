// Errors the core raises for the caller's general error handler to report:
// the operation that asked is abandoned, nothing else is lost.
#pragma once

#include <stdexcept>
#include <string>

namespace velt {

// A file could not be opened, read or written.
class EInOutError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace velt
