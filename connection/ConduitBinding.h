// Binds the link library Conduit at run time: loads libConduit.so by name
// (first from the program's own folder, then by the system's default
// search) and looks up the seven entry points the program uses, and the
// optional one that describes the library's state in words.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace velt {

struct TConduitEntryPoints {
  std::uint8_t (*InitUSB)() = nullptr;
  std::uint8_t (*CloseUSB)() = nullptr;
  std::uint8_t (*CheckServiceBuffer)(std::uint8_t* buffer) = nullptr;
  std::uint8_t (*SendServiceBuffer)(const std::uint8_t* buffer) = nullptr;
  std::uint8_t (*CheckBulkBuffer)(std::uint8_t* destination, std::uint16_t length) = nullptr;
  std::uint8_t (*SendBulkBuffer)(const std::uint8_t* data, std::uint16_t length) = nullptr;
  std::uint8_t (*USBStatus)() = nullptr;
  // Optional: a library without it binds all the same.
  std::uint8_t (*USBStateDescription)(char* buffer, std::uint16_t size) = nullptr;
};

// What the link library says about where instruments come from and its last
// search for one (the kinds are the library's own numbers).
inline constexpr std::uint8_t kLinkStateUnknown = 0;
inline constexpr std::uint8_t kLinkStateUsb = 1;
inline constexpr std::uint8_t kLinkStateUsbRefused = 2;  // present, cannot be opened
inline constexpr std::uint8_t kLinkStateSimulated = 3;

struct TLinkState {
  std::uint8_t Kind = kLinkStateUnknown;
  std::string Text;  // one line, the library's own words (UTF-8)
};

inline constexpr const char* kConduitFileName = "libConduit.so";

class TConduitBinding {
 public:
  // The library files to try, in order.
  explicit TConduitBinding(std::vector<std::string> candidates)
      : Candidates(std::move(candidates)) {}
  // Already bound entry points (tests, or a program that links Conduit).
  explicit TConduitBinding(const TConduitEntryPoints& entryPoints);
  ~TConduitBinding() = default;  // the library stays loaded for the process
  TConduitBinding(const TConduitBinding&) = delete;
  TConduitBinding& operator=(const TConduitBinding&) = delete;

  // The program's folder first, then the bare name for the default search.
  static std::vector<std::string> DefaultCandidates();

  bool Loaded() const { return Bound; }
  // Loads and binds unless that is done already. False when no candidate
  // loads or one of the entry points is missing; a later call tries again.
  bool Load();
  int LoadCount() const { return Loads; }
  const std::string& LoadedFrom() const { return From; }

  const TConduitEntryPoints& Entry() const { return EntryPoints; }
  // Unknown, with no text, while unbound or when the library cannot say.
  TLinkState LinkState() const;

 private:
  std::vector<std::string> Candidates;
  TConduitEntryPoints EntryPoints;
  bool Bound = false;
  int Loads = 0;
  std::string From;
};

}  // namespace velt
