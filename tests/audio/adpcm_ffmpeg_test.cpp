// The XA sound groups and the 16-byte filter blocks against FFmpeg's own CD-ROM XA and
// PlayStation ADPCM decoders. Both of those keep a 16-bit history and round the prediction to
// 16 bits every sample, XA to nearest (an error below half a step of the 16-bit output),
// PlayStation toward zero (below one step); the decoder here keeps the history to 32 bits and
// truncates only its output. Without prediction (filter 0) the two agree exactly. With it,
// FFmpeg's rounding error is fed back through the predictor, whose impulse response sums to
// at most G (about 110 for filter 4, whose poles lie close to 1), so the outputs differ by at
// most the rounding error times G, plus one for the truncated output. Real signals stay far
// inside that: an encoded tone differs by less than one quantiser step.
extern "C" {
#include <libavcodec/avcodec.h>
}

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <random>

#include "adpcm_reference.h"
#include "stream_fixture.h"

namespace {

using audiotest::EncodedUnit;

// FFmpeg's decoding of `data` as interleaved 16-bit samples.
std::vector<int16_t> FfmpegDecode(AVCodecID id, int channels, int blockAlign,
                                  const std::vector<uint8_t>& data, size_t packetBytes) {
  std::vector<int16_t> out;
  const AVCodec* codec = avcodec_find_decoder(id);
  AVCodecContext* context = avcodec_alloc_context3(codec);
  av_channel_layout_default(&context->ch_layout, channels);
  context->sample_rate = 44100;
  context->block_align = blockAlign;
  EXPECT_EQ(avcodec_open2(context, codec, nullptr), 0);
  AVPacket* packet = av_packet_alloc();
  AVFrame* frame = av_frame_alloc();
  for (size_t offset = 0; offset < data.size(); offset += packetBytes) {
    av_new_packet(packet, static_cast<int>(packetBytes));
    std::copy(data.begin() + offset, data.begin() + offset + packetBytes, packet->data);
    EXPECT_EQ(avcodec_send_packet(context, packet), 0);
    av_packet_unref(packet);
    while (avcodec_receive_frame(context, frame) == 0) {
      for (int i = 0; i < frame->nb_samples; ++i) {
        for (int c = 0; c < channels; ++c) {
          const int16_t* plane = reinterpret_cast<const int16_t*>(frame->extended_data[c]);
          out.push_back(frame->format == AV_SAMPLE_FMT_S16P
                            ? plane[i]
                            : reinterpret_cast<const int16_t*>(frame->data[0])[i * channels + c]);
        }
      }
      av_frame_unref(frame);
    }
  }
  av_frame_free(&frame);
  av_packet_free(&packet);
  avcodec_free_context(&context);
  return out;
}

std::vector<int16_t> Decode(const testsupport::TempDir& dir, const riff::WaveFormat& format,
                            const std::vector<uint8_t>& data) {
  auto stream = audiotest::MakeStream(dir, testsupport::WaveFormatBytes(format), data);
  EXPECT_NE(audiotest::AddDecoder(*stream), nullptr);
  return audiotest::Top16(audiotest::ReadAll(*stream, 1 << 20));
}

// The sum of |h| of the predictor's impulse response, worst over the five filters.
double PredictorGain() {
  const double k0[5] = {0, 240, 460, 392, 488}, k1[5] = {0, 0, -208, -220, -240};
  double worst = 0;
  for (int f = 0; f < 5; ++f) {
    double s1 = 0, s2 = 0, sum = 0;
    for (int n = 0; n < 20000; ++n) {
      double h = (n == 0 ? 1.0 : 0.0) + (k0[f] * s1 + k1[f] * s2) / 256;
      sum += std::abs(h);
      s2 = s1;
      s1 = h;
    }
    worst = std::max(worst, sum);
  }
  return worst;
}

int MaxDifference(const std::vector<int16_t>& a, const std::vector<int16_t>& b) {
  EXPECT_EQ(a.size(), b.size());
  int worst = 0;
  for (size_t i = 0; i < std::min(a.size(), b.size()); ++i) worst = std::max(worst, std::abs(a[i] - b[i]));
  return worst;
}

// The largest difference in quantiser steps of the unit each sample belongs to.
double MaxSteps(const std::vector<int16_t>& a, const std::vector<int16_t>& b,
                int (*shiftOf)(const std::vector<uint8_t>&, size_t, int), const std::vector<uint8_t>& data,
                int channels) {
  EXPECT_EQ(a.size(), b.size());
  double worst = 0;
  for (size_t i = 0; i < std::min(a.size(), b.size()); ++i) {
    double step = 1 << (12 - shiftOf(data, i, channels));
    worst = std::max(worst, std::abs(a[i] - b[i]) / step);
  }
  return worst;
}

int XaShift(const std::vector<uint8_t>& data, size_t i, int channels) {
  size_t group = i / 224, within = i % 224;
  size_t unit = channels == 2 ? 2 * (within / 2 / 28) + within % 2 : within / 28;
  return data[group * 128 + 4 + unit] & 15;
}

// Filter blocks in block-aligned chunks of 32 bytes a channel.
int FilterShift(const std::vector<uint8_t>& data, size_t i, int channels) {
  if (channels == 1) return data[i / 28 * 16] & 15;
  size_t sample = i / 2, channel = i % 2;
  return data[sample / 56 * 64 + channel * 32 + sample % 56 / 28 * 16] & 15;
}

// Random groups whose parameters both decoders read alike (filters 0 to 4, shifts up to 12)
// and which never reach full scale, where the two clamp differently.
std::vector<uint8_t> RandomXa(size_t groups, std::mt19937& random, int maxFilter) {
  std::vector<uint8_t> data(groups * 128);
  for (auto& b : data) b = static_cast<uint8_t>(random());
  for (size_t g = 0; g < groups; ++g) {
    for (int u = 0; u < 8; ++u) {
      data[g * 128 + 4 + u] = static_cast<uint8_t>((random() % (maxFilter + 1)) << 4 | (6 + random() % 7));
    }
  }
  return data;
}

// A realistic mono XA stream: a tone encoded unit by unit.
std::vector<uint8_t> EncodedXa(size_t groups, std::mt19937& random) {
  std::vector<int16_t> signal = audiotest::TestSignal(groups * 224, 440.0 / 18900, 12000, random);
  std::vector<uint8_t> data(groups * 128, 0);
  int s1 = 0, s2 = 0;
  for (size_t g = 0; g < groups; ++g) {
    uint8_t* group = data.data() + g * 128;
    for (int u = 0; u < 8; ++u) {
      EncodedUnit unit = audiotest::EncodeUnit(signal.data() + g * 224 + u * 28, s1, s2);
      group[4 + u] = static_cast<uint8_t>(unit.filter << 4 | unit.shift);
      for (int j = 0; j < 28; ++j)
        group[16 + 4 * j + u / 2] |= static_cast<uint8_t>((unit.codes[j] & 15) << (4 * (u & 1)));
    }
  }
  return data;
}

std::vector<uint8_t> EncodedFilterBlocks(size_t blocks, std::mt19937& random) {
  std::vector<int16_t> signal = audiotest::TestSignal(blocks * 28, 1000.0 / 44100, 9000, random);
  std::vector<uint8_t> data(blocks * 16, 0);
  int s1 = 0, s2 = 0;
  for (size_t b = 0; b < blocks; ++b) {
    EncodedUnit unit = audiotest::EncodeUnit(signal.data() + b * 28, s1, s2);
    data[b * 16] = static_cast<uint8_t>(unit.filter << 4 | unit.shift);
    for (int j = 0; j < 28; ++j)
      data[b * 16 + 2 + j / 2] |= static_cast<uint8_t>((unit.codes[j] & 15) << (4 * (j & 1)));
  }
  return data;
}

TEST(AdpcmAgainstFfmpeg, XaWithoutPredictionIsExact) {
  testsupport::TempDir dir;
  std::mt19937 random(11);
  for (uint16_t channels : {1, 2}) {
    std::vector<uint8_t> data = RandomXa(50, random, 0);
    EXPECT_EQ(Decode(dir, audiotest::XaFormat(channels), data),
              FfmpegDecode(AV_CODEC_ID_ADPCM_XA, channels, 0, data, 128 * 10));
  }
}

TEST(AdpcmAgainstFfmpeg, XaWithPredictionStaysWithinRounding) {
  testsupport::TempDir dir;
  std::mt19937 random(12);
  for (uint16_t channels : {1, 2}) {
    std::vector<uint8_t> data = RandomXa(200, random, 4);
    int worst = MaxDifference(Decode(dir, audiotest::XaFormat(channels), data),
                              FfmpegDecode(AV_CODEC_ID_ADPCM_XA, channels, 0, data, 128 * 10));
    EXPECT_LE(worst, 0.5 * PredictorGain() + 1) << "channels " << channels;
  }
  std::vector<uint8_t> tone = EncodedXa(200, random);
  EXPECT_LT(MaxSteps(Decode(dir, audiotest::XaFormat(1), tone),
                     FfmpegDecode(AV_CODEC_ID_ADPCM_XA, 1, 0, tone, 128 * 10), XaShift, tone, 1),
            1.0);
}

TEST(AdpcmAgainstFfmpeg, FilterBlocksMatchPlayStationDecoder) {
  testsupport::TempDir dir;
  std::mt19937 random(13);
  // Random blocks below full scale; a second byte below 7 is a plain block to both decoders.
  std::vector<uint8_t> data(16 * 400);
  for (auto& b : data) b = static_cast<uint8_t>(random());
  for (size_t i = 0; i < data.size(); i += 16) {
    data[i] = static_cast<uint8_t>((random() % 5) << 4 | (8 + random() % 5));
    data[i + 1] = static_cast<uint8_t>(random() % 7);
  }
  EXPECT_LE(MaxDifference(Decode(dir, audiotest::FilterFormat(2, 64), data),
                          FfmpegDecode(AV_CODEC_ID_ADPCM_PSX, 2, 64, data, 64 * 20)),
            PredictorGain() + 1);
  std::vector<uint8_t> flat = data;
  for (size_t i = 0; i < flat.size(); i += 16) flat[i] &= 0x0F;
  EXPECT_EQ(Decode(dir, audiotest::FilterFormat(1, 16), flat),
            FfmpegDecode(AV_CODEC_ID_ADPCM_PSX, 1, 16, flat, 16 * 20));

  std::vector<uint8_t> tone = EncodedFilterBlocks(400, random);
  // Truncation toward zero biases every PlayStation sample the same way, so on a tone the
  // difference builds up to a step or two of the finest shifts, still below the bound.
  EXPECT_LE(MaxDifference(Decode(dir, audiotest::FilterFormat(1, 16), tone),
                          FfmpegDecode(AV_CODEC_ID_ADPCM_PSX, 1, 16, tone, 16 * 20)),
            PredictorGain() + 1);
  EXPECT_LT(MaxSteps(Decode(dir, audiotest::FilterFormat(1, 16), tone),
                     FfmpegDecode(AV_CODEC_ID_ADPCM_PSX, 1, 16, tone, 16 * 20), FilterShift, tone, 1),
            2.0);
}

}  // namespace
