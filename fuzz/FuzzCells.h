// One cell of each of the seven configuration classes, chosen by a byte of
// the fuzzer's input, so every layout gets the same hostile bytes.
#pragma once

#include <cstdint>
#include <memory>

#include <config/ConfigObject5_01ver_Unit.h>

namespace velt::fuzzing {

inline constexpr int kCellClasses = 7;

inline std::unique_ptr<TBaseConfigCell> MakeCell(std::uint8_t selector) {
  std::unique_ptr<TBaseConfigCell> cell;
  switch (selector % kCellClasses) {
    case 0:
      cell = std::make_unique<TBaseConfigCell>();
      break;
    case 1:
      cell = std::make_unique<T3_17ConfigCell>();
      break;
    case 2:
      cell = std::make_unique<T3_26ConfigCell>();
      break;
    case 3:
      cell = std::make_unique<T4_03ConfigCell>();
      break;
    case 4:
      cell = std::make_unique<T4_08ConfigCell>();
      break;
    case 5:
      cell = std::make_unique<T5_00ConfigCell>();
      break;
    default:
      cell = std::make_unique<T5_01ConfigCell>();
      break;
  }
  cell->Initialise();
  return cell;
}

// The operations that read table-indexed fields, as the views use them.
inline void Exercise(TBaseConfigCell& cell) {
  cell.Validate();
  cell.UpdateMillimetreGrid();
  cell.UpdateDepthGrid();
  double sink = 0;
  for (std::uint8_t p = 0; p < kParameterCount; ++p) {
    sink += static_cast<double>(cell.ParameterText(p).size());
  }
  for (std::uint8_t s = 0; s < 2; ++s) {
    sink += cell.StrobeBeginPixel(s) + cell.StrobeEndPixel(s) + cell.StrobeLevelDb(s) +
            cell.StrobeBeginPath(s) + cell.StrobeBeginDepth(s) + cell.StrobeEndPath(s) +
            cell.CursorTime(s) + cell.CursorPixel(s);
  }
  for (std::uint8_t i = 0; i < kTgvPoints + 2; ++i) {
    sink += cell.TgvPointPixel(i) + cell.TgvPointRow(i);
  }
  sink += cell.TgvCurveRow(cell.CursorTime()) + cell.MeasurementPosition() + cell.BeamPath() +
          cell.Depth() + cell.LegNumber() + cell.HorizontalOffset() + cell.PeakPosition() +
          cell.MeasuredTime();
  volatile double keep = sink;
  static_cast<void>(keep);
}

}  // namespace velt::fuzzing
