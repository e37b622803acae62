#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "support/temp_dir.h"
#include "platform/ks/device_tree.h"
#include "platform/ks/event_group.h"
#include "platform/ks/hardware_pcm.h"
#include "platform/ks/properties.h"
#include "platform/ks/queued_pin.h"
#include "platform/ks/results.h"

namespace platform::ks {
namespace {

TEST(SystemDeviceTree, AMachineWithoutASoundCardHasNoRenderDevices) {
  if (std::filesystem::exists("/proc/asound/cards")) GTEST_SKIP() << "this machine has sound cards";
  std::vector<std::string> paths{"stale"};
  EXPECT_TRUE(SystemDeviceTree().Interfaces(kCategoryAudio, &paths));
  EXPECT_TRUE(paths.empty());
  int32_t error = kOk;
  EXPECT_EQ(SystemDeviceTree().Open("hw:0", &error), nullptr);
  EXPECT_NE(error, kOk);
  waveout::PcmLayout layout{2, 48000, 16, 16, 4, 0, false};
  EXPECT_EQ(OpenHardwarePcm("hw:0,0", layout, &error), nullptr);
  EXPECT_NE(error, kOk);
  EXPECT_TRUE(HardwareRanges("hw:0,0").empty());
}

// ALSA's file plugin over its null device takes any layout exactly and keeps every frame: the
// hardware PCM's own calls, without a sound card.
TEST(HardwarePcm, APinOverItWritesEveryFrameInItsExactLayout) {
  testsupport::TempDir dir;
  const std::string path = dir.File("pcm.raw");
  const std::string name = "file:'" + path + "',raw";
  const std::vector<AudioDataRange> ranges = HardwareRanges(name.c_str());
  ASSERT_FALSE(ranges.empty()) << "ALSA's file plugin is not available";
  for (const AudioDataRange& range : ranges) {
    EXPECT_TRUE(range.range.majorFormat == kFormatTypeAudio);
    EXPECT_EQ(range.minimumBitsPerSample, range.maximumBitsPerSample);
    EXPECT_LE(range.minimumSampleFrequency, 44100u);
    EXPECT_GE(range.maximumSampleFrequency, 48000u);
  }

  const waveout::PcmLayout layout{2, 44100, 16, 16, 4, 0, false};
  int32_t error = -1;
  auto pcm = OpenHardwarePcm(name.c_str(), layout, &error);
  ASSERT_NE(pcm, nullptr);
  EXPECT_EQ(error, kOk);
  std::vector<uint8_t> data(44100 * 4);
  for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>(i * 7 + i / 4096);
  {
    EventGroup events(1, false);  // outlives the pin, which sets it
    QueuedPin pin(std::move(pcm), layout);
    StreamHeader header{
        sizeof header, 0, 0, 1, 1, 0, static_cast<uint32_t>(data.size()), static_cast<uint32_t>(data.size()),
        data.data(),   0};
    WriteCompletion completion{&events, 0, kOk, 0};
    ASSERT_EQ(pin.Write(header, completion), kErrorIoPending);
    const Property run{kPropertySetConnection, kConnectionState, kPropertySet};
    uint32_t state = kStateRun;
    uint32_t returned = 0;
    ASSERT_EQ(pin.Property(&run, sizeof run, &state, sizeof state, &returned), kOk);
    ASSERT_EQ(events.WaitAny(20000), 0);
    EXPECT_EQ(completion.result, kOk);
  }
  std::ifstream file(path, std::ios::binary);
  const std::vector<uint8_t> written{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  EXPECT_EQ(written, data);
}

}  // namespace
}  // namespace platform::ks
