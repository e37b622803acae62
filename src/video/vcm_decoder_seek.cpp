#include <algorithm>

#include "avi/packet_entry.h"
#include "platform/system/system.h"
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

void VCMDecoder::RestartAt(int64_t keyFrame) {
  if (!codecFresh_) codec_->Restart();
  codecFresh_ = true;
  owed_.clear();
  drained_ = false;
  lastDecoded_ = keyFrame - 1;
  fedThrough_ = keyFrame - 1;
}

bool VCMDecoder::Feed(SeekTimes* times, int32_t* result) {
  const int64_t index = fedThrough_ + 1;
  const int64_t readStart = Now();
  const uint32_t bytes = ReadPacket(index, packet_.data(), static_cast<uint32_t>(packet_.size()));
  fedThrough_ = index;
  if (bytes == 0) return false;
  times->readTicks = Now() - readStart;
  const bool key = (table_->Size(static_cast<size_t>(index)) & avi::kNotKeyFrame) == 0;
  reinterpret_cast<riff::BitmapInfoHeader*>(inputFormat_.data())->sizeImage = bytes;
  owed_.push_back(index);
  codecFresh_ = false;
  const int64_t decodeStart = Now();
  *result = codec_->Decompress(key ? 0 : platform::codec::kNotKeyFrame, packet_.data(), bytes, target_);
  times->decodeTicks = Now() - decodeStart;
  times->totalDecodeTicks += times->decodeTicks;
  ++decodedPackets_;
  if (key) Notify(kEventKeyFrame);
  return true;
}

int32_t VCMDecoder::Drain(SeekTimes* times) {
  drained_ = true;
  const int64_t start = Now();
  const int32_t result = codec_->Drain(target_);
  times->decodeTicks = Now() - start;
  times->totalDecodeTicks += times->decodeTicks;
  return result;
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
  // A key frame just after the last picture needs no restart: the codec is already there.
  // When the last picture went to a caller's buffer instead of A, A is decoded again.
  const bool intoA = target == nullptr;
  if (frame < lastDecoded_ || key - 1 > lastDecoded_ || (intoA && pictureElsewhere_)) {
    RestartAt(key);
  }
  target_ = intoA ? bufferA_.data() : target;
  const int32_t result = DecodeUpTo(frame, times, codecError);
  if (lastWrite_ == WriteState::kWritten) pictureElsewhere_ = !intoA;
  return result;
}

int32_t VCMDecoder::DecodeUpTo(int64_t frame, SeekTimes* times, bool* codecError) {
  lastWrite_ = WriteState::kNone;
  const int64_t count = static_cast<int64_t>(table_->Count());
  int32_t result = kNothingDecoded;
  while (lastDecoded_ < frame) {
    const int64_t next = lastDecoded_ + 1;
    const bool owedNext = !owed_.empty() && owed_.front() == next;
    if (!owedNext && next <= fedThrough_) {
      lastDecoded_ = next;  // an empty packet: the previous picture stands
      continue;
    }
    int32_t decoded = platform::codec::kNoPicture;
    if (fedThrough_ + 1 < count && !drained_) {
      if (!Feed(times, &decoded)) continue;
    } else {
      decoded = Drain(times);
    }
    if (decoded == platform::codec::kNoPicture) {
      if (!drained_) continue;
      // The codec has nothing left for this packet: it lost the picture.
      lastDecoded_ = owed_.front();
      owed_.pop_front();
      continue;
    }
    lastDecoded_ = owed_.front();
    owed_.pop_front();
    result = kDecoded;
    if (decoded == platform::codec::kOk) {
      hasPicture_ = true;
      lastWrite_ = WriteState::kWritten;
    } else {
      *codecError = true;
      ++failedDecompressions_;
      if (lastWrite_ == WriteState::kNone) lastWrite_ = WriteState::kCodecError;
    }
  }
  return result;
}

}  // namespace video
