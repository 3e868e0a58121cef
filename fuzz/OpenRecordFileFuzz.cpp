// A record file someone sent, opened while the program holds a flaw
// collection of some shape (the first four input bytes choose it; the rest
// is the file). Whatever the file holds, opening must stay within bounds
// and defined; a failed open must leave the held collection as it was; a
// successful one must give a consistent collection that saves and opens
// again.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include <records/RecordFilesUnit.h>

#include "FuzzCells.h"
#include "FuzzFiles.h"

using namespace velt;
using namespace velt::fuzzing;

namespace {

std::vector<const void*> Identity(const TFlawDataBlock& c) {
  std::vector<const void*> ids{c.CurrentRecord};
  for (const auto& record : c.Records) {
    ids.push_back(record.get());
    ids.push_back(record->Configuration());
  }
  return ids;
}

void CheckOpened(const TFlawDataBlock& c) {
  if (c.Count == 0 || c.Records.size() != c.Count || c.DisplayOrder.size() != c.Count ||
      c.Source != kSourceFile || c.CurrentRecord != c.Records[0].get()) {
    Finding("an opened collection is inconsistent");
  }
  std::size_t characters = 0;
  for (const auto& record : c.Records) {
    if (record->Configuration() == nullptr || record->DeviceIndex != c.DeviceType ||
        record->ArraySize + 1u > record->FirstMaximums.size() || record->Comments.size() > 255) {
      Finding("an opened record is inconsistent");
    }
    characters += record->AScanText().size();
    Exercise(*record->Configuration());
  }
  volatile std::size_t keep = characters;
  static_cast<void>(keep);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < kShapeBytes) {
    return 0;
  }
  const TShape shape = ShapeOf(data);
  TFlawDataBlock held;
  if (shape.Count > 0) {
    held.Build(shape.Count, shape.Major, shape.Minor, shape.Local, shape.Device);
    held.FileName = "held";
  }
  const std::vector<const void*> before = Identity(held);
  const std::uint8_t versions[3] = {held.MajorVersion, held.MinorVersion, held.ConfigLocalVersion};

  const auto& input = Scratch().Write(data + kShapeBytes, size - kShapeBytes);
  const TFileResult result = OpenRecordFile(held, input);
  if (!result.Ok) {
    if (result.Error.empty() || Identity(held) != before ||
        held.FileName != (shape.Count ? "held" : "") || held.MajorVersion != versions[0] ||
        held.MinorVersion != versions[1] || held.ConfigLocalVersion != versions[2]) {
      Finding("a failed open changed the held collection or gave no reason");
    }
    // What the collection held does not decide whether a file can be read.
    TFlawDataBlock fresh;
    if (OpenRecordFile(fresh, input).Ok) {
      Finding("a file refused while a collection is held is taken without one");
    }
    return 0;
  }
  {
    // Nor what it is read into: the file's own versions do.
    TFlawDataBlock fresh;
    if (!OpenRecordFile(fresh, input).Ok || fresh.Count != held.Count ||
        fresh.DeviceType != held.DeviceType || fresh.MajorVersion != held.MajorVersion ||
        fresh.MinorVersion != held.MinorVersion ||
        fresh.ConfigLocalVersion != held.ConfigLocalVersion) {
      Finding("a file reads otherwise while a collection is held");
    }
  }
  CheckOpened(held);

  // What the program saves from it opens again to the same records.
  const auto saved = Scratch().Folder / "saved.dtf";
  if (!SaveRecordFile(held, saved).Ok) {
    Finding("an opened collection does not save");
  }
  TFlawDataBlock again;
  const TFileResult reopened = OpenRecordFile(again, saved);
  if (!reopened.Ok || again.Count != held.Count || again.DeviceType != held.DeviceType ||
      again.MajorVersion != held.MajorVersion || again.MinorVersion != held.MinorVersion) {
    Finding("a saved collection does not open again");
  }
  for (std::size_t i = 0; i < held.Records.size(); ++i) {
    const TDataCell& a = *held.Records[i];
    const TDataCell& b = *again.Records[i];
    if (a.FlawNumber != b.FlawNumber || a.ArraySize != b.ArraySize || a.BScan != b.BScan ||
        a.Comments != b.Comments || a.FirstMaximums != b.FirstMaximums ||
        a.Configuration()->CONFIG_INDEX != b.Configuration()->CONFIG_INDEX) {
      Finding("a saved record opens with other values");
    }
  }
  return 0;
}
