#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include "platform/waveout/pcm_layout.h"

namespace platform::waveout {

// A WAV file of one PCM layout, written as samples arrive; its sizes are filled in when it
// is closed.
class WavFile {
 public:
  // Null, after one line on stderr naming the file and the reason, when it cannot be created.
  static std::unique_ptr<WavFile> Create(const std::string& path, const PcmLayout& layout);
  ~WavFile();
  WavFile(const WavFile&) = delete;
  WavFile& operator=(const WavFile&) = delete;

  void Append(const uint8_t* data, size_t bytes);

 private:
  WavFile(FILE* file, uint32_t headerBytes) : file_(file), headerBytes_(headerBytes) {}

  FILE* file_;
  uint32_t headerBytes_;
  uint64_t dataBytes_ = 0;
};

}  // namespace platform::waveout
