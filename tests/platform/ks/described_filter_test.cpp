#include "platform/ks/described_filter.h"

#include <gtest/gtest.h>

#include <cstring>

#include "platform/ks/properties.h"
#include "platform/ks/results.h"
#include "riff/wave_format_extensible.h"
#include "support/fake_device_tree.h"

namespace platform::ks {
namespace {

// A pin creation request for `pinId` in `wave` (with its extensible tail when it has one).
std::vector<uint8_t> Connect(uint32_t pinId, const riff::WaveFormatExtensible& wave,
                             uint32_t interfaceId = kInterfaceStreaming) {
  const size_t waveBytes =
      wave.format.formatTag == riff::kWaveFormatExtensible ? sizeof wave : sizeof wave.format;
  PinConnect head{{kInterfaceSetStandard, interfaceId, 0},
                  {kMediumSetStandard, kMediumAnyInstance, 0},
                  pinId,
                  0,
                  {kPriorityNormal, 1}};
  DataFormat format{static_cast<uint32_t>(sizeof(DataFormat) + waveBytes),
                    0,
                    4,
                    0,
                    kFormatTypeAudio,
                    kSubtypePcm,
                    kSpecifierWaveFormat};
  std::vector<uint8_t> bytes(sizeof head + sizeof format + waveBytes);
  std::memcpy(bytes.data(), &head, sizeof head);
  std::memcpy(bytes.data() + sizeof head, &format, sizeof format);
  std::memcpy(bytes.data() + sizeof head + sizeof format, &wave, waveBytes);
  return bytes;
}

riff::WaveFormatExtensible Stereo16(uint32_t rate = 48000) {
  riff::WaveFormatExtensible wave{};
  wave.format = {riff::kWaveFormatPcm, 2, rate, rate * 4, 4, 16, 0};
  return wave;
}

// A filter of four pins: a render sink, a render source, a capture sink, and a sink that also
// takes looped streaming but no standard medium.
class DescribedFilterTest : public ::testing::Test {
 protected:
  DescribedFilterTest() {
    testsupport::FakeDeviceTree::Device device;
    device.path = "card";
    device.filter.pins = {testsupport::RenderSink(), testsupport::RenderSink(), testsupport::RenderSink(),
                          testsupport::RenderSink()};
    device.filter.pins[0].name = "Front";
    device.filter.pins[1].communication = kCommunicationSource;
    device.filter.pins[2].dataFlow = kDataFlowOut;
    device.filter.pins[3].interfaces.push_back({kInterfaceSetStandard, kInterfaceLoopedStreaming, 0});
    device.filter.pins[3].mediums = {{kMediumSetStandard, 7, 0}};
    device.filter.nodes = {kCategoryAudio, kCategoryRender};
    tree_.Add(device);
    int32_t error = -1;
    filter_ = tree_.Open("card", &error);
    EXPECT_EQ(error, kOk);
  }

  int32_t Get(const Guid& set, uint32_t id, uint32_t pinId, void* value, uint32_t size, uint32_t* returned) {
    const PinProperty request{{set, id, kPropertyGet}, pinId, 0};
    return filter_->Property(&request, sizeof request, value, size, returned);
  }
  int32_t Create(const std::vector<uint8_t>& connect) {
    int32_t error = kOk;
    const bool made =
        filter_->CreatePin(connect.data(), static_cast<uint32_t>(connect.size()), &error) != nullptr;
    return made ? kOk : error;
  }

  testsupport::FakeDeviceTree tree_;
  std::unique_ptr<Filter> filter_;
};

TEST_F(DescribedFilterTest, PropertiesAnswerSizeQueriesAndRefuseWhatTheyCannotAnswer) {
  uint32_t returned = 0;
  uint32_t count = 0;
  EXPECT_EQ(Get(kPropertySetPin, kPinTypes, 0, &count, sizeof count, &returned), kOk);
  EXPECT_EQ(count, 4u);

  // A size query, then a buffer too small, then the list.
  EXPECT_EQ(Get(kPropertySetPin, kPinDataRanges, 0, nullptr, 0, &returned), kErrorMoreData);
  EXPECT_EQ(returned, sizeof(MultipleItem) + sizeof(AudioDataRange));
  std::vector<uint8_t> ranges(returned);
  EXPECT_EQ(Get(kPropertySetPin, kPinDataRanges, 0, ranges.data(), returned - 1, &returned),
            kErrorInsufficientBuffer);
  ASSERT_EQ(
      Get(kPropertySetPin, kPinDataRanges, 0, ranges.data(), static_cast<uint32_t>(ranges.size()), &returned),
      kOk);
  AudioDataRange range;
  std::memcpy(&range, ranges.data() + sizeof(MultipleItem), sizeof range);
  EXPECT_EQ(range.range.formatSize, sizeof range);
  EXPECT_EQ(range.maximumSampleFrequency, 48000u);

  char name[16] = {};
  EXPECT_EQ(Get(kPropertySetPin, kPinName, 0, name, sizeof name, &returned), kOk);
  EXPECT_STREQ(name, "Front");
  EXPECT_EQ(returned, 6u);
  std::vector<uint8_t> nodes(sizeof(MultipleItem) + 2 * sizeof(Guid));
  EXPECT_EQ(Get(kPropertySetTopology, kTopologyNodes, 0, nodes.data(), static_cast<uint32_t>(nodes.size()),
                &returned),
            kOk);

  EXPECT_EQ(Get(kPropertySetPin, kPinCommunication, 4, &count, sizeof count, &returned),
            kErrorInvalidParameter);
  EXPECT_EQ(Get(kPropertySetPin, 99, 0, &count, sizeof count, &returned), kErrorNotFound);
  EXPECT_EQ(Get(kPropertySetConnection, kConnectionState, 0, &count, sizeof count, &returned),
            kErrorSetNotFound);
  const Property set{kPropertySetPin, kPinCommunication, kPropertySet};
  EXPECT_EQ(filter_->Property(&set, sizeof set, &count, sizeof count, &returned), kErrorNotSupported);
  // A pin property needs the pin's id behind the request.
  const Property bare{kPropertySetPin, kPinCommunication, kPropertyGet};
  EXPECT_EQ(filter_->Property(&bare, sizeof bare, &count, sizeof count, &returned), kErrorInvalidParameter);
}

TEST_F(DescribedFilterTest, OnlyARenderSinkAskedForInPcmThroughWhatItListsIsCreated) {
  EXPECT_EQ(Create(Connect(0, Stereo16())), kOk);
  EXPECT_EQ(Create(Connect(4, Stereo16())), kErrorInvalidParameter);
  EXPECT_EQ(Create(Connect(1, Stereo16())), kErrorNotSupported);  // a source
  EXPECT_EQ(Create(Connect(2, Stereo16())), kErrorNotSupported);  // capture
  EXPECT_EQ(Create(Connect(3, Stereo16())), kErrorNoMatch);       // no standard medium
  EXPECT_EQ(Create(Connect(0, Stereo16(), kInterfaceLoopedStreaming)), kErrorNoMatch);

  std::vector<uint8_t> connect = Connect(0, Stereo16());
  connect.pop_back();  // the format runs past the request
  EXPECT_EQ(Create(connect), kErrorInvalidParameter);
  EXPECT_EQ(Create(std::vector<uint8_t>(sizeof(PinConnect), 0)), kErrorInvalidParameter);

  connect = Connect(0, Stereo16());
  DataFormat format;
  std::memcpy(&format, connect.data() + sizeof(PinConnect), sizeof format);
  format.majorFormat = kNullGuid;
  std::memcpy(connect.data() + sizeof(PinConnect), &format, sizeof format);
  EXPECT_EQ(Create(connect), kErrorNoMatch);

  riff::WaveFormatExtensible wave = Stereo16();
  wave.format.avgBytesPerSec = 0;  // fields that disagree
  EXPECT_EQ(Create(Connect(0, wave)), kErrorNoMatch);
  wave = Stereo16();
  wave.format.formatTag = riff::kWaveFormatExtensible;
  wave.format.cbSize = riff::kExtensibleExtraBytes;
  wave.validBitsPerSample = 16;
  wave.channelMask = 3;
  wave.subFormat = kSubtypePcm;
  EXPECT_EQ(Create(Connect(0, wave)), kOk);
  connect = Connect(0, wave);
  connect.resize(connect.size() - 4);  // the extensible tail cut short
  std::memcpy(&format, connect.data() + sizeof(PinConnect), sizeof format);
  format.formatSize -= 4;
  std::memcpy(connect.data() + sizeof(PinConnect), &format, sizeof format);
  EXPECT_EQ(Create(connect), kErrorNoMatch);
}

}  // namespace
}  // namespace platform::ks
