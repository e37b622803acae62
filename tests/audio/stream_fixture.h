#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "audio/audio_decoder.h"
#include "avi/audio_stream.h"
#include "avi/movie.h"
#include "support/temp_dir.h"
#include "riff/wave_format.h"
#include "support/wave_format_builder.h"

namespace audiotest {

// Linear PCM of `channels`, `rate` and `bits` whose fields agree.
riff::WaveFormat PcmFormat(uint16_t channels, uint32_t rate, uint16_t bits);
// `bytes` bytes of noise; the same seed gives the same bytes.
std::vector<uint8_t> Noise(size_t bytes, uint32_t seed = 1);

// An audio stream over `data` written to a file in `dir`, cut into packets of `packetSize`.
std::shared_ptr<avi::AudioStream> MakeStream(const testsupport::TempDir& dir, const std::vector<uint8_t>& format,
                                             const std::vector<uint8_t>& data, uint32_t packetSize = 4096);

// Runs the ffmpeg command line with `arguments` (quiet, overwriting); true on success.
bool RunFfmpeg(const std::string& arguments);
// The standard output of ffmpeg with `arguments`.
std::vector<uint8_t> FfmpegOutput(const std::string& arguments);

// Lets `edit` change the audio stream's format in the AVI file at `path`, as a muxer that
// writes other fields would have made it; false when the file has no audio format.
bool PatchAudioFormat(const std::string& path, void (*edit)(riff::WaveFormat&));

// An AVI file parsed into its Movie; none when the file cannot be parsed.
std::unique_ptr<avi::Movie> OpenMovie(const std::string& path);

// A decoder added to the stream's chain; null (and no stage) when construction failed.
audio::AudioDecoder* AddDecoder(avi::AudioStream& stream);

// Everything the stream delivers, read sequentially in pieces of `piece` bytes.
std::vector<uint8_t> ReadAll(avi::AudioStream& stream, uint32_t piece);

// The top 16 bits of each 64-bit sample.
std::vector<int16_t> Top16(const std::vector<uint8_t>& wide);
std::vector<int16_t> AsInt16(const std::vector<uint8_t>& bytes);

}  // namespace audiotest
