#include "scale/normal_quality_converter.h"

#include <algorithm>

#include "common/mul_div.h"
#include "platform/system/system.h"
#include "scale/scale_dsp.h"

namespace scale {
namespace {

// The statistics restart from an even spread, so a new run of pictures starts from flat curves.
constexpr uint64_t kStatisticsReset = 65536;

int Index(Channel channel) { return std::clamp(static_cast<int>(channel), 0, 2); }

}  // namespace

NormalQualityConverter::NormalQualityConverter(color::FieldInterpolator& fieldInterpolator, int workerCount)
    : fieldInterpolator_(fieldInterpolator),
      convertBand_(ScaleDspTable::Get().convertBand),
      inputTable_(std::make_unique<InputTable>()),
      outputTables_(std::make_unique<OutputTables>()),
      workers_(static_cast<size_t>(std::max(workerCount, 1))) {
  pool_.Start(static_cast<int>(workers_.size()), kQuit,
              [this](int index, int32_t state) { return RunJob(index, state); });
}

NormalQualityConverter::~NormalQualityConverter() { pool_.Stop(); }

void NormalQualityConverter::SetDcc(bool enabled) {
  statisticsResetPending_.store(true, std::memory_order_relaxed);
  SetInput(dcc_, enabled);
}

void NormalQualityConverter::SetBrightness(double b) { SetInput(brightness_, b); }

void NormalQualityConverter::SetContrast(double c) { SetInput(contrast_, c); }

void NormalQualityConverter::SetSaturation(double s) { SetInput(saturation_, s); }

void NormalQualityConverter::SetYGamma(double g) { SetInput(yGamma_, g); }

void NormalQualityConverter::SetCGamma(double g) { SetInput(cGamma_, g); }

void NormalQualityConverter::SetYuvMatrix(int32_t type) { SetInput(yuvType_, type); }

void NormalQualityConverter::SetSourceTransfer(int32_t type) { SetOutput(sourceType_, type); }

void NormalQualityConverter::SetOutputTransfer(int32_t type) { SetOutput(outputType_, type); }

void NormalQualityConverter::SetYcOffset(int32_t n) { ycOffset_.store(n, std::memory_order_relaxed); }

void NormalQualityConverter::SetMonitorBrightness(int32_t percent) { SetOutput(monitorBrightness_, percent); }

void NormalQualityConverter::SetMonitorGamma(Channel channel, double g) {
  SetOutput(monitorGamma_[Index(channel)], g);
}

void NormalQualityConverter::SetMonitorLevel(Channel channel, double b) {
  SetOutput(monitorLevel_[Index(channel)], b);
}

void NormalQualityConverter::SetMonitorContrast(Channel channel, double c) {
  SetOutput(monitorContrast_[Index(channel)], c);
}

void NormalQualityConverter::SetDisplayGamma(Channel channel, double g) {
  SetOutput(displayGamma_[Index(channel)], g);
}

int NormalQualityConverter::PaddedWidth(int width) { return (width + 3) & ~3; }

int NormalQualityConverter::BandCount(int height, int workers) {
  return std::clamp(height / kMinBandRows, 1, std::max(workers, 1));
}

int NormalQualityConverter::BandStart(int k, int height, int bands) {
  return common::MulDiv(k, height, bands) & ~1;
}

NormalQualitySettings NormalQualityConverter::Snapshot() const {
  NormalQualitySettings s;
  s.brightness = brightness_.load(std::memory_order_relaxed);
  s.contrast = contrast_.load(std::memory_order_relaxed);
  s.saturation = saturation_.load(std::memory_order_relaxed);
  s.yGamma = yGamma_.load(std::memory_order_relaxed);
  s.cGamma = cGamma_.load(std::memory_order_relaxed);
  s.yuvType = yuvType_.load(std::memory_order_relaxed);
  s.sourceType = sourceType_.load(std::memory_order_relaxed);
  s.outputType = outputType_.load(std::memory_order_relaxed);
  s.monitorBrightness = monitorBrightness_.load(std::memory_order_relaxed);
  for (int c = 0; c < 3; ++c) {
    s.displayGamma[c] = displayGamma_[c].load(std::memory_order_relaxed);
    s.monitorGamma[c] = monitorGamma_[c].load(std::memory_order_relaxed);
    s.monitorLevel[c] = monitorLevel_[c].load(std::memory_order_relaxed);
    s.monitorContrast[c] = monitorContrast_[c].load(std::memory_order_relaxed);
  }
  return s;
}

void NormalQualityConverter::RebuildStaleTables() {
  // Acquire pairs with the setters' release, so the values stored before the flag are seen; a
  // setter racing with the rebuild sets the flag again and the next picture rebuilds.
  if (outputStale_.exchange(false, std::memory_order_acquire)) {
    BuildOutputTables(Snapshot(), *outputTables_);
  }
  if (inputStale_.exchange(false, std::memory_order_acquire)) {
    BuildInputTable(Snapshot(), statistics_, *inputTable_);
  }
}

bool NormalQualityConverter::Convert(const uint8_t* picture, uint8_t* destination, int width, int height,
                                     ptrdiff_t pitch, int field) {
  const int paddedWidth = PaddedWidth(width);
  if (picture == nullptr || destination == nullptr || width < 1 || height < 2 || width > kMaxSize ||
      height > kMaxSize || pitch / 4 < paddedWidth || field < 0 || field > 2) {
    return false;
  }
  // Relaxed: the flag carries no data; the statistics belong to this thread alone.
  if (statisticsResetPending_.exchange(false, std::memory_order_relaxed)) {
    statistics_.Reset(kStatisticsReset);
  }
  if (dcc_.load(std::memory_order_relaxed)) {
    GatherLevelStatistics(picture, width, paddedWidth, height, statistics_);
  }
  RebuildStaleTables();

  uint8_t* target = destination;
  if (field != 0) {
    const size_t size = static_cast<size_t>(height) * static_cast<size_t>(pitch);
    if (fieldBuffer_.size() < size) {
      fieldBuffer_.resize(size);
    }
    target = fieldBuffer_.data();
  }
  ConvertBands(picture, target, paddedWidth, height, pitch);

  if (field != 0) {
    const int64_t start = platform::system::PerformanceCounter();
    fieldInterpolator_.InterpolateField(target, destination, paddedWidth, height, pitch, field, pitch);
    const int64_t elapsed = platform::system::PerformanceCounter() - start;
    fieldTimeMs_.store(static_cast<int32_t>(elapsed * 1000 / platform::system::PerformanceFrequency()),
                       std::memory_order_relaxed);
  }
  return true;
}

void NormalQualityConverter::ConvertBands(const uint8_t* picture, uint8_t* target, int paddedWidth,
                                          int height, ptrdiff_t pitch) {
  const int chromaWidth = paddedWidth / 2;
  const int chromaRows = height / 2;
  const uint8_t* vPlane = picture + static_cast<ptrdiff_t>(paddedWidth) * height;
  const uint8_t* uPlane = vPlane + static_cast<ptrdiff_t>(chromaWidth) * chromaRows;
  const int bands = BandCount(height, pool_.Size());
  int end = height;
  for (int k = bands - 1; k >= 0; --k) {
    const int start = BandStart(k, height, bands);
    Worker& worker = workers_[k];
    const ptrdiff_t chromaOffset = static_cast<ptrdiff_t>(start / 2) * chromaWidth;
    worker.band = NormalQualityBand{picture + static_cast<ptrdiff_t>(start) * paddedWidth,
                                    uPlane + chromaOffset,
                                    vPlane + chromaOffset,
                                    target + start * pitch,
                                    pitch,
                                    paddedWidth,
                                    end - start,
                                    chromaRows - start / 2};
    worker.rows.Reserve(paddedWidth);
    pool_.Post(k, kBandPosted);
    end = start;
  }
  pool_.WaitWhileAny(kBandPosted);
}

int32_t NormalQualityConverter::RunJob(int index, int32_t state) {
  if (state != kBandPosted) {
    return -1;
  }
  Worker& worker = workers_[index];
  convertBand_(worker.band, *inputTable_, *outputTables_, worker.rows);
  return kBandDone;
}

}  // namespace scale
