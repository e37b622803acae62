#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "color/field_interpolator.h"
#include "common/thread.h"
#include "common/worker_pool.h"
#include "scale/normal_quality_band.h"
#include "scale/normal_quality_statistics.h"
#include "scale/normal_quality_tables.h"

namespace scale {

enum class Channel : int { kRed = 0, kGreen = 1, kBlue = 2 };

// The frame processor: the default YV12 to 32-bit conversion, driven by its own settings and
// tables. Setters may run on another thread than Convert; they only store values and mark
// tables stale, and the next Convert rebuilds what is stale. One Convert at a time.
class NormalQualityConverter {
 public:
  // Worker states besides stopped (0) and idle (1).
  static constexpr int32_t kQuit = 2;
  static constexpr int32_t kBandPosted = 3;
  static constexpr int32_t kBandDone = 4;

  // Largest width and height converted; anything larger is refused.
  static constexpr int kMaxSize = 1 << 14;
  // Bands shorter than this cost more in hand-over than they gain.
  static constexpr int kMinBandRows = 16;

  // Field pictures are handed to `fieldInterpolator`, which must outlive the converter.
  explicit NormalQualityConverter(color::FieldInterpolator& fieldInterpolator,
                                  int workerCount = common::WorkerCount());
  NormalQualityConverter(const NormalQualityConverter&) = delete;
  NormalQualityConverter& operator=(const NormalQualityConverter&) = delete;
  ~NormalQualityConverter();

  // Also resets the level statistics to 65536 per level.
  void SetDcc(bool enabled);
  void SetBrightness(double b);
  void SetContrast(double c);
  void SetSaturation(double s);
  void SetYGamma(double g);
  void SetCGamma(double g);
  void SetYuvMatrix(int32_t type);
  void SetSourceTransfer(int32_t type);
  void SetOutputTransfer(int32_t type);
  // Stored only: this converter reads chroma co-sited.
  void SetYcOffset(int32_t n);
  void SetMonitorBrightness(int32_t percent);
  void SetMonitorGamma(Channel channel, double g);
  void SetMonitorLevel(Channel channel, double b);
  void SetMonitorContrast(Channel channel, double c);
  void SetDisplayGamma(Channel channel, double g);

  // Converts a YV12 picture (Y plane of PaddedWidth(width) × height, then the V and U planes
  // of half that width and half the height) to 32-bit pixels B, G, R, 0: height rows of
  // PaddedWidth(width) pixels, pitch bytes apart. Field 1 or 2 marks a single field, which is
  // doubled to 2 × height rows of the destination. Returns false, writing nothing, for a
  // size below 1 × 2 or above kMaxSize, a pitch too small for a row, or another field value.
  bool Convert(const uint8_t* picture, uint8_t* destination, int width, int height, ptrdiff_t pitch,
               int field);

  // Milliseconds the last field interpolation took, for the statistics line.
  int32_t FieldTimeMs() const { return fieldTimeMs_.load(std::memory_order_relaxed); }

  bool DccEnabled() const { return dcc_.load(std::memory_order_relaxed); }
  int32_t YcOffset() const { return ycOffset_.load(std::memory_order_relaxed); }
  bool InputTablesStale() const { return inputStale_.load(std::memory_order_relaxed); }
  bool OutputTablesStale() const { return outputStale_.load(std::memory_order_relaxed); }
  int WorkerCount() const { return pool_.Size(); }

  // Width rounded up to a multiple of 4: the row stride of the picture's luma plane.
  static int PaddedWidth(int width);
  // Bands for a picture of `height` rows: one per worker unless bands would get too short.
  static int BandCount(int height, int workers);
  // First row of band k of `bands`, always even.
  static int BandStart(int k, int height, int bands);

 private:
  // A setting written by the setters' thread and read by the converting thread. Relaxed
  // suffices: the stale flag's release store publishes it to the rebuild that follows.
  using SharedDouble = std::atomic<double>;
  using SharedInt = std::atomic<int32_t>;

  struct Worker {
    NormalQualityBand band;
    BandRows rows;
  };

  // Store a setting, then mark the tables built from it stale: the input table (levels and
  // matrix) or the output tables (transfers and monitor), released for the next Convert.
  template <typename T>
  void SetInput(std::atomic<T>& setting, T value) {
    setting.store(value, std::memory_order_relaxed);
    inputStale_.store(true, std::memory_order_release);
  }
  template <typename T>
  void SetOutput(std::atomic<T>& setting, T value) {
    setting.store(value, std::memory_order_relaxed);
    outputStale_.store(true, std::memory_order_release);
  }
  NormalQualitySettings Snapshot() const;
  void RebuildStaleTables();
  void ConvertBands(const uint8_t* picture, uint8_t* target, int paddedWidth, int height, ptrdiff_t pitch);
  int32_t RunJob(int index, int32_t state);

  color::FieldInterpolator& fieldInterpolator_;
  // The processor's variant when the converter was made.
  const BandConverter convertBand_;

  std::atomic<bool> dcc_{false};
  // Set by SetDcc; the converting thread resets the statistics it owns.
  std::atomic<bool> statisticsResetPending_{false};
  SharedDouble brightness_{1.0};
  SharedDouble contrast_{1.0};
  SharedDouble saturation_{1.0};
  SharedDouble yGamma_{1.0};
  SharedDouble cGamma_{1.0};
  SharedInt yuvType_{0};
  SharedInt sourceType_{0};
  SharedInt outputType_{0};
  SharedInt ycOffset_{0};
  SharedInt monitorBrightness_{100};
  std::array<SharedDouble, 3> displayGamma_{2.2, 2.2, 2.2};
  std::array<SharedDouble, 3> monitorGamma_{1.0, 1.0, 1.0};
  std::array<SharedDouble, 3> monitorLevel_{1.0, 1.0, 1.0};
  std::array<SharedDouble, 3> monitorContrast_{1.0, 1.0, 1.0};
  std::atomic<bool> inputStale_{true};
  std::atomic<bool> outputStale_{true};
  std::atomic<int32_t> fieldTimeMs_{0};

  LevelStatistics statistics_;
  std::unique_ptr<InputTable> inputTable_;
  std::unique_ptr<OutputTables> outputTables_;
  std::vector<uint8_t> fieldBuffer_;
  std::vector<Worker> workers_;
  common::WorkerPool pool_;
};

}  // namespace scale
