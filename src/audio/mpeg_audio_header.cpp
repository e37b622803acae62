#include "audio/mpeg_audio_header.h"

namespace audio {

namespace {

// Kilobits a second by bit-rate index 1 to 14.
constexpr uint16_t kBitRates[5][14] = {
    {32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448},  // MPEG-1 layer I
    {32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384},     // MPEG-1 layer II
    {32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320},      // MPEG-1 layer III
    {32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256},     // MPEG-2 and 2.5 layer I
    {8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160},          // MPEG-2 and 2.5 II, III
};
constexpr uint32_t kMpeg1Rates[3] = {44100, 48000, 32000};

bool SameStream(const MpegAudioHeader& a, const MpegAudioHeader& b) {
  return a.version == b.version && a.layer == b.layer && a.sampleRate == b.sampleRate;
}

}  // namespace

bool ParseMpegAudioHeader(const uint8_t* bytes, MpegAudioHeader* header) {
  if (bytes[0] != 0xFF || (bytes[1] & 0xE0) != 0xE0) return false;
  int versionBits = bytes[1] >> 3 & 3;
  int layerBits = bytes[1] >> 1 & 3;
  int rateIndex = bytes[2] >> 4;
  int frequencyIndex = bytes[2] >> 2 & 3;
  if (versionBits == 1 || layerBits == 0 || rateIndex == 0 || rateIndex == 15 || frequencyIndex == 3)
    return false;
  header->version = versionBits == 3 ? 1 : versionBits == 2 ? 2 : 25;
  header->layer = 4 - layerBits;
  bool mpeg1 = header->version == 1;
  int table = mpeg1 ? header->layer - 1 : (header->layer == 1 ? 3 : 4);
  header->bitRate = kBitRates[table][rateIndex - 1] * 1000u;
  header->sampleRate = kMpeg1Rates[frequencyIndex] >> (mpeg1 ? 0 : header->version == 2 ? 1 : 2);
  uint32_t padding = bytes[2] >> 1 & 1;
  if (header->layer == 1) {
    header->samples = 384;
    header->frameBytes = (12 * header->bitRate / header->sampleRate + padding) * 4;
  } else {
    header->samples = header->layer == 3 && !mpeg1 ? 576 : 1152;
    header->frameBytes = header->samples / 8 * header->bitRate / header->sampleRate + padding;
  }
  return true;
}

uint32_t MpegByteRate(const uint8_t* data, size_t size) {
  for (size_t start = 0; start + 4 <= size; ++start) {
    MpegAudioHeader first;
    if (!ParseMpegAudioHeader(data + start, &first)) continue;
    // A frame start is believed when the next header stands where this frame ends.
    size_t next = start + first.frameBytes;
    MpegAudioHeader second;
    if (next + 4 > size || !ParseMpegAudioHeader(data + next, &second) || !SameStream(first, second))
      continue;
    uint64_t frames = 0;
    uint64_t bytes = 0;
    bool constant = true;
    MpegAudioHeader frame = first;
    for (size_t at = start;
         at + 4 <= size && ParseMpegAudioHeader(data + at, &frame) && SameStream(first, frame);
         at += frame.frameBytes) {
      if (at + frame.frameBytes > size) break;
      constant = constant && frame.bitRate == first.bitRate;
      ++frames;
      bytes += frame.frameBytes;
    }
    if (constant) return first.bitRate / 8;
    return static_cast<uint32_t>(bytes * first.sampleRate / (frames * first.samples));
  }
  return 0;
}

}  // namespace audio
