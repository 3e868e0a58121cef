// Writes the seed inputs of the file readers' fuzz targets with our own
// writer: four bytes for the held collection's shape (see FuzzFiles.h),
// then a small record or configuration file, whole or damaged in one of the
// ways the readers refuse.
//   MakeFuzzSeeds <folder>   -> <folder>/OpenRecordFileFuzz/*, <folder>/LoadConfigurationFileFuzz/*
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include <config/ConfigObject3_17ver_Unit.h>
#include <records/RecordFilesUnit.h>

namespace fs = std::filesystem;
using namespace velt;

namespace {

struct TSeed {
  const char* Name;
  std::uint8_t Held;  // count in bits 0..1, device type 2 when bit 2 is set
  std::uint8_t Device, Major, Minor, Local;
  // The held collection's versions when they differ from the file's.
  std::uint8_t HeldMajor = 0, HeldMinor = 0;
};

std::string Bytes(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

bool WriteSeedBytes(const std::string& bytes, const fs::path& seed, const TSeed& s) {
  std::ofstream out(seed, std::ios::binary | std::ios::trunc);
  out.put(static_cast<char>(s.Held)).put(static_cast<char>(s.HeldMajor ? s.HeldMajor : s.Major));
  out.put(static_cast<char>(s.HeldMajor ? s.HeldMinor : s.Minor)).put(static_cast<char>(s.Local));
  out << bytes;
  return static_cast<bool>(out);
}

bool WriteSeed(const fs::path& file, const fs::path& seed, const TSeed& s) {
  return WriteSeedBytes(Bytes(file), seed, s);
}

// The line (from 0) replaced in a file's bytes.
std::string WithLine(const std::string& bytes, std::size_t index, const std::string& text) {
  std::size_t begin = 0;
  for (std::size_t i = 0; i < index; ++i) {
    begin = bytes.find('\n', begin) + 1;
  }
  const std::size_t end = bytes.find('\r', begin);
  return bytes.substr(0, begin) + text + bytes.substr(end);
}

// Damaged copies of a good file, each refused by the readers for its own
// reason, and two harmless changes they take: one seed per kind of damage,
// so the fuzzer starts next to every check.
bool WriteDamagedSeeds(const fs::path& file, const fs::path& folder, const std::string& stem,
                       const char* quantityKey, const TSeed& s) {
  const std::string good = Bytes(file);
  std::string lfOnly;
  for (const char c : good) {
    if (c != '\r') {
      lfOnly += c;
    }
  }
  const std::pair<const char*, std::string> damaged[] = {
      {"entry-after-the-last", good + "FLAW #:9\r\n"},
      {"lowered-count", WithLine(good, 3, std::string(quantityKey) + "1")},
      {"count-with-plus", WithLine(good, 3, std::string(quantityKey) + "+2")},
      {"count-with-leading-zero", WithLine(good, 3, std::string(quantityKey) + "02")},
      {"cut-inside-the-last-line", good.substr(0, good.size() - 3)},
      {"cut-between-cr-and-lf", good.substr(0, good.size() - 1)},
      {"nul-in-a-value", WithLine(good, 4, std::string("DEVICE TYPE:1\0\x1b", 15))},
      {"line-too-long", WithLine(good, 9, "X:" + std::string(70000, '7'))},
      {"blank-lines-after", good + "\r\n \t\r\n\n"},
      {"lf-only", lfOnly},
  };
  for (const auto& [name, bytes] : damaged) {
    if (!WriteSeedBytes(bytes, folder / (stem + "-" + name), s)) {
      return false;
    }
  }
  return true;
}

// A little of everything a file carries, without making it long.
void Fill(TBaseConfigCell& cell, std::uint16_t n, std::uint8_t device) {
  cell.CONFIGURATION_NO = n;
  cell.DEVICE_INDEX = device;
  cell.Comments = {"seed: " + std::to_string(n)};
  cell.CONFIG_INDEX = static_cast<std::uint16_t>(7 - n);
  // A real with a fraction, so the decimal separator shows in the file.
  if (auto* real = dynamic_cast<T3_17ConfigCell*>(&cell)) {
    real->StrobeBeginTime[0] = 12.5 + n;
  }
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

  // Record files: one record each (two for the damaged copies), opened into
  // an empty collection and into one of another shape. Their reals are
  // written with "," in one seed and "." in the others; the 3.10 one is
  // opened while a 3.26 collection is held.
  struct TRecordSeed {
    TSeed Seed;
    std::uint8_t Count;
    char Separator;
  };
  const TRecordSeed recordSeeds[] = {
      {{"record-3_26-same-shape-held", 1, 1, 3, 27, 0}, 1, '.'},
      {{"record-5_01", 0, 1, 5, 22, 1}, 1, '.'},
      {{"record-4_08-device2", 0, 2, 4, 1, 3}, 1, ','},
      {{"record-3_10-while-3_26-held", 1, 1, 3, 10, 0, 3, 26}, 1, '.'},
      {{"record-3_26-two", 0, 1, 3, 27, 0}, 2, ','},
  };
  for (const auto& [s, count, separator] : recordSeeds) {
    TFlawDataBlock block;
    block.Build(count, s.Major, s.Minor, s.Local, s.Device, TNumberFormat{separator, ' '});
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
    for (std::uint8_t i = 1; i < count; ++i) {
      Fill(*block.Records[i]->Configuration(), i, s.Device);
    }
    const TFileResult saved = SaveRecordFile(block, scratch);
    if (!saved.Ok || !WriteSeed(scratch, records / s.Name, s) ||
        (count == 2 && !WriteDamagedSeeds(scratch, records, "record", "FLAWS QUANTITY:", s))) {
      std::fprintf(stderr, "%s: %s\n", s.Name, saved.Error.c_str());
      return 1;
    }
  }

  // Configuration files: two configurations of each class.
  const TSeed configSeeds[] = {
      {"config-base", 2, 1, 3, 10, 0},        {"config-3_17", 0, 1, 3, 20, 0},
      {"config-3_26-same-shape-held", 2, 1, 3, 27, 0}, {"config-4_03", 0, 1, 4, 5, 2},
      {"config-4_08-device2", 6, 2, 4, 1, 3}, {"config-5_00-same-shape-held", 2, 1, 5, 10, 0},
      {"config-5_01", 0, 1, 5, 22, 1}, {"config-3_10-while-3_26-held", 2, 1, 3, 10, 0, 3, 26},
  };
  for (const TSeed& s : configSeeds) {
    TUSBConfigsBlock block;
    const bool comma = std::string(s.Name) == "config-3_17";
    block.Build(2, s.Major, s.Minor, s.Local, s.Device, TNumberFormat{comma ? ',' : '.', ' '});
    for (std::uint16_t i = 0; i < 2; ++i) {
      Fill(*block.Configurations[i], i, s.Device);
    }
    const TFileResult saved = SaveConfigurationFile(block, scratch);
    if (!saved.Ok || !WriteSeed(scratch, configs / s.Name, s) ||
        (comma && !WriteDamagedSeeds(scratch, configs, "config", "CONFIGS QUANTITY:", s))) {
      std::fprintf(stderr, "%s: %s\n", s.Name, saved.Error.c_str());
      return 1;
    }
  }
  fs::remove(scratch);
  return 0;
}
