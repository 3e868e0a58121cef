#include <records/RecordCollectionsUnit.h>

#include <algorithm>

namespace velt {

void TFlawDataBlock::Build(std::uint16_t count, std::uint8_t major, std::uint8_t minor,
                           std::uint8_t local, std::uint8_t device,
                           std::optional<TNumberFormat> format) {
  if (format) {
    NumberFormat = *format;
  }
  MajorVersion = major;
  MinorVersion = minor;
  ConfigLocalVersion = local;
  DeviceType = device;
  Records.clear();
  Records.reserve(count);
  DisplayOrder.assign(count, 0);
  ReceivedFlags.assign(count, false);
  for (std::uint16_t i = 0; i < count; ++i) {
    auto record = std::make_unique<TDataCell>(kRecordArraySize);
    DisplayOrder[i] = i;
    CreateConfigCellForVersion(major, minor, local, device, *record, NumberFormat);
    Records.push_back(std::move(record));
  }
  Count = count;
  CurrentRecord = Records.empty() ? nullptr : Records[DisplayOrder[0]].get();
  // The report tab's list pointed into the records that went.
  ReportSelection.clear();
  ReportSelectionCount = 0;
  CurrentReportRecord = nullptr;
}

void TFlawDataBlock::Clear() {
  for (auto& record : Records) {
    record->Release(false);
  }
  Records.clear();
  DisplayOrder.clear();
  ReceivedFlags.clear();
  ReportSelection.clear();
  ReportSelectionCount = 0;
  CurrentRecord = nullptr;
  CurrentReportRecord = nullptr;
  FileName.clear();
  Source = kSourceNone;
  MajorVersion = 0;
  MinorVersion = 0;
  ConfigLocalVersion = 0;
  DeviceType = 255;
  Count = 0;
}

void TFlawDataBlock::NaturalOrder() {
  for (std::size_t i = 0; i < DisplayOrder.size(); ++i) {
    DisplayOrder[i] = static_cast<std::uint16_t>(i);
  }
}

void TFlawDataBlock::SortByConfigIndex() {
  const auto key = [this](std::uint16_t index) -> std::uint16_t {
    const TBaseConfigCell* cell =
        index < Records.size() ? Records[index]->Configuration() : nullptr;
    return cell ? cell->CONFIG_INDEX : 0;
  };
  // Equal keys never swap: the order of equal records is kept.
  std::stable_sort(DisplayOrder.begin(), DisplayOrder.end(),
                   [&key](std::uint16_t a, std::uint16_t b) { return key(a) < key(b); });
}

void TFlawDataBlock::RebuildReportSelection() {
  ReportSelection.clear();
  for (std::uint16_t r = 0; r < Count && r < DisplayOrder.size(); ++r) {
    ReportSelection.push_back(Records[DisplayOrder[r]].get());
  }
  ReportSelectionCount = static_cast<std::uint16_t>(ReportSelection.size());
}

void TUSBConfigsBlock::Build(std::uint16_t count, std::uint8_t major, std::uint8_t minor,
                             std::uint8_t local, std::uint8_t device,
                             std::optional<TNumberFormat> format) {
  if (format) {
    NumberFormat = *format;
  }
  MajorVersion = major;
  MinorVersion = minor;
  ConfigLocalVersion = local;
  DeviceType = device;
  Configurations.clear();
  Configurations.reserve(count);
  LoadedFlags.assign(count, false);
  ChangedFlags.assign(count, false);
  if (!DrawingRecord) {
    DrawingRecord = std::make_unique<TDataCell>(kRecordArraySize);
  }
  for (std::uint16_t i = 0; i < count; ++i) {
    Configurations.push_back(CreateConfigCellForVersion(major, minor, local, device, NumberFormat));
  }
  Count = count;
  DrawingRecord->Refer(Configurations.empty() ? nullptr : Configurations[0].get());
}

void TUSBConfigsBlock::Clear() {
  if (Count == 0) {
    return;
  }
  if (DrawingRecord) {
    DrawingRecord->Refer(nullptr);
    DrawingRecord->Release(true);
  }
  Configurations.clear();
  FileName.clear();
  Source = kSourceNone;
  LoadedFlags.clear();
  ChangedFlags.clear();
  Count = 0;
  MajorVersion = 0;
  MinorVersion = 0;
  ConfigLocalVersion = 0;
}

}  // namespace velt
