#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "audio/ac3_gain_table.h"
#include "audio/packet_timeline.h"
#include "audio/wide_sample.h"
#include "avi/audio_filter.h"
#include "platform/acm/packet_stream.h"
#include "platform/acm/stream.h"
#include "platform/acm/stream_header.h"
#include "riff/wave_format.h"

namespace audio {

inline constexpr uint16_t kWaveFormatAc3 = 0x2000;
inline constexpr uint16_t kWaveFormatStepAdpcm = 0x2080;
inline constexpr uint16_t kWaveFormatFilterAdpcm = 0x2081;
inline constexpr uint16_t kWaveFormatXaAdpcm = 0x2082;

// The decoding stage of an audio stream: linear PCM and three ADPCM formats to 64-bit
// samples, AC-3 frame by frame, codecs that need the container's packets packet by packet and
// everything else through the audio compression layer. A format it refuses, and the first
// failure while decoding, are reported on stderr under the stream's name.
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
  bool OutputLength(uint64_t* bytes) const override;

 private:
  // Where the chain below is reached during one read.
  struct Chain {
    int stage;
    avi::ChainCallback callback;
    avi::AudioStream* stream;
    uint32_t Read(int64_t position, uint32_t count, uint8_t* destination) const;
    uint64_t TotalLength() const;
    // The source position for `position`; `start` receives the output position decoding from
    // there starts at.
    int64_t SourcePosition(int64_t position, int64_t* start) const;
    // Packet `index` whole into `packet`; the bytes read, or -1 past the last packet.
    int64_t ReadPacket(size_t index, std::vector<uint8_t>* packet) const;
  };
  // How an ADPCM format lays out its units: the runs of source bytes that decode on their own
  // given the predictor, one or more to a chunk of source bytes.
  struct AdpcmLayout {
    uint32_t chunkBytes;
    uint32_t unitsPerChunk;
    uint32_t unitOutput;
  };

  // Reads up to `count` bytes of one packet from its start into `destination`, giving the
  // packet's size in `size`; the bytes read, or -1 when there is no such packet.
  using PacketReader = std::function<int64_t(uint32_t count, uint8_t* destination, uint32_t* size)>;
  // One packet whole through `read` into `packet`, which grows to fit up to a bound; the bytes
  // read, or -1.
  static int64_t ReadWholePacket(const PacketReader& read, std::vector<uint8_t>* packet);

  // The builders say in `why` what they refused.
  bool BuildWideOutput(std::string* why);
  bool SuggestOutput(std::string* why);
  bool OpenAcm(const avi::AudioStream& stream, std::string* why);
  bool OpenPackets(const avi::AudioStream& stream, std::string* why);
  void CloseAcm();
  // "audio format 0x00ff (AAC)", the start of every report.
  std::string Label() const;
  // Reports the first failure while decoding; later ones would only repeat it.
  void ReportOnce(const std::string& reason);

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
  // Hands out the decoded bytes waiting at the start of decoded_: drops `*skip` of them first,
  // then copies up to `room`. Returns the bytes copied.
  uint32_t HandOut(uint64_t* skip, uint8_t* destination, uint32_t room);

  uint32_t ReadPackets(const Chain& chain, int64_t position, uint32_t count, uint8_t* destination);
  // Starts decoding at the packet that holds `position`, after the packets before it that the
  // codec needs to get its first samples right.
  void SeekPackets(const Chain& chain, int64_t position);
  // Decodes packet `index` into pending_, made exactly as long as the timeline says.
  void DecodePacket(const Chain& chain, size_t index);

  const riff::WaveFormat& In() const { return *reinterpret_cast<const riff::WaveFormat*>(input_.data()); }
  const riff::WaveFormat& Out() const { return *reinterpret_cast<const riff::WaveFormat*>(output_.data()); }

  std::vector<uint8_t> input_;
  std::vector<uint8_t> output_;
  // The codec's tag, an extensible format's sub-format tag: it picks the AC-3 reader and the
  // byte rate MPEG audio frames give.
  uint16_t tag_ = 0;
  std::string codecName_;
  std::string streamName_;
  bool reported_ = false;
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
  // Decoded bytes before the position asked for, where decoding had to start before it.
  uint64_t skip_ = 0;
  uint32_t convertFlags_ = 0;
  // One frame of source by the stream's byte rate.
  uint32_t ac3FrameBytes_ = 0;
  Ac3GainTable gain_;

  // The packet path.
  std::unique_ptr<platform::acm::PacketStream> packets_;
  PacketTimeline timeline_;
  // The next packet to decode; none before the first read.
  size_t nextPacket_ = 0;
  bool positioned_ = false;
  std::vector<uint8_t> packet_;
  std::vector<uint8_t> pending_;
  size_t pendingOffset_ = 0;

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
