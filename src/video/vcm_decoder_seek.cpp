#include <algorithm>

#include "avi/packet_entry.h"
#include "common/format.h"
#include "common/log.h"
#include "platform/system/system.h"
#include "riff/fourcc.h"
#include "video/vcm_decoder.h"

namespace video {

namespace {

int64_t Now() { return platform::system::PerformanceCounter(); }

}  // namespace

uint32_t VCMDecoder::ReadPacket(int64_t frame, uint8_t* buffer, uint32_t capacity) const {
  const size_t index = static_cast<size_t>(frame);
  const uint32_t size = std::min(table_->Size(index) & ~avi::kNotKeyFrame, capacity);
  if (size == 0) return 0;
  return table_->View().Read((*table_)[index].offset, size, buffer);
}

int64_t VCMDecoder::KeyFrameAtOrBefore(int64_t frame) const {
  for (int64_t i = frame; i >= 0; --i) {
    if ((table_->Size(static_cast<size_t>(i)) & avi::kNotKeyFrame) == 0) return i;
  }
  return 0;
}

void VCMDecoder::Notify(int32_t event) const {
  if (callback_ != nullptr) callback_(callbackUser_, event, 0, 0);
}

void VCMDecoder::Report(const std::string& reason) const { common::LogFailure(name_, reason); }

void VCMDecoder::ReportDecoding(int64_t frame, const std::string& reason) {
  if (reportedFailures_ >= kMaxReportedFailures) return;
  ++reportedFailures_;
  const char* more = reportedFailures_ == kMaxReportedFailures ? " (further failures are not reported)" : "";
  Report(common::Format("frame %lld: %s%s", static_cast<long long>(frame), reason.c_str(), more));
}

void VCMDecoder::RestartAt(int64_t keyFrame) {
  if (!codecFresh_) codec_->Restart();
  codecFresh_ = true;
  drained_ = false;
  lastDecoded_ = keyFrame - 1;
  fedThrough_ = keyFrame - 1;
  restartKey_ = keyFrame;
  pictureFrame_ = -1;
}

void VCMDecoder::CodecFailed(int64_t frame, bool* codecError) {
  *codecError = true;
  ++failedDecompressions_;
  ReportDecoding(frame, "codec '" + riff::FourccText(openedCode_) + "': " + codec_->Failure());
}

void VCMDecoder::Feed(SeekTimes* times, bool* codecError) {
  const int64_t index = fedThrough_ + 1;
  fedThrough_ = index;
  const uint32_t entry = table_->Size(static_cast<size_t>(index));
  const uint32_t stored = entry & ~avi::kNotKeyFrame;
  const int64_t readStart = Now();
  const uint32_t bytes = ReadPacket(index, packet_.data(), static_cast<uint32_t>(packet_.size()));
  if (stored > packet_.size()) {
    ReportDecoding(index, common::Format("a packet of %u bytes is cut to %zu", stored, packet_.size()));
  } else if (bytes < stored) {
    ReportDecoding(index, common::Format("only %u of the packet's %u bytes could be read", bytes, stored));
  }
  const bool key = (entry & avi::kNotKeyFrame) == 0;
  if (bytes > 0) {
    times->readTicks = Now() - readStart;
    reinterpret_cast<riff::BitmapInfoHeader*>(inputFormat_.data())->sizeImage = bytes;
    codecFresh_ = false;
    ++decodedPackets_;
  }
  // Empty packets go to the codec too: in a packed stream they stand for a held picture.
  const int64_t decodeStart = Now();
  const int32_t result =
      codec_->Decompress(key ? 0 : platform::codec::kNotKeyFrame, packet_.data(), bytes, index);
  if (bytes > 0) {
    times->decodeTicks = Now() - decodeStart;
    times->totalDecodeTicks += times->decodeTicks;
    if (key) Notify(kEventKeyFrame);
  }
  if (result < 0) CodecFailed(index, codecError);
}

void VCMDecoder::Drain(SeekTimes* times, bool* codecError) {
  drained_ = true;
  const int64_t start = Now();
  const int32_t result = codec_->Drain();
  times->decodeTicks = Now() - start;
  times->totalDecodeTicks += times->decodeTicks;
  if (result < 0) CodecFailed(fedThrough_, codecError);
}

void VCMDecoder::Take(int64_t frame, bool* codecError) {
  if (codec_->TakePicture(target_) == platform::codec::kOk) {
    hasPicture_ = true;
    pictureFrame_ = frame;
    lastWrite_ = WriteState::kWritten;
    return;
  }
  CodecFailed(frame, codecError);
  if (lastWrite_ == WriteState::kNone) lastWrite_ = WriteState::kCodecError;
}

int32_t VCMDecoder::Seek(int64_t frame, SeekTimes* times, bool* codecError, uint8_t* target) {
  *codecError = false;
  if (kind_ == kKindUnusable || frame < 0 || frame >= static_cast<int64_t>(table_->Count())) return kFailed;

  if (kind_ == kKindDib || kind_ == kKindRawYv12) {
    if (bufferA_.empty()) return kFailed;
    const int64_t start = Now();
    const uint32_t bytes = ReadPacket(frame, target != nullptr ? target : bufferA_.data(),
                                      static_cast<uint32_t>(bufferA_.size()));
    lastDecoded_ = frame;
    if (bytes == 0) return kNothingDecoded;
    times->readTicks = Now() - start;
    hasPicture_ = true;
    return kDecoded;
  }

  const int64_t key = KeyFrameAtOrBefore(frame);
  // A key frame the codec has already been fed needs no restart: continuing is never slower.
  // When the last picture went to a caller's buffer instead of A, A is decoded again.
  const bool intoA = target == nullptr;
  const bool restart = frame < lastDecoded_ || key > fedThrough_ + 1 || (intoA && pictureElsewhere_);
  if (restart) RestartAt(key);
  target_ = intoA ? bufferA_.data() : target;
  int32_t result = DecodeUpTo(frame, times, codecError);
  // No picture up to the frame since the restart: the frame shows before its key frame's own
  // picture, and its references are in the group before.
  if (restart && lastWrite_ == WriteState::kNone && restartKey_ > 0) {
    RestartAt(KeyFrameAtOrBefore(restartKey_ - 1));
    result = DecodeUpTo(frame, times, codecError);
  }
  if (lastWrite_ == WriteState::kWritten) pictureElsewhere_ = !intoA;
  return result;
}

int32_t VCMDecoder::DecodeUpTo(int64_t frame, SeekTimes* times, bool* codecError) {
  lastWrite_ = WriteState::kNone;
  if (frame <= lastDecoded_) return kNothingDecoded;
  const int64_t count = static_cast<int64_t>(table_->Count());
  bool failed = false;
  for (;;) {
    int64_t shownAt = 0;
    if (codec_->NextPicture(&shownAt)) {
      if (shownAt > frame) break;  // the frame has no picture of its own; the last one stands
      Take(shownAt, &failed);
      if (shownAt == frame) break;
    } else if (fedThrough_ + 1 < count && fedThrough_ - frame < kMaxLookahead) {
      Feed(times, &failed);
    } else if (fedThrough_ + 1 == count && !drained_) {
      Drain(times, &failed);
    } else {
      break;
    }
  }
  lastDecoded_ = frame;
  *codecError = *codecError || failed;
  // A failed decompression counts as decoded: the picture is whatever the codec left.
  return lastWrite_ != WriteState::kNone || failed ? kDecoded : kNothingDecoded;
}

}  // namespace video
