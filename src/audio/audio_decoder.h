#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "audio/ac3_gain_table.h"
#include "audio/wide_sample.h"
#include "avi/audio_filter.h"
#include "platform/acm/stream.h"
#include "platform/acm/stream_header.h"
#include "riff/wave_format.h"

namespace audio {

inline constexpr uint16_t kWaveFormatAc3 = 0x2000;
inline constexpr uint16_t kWaveFormatStepAdpcm = 0x2080;
inline constexpr uint16_t kWaveFormatFilterAdpcm = 0x2081;
inline constexpr uint16_t kWaveFormatXaAdpcm = 0x2082;

// The decoding stage of an audio stream: linear PCM and three ADPCM formats to 64-bit
// samples, AC-3 frame by frame and everything else through the audio compression layer.
class AudioDecoder : public avi::IAudioFilter {
 public:
  // Takes the stream's current output format; Failed() tells whether it can be decoded.
  explicit AudioDecoder(const avi::AudioStream& stream);
  ~AudioDecoder() override;
  AudioDecoder(const AudioDecoder&) = delete;
  AudioDecoder& operator=(const AudioDecoder&) = delete;

  int Kind() const override { return 1; }
  bool Failed() const override { return input_.empty(); }
  const riff::WaveFormat* InputFormat() const override;
  const riff::WaveFormat* OutputFormat() const override;
  uint32_t Read(int stage, avi::ChainCallback callback, avi::AudioStream* stream, int64_t position,
                uint32_t count, uint8_t* destination) override;
  int64_t Position() const override { return position_; }

 private:
  // Where the chain below is reached during one read.
  struct Chain {
    int stage;
    avi::ChainCallback callback;
    avi::AudioStream* stream;
    uint32_t Read(int64_t position, uint32_t count, uint8_t* destination) const;
    uint64_t TotalLength() const;
    int64_t SourcePosition(int64_t position) const;
  };
  // How an ADPCM format lays out its units: the runs of source bytes that decode on their own
  // given the predictor, one or more to a chunk of source bytes.
  struct AdpcmLayout {
    uint32_t chunkBytes;
    uint32_t unitsPerChunk;
    uint32_t unitOutput;
  };

  bool BuildWideOutput();
  bool OpenAcm();
  void CloseAcm();

  uint32_t ReadPcm(const Chain& chain, int64_t position, uint32_t count, uint8_t* destination);
  uint32_t ReadAdpcm(const Chain& chain, int64_t position, uint32_t count, uint8_t* destination);
  void DecodeAdpcmUnit(const uint8_t* chunk, uint32_t index, uint8_t* out);
  uint32_t ReadAc3(const Chain& chain, int64_t position, uint32_t count, uint8_t* destination);
  // Converts the frames at the source position into decoded_; false at the end of the stream
  // or when the conversion fails.
  bool ConvertAc3(const Chain& chain);
  // Forgets decoded output not handed out yet, here and in the codec: after a jump it belongs
  // to another position.
  void DropPendingAc3();
  uint32_t ReadAcm(const Chain& chain, int64_t position, uint32_t count, uint8_t* destination);

  const riff::WaveFormat& In() const { return *reinterpret_cast<const riff::WaveFormat*>(input_.data()); }
  const riff::WaveFormat& Out() const { return *reinterpret_cast<const riff::WaveFormat*>(output_.data()); }

  std::vector<uint8_t> input_;
  std::vector<uint8_t> output_;
  int64_t position_ = 0;
  std::vector<uint8_t> scratch_;

  // The compression layer path.
  std::unique_ptr<platform::acm::Stream> acm_;
  platform::acm::StreamHeader header_;
  std::vector<uint8_t> source_;
  std::vector<uint8_t> decoded_;
  uint32_t decodedSize_ = 0;
  // Decoded bytes at the start of decoded_ not handed out yet.
  uint32_t waiting_ = 0;
  int64_t sourcePosition_ = 0;
  uint32_t convertFlags_ = 0;
  // One frame of source by the stream's byte rate.
  uint32_t ac3FrameBytes_ = 0;
  Ac3GainTable gain_;

  // The ADPCM paths.
  AdpcmLayout layout_{};
  AdpcmHistory history_[2];
  // The decoded tail of the last unit a read ended in, and the output position it starts at.
  std::vector<uint8_t> carry_;
  uint32_t carryOffset_ = 0;
  uint32_t carryCount_ = 0;
  int64_t carryPosition_ = 0;
  std::vector<uint8_t> unit_;
};

}  // namespace audio
