#include "fake_wave_out.h"

#include <memory>
#include <utility>

#include "riff/wave_format_extensible.h"

namespace audiotest {

namespace waveout = platform::waveout;

class FakeWaveOut::Device final : public waveout::Device {
 public:
  explicit Device(FakeWaveOut& out) : out_(out) {}
  ~Device() override {
    std::lock_guard<std::mutex> lock(out_.mutex_);
    out_.calls_.push_back("close");
    out_.open_ = false;
  }

  bool Write(const uint8_t* data, uint32_t bytes) override {
    std::lock_guard<std::mutex> lock(out_.mutex_);
    if (out_.lost_) return false;
    out_.written_.emplace_back(data, data + bytes);
    ++out_.unfinished_;
    return true;
  }
  void Pause() override { Call("pause"); }
  void Restart() override { Call("restart"); }
  void Reset() override {
    std::lock_guard<std::mutex> lock(out_.mutex_);
    out_.calls_.push_back("reset");
    for (; out_.unfinished_ > 0; --out_.unfinished_) out_.done_();
  }
  bool GetPosition(waveout::TimeKind wanted, waveout::Position* position) override {
    std::lock_guard<std::mutex> lock(out_.mutex_);
    if (out_.lost_) return false;
    *position = out_.position_;
    return true;
  }

 private:
  void Call(const char* name) {
    std::lock_guard<std::mutex> lock(out_.mutex_);
    out_.calls_.push_back(name);
  }

  FakeWaveOut& out_;
};

audio::DeviceFactory FakeWaveOut::Factory() {
  return [this](const riff::WaveFormat* format,
                waveout::DoneCallback done) -> std::unique_ptr<waveout::Device> {
    std::lock_guard<std::mutex> lock(mutex_);
    if (refuse_) return nullptr;
    const size_t size = format->formatTag == riff::kWaveFormatExtensible ? sizeof(riff::WaveFormatExtensible)
                                                                         : sizeof *format;
    format_.assign(reinterpret_cast<const uint8_t*>(format), reinterpret_cast<const uint8_t*>(format) + size);
    calls_.push_back("open");
    written_.clear();
    unfinished_ = 0;
    done_ = std::move(done);
    open_ = true;
    return std::make_unique<Device>(*this);
  };
}

std::vector<std::string> FakeWaveOut::Calls() {
  std::lock_guard<std::mutex> lock(mutex_);
  return calls_;
}

std::vector<uint8_t> FakeWaveOut::OpenedFormat() {
  std::lock_guard<std::mutex> lock(mutex_);
  return format_;
}

std::vector<std::vector<uint8_t>> FakeWaveOut::Written() {
  std::lock_guard<std::mutex> lock(mutex_);
  return written_;
}

void FakeWaveOut::RefuseOpen(bool refuse) {
  std::lock_guard<std::mutex> lock(mutex_);
  refuse_ = refuse;
}

void FakeWaveOut::Finish(int count) {
  std::lock_guard<std::mutex> lock(mutex_);
  for (; open_ && count > 0 && unfinished_ > 0; --count, --unfinished_) done_();
}

void FakeWaveOut::SetPosition(const waveout::Position& position) {
  std::lock_guard<std::mutex> lock(mutex_);
  position_ = position;
}

void FakeWaveOut::Lose(bool lost) {
  std::lock_guard<std::mutex> lock(mutex_);
  lost_ = lost;
}

}  // namespace audiotest
