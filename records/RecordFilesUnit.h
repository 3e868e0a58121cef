// The record file ("dtf") and the configuration file ("ctf"): an eight-line
// header, then one text record per record or configuration.
//
// Saving writes a temporary file in the same folder and renames it over the
// target only when everything was written, so a failed save leaves the
// previous file as it was. Opening reads into a collection built aside and
// swaps it in only on success, so a failed open leaves the collection the
// user had exactly as it was.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include <records/RecordCollectionsUnit.h>
#include <strings/TextLines.h>

namespace velt {

struct TFileResult {
  bool Ok = false;
  std::string Error;  // what went wrong, for the user and for veltctl
  explicit operator bool() const { return Ok; }
};

TFileResult SaveRecordFile(const TFlawDataBlock& collection, const std::filesystem::path& path);
TFileResult SaveConfigurationFile(const TUSBConfigsBlock& collection,
                                  const std::filesystem::path& path);

// The collection is built anew for the file's own device type and versions,
// whatever it held before; a file that cannot be read leaves it as it was.
// The file must be a regular file and end where its header says (blank
// lines may follow). The cells read are built in the given number format,
// or in the collection's own.
TFileResult OpenRecordFile(TFlawDataBlock& collection, const std::filesystem::path& path,
                           std::optional<TNumberFormat> format = std::nullopt);
TFileResult LoadConfigurationFile(TUSBConfigsBlock& collection, const std::filesystem::path& path,
                                  std::optional<TNumberFormat> format = std::nullopt);

// The same from a file already open and at its first byte; `path` names it
// in the collection and in messages.
TFileResult OpenRecordFile(TFlawDataBlock& collection, TInputFile& file,
                           const std::filesystem::path& path,
                           std::optional<TNumberFormat> format = std::nullopt);
TFileResult LoadConfigurationFile(TUSBConfigsBlock& collection, TInputFile& file,
                                  const std::filesystem::path& path,
                                  std::optional<TNumberFormat> format = std::nullopt);

}  // namespace velt
