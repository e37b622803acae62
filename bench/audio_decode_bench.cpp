// Decoding speed of each audio path, as multiples of real time ("realtime" counter): ten
// seconds of stream decoded in one-second reads, the way the renderer pulls them.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "audio/audio_decoder.h"
#include "avi/audio_stream.h"
#include "avi/avi_file.h"
#include "support/temp_dir.h"
#include "support/wave_format_builder.h"

namespace {

constexpr int kSeconds = 10;

// Removed with everything in it when the run ends.
const testsupport::TempDir& BenchDir() {
  static const testsupport::TempDir dir;
  return dir;
}

// A stream of `seconds` of random ADPCM or PCM data in 4 KiB packets.
std::shared_ptr<avi::AudioStream> RawStream(const riff::WaveFormat& format, const std::string& name) {
  std::vector<uint8_t> data(size_t{format.avgBytesPerSec} * kSeconds);
  std::mt19937 random(1);
  for (auto& b : data) b = static_cast<uint8_t>(random());
  for (size_t i = 1; format.formatTag == 0x2081 && i < data.size(); i += 16) data[i] = 0;
  const std::string path = BenchDir().Write(name, data);
  auto table = std::make_unique<avi::PacketTable>(avi::FileView::Open(path));
  for (size_t offset = 0; offset < data.size(); offset += 4096) {
    table->Append(offset, static_cast<uint32_t>(std::min<size_t>(4096, data.size() - offset)));
  }
  return std::make_shared<avi::AudioStream>(testsupport::WaveFormatBytes(format), std::move(table),
                                            std::string(name), 0);
}

// The audio stream of an AVI file that ffmpeg makes with `codec`; kept alive with its Movie.
std::shared_ptr<avi::AudioStream> FfmpegStream(const std::string& codec, int rate, int channels,
                                               const std::string& name) {
  static std::vector<std::unique_ptr<avi::Movie>> movies;
  std::string path = BenchDir().File(name + ".avi");
  std::string command =
      "ffmpeg -nostdin -loglevel error -y -f lavfi -i color=s=16x16:r=5:d=" + std::to_string(kSeconds) +
      " -f lavfi -i \"aevalsrc=0.3*sin(2*PI*440*t)+0.05*random(0):s=" + std::to_string(rate) +
      ":d=" + std::to_string(kSeconds) + "\" -ac " + std::to_string(channels) + " -c:v mjpeg " + codec + " " +
      path + " >/dev/null 2>&1";
  if (std::system(command.c_str()) != 0) return nullptr;
  avi::FileView view = avi::FileView::Open(path);
  avi::AVIFile reader;
  if (!reader.Probe(view)) return nullptr;
  std::unique_ptr<avi::Movie> movie = reader.Parse(view);
  if (!movie || movie->audioStreams.Count() == 0) return nullptr;
  std::shared_ptr<avi::AudioStream> stream = movie->audioStreams.Owned(0);
  movies.push_back(std::move(movie));
  return stream;
}

void DecodeStream(benchmark::State& state, const std::shared_ptr<avi::AudioStream>& stream) {
  if (!stream) {
    state.SkipWithError("no stream");
    return;
  }
  std::vector<uint8_t> buffer;
  uint64_t decodedBytes = 0;
  uint32_t second = 0;
  for (auto _ : state) {
    while (stream->StageCount() > 0) stream->RemoveLastStage();
    if (stream->AddStage(std::make_unique<audio::AudioDecoder>(*stream)) != 0) {
      state.SkipWithError("decoder refused the stream");
      return;
    }
    second = stream->OutputFormat()->avgBytesPerSec;
    buffer.resize(second);
    uint64_t position = 0;
    for (;;) {
      uint32_t got = stream->Read(position, second, buffer.data());
      if (got == 0) break;
      position += got;
    }
    decodedBytes = position;
    benchmark::DoNotOptimize(buffer.data());
  }
  double seconds = second ? static_cast<double>(decodedBytes) / second : 0;
  state.counters["realtime"] = benchmark::Counter(seconds, benchmark::Counter::kIsIterationInvariantRate);
}

void BM_DecodePcm16(benchmark::State& state) {
  static auto stream = RawStream({1, 2, 44100, 176400, 4, 16, 0}, "pcm16");
  DecodeStream(state, stream);
}
BENCHMARK(BM_DecodePcm16)->Name("BM_DecodePcm16Stereo/vistrel")->Unit(benchmark::kMillisecond);

void BM_DecodeXaAdpcm(benchmark::State& state) {
  static auto stream = RawStream({0x2082, 2, 37800, 43200, 128, 4, 0}, "xa");
  DecodeStream(state, stream);
}
BENCHMARK(BM_DecodeXaAdpcm)->Name("BM_DecodeXaAdpcmStereo/vistrel")->Unit(benchmark::kMillisecond);

void BM_DecodeFilterAdpcm(benchmark::State& state) {
  static auto stream = RawStream({0x2081, 2, 44100, 50400, 2048, 4, 0}, "filter");
  DecodeStream(state, stream);
}
BENCHMARK(BM_DecodeFilterAdpcm)->Name("BM_DecodeFilterAdpcmStereo/vistrel")->Unit(benchmark::kMillisecond);

void BM_DecodeStepAdpcm(benchmark::State& state) {
  static auto stream = RawStream({0x2080, 2, 32000, 36000, 36, 4, 0}, "step");
  DecodeStream(state, stream);
}
BENCHMARK(BM_DecodeStepAdpcm)->Name("BM_DecodeStepAdpcmStereo/vistrel")->Unit(benchmark::kMillisecond);

void BM_DecodeAc3Stereo(benchmark::State& state) {
  static auto stream = FfmpegStream("-c:a ac3 -b:a 192k", 48000, 2, "ac3");
  DecodeStream(state, stream);
}
BENCHMARK(BM_DecodeAc3Stereo)->Name("BM_DecodeAc3Stereo/vistrel")->Unit(benchmark::kMillisecond);

void BM_DecodeMp3(benchmark::State& state) {
  static auto stream = FfmpegStream("-c:a libmp3lame -b:a 128k", 44100, 2, "mp3");
  DecodeStream(state, stream);
}
BENCHMARK(BM_DecodeMp3)->Name("BM_DecodeMp3Stereo/vistrel")->Unit(benchmark::kMillisecond);

void BM_DecodeMsAdpcm(benchmark::State& state) {
  static auto stream = FfmpegStream("-c:a adpcm_ms", 44100, 2, "msadpcm");
  DecodeStream(state, stream);
}
BENCHMARK(BM_DecodeMsAdpcm)->Name("BM_DecodeMsAdpcmStereo/vistrel")->Unit(benchmark::kMillisecond);

// The packet path: the decoder is built anew every round, with its walk over the packets.
void BM_DecodeAac(benchmark::State& state) {
  static auto stream = FfmpegStream("-c:a aac -b:a 128k", 48000, 2, "aac");
  DecodeStream(state, stream);
}
BENCHMARK(BM_DecodeAac)->Name("BM_DecodeAacStereo/vistrel")->Unit(benchmark::kMillisecond);

void BM_DecodeVorbis(benchmark::State& state) {
  static auto stream = FfmpegStream("-c:a libvorbis", 48000, 2, "vorbis");
  DecodeStream(state, stream);
}
BENCHMARK(BM_DecodeVorbis)->Name("BM_DecodeVorbisStereo/vistrel")->Unit(benchmark::kMillisecond);

}  // namespace
