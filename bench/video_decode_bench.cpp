// Decoding a 1080p H.264 AVI with B-frames through the video decoder, beside libavcodec alone
// decoding the same packets with the same threading.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
}

#include "avi/avi_file.h"
#include "avi/file_view.h"
#include "support/temp_dir.h"
#include "video/vcm_decoder.h"

namespace {

// Two seconds of FFmpeg's test picture, made once per run by the ffmpeg tool.
const std::string& Clip() {
  static const testsupport::TempDir dir;
  static const std::string path = [] {
    std::string file = dir.File("h264-1080p.avi");
    const std::string command =
        "ffmpeg -nostdin -v error -y -f lavfi -i testsrc2=size=1920x1080:rate=25:duration=2 -c:v libx264 "
        "-preset veryfast -bf 3 -g 50 -pix_fmt yuv420p " +
        file + " >/dev/null 2>&1";
    if (std::system(command.c_str()) != 0) file.clear();
    return file;
  }();
  return path;
}

std::unique_ptr<avi::Movie> OpenClip() {
  if (Clip().empty()) return nullptr;
  avi::FileView view = avi::FileView::Open(Clip());
  avi::AVIFile reader;
  return reader.Probe(view) ? reader.Parse(view) : nullptr;
}

void BM_DecodeH264_1080p_Vistrel(benchmark::State& state) {
  auto movie = OpenClip();
  if (!movie) {
    state.SkipWithError("no clip (ffmpeg with libx264 needed)");
    return;
  }
  video::VCMDecoder decoder(*movie, nullptr);
  if (decoder.Kind() != video::kKindYv12) {
    state.SkipWithError("no YV12 decoder");
    return;
  }
  std::vector<uint8_t> picture(decoder.OutputSize());
  const int32_t frames = static_cast<int32_t>(movie->VideoTable()->Count());
  for (auto _ : state) {
    for (int32_t frame = 0; frame < frames; ++frame) {
      video::DecodedPicture record{};
      int32_t readMs = 0;
      int32_t decodeMs = 0;
      decoder.DecodeForPlayback(frame, picture.data(), &record, &readMs, &decodeMs);
    }
    benchmark::DoNotOptimize(picture.data());
  }
  state.SetItemsProcessed(state.iterations() * frames);
}
BENCHMARK(BM_DecodeH264_1080p_Vistrel)
    ->Name("BM_DecodeH264_1080p/vistrel")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

void BM_DecodeH264_1080p_Ffmpeg(benchmark::State& state) {
  auto movie = OpenClip();
  if (!movie) {
    state.SkipWithError("no clip (ffmpeg with libx264 needed)");
    return;
  }
  const avi::PacketTable& table = *movie->VideoTable();
  std::vector<std::vector<uint8_t>> packets;
  for (size_t i = 0; i < table.Count(); ++i) {
    std::vector<uint8_t> packet((table.Size(i) & ~avi::kNotKeyFrame) + AV_INPUT_BUFFER_PADDING_SIZE, 0);
    table.View().Read(table[i].offset, table.Size(i) & ~avi::kNotKeyFrame, packet.data());
    packets.push_back(std::move(packet));
  }
  const AVCodec* decoder = avcodec_find_decoder(AV_CODEC_ID_H264);
  AVCodecContext* context = avcodec_alloc_context3(decoder);
  context->width = movie->Bitmap().width;
  context->height = movie->Bitmap().height;
  context->thread_count = 0;
  context->thread_type = FF_THREAD_FRAME | FF_THREAD_SLICE;
  if (avcodec_open2(context, decoder, nullptr) < 0) {
    avcodec_free_context(&context);
    state.SkipWithError("no H.264 decoder");
    return;
  }
  AVPacket* packet = av_packet_alloc();
  AVFrame* frame = av_frame_alloc();
  for (auto _ : state) {
    for (size_t i = 0; i <= packets.size(); ++i) {
      if (i < packets.size()) {
        packet->data = packets[i].data();
        packet->size = static_cast<int>(packets[i].size() - AV_INPUT_BUFFER_PADDING_SIZE);
        packet->flags = (table.Size(i) & avi::kNotKeyFrame) == 0 ? AV_PKT_FLAG_KEY : 0;
        avcodec_send_packet(context, packet);
      } else {
        avcodec_send_packet(context, nullptr);
      }
      while (avcodec_receive_frame(context, frame) == 0) {
        benchmark::DoNotOptimize(frame->data[0]);
        av_frame_unref(frame);
      }
    }
    avcodec_flush_buffers(context);
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(packets.size()));
  av_frame_free(&frame);
  av_packet_free(&packet);
  avcodec_free_context(&context);
}
BENCHMARK(BM_DecodeH264_1080p_Ffmpeg)
    ->Name("BM_DecodeH264_1080p/ffmpeg")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
