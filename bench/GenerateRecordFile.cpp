// Writes a record file of N pseudo-random records with the program's own
// writer: GenerateRecordFile FILE [N] (N defaults to VELT_BENCH_RECORDS or
// 1000, about 100 MB).
#include <cstdlib>
#include <iostream>
#include <string>

#include "RecordFileGenerator.h"

int main(int argc, char** argv) {
  if (argc < 2 || argc > 3) {
    std::cerr << "Usage: GenerateRecordFile FILE [N]\n";
    return 2;
  }
  std::uint16_t count = velt::bench::RecordCountFromEnvironment();
  if (argc == 3) {
    const long n = std::strtol(argv[2], nullptr, 10);
    if (n < 1 || n > 65535) {
      std::cerr << "GenerateRecordFile: N must be 1..65535\n";
      return 2;
    }
    count = static_cast<std::uint16_t>(n);
  }
  const velt::TFileResult result = velt::bench::GenerateRecordFile(argv[1], count);
  if (!result) {
    std::cerr << "GenerateRecordFile: " << result.Error << '\n';
    return 1;
  }
  std::cout << argv[1] << ": " << count << " records\n";
  return 0;
}
