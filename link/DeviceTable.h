// The device table: which USB instruments Conduit looks for, in discovery
// order. It is data, read from a small text file installed beside the
// library, because the instrument's USB ids are a property of the site's
// instruments, not of the program.
//
// One row per line:  VVVV:PPPP  TYPE   (hex vendor and product id as lsusb
// prints them, device type 1..6). '#' starts a comment; blank lines are
// ignored.
#pragma once

#include <cstdint>
#include <istream>
#include <string>
#include <vector>

namespace conduit {

struct TDeviceTableRow {
  std::uint16_t VendorId;
  std::uint16_t ProductId;
  std::uint8_t DeviceType;
};

struct TDeviceTable {
  std::vector<TDeviceTableRow> Rows;
  std::vector<std::string> Problems;  // one text per line that was not a row
};

TDeviceTable ParseDeviceTable(std::istream& in);

// The table file to read: $CONDUIT_DEVICE_TABLE when set, otherwise
// "conduit-devices.txt" in the given folder (the library's own).
std::string DeviceTablePath(const std::string& libraryFolder);

// The udev rules that identify the table's instruments, one commented line
// per row; the access rule lives in a file of its own.
std::string UdevIdentifyRules(const TDeviceTable& table);
std::string UdevAccessRules();

}  // namespace conduit
