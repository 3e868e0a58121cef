#include <records/ConfigSnapshotUnit.h>

#include <config/ConfigObject3_17ver_Unit.h>
#include <config/ConfigObject3_26ver_Unit.h>
#include <config/ConfigObject4_03ver_Unit.h>
#include <config/ConfigObject4_08ver_Unit.h>
#include <config/ConfigObject5_00ver_Unit.h>
#include <config/ConfigObject5_01ver_Unit.h>

namespace velt {
namespace {

// An empty cell of the same class, so that Assign copies the fields of
// that class too.
std::unique_ptr<TBaseConfigCell> SameClass(const TBaseConfigCell& cell) {
  const TNumberFormat format = cell.NumberFormat();
  // Most derived first.
  if (dynamic_cast<const T5_01ConfigCell*>(&cell)) return std::make_unique<T5_01ConfigCell>(format);
  if (dynamic_cast<const T5_00ConfigCell*>(&cell)) return std::make_unique<T5_00ConfigCell>(format);
  if (dynamic_cast<const T4_08ConfigCell*>(&cell)) return std::make_unique<T4_08ConfigCell>(format);
  if (dynamic_cast<const T4_03ConfigCell*>(&cell)) return std::make_unique<T4_03ConfigCell>(format);
  if (dynamic_cast<const T3_26ConfigCell*>(&cell)) return std::make_unique<T3_26ConfigCell>(format);
  if (dynamic_cast<const T3_17ConfigCell*>(&cell)) return std::make_unique<T3_17ConfigCell>(format);
  return std::make_unique<TBaseConfigCell>(format);
}

// Assign copies the settings (those a paste takes); the rest of the cell
// is copied here: what identifies it, its comments, and the working state
// of its editing schemes and models.
void CopyWhole(const TBaseConfigCell& from, TBaseConfigCell& to) {
  to.Assign(&from);
  to.DisplayOffset = from.DisplayOffset;
  to.CONFIGURATION_NO = from.CONFIGURATION_NO;
  to.NameChars = from.NameChars;
  to.B_SCAN_BEGIN = from.B_SCAN_BEGIN;
  to.B_SCAN_END = from.B_SCAN_END;
  to.MmGridPixels1 = from.MmGridPixels1;
  to.MmGridPixels2 = from.MmGridPixels2;
  to.AMPLITUDE_MARKER_POSITION = from.AMPLITUDE_MARKER_POSITION;
  to.Comments = from.Comments;
  to.Schemes = from.Schemes;
  to.Frozen = from.Frozen;
  to.Dgs = from.Dgs;
}

}  // namespace

TConfigSnapshot::TConfigSnapshot(const TBaseConfigCell& cell) : Copy(SameClass(cell)) {
  CopyWhole(cell, *Copy);
}

void TConfigSnapshot::Restore(TBaseConfigCell& cell) const { CopyWhole(*Copy, cell); }

}  // namespace velt
