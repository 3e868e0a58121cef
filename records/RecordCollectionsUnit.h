// The two collections the program holds: the flaw records and the
// configurations, each remembering the firmware versions and device type
// its cells were built for.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <records/UniversalDataObjectUnit.h>

namespace velt {

enum TCollectionSource : std::uint8_t { kSourceNone = 0, kSourceInstrument = 1, kSourceFile = 2 };

struct TFlawDataBlock {
  std::vector<std::uint16_t> DisplayOrder;
  std::vector<std::unique_ptr<TDataCell>> Records;  // storage order
  std::vector<TDataCell*> ReportSelection;
  std::uint16_t ReportSelectionCount = 0;
  TDataCell* CurrentRecord = nullptr;
  TDataCell* CurrentReportRecord = nullptr;
  std::vector<bool> ReceivedFlags;
  std::uint16_t Count = 0;
  std::string FileName;
  std::uint8_t Source = kSourceNone;
  std::uint8_t MajorVersion = 0;
  std::uint8_t MinorVersion = 0;
  std::uint8_t ConfigLocalVersion = 0;
  std::uint8_t DeviceType = 255;
  // The number format the cells show and parse reals with (the user's
  // locale); kept when the collection is cleared or built anew.
  TNumberFormat NumberFormat;

  // Count records, each with array size 320 and a cell of the class the
  // versions select, in the given number format (which the collection then
  // keeps) or in its own. Count must be at least 1.
  void Build(std::uint16_t count, std::uint8_t major, std::uint8_t minor, std::uint8_t local,
             std::uint8_t device, std::optional<TNumberFormat> format = std::nullopt);
  void Clear();
  void NaturalOrder();
  // Stable: records with equal CONFIG INDEX keep their relative order.
  void SortByConfigIndex();
  // The report tab's list: every record, in the current display order.
  void RebuildReportSelection();
};

struct TUSBConfigsBlock {
  std::vector<std::unique_ptr<TBaseConfigCell>> Configurations;  // storage order
  std::vector<bool> LoadedFlags;
  std::vector<bool> ChangedFlags;
  std::uint16_t Count = 0;
  // Carries the configuration being drawn; refers to it without owning it.
  std::unique_ptr<TDataCell> DrawingRecord;
  std::string FileName;
  std::uint8_t Source = kSourceNone;
  std::uint8_t MajorVersion = 0;
  std::uint8_t MinorVersion = 0;
  std::uint8_t ConfigLocalVersion = 0;
  std::uint8_t DeviceType = 0;
  // As for the flaw records.
  TNumberFormat NumberFormat;

  void Build(std::uint16_t count, std::uint8_t major, std::uint8_t minor, std::uint8_t local,
             std::uint8_t device, std::optional<TNumberFormat> format = std::nullopt);
  void Clear();
};

}  // namespace velt
