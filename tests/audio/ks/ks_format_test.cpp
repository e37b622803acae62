#include <gtest/gtest.h>

#include <cstring>

#include "audio/ks/ks_aud_filter.h"
#include "audio/ks/ks_enum_filters.h"
#include "platform/ks/results.h"
#include "riff/wave_format_extensible.h"
#include "support/fake_device_tree.h"

namespace audio::ks {
namespace {

namespace pks = platform::ks;
using testsupport::FakeDeviceTree;

const pks::Guid kAudioRender[] = {pks::kCategoryAudio, pks::kCategoryRender};

riff::WaveFormatExtensible Format(uint16_t channels, uint32_t rate, uint16_t bits, uint16_t tag = 1) {
  riff::WaveFormatExtensible wave{};
  const auto block = static_cast<uint16_t>(channels * bits / 8);
  wave.format = {tag, channels, rate, rate * block, block, bits, 0};
  return wave;
}

riff::WaveFormatExtensible Extensible(uint16_t channels, uint32_t rate, uint16_t bits) {
  riff::WaveFormatExtensible wave = Format(channels, rate, bits, riff::kWaveFormatExtensible);
  wave.format.cbSize = riff::kExtensibleExtraBytes;
  wave.validBitsPerSample = bits;
  wave.channelMask = 0x3F;
  wave.subFormat = pks::kSubtypePcm;
  return wave;
}

// One render filter over the fake tree, made from the sinks given.
class KsFormatTest : public ::testing::Test {
 protected:
  CKsAudRenFilter& Filter(std::vector<pks::PinDescription> sinks, std::vector<uint32_t> busy = {}) {
    FakeDeviceTree::Device card;
    card.path = "card0";
    card.filter.pins = std::move(sinks);
    card.busyPins = std::move(busy);
    tree_.Add(card);
    EXPECT_EQ(filters_.EnumFilters(kFilterTypeAudioRender, kAudioRender, 2, true, false, true), kResultOk);
    return *static_cast<CKsAudRenFilter*>(filters_.Filters().at(0).get());
  }
  static pks::PinDescription Sink(std::vector<pks::AudioDataRange> ranges) {
    pks::PinDescription pin = testsupport::RenderSink();
    pin.dataRanges = std::move(ranges);
    return pin;
  }

  FakeDeviceTree tree_;
  CKsEnumFilters filters_{tree_};
};

TEST_F(KsFormatTest, AFormatIsSupportedWithinSomeRangesBoundsWhereNullGuidsTakeAnything) {
  // Only audio ranges are kept, so the major format is never the wildcard.
  pks::AudioDataRange wildcard = pks::PcmRange(8, 8, 32, 8000, 192000);
  wildcard.range.subFormat = pks::kNullGuid;
  wildcard.range.specifier = pks::kNullGuid;
  CKsAudRenFilter& filter = Filter({Sink({pks::PcmRange(2, 16, 24, 44100, 48000)}),
                                    Sink({pks::PcmRange(2, 16, 16, 32000, 32000), wildcard})});
  const auto& sinks = filter.PinsIn(PinList::kRenderSink);
  const auto& narrow = *static_cast<CKsAudPin*>(sinks.at(0));
  const auto& wide = *static_cast<CKsAudPin*>(sinks.at(1));

  struct Case {
    riff::WaveFormatExtensible format;
    bool narrow;
    bool wide;
  };
  const Case cases[] = {
      {Format(2, 48000, 16), true, true},      {Format(1, 44100, 24), true, true},
      {Format(2, 44100, 32), false, true},     // more bits than the first allows
      {Format(2, 44100, 8), false, true},      // fewer
      {Format(6, 48000, 16), false, true},     // more channels
      {Format(2, 96000, 16), false, true},     // a rate above
      {Format(2, 32000, 16), false, true},     // a rate below, but the second's first range
      {Format(2, 48000, 32, 3), false, true},  // float: only a null sub-format takes it
      {Extensible(6, 48000, 16), false, true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(narrow.IsFormatSupported(&c.format.format), c.narrow)
        << c.format.format.channels << " " << c.format.format.samplesPerSec << " "
        << c.format.format.bitsPerSample;
    EXPECT_EQ(wide.IsFormatSupported(&c.format.format), c.wide) << c.format.format.formatTag;
  }
  riff::WaveFormatExtensible stereo = Extensible(2, 48000, 16);
  EXPECT_TRUE(narrow.IsFormatSupported(&stereo.format));
  stereo.subFormat = pks::SubtypeOfTag(3);  // an extensible float
  EXPECT_FALSE(narrow.IsFormatSupported(&stereo.format));
  stereo.format.cbSize = 10;  // a tail too short to say
  EXPECT_FALSE(wide.IsFormatSupported(&stereo.format));
  EXPECT_FALSE(wide.IsFormatSupported(nullptr));
}

TEST_F(KsFormatTest, SetFormatPutsTheWaveFormatBehindTheDataFormat) {
  CKsAudRenFilter& filter = Filter({testsupport::RenderSink()});
  auto& pin = *static_cast<CKsAudPin*>(filter.PinsIn(PinList::kRenderSink).at(0));
  EXPECT_EQ(pin.ConnectBuffer().size(), 146u);
  const auto dataFormat = [&] {
    pks::DataFormat format;
    std::memcpy(&format, pin.ConnectBuffer().data() + sizeof(pks::PinConnect), sizeof format);
    return format;
  };
  EXPECT_EQ(dataFormat().formatSize, 82u);
  EXPECT_TRUE(dataFormat().specifier == pks::kSpecifierWaveFormat);

  riff::WaveFormatExtensible pcm = Format(2, 44100, 16);
  pcm.format.cbSize = 99;  // PCM has no extra bytes whatever cbSize says
  ASSERT_EQ(pin.SetFormat(&pcm.format), kResultOk);
  EXPECT_EQ(pin.ConnectBuffer().size(), 146u);
  EXPECT_EQ(dataFormat().sampleSize, 4u);
  EXPECT_EQ(pin.Format().size(), 18u);
  EXPECT_EQ(std::memcmp(pin.ConnectBuffer().data() + 128, &pcm, 18), 0);

  const riff::WaveFormatExtensible six = Extensible(6, 48000, 24);
  ASSERT_EQ(pin.SetFormat(&six.format), kResultOk);
  EXPECT_EQ(pin.ConnectBuffer().size(), 168u);
  EXPECT_EQ(dataFormat().formatSize, 104u);
  EXPECT_EQ(dataFormat().sampleSize, 18u);
  EXPECT_EQ(std::memcmp(pin.Format().data(), &six, sizeof six), 0);
  EXPECT_EQ(pin.SetFormat(nullptr), kResultFail);
}

TEST_F(KsFormatTest, CreateRenderPinFallsBackThroughEveryRenderSink) {
  const riff::WaveFormatExtensible stereo = Format(2, 48000, 16);
  // Pin 0 takes the format but another program holds it; pin 1 does not list it; pin 2 does.
  CKsAudRenFilter& filter = Filter(
      {testsupport::RenderSink(), Sink({pks::PcmRange(2, 8, 8, 8000, 8000)}), testsupport::RenderSink()},
      {0});
  CKsAudPin* viable = filter.FindViablePin(&stereo.format);
  ASSERT_NE(viable, nullptr);
  EXPECT_EQ(viable->PinId(), 0u);
  // A pin that cannot be created says why in its result.
  ASSERT_EQ(viable->SetFormat(&stereo.format), kResultOk);
  EXPECT_EQ(viable->Instantiate(false), ResultFromError(pks::kErrorBusy));
  EXPECT_EQ(static_cast<uint32_t>(ResultFromError(pks::kErrorBusy)), 0x800700AAu);

  // The viable pin fails, and so the sinks are tried in order: pin 1 takes the format after all.
  std::unique_ptr<CKsAudPin> pin = filter.CreateRenderPin(&stereo.format, false);
  ASSERT_NE(pin, nullptr);
  EXPECT_EQ(pin->PinId(), 1u);
  EXPECT_TRUE(pin->IsValidHandle());
  EXPECT_EQ(filter.PinsIn(PinList::kRenderSink).size(), 2u);
  EXPECT_EQ(filter.Pins().size(), 2u);
  ASSERT_EQ(tree_.Created().size(), 1u);
  EXPECT_EQ(tree_.Created()[0].pinId, 1u);
  EXPECT_EQ(tree_.Created()[0].layout.rate, 48000u);

  // Now the viable pin is the one made.
  std::unique_ptr<CKsAudPin> second = filter.CreateRenderPin(&stereo.format, false);
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(second->PinId(), 2u);
  // None left that can be made: the lists stay as they are.
  EXPECT_EQ(filter.CreateRenderPin(&stereo.format, false), nullptr);
  EXPECT_EQ(filter.PinsIn(PinList::kRenderSink).size(), 1u);

  // Closing a pin stops it first.
  pin->ClosePin();
  EXPECT_FALSE(pin->IsValidHandle());
  EXPECT_EQ(tree_.Created()[0].states, std::vector<uint32_t>{pks::kStateStop});
}

}  // namespace
}  // namespace audio::ks
