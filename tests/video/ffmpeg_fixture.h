#pragma once

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "avi/avi_file.h"
#include "avi/file_view.h"
#include "avi/movie.h"
#include "support/temp_dir.h"

namespace videotest {

// Runs a shell command; true when it exits with 0.
inline bool Run(const std::string& command) {
  return std::system((command + " >/dev/null 2>&1").c_str()) == 0;
}

// Everything a command writes to its standard output.
inline std::vector<uint8_t> Output(const std::string& command) {
  std::vector<uint8_t> bytes;
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen((command + " 2>/dev/null").c_str(), "r"), pclose);
  if (!pipe) return bytes;
  uint8_t chunk[1 << 16];
  size_t n = 0;
  while ((n = fread(chunk, 1, sizeof(chunk), pipe.get())) > 0) bytes.insert(bytes.end(), chunk, chunk + n);
  return bytes;
}

// Encodes `seconds` of FFmpeg's moving test picture at width × height, 25 fps, into an AVI
// file with the given encoder options; empty when ffmpeg cannot.
inline std::string Encode(const testsupport::TempDir& dir, const std::string& name, int width, int height,
                          double seconds, const std::string& options) {
  const std::string path = dir.File(name);
  const std::string command =
      "ffmpeg -nostdin -v error -y -f lavfi -i testsrc2=size=" + std::to_string(width) + "x" +
      std::to_string(height) + ":rate=25:duration=" + std::to_string(seconds) + " " + options + " " + path;
  return Run(command) ? path : std::string();
}

// FFmpeg's own decoding of a file, every picture in the order it shows them.
inline std::vector<uint8_t> Reference(const std::string& path, const std::string& pixelFormat) {
  return Output("ffmpeg -nostdin -v error -i " + path + " -f rawvideo -pix_fmt " + pixelFormat + " -");
}

inline std::unique_ptr<avi::Movie> Parse(const std::string& path) {
  avi::FileView view = avi::FileView::Open(path);
  avi::AVIFile reader;
  if (reader.Probe(view) == 0) return nullptr;
  return reader.Parse(view);
}

// A yuv420p picture (Y, U, V) reordered as YV12 (Y, V, U).
inline std::vector<uint8_t> Yv12From420p(const uint8_t* picture, int width, int height) {
  const size_t area = static_cast<size_t>(width) * height;
  const size_t chroma = area / 4;
  std::vector<uint8_t> yv12(picture, picture + area);
  yv12.insert(yv12.end(), picture + area + chroma, picture + area + 2 * chroma);
  yv12.insert(yv12.end(), picture + area, picture + area + chroma);
  return yv12;
}

}  // namespace videotest
