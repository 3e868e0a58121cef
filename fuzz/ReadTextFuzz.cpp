// A text record from a file someone sent: whatever it holds, reading it and
// using the cell afterwards must stay within bounds and defined.
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

#include <config/BaseConfigObjectsUnit.h>
#include <config/TextRecordIO.h>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::istringstream file(std::string(reinterpret_cast<const char*>(data), size));
  velt::TTextReader in(file);
  velt::TBaseConfigCell cell;
  cell.Initialise();
  try {
    cell.ReadText(in);
  } catch (const velt::EConvertError&) {
    // The file reader abandons such a file; the cell keeps what was read
    // up to the bad line, and must still be usable.
  }

  // Operations that index tables by fields the file just set.
  cell.Validate();
  cell.UpdateMillimetreGrid();
  for (std::uint8_t p = 0; p < velt::kParameterCount; ++p) {
    cell.ParameterText(p);
  }

  // Whatever the cell holds now, its record must read back: a conversion
  // error escaping here is a finding.
  std::ostringstream copy;
  velt::TTextWriter out(copy);
  cell.WriteText(out);
  std::istringstream back(copy.str());
  velt::TTextReader again(back);
  velt::TBaseConfigCell reread;
  reread.ReadText(again);
  return 0;
}
