// The platform under Conduit: the interface classes it searches in order,
// the interfaces present in each, and synchronous pipe transfers. One
// implementation talks to real instruments through libusb, the other is
// the simulated instrument.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "Conduit.h"

namespace conduit {

using THandle = int;
constexpr THandle kInvalidHandle = -1;

// How the library's last search for an instrument went.
struct TSearchOutcome {
  bool Searched = false;
  bool Found = false;   // an interface of some class was present
  bool Opened = false;  // and one of them opened
  std::string Path;     // the interface opened, or the first that did not
  std::string OpenError;  // why that one did not open, as the platform names it
};

// A line for the user on the platform and the last search, with its kind
// (the CONDUIT_STATE_* values of Conduit.h).
struct TStateDescription {
  std::uint8_t Kind = 0;
  std::string Text;
};

// What a platform raises when a transfer ends in a fault rather than a
// plain failure; the library reports its code to the user.
struct TPlatformFault {
  std::uint32_t Code;
};

class IPlatform {
 public:
  virtual ~IPlatform() = default;

  // The interface classes in discovery order, each with the device type the
  // library reports when an instrument of that class is found.
  virtual std::vector<std::uint8_t> ClassDeviceTypes() = 0;

  // The paths of the present interfaces of one class in a stable order. An
  // empty path stands for an interface whose details could not be read.
  virtual std::vector<std::string> EnumerateInterfaces(std::size_t classIndex) = 0;

  // Opens an interface path, or an interface path followed by "\" and one
  // of the pipe names "PIPE00".."PIPE03".
  virtual THandle Open(const std::string& path) = 0;

  // One synchronous transfer of up to n bytes; `done` receives the count
  // moved. False when the transfer failed (some bytes may still have moved).
  virtual bool Write(THandle handle, const std::uint8_t* data, std::size_t n,
                     std::size_t& done) = 0;
  virtual bool Read(THandle handle, std::uint8_t* data, std::size_t n, std::size_t& done) = 0;

  virtual void Close(THandle handle) = 0;

  // Why the last Open failed, in the platform's own terms (empty: unknown).
  virtual std::string LastOpenError() const { return {}; }
  // The platform and the last search, in a line for the user.
  virtual TStateDescription Describe(const TSearchOutcome& last) const {
    return {CONDUIT_STATE_USB, last.Opened ? "instrument at " + last.Path : "no instrument present"};
  }
};

// Where the library's messages go: a message box in a GUI process, stderr
// otherwise.
class IMessageSink {
 public:
  virtual ~IMessageSink() = default;
  virtual void Show(const std::string& text, const std::string& caption) = 0;
};

}  // namespace conduit
