#include "platform/waveout/wav_file.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <map>
#include <mutex>
#include <vector>

#include "riff/wave_format_extensible.h"

namespace platform::waveout {
namespace {

constexpr uint32_t kPcmFormatBytes = 16;

void Put32(std::vector<uint8_t>& bytes, uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) bytes.push_back(static_cast<uint8_t>(value >> shift));
}

void PutTag(std::vector<uint8_t>& bytes, const char* tag) { bytes.insert(bytes.end(), tag, tag + 4); }

// RIFF and data sizes are left 0 until the file is closed.
std::vector<uint8_t> Header(const PcmLayout& layout) {
  riff::WaveFormatExtensible format{};
  format.format.formatTag = layout.extensible ? riff::kWaveFormatExtensible : riff::kWaveFormatPcm;
  format.format.channels = layout.channels;
  format.format.samplesPerSec = layout.rate;
  format.format.avgBytesPerSec = layout.rate * layout.blockAlign;
  format.format.blockAlign = layout.blockAlign;
  format.format.bitsPerSample = layout.bits;
  format.format.cbSize = riff::kExtensibleExtraBytes;
  format.validBitsPerSample = layout.validBits;
  format.channelMask = layout.channelMask;
  format.subFormat = riff::kSubtypePcm;
  const uint32_t formatBytes = layout.extensible ? sizeof format : kPcmFormatBytes;

  std::vector<uint8_t> header;
  PutTag(header, "RIFF");
  Put32(header, 0);
  PutTag(header, "WAVE");
  PutTag(header, "fmt ");
  Put32(header, formatBytes);
  const auto* raw = reinterpret_cast<const uint8_t*>(&format);
  header.insert(header.end(), raw, raw + formatBytes);
  PutTag(header, "data");
  Put32(header, 0);
  return header;
}

}  // namespace

std::unique_ptr<WavFile> WavFile::Open(const std::string& path, const PcmLayout& layout) {
  // The captures this process has begun, by path, with the header each was begun with.
  static std::mutex lock;
  static std::map<std::string, std::vector<uint8_t>> begun;

  const std::vector<uint8_t> header = Header(layout);
  const auto headerBytes = static_cast<uint32_t>(header.size());
  std::lock_guard<std::mutex> guard(lock);
  if (const auto found = begun.find(path); found != begun.end() && found->second == header) {
    if (FILE* file = std::fopen(path.c_str(), "r+b")) {
      const long end = std::fseek(file, 0, SEEK_END) == 0 ? std::ftell(file) : -1;
      if (end >= headerBytes)
        return std::unique_ptr<WavFile>(new WavFile(file, headerBytes, end - headerBytes));
      std::fclose(file);
    }
  }
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file || std::fwrite(header.data(), 1, header.size(), file) != header.size()) {
    std::fprintf(stderr, "%s: cannot write the sound capture: %s\n", path.c_str(), std::strerror(errno));
    if (file) std::fclose(file);
    return nullptr;
  }
  begun[path] = header;
  return std::unique_ptr<WavFile>(new WavFile(file, headerBytes, 0));
}

WavFile::~WavFile() {
  // Sizes past 4 GiB do not fit the fields; players then read to the end of the file.
  const auto data = static_cast<uint32_t>(std::min<uint64_t>(dataBytes_, UINT32_MAX));
  const auto riff = static_cast<uint32_t>(std::min<uint64_t>(dataBytes_ + headerBytes_ - 8, UINT32_MAX));
  std::vector<uint8_t> size;
  Put32(size, riff);
  std::fseek(file_, 4, SEEK_SET);
  std::fwrite(size.data(), 1, 4, file_);
  size.clear();
  Put32(size, data);
  std::fseek(file_, headerBytes_ - 4, SEEK_SET);
  std::fwrite(size.data(), 1, 4, file_);
  std::fclose(file_);
}

void WavFile::Append(const uint8_t* data, size_t bytes) { dataBytes_ += std::fwrite(data, 1, bytes, file_); }

}  // namespace platform::waveout
