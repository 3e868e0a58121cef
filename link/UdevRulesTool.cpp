// Writes the two udev rule files for the instruments of a device table:
//   conduit-udev-rules TABLE OUTPUT-FOLDER
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>

#include "DeviceTable.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: conduit-udev-rules TABLE OUTPUT-FOLDER\n";
    return 2;
  }
  std::ifstream in(argv[1]);
  if (!in) {
    std::cerr << "conduit-udev-rules: cannot read " << argv[1] << "\n";
    return 1;
  }
  const conduit::TDeviceTable table = conduit::ParseDeviceTable(in);
  for (const std::string& problem : table.Problems) {
    std::cerr << argv[1] << ": " << problem << "\n";
  }
  if (!table.Problems.empty()) {
    return 1;
  }
  const std::filesystem::path folder = argv[2];
  std::filesystem::create_directories(folder);
  std::ofstream(folder / "70-velt-instrument.rules") << conduit::UdevIdentifyRules(table);
  std::ofstream(folder / "71-velt-access.rules") << conduit::UdevAccessRules();
  return 0;
}
