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
  // The first open of `path` in this process starts the file afresh; a later one with the same
  // layout continues it, so that the file holds everything the process played in order. Null,
  // after one line on stderr naming the file and the reason, when it cannot be written.
  static std::unique_ptr<WavFile> Open(const std::string& path, const PcmLayout& layout);
  ~WavFile();
  WavFile(const WavFile&) = delete;
  WavFile& operator=(const WavFile&) = delete;

  void Append(const uint8_t* data, size_t bytes);

 private:
  WavFile(FILE* file, uint32_t headerBytes, uint64_t dataBytes)
      : file_(file), headerBytes_(headerBytes), dataBytes_(dataBytes) {}

  FILE* file_;
  uint32_t headerBytes_;
  uint64_t dataBytes_;
};

}  // namespace platform::waveout
