#include "SimulatedMemoryFolder.h"

#include <charconv>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <vector>

namespace conduit {
namespace {

namespace fs = std::filesystem;

constexpr const char* kIdentityKeys[4] = {"DEVICE TYPE", "MAJOR", "MINOR", "LOCAL"};

std::string ConfigFile(std::size_t slot) {
  char name[32];
  std::snprintf(name, sizeof name, "config-%02zu.bin", slot);
  return name;
}

std::string RecordFile(std::size_t record) {
  char name[32];
  std::snprintf(name, sizeof name, "record-%04zu.bin", record);
  return name;
}

constexpr const char* kClockFile = "clock.bin";
constexpr const char* kIdentityFile = "identity";

// The whole file when it has exactly `size` bytes.
bool ReadExactly(const fs::path& path, std::size_t size, std::uint8_t* into, std::string& error) {
  std::error_code ec;
  if (!fs::is_regular_file(path, ec)) {
    error = path.string() + " is not a file";
    return false;
  }
  const auto actual = fs::file_size(path, ec);
  if (ec || actual != size) {
    error = path.string() + " has " +
            (ec ? std::string("an unknown size") : std::to_string(actual)) + " bytes instead of " +
            std::to_string(size);
    return false;
  }
  std::ifstream in(path, std::ios::binary);
  in.read(reinterpret_cast<char*>(into), static_cast<std::streamsize>(size));
  if (!in || static_cast<std::size_t>(in.gcount()) != size) {
    error = "cannot read " + path.string();
    return false;
  }
  return true;
}

bool ParseIdentity(const fs::path& path, TSimulatorIdentity& identity, std::string& error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = "no identity file " + path.string();
    return false;
  }
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') {
      line.pop_back();
    }
    lines.push_back(line);
  }
  while (!lines.empty() && lines.back().empty()) {
    lines.pop_back();
  }
  if (lines.size() != 4) {
    error = path.string() + " has " + std::to_string(lines.size()) +
            " lines instead of DEVICE TYPE, MAJOR, MINOR and LOCAL";
    return false;
  }
  unsigned values[4] = {};
  for (std::size_t i = 0; i < 4; ++i) {
    const std::string key = std::string(kIdentityKeys[i]) + ":";
    const std::string& line = lines[i];
    const unsigned max = i == 0 ? 6 : 255;
    const char* begin = line.data() + key.size();
    const char* end = line.data() + line.size();
    const bool keyed = line.compare(0, key.size(), key) == 0;
    const auto [stop, ec] = keyed ? std::from_chars(begin, end, values[i])
                                  : std::from_chars_result{begin, std::errc::invalid_argument};
    if (!keyed || ec != std::errc() || stop != end || begin == end || values[i] > max ||
        (i == 0 && values[i] == 0)) {
      error = path.string() + " line " + std::to_string(i + 1) + " '" + line + "' is not " + key +
              (i == 0 ? "1..6" : "0..255");
      return false;
    }
  }
  identity.DeviceType = static_cast<std::uint8_t>(values[0]);
  identity.MajorVersion = static_cast<std::uint8_t>(values[1]);
  identity.MinorVersion = static_cast<std::uint8_t>(values[2]);
  identity.ConfigLocalVersion = static_cast<std::uint8_t>(values[3]);
  return true;
}

// Writes beside the target and renames over it, so the old file stays
// whole until the new one is complete.
bool WriteAtomically(const fs::path& path, const void* data, std::size_t size, std::string& error) {
  const fs::path temporary = path.string() + ".tmp";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out.write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
    out.flush();
    if (!out) {
      error = "cannot write " + temporary.string();
      std::error_code ignored;
      fs::remove(temporary, ignored);
      return false;
    }
  }
  std::error_code ec;
  fs::rename(temporary, path, ec);
  if (ec) {
    error = "cannot rename " + temporary.string() + " to " + path.string() + ": " + ec.message();
    fs::remove(temporary, ec);
    return false;
  }
  return true;
}

bool Remove(const fs::path& path, std::string& error) {
  std::error_code ec;
  fs::remove(path, ec);
  if (ec) {
    error = "cannot remove " + path.string() + ": " + ec.message();
    return false;
  }
  return true;
}

bool MakeFolder(const fs::path& folder, std::string& error) {
  std::error_code ec;
  fs::create_directories(folder, ec);
  if (ec || !fs::is_directory(folder, ec)) {
    error = "cannot create the folder " + folder.string();
    return false;
  }
  return true;
}

std::string IdentityText(const TSimulatorIdentity& identity) {
  std::ostringstream text;
  text << kIdentityKeys[0] << ':' << unsigned(identity.DeviceType) << '\n'
       << kIdentityKeys[1] << ':' << unsigned(identity.MajorVersion) << '\n'
       << kIdentityKeys[2] << ':' << unsigned(identity.MinorVersion) << '\n'
       << kIdentityKeys[3] << ':' << unsigned(identity.ConfigLocalVersion) << '\n';
  return text.str();
}

bool SaveSlot(const TSimulatedMemory& memory, std::size_t slot, const fs::path& folder,
              std::string& error) {
  const fs::path path = folder / ConfigFile(slot);
  if (slot < memory.Slots.size() && memory.Slots[slot]) {
    return WriteAtomically(path, memory.Slots[slot]->data(), kSimulatedImageSize, error);
  }
  return Remove(path, error);
}

bool SaveClock(const TSimulatedMemory& memory, const fs::path& folder, std::string& error) {
  const fs::path path = folder / kClockFile;
  if (memory.Clock) {
    return WriteAtomically(path, memory.Clock->data(), kSimulatedClockSize, error);
  }
  return Remove(path, error);
}

}  // namespace

std::optional<TSimulatedMemory> LoadMemoryFolder(const std::string& folderText,
                                                 std::string& error) {
  const fs::path folder(folderText);
  std::error_code ec;
  if (!fs::is_directory(folder, ec)) {
    error = "no memory folder " + folderText;
    return std::nullopt;
  }
  TSimulatedMemory memory;
  if (!ParseIdentity(folder / kIdentityFile, memory.Identity, error)) {
    return std::nullopt;
  }
  for (std::size_t slot = 0; slot < kSimulatedSlots; ++slot) {
    const fs::path path = folder / ConfigFile(slot);
    if (!fs::exists(path, ec)) {
      continue;  // an erased slot
    }
    TSimulatedImage image{};
    if (!ReadExactly(path, image.size(), image.data(), error)) {
      return std::nullopt;
    }
    memory.Slots[slot] = image;
  }
  for (std::size_t k = 1; fs::exists(folder / RecordFile(k), ec); ++k) {
    TSimulatedRecord record{};
    if (!ReadExactly(folder / RecordFile(k), record.size(), record.data(), error)) {
      return std::nullopt;
    }
    memory.Records.push_back(record);
  }
  if (fs::exists(folder / kClockFile, ec)) {
    TSimulatedClock clock{};
    if (!ReadExactly(folder / kClockFile, clock.size(), clock.data(), error)) {
      return std::nullopt;
    }
    memory.Clock = clock;
  }
  return memory;
}

bool SaveMemoryFolder(const TSimulatedMemory& memory, const std::string& folderText,
                      std::string& error) {
  const fs::path folder(folderText);
  if (!MakeFolder(folder, error)) {
    return false;
  }
  const std::string identity = IdentityText(memory.Identity);
  if (!WriteAtomically(folder / kIdentityFile, identity.data(), identity.size(), error)) {
    return false;
  }
  for (std::size_t slot = 0; slot < kSimulatedSlots; ++slot) {
    if (!SaveSlot(memory, slot, folder, error)) {
      return false;
    }
  }
  for (std::size_t k = 1; k <= memory.Records.size(); ++k) {
    if (!WriteAtomically(folder / RecordFile(k), memory.Records[k - 1].data(), kSimulatedRecordSize,
                         error)) {
      return false;
    }
  }
  std::error_code ec;
  for (std::size_t k = memory.Records.size() + 1; fs::exists(folder / RecordFile(k), ec); ++k) {
    if (!Remove(folder / RecordFile(k), error)) {
      return false;
    }
  }
  return SaveClock(memory, folder, error);
}

bool SaveMemorySlot(const TSimulatedMemory& memory, std::size_t slot, const std::string& folder,
                    std::string& error) {
  return MakeFolder(folder, error) && SaveSlot(memory, slot, folder, error);
}

bool SaveMemoryClock(const TSimulatedMemory& memory, const std::string& folder,
                     std::string& error) {
  return MakeFolder(folder, error) && SaveClock(memory, folder, error);
}

}  // namespace conduit
