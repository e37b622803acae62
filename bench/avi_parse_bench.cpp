// Parsing the index of a two-hour OpenDML file (about 180 000 video and 275 000 audio
// packets), written sparse so that it costs only its headers and indexes on disk.
#include <benchmark/benchmark.h>
#include <unistd.h>

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/log.h>
}

#include <filesystem>
#include <string>

#include "avi/avi_file.h"
#include "avi_writer/synthetic_movie.h"

namespace {

class TwoHourFile {
 public:
  TwoHourFile() {
    path_ =
        (std::filesystem::temp_directory_path() / ("vistrel-two-hour-" + std::to_string(getpid()) + ".avi"))
            .string();
    aviwriter::SyntheticMovie movie;
    movie.seconds = 2 * 60 * 60;
    aviwriter::WriterOptions options;
    options.openDml = true;
    options.sparse = true;
    ok_ = aviwriter::WriteSyntheticMovie(path_, movie, options);
  }
  ~TwoHourFile() { std::filesystem::remove(path_); }
  const std::string& Path() const { return path_; }
  bool Ok() const { return ok_; }

 private:
  std::string path_;
  bool ok_ = false;
};

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
    avi::FileView view = avi::FileView::Open(File().Path());
    avi::AVIFile reader;
    std::unique_ptr<avi::Movie> movie = reader.Probe(view) ? reader.Parse(view) : nullptr;
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

}  // namespace
