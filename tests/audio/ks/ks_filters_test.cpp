#include <gtest/gtest.h>

#include <cstring>

#include "audio/ks/ks_aud_filter.h"
#include "audio/ks/ks_enum_filters.h"
#include "audio/ks/ks_trace.h"
#include "platform/ks/property_reply.h"
#include "support/fake_device_tree.h"

namespace audio::ks {
namespace {

namespace pks = platform::ks;
using testsupport::FakeDeviceTree;
using testsupport::RenderSink;

constexpr pks::Guid kVideo{0x73646976, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};
constexpr pks::Guid kNodeDac{0x507AE360, 0xC554, 0x11D0, {0x8A, 0x2B, 0x00, 0xA0, 0xC9, 0x25, 0x5A, 0xC1}};

const pks::Guid kAudioRender[] = {pks::kCategoryAudio, pks::kCategoryRender};

std::vector<uint32_t> Ids(const std::vector<CKsPin*>& pins) {
  std::vector<uint32_t> ids;
  for (const CKsPin* pin : pins) ids.push_back(pin->PinId());
  return ids;
}

FakeDeviceTree::Device Card(const std::string& path, std::vector<pks::PinDescription> pins) {
  FakeDeviceTree::Device device;
  device.path = path;
  device.filter.pins = std::move(pins);
  return device;
}

pks::PinDescription Pin(uint32_t communication, uint32_t dataFlow) {
  pks::PinDescription pin = RenderSink();
  pin.communication = communication;
  pin.dataFlow = dataFlow;
  return pin;
}

TEST(KsEnumFilters, OnlyDevicesUsableInEveryCategoryWithValidPinsBecomeFilters) {
  FakeDeviceTree tree;
  std::vector<pks::PinDescription> pins = {
      Pin(pks::kCommunicationSink, pks::kDataFlowIn),  Pin(pks::kCommunicationSource, pks::kDataFlowIn),
      Pin(pks::kCommunicationSink, pks::kDataFlowOut), Pin(pks::kCommunicationBoth, pks::kDataFlowIn),
      Pin(pks::kCommunicationNone, pks::kDataFlowIn),  Pin(pks::kCommunicationSink, pks::kDataFlowIn),
      Pin(pks::kCommunicationSink, pks::kDataFlowIn),  Pin(pks::kCommunicationSink, pks::kDataFlowIn)};
  pins[0].name = "Speakers";
  pins[0].instances = {4, 1};
  pins[5].mediums.clear();                                    // no standard medium
  pins[6].interfaces = {{pks::kInterfaceSetStandard, 1, 0}};  // looped streaming only
  pins[7].dataRanges[0].range.majorFormat = kVideo;           // no audio range
  FakeDeviceTree::Device card = Card("card0", pins);
  card.filter.nodes = {kNodeDac, pks::kCategoryAudio};
  tree.Add(card);
  FakeDeviceTree::Device audioOnly = Card("audio-only", {RenderSink()});
  audioOnly.categories = {pks::kCategoryAudio};
  tree.Add(audioOnly);
  FakeDeviceTree::Device disabled = Card("disabled", {RenderSink()});
  disabled.disabled = {pks::kCategoryRender};
  tree.Add(disabled);
  FakeDeviceTree::Device closed = Card("closed", {RenderSink()});
  closed.opens = false;
  tree.Add(closed);
  tree.Add(Card("pinless", {pins[5], pins[7]}));

  CKsEnumFilters filters(tree);
  ASSERT_EQ(filters.EnumFilters(kFilterTypeAudioRender, kAudioRender, 2, true, true, true), kResultOk);
  ASSERT_EQ(filters.Filters().size(), 1u);
  const CKsFilter& filter = *filters.Filters()[0];
  EXPECT_EQ(filter.Path(), "card0");
  EXPECT_NE(dynamic_cast<const CKsAudRenFilter*>(&filter), nullptr);
  EXPECT_EQ(filter.Pins().size(), 4u);
  EXPECT_EQ(Ids(filter.PinsIn(PinList::kRenderSink)), (std::vector<uint32_t>{0, 3}));
  EXPECT_EQ(Ids(filter.PinsIn(PinList::kRenderSource)), (std::vector<uint32_t>{1, 3}));
  EXPECT_EQ(Ids(filter.PinsIn(PinList::kCaptureSink)), std::vector<uint32_t>{2});
  EXPECT_TRUE(filter.PinsIn(PinList::kCaptureSource).empty());
  EXPECT_TRUE(filter.PinsIn(PinList::kOther).empty());
  // Sinks that data flows into are render pins; the others plain audio pins.
  EXPECT_NE(dynamic_cast<CKsAudRenPin*>(filter.PinsIn(PinList::kRenderSink)[0]), nullptr);
  EXPECT_EQ(dynamic_cast<CKsAudRenPin*>(filter.PinsIn(PinList::kRenderSink)[1]), nullptr);

  const CKsPin& speakers = *filter.Pins()[0];
  EXPECT_EQ(speakers.Name(), "Speakers");
  EXPECT_EQ(speakers.Instances().possible, 4u);
  EXPECT_EQ(speakers.Instances().current, 1u);
  EXPECT_TRUE(speakers.Category() == pks::kCategoryAudio);
  ASSERT_EQ(filter.Nodes().size(), 2u);
  EXPECT_TRUE(filter.Nodes()[0].Type() == kNodeDac);
  EXPECT_EQ(filter.Nodes()[1].NodeId(), 1u);

  // As plain filters, pins need no audio interface, medium or range.
  ASSERT_EQ(filters.EnumFilters(0, kAudioRender, 2, true, false, true), kResultOk);
  ASSERT_EQ(filters.Filters().size(), 2u);
  EXPECT_EQ(filters.Filters()[0]->Pins().size(), 7u);
  EXPECT_EQ(filters.Filters()[1]->Path(), "pinless");
}

TEST(KsEnumFilters, NoDeviceOrNoCategoryFails) {
  FakeDeviceTree tree;
  CKsEnumFilters filters(tree);
  EXPECT_EQ(filters.EnumFilters(kFilterTypeAudioRender, kAudioRender, 2, true, false, true), kResultFail);
  EXPECT_TRUE(filters.Filters().empty());
  const pks::Guid none[] = {pks::kNullGuid};
  EXPECT_EQ(filters.EnumFilters(kFilterTypeAudioRender, none, 1, true, false, true), kResultInvalidArg);
  EXPECT_EQ(filters.EnumFilters(kFilterTypeAudioRender, nullptr, 0, true, false, true), kResultInvalidArg);

  // A filter not opened has no pins to enumerate.
  tree.Add(Card("card0", {RenderSink()}));
  EXPECT_EQ(filters.EnumFilters(kFilterTypeAudioRender, kAudioRender, 2, true, false, false), kResultFail);
}

// Data ranges as a driver may list them: the audio ranges from the first wave-format one on
// are kept; a range whose size makes no sense ends the list.
TEST(KsAudPin, KeepsTheAudioRangesFromTheFirstWaveFormatRangeOn) {
  auto range = [](const pks::Guid& major, const pks::Guid& sub, uint32_t maxRate) {
    pks::AudioDataRange audio = pks::PcmRange(2, 16, 16, 8000, maxRate);
    audio.range.majorFormat = major;
    audio.range.subFormat = sub;
    return audio;
  };
  constexpr pks::Guid kMpeg{0xE06D802B, 0xDB46, 0x11CF, {0xB4, 0xD1, 0x00, 0x80, 0x5F, 0x6C, 0xBB, 0xEA}};
  std::vector<pks::AudioDataRange> listed = {
      range(pks::kFormatTypeAudio, kMpeg, 1),           // before the first wave-format range
      range(kVideo, pks::SubtypeOfTag(3), 2),           // begins the wave ranges, not audio
      range(pks::kFormatTypeAudio, kMpeg, 3),           // kept: after the beginning
      range(pks::kFormatTypeAudio, pks::kNullGuid, 4),  // kept
  };
  std::vector<uint8_t> bytes = pks::MultipleOf(listed);
  FakeDeviceTree::Device card = Card("card0", {RenderSink(), RenderSink(), RenderSink()});
  card.rawDataRanges[0] = bytes;
  // The same list with a range of size 0 in third place and a count far past the end.
  pks::AudioDataRange broken = listed[2];
  broken.range.formatSize = 0;
  std::memcpy(bytes.data() + sizeof(pks::MultipleItem) + 2 * sizeof broken, &broken, sizeof broken);
  pks::MultipleItem head{static_cast<uint32_t>(bytes.size()), 1000000};
  std::memcpy(bytes.data(), &head, sizeof head);
  card.rawDataRanges[1] = bytes;
  card.rawDataRanges[2] = {1, 2, 3};
  FakeDeviceTree tree;
  tree.Add(card);

  CKsEnumFilters filters(tree);
  ASSERT_EQ(filters.EnumFilters(kFilterTypeAudioRender, kAudioRender, 2, true, false, true), kResultOk);
  const auto& pins = filters.Filters()[0]->Pins();
  ASSERT_EQ(pins.size(), 1u);  // the broken lists leave their pins without an audio range
  const auto* pin = dynamic_cast<const CKsAudPin*>(pins[0].get());
  ASSERT_NE(pin, nullptr);
  ASSERT_EQ(pin->AudioRanges().size(), 2u);
  EXPECT_EQ(pin->AudioRanges()[0].maximumSampleFrequency, 3u);
  EXPECT_EQ(pin->AudioRanges()[1].maximumSampleFrequency, 4u);
}

TEST(KsTrace, EntryAndExitAreWrittenOnlyWhenTheLevelAsksForThem) {
  FakeDeviceTree tree;
  CKsEnumFilters filters(tree);
  testing::internal::CaptureStderr();
  filters.EnumFilters(kFilterTypeAudioRender, kAudioRender, 2, true, false, true);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");

  SetTraceLevel(kTraceEntry);
  testing::internal::CaptureStderr();
  filters.EnumFilters(kFilterTypeAudioRender, kAudioRender, 2, true, false, true);
  const std::string traced = testing::internal::GetCapturedStderr();
  SetTraceLevel(0);
  EXPECT_EQ(
      traced,
      "CKsEnumFilters::EnumFilters() Enter\nCKsEnumFilters::EnumFilters() Leave, returning 0x80004005\n");
}

}  // namespace
}  // namespace audio::ks
