#include "SimulatedSignals.h"

#include <algorithm>
#include <cmath>

namespace conduit {

std::uint64_t TSimulatedRandom::Next() {
  std::uint64_t z = (State += 0x9E3779B97F4A7C15ull);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

double TSimulatedRandom::Uniform() {
  return static_cast<double>(Next() >> 11) * 0x1.0p-53;
}

double TSimulatedRandom::Between(double low, double high) {
  return low + (high - low) * Uniform();
}

unsigned TSimulatedRandom::Below(unsigned count) {
  return count == 0 ? 0 : static_cast<unsigned>(Next() % count);
}

namespace {

// The highest point of a pulse of `height` and `width` centred at `centre`
// within the time one column spans: the instrument's peak detector keeps
// the largest value a column sees.
double PeakInColumn(double centre, double height, double width, double from, double to) {
  double distance = 0;
  if (centre < from) {
    distance = from - centre;
  } else if (centre > to) {
    distance = centre - to;
  }
  const double x = distance / width;
  // Beyond six widths a pulse adds less than 1e-15 of its height: nothing a
  // sample of whole screen units can show, and exp() is most of the cost.
  if (x > 6) {
    return 0;
  }
  return height * std::exp(-x * x);
}

std::uint8_t Sample(double value, unsigned ceiling) {
  return static_cast<std::uint8_t>(std::clamp(std::nearbyint(value), 0.0, double(ceiling)));
}

}  // namespace

TSimulatedSignals RenderSimulatedSignals(const TSimulatedScene& scene, const TSimulatedView& view,
                                         std::uint64_t seed) {
  TSimulatedRandom random(seed);
  const double gain = std::pow(10.0, view.GainDb / 20.0);
  const double columnTime = view.TimePerDivision / std::max(view.PixelGridLength, 1.0);
  // Echoes narrower than a column would vanish between samples; the
  // detector stretches them to about one and a half columns.
  const double minimumWidth = 1.5 * columnTime;

  std::vector<TSimulatedEcho> echoes = scene.Echoes;
  for (TSimulatedEcho& echo : echoes) {
    echo.Height *= gain * (1 + scene.HeightJitter * random.Between(-1, 1));
    echo.Width = std::max(echo.Width, minimumWidth);
  }
  const double pulseWidth = std::max(scene.InitialPulseWidth, 3 * columnTime);

  TSimulatedSignals blocks{};
  for (std::size_t column = 0; column < kSimulatedSamples; ++column) {
    const double from = column * columnTime;
    const double to = from + columnTime;
    double first = PeakInColumn(0, scene.InitialPulseHeight, pulseWidth, from, to);
    double second = first;
    for (const TSimulatedEcho& echo : echoes) {
      const double peak = PeakInColumn(echo.Time, echo.Height, echo.Width, from, to);
      first += peak;
      second += peak * scene.SecondTraceScale;
    }
    const double noise1 = scene.Noise * random.Uniform();
    const double noise2 = scene.Noise * random.Uniform();
    const double low1 = scene.Noise * random.Uniform();
    const double low2 = scene.Noise * random.Uniform();
    double max1 = 0, min1 = 0, max2 = 0, min2 = 0;
    if (view.RadioFrequency) {
      // The band of a radio-frequency trace around its zero line.
      max1 = 90 + (first + noise1) / 2;
      min1 = 90 - (first + low1) / 2;
      max2 = 90 + (second + noise2) / 2;
      min2 = 90 - (second + low2) / 2;
    } else {
      max1 = first + noise1;
      min1 = std::max(0.0, 0.3 * first - low1);
      max2 = second + noise2;
      min2 = std::max(0.0, 0.3 * second - low2);
    }
    blocks[0][column] = Sample(max1, view.Ceiling);
    blocks[1][column] = std::min(blocks[0][column], Sample(min1, view.Ceiling));
    blocks[2][column] = Sample(max2, view.Ceiling);
    blocks[3][column] = std::min(blocks[2][column], Sample(min2, view.Ceiling));
  }
  return blocks;
}

}  // namespace conduit
