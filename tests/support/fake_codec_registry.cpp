#include "support/fake_codec_registry.h"

#include <algorithm>
#include <cstring>

namespace testsupport {

using namespace platform::codec;

namespace {

class FakeCodec final : public Codec {
 public:
  FakeCodec(FakeCodecTraits traits, std::shared_ptr<FakeLog> log)
      : traits_(std::move(traits)), log_(std::move(log)) {}
  ~FakeCodec() override { ++log_->closed; }

  bool Query(Format input) override {
    const riff::BitmapInfoHeader* header = HeaderOf(input);
    const uint32_t wanted = traits_.compression != 0 ? traits_.compression : traits_.handler;
    return header != nullptr && header->compression == wanted;
  }

  uint32_t FormatSize(Format) override { return sizeof(riff::BitmapInfoHeader); }

  int32_t Begin(Format input, Format output) override {
    const riff::BitmapInfoHeader* out = HeaderOf(output);
    if (out == nullptr || !Query(input)) return kBadFormat;
    const OutputKind kind = KindOf(*out);
    log_->asked.push_back(kind);
    if (std::find(traits_.outputs.begin(), traits_.outputs.end(), kind) == traits_.outputs.end())
      return kBadFormat;
    int32_t width = 0;
    int32_t height = 0;
    if (!PictureSize(*out, &width, &height)) return kBadFormat;
    bytes_ = PictureBytes(kind, width, height);
    held_.clear();
    started_ = false;
    return kOk;
  }

  int32_t Decompress(uint32_t flags, const uint8_t* data, uint32_t size, uint8_t* picture) override {
    if (bytes_ == 0) return kError;
    if (data != nullptr && size > 0) {
      const bool key = (flags & kNotKeyFrame) == 0;
      log_->fed.push_back(data[0]);
      log_->fedKey.push_back(key);
      if (!started_ && !key) ++log_->startsWithoutKey;
      started_ = true;
      if (data[0] == FakeRegistry::kFailByte) return kError;
      held_.push_back(data[0]);
      if (held_.size() <= static_cast<size_t>(traits_.reorderDepth)) return kNoPicture;
    }
    return Deliver(picture);
  }

  int32_t Drain(uint8_t* picture) override { return Deliver(picture); }

  void Restart() override {
    ++log_->restarts;
    held_.clear();
    started_ = false;
  }

  void End() override {
    ++log_->ends;
    bytes_ = 0;
  }

 private:
  int32_t Deliver(uint8_t* picture) {
    if (held_.empty()) return kNoPicture;
    auto smallest = std::min_element(held_.begin(), held_.end());
    std::memset(picture, *smallest, bytes_);
    held_.erase(smallest);
    return kOk;
  }

  FakeCodecTraits traits_;
  std::shared_ptr<FakeLog> log_;
  size_t bytes_ = 0;
  std::vector<uint8_t> held_;
  bool started_ = false;
};

}  // namespace

std::unique_ptr<Codec> FakeRegistry::Open(uint32_t handler) {
  log_->opened.push_back(handler);
  for (const FakeCodecTraits& traits : codecs_) {
    if (traits.handler == handler) return std::make_unique<FakeCodec>(traits, log_);
  }
  return nullptr;
}

}  // namespace testsupport
