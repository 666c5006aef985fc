#include "BandPass.h"

#include <cmath>
#include <cstring>

// Runtime selection of wider vector units where the platform supports it;
// every clone computes exactly the same values.
#if defined(__GNUC__) && !defined(__clang__) && defined(__x86_64__) && defined(__ELF__) && \
    !defined(ZIZOVEZ_NO_VECTOR_CLONES)
#define ZIZOVEZ_VECTOR_CLONES \
  __attribute__((target_clones("arch=x86-64-v4", "arch=x86-64-v3", "default")))
#else
#define ZIZOVEZ_VECTOR_CLONES
#endif

#define ZIZOVEZ_INLINE inline __attribute__((always_inline))

namespace zizovez {
namespace {

constexpr double TwoPi = 6.283185307179586;

// Angle of tap k, rounded to single precision like every stored value.
float TapAngle(int k) { return static_cast<float>(k * TwoPi / KernelTaps); }

// Sixteen frames side by side: GCC's vector extension, which each target
// lowers to what it has (one AVX-512 register, two AVX ones, four SSE ones).
typedef float Lanes16 __attribute__((vector_size(64)));

// One step of a tap product: a + x c with the product and the sum exact and
// the result rounded once to single precision (a fused multiply-add).
ZIZOVEZ_INLINE float MulAdd(float x, float c, float a) { return std::fma(x, c, a); }
ZIZOVEZ_INLINE Lanes16 MulAdd(Lanes16 x, float c, Lanes16 a) {
  // Element by element; GCC makes one vector instruction of it where the
  // target has one, and calls fmaf elsewhere.
  for (int k = 0; k < 16; ++k) a[k] = std::fma(x[k], c, a[k]);
  return a;
}

ZIZOVEZ_INLINE float Load(const float* x, float) { return *x; }
ZIZOVEZ_INLINE Lanes16 Load(const float* x, Lanes16) {
  Lanes16 v;
  std::memcpy(&v, x, sizeof v);
  return v;
}

// sqrt(I^2 + Q^2): squares (exact) and their sum in double, the root rounded to single.
ZIZOVEZ_INLINE float Magnitude(float i, float q) {
  return static_cast<float>(std::sqrt(static_cast<double>(i) * i + static_cast<double>(q) * q));
}
ZIZOVEZ_INLINE void Store(float* out, float i, float q) { *out = Magnitude(i, q); }
ZIZOVEZ_INLINE void Store(float* out, Lanes16 i, Lanes16 q) {
  for (int k = 0; k < 16; ++k) out[k] = Magnitude(i[k], q[k]);
}

// The magnitudes of Groups x Width consecutive frames, where V is one frame
// (float) or sixteen (Lanes16); x[f + i] meets tap i in frame f. Each frame
// runs its taps in order 0..36 with single-precision partial sums, so it gets
// the same value however many frames are computed beside it.
template <class V, int Groups>
ZIZOVEZ_INLINE void Correlate(const float* x, const float* cosK, const float* sinK, float* out) {
  constexpr int Width = sizeof(V) / sizeof(float);
  V I[Groups] = {};
  V Q[Groups] = {};
  for (int i = 0; i < KernelTaps; ++i) {
    const float c = cosK[i];
    const float s = sinK[i];
#pragma GCC unroll 8
    for (int g = 0; g < Groups; ++g) {
      const V v = Load(x + g * Width + i, V{});
      I[g] = MulAdd(v, c, I[g]);
      Q[g] = MulAdd(v, s, Q[g]);
    }
  }
  for (int g = 0; g < Groups; ++g) Store(out + g * Width, I[g], Q[g]);
}

// Four groups: enough independent sums to hide the latency of each step.
constexpr int BatchGroups = 4;
constexpr int BatchFrames = 16 * BatchGroups;

ZIZOVEZ_VECTOR_CLONES
void CorrelateRun(const float* x, int count, const float* cosK, const float* sinK,
                  float* out) {
  int f = 0;
  for (; f + BatchFrames <= count; f += BatchFrames) {
    Correlate<Lanes16, BatchGroups>(x + f, cosK, sinK, out + f);
  }
  for (; f < count; ++f) {
    Correlate<float, 1>(x + f, cosK, sinK, out + f);
  }
}

}  // namespace

void DesignKernels(MeasurementState& state) {
  float* cosK = state.CosKernel;
  float* sinK = state.SinKernel;
  // Harmonic sums 1..10, centred on tap 18.
  for (int i = 0; i < KernelTaps; ++i) {
    const float a = TapAngle(i);
    const int k = (i + DetectorLag) % KernelTaps;
    cosK[k] = 0.0f;
    sinK[k] = 0.0f;
    for (int j = 1; j <= 10; ++j) {
      cosK[k] = static_cast<float>(cosK[k] + std::cos(j * static_cast<double>(a)));
      sinK[k] = static_cast<float>(sinK[k] + std::sin(j * static_cast<double>(a)));
    }
  }
  // Hann window applied at the storage index: zero at tap 0, symmetric about 18.5.
  for (int k = 0; k < KernelTaps; ++k) {
    const float w = static_cast<float>(0.5 - 0.5 * std::cos(static_cast<double>(TapAngle(k))));
    cosK[k] = static_cast<float>(static_cast<double>(cosK[k]) * w);
    sinK[k] = static_cast<float>(static_cast<double>(sinK[k]) * w);
  }
  // Passband gain about 1.
  for (int k = 0; k < KernelTaps; ++k) {
    cosK[k] = static_cast<float>(cosK[k] * (2.0 / KernelTaps));
    sinK[k] = static_cast<float>(sinK[k] * (2.0 / KernelTaps));
  }
}

void LoadHistory(const MeasurementState& state, float* window) {
  // HistoryPos indexes the oldest value; the 36 after it are the most recent.
  for (int i = 0; i < KernelTaps - 1; ++i) {
    window[i] = state.History[(state.HistoryPos + 1 + i) % KernelTaps];
  }
}

float BandPassMagnitude(MeasurementState& state, float l) {
  state.History[state.HistoryPos] = l;
  state.HistoryPos = (state.HistoryPos + 1) % KernelTaps;
  // The ring from its oldest value on, as one run of 37.
  float window[KernelTaps];
  const int older = KernelTaps - state.HistoryPos;
  std::memcpy(window, state.History + state.HistoryPos, older * sizeof(float));
  std::memcpy(window + older, state.History, state.HistoryPos * sizeof(float));
  float m;
  CorrelateRun(window, 1, state.CosKernel, state.SinKernel, &m);
  return m;
}

void BandPassMagnitudes(MeasurementState& state, const float* window, int count, float* out) {
  if (count <= 0) return;
  CorrelateRun(window, count, state.CosKernel, state.SinKernel, out);
  // Leave the ring as `count` single steps would: the last values written in
  // order, HistoryPos advanced by count.
  const int kept = count < KernelTaps ? count : KernelTaps;
  int pos = (state.HistoryPos + (count - kept)) % KernelTaps;
  const float* last = window + (KernelTaps - 1) + (count - kept);
  for (int i = 0; i < kept; ++i) {
    state.History[pos] = last[i];
    pos = (pos + 1) % KernelTaps;
  }
  state.HistoryPos = pos;
}

}  // namespace zizovez
