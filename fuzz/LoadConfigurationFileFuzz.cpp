// A configuration file someone sent, loaded while the program holds a
// configuration collection of some shape (the first four input bytes
// choose it; the rest is the file). Whatever the file holds, loading must
// stay within bounds and defined; a failed load must leave the held
// collection as it was; a successful one must give a consistent collection
// that saves and loads again to the same bytes.
#include <cstddef>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <records/RecordFilesUnit.h>

#include "FuzzCells.h"
#include "FuzzFiles.h"

using namespace velt;
using namespace velt::fuzzing;

namespace {

std::vector<const void*> Identity(const TUSBConfigsBlock& c) {
  std::vector<const void*> ids{c.DrawingRecord.get(),
                               c.DrawingRecord ? c.DrawingRecord->Configuration() : nullptr};
  for (const auto& cell : c.Configurations) {
    ids.push_back(cell.get());
  }
  return ids;
}

void CheckLoaded(const TUSBConfigsBlock& c) {
  if (c.Count == 0 || c.Configurations.size() != c.Count || c.LoadedFlags.size() != c.Count ||
      c.ChangedFlags.size() != c.Count || c.Source != kSourceFile || !c.DrawingRecord ||
      c.DrawingRecord->Configuration() != c.Configurations[0].get()) {
    Finding("a loaded collection is inconsistent");
  }
  for (std::size_t i = 0; i < c.Configurations.size(); ++i) {
    const TBaseConfigCell* cell = c.Configurations[i].get();
    if (cell == nullptr || cell->CONFIGURATION_NO != i || cell->DEVICE_INDEX != c.DeviceType ||
        !c.LoadedFlags[i] || c.ChangedFlags[i]) {
      Finding("a loaded configuration is inconsistent");
    }
    Exercise(*c.Configurations[i]);
  }
}

std::string Bytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < kShapeBytes) {
    return 0;
  }
  const TShape shape = ShapeOf(data);
  TUSBConfigsBlock held;
  if (shape.Count > 0) {
    held.Build(shape.Count, shape.Major, shape.Minor, shape.Local, shape.Device);
    held.FileName = "held";
  }
  const std::vector<const void*> before = Identity(held);
  const std::uint8_t versions[3] = {held.MajorVersion, held.MinorVersion, held.ConfigLocalVersion};

  const auto& input = Scratch().Write(data + kShapeBytes, size - kShapeBytes);
  const TFileResult result = LoadConfigurationFile(held, input);
  if (!result.Ok) {
    if (result.Error.empty() || Identity(held) != before ||
        held.FileName != (shape.Count ? "held" : "") || held.MajorVersion != versions[0] ||
        held.MinorVersion != versions[1] || held.ConfigLocalVersion != versions[2]) {
      Finding("a failed load changed the held collection or gave no reason");
    }
    // What the collection held does not decide whether a file can be read.
    TUSBConfigsBlock fresh;
    if (LoadConfigurationFile(fresh, input).Ok) {
      Finding("a file refused while a collection is held is taken without one");
    }
    return 0;
  }
  {
    // Nor what it is read into: the file's own versions do.
    TUSBConfigsBlock fresh;
    if (!LoadConfigurationFile(fresh, input).Ok || fresh.Count != held.Count ||
        fresh.DeviceType != held.DeviceType || fresh.MajorVersion != held.MajorVersion ||
        fresh.MinorVersion != held.MinorVersion ||
        fresh.ConfigLocalVersion != held.ConfigLocalVersion) {
      Finding("a file reads otherwise while a collection is held");
    }
  }
  CheckLoaded(held);

  // What the program saves from it loads again and saves to the same bytes.
  const auto first = Scratch().Folder / "first.ctf";
  const auto second = Scratch().Folder / "second.ctf";
  if (!SaveConfigurationFile(held, first).Ok) {
    Finding("a loaded collection does not save");
  }
  TUSBConfigsBlock again;
  if (!LoadConfigurationFile(again, first).Ok || again.Count != held.Count) {
    Finding("a saved collection does not load again");
  }
  if (!SaveConfigurationFile(again, second).Ok || Bytes(first) != Bytes(second)) {
    Finding("a collection loaded from our own file saves to other bytes");
  }
  return 0;
}
