// Firmware 4.03: the 3.26 layout plus the cursor column inside the
// magnifier, which is also where the peak lies.
#pragma once

#include <config/ConfigObject3_26ver_Unit.h>

namespace velt {

class T4_03ConfigCell : public T3_26ConfigCell {
 public:
  using T3_26ConfigCell::T3_26ConfigCell;

  void WriteText(TTextWriter& out) override;
  std::uint8_t ReadText(TTextReader& in) override;
  void DecodeImage(const TDeviceImage& image, std::uint16_t n) override;
  void EncodeImage(TDeviceImage& image, std::uint16_t n) override;
  void Assign(const TBaseConfigCell* other) override;
  void SetDefaults(std::uint16_t n) override;
  double CursorTime(std::uint8_t cursor = 0) const override;
  void SetCursorTime(double us) override;
  bool PeakPositionAvailable() const override;
  std::uint16_t PeakPosition() const override;

  std::uint16_t SCREEN_CURSOR_LUPA_POS = 0;

 protected:
  // The line the 4.03 record appends: "SCREEN CURSOR LUPA POS:".
  void WriteTextLupaPosition(TTextWriter& out) const;
  void ReadTextLupaPosition(TTextReader& in);

  // The next line's value as a decimal integer in min..max; `fallback`
  // when the text is not an integer; EConvertError when it is one outside
  // min..max.
  static long long ReadIntegerOr(TTextReader& in, long long fallback, long long min,
                                 long long max);
};

}  // namespace velt
