// A whole copy of a configuration cell, of the cell's own class, taken
// before an edit that changes several fields and put back when the edit is
// refused or abandoned half way, so that the cell is exactly as it was.
#pragma once

#include <memory>

#include <config/BaseConfigObjectsUnit.h>

namespace velt {

class TConfigSnapshot {
 public:
  explicit TConfigSnapshot(const TBaseConfigCell& cell);
  // Every field of the cell as it was when the snapshot was taken: its
  // settings, number, comments, the editing schemes' last accepted values.
  void Restore(TBaseConfigCell& cell) const;

 private:
  std::unique_ptr<TBaseConfigCell> Copy;
};

}  // namespace velt
