#include "RecordFileGenerator.h"

#include <cstdlib>
#include <random>
#include <string>

#include <config/ConfigObject5_01ver_Unit.h>

namespace velt::bench {

std::uint16_t RecordCountFromEnvironment() {
  const char* text = std::getenv("VELT_BENCH_RECORDS");
  if (text == nullptr || *text == '\0') {
    return 1000;
  }
  const long value = std::strtol(text, nullptr, 10);
  return value >= 1 && value <= 65535 ? static_cast<std::uint16_t>(value) : 1000;
}

void FillCollection(TFlawDataBlock& block, std::uint16_t count, std::uint32_t seed) {
  block.Build(count, 3, 26, 1, 1);
  std::mt19937 random(seed);
  const auto sample = [&random]() { return static_cast<std::uint8_t>(random() % 181); };
  for (std::size_t i = 0; i < block.Records.size(); ++i) {
    TDataCell& record = *block.Records[i];
    record.FlawNumber = static_cast<std::uint16_t>(i + 1);
    record.DeviceIndex = 1;
    record.MajorVersion = 3;
    record.MinorVersion = 26;
    record.ConfigLocalVersion = 1;
    record.PrintFlag = static_cast<std::uint8_t>(random() % 2);
    for (auto& column : record.BScan) {
      for (auto& value : column) {
        value = sample();
      }
    }
    for (auto* envelope : {&record.FirstMaximums, &record.FirstMinimums, &record.SecondMaximums,
                           &record.SecondMinimums}) {
      for (std::size_t k = 0; k < kRecordArraySize; ++k) {
        (*envelope)[k] = sample();
      }
    }
    record.Comments.clear();
    for (std::uint32_t k = random() % 4; k > 0; --k) {
      record.Comments.push_back("weld " + std::to_string(random() % 1000) + ": root pass");
    }
    auto& cell = dynamic_cast<T3_26ConfigCell&>(*record.Configuration());
    cell.CONFIGURATION_NAME = "SETUP " + std::to_string(i % 100);
    cell.VELOCITY = static_cast<std::uint16_t>(3000 + random() % 3000);
    cell.THICKNESS = static_cast<double>(random() % 10000) / 100.0;
    cell.BeamAngle = static_cast<double>(random() % 9000) / 100.0;
    cell.StrobeBeginTime[0] = static_cast<double>(random() % 4000) / 8.0;
    cell.StrobeEndTime[0] = cell.StrobeBeginTime[0] + 10.0;
    cell.CONFIG_INDEX = static_cast<std::uint16_t>(random() % 100);
    for (auto& position : cell.TGV_POS) {
      position = static_cast<std::uint16_t>(random() % 320);
    }
  }
}

TFileResult GenerateRecordFile(const std::filesystem::path& path, std::uint16_t count) {
  TFlawDataBlock block;
  FillCollection(block, count);
  return SaveRecordFile(block, path);
}

namespace {

std::size_t ConfigurationBytes(const TBaseConfigCell& cell) {
  const std::string name = ConfigClassName(cell);
  std::size_t bytes = sizeof(TBaseConfigCell);
  if (name == "T3_17ConfigCell") bytes = sizeof(T3_17ConfigCell);
  if (name == "T3_26ConfigCell") bytes = sizeof(T3_26ConfigCell);
  if (name == "T4_03ConfigCell") bytes = sizeof(T4_03ConfigCell);
  if (name == "T4_08ConfigCell") bytes = sizeof(T4_08ConfigCell);
  if (name == "T5_00ConfigCell") bytes = sizeof(T5_00ConfigCell);
  if (name == "T5_01ConfigCell") bytes = sizeof(T5_01ConfigCell);
  for (const auto& scheme : cell.Schemes) {
    bytes += scheme.Entries.capacity() * sizeof(std::string) + scheme.EditMask.capacity();
    for (const auto& entry : scheme.Entries) {
      bytes += entry.capacity();
    }
  }
  bytes += cell.CONFIGURATION_NAME.capacity();
  bytes += cell.Comments.capacity() * sizeof(std::string);
  for (const auto& comment : cell.Comments) {
    bytes += comment.capacity();
  }
  return bytes;
}

}  // namespace

std::size_t EstimatedCollectionBytes(const TFlawDataBlock& block) {
  std::size_t bytes = sizeof(TFlawDataBlock) + block.Records.capacity() * sizeof(void*) +
                      block.DisplayOrder.capacity() * sizeof(std::uint16_t) +
                      block.ReceivedFlags.capacity() / 8;
  for (const auto& record : block.Records) {
    bytes += sizeof(TDataCell);
    for (const auto* envelope : {&record->FirstMaximums, &record->FirstMinimums,
                                 &record->SecondMaximums, &record->SecondMinimums}) {
      bytes += envelope->capacity();
    }
    bytes += record->Comments.capacity() * sizeof(std::string);
    for (const auto& comment : record->Comments) {
      bytes += comment.capacity();
    }
    if (record->Configuration() != nullptr) {
      bytes += ConfigurationBytes(*record->Configuration());
    }
  }
  return bytes;
}

}  // namespace velt::bench
