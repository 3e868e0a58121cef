#include "DeviceTable.h"

#include <cstdlib>
#include <cstdio>
#include <sstream>

namespace conduit {
namespace {

bool ParseHexId(const std::string& text, std::uint16_t& id) {
  if (text.size() != 4) {
    return false;
  }
  unsigned value = 0;
  for (char c : text) {
    value <<= 4;
    if (c >= '0' && c <= '9') {
      value |= static_cast<unsigned>(c - '0');
    } else if (c >= 'a' && c <= 'f') {
      value |= static_cast<unsigned>(c - 'a' + 10);
    } else if (c >= 'A' && c <= 'F') {
      value |= static_cast<unsigned>(c - 'A' + 10);
    } else {
      return false;
    }
  }
  id = static_cast<std::uint16_t>(value);
  return true;
}

std::string Hex4(std::uint16_t id) {
  char text[5];
  std::snprintf(text, sizeof text, "%04x", id);
  return text;
}

}  // namespace

TDeviceTable ParseDeviceTable(std::istream& in) {
  TDeviceTable table;
  std::string line;
  int number = 0;
  while (std::getline(in, line)) {
    ++number;
    const auto hash = line.find('#');
    std::istringstream fields(line.substr(0, hash));
    std::string ids;
    std::string type;
    std::string extra;
    if (!(fields >> ids)) {
      continue;  // blank or comment only
    }
    fields >> type >> extra;
    TDeviceTableRow row{};
    const auto colon = ids.find(':');
    const bool idsOk = colon != std::string::npos &&
                       ParseHexId(ids.substr(0, colon), row.VendorId) &&
                       ParseHexId(ids.substr(colon + 1), row.ProductId);
    const bool typeOk = type.size() == 1 && type[0] >= '1' && type[0] <= '6';
    if (!idsOk || !typeOk || !extra.empty()) {
      table.Problems.push_back("line " + std::to_string(number) +
                               ": expected 'VVVV:PPPP TYPE' with TYPE 1..6");
      continue;
    }
    row.DeviceType = static_cast<std::uint8_t>(type[0] - '0');
    table.Rows.push_back(row);
  }
  return table;
}

std::string DeviceTablePath(const std::string& libraryFolder) {
  const char* override = std::getenv("CONDUIT_DEVICE_TABLE");
  if (override != nullptr && *override != '\0') {
    return override;
  }
  return libraryFolder + "/conduit-devices.txt";
}

std::string UdevIdentifyRules(const TDeviceTable& table) {
  std::string rules =
      "# Velt Studio instruments, generated from the Conduit device table.\n"
      "# Marks each instrument so that the access rule can grant it to the\n"
      "# logged-in user.\n";
  if (table.Rows.empty()) {
    rules += "# (the device table names no instrument yet)\n";
  }
  for (const TDeviceTableRow& row : table.Rows) {
    const std::string vendor = Hex4(row.VendorId);
    const std::string product = Hex4(row.ProductId);
    rules += "# instrument " + vendor + ":" + product + ", device type " +
             std::to_string(row.DeviceType) + "\n";
    rules += "SUBSYSTEM==\"usb\", ENV{DEVTYPE}==\"usb_device\", ATTR{idVendor}==\"" + vendor +
             "\", ATTR{idProduct}==\"" + product + "\", ENV{ID_VELT_INSTRUMENT}=\"1\"\n";
  }
  return rules;
}

std::string UdevAccessRules() {
  return "# Velt Studio: the logged-in user may open the instruments marked by\n"
         "# 70-velt-instrument.rules, without root.\n"
         "SUBSYSTEM==\"usb\", ENV{ID_VELT_INSTRUMENT}==\"1\", TAG+=\"uaccess\"\n";
}

}  // namespace conduit
