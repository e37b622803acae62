// The codecs' own key-frame tests, on the first bytes of packets as encoders write them.
#include "avi/key_frames.h"

#include <gtest/gtest.h>

#include "avi/riff_builder.h"
#include "riff/fourcc.h"

namespace {

using avi::IsKeyFrame;
using avi::KeyFrameRule;
using avi::KeyFrameRuleFor;
using avitest::Bytes;
using avitest::Cat;
using riff::MakeFourcc;

bool Key(KeyFrameRule rule, const Bytes& data) { return IsKeyFrame(rule, data.data(), data.size()); }

TEST(KeyFrameRules, CodecsAreKnownByEitherCodeInAnyCase) {
  EXPECT_EQ(KeyFrameRuleFor(MakeFourcc("xvid"), 0), KeyFrameRule::kMpeg4Vop);
  EXPECT_EQ(KeyFrameRuleFor(MakeFourcc("FMP4"), MakeFourcc("FMP4")), KeyFrameRule::kMpeg4Vop);
  EXPECT_EQ(KeyFrameRuleFor(MakeFourcc("div3"), 0), KeyFrameRule::kMsMpeg4);
  EXPECT_EQ(KeyFrameRuleFor(MakeFourcc("mpg2"), 0), KeyFrameRule::kMpegVideo);
  EXPECT_EQ(KeyFrameRuleFor(MakeFourcc("MJPG"), 0), KeyFrameRule::kEveryFrame);
  // Compression 0 is uncompressed; a handler of 0 says nothing.
  EXPECT_EQ(KeyFrameRuleFor(0, MakeFourcc("DIB ")), KeyFrameRule::kEveryFrame);
  EXPECT_EQ(KeyFrameRuleFor(MakeFourcc("abcd"), 0), KeyFrameRule::kFirstOnly);
  // An unknown compression code falls back on the handler.
  EXPECT_EQ(KeyFrameRuleFor(MakeFourcc("abcd"), MakeFourcc("h264")), KeyFrameRule::kH264Idr);
  EXPECT_EQ(KeyFrameRuleFor(MakeFourcc("cvid"), MakeFourcc("cvid")), KeyFrameRule::kFirstOnly);
}

TEST(KeyFrameRules, Mpeg4TakesTheTypeOfTheFirstVop) {
  const Bytes vol = {0, 0, 1, 0xB0, 0xF5, 0, 0, 1, 0x20, 0x08, 0xC8, 0x0D};
  const Bytes iVop = {0, 0, 1, 0xB6, 0x10, 0x60};
  const Bytes pVop = {0, 0, 1, 0xB6, 0x50, 0x60};
  const Bytes bVop = {0, 0, 1, 0xB6, 0x90, 0x60};
  EXPECT_TRUE(Key(KeyFrameRule::kMpeg4Vop, Cat({vol, iVop})));
  EXPECT_TRUE(Key(KeyFrameRule::kMpeg4Vop, iVop));
  EXPECT_FALSE(Key(KeyFrameRule::kMpeg4Vop, pVop));
  // A packed frame: the P-VOP first decides, whatever follows.
  EXPECT_FALSE(Key(KeyFrameRule::kMpeg4Vop, Cat({pVop, bVop})));
  EXPECT_FALSE(Key(KeyFrameRule::kMpeg4Vop, Bytes{0x7F}));           // a dropped frame
  EXPECT_FALSE(Key(KeyFrameRule::kMpeg4Vop, Bytes{0, 0, 1, 0xB6}));  // cut before its type
  // A VOP beyond the bytes looked at is not seen.
  EXPECT_FALSE(Key(KeyFrameRule::kMpeg4Vop, Cat({Bytes(avi::kKeyFrameProbeBytes, 0xFF), iVop})));
}

TEST(KeyFrameRules, H264NeedsAnIdrSliceBeforeAnyOtherSlice) {
  const Bytes aud = {0, 0, 0, 1, 0x09, 0xF0};
  const Bytes sps = {0, 0, 0, 1, 0x67, 0x64, 0x00, 0x0A};
  const Bytes pps = {0, 0, 1, 0x68, 0xEB, 0xE3};
  const Bytes idr = {0, 0, 1, 0x65, 0x88, 0x84};
  const Bytes slice = {0, 0, 0, 1, 0x41, 0x9A};
  const Bytes sei = {0, 0, 0, 1, 0x06, 0x05, 0x11};
  EXPECT_TRUE(Key(KeyFrameRule::kH264Idr, Cat({aud, sps, pps, idr})));
  EXPECT_FALSE(Key(KeyFrameRule::kH264Idr, Cat({aud, sei, slice})));
  EXPECT_FALSE(Key(KeyFrameRule::kH264Idr, Cat({slice, idr})));
  EXPECT_FALSE(Key(KeyFrameRule::kH264Idr, Cat({aud, sps, pps})));
  // Four bytes of length before each unit, as some muxers store them.
  EXPECT_TRUE(Key(KeyFrameRule::kH264Idr, Bytes{0, 0, 0, 2, 0x09, 0xF0, 0, 0, 0, 3, 0x65, 0x88, 0x84}));
  EXPECT_FALSE(Key(KeyFrameRule::kH264Idr, Bytes{0, 0, 0, 3, 0x41, 0x9A, 0x00}));
  // A length that runs far past the packet ends the walk.
  EXPECT_FALSE(Key(KeyFrameRule::kH264Idr, Bytes{0x7F, 0xFF, 0xFF, 0xFF, 0x06, 0x00}));
}

TEST(KeyFrameRules, MpegPicturesAndMicrosoftFramesLeadWithTheirType) {
  const Bytes sequence = {0, 0, 1, 0xB3, 0x06, 0x00, 0x40, 0x13};
  const Bytes gop = {0, 0, 1, 0xB8, 0x00, 0x08, 0x00, 0x00};
  // Temporal reference 0, then the picture type in bits 5 to 3 of the second byte.
  const Bytes iPicture = {0, 0, 1, 0x00, 0x00, 0x0F, 0xFF, 0xF8};
  const Bytes pPicture = {0, 0, 1, 0x00, 0x00, 0x57, 0xFF, 0xF8};
  EXPECT_TRUE(Key(KeyFrameRule::kMpegVideo, Cat({sequence, gop, iPicture})));
  EXPECT_FALSE(Key(KeyFrameRule::kMpegVideo, pPicture));
  EXPECT_FALSE(Key(KeyFrameRule::kMpegVideo, sequence));

  EXPECT_TRUE(Key(KeyFrameRule::kMsMpeg4, Bytes{0x3F, 0xFF}));
  EXPECT_FALSE(Key(KeyFrameRule::kMsMpeg4, Bytes{0x5F, 0xFF}));
  EXPECT_FALSE(Key(KeyFrameRule::kMsMpeg4, Bytes{}));

  EXPECT_TRUE(Key(KeyFrameRule::kEveryFrame, Bytes{}));
  EXPECT_FALSE(Key(KeyFrameRule::kFirstOnly, Cat({gop, iPicture})));
}

}  // namespace
