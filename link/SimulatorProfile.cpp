#include "SimulatorProfile.h"

#include <charconv>
#include <sstream>
#include <vector>

#include "SimulatedMemoryFolder.h"

namespace conduit {
namespace {

constexpr TNamedSimulatorProfile kNamedProfiles[] = {
    {"1:2.0", "device type 1, firmware 2.0: TBaseConfigCell, not initialised"},
    {"1:3.10", "device type 1, firmware 3.0..3.15: TBaseConfigCell"},
    {"1:3.17", "device type 1, firmware 3.16..3.25: T3_17ConfigCell"},
    {"1:3.26", "device type 1, firmware 3.26..3.29: T3_26ConfigCell"},
    {"1:3.30", "device type 1, firmware 3.30..3.34: T4_08ConfigCell"},
    {"1:4.0.2", "device type 1, firmware 4, local version 2: T4_03ConfigCell"},
    {"1:4.0.3", "device type 1, firmware 4, local version 3: T4_08ConfigCell"},
    {"1:5.0.0", "device type 1, firmware 5, local version 0: T5_00ConfigCell"},
    {"1:5.0.1", "device type 1, firmware 5, local version 1: T5_01ConfigCell"},
    {"2:2.8", "device type 2, firmware 2.7..2.10: T3_17ConfigCell"},
    {"2:3.10", "device type 2, firmware 3.9..3.12: T3_26ConfigCell"},
    {"2:3.20.2", "device type 2, firmware 3.13..3.33, local version 2: T4_03ConfigCell"},
    {"2:4.0.2", "device type 2, firmware 4, local version 2: T4_03ConfigCell"},
    {"2:5.4.4", "device type 2, firmware 5, local version 4: T5_01ConfigCell"},
};

// The interface class table: device type per class, in discovery order.
constexpr std::uint8_t kClassTypes[7] = {1, 1, 2, 3, 4, 5, 6};

bool ParseNumber(const std::string& text, unsigned long max, unsigned long& value) {
  if (text.empty()) {
    return false;
  }
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  return ec == std::errc() && end == text.data() + text.size() && value <= max;
}

std::vector<std::string> Split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  std::string part;
  std::istringstream in(text);
  while (std::getline(in, part, separator)) {
    parts.push_back(part);
  }
  if (!text.empty() && text.back() == separator) {
    parts.emplace_back();
  }
  return parts;
}

bool ParsePair(const std::string& text, unsigned long maxFirst, unsigned long maxSecond,
               unsigned long& first, unsigned long& second) {
  const auto colon = text.find(':');
  return colon != std::string::npos && ParseNumber(text.substr(0, colon), maxFirst, first) &&
         ParseNumber(text.substr(colon + 1), maxSecond, second);
}

bool ParseIdentity(const std::string& text, TSimulatorIdentity& identity) {
  unsigned long type = 0;
  const auto colon = text.find(':');
  if (colon == std::string::npos || !ParseNumber(text.substr(0, colon), 6, type) || type == 0) {
    return false;
  }
  const std::vector<std::string> version = Split(text.substr(colon + 1), '.');
  if (version.size() < 2 || version.size() > 3) {
    return false;
  }
  unsigned long numbers[3] = {0, 0, 0};
  for (std::size_t i = 0; i < version.size(); ++i) {
    if (!ParseNumber(version[i], 255, numbers[i])) {
      return false;
    }
  }
  identity.DeviceType = static_cast<std::uint8_t>(type);
  identity.MajorVersion = static_cast<std::uint8_t>(numbers[0]);
  identity.MinorVersion = static_cast<std::uint8_t>(numbers[1]);
  identity.ConfigLocalVersion = static_cast<std::uint8_t>(numbers[2]);
  return true;
}

std::size_t ClassIndexOf(std::uint8_t deviceType) {
  std::size_t index = 0;
  while (index + 1 < std::size(kClassTypes) && kClassTypes[index] != deviceType) {
    ++index;
  }
  return index;
}

}  // namespace

std::span<const TNamedSimulatorProfile> SimulatorProfileNames() { return kNamedProfiles; }

std::optional<TSimulatorProfile> ParseSimulatorProfile(const std::string& text,
                                                       std::string& error) {
  const std::vector<std::string> parts = Split(text, ',');
  TSimulatorProfile profile;
  if (parts.empty() || parts[0].empty()) {
    error = "empty simulator profile";
    return std::nullopt;
  }
  profile.Name = parts[0];
  if (parts[0] == "none") {
    profile.Plugged = false;
  } else if (parts[0].find('/') != std::string::npos) {
    std::string reason;
    profile.Memory = LoadMemoryFolder(parts[0], reason);
    if (!profile.Memory) {
      error = "memory folder '" + parts[0] + "': " + reason;
      return std::nullopt;
    }
    profile.Identity = profile.Memory->Identity;
    profile.ClassIndex = ClassIndexOf(profile.Identity.DeviceType);
  } else if (!ParseIdentity(parts[0], profile.Identity)) {
    error = "'" + parts[0] + "' is not TYPE:MAJOR.MINOR[.LOCAL] with TYPE 1..6, nor a folder";
    return std::nullopt;
  } else {
    profile.ClassIndex = ClassIndexOf(profile.Identity.DeviceType);
  }
  for (std::size_t i = 1; i < parts.size(); ++i) {
    const auto equals = parts[i].find('=');
    const std::string key = parts[i].substr(0, equals);
    const std::string value = equals == std::string::npos ? "" : parts[i].substr(equals + 1);
    unsigned long a = 0;
    unsigned long b = 0;
    bool ok = true;
    if (key == "class") {
      ok = ParseNumber(value, 7, a) && a >= 1;
      profile.ClassIndex = a - 1;
    } else if (key == "unplug-after") {
      ok = ParseNumber(value, 1000000, a);
      profile.Faults.UnplugAfterTransfers = static_cast<unsigned>(a);
    } else if (key == "replug-after") {
      ok = ParseNumber(value, 600000, a) && a >= 1;
      profile.Faults.ReplugAfterMs = static_cast<unsigned>(a);
    } else if (key == "silent-after") {
      ok = ParseNumber(value, 1000000, a) && a >= 1;
      profile.Faults.SilentAfterTransfers = static_cast<unsigned>(a);
    } else if (key == "timeout") {
      ok = ParseNumber(value, 600000, a);
      profile.Faults.ReadTimeoutMs = static_cast<unsigned>(a);
    } else if (key == "save") {
      ok = !value.empty();
      profile.SavePath = value;
    } else if (key == "no-ready") {
      ok = ParseNumber(value, 1000000, a);
      profile.Faults.MissingReadyMark = static_cast<unsigned>(a);
    } else if (key == "short-read") {
      ok = ParsePair(value, 1000000, 65535, a, b);
      profile.Faults.ShortBulkRead = static_cast<unsigned>(a);
      profile.Faults.ShortReadBytes = b;
    } else if (key == "empty-read") {
      ok = ParseNumber(value, 1000000, a);
      profile.Faults.EmptyBulkRead = static_cast<unsigned>(a);
    } else if (key == "status") {
      ok = ParsePair(value, 255, 255, a, b);
      profile.Faults.AnswerStatus[static_cast<std::uint8_t>(a)] = static_cast<std::uint8_t>(b);
    } else if (key == "log") {
      ok = !value.empty();
      profile.LogPath = value;
    } else {
      ok = false;
    }
    if (!ok) {
      error = "bad simulator option '" + parts[i] + "'";
      return std::nullopt;
    }
  }
  return profile;
}

}  // namespace conduit
