// Writes the seed inputs of the file readers' fuzz targets with our own
// writer: four bytes for the held collection's shape (see FuzzFiles.h),
// then a small record or configuration file.
//   MakeFuzzSeeds <folder>   -> <folder>/OpenRecordFileFuzz/*, <folder>/LoadConfigurationFileFuzz/*
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include <records/RecordFilesUnit.h>

namespace fs = std::filesystem;
using namespace velt;

namespace {

struct TSeed {
  const char* Name;
  std::uint8_t Held;  // count in bits 0..1, device type 2 when bit 2 is set
  std::uint8_t Device, Major, Minor, Local;
};

bool WriteSeed(const fs::path& file, const fs::path& seed, const TSeed& s) {
  std::ifstream in(file, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::ofstream out(seed, std::ios::binary | std::ios::trunc);
  out.put(static_cast<char>(s.Held)).put(static_cast<char>(s.Major));
  out.put(static_cast<char>(s.Minor)).put(static_cast<char>(s.Local));
  out << bytes;
  return static_cast<bool>(out);
}

// A little of everything a file carries, without making it long.
void Fill(TBaseConfigCell& cell, std::uint16_t n, std::uint8_t device) {
  cell.CONFIGURATION_NO = n;
  cell.DEVICE_INDEX = device;
  cell.Comments = {"seed: " + std::to_string(n)};
  cell.CONFIG_INDEX = static_cast<std::uint16_t>(7 - n);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <corpus folder>\n", argv[0]);
    return 2;
  }
  const fs::path root = argv[1];
  const fs::path records = root / "OpenRecordFileFuzz";
  const fs::path configs = root / "LoadConfigurationFileFuzz";
  fs::create_directories(records);
  fs::create_directories(configs);
  const fs::path scratch = root / "scratch.tmp";

  // Record files: one record each, opened into an empty collection
  // (rebuilt) and into one of the same shape (reused).
  const TSeed recordSeeds[] = {
      {"record-3_26-reused", 1, 1, 3, 27, 0},
      {"record-5_01-rebuilt", 0, 1, 5, 22, 1},
      {"record-4_08-device2-rebuilt", 0, 2, 4, 1, 3},
  };
  for (const TSeed& s : recordSeeds) {
    TFlawDataBlock block;
    block.Build(1, s.Major, s.Minor, s.Local, s.Device);
    TDataCell& record = *block.Records[0];
    record.FlawNumber = 1;
    record.DeviceIndex = s.Device;
    record.MajorVersion = s.Major;
    record.MinorVersion = s.Minor;
    record.ConfigLocalVersion = s.Local;
    record.PrintFlag = 1;
    record.FirstMaximums[10] = 120;
    record.FirstMinimums[10] = 60;
    record.BScan[3][4] = 99;
    record.Comments = {"weld 4: root"};
    Fill(*record.Configuration(), 0, s.Device);
    const TFileResult saved = SaveRecordFile(block, scratch);
    if (!saved.Ok || !WriteSeed(scratch, records / s.Name, s)) {
      std::fprintf(stderr, "%s: %s\n", s.Name, saved.Error.c_str());
      return 1;
    }
  }

  // Configuration files: two configurations of each class.
  const TSeed configSeeds[] = {
      {"config-base", 2, 1, 3, 10, 0},        {"config-3_17", 0, 1, 3, 20, 0},
      {"config-3_26-reused", 2, 1, 3, 27, 0}, {"config-4_03", 0, 1, 4, 5, 2},
      {"config-4_08-device2", 6, 2, 4, 1, 3}, {"config-5_00-reused", 2, 1, 5, 10, 0},
      {"config-5_01", 0, 1, 5, 22, 1},
  };
  for (const TSeed& s : configSeeds) {
    TUSBConfigsBlock block;
    block.Build(2, s.Major, s.Minor, s.Local, s.Device);
    for (std::uint16_t i = 0; i < 2; ++i) {
      Fill(*block.Configurations[i], i, s.Device);
    }
    const TFileResult saved = SaveConfigurationFile(block, scratch);
    if (!saved.Ok || !WriteSeed(scratch, configs / s.Name, s)) {
      std::fprintf(stderr, "%s: %s\n", s.Name, saved.Error.c_str());
      return 1;
    }
  }
  fs::remove(scratch);
  return 0;
}
