#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "audio/wave_out_renderer.h"
#include "platform/waveout/device.h"

namespace audiotest {

// A sound output driven by hand: it keeps what the renderer did, finishes buffers when the
// test says so, and answers positions in whatever kind the test chose. Outlives the renderer.
class FakeWaveOut {
 public:
  FakeWaveOut() = default;
  FakeWaveOut(const FakeWaveOut&) = delete;
  FakeWaveOut& operator=(const FakeWaveOut&) = delete;

  // Opens devices over this output, or none while refusing.
  audio::DeviceFactory Factory();

  // The calls made, in order: "open", "pause", "restart", "reset", "close".
  std::vector<std::string> Calls();
  // The format of the last open, with its extensible tail when it has one.
  std::vector<uint8_t> OpenedFormat();
  // Every buffer written since the last open, as written.
  std::vector<std::vector<uint8_t>> Written();

  void RefuseOpen(bool refuse);
  // Reports the `count` oldest buffers done, as a device thread would.
  void Finish(int count);
  void SetPosition(const platform::waveout::Position& position);
  // Writes and positions fail from now on, as when a device is unplugged.
  void Lose(bool lost);

 private:
  class Device;

  std::mutex mutex_;
  bool refuse_ = false;
  bool lost_ = false;
  bool open_ = false;
  std::vector<std::string> calls_;
  std::vector<uint8_t> format_;
  std::vector<std::vector<uint8_t>> written_;
  int unfinished_ = 0;
  platform::waveout::DoneCallback done_;
  platform::waveout::Position position_;
};

}  // namespace audiotest
