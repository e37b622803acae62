#include <gtest/gtest.h>
#include <stdlib.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

#include "support/temp_dir.h"
#include "platform/waveout/device.h"
#include "support/wait_until.h"

namespace platform::waveout {
namespace {

using testsupport::WaitUntil;

// Chooses the output for the devices a test opens, and puts the choice back afterwards.
class AudioChoice {
 public:
  AudioChoice(const char* audio, const std::string& capture) {
    Set("VISTREL_AUDIO", audio);
    Set("VISTREL_AUDIO_CAPTURE", capture.empty() ? nullptr : capture.c_str());
  }
  ~AudioChoice() {
    unsetenv("VISTREL_AUDIO");
    unsetenv("VISTREL_AUDIO_CAPTURE");
  }

 private:
  static void Set(const char* name, const char* value) {
    if (value) {
      setenv(name, value, 1);
    } else {
      unsetenv(name);
    }
  }
};

const riff::WaveFormat kMono{riff::kWaveFormatPcm, 1, 8000, 16000, 2, 16, 0};

std::vector<uint8_t> Noise(size_t bytes, uint32_t seed) {
  std::vector<uint8_t> data(bytes);
  for (uint8_t& byte : data) byte = static_cast<uint8_t>((seed = seed * 1103515245 + 12345) >> 16);
  return data;
}

std::vector<uint8_t> ReadFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

uint32_t Field32(const std::vector<uint8_t>& bytes, size_t offset) {
  uint32_t value = 0;
  std::memcpy(&value, bytes.data() + offset, 4);
  return value;
}

// A virtual device capturing into a fresh file, counting its reports.
class VirtualDevice : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(device); }

  testsupport::TempDir dir;
  const std::string path = dir.File("played.wav");
  const AudioChoice choice{"virtual", path};
  std::atomic<int> done{0};
  std::unique_ptr<Device> device =
      OpenDevice(&kMono, [this] { done.fetch_add(1, std::memory_order_relaxed); });
};

TEST_F(VirtualDevice, CapturesExactlyWhatWasWrittenAsAWavFile) {
  // Five 40 ms buffers.
  std::vector<std::vector<uint8_t>> buffers;
  std::vector<uint8_t> all;
  for (uint32_t i = 0; i < 5; ++i) {
    buffers.push_back(Noise(640, i + 1));
    all.insert(all.end(), buffers.back().begin(), buffers.back().end());
  }
  for (const auto& buffer : buffers) ASSERT_TRUE(device->Write(buffer.data(), 640));
  ASSERT_TRUE(WaitUntil([&] { return done == 5; }));
  Position position;
  ASSERT_TRUE(device->GetPosition(TimeKind::kBytes, &position));
  EXPECT_EQ(position.value, all.size());
  device->Reset();
  device.reset();

  const std::vector<uint8_t> wav = ReadFile(path);
  ASSERT_EQ(wav.size(), 44 + all.size());
  EXPECT_EQ(std::memcmp(wav.data(), "RIFF", 4), 0);
  EXPECT_EQ(Field32(wav, 4), wav.size() - 8);
  EXPECT_EQ(std::memcmp(wav.data() + 8, "WAVEfmt ", 8), 0);
  EXPECT_EQ(std::memcmp(wav.data() + 20, &kMono, 16), 0);
  EXPECT_EQ(std::memcmp(wav.data() + 36, "data", 4), 0);
  EXPECT_EQ(Field32(wav, 40), all.size());
  EXPECT_TRUE(std::equal(all.begin(), all.end(), wav.begin() + 44));

  // A later device of the same layout in this process continues the file.
  const std::vector<uint8_t> more = Noise(320, 9);
  device = OpenDevice(&kMono, [this] { done.fetch_add(1, std::memory_order_relaxed); });
  ASSERT_TRUE(device);
  ASSERT_TRUE(device->Write(more.data(), 320));
  ASSERT_TRUE(WaitUntil([&] { return done == 6; }));
  device->Reset();
  device.reset();
  const std::vector<uint8_t> continued = ReadFile(path);
  ASSERT_EQ(continued.size(), wav.size() + more.size());
  EXPECT_EQ(Field32(continued, 40), all.size() + more.size());
  EXPECT_TRUE(std::equal(more.begin(), more.end(), continued.begin() + static_cast<ptrdiff_t>(wav.size())));
}

TEST_F(VirtualDevice, PauseHoldsAndResetDropsWhatWasNotPlayed) {
  const std::vector<uint8_t> data = Noise(16000, 7);  // one second
  ASSERT_TRUE(device->Write(data.data(), static_cast<uint32_t>(data.size())));

  Position position;
  ASSERT_TRUE(WaitUntil([&] { return device->GetPosition(TimeKind::kMs, &position) && position.value > 0; }));
  device->Pause();
  ASSERT_TRUE(device->GetPosition(TimeKind::kSamples, &position));
  const uint64_t held = position.value;
  std::this_thread::sleep_for(std::chrono::milliseconds(30));
  ASSERT_TRUE(device->GetPosition(TimeKind::kSamples, &position));
  EXPECT_EQ(position.value, held);

  device->Restart();
  ASSERT_TRUE(
      WaitUntil([&] { return device->GetPosition(TimeKind::kSamples, &position) && position.value > held; }));
  device->Reset();
  EXPECT_EQ(done, 1);
  ASSERT_TRUE(device->GetPosition(TimeKind::kSamples, &position));
  EXPECT_EQ(position.value, 0u);
  device.reset();

  // The capture is what was heard up to the reset: a whole-sample start of the data.
  const std::vector<uint8_t> wav = ReadFile(path);
  ASSERT_GT(wav.size(), 44u);
  const size_t played = wav.size() - 44;
  EXPECT_LT(played, data.size());
  EXPECT_EQ(played % 2, 0u);
  EXPECT_TRUE(std::equal(wav.begin() + 44, wav.end(), data.begin()));
}

TEST(VirtualDeviceFormat, RefusesFormatsItCannotPlay) {
  const AudioChoice choice("virtual", "");
  riff::WaveFormat format = kMono;
  format.formatTag = 0x2000;
  EXPECT_FALSE(OpenDevice(&format, [] {}));
}

TEST(AlsaDevice, AMachineWithoutSoundHasNoDefaultDevice) {
  if (std::filesystem::exists("/proc/asound/cards")) GTEST_SKIP() << "this machine has sound cards";
  const AudioChoice choice(nullptr, "");
  EXPECT_FALSE(OpenDevice(&kMono, [] {}));
}

}  // namespace
}  // namespace platform::waveout
