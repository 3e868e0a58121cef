// A text record from a file someone sent, read by any of the seven
// configuration classes (the first input byte chooses): whatever it holds,
// reading it and using the cell afterwards must stay within bounds and
// defined, and what the cell then writes must read back. The cell as read
// then measures a frame whose record and samples the same bytes choose.
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>
#include <utility>

#include <config/TextRecordIO.h>

#include "FuzzCells.h"
#include "FuzzMeasurements.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) {
    return 0;
  }
  const std::uint8_t selector = data[0];
  std::istringstream file(std::string(reinterpret_cast<const char*>(data + 1), size - 1));
  velt::TTextReader in(file);
  auto cell = velt::fuzzing::MakeCell(selector);
  try {
    cell->ReadText(in);
  } catch (const velt::EConvertError&) {
    // The file reader abandons such a file; the cell keeps what was read up
    // to the bad line, and must still be usable.
  }
  velt::fuzzing::Exercise(*cell);

  // A conversion error escaping here is a finding: our own record must read.
  std::ostringstream copy;
  velt::TTextWriter out(copy);
  cell->WriteText(out);
  std::istringstream back(copy.str());
  velt::TTextReader again(back);
  auto reread = velt::fuzzing::MakeCell(selector);
  reread->ReadText(again);

  velt::fuzzing::Measure(std::move(cell), data + 1, size - 1);
  return 0;
}
