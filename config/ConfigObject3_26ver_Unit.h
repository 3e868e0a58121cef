// Firmware 3.26: the 3.17 layout plus the exact (sub-column) cursor and the
// cursor inside the magnifier.
#pragma once

#include <config/ConfigObject3_17ver_Unit.h>

namespace velt {

class T3_26ConfigCell : public T3_17ConfigCell {
 public:
  using T3_17ConfigCell::T3_17ConfigCell;

  void WriteText(TTextWriter& out) override;
  std::uint8_t ReadText(TTextReader& in) override;
  void DecodeImage(const TDeviceImage& image, std::uint16_t n) override;
  void EncodeImage(TDeviceImage& image, std::uint16_t n) override;
  void Assign(const TBaseConfigCell* other) override;
  bool Validate() override;
  void SetDefaults(std::uint16_t n) override;
  double CursorTime(std::uint8_t cursor = 0) const override;
  void SetCursorTime(double us) override;

  double EXACT_SCREEN_CURS_POSITION = 0;  // columns, with a fraction
  std::uint8_t EXACT_SCREEN_CURS_POS_FLAG = 0;
  double EXACT_LUPA_MKS_CURS_POSITION = 0;  // µs
  std::uint8_t CURSOR_IS_IN_LUPA = 0;

 protected:
  // ---- Steps for the four exact cursor fields ------------------------------
  // Image bytes 321..330: 321..324 the exact column (C32 real; the decoder
  // reads 322..324 as a 24-bit number / 100), 325 the flag, 326..329 the
  // magnifier time (C32 real, decoded from 327..329), 330 CURSOR_IS_IN_LUPA.
  // The decoder clears the four fields, reads the flag and the magnifier
  // byte, the exact column only when the flag is non-zero and the magnifier
  // time only when the magnifier byte is non-zero as well. It has no
  // fallback of its own: Decode image gives the cell Set defaults when the
  // image is absent or byte 321 is 0xFF. The encoder writes the four fields
  // as they are.
  void DecodeImageExactCursor(const TDeviceImage& image);
  void EncodeImageExactCursor(TDeviceImage& image) const;
  // The four text lines appended after the comments:
  // "EXACT_SCREEN_CURS_POSITION:" (x 100), "EXACT_SCREEN_CURS_POS_FLAG:",
  // "EXACT_LUPA_MKS_CURS_POSITION:" (x 100), "CURSOR_IS_IN_LUPA:". The
  // reader takes a scaled line that is not an integer as 100 (1.00).
  void WriteTextExactCursor(TTextWriter& out) const;
  void ReadTextExactCursor(TTextReader& in);
};

}  // namespace velt
