#include "audio/packet_timeline.h"

#include <gtest/gtest.h>

namespace {

using audio::PacketTimeline;

TEST(PacketTimelineTest, PacketsOfOneLength) {
  PacketTimeline timeline(48000, 48000);
  timeline.AddDecoded(1024);
  for (int j = 0; j < 3; ++j) timeline.Add(1024);
  ASSERT_EQ(timeline.Count(), 4u);
  EXPECT_EQ(timeline.Start(2), 2048u);
  EXPECT_EQ(timeline.Total(), 4096u);
  EXPECT_EQ(timeline.PacketAt(0), 0u);
  EXPECT_EQ(timeline.PacketAt(1023), 0u);
  EXPECT_EQ(timeline.PacketAt(1024), 1u);
  EXPECT_EQ(timeline.PacketAt(4095), 3u);
  EXPECT_EQ(timeline.PacketAt(4096), 4u);
}

TEST(PacketTimelineTest, HeldBackFirstPacketAndEmptyPacketsArePassed) {
  // As a Vorbis stream in AVI: the first packet gives nothing, empty chunks between packets.
  PacketTimeline timeline(48000, 48000);
  timeline.AddDecoded(0);
  timeline.Add(0);
  timeline.Add(128);
  timeline.Add(0);
  timeline.Add(576);
  EXPECT_EQ(timeline.Start(3), 128u);
  EXPECT_EQ(timeline.Start(4), 128u);
  EXPECT_EQ(timeline.Total(), 704u);
  EXPECT_EQ(timeline.PacketAt(0), 2u);
  EXPECT_EQ(timeline.PacketAt(127), 2u);
  EXPECT_EQ(timeline.PacketAt(128), 4u);
  EXPECT_EQ(timeline.PacketAt(703), 4u);
  EXPECT_EQ(timeline.PacketAt(704), 5u);
}

TEST(PacketTimelineTest, CodecSamplesAreBroughtToTheOutputRate) {
  // A codec that decodes at twice the stream's rate (implicit SBR): its 2048 samples are 1024.
  PacketTimeline timeline(24000, 48000);
  timeline.AddDecoded(1024);
  timeline.Add(2048);
  timeline.Add(2048);
  EXPECT_EQ(timeline.Start(2), 2048u);
  EXPECT_EQ(timeline.Total(), 3072u);
  // Whole lengths are scaled, not each packet on its own: 44100 from 48000 leaves no drift.
  PacketTimeline resampled(44100, 48000);
  for (int j = 0; j < 1000; ++j) resampled.Add(1024);
  EXPECT_EQ(resampled.Total(), uint64_t{1000} * 1024 * 44100 / 48000);

  PacketTimeline empty;
  EXPECT_EQ(empty.Count(), 0u);
  EXPECT_EQ(empty.Total(), 0u);
  EXPECT_EQ(empty.PacketAt(0), 0u);
}

}  // namespace
