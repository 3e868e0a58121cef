// The DGS model and the cell's two DGS operations. Every field value can
// reach here (images and exchanged files carry anything), so the steps are
// plain IEEE arithmetic: a square root or logarithm of a negative value gives
// NaN, of zero -inf, a division by zero inf or NaN, and such values run on
// through the curve instead of stopping anything. The table lookups go
// through the cell's guarded accessors.
#include <config/DgsModelUnit.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <numbers>

#include <config/BaseConfigObjectsUnit.h>

namespace velt {
namespace dgs {
namespace {

constexpr double kPi = std::numbers::pi;

double Radians(double degrees) {
  return degrees * kPi / 180.0;
}

// Reference distances: angle probes steeper than 62 degrees are referenced
// nearer to the probe.
constexpr double kSteepAngle = 62.0;
constexpr double kReferenceDistance = 20.0;
constexpr double kSteepReferenceDistance = 7.68;

}  // namespace

// ---- Fitted functions -------------------------------------------------------

double P27(double x) {
  if (x >= 0.5 && x < 1) {
    return -0.8 * x * x - 1.6 * x + 1.8;
  }
  if (x >= 1 && x < 2) {
    return 1.6 * x * x * x - 7.6 * x * x + 7.2 * x - 1.8;
  }
  if (x >= 2 && x <= 3) {
    return -4 * x + 3;
  }
  if (x > 3 && x <= 5) {
    return -0.25 * x * x * x + 3.3 * x * x - 17.05 * x + 19.2;
  }
  return 0;
}

double P51(double x) {
  const double y = 7 - x;
  if (x >= 1 && x < 2) {
    return 10 * std::log10(x) - 8.7 - 0.87 * y * y + 8.37 * y - 21.2;
  }
  if (x >= 2 && x < 7) {
    return 10 * std::log10(x) - 8.7 - 0.0984 * std::pow(y, 1.5);
  }
  if (x >= 7 && x <= 10) {
    return 10 * std::log10(x) - 8.7;
  }
  return 0;
}

double P40(double x) {
  if (x > 0 && x < 1.5) {
    return -2;
  }
  if (x >= 1.5 && x <= 2) {
    return -2.955 * std::pow(x - 1.5, 1.3) - 2;
  }
  if (x > 2) {
    return -20 * std::log10(x) * (6.4 / (3 * x * x * x) + 1) + 4.4;
  }
  return 0;  // x <= 0, and NaN
}

double P53(double x) {
  if (x >= 0.1 && x <= 0.4) {
    return 15.5 * std::pow(x - 0.1, 1.35);
  }
  if (x > 0.4) {
    return 9.49 * x - 0.745;
  }
  return 0;  // x < 0.1, and NaN
}

double P54(double x) {
  return x > 0.5 ? 2.733 - 2.667 * x : 4.9 - 7 * x;
}

// ---- Set-up -------------------------------------------------------------------

bool Complete(const TDgsInputs& in) {
  return in.PlateDiameter != 0 && in.FloorArea != 0 && in.SignalAmplitude != 0;
}

void SetUp(TDgsWorkingValues& m, const TDgsInputs& in) {
  // Material.
  m.c = in.Velocity / 1000.0;
  m.kappa = 2.0 * in.Attenuation * 0.001;
  m.valid = false;

  m.f = in.FrequencyMHz;
  m.D = in.PlateDiameter;
  m.alpha = in.Angle;
  m.Aref = in.SignalAmplitude;
  const bool straight = in.Angle == 0;
  m.rref = !straight && in.Angle > kSteepAngle ? kSteepReferenceDistance : kReferenceDistance;
  const double cosA = std::cos(Radians(m.alpha));

  if (straight) {
    // No prism: angle, delay and prism velocity are 0, and so the prism path.
    // w belongs to angle probes and is left as it was.
    m.cp = 0;
    m.tau = 0;
    m.rp = 0;
    m.lambda = m.c / m.f;
    m.De = m.D;
    m.N = m.D * m.D / (4 * m.lambda);
    m.q = 0;
  } else {
    m.cp = kPrismVelocity;
    m.tau = in.ProbeDelay / 2;
    const double s = kPi * m.D * m.D / 4;  // transducer area
    m.lambda = m.c / m.f;
    const double sinB = std::sin(Radians(m.alpha)) * m.cp / m.c;
    const double cosB = std::sqrt(1 - sinB * sinB);
    m.De = std::sqrt(4 * s * cosA / (kPi * cosB));
    m.N = s * cosA * cosA / (kPi * m.lambda * cosB);
    m.rp = m.cp * m.tau * (m.cp / m.c) * cosA * cosA / cosB;
    if (m.N > 0) {
      m.q = m.rp / m.N;
    }
    m.w = 2 * std::sqrt(std::sqrt(m.N / cosA) * m.lambda / kPi) / m.De;

    // The reference check: the reference echo must lie where the fitted
    // functions hold.
    const double b = 5 / m.lambda;
    const double a = m.rref - 2.5 * cosA;
    if (b >= 1 && b <= 10 && a >= m.N - m.rp && a <= 5 * m.N - m.rp) {
      m.K = P51(4 / m.lambda) + (m.Aref - P51(5 / m.lambda) - P27(a / m.N + m.q)) + P27(2);
      m.valid = true;
    }
  }

  // The reflector is given by its area.
  if (in.FloorArea > 0) {
    m.d = 2 * std::sqrt(in.FloorArea / kPi);
  }
  m.x = m.d / m.De;
  if (m.x >= 0.09 && m.x <= 0.8) {
    m.valid = true;
  }

  if (straight) {
    const double t0 = m.Aref - 3.20010291561634 - P40(m.rref / m.N);
    m.T = t0 + 3.2;
    m.B0 = (t0 - 19.6) - 11.3484;
  } else {
    m.B0 = m.K - 40 * std::log10(10 * m.w) + P53(m.w);
    m.T = P54(0.2) + 40 * std::log10(10 * 0.2) + m.B0 - P53(0.2) + 19;
  }

  m.o = 40 * std::log10(10 * m.x) + m.B0 - P53(m.x);
  m.g1 = 11.1111 * m.x + 2.4444;
  m.M = 0.75 * m.g1 + m.o + 12;
  m.z = 1.45 * m.x + 0.675;
  m.L = P54(m.x) + m.o;
  m.e = (0.58 * m.g1 - 8.68) * (2 - m.z) / (m.o - m.L);
  if (!straight && 2 - m.z < 0) {
    // A negative base has no real power: the angle probe's curve takes the
    // slope alone there.
    m.k = (8.68 - 0.58 * m.g1) / m.e;
  } else {
    m.k = (8.68 - 0.58 * m.g1) / (m.e * std::pow(2 - m.z, m.e - 1));
  }
  m.F = 40 * std::log10(m.x) + m.T;
}

// ---- Evaluation ---------------------------------------------------------------

double RawLevel(const TDgsWorkingValues& m, double u) {
  if (u < m.z / 2) {
    return m.F + std::pow(u / m.z, 6) * (m.L - m.F) * 16;
  }
  if (u < m.z) {
    const double r = (u - m.z) / m.z;
    return m.L - r * r * (m.L - m.F) * 3;
  }
  if (u < 2) {
    return m.L - std::pow(u - m.z, m.e) * m.k;
  }
  // Beyond u = 2 (and for a u that is not a number).
  return m.M - 20 * std::log10(u) * (m.g1 / (u * u * u) + 2);
}

bool Evaluate(const TDgsWorkingValues& m, std::span<const double> times, std::span<double> raw,
              std::span<double> corrected) {
  const std::size_t n = std::min({times.size(), raw.size(), corrected.size()});
  std::fill_n(raw.begin(), n, 0.0);
  std::fill_n(corrected.begin(), n, 0.0);
  if (!m.valid) {
    return false;
  }
  const double cosA = std::cos(Radians(m.alpha));
  for (std::size_t i = 0; i < n; ++i) {
    // The depth the sound reached at this time; before the start, none.
    double h = cosA * (times[i] / 2) * m.c;
    if (h < 0) {
      h = 0;
    }
    const double u = h / m.N + m.q;
    if (u < 0) {
      // In front of the prism the diagram has no level: the pass ends here,
      // and a curve that ends early is no corrected curve at all.
      std::fill_n(corrected.begin(), n, 0.0);
      return false;
    }
    raw[i] = RawLevel(m, u);
    corrected[i] = raw[i] - m.kappa * h / cosA;
  }
  return true;
}

}  // namespace dgs

// ---- The cell's DGS operations ----------------------------------------------

namespace {

TDgsInputs DgsInputsOf(const TBaseConfigCell& cell) {
  TDgsInputs in;
  in.Velocity = cell.VELOCITY;
  in.FrequencyMHz = cell.ProbeFrequencyMHz();
  in.Angle = cell.InsertionAngle();
  in.PlateDiameter = cell.ARD_PLATE_DIAMETER;
  in.ProbeDelay = cell.PROBE_DELAY;
  in.Attenuation = cell.ARD_ATTENUATION;
  in.SignalAmplitude = cell.ARD_SIGNAL_AMPLITUDE;
  in.FloorArea = cell.ARD_PLATE_FLOOR_DIAMETER;
  return in;
}

// The attenuator value in dB, which the curves are shown against.
double AttenuatorDbOf(const TBaseConfigCell& cell) {
  return 90.0 - cell.ATTENUATOR1;
}

}  // namespace

double TBaseConfigCell::DgsPointLevel(double us) {
  const TDgsInputs in = DgsInputsOf(*this);
  if (!dgs::Complete(in)) {
    return dgs::kIncomplete;
  }
  dgs::SetUp(Dgs, in);
  const double t[1] = {us};
  double raw[1] = {0};
  double corrected[1] = {0};
  dgs::Evaluate(Dgs, t, raw, corrected);
  return corrected[0] - AttenuatorDbOf(*this);
}

bool TBaseConfigCell::DgsCurve(std::span<double> times, std::span<double> raw,
                               std::span<double> corrected) {
  const TDgsInputs in = DgsInputsOf(*this);
  if (!dgs::Complete(in)) {
    return false;
  }
  const std::size_t n = std::min({times.size(), raw.size(), corrected.size()});
  // Without pixels per division there is no time axis: every column is at 0.
  const double perDivision = TimePerDivision();
  for (std::size_t i = 0; i < n; ++i) {
    times[i] =
        PIXEL_GRID_LENGTH == 0 ? 0.0 : perDivision * static_cast<double>(i) / PIXEL_GRID_LENGTH;
  }
  dgs::SetUp(Dgs, in);
  dgs::Evaluate(Dgs, times.first(n), raw.first(n), corrected.first(n));
  // Into linear amplitude against the attenuator.
  const double attenuator = AttenuatorDbOf(*this);
  for (std::size_t i = 0; i < n; ++i) {
    raw[i] = std::pow(10.0, (raw[i] - attenuator) / 20);
    corrected[i] = std::pow(10.0, (corrected[i] - attenuator) / 20);
  }
  return true;
}

}  // namespace velt
