// Firmware 5.00: a compact device image, names in the instrument's own
// character codes (15 characters), and the cursor and level switches.
#pragma once

#include <config/ConfigObject4_08ver_Unit.h>

namespace velt {

class T5_00ConfigCell : public T4_08ConfigCell {
 public:
  explicit T5_00ConfigCell(TNumberFormat format = {});

  void WriteText(TTextWriter& out) override;
  std::uint8_t ReadText(TTextReader& in) override;
  void DecodeImage(const TDeviceImage& image, std::uint16_t n) override;
  void EncodeImage(TDeviceImage& image, std::uint16_t n) override;
  void Assign(const TBaseConfigCell* other) override;
  void SetDefaults(std::uint16_t n) override;

  std::uint8_t CURSOR_ON = 0;
  std::uint8_t LEVEL_ON = 0;

 protected:
  // Offsets 0..60 of the 5.00 image: the number, the name and the compact
  // block of settings (23..60).
  void DecodeImage500Head(const TDeviceImage& image);
  void EncodeImage500Head(TDeviceImage& image);
  // CONFIGURATION_NAME from name characters 0..14 in instrument codes: a
  // "/" code ends the name, it and what follows become blanks.
  void SetNameFromCodes();
  // The codes of the two decimal digits of CONFIGURATION # and of ".".
  std::array<std::uint8_t, 3> NumberCodes() const;
};

}  // namespace velt
