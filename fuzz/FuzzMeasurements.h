// A decoded cell attached to a record whose samples and averaging state the
// fuzzer chose, then run through what the live view does with every frame:
// the strobes, every result value and both grid fills. The two fields the
// DGS values change while they run must be back afterwards.
#pragma once

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include <config/ConfigObject3_26ver_Unit.h>
#include <records/UniversalDataObjectUnit.h>
#include <signal/ProcessStrobesUnit.h>
#include <signal/ResultParametersUnit.h>

namespace velt::fuzzing {

class TSinkGrid : public IResultGrid {
 public:
  void SetCell(int column, int row, const std::string& text) override {
    Sum += static_cast<std::size_t>(column + row) + text.size();
  }
  std::size_t Sum = 0;
};

// Byte i of the chosen bytes, cyclically; 0 when there are none.
inline std::uint8_t Pick(const std::uint8_t* data, std::size_t size, std::size_t i) {
  return size == 0 ? 0 : data[i % size];
}

inline bool SameBits(double a, double b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

// The first bytes choose the record: its array size (small ones too, so the
// indices meet short arrays), the averaging histories' capacity and count,
// whether the cell is put into DGS mode; the rest are the samples.
inline void Measure(std::unique_ptr<TBaseConfigCell> cell, const std::uint8_t* data,
                    std::size_t size) {
  const std::uint8_t sizeByte = Pick(data, size, 0);
  const std::uint16_t arraySize = sizeByte < 64 ? sizeByte : kRecordArraySize;
  TDataCell record(arraySize);
  record.AveragingHistory1.Capacity = Pick(data, size, 1);
  record.AveragingHistory1.Count = Pick(data, size, 2);
  record.AveragingHistory2.Capacity = Pick(data, size, 3);
  record.AveragingHistory2.Count = Pick(data, size, 4);
  // Flags steer toward the paths random cells seldom reach: DGS mode,
  // complete DGS data (each missing value given a plausible one, the rest
  // kept as hostile as decoded), the 4.03 magnifier's peak.
  const std::uint8_t flags = Pick(data, size, 5);
  if ((flags & 1) != 0) {
    cell->TVG_ENABLED = 2;
  }
  if ((flags & 4) != 0) {
    cell->ARD_PLATE_DIAMETER = cell->ARD_PLATE_DIAMETER == 0 ? 12 : cell->ARD_PLATE_DIAMETER;
    cell->ARD_SIGNAL_AMPLITUDE = cell->ARD_SIGNAL_AMPLITUDE == 0 ? 60 : cell->ARD_SIGNAL_AMPLITUDE;
    cell->ARD_PLATE_FLOOR_DIAMETER =
        cell->ARD_PLATE_FLOOR_DIAMETER == 0 ? 3 : cell->ARD_PLATE_FLOOR_DIAMETER;
  }
  if (auto* lupa = dynamic_cast<T3_26ConfigCell*>(cell.get());
      lupa != nullptr && (flags & 8) != 0) {
    lupa->SCREEN_MODE = 3;
    lupa->CURSOR_IS_IN_LUPA = 1;
  }
  std::size_t at = 6;
  for (auto* samples : {&record.FirstMaximums, &record.FirstMinimums, &record.SecondMaximums,
                        &record.SecondMinimums}) {
    for (auto& sample : *samples) {
      sample = Pick(data, size, at++);
    }
  }
  record.AttachOwned(std::move(cell));
  TBaseConfigCell& c = *record.Configuration();

  ProcessStrobes(record);
  const std::uint8_t counts[2] = {record.AveragingHistory1.Count, record.AveragingHistory2.Count};
  const std::uint8_t tvg = c.TVG_ENABLED;
  const double area = c.ARD_PLATE_FLOOR_DIAMETER;
  double sink = SampleAmplitude(record) + AmplitudeDb(record) + SignalLevel(record, true) +
                SignalLevel(record, false) + AttenuatorDb(record) + SearchIncrement(record) +
                DgsExcess(record) + EquivalentArea(record);
  TSinkGrid results;
  TSinkGrid conditions;
  FillResultsGrid(record, results, (flags & 2) != 0);
  FillConditionsGrid(record, conditions, results);
  if (c.TVG_ENABLED != tvg || !SameBits(c.ARD_PLATE_FLOOR_DIAMETER, area)) {
    __builtin_trap();  // a temporary change escaped its computation
  }
  // A history that took an entry holds at most 32; one left alone keeps
  // whatever count it had.
  if ((record.AveragingHistory1.Count != counts[0] &&
       record.AveragingHistory1.Count > kAveragingCapacity) ||
      (record.AveragingHistory2.Count != counts[1] &&
       record.AveragingHistory2.Count > kAveragingCapacity)) {
    __builtin_trap();
  }
  sink += static_cast<double>(results.Sum + conditions.Sum);
  volatile double keep = sink;
  static_cast<void>(keep);
}

}  // namespace velt::fuzzing
