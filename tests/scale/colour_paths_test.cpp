// Every Y'CbCr to RGB path of the player against the exact picture model, on flat pictures.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "color/channel_tables.h"
#include "color/colour_state.h"
#include "color/field_interpolator.h"
#include "color/kernel_scratch.h"
#include "color/level_tables.h"
#include "color/picture_model.h"
#include "color/rebuild_colour_tables.h"
#include "color/yuv420_fast_kernel.h"
#include "color/yuv420_lanczos_kernel.h"
#include "color/yuv420_standard_kernel.h"
#include "scale/apply_picture_settings.h"
#include "scale/normal_quality_converter.h"
#include "scale/nqc_reference.h"

namespace scale {
namespace {

using color::PictureParams;
using color::Rgb8;

// Chroma is the same everywhere; luma runs 0 … 255 along each row, every level on an even and
// an odd pixel, so each level is seen co-sited with chroma, between two chroma samples across,
// down and diagonally (rows 0 and 1).
constexpr int kWidth = 512;
constexpr int kHeight = 4;
constexpr int kCheckedRows = 2;

enum Path { kFrameProcessor, kStandard, kLanczos, kFast, kPaths };
const char* const kPathNames[kPaths] = {"frame processor", "standard", "lanczos", "fast"};

struct Setting {
  std::string name;
  PictureParams params;
  // The fast kernel works at half the resolution of the others (1.0 = 4095). Under a steep
  // output tail one of its steps just above black is more than a level.
  int fastBound = 1;
};

PictureParams Neutral(color::YuvMatrixCode matrix) {
  PictureParams p;
  p.matrix = matrix;
  p.source = color::kTransferSrgb;
  p.output = color::kTransferSrgb;
  return p;
}

std::vector<Setting> Settings() {
  std::vector<Setting> settings = {{"neutral, matrix 4", Neutral(4)}, {"neutral, matrix 0", Neutral(0)}};
  PictureParams p = Neutral(1);
  p.source = color::kTransferBt709;
  settings.push_back({"BT.709, source Bt.709, output sRGB", p});
  p = Neutral(4);
  p.brightness = 1.1;
  p.contrast = 1.2;
  p.saturation = 0.8;
  p.yGamma = 0.9;
  p.cGamma = 1.1;
  settings.push_back({"picture levels and gammas", p});
  p = Neutral(4);
  p.displayGamma = {2.0, 2.2, 2.5};
  settings.push_back({"display gammas 2.0/2.2/2.5", p});
  p = Neutral(4);
  p.monitorBrightness = 0.8;
  p.output = color::kTransferConstantGamma;
  settings.push_back({"monitor brightness 0.8, output constant gamma", p, 2});
  p = Neutral(4);
  p.monitorLevel = {1.1, 1.0, 1.0};
  p.monitorContrast = {1.0, 0.9, 1.0};
  p.monitorGamma = {1.0, 1.0, 1.1};
  settings.push_back({"monitor calibration", p});
  return settings;
}

// The fast kernel is fixed BT.601 without saturation; everything else it follows.
PictureParams FastModel(PictureParams p) {
  if (p.matrix != 3) {
    p.matrix = 4;
  }
  p.saturation = 1.0;
  return p;
}

// The player's state after a file open: the 16-bit chroma matrix carries the saturation, the
// channel tables the user's display gammas.
void ApplyToColourState(const PictureParams& p) {
  color::InitColour(1.0, 1.0, 1.0, p.matrix, p.source, p.output,
                    static_cast<int32_t>(std::lround(p.monitorBrightness * 100)));
  color::SetMonitorGamma(p.monitorGamma[0], p.monitorGamma[1], p.monitorGamma[2]);
  color::SetMonitorContrast(p.monitorContrast[0], p.monitorContrast[1], p.monitorContrast[2]);
  color::SetMonitorLevel(p.monitorLevel[0], p.monitorLevel[1], p.monitorLevel[2]);
  color::SetYGamma(p.yGamma);
  color::SetCGamma(p.cGamma);
  color::SetPictureLevels(p.brightness, p.contrast, p.saturation);
  color::RebuildColourTables();
  color::BuildChannelTables(p.displayGamma[0], p.displayGamma[1], p.displayGamma[2]);
}

NormalQualitySettings FrameProcessorSettings(const PictureParams& p) {
  NormalQualitySettings s;
  s.brightness = p.brightness;
  s.contrast = p.contrast;
  s.saturation = p.saturation;
  s.yGamma = p.yGamma;
  s.cGamma = p.cGamma;
  s.yuvType = p.matrix;
  s.sourceType = p.source;
  s.outputType = p.output;
  s.monitorBrightness = static_cast<int32_t>(std::lround(p.monitorBrightness * 100));
  s.displayGamma = p.displayGamma;
  s.monitorGamma = p.monitorGamma;
  s.monitorLevel = p.monitorLevel;
  s.monitorContrast = p.monitorContrast;
  return s;
}

// One setting in force in every path at once.
class Paths {
 public:
  explicit Paths(const PictureParams& p) : interpolator_(1), converter_(interpolator_, 1) {
    ApplyToColourState(p);
    scale::ApplyPictureSettings(converter_, FrameProcessorSettings(p));
  }
  ~Paths() {
    color::ReleaseKernelScratch();
    color::ReleaseColour();
  }

  // A flat picture with luma along the row; the YV12 buffer keeps the decoder's spare bytes.
  void Load(int cb, int cr) {
    picture_.assign(kWidth * kHeight * 3 / 2 + 5, 0);
    for (int y = 0; y < kHeight; ++y) {
      for (int x = 0; x < kWidth; ++x) {
        picture_[y * kWidth + x] = static_cast<uint8_t>(x / 2);
      }
    }
    std::fill_n(picture_.begin() + kWidth * kHeight, kWidth * kHeight / 4, static_cast<uint8_t>(cr));
    std::fill_n(picture_.begin() + kWidth * kHeight * 5 / 4, kWidth * kHeight / 4, static_cast<uint8_t>(cb));
  }

  // R, G, B of every pixel of the picture converted by `path`.
  const std::vector<uint8_t>& Convert(Path path) {
    bgrx_.assign(kWidth * kHeight * 4, 0xA5);
    const uint8_t* in = picture_.data();
    uint8_t* out = bgrx_.data();
    bool done = false;
    switch (path) {
      case kFrameProcessor:
        done = converter_.Convert(in, out, kWidth, kHeight, 4 * kWidth, 0);
        break;
      case kStandard:
        done = color::ConvertYv12Standard(in, out, kWidth, kHeight, 4 * kWidth, 0, false, 0);
        break;
      case kLanczos:
        done = color::ConvertYv12Lanczos(in, out, kWidth, kHeight, 4 * kWidth, 0, false, 0);
        break;
      case kFast:
        done = color::ConvertYv12Fast(in, out, kWidth, kHeight, 4 * kWidth, 0, false, 0);
        break;
      case kPaths:
        break;
    }
    EXPECT_TRUE(done) << kPathNames[path];
    return bgrx_;
  }

 private:
  color::FieldInterpolator interpolator_;
  NormalQualityConverter converter_;
  std::vector<uint8_t> picture_;
  std::vector<uint8_t> bgrx_;
};

// Errors of one path in levels, with the first worst triple for the message.
struct Tally {
  int max = 0;
  double sum = 0;
  long above = 0;
  long count = 0;
  std::string worst;

  void Add(int error, int y, int cb, int cr, int channel, int got, int want) {
    sum += error;
    above += error > 1 ? 1 : 0;
    ++count;
    if (error > max) {
      max = error;
      worst = "Y " + std::to_string(y) + ", Cb " + std::to_string(cb) + ", Cr " + std::to_string(cr) + ": " +
              "RGB"[channel] + " " + std::to_string(got) + ", the model " + std::to_string(want);
    }
  }
};

// Compares rows 0 and 1 of a converted flat picture with the model's bytes per luma level, for
// the luma levels `first` … `last`.
void Compare(const std::vector<uint8_t>& bgrx, const std::vector<Rgb8>& model, int cb, int cr, Tally& tally,
             int first = 0, int last = 255) {
  for (int row = 0; row < kCheckedRows; ++row) {
    for (int x = 2 * first; x < 2 * last + 2; ++x) {
      const uint8_t* pixel = bgrx.data() + (row * kWidth + x) * 4;
      const Rgb8& want = model[x / 2];
      for (int c = 0; c < 3; ++c) {
        const int got = pixel[2 - c];
        tally.Add(std::abs(got - want[c]), x / 2, cb, cr, c, got, want[c]);
      }
    }
  }
}

// Video-range chroma in steps of `step`, and the corners 0 and 255.
std::vector<int> ChromaGrid(int step) {
  std::vector<int> levels = {0};
  for (int c = 16; c <= 240; c += step) {
    levels.push_back(c);
  }
  levels.push_back(255);
  return levels;
}

// VISTREL_FULL_COLOUR_GRID=1 takes every video-range chroma level instead of every fourth.
int ChromaStep() {
  const char* full = std::getenv("VISTREL_FULL_COLOUR_GRID");
  return full != nullptr && full[0] == '1' ? 1 : 4;
}

std::vector<Rgb8> ModelRow(const PictureParams& p, int cb, int cr) {
  std::vector<Rgb8> row(256);
  for (int y = 0; y < 256; ++y) {
    row[y] = color::EvaluatePictureModel(p, y, cb, cr);
  }
  return row;
}

// Single inputs that once showed a path far from the model, with what the model gives there.
TEST(ColourPathsTest, KnownHardInputsFollowTheModel) {
  struct Case {
    const char* what;
    PictureParams params;
    int y, cb, cr;
    int channel;
    int model;
  };
  PictureParams raisedBlack = Neutral(4);
  raisedBlack.monitorLevel[0] = 1.1;
  PictureParams raisedBlackGamma = raisedBlack;
  raisedBlackGamma.displayGamma[0] = 2.5;
  PictureParams dimConstantGamma = Neutral(4);
  dimConstantGamma.monitorBrightness = 0.8;
  dimConstantGamma.output = color::kTransferConstantGamma;
  const Case cases[] = {
      {"green from Cb at BT.601's factor", Neutral(4), 18, 16, 16, 1, 137},
      {"chroma 0 continues the ramp", Neutral(4), 18, 0, 0, 1, 157},
      {"slightly below black shows the raised black", raisedBlack, 27, 16, 120, 0, 26},
      {"far below black shows the raised black", raisedBlack, 27, 16, 16, 0, 26},
      {"below black before a fractional power", raisedBlackGamma, 27, 16, 16, 0, 26},
      {"chroma below 16 reaches past the video range", Neutral(4), 235, 0, 16, 2, 0},
      {"interpolated chroma near black", dimConstantGamma, 48, 40, 216, 1, 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(color::EvaluatePictureModel(c.params, c.y, c.cb, c.cr)[c.channel], c.model);
    Paths paths(c.params);
    paths.Load(c.cb, c.cr);
    const std::vector<Rgb8> model = ModelRow(c.params, c.cb, c.cr);
    const std::vector<Rgb8> fastModel = ModelRow(FastModel(c.params), c.cb, c.cr);
    for (int path = 0; path < kPaths; ++path) {
      Tally tally;
      Compare(paths.Convert(static_cast<Path>(path)), path == kFast ? fastModel : model, c.cb, c.cr, tally,
              c.y, c.y);
      EXPECT_LE(tally.max, 1) << kPathNames[path] << ": " << tally.worst;
    }
  }
}

TEST(ColourPathsTest, EveryPathWithinOneLevelOfTheModelUnderEverySetting) {
  const std::vector<int> grid = ChromaGrid(ChromaStep());
  Tally overall[kPaths];
  for (const Setting& setting : Settings()) {
    SCOPED_TRACE(setting.name);
    Paths paths(setting.params);
    const PictureParams fastParams = FastModel(setting.params);
    Tally tallies[kPaths];
    for (int cb : grid) {
      for (int cr : grid) {
        paths.Load(cb, cr);
        const std::vector<Rgb8> model = ModelRow(setting.params, cb, cr);
        const std::vector<Rgb8> fastModel = ModelRow(fastParams, cb, cr);
        for (int path = 0; path < kPaths; ++path) {
          Compare(paths.Convert(static_cast<Path>(path)), path == kFast ? fastModel : model, cb, cr,
                  tallies[path]);
        }
      }
    }
    std::printf("%s\n", setting.name.c_str());
    for (int path = 0; path < kPaths; ++path) {
      const Tally& t = tallies[path];
      std::printf("  %-16s max %2d  mean %.4f  above one %ld (%.4f %%)%s%s\n", kPathNames[path], t.max,
                  t.sum / t.count, t.above, 100.0 * t.above / t.count, t.max > 1 ? "  worst " : "",
                  t.max > 1 ? t.worst.c_str() : "");
      EXPECT_LE(t.max, path == kFast ? setting.fastBound : 1) << kPathNames[path] << ": " << t.worst;
      Tally& all = overall[path];
      if (t.max > all.max) {
        all.max = t.max;
        all.worst = t.worst + " (" + setting.name + ")";
      }
      all.sum += t.sum;
      all.above += t.above;
      all.count += t.count;
    }
  }
  std::printf("all settings\n");
  for (int path = 0; path < kPaths; ++path) {
    const Tally& t = overall[path];
    std::printf("  %-16s max %2d  mean %.4f  above one %ld (%.4f %%)\n", kPathNames[path], t.max,
                t.sum / t.count, t.above, 100.0 * t.above / t.count);
  }
}

}  // namespace
}  // namespace scale
