// Parsing the index of a two-hour OpenDML file (about 180 000 video and 275 000 audio
// packets), written sparse so that it costs only its headers and indexes on disk; and parsing a
// small file made to cost a reader much: thousands of stream lists over a long idx1.
#include <benchmark/benchmark.h>

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/log.h>
}

#include <cstring>
#include <string>
#include <vector>

#include "avi/avi_file.h"
#include "avi_writer/synthetic_movie.h"
#include "support/temp_dir.h"

namespace {

class TwoHourFile {
 public:
  TwoHourFile() {
    aviwriter::SyntheticMovie movie;
    movie.seconds = 2 * 60 * 60;
    aviwriter::WriterOptions options;
    options.openDml = true;
    options.sparse = true;
    ok_ = aviwriter::WriteSyntheticMovie(path_, movie, options);
  }
  const std::string& Path() const { return path_; }
  bool Ok() const { return ok_; }

 private:
  testsupport::TempDir dir_;
  std::string path_ = dir_.File("two-hour.avi");
  bool ok_ = false;
};

std::unique_ptr<avi::Movie> ParseFile(const std::string& path) {
  avi::FileView view = avi::FileView::Open(path);
  avi::AVIFile reader;
  return reader.Probe(view) ? reader.Parse(view) : nullptr;
}

const TwoHourFile& File() {
  static TwoHourFile file;
  return file;
}

void BM_ParseTwoHourIndex_Vistrel(benchmark::State& state) {
  if (!File().Ok()) {
    state.SkipWithError("cannot write the two-hour file");
    return;
  }
  size_t packets = 0;
  size_t tableBytes = 0;
  for (auto _ : state) {
    std::unique_ptr<avi::Movie> movie = ParseFile(File().Path());
    if (!movie) {
      state.SkipWithError("parse failed");
      return;
    }
    packets = movie->VideoTable()->Count();
    tableBytes = movie->VideoTable()->Capacity() * sizeof(avi::PacketEntry);
    for (size_t i = 0; i < movie->audioStreams.Count(); ++i) {
      const avi::PacketTable& audio = *movie->audioStreams.Get(i)->PacketTables().Get(0);
      packets += audio.Count();
      tableBytes += audio.Capacity() * sizeof(avi::PacketEntry);
    }
    benchmark::DoNotOptimize(movie.get());
  }
  state.counters["packets"] = static_cast<double>(packets);
  state.counters["bytes_per_packet"] = static_cast<double>(tableBytes) / static_cast<double>(packets);
}
BENCHMARK(BM_ParseTwoHourIndex_Vistrel)->Name("BM_ParseTwoHourIndex/vistrel")->Unit(benchmark::kMillisecond);

// libavformat reads the same indexes when it opens the file.
void BM_ParseTwoHourIndex_Libavformat(benchmark::State& state) {
  if (!File().Ok()) {
    state.SkipWithError("cannot write the two-hour file");
    return;
  }
  av_log_set_level(AV_LOG_ERROR);
  size_t packets = 0;
  for (auto _ : state) {
    AVFormatContext* context = nullptr;
    if (avformat_open_input(&context, File().Path().c_str(), nullptr, nullptr) != 0) {
      state.SkipWithError("libavformat cannot open the file");
      return;
    }
    packets = 0;
    for (unsigned i = 0; i < context->nb_streams; ++i) {
      packets += static_cast<size_t>(avformat_index_get_entries_count(context->streams[i]));
    }
    avformat_close_input(&context);
  }
  state.counters["packets"] = static_cast<double>(packets);
}
BENCHMARK(BM_ParseTwoHourIndex_Libavformat)
    ->Name("BM_ParseTwoHourIndex/libavformat")
    ->Unit(benchmark::kMillisecond);

// 16 000 video stream lists and an idx1 of 160 000 entries, all naming the one packet: about
// 5 MB.
class ManyStreamListsFile {
 public:
  ManyStreamListsFile() {
    constexpr uint32_t kLists = 16000;
    constexpr uint32_t kEntries = 160000;
    std::vector<uint8_t> file;
    auto put = [&file](uint32_t v) {
      for (int i = 0; i < 4; ++i) file.push_back(static_cast<uint8_t>(v >> (8 * i)));
    };
    auto text = [&file](const char* code) {
      for (int i = 0; i < 4; ++i) file.push_back(static_cast<uint8_t>(code[i]));
    };
    auto zeros = [&file](size_t n) { file.insert(file.end(), n, 0); };
    text("RIFF");
    put(0);
    text("AVI ");
    text("LIST");
    put(4 + 64 + kLists * 124);
    text("hdrl");
    text("avih");
    put(56);
    put(40000);
    zeros(20);
    put(kLists);
    zeros(28);
    for (uint32_t i = 0; i < kLists; ++i) {
      text("LIST");
      put(116);
      text("strl");
      text("strh");
      put(56);
      text("vids");
      zeros(16);
      put(1);
      put(25);
      zeros(28);
      text("strf");
      put(40);
      put(40);
      put(64);
      put(48);
      zeros(28);
    }
    text("LIST");
    put(4 + 12);
    text("movi");
    text("00dc");
    put(4);
    text("pict");
    text("idx1");
    put(kEntries * 16);
    for (uint32_t i = 0; i < kEntries; ++i) {
      text("00dc");
      put(0x10);
      put(4);
      put(4);
    }
    uint32_t riffSize = static_cast<uint32_t>(file.size() - 8);
    std::memcpy(file.data() + 4, &riffSize, 4);
    path_ = dir_.Write("many-lists.avi", file);
    bytes_ = file.size();
  }
  const std::string& Path() const { return path_; }
  size_t Bytes() const { return bytes_; }

 private:
  testsupport::TempDir dir_;
  std::string path_;
  size_t bytes_ = 0;
};

const ManyStreamListsFile& ManyLists() {
  static ManyStreamListsFile file;
  return file;
}

void BM_ParseManyStreamLists_Vistrel(benchmark::State& state) {
  size_t packets = 0;
  for (auto _ : state) {
    std::unique_ptr<avi::Movie> movie = ParseFile(ManyLists().Path());
    if (!movie) {
      state.SkipWithError("parse failed");
      return;
    }
    packets = movie->VideoTable()->Count();
  }
  state.counters["packets"] = static_cast<double>(packets);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * ManyLists().Bytes()));
}
BENCHMARK(BM_ParseManyStreamLists_Vistrel)
    ->Name("BM_ParseManyStreamLists/vistrel")
    ->Unit(benchmark::kMillisecond);

void BM_ParseManyStreamLists_Libavformat(benchmark::State& state) {
  av_log_set_level(AV_LOG_QUIET);
  size_t packets = 0;
  for (auto _ : state) {
    AVFormatContext* context = nullptr;
    // libavformat refuses files of more than its stream limit; opening is what is timed.
    if (avformat_open_input(&context, ManyLists().Path().c_str(), nullptr, nullptr) == 0) {
      packets = context->nb_streams
                    ? static_cast<size_t>(avformat_index_get_entries_count(context->streams[0]))
                    : 0;
      avformat_close_input(&context);
    }
  }
  state.counters["packets"] = static_cast<double>(packets);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * ManyLists().Bytes()));
}
BENCHMARK(BM_ParseManyStreamLists_Libavformat)
    ->Name("BM_ParseManyStreamLists/libavformat")
    ->Unit(benchmark::kMillisecond);

}  // namespace
