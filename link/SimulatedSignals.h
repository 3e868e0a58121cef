// The signals the simulated instrument shows: an initial pulse, echoes and
// a little noise, seen through a time scale and a gain, as the four signal
// blocks of a stored record or a live frame (first maximums, first
// minimums, second maximums, second minimums; 320 samples each, full
// screen 180). Deterministic: the same scene, view and seed give the same
// bytes.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace conduit {

inline constexpr std::size_t kSimulatedSignalBlock = 512;
inline constexpr std::size_t kSimulatedSamples = 320;
using TSimulatedSignalBlock = std::array<std::uint8_t, kSimulatedSignalBlock>;
using TSimulatedSignals = std::array<TSimulatedSignalBlock, 4>;

// A small seeded generator (splitmix64), so every run gives the same memory.
class TSimulatedRandom {
 public:
  explicit TSimulatedRandom(std::uint64_t seed) : State(seed) {}
  std::uint64_t Next();
  double Uniform();  // [0, 1)
  double Between(double low, double high);
  unsigned Below(unsigned count);  // 0 .. count - 1

 private:
  std::uint64_t State;
};

struct TSimulatedEcho {
  double Time;    // µs after the initial pulse
  double Height;  // screen units at the reference gain
  double Width;   // µs
};

struct TSimulatedScene {
  double InitialPulseHeight = 160;
  double InitialPulseWidth = 0.8;  // µs
  std::vector<TSimulatedEcho> Echoes;
  double Noise = 4;               // largest noise sample, screen units
  double HeightJitter = 0;        // relative, per rendering (frame-to-frame variation)
  double SecondTraceScale = 0.5;  // the second trace shows the echoes this much lower
};

struct TSimulatedView {
  double TimePerDivision = 5;   // µs
  double PixelGridLength = 25;  // columns per division
  double GainDb = 0;            // added to the reference gain of the scene
  bool RadioFrequency = false;  // the band around the zero line 90
  unsigned Ceiling = 180;       // largest sample value
};

TSimulatedSignals RenderSimulatedSignals(const TSimulatedScene& scene, const TSimulatedView& view,
                                         std::uint64_t seed);

}  // namespace conduit
