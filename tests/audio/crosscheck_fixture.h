#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "avi/audio_stream.h"
#include "avi/movie.h"
#include "support/temp_dir.h"
#include "riff/wave_format.h"

namespace audiotest {

// Sources for ffmpeg's lavfi input: tones with a little noise, as real sound has.
inline constexpr const char* kStereoSource =
    "aevalsrc=0.4*sin(2*PI*440*t)+0.2*sin(2*PI*1234*t)+0.05*random(0)|0.3*sin(2*PI*660*t)+0.1*random(1)";
inline constexpr const char* kSixChannelSource =
    "aevalsrc=0.05*sin(2*PI*440*t)|0.05*sin(2*PI*550*t)|0.05*sin(2*PI*660*t)|0.05*sin(2*PI*70*t)"
    "|0.05*sin(2*PI*880*t)|0.04*random(0)";

// AVI files made by the ffmpeg command line in a folder of the test's own, to be decoded here
// and compared with what `ffmpeg -i f.avi -f s16le` gives.
class Crosscheck : public ::testing::Test {
 protected:
  // Makes an AVI file with a small video stream and `source` at `rate` coded by `codec` (ffmpeg
  // options), patched by `patch` when given; returns its audio stream.
  avi::AudioStream* Make(const std::string& source, int rate, const std::string& codec,
                         void (*patch)(riff::WaveFormat&) = nullptr);
  // The file's audio decoded by ffmpeg into the raw sample format `format`.
  std::vector<uint8_t> Decoded(const std::string& format) const;

  testsupport::TempDir dir_;
  std::string file_;
  int count_ = 0;
  std::unique_ptr<avi::Movie> movie_;
};

// ffmpeg's options for an MP3 encoder: LAME where ffmpeg has it, else its default MP3 encoder.
std::string Mp3Codec();

// Everything the stream gives, read back to back in pieces of awkward sizes (multiples of align).
std::vector<uint8_t> ReadInPieces(avi::AudioStream& stream, std::mt19937& random, uint32_t align);
// One read of `count` bytes at `position`, cut to what arrived.
std::vector<uint8_t> ReadAt(avi::AudioStream& stream, uint64_t position, uint32_t count);

}  // namespace audiotest
