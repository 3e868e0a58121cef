// The DGS model of the configuration cell: the fitted functions, the set-up
// and evaluation against values worked out by hand, the pieces of the curve,
// the sentinels, the working values that survive a set-up, and settings far
// outside anything an instrument holds.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <functional>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include <config/BaseConfigObjectsUnit.h>
#include <config/ConfigObject3_17ver_Unit.h>
#include <config/DgsModelUnit.h>

namespace velt {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kTight = 1e-9;
// ATTENUATOR1 40 in every cell below: the curves stand against 90 - 40 = 50 dB.
constexpr double kAttenuatorDb = 50;
// A model level of 0 dB in linear amplitude: 10^((0 - 50) / 20).
constexpr double kZeroLevelLinear = 0.0031622776601683794;

// ---- Fitted functions --------------------------------------------------------

TEST(DgsFittedFunctionsTest, PiecesAtTheirEdgesAndInside) {
  struct TCase {
    const char* Name;
    double (*Fn)(double);
    double X;
    double Expected;
  };
  const std::vector<TCase> cases = {
      // P27
      {"P27", dgs::P27, 0.49, 0},     // below the first piece
      {"P27", dgs::P27, 0.5, 0.8},    // -0.2 - 0.8 + 1.8
      {"P27", dgs::P27, 0.75, 0.15},  // -0.45 - 1.2 + 1.8
      {"P27", dgs::P27, 1, -0.6},     // 1.6 - 7.6 + 7.2 - 1.8
      {"P27", dgs::P27, 1.5, -2.7},   // 5.4 - 17.1 + 10.8 - 1.8
      {"P27", dgs::P27, 2, -5},       // -8 + 3
      {"P27", dgs::P27, 2.5, -7},     // -10 + 3
      {"P27", dgs::P27, 3, -9},       // -12 + 3 (third piece up to 3)
      {"P27", dgs::P27, 4, -12.2},    // -16 + 52.8 - 68.2 + 19.2
      {"P27", dgs::P27, 5, -14.8},    // -31.25 + 82.5 - 85.25 + 19.2
      {"P27", dgs::P27, 5.01, 0},     // above the last piece
      {"P27", dgs::P27, kNaN, 0},
      // P51, y = 7 - x
      {"P51", dgs::P51, 0.99, 0},
      {"P51", dgs::P51, 1, -11},  // y 6: 0 - 8.7 - 31.32 + 50.22 - 21.2
      // y 5.5: 1.76091259056 - 8.7 - 26.3175 + 46.035 - 21.2
      {"P51", dgs::P51, 1.5, -8.421587409443188},
      {"P51", dgs::P51, 2, -6.789845488290084},    // 3.01029995664 - 8.7 - 0.0984 * 11.1803398875
      {"P51", dgs::P51, 4, -3.1907014851147077},   // 6.02059991328 - 8.7 - 0.0984 * 5.19615242271
      {"P51", dgs::P51, 7, -0.24901959985743183},  // 8.45098040014 - 8.7
      {"P51", dgs::P51, 10, 1.3},                  // 10 - 8.7
      {"P51", dgs::P51, 10.01, 0},
      {"P51", dgs::P51, kNaN, 0},
      // P40
      {"P40", dgs::P40, -1, 0},
      {"P40", dgs::P40, 0, 0},
      {"P40", dgs::P40, 0.001, -2},
      {"P40", dgs::P40, 1.49, -2},
      {"P40", dgs::P40, 1.5, -2},                   // -2.955 * 0 - 2
      {"P40", dgs::P40, 1.75, -2.487393234541738},  // -2.955 * 0.25^1.3 (0.164938488847) - 2
      {"P40", dgs::P40, 2, -3.2001029156163376},    // -2.955 * 0.5^1.3 (0.406126198178) - 2
      // -20 * 0.397940008672 * (6.4 / 46.875 + 1) + 4.4
      {"P40", dgs::P40, 2.5, -4.645441690454529},
      {"P40", dgs::P40, 10, -15.642666666666665},  // -20 * 1 * (6.4 / 3000 + 1) + 4.4
      {"P40", dgs::P40, kNaN, 0},
      // P53
      {"P53", dgs::P53, 0.099, 0},
      {"P53", dgs::P53, 0.1, 0},                   // 15.5 * 0^1.35
      {"P53", dgs::P53, 0.2, 0.6923595678339928},  // 15.5 * 0.1^1.35 (0.0446683592151)
      {"P53", dgs::P53, 0.4, 3.051022371083864},   // 15.5 * 0.3^1.35 (0.196840152973)
      {"P53", dgs::P53, 0.41, 3.1459},             // 9.49 * 0.41 - 0.745
      {"P53", dgs::P53, 1, 8.745},                 // 9.49 - 0.745
      {"P53", dgs::P53, kNaN, 0},
      // P54
      {"P54", dgs::P54, -1, 11.9},  // 4.9 + 7
      {"P54", dgs::P54, 0, 4.9},
      {"P54", dgs::P54, 0.5, 1.4},     // 4.9 - 3.5 (0.5 still the lower piece)
      {"P54", dgs::P54, 0.6, 1.1328},  // 2.733 - 1.6002
      {"P54", dgs::P54, 1, 0.066},     // 2.733 - 2.667
      {"P54", dgs::P54, 2, -2.601},    // 2.733 - 5.334
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(std::string(c.Name) + "(" + std::to_string(c.X) + ")");
    EXPECT_NEAR(c.Fn(c.X), c.Expected, 1e-12);
  }
  EXPECT_TRUE(std::isnan(dgs::P54(kNaN)));  // the lower piece has no range to leave
}

// ---- Worked examples -----------------------------------------------------------

// The settings the worked examples share: D 12 mm, Aref 70 dB, 10 dB/m,
// ATTENUATOR1 40, 25 us per division over 25 pixels (column i is i us).
void CommonSettings(TBaseConfigCell& cell) {
  cell.Initialise();
  cell.ARD_PLATE_DIAMETER = 12;
  cell.ARD_SIGNAL_AMPLITUDE = 70;
  cell.ARD_ATTENUATION = 10;
  cell.ATTENUATOR1 = 40;
  cell.INDEX_MARK_MKS = 4;
  cell.PIXEL_GRID_LENGTH = 25;
}

// Straight probe, steel: 5900 m/s, 5.0 MHz (PROBE_FREQ 7), reflector 12 mm2.
void StraightSteel(TBaseConfigCell& cell) {
  CommonSettings(cell);
  cell.INSERTION_ANGLE = 0;
  cell.VELOCITY = 5900;
  cell.PROBE_FREQ = 7;
  cell.PROBE_DELAY = 3.0;  // a straight probe has no prism: unused
  cell.ARD_PLATE_FLOOR_DIAMETER = 12;
}

// Angle probe: 3250 m/s, 2.5 MHz (PROBE_FREQ 17), delay 8.6 us, reflector 7 mm2.
void AngleProbe(TBaseConfigCell& cell, std::uint8_t angle) {
  CommonSettings(cell);
  cell.INSERTION_ANGLE = angle;
  cell.VELOCITY = 3250;
  cell.PROBE_FREQ = 17;
  cell.PROBE_DELAY = 8.6;
  cell.ARD_PLATE_FLOOR_DIAMETER = 7;
}

struct TWorkedPoint {
  int Column;  // = time in us
  double Raw;  // dB
  double Corrected;
  double LinearRaw;  // 10^((dB - 50) / 20)
  double LinearCorrected;
};

struct TWorked {
  const char* Name;
  std::function<void(TBaseConfigCell&)> Setup;
  bool Straight;
  TDgsWorkingValues Expected;
  std::array<TWorkedPoint, 4> Points;  // one in each piece of the curve
};

TDgsWorkingValues Values(double c, double kappa, double rref, double lambda, double De, double N,
                         double rp, double q, double w, double K, double d, double x, double B0,
                         double T, double o, double g1, double M, double z, double L, double e,
                         double k, double F) {
  TDgsWorkingValues v;
  v.c = c;
  v.kappa = kappa;
  v.rref = rref;
  v.lambda = lambda;
  v.De = De;
  v.N = N;
  v.rp = rp;
  v.q = q;
  v.w = w;
  v.K = K;
  v.d = d;
  v.x = x;
  v.B0 = B0;
  v.T = T;
  v.o = o;
  v.g1 = g1;
  v.M = M;
  v.z = z;
  v.L = L;
  v.e = e;
  v.k = k;
  v.F = F;
  v.valid = true;
  return v;
}

// Straight probe by hand (steel, 5.0 MHz, D 12, reflector 12 mm2, Aref 70):
//   c = 5900 / 1000 = 5.9 mm/us; kappa = 2 * 10 * 0.001 = 0.02 dB/mm; rref = 20
//   lambda = 5.9 / 5 = 1.18; De = D = 12; N = 144 / (4 * 1.18) = 30.5084745763
//   q = 0 (no prism: rp = 0)
//   d = 2 * sqrt(12 / pi) = 3.90882009522; x = d / 12 = 0.325735007935 -> valid
//   rref / N = 0.655555555556 -> P40 = -2
//   t0 = 70 - 3.20010291561634 - (-2) = 68.7998970844; T = t0 + 3.2 = 71.9998970844
//   B0 = (t0 - 19.6) - 11.3484 = 37.8514970844
//   o = 40 log10(10x) (20.5145774517) + B0 - P53(x) (15.5 * 0.225735007935^1.35
//       = 2.07821385321) = 56.2878606829
//   g1 = 11.1111 x + 2.4444 = 6.06367424667
//   M = 0.75 g1 + o + 12 = 72.8356163679
//   z = 1.45 x + 0.675 = 1.14731576151 (z/2 = 0.573657880753)
//   L = P54(x) (4.9 - 7x = 2.61985494445) + o = 58.9077156274
//   e = (0.58 g1 - 8.68) (3.51693106307 - 8.68) * (2 - z) (0.852684238494) / (o - L)
//       (-2.61985494445) = 1.68042414489
//   k = (8.68 - 0.58 g1) / (e * (2 - z)^(e - 1) (0.897235904218)) = 3.42438326959
//   F = 40 log10(x) (-19.4854225483) + T = 52.5144745361
// Points (h = 1 * t/2 * 5.9, u = h / N, corrected = raw - 0.02 h):
//   t 3: h 8.85, u 0.290083333333 < z/2: (u/z)^6 = 0.000261239536387,
//        raw = F + 0.000261239536387 * (L - F) (6.39324109124) * 16 = 52.5411972135,
//        corrected = 52.5411972135 - 0.177 = 52.3641972135
//   t 8: h 23.6, u 0.773555555556 in [z/2, z): ((u - z)/z)^2 = 0.325769259423^2,
//        raw = L - 0.106125610385 * 6.39324109124 * 3 = 56.8722557879,
//        corrected = raw - 0.472 = 56.4002557879
//   t 15: h 44.25, u 1.45041666667 in [z, 2): (u - z)^e = 0.134538527422,
//        raw = L - 0.134538527422 * k = 58.4470041449, corrected = raw - 0.885 = 57.5620041449
//   t 100: h 295, u 9.66944444444 >= 2: log10 u = 0.985401522517, g1 / u^3 = 0.00670704614741,
//        raw = M - 20 * 0.985401522517 * 2.00670704615 = 33.2873727975,
//        corrected = raw - 5.9 = 27.3873727975
//   linear: 10^((raw - 50)/20): 1.33986135355, 2.20603698565, 2.64454040749, 0.146005306352;
//           10^((corrected - 50)/20): 1.31283413619, 2.08935765875, 2.38836229982, 0.074023333679
//
// Angle probe 65 degrees by hand (3250 m/s, 2.5 MHz, D 12, delay 8.6, reflector 7 mm2):
//   c = 3.25; kappa = 0.02; 65 > 62 -> rref = 7.68; cos a = 0.422618261741, sin a = 0.906307787037
//   S = pi * 144 / 4 = 113.097335529; lambda = 3.25 / 2.5 = 1.3
//   sin b = 0.906307787037 * 2.67 / 3.25 = 0.744566705042
//   cos b = sqrt(1 - sin^2 b) = 0.66754806699
//   De = sqrt(4 S cos a / (pi cos b)) = 9.54803724464
//   N = S cos^2 a (0.178606195157) / (pi * 1.3 * cos b) = 7.40923082039
//   rp = 2.67 * 4.3 * (2.67 / 3.25 = 0.821538461538) * cos^2 a / cos b = 2.52360624512
//   q = rp / N = 0.340603 (= 4 cp^2 tau / (f D^2): 4 * 7.1289 * 4.3 / 360)
//   w = 2 sqrt(sqrt(N / cos a) (4.18709131703) * 1.3 / pi) / De = 0.275720366656
//   check: b = 5 / 1.3 = 3.84615384615 in 1..10; A = 7.68 - 2.5 cos a = 6.62345434565 within
//          N - rp = 4.88562457527 .. 5N - rp = 34.5225478568 -> passes
//   K = P51(4/1.3) (-4.58343544154) + (70 - P51(5/1.3) (-3.40086576797)
//       - P27(A/N + q = 1.23454928217) (-1.48394977438)) + P27(2) (-5) = 65.3013801008
//   d = 2 sqrt(7 / pi) = 2.98541066072; x = d / De = 0.312672707932 (valid as well)
//   B0 = K - 40 log10(10w) (17.6187538941) + P53(w) (1.48197724128) = 49.164603448
//   T = P54(0.2) (3.5) + 40 log10 2 (12.0411998266) + B0 - P53(0.2) (0.692359567834) + 19
//     = 83.0134437067
//   o = 40 log10(10x) (19.8035989962) + B0 - P53(x) (1.91753180207) = 67.0506706421
//   g1 = 5.91853772511; M = 83.489573936; z = 1.1283754265 (z/2 = 0.564187713251)
//   L = P54(x) (2.71129104447) + o = 69.7619616866
//   e = (3.43275188056 - 8.68) * 0.871624573498 / -2.71129104447 = 1.6868828647
//   k = (8.68 - 3.43275188056) / (e * 0.871624573498^(e - 1) (0.909941206612)) = 3.41848234585
//   F = 40 log10 x (-20.1964010038) + T = 62.8170427029
// Points (h = cos a * t/2 * 3.25, u = h / N + q,
//         corrected = raw - 0.02 h / cos a = raw - 0.0325 t):
//   t 1: h 0.686754675329, u 0.433292064759 < z/2: (u/z)^6 = 0.00320599392678,
//        raw = F + 0.00320599392678 * (L - F) (6.94491898368) * 16 = 63.1732885923,
//        corrected = 63.1407885923
//   t 3: h 2.06026402599, u 0.618670194278: ((u-z)/z)^2 = 0.451715998286^2,
//        raw = L - 0.204047343108 * 6.94491898368 * 3 = 65.5106848865, corrected = 65.4131848865
//   t 10: h 6.86754675329, u 1.26749364759: (u-z)^e = 0.0358912988002,
//        raw = L - 0.0358912988002 * k = 69.6392679153, corrected = 69.3142679153
//   t 30: h 20.6026402599, u 3.12127494278: log10 u = 0.494332025915, g1/u^3 = 0.194633836124,
//        raw = M - 20 * 0.494332025915 * 2.19463383612 = 61.7920181289, corrected = 60.8170181289
//
// Angle probe 60 degrees, otherwise the same: 60 <= 62 -> rref = 20.
//   cos a = 0.5; sin b = 0.866025403784 * 0.821538461538 = 0.711473177878; cos b = 0.702713253867
//   De = 10.1222527143; N = 113.097335529 * 0.25 / (pi * 1.3 * cos b) = 9.85192307813
//   rp = 3.35559455618; q = 0.340603 (as above); w = 2 sqrt(4.43890145827 * 1.3 / pi) / De
//      = 0.267785656893
//   check: A = 20 - 1.25 = 18.75 within 6.49632852195 .. 45.9040208345 -> passes;
//          A/N + q = 2.24378472922, P27 = -4 * 2.24378472922 + 3 = -5.97513891689
//   K = -4.58343544154 + (70 + 3.40086576797 + 5.97513891689) - 5 = 69.7925692433
//   x = 2.98541066072 / 10.1222527143 = 0.294935400743
//   B0 = K - 17.1114924665 + 1.39235738328 = 54.0734341601; T = 87.9222744188
//   o = 18.7890761411 + B0 - 1.70484210881 = 71.1576681924; g1 = 5.7214567312; M = 87.4487607408
//   z = 1.10265633108; L = 2.8354521948 + o = 73.9931203872
//   e = (3.31844490409 - 8.68) * 0.897343668923 / -2.8354521948 = 1.69678668176
//   k = 5.36155509591 / (e * 0.927304399977) = 3.40754191012
//   F = -21.2109238589 + T = 66.7113505599
// Points (h = 0.8125 t):
//   t 1: u 0.423074208266 < z/2, raw = F + 0.00319049633459 * 7.28176982727 * 16 = 67.083069919
//   t 3: u 0.588016624799, raw = L - 0.466727203911^2 * 7.28176982727 * 3 = 69.2344630621
//   t 10: u 1.16531508266, raw = L - 0.00909357461586 * k = 73.9621336505
//   t 30: u 2.81473924799, raw = M - 20 * 0.449438168848 * 2.25656186941 = 67.1650600512
//   corrected = raw - 0.0325 t.
const std::vector<TWorked>& WorkedExamples() {
  static const std::vector<TWorked> examples = {
      {"straight, steel",
       StraightSteel,
       true,
       Values(5.9, 0.02, 20.0, 1.1800000000000002, 12, 30.508474576271183, 0.0, 0.0, 0.0, 0.0,
              3.9088200952233594, 0.32573500793527993, 37.85149708438366, 71.99989708438366,
              56.2878606828973, 6.063674246669689, 72.83561636789958, 1.147315761506156,
              58.90771562735034, 1.6804241448939656, 3.424383269587989, 52.514474536107734),
       {{{3, 52.54119721352672, 52.36419721352672, 1.3398613535520671, 1.312834136190374},
         {8, 56.87225578790599, 56.40025578790599, 2.2060369856480992, 2.089357658754299},
         {15, 58.44700414493129, 57.562004144931294, 2.6445404074885466, 2.388362299817214},
         {100, 33.28737279751451, 27.38737279751451, 0.1460053063515698, 0.07402333367904758}}}},
      {"angle 65",
       [](TBaseConfigCell& cell) { AngleProbe(cell, 65); },
       false,
       Values(3.25, 0.02, 7.68, 1.3, 9.54803724464495, 7.4092308203860835, 2.5236062451159613,
              0.34060300000000004, 0.2757203666561391, 65.30138010081625, 2.985410660720923,
              0.31267270793222984, 49.16460344799772, 83.01344370672298, 67.05067064214917,
              5.918537725105799, 83.48957393597853, 1.1283754265017332, 69.76196168662356,
              1.6868828647025318, 3.4184823458483464, 62.81704270294354),
       {{{1, 63.17328859228193, 63.14078859228193, 4.556846817347691, 4.539828318994203},
         {3, 65.510684886478, 65.413184886478, 5.963953440331849, 5.897381788501703},
         {10, 69.63926791530565, 69.31426791530565, 9.593197724503579, 9.24088138594569},
         {30, 61.792018128938004, 60.817018128938, 3.886877973944012, 3.474168725500982}}}},
      {"angle 60",
       [](TBaseConfigCell& cell) { AngleProbe(cell, 60); },
       false,
       Values(3.25, 0.02, 20.0, 1.3, 10.122252714320325, 9.85192307813127, 3.355594556180744,
              0.34060299999999993, 0.2677856568926025, 69.79256924332041, 2.985410660720923,
              0.2949354007430927, 54.07343416007441, 87.92227441879967, 71.15766819235901,
              5.721456731196577, 87.44876074075644, 1.1026563310774844, 73.99312038715736,
              1.6967866817562918, 3.4075419101204183, 66.71135055988974),
       {{{1, 67.08306991898168, 67.05056991898168, 7.147489004914723, 7.1207952109959445},
         {3, 69.23446306210168, 69.13696306210169, 9.156366190891251, 9.054159755480951},
         {10, 73.96213365054099, 73.63713365054099, 15.779988505625049, 15.20045830803651},
         {30, 67.1650600511585, 66.19006005115851, 7.215276898841788, 6.449157785715181}}}},
  };
  return examples;
}

void ExpectWorkingValues(const TDgsWorkingValues& got, const TDgsWorkingValues& want,
                         bool straight) {
  EXPECT_NEAR(got.c, want.c, kTight);
  EXPECT_NEAR(got.kappa, want.kappa, kTight);
  EXPECT_EQ(got.rref, want.rref);
  EXPECT_NEAR(got.lambda, want.lambda, kTight);
  EXPECT_NEAR(got.De, want.De, kTight);
  EXPECT_NEAR(got.N, want.N, kTight);
  EXPECT_NEAR(got.rp, want.rp, kTight);
  EXPECT_NEAR(got.q, want.q, kTight);
  if (!straight) {
    EXPECT_NEAR(got.w, want.w, kTight);
    EXPECT_EQ(got.cp, 2.67);
    EXPECT_EQ(got.tau, 4.3);
  } else {
    EXPECT_EQ(got.cp, 0);
    EXPECT_EQ(got.tau, 0);
  }
  EXPECT_NEAR(got.K, want.K, kTight);
  EXPECT_NEAR(got.d, want.d, kTight);
  EXPECT_NEAR(got.x, want.x, kTight);
  EXPECT_EQ(got.valid, want.valid);
  EXPECT_NEAR(got.B0, want.B0, kTight);
  EXPECT_NEAR(got.T, want.T, kTight);
  EXPECT_NEAR(got.o, want.o, kTight);
  EXPECT_NEAR(got.g1, want.g1, kTight);
  EXPECT_NEAR(got.M, want.M, kTight);
  EXPECT_NEAR(got.z, want.z, kTight);
  EXPECT_NEAR(got.L, want.L, kTight);
  EXPECT_NEAR(got.e, want.e, kTight);
  EXPECT_NEAR(got.k, want.k, kTight);
  EXPECT_NEAR(got.F, want.F, kTight);
}

TEST(DgsModelTest, PointLevelMatchesTheHandCalculation) {
  for (const TWorked& w : WorkedExamples()) {
    SCOPED_TRACE(w.Name);
    TBaseConfigCell cell;
    w.Setup(cell);
    for (const TWorkedPoint& p : w.Points) {
      SCOPED_TRACE(p.Column);
      EXPECT_NEAR(cell.DgsPointLevel(p.Column), p.Corrected - kAttenuatorDb, kTight);
    }
    ExpectWorkingValues(cell.Dgs, w.Expected, w.Straight);
  }
}

TEST(DgsModelTest, CurveMatchesTheHandCalculation) {
  for (const TWorked& w : WorkedExamples()) {
    SCOPED_TRACE(w.Name);
    TBaseConfigCell cell;
    w.Setup(cell);
    std::vector<double> times(320, -1), raw(320, -1), corrected(320, -1);
    ASSERT_TRUE(cell.DgsCurve(times, raw, corrected));
    ExpectWorkingValues(cell.Dgs, w.Expected, w.Straight);
    for (std::size_t i = 0; i < times.size(); ++i) {
      ASSERT_EQ(times[i], static_cast<double>(i));  // 25 us * i / 25
    }
    for (const TWorkedPoint& p : w.Points) {
      SCOPED_TRACE(p.Column);
      const auto i = static_cast<std::size_t>(p.Column);
      EXPECT_NEAR(raw[i], p.LinearRaw, kTight);
      EXPECT_NEAR(corrected[i], p.LinearCorrected, kTight);
    }
  }
}

TEST(DgsModelTest, ReferenceDistanceFollowsTheAngle) {
  struct TCase {
    const char* Name;
    std::function<std::unique_ptr<TBaseConfigCell>()> Make;
    double Rref;
  };
  auto base = [](std::uint8_t angle) {
    return [angle] {
      auto cell = std::make_unique<TBaseConfigCell>();
      AngleProbe(*cell, angle);
      return cell;
    };
  };
  auto real = [](double angle) {
    return [angle]() -> std::unique_ptr<TBaseConfigCell> {
      auto cell = std::make_unique<T3_17ConfigCell>();
      AngleProbe(*cell, 0);
      cell->BeamAngle = angle;  // the 3.17 angle is the one in force
      return cell;
    };
  };
  const std::vector<TCase> cases = {
      {"straight", base(0), 20.0},      {"60", base(60), 20.0},
      {"62", base(62), 20.0},           {"63", base(63), 7.68},
      {"65", base(65), 7.68},           {"3.17: 62.0", real(62.0), 20.0},
      {"3.17: 62.5", real(62.5), 7.68}, {"3.17: 65", real(65), 7.68},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    auto cell = c.Make();
    cell->DgsPointLevel(10);
    EXPECT_EQ(cell->Dgs.rref, c.Rref);
  }
}

// The pieces of the curve meet where their formulas agree. At u = z/2 both
// sides give F + (L - F)/4 (16/64 from below, 1 - 3/4 from above); at u = z
// both give L (0^e = 0 with e > 0). At u = 2 the third piece ends at
// L - (2 - z)^e * k = L - (L - o) = o, while the fourth starts at
// M - 20 log10 2 (g1/8 + 2) = o + 0.75 g1 + 12 - 6.0206 (g1/8 + 2): a step of
//   straight probe above: 0.75 * 6.06367424667 + 12 - 6.02059991328 * 2.75795928083
//                         = -0.0568137220139
//   65 degree probe above: 0.75 * 5.91853772511 + 12 - 6.02059991328 * 2.73981721564
//                         = -0.0564399970442
TEST(DgsModelTest, CurveIsContinuousWhereItsPiecesMeet) {
  struct TCase {
    const char* Name;
    std::function<void(TBaseConfigCell&)> Setup;
    double QuarterLevel;  // F + (L - F)/4
    double L;
    double O;
    double Step;
  };
  const std::vector<TCase> cases = {
      {"straight", StraightSteel, 54.112784808918384, 58.90771562735034, 56.2878606828973,
       -0.056813722013909995},
      {"angle 65", [](TBaseConfigCell& c) { AngleProbe(c, 65); }, 64.55327244886354,
       69.76196168662356, 67.05067064214917, -0.05643999704416913},
  };
  constexpr double kEps = 1e-10;
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    TBaseConfigCell cell;
    c.Setup(cell);
    cell.DgsPointLevel(0);
    const TDgsWorkingValues& m = cell.Dgs;
    ASSERT_LT(m.z, 2.0);  // all four pieces occur

    const double half = m.z / 2;
    EXPECT_NEAR(dgs::RawLevel(m, half - kEps), c.QuarterLevel, 1e-7);
    EXPECT_NEAR(dgs::RawLevel(m, half), c.QuarterLevel, kTight);

    EXPECT_NEAR(dgs::RawLevel(m, m.z - kEps), c.L, 1e-7);
    EXPECT_NEAR(dgs::RawLevel(m, m.z), c.L, kTight);

    const double endOfThird = dgs::RawLevel(m, 2 - kEps);
    const double startOfFourth = dgs::RawLevel(m, 2);
    EXPECT_NEAR(endOfThird, c.O, 1e-7);
    EXPECT_NEAR(startOfFourth - endOfThird, c.Step, 1e-7);
  }
}

// The 65 degree probe above with a reflector of 60 mm2: d = 2 sqrt(60 / pi)
// = 8.74038744474, x = d / 9.54803724464 = 0.91541195544, outside 0.09..0.8,
// yet the reference check passed, so the model is valid. K, B0 and T as above.
//   o = 40 log10(10x) (38.4646632036) + 49.164603448 - P53(x) (9.49x - 0.745
//       = 7.94225945713) = 79.6870071945
//   g1 = 12.6156337781; M = 0.75 g1 + o + 12 = 101.148732528
//   z = 1.45x + 0.675 = 2.00234733539: 2 - z = -0.00234733538834 < 0
//   L = P54(x) (2.733 - 2.667x = 0.291596314841) + o = 79.9786035093
//   e = (7.31706759129 - 8.68) * -0.00234733538834 / -0.291596314841 = -0.0109715360313
//   k = (8.68 - 7.31706759129) / e = -124.22439345 (no power of the negative base)
//   F = 40 log10 x (-1.53533679639) + 83.0134437067 = 81.4781069103
// With z > 2 there is no third piece:
//   t 10: u 1.26749364759 in [z/2, z): raw = L - ((u - z)/z)^2 (L - F) 3 = 80.5844905137,
//         corrected = raw - 0.325 = 80.2594905137, level 30.2594905137
//   t 30: u 3.12127494278 >= 2: raw = M - 20 * 0.494332025915 * (0.414870921065 + 2)
//         = 77.2737718334, corrected = raw - 0.975 = 76.2987718334, level 26.2987718334
TEST(DgsModelTest, AngleProbeBeyondTheFourthPieceTakesTheSlopeAlone) {
  TBaseConfigCell cell;
  AngleProbe(cell, 65);
  cell.ARD_PLATE_FLOOR_DIAMETER = 60;
  EXPECT_NEAR(cell.DgsPointLevel(10), 30.259490513684312, kTight);
  EXPECT_TRUE(cell.Dgs.valid);
  EXPECT_NEAR(cell.Dgs.x, 0.9154119554402356, kTight);
  EXPECT_NEAR(cell.Dgs.z, 2.0023473353883414, kTight);
  EXPECT_NEAR(cell.Dgs.e, -0.010971536031311685, kTight);
  EXPECT_NEAR(cell.Dgs.k, -124.22439345019366, 1e-7);
  EXPECT_NEAR(cell.Dgs.F, 81.47810691033128, kTight);
  EXPECT_NEAR(cell.DgsPointLevel(30), 26.298771833405027, kTight);
}

// Before the start of the sound path there is no depth: h is 0, so a
// negative time gives the level at t = 0. By hand (worked examples above):
//   straight: u = 0, raw = F = 52.5144745361, level 2.5144745361
//   65 degrees: u = q = 0.340603 < z/2, (u/z)^6 = (0.301852550136)^6 = 0.000756430611108,
//     raw = F + 0.000756430611108 * 6.94491898368 * 16 = 62.9010962919, level 12.9010962919
TEST(DgsModelTest, TimesBeforeTheStartCountAsTheStart) {
  struct TCase {
    const char* Name;
    std::function<void(TBaseConfigCell&)> Setup;
    double Level;
  };
  for (const TCase& c : std::vector<TCase>{
           {"straight", StraightSteel, 2.514474536107734},
           {"angle 65", [](TBaseConfigCell& cell) { AngleProbe(cell, 65); }, 12.901096291918279},
       }) {
    SCOPED_TRACE(c.Name);
    TBaseConfigCell cell;
    c.Setup(cell);
    for (double t : {0.0, -0.5, -5.0, -1e308, -kInf}) {
      SCOPED_TRACE(t);
      EXPECT_NEAR(cell.DgsPointLevel(t), c.Level, kTight);
    }
  }
}

// ---- Sentinels and validity ------------------------------------------------------

TEST(DgsModelTest, MissingDgsDataGiveTheSentinelAndNoCurve) {
  struct TCase {
    const char* Name;
    double PlateDiameter;
    double FloorArea;
    double SignalAmplitude;
  };
  for (const TCase& c : std::vector<TCase>{{"ARD_PLATE_DIAMETER 0", 0, 7, 70},
                                           {"ARD_PLATE_FLOOR_DIAMETER 0", 12, 0, 70},
                                           {"ARD_SIGNAL_AMPLITUDE 0", 12, 7, 0},
                                           {"-0 counts as 0", 12, -0.0, 70}}) {
    SCOPED_TRACE(c.Name);
    TBaseConfigCell cell;
    AngleProbe(cell, 65);
    cell.ARD_PLATE_DIAMETER = c.PlateDiameter;
    cell.ARD_PLATE_FLOOR_DIAMETER = c.FloorArea;
    cell.ARD_SIGNAL_AMPLITUDE = c.SignalAmplitude;
    EXPECT_EQ(cell.DgsPointLevel(10), 99900.0);
    std::vector<double> times(320, -7), raw(320, -7), corrected(320, -7);
    EXPECT_FALSE(cell.DgsCurve(times, raw, corrected));
    EXPECT_EQ(times, std::vector<double>(320, -7));
    EXPECT_EQ(raw, std::vector<double>(320, -7));
    EXPECT_EQ(corrected, std::vector<double>(320, -7));
    EXPECT_EQ(cell.Dgs.c, 0);  // the model was not even set up
  }
}

// A straight probe is valid only for a reflector ratio x = d / De in
// 0.09..0.8; the areas are pi (x * 12 / 2)^2 for the x given.
TEST(DgsModelTest, StraightProbeOutsideTheReflectorRangeGivesZeroLevels) {
  struct TCase {
    double X;
    double Area;
    bool Valid;
  };
  for (const TCase& c : std::vector<TCase>{{0.085, 0.8171282491987052, false},
                                           {0.095, 1.020703453151324, true},
                                           {0.79, 70.58404710379403, true},
                                           {0.81, 74.20316184072948, false}}) {
    SCOPED_TRACE(c.X);
    TBaseConfigCell cell;
    StraightSteel(cell);
    ASSERT_NE(cell.DgsPointLevel(15), -kAttenuatorDb);  // valid with 12 mm2 first
    cell.ARD_PLATE_FLOOR_DIAMETER = c.Area;
    const double level = cell.DgsPointLevel(15);
    EXPECT_NEAR(cell.Dgs.x, c.X, 1e-12);
    EXPECT_EQ(cell.Dgs.valid, c.Valid);
    std::vector<double> times(320), raw(320), corrected(320);
    ASSERT_TRUE(cell.DgsCurve(times, raw, corrected));
    if (c.Valid) {
      EXPECT_GT(level, -kAttenuatorDb + 1);
      EXPECT_NE(raw[15], raw[100]);
      continue;
    }
    // The model gives 0 dB everywhere, which stands at -50 dB against the
    // attenuator and at 10^(-50/20) in linear amplitude.
    EXPECT_EQ(level, -kAttenuatorDb);
    for (std::size_t i = 0; i < raw.size(); ++i) {
      ASSERT_NEAR(raw[i], kZeroLevelLinear, 1e-15) << i;
      ASSERT_NEAR(corrected[i], kZeroLevelLinear, 1e-15) << i;
    }
    const std::array<double, 3> t = {0, 15, 100};
    std::array<double, 3> r{1, 1, 1}, k{1, 1, 1};
    EXPECT_FALSE(dgs::Evaluate(cell.Dgs, t, r, k));
    EXPECT_EQ(r, (std::array<double, 3>{0, 0, 0}));
    EXPECT_EQ(k, (std::array<double, 3>{0, 0, 0}));
  }
}

// A negative probe delay puts the start of the sound path in front of the
// prism: q = rp / N = -0.340603 (65 degree probe above, delay -8.6). The
// reference check then fails (A = 6.62345434565 below N - rp = 9.9328370655),
// K stays 0, and x = 0.312672707932 keeps the model valid. By hand, with
// h = 0.686754675329 t and N = 7.40923082039:
//   t 30: u = 2.78067194278 - 0.340603 = 2.44006894278 -> raw -0.464348612051
//   t 10: u = 0.926890647595 - 0.340603 = 0.586287647595 -> raw -0.348038123696
//   t 1:  u = 0.0926890647595 - 0.340603 = -0.247913935241 < 0: the pass stops
//   t 20: u = 1.51317829519 would give raw 3.77796169584, corrected
//         3.77796169584 - 0.02 * 32.5 = 3.12796169584 (level -46.8720383042)
TEST(DgsModelTest, NegativeDistanceStopsTheEvaluation) {
  TBaseConfigCell cell;
  AngleProbe(cell, 65);
  cell.PROBE_DELAY = -8.6;

  // Alone, a point with a positive u is evaluated ...
  EXPECT_NEAR(cell.DgsPointLevel(20), 3.7779616958397906 - 0.65 - kAttenuatorDb, kTight);
  EXPECT_NEAR(cell.Dgs.q, -0.34060300000000004, kTight);
  EXPECT_EQ(cell.Dgs.K, 0);
  // ... and a negative one gives corrected 0.
  EXPECT_EQ(cell.DgsPointLevel(1), -kAttenuatorDb);

  // In one pass the first negative u ends it: the points before keep their
  // raw level, that point and the later ones raw 0, and no corrected value.
  const std::array<double, 4> times = {30, 10, 1, 20};
  std::array<double, 4> raw{9, 9, 9, 9}, corrected{9, 9, 9, 9};
  EXPECT_FALSE(dgs::Evaluate(cell.Dgs, times, raw, corrected));
  EXPECT_NEAR(raw[0], -0.4643486120505891, kTight);
  EXPECT_NEAR(raw[1], -0.3480381236956571, kTight);
  EXPECT_EQ(raw[2], 0);
  EXPECT_EQ(raw[3], 0);
  EXPECT_EQ(corrected, (std::array<double, 4>{0, 0, 0, 0}));

  // The curve starts at t = 0 with u = q < 0: nothing is evaluated.
  std::vector<double> t(320), r(320), k(320);
  ASSERT_TRUE(cell.DgsCurve(t, r, k));
  for (std::size_t i = 0; i < r.size(); ++i) {
    ASSERT_NEAR(r[i], kZeroLevelLinear, 1e-15) << i;
    ASSERT_NEAR(k[i], kZeroLevelLinear, 1e-15) << i;
  }
}

// ---- Values that outlive a set-up ----------------------------------------------

// K comes only from a passing reference check. At 0.5 MHz (PROBE_FREQ 37)
// b = 5 / lambda = 5 / 6.5 = 0.769230769231 < 1: the check fails. The
// reflector still makes the model valid, and K enters B0, T, o, L, M and F
// alike, so the level moves by exactly K: by hand, with K = 0 the level at
// t 10 is -69.8903348665 dB, with the 2.5 MHz K of 65.3013801008 it is
// -4.5889547657 dB.
TEST(DgsModelTest, ReferenceConstantKeepsItsValueWhenTheCheckFails) {
  TBaseConfigCell fresh;
  AngleProbe(fresh, 65);
  fresh.PROBE_FREQ = 37;
  EXPECT_NEAR(fresh.DgsPointLevel(10), -69.89033486651456, kTight);
  EXPECT_EQ(fresh.Dgs.K, 0);
  EXPECT_TRUE(fresh.Dgs.valid);

  TBaseConfigCell cell;
  AngleProbe(cell, 65);
  cell.DgsPointLevel(10);
  const double k = cell.Dgs.K;
  ASSERT_NEAR(k, 65.30138010081625, kTight);
  cell.PROBE_FREQ = 37;
  EXPECT_NEAR(cell.DgsPointLevel(10), -4.588954765698325, kTight);
  EXPECT_EQ(cell.Dgs.K, k);
  EXPECT_EQ(cell.Dgs.f, 0.5);
}

TEST(DgsModelTest, StepsThatDoNotRunLeaveTheirValues) {
  struct TCase {
    const char* Name;
    std::function<void(TBaseConfigCell&)> Change;
    std::function<double(const TDgsWorkingValues&)> Value;
    double Fresh;  // a new cell's value after the changed set-up
  };
  const std::vector<TCase> cases = {
      // A reflector area that is not positive keeps the diameter.
      {"d, area -1", [](TBaseConfigCell& c) { c.ARD_PLATE_FLOOR_DIAMETER = -1; },
       [](const TDgsWorkingValues& m) { return m.d; }, 0},
      {"d, area NaN", [](TBaseConfigCell& c) { c.ARD_PLATE_FLOOR_DIAMETER = kNaN; },
       [](const TDgsWorkingValues& m) { return m.d; }, 0},
      // 1000 m/s: sin b = 0.906307787037 * 2.67 > 1, cos b and so N are not a
      // number, and q stays.
      {"q, no refraction", [](TBaseConfigCell& c) { c.VELOCITY = 1000; },
       [](const TDgsWorkingValues& m) { return m.q; }, 0},
      // A straight probe has no aperture term.
      {"w, straight probe", [](TBaseConfigCell& c) { c.INSERTION_ANGLE = 0; },
       [](const TDgsWorkingValues& m) { return m.w; }, 0},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    TBaseConfigCell cell;
    AngleProbe(cell, 65);
    cell.DgsPointLevel(10);
    const double before = c.Value(cell.Dgs);
    ASSERT_NE(before, 0);
    c.Change(cell);
    cell.DgsPointLevel(10);
    EXPECT_EQ(c.Value(cell.Dgs), before);

    TBaseConfigCell fresh;
    AngleProbe(fresh, 65);
    c.Change(fresh);
    fresh.DgsPointLevel(10);
    EXPECT_EQ(c.Value(fresh.Dgs), c.Fresh);
  }
}

TEST(DgsModelTest, AssignDoesNotCopyTheWorkingValues) {
  TBaseConfigCell source;
  AngleProbe(source, 65);
  source.DgsPointLevel(10);
  ASSERT_NE(source.Dgs.K, 0);
  TBaseConfigCell target;
  target.Assign(&source);
  EXPECT_EQ(target.ARD_PLATE_FLOOR_DIAMETER, 7);
  EXPECT_EQ(target.Dgs.K, 0);
  EXPECT_EQ(target.Dgs.N, 0);
  EXPECT_FALSE(target.Dgs.valid);
}

// ---- Settings no instrument holds ------------------------------------------------

// Whatever the fields hold, the two operations stay inside their spans and
// the table indices inside their tables. Where the result is defined, it is
// checked too.
TEST(DgsModelTest, AbsurdSettingsStaySafe) {
  struct TCurve {
    std::vector<double> Times, Raw, Corrected;
  };
  struct TCase {
    const char* Name;
    std::function<std::unique_ptr<TBaseConfigCell>()> Make;
    std::function<void(const TBaseConfigCell&, const TCurve&)> Check;
  };
  auto angle = [](std::function<void(TBaseConfigCell&)> change) {
    return [change] {
      auto cell = std::make_unique<TBaseConfigCell>();
      AngleProbe(*cell, 65);
      change(*cell);
      return cell;
    };
  };
  auto straight = [](std::function<void(TBaseConfigCell&)> change) {
    return [change] {
      auto cell = std::make_unique<TBaseConfigCell>();
      StraightSteel(*cell);
      change(*cell);
      return cell;
    };
  };
  auto real = [](double beamAngle) {
    return [beamAngle]() -> std::unique_ptr<TBaseConfigCell> {
      auto cell = std::make_unique<T3_17ConfigCell>();
      AngleProbe(*cell, 65);
      cell->BeamAngle = beamAngle;
      return cell;
    };
  };
  auto nothing = [](const TBaseConfigCell&, const TCurve&) {};
  auto flatAtZeroLevel = [](const TBaseConfigCell& cell, const TCurve& c) {
    EXPECT_FALSE(cell.Dgs.valid);
    for (std::size_t i = 0; i < 320; ++i) {
      ASSERT_NEAR(c.Raw[i], kZeroLevelLinear, 1e-15) << i;
      ASSERT_NEAR(c.Corrected[i], kZeroLevelLinear, 1e-15) << i;
    }
  };
  const std::vector<TCase> cases = {
      {"PROBE_FREQ 200 takes the last frequency", angle([](auto& c) { c.PROBE_FREQ = 200; }),
       [](const TBaseConfigCell& cell, const TCurve&) { EXPECT_EQ(cell.Dgs.f, 0.5); }},
      {"INDEX_MARK_MKS 200 takes 100 us", angle([](auto& c) { c.INDEX_MARK_MKS = 200; }),
       [](const TBaseConfigCell&, const TCurve& c) {
         for (std::size_t i = 0; i < 320; ++i) {
           ASSERT_EQ(c.Times[i], 100.0 * static_cast<double>(i) / 25) << i;
         }
       }},
      {"PIXEL_GRID_LENGTH 0: every column at 0", angle([](auto& c) { c.PIXEL_GRID_LENGTH = 0; }),
       [](const TBaseConfigCell&, const TCurve& c) {
         for (std::size_t i = 0; i < 320; ++i) {
           ASSERT_EQ(c.Times[i], 0.0) << i;
           ASSERT_EQ(c.Raw[i], c.Raw[0]) << i;
         }
         EXPECT_NEAR(c.Raw[0], 4.416261838045023, kTight);  // t 0 by hand: raw 62.9010962919
       }},
      // No sound velocity: lambda 0, N infinite, every u 0: the straight
      // curve is flat at F, the angle probe's refraction has no number.
      {"VELOCITY 0, straight", straight([](auto& c) { c.VELOCITY = 0; }),
       [](const TBaseConfigCell& cell, const TCurve& c) {
         EXPECT_EQ(cell.Dgs.c, 0);
         EXPECT_TRUE(std::isinf(cell.Dgs.N));
         for (std::size_t i = 0; i < 320; ++i) {
           ASSERT_EQ(c.Raw[i], c.Raw[0]) << i;
           ASSERT_EQ(c.Corrected[i], c.Raw[0]) << i;
         }
         EXPECT_NEAR(c.Raw[0], std::pow(10.0, (cell.Dgs.F - kAttenuatorDb) / 20), 1e-12);
       }},
      {"VELOCITY 0, angle", angle([](auto& c) { c.VELOCITY = 0; }), flatAtZeroLevel},
      {"INSERTION_ANGLE 255", angle([](auto& c) { c.INSERTION_ANGLE = 255; }), nothing},
      {"INSERTION_ANGLE 90", angle([](auto& c) { c.INSERTION_ANGLE = 90; }), nothing},
      {"3.17 angle NaN", real(kNaN), flatAtZeroLevel},
      {"3.17 angle inf", real(kInf), flatAtZeroLevel},
      {"3.17 angle -1e308", real(-1e308), nothing},
      {"ATTENUATOR1 65535", angle([](auto& c) { c.ATTENUATOR1 = 65535; }), nothing},
      {"NaN plate diameter", angle([](auto& c) { c.ARD_PLATE_DIAMETER = kNaN; }), nothing},
      {"NaN reference level", angle([](auto& c) { c.ARD_SIGNAL_AMPLITUDE = kNaN; }), nothing},
      {"NaN reflector, straight", straight([](auto& c) { c.ARD_PLATE_FLOOR_DIAMETER = kNaN; }),
       flatAtZeroLevel},
      {"NaN attenuation", angle([](auto& c) { c.ARD_ATTENUATION = kNaN; }), nothing},
      {"NaN delay", angle([](auto& c) { c.PROBE_DELAY = kNaN; }), nothing},
      {"huge reals", angle([](auto& c) {
         c.ARD_PLATE_DIAMETER = 1e308;
         c.ARD_PLATE_FLOOR_DIAMETER = 1e308;
         c.ARD_SIGNAL_AMPLITUDE = 1e308;
         c.ARD_ATTENUATION = 1e308;
         c.PROBE_DELAY = 1e308;
       }),
       nothing},
      {"negative huge reals, straight", straight([](auto& c) {
         c.ARD_PLATE_DIAMETER = -1e308;
         c.ARD_PLATE_FLOOR_DIAMETER = -1e308;
         c.ARD_SIGNAL_AMPLITUDE = -1e308;
         c.ARD_ATTENUATION = -1e308;
       }),
       flatAtZeroLevel},
      {"infinite reals", angle([](auto& c) {
         c.ARD_PLATE_DIAMETER = kInf;
         c.ARD_PLATE_FLOOR_DIAMETER = kInf;
         c.ARD_SIGNAL_AMPLITUDE = -kInf;
         c.ARD_ATTENUATION = kInf;
         c.PROBE_DELAY = -kInf;
       }),
       nothing},
      {"everything at once", angle([](auto& c) {
         c.PROBE_FREQ = 255;
         c.INDEX_MARK_MKS = 255;
         c.PIXEL_GRID_LENGTH = 0;
         c.VELOCITY = 0;
         c.INSERTION_ANGLE = 255;
         c.ATTENUATOR1 = 65535;
         c.ARD_PLATE_DIAMETER = kNaN;
         c.ARD_PLATE_FLOOR_DIAMETER = kNaN;
         c.ARD_SIGNAL_AMPLITUDE = kNaN;
         c.ARD_ATTENUATION = kNaN;
         c.PROBE_DELAY = kNaN;
       }),
       nothing},
  };
  constexpr double kGuard = -12345;
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    auto cell = c.Make();
    for (double t : {0.0, 10.0, -5.0, 1e308, -1e308, kNaN, kInf, -kInf}) {
      cell->DgsPointLevel(t);
    }
    // Spans of different sizes: only the first 320 entries are written.
    TCurve curve{std::vector<double>(322, kGuard), std::vector<double>(321, kGuard),
                 std::vector<double>(320, kGuard)};
    ASSERT_TRUE(cell->DgsCurve(curve.Times, curve.Raw, curve.Corrected));
    EXPECT_EQ(curve.Times[320], kGuard);
    EXPECT_EQ(curve.Times[321], kGuard);
    EXPECT_EQ(curve.Raw[320], kGuard);
    c.Check(*cell, curve);
  }

  // Empty spans: nothing to write.
  TBaseConfigCell cell;
  AngleProbe(cell, 65);
  std::vector<double> none;
  std::vector<double> some(5, kGuard);
  EXPECT_TRUE(cell.DgsCurve(none, some, some));
  EXPECT_EQ(some, std::vector<double>(5, kGuard));
}

}  // namespace
}  // namespace velt
