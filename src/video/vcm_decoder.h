#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "avi/movie.h"
#include "common/lock.h"
#include "platform/codec/codec.h"
#include "scale/normal_quality_converter.h"
#include "video/video_decoder.h"

namespace video {

// The decoder over the codec layer: negotiates the codec's output (YV12, YUY2, 32-bit RGB,
// 24-bit RGB, in that order), seeks by decoding forward from the nearest key frame, and hands
// out raw YV12 planes or 32-bit pictures converted through the colour kernels.
//
// Pictures are matched to frames by the frame the codec stamps them with, never by counting:
// the codec is fed past f until f's picture, or a later one, comes out. So B-frame streams show
// every picture once and in order, and a frame whose picture never comes (an empty packet, a
// damaged one) shows the picture before it. A frame shown before its key frame's own picture
// (a B-frame of an open group) is decoded from the key frame before.
//
// Failures that the results only hint at are also said on stderr, one line each, naming the
// file and the reason.
class VCMDecoder final : public VideoDecoder {
 public:
  // Largest packet read; longer ones are cut (the codec sees a damaged packet).
  static constexpr uint32_t kMaxPacketBytes = 64u << 20;
  // Packets fed past a frame while waiting for its picture: a reorder depth of 16 and FFmpeg's
  // frame threads, with room to spare. A frame whose picture does not come within them has none.
  static constexpr int64_t kMaxLookahead = 64;
  // Decoding failures said on stderr per decoder; a damaged file does not flood it.
  static constexpr int kMaxReportedFailures = 10;

  // `frameProcessor` (may be null: the standard kernel stands in) converts for quality 0,
  // under `frameProcessorLock` when one is given. Both, and the Movie, outlive the decoder.
  VCMDecoder(const avi::Movie& movie, scale::NormalQualityConverter* frameProcessor,
             common::Lock* frameProcessorLock = nullptr,
             platform::codec::Registry& registry = platform::codec::SystemRegistry());
  ~VCMDecoder() override;
  VCMDecoder(const VCMDecoder&) = delete;
  VCMDecoder& operator=(const VCMDecoder&) = delete;

  int32_t Kind() const override { return kind_; }
  int32_t DecodeFirst() override;
  int32_t DecodeNext() override;
  int32_t DecodeTimed(int32_t frame) override;
  int32_t DecodeFirstTo(uint8_t* destination) override;
  int32_t DecodeToRgb(int32_t frame, uint8_t* destination) override;
  int32_t DecodeConverted(int32_t frame, uint8_t* destination, ptrdiff_t pitch, int32_t ycOffset, bool dcc,
                          int32_t mode) override;
  int32_t GetOutputInfo(DecodedPicture* record) const override;

  void SetFrameCallback(FrameCallback callback, void* user) {
    callback_ = callback;
    callbackUser_ = user;
  }
  // Bytes of one delivered picture: the YV12 planes for kind 4, else 4 × width × height.
  size_t OutputSize() const;
  // Decodes frame into destination (OutputSize bytes) as the frame ring keeps it: YV12 planes
  // for kinds 4 and 6, else 32-bit BGRX of 4 × width bytes a row. readMs and decodeMs (may be
  // null) receive the milliseconds spent reading and decompressing the last packet.
  int32_t DecodeForPlayback(int32_t frame, uint8_t* destination, DecodedPicture* record, int32_t* readMs,
                            int32_t* decodeMs);

  int32_t Width() const { return width_; }
  int32_t Height() const { return height_; }
  double DecodeSeconds() const { return decodeSeconds_; }
  int64_t DecodedPackets() const { return decodedPackets_; }
  // Decompressions that failed; the picture stayed as the codec left it.
  int64_t FailedDecompressions() const { return failedDecompressions_; }
  int32_t LastDecoded() const { return static_cast<int32_t>(lastDecoded_); }
  bool FieldPairs() const { return fieldPairs_; }
  bool StackedFields() const { return stackedFields_; }

 private:
  // Timings of one seek: the last packet's read and decompression, the sum of decompressions.
  struct SeekTimes {
    int64_t readTicks = 0;
    int64_t decodeTicks = 0;
    int64_t totalDecodeTicks = 0;
  };

  // Opening.
  void Open(platform::codec::Registry& registry);
  void InspectFirstKeyFrame();
  bool Negotiate();
  bool TryOutput(uint32_t compression, uint16_t bits);
  void ApplyFieldMode();
  void AllocateBuffers();

  // Seeking: 0 decoded, 1 out of range or unusable, 2 nothing decoded. codecError tells
  // whether a decompression failed on the way. Pictures go to target (buffer A when null):
  // the playback path takes them straight into the caller's buffer.
  int32_t Seek(int64_t frame, SeekTimes* times, bool* codecError, uint8_t* target = nullptr);
  int32_t DecodeUpTo(int64_t frame, SeekTimes* times, bool* codecError);
  int64_t KeyFrameAtOrBefore(int64_t frame) const;
  void RestartAt(int64_t keyFrame);
  // Reads packet fedThrough_ + 1 and hands it to the codec, empty or not.
  void Feed(SeekTimes* times, bool* codecError);
  void Drain(SeekTimes* times, bool* codecError);
  // Writes the codec's next picture, which shows at `frame`, to target_.
  void Take(int64_t frame, bool* codecError);
  void CodecFailed(int64_t frame, bool* codecError);
  uint32_t ReadPacket(int64_t frame, uint8_t* buffer, uint32_t capacity) const;
  void Notify(int32_t event) const;
  // One line on stderr naming the file; decoding failures only up to kMaxReportedFailures.
  void Report(const std::string& reason) const;
  void ReportDecoding(int64_t frame, const std::string& reason);

  // The single-picture slots: a codec error that cost the frame its own picture makes them fail.
  int32_t DecodeSingle(int64_t frame, bool timed);

  // Output.
  int32_t FieldOf(int64_t frame) const;
  bool WriteRgb(uint8_t* destination, ptrdiff_t pitch);
  void ConvertRgbSource(uint8_t* destination, ptrdiff_t pitch, int32_t ycOffset, bool dcc, int32_t mode,
                        bool playback);
  void ConvertYv12(const uint8_t* source, uint8_t* destination, ptrdiff_t pitch, int32_t ycOffset, bool dcc,
                   int32_t mode, int32_t field);
  bool ConvertNormal(const uint8_t* source, uint8_t* destination, ptrdiff_t pitch, int32_t field);
  // The packed 4:2:2 picture in buffer A, whole, to 32-bit RGB.
  bool ConvertYuy2Picture(uint8_t* destination, ptrdiff_t pitch) const;

  std::unique_ptr<platform::codec::Codec> codec_;
  int32_t kind_ = kKindUnusable;
  std::vector<uint8_t> outputFormat_;
  std::vector<uint8_t> inputFormat_;
  // A: the codec's output (the packet itself for kinds 5 and 6); B: the top-down 32-bit copy
  // of RGB output (kinds 1, 7); C: the intermediate Y'CbCr picture (kinds 1, 7). The packet
  // read from the file has its own buffer, sized for the stream's largest packet.
  std::vector<uint8_t> bufferA_;
  std::vector<uint8_t> bufferB_;
  std::vector<uint8_t> bufferC_;
  std::vector<uint8_t> packet_;
  // The frame last decoded (-1 after open), the last packet fed, and the key frame the codec
  // last restarted at.
  int64_t lastDecoded_ = -1;
  int64_t fedThrough_ = -1;
  int64_t restartKey_ = -1;
  // The frame the current picture shows at, -1 before the first.
  int64_t pictureFrame_ = -1;
  bool drained_ = false;
  // Nothing was fed since the codec began or restarted, so a restart has nothing to undo.
  bool codecFresh_ = true;
  // Where the codec writes during a seek, and what the last seek wrote there.
  enum class WriteState { kNone, kWritten, kCodecError };
  uint8_t* target_ = nullptr;
  WriteState lastWrite_ = WriteState::kNone;
  // The current picture went to a caller's buffer, so buffer A holds an older one.
  bool pictureElsewhere_ = false;
  bool hasPicture_ = false;
  double decodeSeconds_ = 0.0;
  int64_t decodedPackets_ = 0;
  int64_t failedDecompressions_ = 0;
  FrameCallback callback_ = nullptr;
  void* callbackUser_ = nullptr;
  bool fieldPairs_ = false;
  bool bottomFieldFirst_ = false;
  std::vector<uint8_t> fieldBuffer_;
  int64_t fieldBufferFrame_ = -1;
  bool stackedFields_ = false;
  // For the frame processor when the width is not a multiple of 4: the planes padded to its
  // row stride, and rows of its output width when the destination's pitch is narrower.
  std::vector<uint8_t> paddedPicture_;
  std::vector<uint8_t> wideRows_;
  scale::NormalQualityConverter* frameProcessor_;
  common::Lock* frameProcessorLock_;
  const avi::Movie& movie_;
  const avi::PacketTable* table_ = nullptr;
  uint32_t openedCode_ = 0;
  // The file's name for the failure lines.
  std::string name_;
  int reportedFailures_ = 0;
  int32_t width_ = 0;
  int32_t height_ = 0;
  int32_t fieldMode_ = 0;
};

}  // namespace video
