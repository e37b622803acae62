#include "color/conversion_accuracy.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <vector>

#include "color/colour_state.h"
#include "common/mul_div.h"
#include "common/thread.h"
#include "common/worker_pool.h"

namespace color {
namespace {

constexpr int32_t kJob = 2;
constexpr int32_t kDone = 3;
constexpr int32_t kQuit = 4;

// The table sum reduced to a byte the way the kernels output it: saturated to 16 bits and
// looked up in the set-A channel table. So the figure is what a viewer sees; with neutral
// monitor settings and equal transfers that table maps the internal 1.0 to 255.
template <typename Channel>
uint8_t KernelByte(const Channel& channel, int32_t sum) {
  return channel[static_cast<uint16_t>(std::clamp<int32_t>(sum, -32768, 32767))];
}

// The fixed coefficients the tables are judged against, whatever the source matrix.
std::array<double, 3> Reference(int y, int cb, int cr) {
  const double l = std::clamp((y - 16) / 219.0, 0.0, 1.0);
  const double b = std::clamp((cb - 128) / 224.0, -0.5, 0.5);
  const double r = std::clamp((cr - 128) / 224.0, -0.5, 0.5);
  return {std::clamp(l + 1.403 * r, 0.0, 1.0), std::clamp(l - 0.34414 * b - 0.71414 * r, 0.0, 1.0),
          std::clamp(l + 1.773 * b, 0.0, 1.0)};
}

// Reference minus table result, for the live tables or a plain copy of them.
template <typename Luma, typename Matrix, typename Output>
std::array<double, 3> Errors(const Luma& luma, const Matrix& m, const Output& out, int y, int cb, int cr) {
  const int32_t l = luma[y];
  const int r = KernelByte(out[0], l + m.crR[cr]);
  const int g = KernelByte(out[1], l + m.cbG[cb] + m.crG[cr]);
  const int b = KernelByte(out[2], l + m.cbB[cb]);
  const std::array<double, 3> ref = Reference(y, cb, cr);
  return {ref[0] - r / 255.0, ref[1] - g / 255.0, ref[2] - b / 255.0};
}

// The tables the measurement reads, copied once: 2^24 triples then cost ordinary loads, and
// all of them see one table generation even if a rebuild runs meanwhile.
struct Snapshot {
  std::array<int32_t, 256> luma;
  struct {
    std::array<int32_t, 256> crR, cbG, crG, cbB;
  } matrix;
  std::array<std::array<uint8_t, 65536>, 3> out;

  explicit Snapshot(const ColourTables& t) {
    for (size_t i = 0; i < 256; ++i) {
      luma[i] = (*t.lumaLevel)[i];
      matrix.crR[i] = t.chromaMatrix8->crR[i];
      matrix.cbG[i] = t.chromaMatrix8->cbG[i];
      matrix.crG[i] = t.chromaMatrix8->crG[i];
      matrix.cbB[i] = t.chromaMatrix8->cbB[i];
    }
    for (size_t c = 0; c < 3; ++c) {
      for (size_t i = 0; i < 65536; ++i) {
        out[c][i] = (*t.channelA)[c][i];
      }
    }
  }
};

struct Tally {
  double maxError = 0;
  double minError = 0;
  double sumAbs = 0;
  double sumSquare = 0;

  void Add(const std::array<double, 3>& errors) {
    for (double e : errors) {
      maxError = std::max(maxError, e);
      minError = std::min(minError, e);
      sumAbs += std::abs(e);
      sumSquare += e * e;
    }
  }
};

void MeasureLumaRange(const Snapshot& t, int firstY, int endY, Tally& tally) {
  for (int y = firstY; y < endY; ++y) {
    for (int cb = 0; cb < 256; ++cb) {
      for (int cr = 0; cr < 256; ++cr) {
        tally.Add(Errors(t.luma, t.matrix, t.out, y, cb, cr));
      }
    }
  }
}

}  // namespace

std::array<double, 3> ConversionErrors(const ColourTables& tables, int y, int cb, int cr) {
  return Errors(*tables.lumaLevel, *tables.chromaMatrix8, *tables.channelA, y, cb, cr);
}

void MeasureConversionAccuracy(double& maxError, double& minError, double& meanAbsError,
                               double& meanSquareError) {
  maxError = minError = meanAbsError = meanSquareError = 0;
  const ColourTables& tables = GetColourTables();
  if (!tables.lumaLevel || !tables.channelA) {
    return;
  }

  const auto snapshot = std::make_unique<const Snapshot>(tables);
  const int workers = common::WorkerCount();
  std::vector<Tally> tallies(workers);
  {
    common::WorkerPool pool;
    pool.Start(workers, kQuit, [&](int index, int32_t state) {
      if (state != kJob) {
        return -1;
      }
      MeasureLumaRange(*snapshot, common::MulDiv(256, index, workers),
                       common::MulDiv(256, index + 1, workers), tallies[index]);
      return kDone;
    });
    for (int k = 0; k < workers; ++k) {
      pool.Post(k, kJob);
    }
    pool.WaitWhileAny(kJob);
  }  // The pool stops and joins its workers here.

  Tally total;
  for (const Tally& t : tallies) {
    total.maxError = std::max(total.maxError, t.maxError);
    total.minError = std::min(total.minError, t.minError);
    total.sumAbs += t.sumAbs;
    total.sumSquare += t.sumSquare;
  }
  constexpr double kValues = 3.0 * (1 << 24);
  maxError = total.maxError;
  minError = total.minError;
  meanAbsError = total.sumAbs / kValues;
  meanSquareError = total.sumSquare / kValues;
}

}  // namespace color
