#include "support/fake_codec_registry.h"

#include <algorithm>
#include <cstring>
#include <deque>
#include <optional>
#include <string>

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
    if (header != nullptr && header->compression == wanted) return true;
    failure_ = "not the fake codec's format";
    return false;
  }

  uint32_t FormatSize(Format) override { return sizeof(riff::BitmapInfoHeader); }

  bool NeedsInspection(Format) override { return true; }

  void Inspect(Format, const uint8_t* data, uint32_t size) override {
    if (data != nullptr && size > 0) log_->inspected.push_back(data[0]);
  }

  int32_t Begin(Format input, Format output) override {
    const riff::BitmapInfoHeader* out = HeaderOf(output);
    if (out == nullptr || !Query(input)) return kBadFormat;
    const OutputKind kind = KindOf(*out);
    log_->asked.push_back(kind);
    int32_t width = 0;
    int32_t height = 0;
    if (std::find(traits_.outputs.begin(), traits_.outputs.end(), kind) == traits_.outputs.end() ||
        !PictureSize(*out, &width, &height)) {
      failure_ = "the fake codec refuses this output";
      return kBadFormat;
    }
    bytes_ = PictureBytes(kind, width, height);
    Forget();
    failure_.clear();
    return kOk;
  }

  int32_t Decompress(uint32_t flags, const uint8_t* data, uint32_t size, int64_t frame) override {
    if (bytes_ == 0) return kError;
    if (data == nullptr || size == 0) return kOk;
    const bool key = (flags & kNotKeyFrame) == 0;
    log_->fed.push_back(data[0]);
    log_->fedKey.push_back(key);
    lastFed_ = frame;
    if (!firstTag_) {
      if (!key) ++log_->startsWithoutKey;
      firstTag_ = data[0];
    }
    if (data[0] == FakeRegistry::kFailByte) {
      failure_ = "the fake codec cannot decode this packet";
      return kError;
    }
    if (data[0] < *firstTag_) {
      ++log_->leadingDropped;
      return kOk;
    }
    held_.push_back(data[0]);
    if (held_.size() > static_cast<size_t>(traits_.reorderDepth)) Release(frame - traits_.reorderDepth);
    return kOk;
  }

  bool NextPicture(int64_t* frame) override {
    if (ready_.empty()) return false;
    *frame = ready_.front().second;
    return true;
  }

  int32_t TakePicture(uint8_t* picture) override {
    if (ready_.empty()) return kNoPicture;
    std::memset(picture, ready_.front().first, bytes_);
    ready_.pop_front();
    return kOk;
  }

  int32_t Drain() override {
    while (!held_.empty()) Release(++lastFed_ - traits_.reorderDepth);
    return kOk;
  }

  void Restart() override {
    ++log_->restarts;
    Forget();
  }

  void End() override {
    ++log_->ends;
    bytes_ = 0;
  }

  std::string Failure() const override { return failure_; }

 private:
  void Forget() {
    held_.clear();
    ready_.clear();
    firstTag_.reset();
  }

  void Release(int64_t frame) {
    auto smallest = std::min_element(held_.begin(), held_.end());
    ready_.emplace_back(*smallest, frame);
    held_.erase(smallest);
  }

  FakeCodecTraits traits_;
  std::shared_ptr<FakeLog> log_;
  size_t bytes_ = 0;
  std::vector<uint8_t> held_;
  std::deque<std::pair<uint8_t, int64_t>> ready_;
  std::optional<uint8_t> firstTag_;
  int64_t lastFed_ = -1;
  std::string failure_;
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
