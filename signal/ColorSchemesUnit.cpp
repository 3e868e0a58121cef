#include <signal/ColorSchemesUnit.h>

namespace velt {
namespace {

QColor Rgb(unsigned rgb) { return QColor::fromRgb(rgb >> 16, (rgb >> 8) & 0xFF, rgb & 0xFF); }

}  // namespace

TColourScheme ScreenColourScheme() {
  static constexpr unsigned kScreen[kSignalColours] = {
      0x000000, 0x00FF00, 0xC0C0C0, 0xC0C0C0, 0x0080FF, 0xFFFFFF, 0xFF0000,
      0x9C990E, 0xFFFF00, 0x404040, 0xFF8000, 0xFFFFFF, 0xFF8060, 0xFFA0A0};
  TColourScheme scheme;
  for (int i = 0; i < kSignalColours; ++i) {
    scheme.Colours[static_cast<std::size_t>(i)] = Rgb(kScreen[i]);
  }
  return scheme;
}

TColourScheme PrintColourScheme() {
  TColourScheme scheme;
  scheme.Colours.fill(Qt::black);
  scheme.Colours[kBackgroundColour] = Qt::white;
  return scheme;
}

}  // namespace velt
