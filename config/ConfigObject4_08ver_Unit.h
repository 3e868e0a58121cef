// Firmware 4.08: the 4.03 layout with the freeze flag stored.
#pragma once

#include <config/ConfigObject4_03ver_Unit.h>

namespace velt {

class T4_08ConfigCell : public T4_03ConfigCell {
 public:
  using T4_03ConfigCell::T4_03ConfigCell;

  void WriteText(TTextWriter& out) override;
  std::uint8_t ReadText(TTextReader& in) override;
  void DecodeImage(const TDeviceImage& image, std::uint16_t n) override;
  void EncodeImage(TDeviceImage& image, std::uint16_t n) override;
  void Assign(const TBaseConfigCell* other) override;
  void SetDefaults(std::uint16_t n) override;

 protected:
  // The line the 4.08 record appends: "PRINT_SIGNAL_LEVEL_IN_STOP:".
  void WriteTextFreezeFlag(TTextWriter& out) const;
  void ReadTextFreezeFlag(TTextReader& in);
};

}  // namespace velt
