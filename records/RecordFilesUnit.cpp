#include <records/RecordFilesUnit.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <functional>

#include <config/TextRecordIO.h>
#include <ports/Errors.h>
#include <records/FlawTextRecordUnit.h>
#include <strings/SafeSaveUnit.h>

namespace velt {
namespace {

namespace fs = std::filesystem;

// Every line of either file has at least one character and a line end, and
// a configuration's text record has at least this many lines.
constexpr std::uint64_t kMinimumConfigurationLines = 174;
constexpr std::uint64_t kMinimumLineBytes = 2;

struct THeader {
  std::uint16_t Quantity = 0;
  std::uint8_t DeviceType = 0;
  std::uint8_t Major = 0;
  std::uint8_t Minor = 0;
  std::uint8_t Local = 0;
};

TFileResult Failure(std::string error) { return TFileResult{false, std::move(error)}; }

// Writes through a temporary file beside the target and renames it over the
// target once everything is on disk.
TFileResult WriteAtomically(const fs::path& path,
                            const std::function<void(TTextWriter&)>& writeContent) {
  std::string error = SaveFileSafely(path, [&writeContent](std::ostream& out) {
    TTextWriter writer(out);
    writeContent(writer);
    out.flush();
    writer.Check();
  });
  if (!error.empty()) {
    return Failure(std::move(error));
  }
  return TFileResult{true, {}};
}

void WriteHeader(TTextWriter& out, const char* what, std::uint16_t count, std::uint8_t device,
                 std::uint8_t major, std::uint8_t minor, std::uint8_t local,
                 const char* localKey) {
  out.Line("PROGRAM NAME:VELT");
  out.Keyed("PROGRAM MAJOR VERSION:", 0);
  out.Keyed("PROGRAM MINOR VERSION:", 1);
  out.Keyed(std::string(what) + " QUANTITY:", count);
  out.Keyed("DEVICE TYPE:", device);
  out.Keyed(std::string(what) + " MAJOR VERSION:", major);
  out.Keyed(std::string(what) + " MINOR VERSION:", minor);
  out.Keyed(localKey, local);
}

// Lines 1..8 of either file. False, with a reason, for a file that cannot
// be taken.
bool ReadHeader(TTextReader& in, bool configurationFile, THeader& header, std::string& error) {
  if (in.Value() != "VELT") {
    error = "not a Velt file (line 1)";
    return false;
  }
  if (!configurationFile) {
    // A record file's program version lines are read and not looked at.
    in.Line();
    in.Line();
  } else if (const long long programMajor = in.Integer(0, 255), programMinor = in.Integer(0, 255);
             programMajor != 0 || programMinor > 1) {
    error = "written by a newer program (version " + std::to_string(programMajor) + "." +
            std::to_string(programMinor) + ")";
    return false;
  }
  header.Quantity = in.Word();
  header.DeviceType = in.Byte();
  header.Major = in.Byte();
  header.Minor = in.Byte();
  header.Local = in.Byte();
  if (header.Major > 5 || (header.Major == 5 && header.Minor > 22)) {
    error = "firmware version " + std::to_string(header.Major) + "." +
            std::to_string(header.Minor) + " is newer than this program knows";
    return false;
  }
  if (header.Quantity == 0) {
    error = "the file holds no records";
    return false;
  }
  return true;
}

bool FitsInFile(std::uint64_t size, std::uint64_t quantity, std::uint64_t minimumLines,
                std::string& error) {
  if (quantity * minimumLines * kMinimumLineBytes > size) {
    error = "the file claims " + std::to_string(quantity) + " entries but is too short to hold them";
    return false;
  }
  return true;
}

// False when the reader asked for lines the file does not have: lines
// read with a fallback (the magnifier position, the freeze flag) would
// otherwise let a file cut short pass as complete.
bool EndedInTime(const TTextReader& in, std::string& error) {
  if (in.RanOut()) {
    error = "the file ends before its last entry is complete";
    return false;
  }
  return true;
}

TFileResult CannotOpen(const fs::path& path, const std::string& reason) {
  return Failure("cannot open " + path.string() + ": " + reason);
}

}  // namespace

TFileResult SaveRecordFile(const TFlawDataBlock& collection, const fs::path& path) {
  if (collection.Count == 0 || collection.Records.empty()) {
    return Failure("there are no records to save");
  }
  return WriteAtomically(path, [&collection](TTextWriter& out) {
    WriteHeader(out, "FLAWS", collection.Count, collection.DeviceType, collection.MajorVersion,
                collection.MinorVersion, collection.ConfigLocalVersion,
                "FLAWS CONFIG LOCAL VERSION:");
    for (const auto& record : collection.Records) {
      WriteFlawTextRecord(*record, out);
    }
  });
}

TFileResult SaveConfigurationFile(const TUSBConfigsBlock& collection, const fs::path& path) {
  if (collection.Count == 0 || collection.Configurations.empty()) {
    return Failure("there are no configurations to save");
  }
  return WriteAtomically(path, [&collection](TTextWriter& out) {
    WriteHeader(out, "CONFIGS", collection.Count, collection.DeviceType, collection.MajorVersion,
                collection.MinorVersion, collection.ConfigLocalVersion,
                "CONFIGS CONF LOCAL VERSION:");
    for (const auto& cell : collection.Configurations) {
      if (cell) {
        cell->WriteText(out);
      }
    }
  });
}

TFileResult OpenRecordFile(TFlawDataBlock& collection, const fs::path& path,
                           std::optional<TNumberFormat> wanted) {
  TInputFile file;
  if (std::string reason; !file.Open(path, reason)) {
    return CannotOpen(path, reason);
  }
  return OpenRecordFile(collection, file, path, wanted);
}

TFileResult OpenRecordFile(TFlawDataBlock& collection, TInputFile& file, const fs::path& path,
                           std::optional<TNumberFormat> wanted) {
  const TNumberFormat format = wanted.value_or(collection.NumberFormat);
  try {
    TTextReader in(file.Stream());
    THeader h;
    std::string error;
    if (!ReadHeader(in, false, h, error) ||
        !FitsInFile(file.Size(), h.Quantity, kMinimumFlawRecordLines, error)) {
      return Failure(error);
    }
    // The file is self-contained: its records are read into cells of the
    // classes its own versions select, whatever the collection held before
    // (cells of another firmware would misread it). They are read into a
    // collection built aside, and the user's collection changes only when
    // all went well.
    TFlawDataBlock aside;
    aside.Build(h.Quantity, h.Major, h.Minor, h.Local, h.DeviceType, format);
    for (std::size_t i = 0; i < aside.Records.size(); ++i) {
      TDataCell& record = *aside.Records[i];
      if (record.Configuration() == nullptr) {
        return Failure("no configuration class for firmware " + std::to_string(aside.MajorVersion) +
                       "." + std::to_string(aside.MinorVersion) + " of device type " +
                       std::to_string(aside.DeviceType));
      }
      // A wrong marker leaves the record half read and the lines after it
      // misread: the file is refused like one with a bad value.
      if (ReadFlawTextRecord(record, in) == kMarkerMismatch) {
        return Failure("Line " + std::to_string(in.LineNumber()) + ": a marker line of record " +
                       std::to_string(i + 1) + " is wrong");
      }
      record.DeviceIndex = aside.DeviceType;
    }
    if (!EndedInTime(in, error)) {
      return Failure(error);
    }
    in.ExpectEnd();
    aside.NaturalOrder();
    aside.CurrentRecord = aside.Records[aside.DisplayOrder[0]].get();
    aside.FileName = path.string();
    aside.Source = kSourceFile;
    collection.Clear();
    collection = std::move(aside);
    return TFileResult{true, {}};
  } catch (const EConvertError& e) {
    return Failure(e.what());
  } catch (const std::bad_alloc&) {
    return Failure("not enough memory to open the file");
  } catch (const std::exception& e) {
    // A read error of the file itself (a disk or a network share failing).
    return Failure("cannot read " + path.string() + ": " + e.what());
  }
}

TFileResult LoadConfigurationFile(TUSBConfigsBlock& collection, const fs::path& path,
                                  std::optional<TNumberFormat> wanted) {
  TInputFile file;
  if (std::string reason; !file.Open(path, reason)) {
    return CannotOpen(path, reason);
  }
  return LoadConfigurationFile(collection, file, path, wanted);
}

TFileResult LoadConfigurationFile(TUSBConfigsBlock& collection, TInputFile& file,
                                  const fs::path& path, std::optional<TNumberFormat> wanted) {
  const TNumberFormat format = wanted.value_or(collection.NumberFormat);
  try {
    TTextReader in(file.Stream());
    THeader h;
    std::string error;
    if (!ReadHeader(in, true, h, error) ||
        !FitsInFile(file.Size(), h.Quantity, kMinimumConfigurationLines, error)) {
      return Failure(error);
    }
    // As for the record file: cells of the file's own classes, built aside.
    TUSBConfigsBlock aside;
    aside.Build(h.Quantity, h.Major, h.Minor, h.Local, h.DeviceType, format);
    for (std::size_t i = 0; i < aside.Configurations.size(); ++i) {
      TBaseConfigCell* cell = aside.Configurations[i].get();
      if (cell == nullptr) {
        return Failure("no configuration class for firmware " + std::to_string(aside.MajorVersion) +
                       "." + std::to_string(aside.MinorVersion) + " of device type " +
                       std::to_string(aside.DeviceType));
      }
      cell->ReadText(in);
      cell->CONFIGURATION_NO = static_cast<std::uint16_t>(i);
      cell->DEVICE_INDEX = aside.DeviceType;
      aside.LoadedFlags[i] = true;
      aside.ChangedFlags[i] = false;
    }
    if (!EndedInTime(in, error)) {
      return Failure(error);
    }
    in.ExpectEnd();
    aside.FileName = path.string();
    aside.Source = kSourceFile;
    // The drawing record is the user's; it keeps showing the first cell.
    if (collection.DrawingRecord) {
      aside.DrawingRecord = std::move(collection.DrawingRecord);
      aside.DrawingRecord->Refer(aside.Configurations[0].get());
    }
    collection.Clear();
    collection = std::move(aside);
    return TFileResult{true, {}};
  } catch (const EConvertError& e) {
    return Failure(e.what());
  } catch (const std::bad_alloc&) {
    return Failure("not enough memory to open the file");
  } catch (const std::exception& e) {
    // A read error of the file itself (a disk or a network share failing).
    return Failure("cannot read " + path.string() + ": " + e.what());
  }
}

}  // namespace velt
