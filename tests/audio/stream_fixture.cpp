#include "stream_fixture.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>

#include "avi/avi_file.h"

namespace audiotest {

riff::WaveFormat PcmFormat(uint16_t channels, uint32_t rate, uint16_t bits) {
  const auto block = static_cast<uint16_t>(channels * bits / 8);
  return {riff::kWaveFormatPcm, channels, rate, rate * block, block, bits, 0};
}

std::vector<uint8_t> Noise(size_t bytes, uint32_t seed) {
  std::vector<uint8_t> data(bytes);
  for (uint8_t& byte : data) byte = static_cast<uint8_t>((seed = seed * 1103515245 + 12345) >> 16);
  return data;
}

std::shared_ptr<avi::AudioStream> MakeStream(const testsupport::TempDir& dir, const std::vector<uint8_t>& format,
                                             const std::vector<uint8_t>& data, uint32_t packetSize) {
  static int files = 0;
  avi::FileView view = avi::FileView::Open(dir.Write("stream" + std::to_string(files++) + ".bin", data));
  auto table = std::make_unique<avi::PacketTable>(view);
  for (size_t offset = 0; offset < data.size(); offset += packetSize) {
    table->Append(offset, static_cast<uint32_t>(std::min<size_t>(packetSize, data.size() - offset)));
  }
  return std::make_shared<avi::AudioStream>(format, std::move(table), std::string("audio"), 0);
}

bool RunFfmpeg(const std::string& arguments) {
  std::string command = "ffmpeg -nostdin -loglevel error -y " + arguments + " >/dev/null 2>&1";
  return std::system(command.c_str()) == 0;
}

std::vector<uint8_t> FfmpegOutput(const std::string& arguments) {
  std::string command = "ffmpeg -nostdin -loglevel error " + arguments + " 2>/dev/null";
  std::vector<uint8_t> bytes;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return bytes;
  uint8_t buffer[65536];
  size_t got;
  while ((got = fread(buffer, 1, sizeof buffer, pipe)) > 0) bytes.insert(bytes.end(), buffer, buffer + got);
  pclose(pipe);
  return bytes;
}

bool PatchAudioFormat(const std::string& path, void (*edit)(riff::WaveFormat&)) {
  std::fstream file(path, std::ios::binary | std::ios::in | std::ios::out);
  std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  size_t header = bytes.find("strhauds");
  if (header == std::string::npos) header = bytes.find("auds");
  size_t format = header == std::string::npos ? header : bytes.find("strf", header);
  if (format == std::string::npos || format + 8 + sizeof(riff::WaveFormat) > bytes.size()) return false;
  riff::WaveFormat wave;
  std::memcpy(&wave, bytes.data() + format + 8, sizeof wave);
  edit(wave);
  file.clear();
  file.seekp(static_cast<std::streamoff>(format + 8));
  file.write(reinterpret_cast<const char*>(&wave), sizeof wave);
  return static_cast<bool>(file);
}

std::unique_ptr<avi::Movie> OpenMovie(const std::string& path) {
  avi::FileView view = avi::FileView::Open(path);
  avi::AVIFile reader;
  if (!reader.Probe(view)) return nullptr;
  return reader.Parse(view);
}

audio::AudioDecoder* AddDecoder(avi::AudioStream& stream) {
  auto decoder = std::make_unique<audio::AudioDecoder>(stream);
  audio::AudioDecoder* raw = decoder.get();
  return stream.AddStage(std::move(decoder)) == 0 ? raw : nullptr;
}

std::vector<uint8_t> ReadAll(avi::AudioStream& stream, uint32_t piece) {
  std::vector<uint8_t> all;
  std::vector<uint8_t> buffer(piece);
  uint64_t position = 0;
  for (;;) {
    uint32_t got = stream.Read(position, piece, buffer.data());
    if (got == 0) break;
    all.insert(all.end(), buffer.begin(), buffer.begin() + got);
    position += got;
  }
  return all;
}

std::vector<int16_t> Top16(const std::vector<uint8_t>& wide) {
  std::vector<int16_t> top(wide.size() / 8);
  for (size_t i = 0; i < top.size(); ++i) std::memcpy(&top[i], wide.data() + i * 8 + 6, 2);
  return top;
}

std::vector<int16_t> AsInt16(const std::vector<uint8_t>& bytes) {
  std::vector<int16_t> samples(bytes.size() / 2);
  if (!samples.empty()) std::memcpy(samples.data(), bytes.data(), samples.size() * 2);
  return samples;
}

}  // namespace audiotest
