// The DGS (distance - gain - size) model: from the probe and material settings
// of a cell, the expected echo level over sound time. The cell owns the
// working values; the steps here are free functions so they test on their own.
#pragma once

#include <span>

namespace velt {

// The working values of the model. They are overwritten by every set-up and
// never written to files or images. Names follow the model's own symbols.
struct TDgsWorkingValues {
  double c = 0;       // material velocity, mm/us
  double f = 0;       // probe frequency, MHz
  double lambda = 0;  // wavelength c / f, mm
  double D = 0;       // transducer diameter, mm
  double alpha = 0;   // beam angle, degrees (0 = straight probe)
  double cp = 0;      // prism velocity, mm/us (angle probes)
  double tau = 0;     // half the probe delay, us
  double kappa = 0;   // attenuation per mm of path, dB/mm
  double Aref = 0;    // reference echo level, dB
  double rref = 0;    // reference distance, mm
  double d = 0;       // reflector diameter, mm; kept when the area is not positive
  double De = 0;      // effective transducer diameter, mm
  double N = 0;       // near-field length, mm
  double rp = 0;      // prism path as material path, mm
  double q = 0;       // rp / N
  double w = 0;       // normalised aperture term (angle probes)
  double K = 0;       // reference constant; kept when the reference check fails
  double x = 0;       // d / De
  bool valid = false;
  // Curve coefficients.
  double B0 = 0;
  double T = 0;
  double o = 0;
  double g1 = 0;
  double M = 0;
  double z = 0;
  double L = 0;
  double e = 0;
  double k = 0;
  double F = 0;
};

// What the model reads from a configuration cell.
struct TDgsInputs {
  double Velocity = 0;         // VELOCITY, m/s
  double FrequencyMHz = 0;     // the probe frequency (from PROBE_FREQ)
  double Angle = 0;            // InsertionAngle(), degrees
  double PlateDiameter = 0;    // ARD_PLATE_DIAMETER, mm
  double ProbeDelay = 0;       // PROBE_DELAY, us
  double Attenuation = 0;      // ARD_ATTENUATION, dB/m
  double SignalAmplitude = 0;  // ARD_SIGNAL_AMPLITUDE, dB
  double FloorArea = 0;        // ARD_PLATE_FLOOR_DIAMETER, taken as an AREA in mm2
};

namespace dgs {

// Sound velocity in the prism of an angle probe, mm/us.
inline constexpr double kPrismVelocity = 2.67;
// The level the two DGS operations give when the cell lacks DGS data.
inline constexpr double kIncomplete = 99900;

// The fitted functions of the diagram; each gives 0 outside its ranges (and
// for NaN), except P54, which covers every x (NaN gives NaN).
double P27(double x);
double P51(double x);
double P40(double x);
double P53(double x);
double P54(double x);

// True when the cell has what the model needs: none of the plate diameter,
// the reflector area and the reference level is zero.
bool Complete(const TDgsInputs& in);

// Sets the model up from the inputs, in its fixed order: material, probe
// (straight for an angle of exactly 0, else angle), the angle probe's
// reference check, the reflector, the curve coefficients. K and d keep
// their previous values where the steps say so, and so does q when an
// angle probe's near field is not positive.
void SetUp(TDgsWorkingValues& m, const TDgsInputs& in);

// The model's level at the times (us) in one pass, raw (without attenuation)
// and corrected (with it), in dB; n is the smallest of the three sizes and
// nothing past n is written. A model that is not valid gives 0 everywhere. A
// point whose normalised distance u is negative stops the pass: it and the
// later points keep raw 0 and every corrected value is 0. Returns false when
// the pass stopped (or the model is not valid).
bool Evaluate(const TDgsWorkingValues& m, std::span<const double> times, std::span<double> raw,
              std::span<double> corrected);

// The level of one point of a curve in dB: the normalised distance u on the
// four pieces of the curve.
double RawLevel(const TDgsWorkingValues& m, double u);

}  // namespace dgs
}  // namespace velt
