#pragma once

// Test helpers for the Lanczos resizer: pictures with their own pitch, the scalar definition of
// the four fixed-point passes, and an ideal double-precision Lanczos resize.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <numbers>
#include <random>
#include <vector>

#include "scale/lanczos_resizer_coefficients.h"
#include "scale/lanczos_resizer_passes.h"

namespace Media::testing {

// A picture of 32-bit pixels inside a larger byte buffer: `margin` guard bytes around it so that a
// write outside the rectangle shows up.
struct Picture {
  static constexpr int kMargin = 64;
  static constexpr uint8_t kGuard = 0xA5;

  Picture(int w, int h, int extraPitch = 0)
      : width(w),
        height(h),
        pitch(w * 4 + extraPitch),
        bytes(static_cast<size_t>(pitch) * h + 2 * kMargin, kGuard) {}

  uint8_t* Data() { return bytes.data() + kMargin; }
  const uint8_t* Data() const { return bytes.data() + kMargin; }
  uint8_t* Pixel(int x, int y) { return Data() + static_cast<ptrdiff_t>(y) * pitch + x * 4; }
  const uint8_t* Pixel(int x, int y) const { return Data() + static_cast<ptrdiff_t>(y) * pitch + x * 4; }

  void Fill(uint8_t b0, uint8_t b1, uint8_t b2, uint8_t b3) {
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        const uint8_t px[4] = {b0, b1, b2, b3};
        std::memcpy(Pixel(x, y), px, 4);
      }
    }
  }
  void FillRandom(uint32_t seed) {
    std::mt19937 rng(seed);
    for (int y = 0; y < height; ++y) {
      for (int i = 0; i < width * 4; ++i) {
        Pixel(0, y)[i] = static_cast<uint8_t>(rng());
      }
    }
  }
  // Smooth content with detail near the band limit of the smaller picture, like a video frame.
  void FillSmooth() {
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        for (int c = 0; c < 4; ++c) {
          const double v = 127.5 + 60 * std::sin(x * (0.05 + 0.03 * c) + y * 0.02) +
                           50 * std::cos(y * (0.07 + 0.02 * c) - x * 0.01 * c);
          Pixel(x, y)[c] = static_cast<uint8_t>(std::clamp(std::lround(v), 0L, 255L));
        }
      }
    }
  }
  // True when the rectangle's rows equal `other`'s, ignoring padding.
  bool SamePixels(const Picture& other) const {
    for (int y = 0; y < height; ++y) {
      if (std::memcmp(Pixel(0, y), other.Pixel(0, y), static_cast<size_t>(width) * 4) != 0) {
        return false;
      }
    }
    return true;
  }

  int width;
  int height;
  int pitch;
  std::vector<uint8_t> bytes;
};

inline int16_t Lane(const uint8_t* p) {
  int16_t v;
  std::memcpy(&v, p, 2);
  return v;
}
inline void SetLane(uint8_t* p, int16_t v) { std::memcpy(p, &v, 2); }
// Signed 16 × 16 bits keeping the high half.
inline int16_t MulHigh(int16_t value, int16_t weight) { return static_cast<int16_t>((value * weight) >> 16); }

inline void ReferenceVertical(const LanczosJob& job) {
  for (int r = 0; r < job.rows; ++r) {
    for (int x = 0; x < job.width; ++x) {
      for (int c = 0; c < 4; ++c) {
        int16_t sum = 0;
        for (int j = 0; j < job.taps; ++j) {
          const uint8_t b = job.src[job.index[r * job.taps + j] + x * 4 + c];
          const auto value = static_cast<int16_t>((b * 257) >> 1);
          sum = static_cast<int16_t>(sum + MulHigh(value, job.weights[(r * job.taps + j) * 4 + c]));
        }
        SetLane(job.dst + static_cast<ptrdiff_t>(r) * job.dstPitch + x * 8 + c * 2, sum);
      }
    }
  }
}

inline void ReferenceHorizontal(const LanczosJob& job) {
  for (int r = 0; r < job.rows; ++r) {
    const uint8_t* row = job.src + static_cast<ptrdiff_t>(r) * job.srcPitch;
    for (int x = 0; x < job.width; ++x) {
      for (int c = 0; c < 4; ++c) {
        int16_t sum = 0;
        for (int j = 0; j < job.taps; ++j) {
          const int16_t value = Lane(row + job.index[x * job.taps + j] + c * 2);
          sum = static_cast<int16_t>(sum + MulHigh(value, job.weights[(x * job.taps + j) * 4 + c]));
        }
        job.dst[static_cast<ptrdiff_t>(r) * job.dstPitch + x * 4 + c] =
            static_cast<uint8_t>(std::clamp(sum >> 5, 0, 255));
      }
    }
  }
}

inline void ReferenceWidening(const LanczosJob& job) {
  for (int r = 0; r < job.rows; ++r) {
    for (int i = 0; i < job.width * 4; ++i) {
      const uint8_t b = job.src[static_cast<ptrdiff_t>(r) * job.srcPitch + i];
      SetLane(job.dst + static_cast<ptrdiff_t>(r) * job.dstPitch + i * 2,
              static_cast<int16_t>((b * 257) >> 2));
    }
  }
}

inline void ReferenceNarrowing(const LanczosJob& job) {
  for (int r = 0; r < job.rows; ++r) {
    for (int i = 0; i < job.width * 4; ++i) {
      const int16_t v = Lane(job.src + static_cast<ptrdiff_t>(r) * job.srcPitch + i * 2);
      job.dst[static_cast<ptrdiff_t>(r) * job.dstPitch + i] =
          static_cast<uint8_t>(std::clamp(v >> 6, 0, 255));
    }
  }
}

// The whole fixed-point resize on one thread with the scalar passes (sizes must differ).
inline void ReferenceResize(const Picture& src, Picture& dst, int filterTaps) {
  std::vector<int16_t> buffer(static_cast<size_t>(src.width) * std::max(src.height, dst.height) * 4);
  auto* mid = reinterpret_cast<uint8_t*>(buffer.data());
  const int midPitch = src.width * 8;
  LanczosCoefficients h;
  LanczosCoefficients v;
  BuildLanczosCoefficients(src.width, dst.width, 8, filterTaps, h);
  BuildLanczosCoefficients(src.height, dst.height, src.pitch, filterTaps, v);
  const LanczosJob vertical{src.Data(),       mid,       src.width, dst.height, v.taps, v.offsets.data(),
                            v.weights.data(), src.pitch, midPitch};
  const LanczosJob horizontal{mid,      dst.Data(),       dst.width,        dst.height,
                              h.taps,   h.offsets.data(), h.weights.data(), midPitch,
                              dst.pitch};
  if (src.width == dst.width) {
    ReferenceVertical(vertical);
    ReferenceNarrowing({mid, dst.Data(), src.width, dst.height, 0, nullptr, nullptr, midPitch, dst.pitch});
  } else if (src.height == dst.height) {
    ReferenceWidening({src.Data(), mid, src.width, src.height, 0, nullptr, nullptr, src.pitch, midPitch});
    ReferenceHorizontal(horizontal);
  } else {
    ReferenceVertical(vertical);
    ReferenceHorizontal(horizontal);
  }
}

// One axis of an ideal Lanczos resize: for each output position, weights over clamped sources.
struct IdealTaps {
  std::vector<std::vector<std::pair<int, double>>> taps;
};

inline IdealTaps BuildIdealTaps(int srcSize, int dstSize, int lobes) {
  IdealTaps out;
  const double scale = std::max(1.0, static_cast<double>(srcSize) / dstSize);
  const double support = lobes * scale;
  for (int i = 0; i < dstSize; ++i) {
    const double centre = (i + 0.5) * srcSize / dstSize;
    std::vector<std::pair<int, double>> taps;
    double sum = 0;
    for (int k = static_cast<int>(std::floor(centre - support)) - 1;
         k <= static_cast<int>(centre + support) + 1; ++k) {
      const double t = (k + 0.5 - centre) / scale;
      double w = 0;
      if (t == 0) {
        w = 1;
      } else if (std::fabs(t) < lobes) {
        const double pt = std::numbers::pi * t;
        w = lobes * std::sin(pt) * std::sin(pt / lobes) / (pt * pt);
      }
      taps.emplace_back(std::clamp(k, 0, srcSize - 1), w);
      sum += w;
    }
    for (auto& tap : taps) {
      tap.second /= sum;
    }
    out.taps.push_back(std::move(taps));
  }
  return out;
}

// An ideal separable Lanczos resize in double precision, rounded once at the end.
inline void IdealResize(const Picture& src, Picture& dst, int lobes) {
  const IdealTaps h = BuildIdealTaps(src.width, dst.width, lobes);
  const IdealTaps v = BuildIdealTaps(src.height, dst.height, lobes);
  std::vector<double> mid(static_cast<size_t>(src.width) * dst.height * 4);
  for (int y = 0; y < dst.height; ++y) {
    for (int x = 0; x < src.width * 4; ++x) {
      double sum = 0;
      for (const auto& [k, w] : v.taps[y]) {
        sum += w * src.Pixel(0, k)[x];
      }
      mid[static_cast<size_t>(y) * src.width * 4 + x] = sum;
    }
  }
  for (int y = 0; y < dst.height; ++y) {
    for (int x = 0; x < dst.width; ++x) {
      for (int c = 0; c < 4; ++c) {
        double sum = 0;
        for (const auto& [k, w] : h.taps[x]) {
          sum += w * mid[(static_cast<size_t>(y) * src.width + k) * 4 + c];
        }
        dst.Pixel(x, y)[c] = static_cast<uint8_t>(std::clamp(std::lround(sum), 0L, 255L));
      }
    }
  }
}

inline double Psnr(const Picture& a, const Picture& b) {
  double squares = 0;
  for (int y = 0; y < a.height; ++y) {
    for (int i = 0; i < a.width * 4; ++i) {
      const double d = a.Pixel(0, y)[i] - b.Pixel(0, y)[i];
      squares += d * d;
    }
  }
  const double mse = squares / (static_cast<double>(a.width) * a.height * 4);
  return mse == 0 ? 99.0 : 10 * std::log10(255.0 * 255.0 / mse);
}

}  // namespace Media::testing
