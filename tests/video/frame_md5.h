#pragma once

#include <cstdint>
#include <map>
#include <sstream>
#include <string>
#include <vector>

extern "C" {
#include <libavutil/md5.h>
}

#include "video/ffmpeg_fixture.h"

namespace videotest {

// FFmpeg's own decoding of a file as `ffmpeg -f framemd5` lists it: the MD5 of every picture by
// its time stamp. The first stamp is the stream's start, so frame f has stamp first + f.
struct FrameMd5List {
  int64_t first = 0;
  std::map<int64_t, std::string> byStamp;
  size_t rows = 0;

  // The hash FFmpeg gives for frame f; empty when it has no picture stamped for it.
  std::string Frame(int64_t frame) const {
    const auto found = byStamp.find(first + frame);
    return found == byStamp.end() ? std::string() : found->second;
  }
};

// `options` go between the input and the muxer, for example "-pix_fmt yuv420p".
inline FrameMd5List FrameMd5(const std::string& path, const std::string& options) {
  const std::vector<uint8_t> text =
      Output("ffmpeg -nostdin -v error -i " + path + " " + options + " -f framemd5 -");
  FrameMd5List list;
  std::istringstream lines(std::string(text.begin(), text.end()));
  std::string line;
  while (std::getline(lines, line)) {
    if (line.empty() || line[0] == '#') continue;
    // stream, dts, pts, duration, size, hash
    std::vector<std::string> fields;
    std::istringstream row(line);
    for (std::string field; std::getline(row, field, ',');) {
      field.erase(0, field.find_first_not_of(' '));
      fields.push_back(field);
    }
    if (fields.size() != 6) continue;
    const int64_t stamp = std::stoll(fields[2]);
    if (list.rows == 0) list.first = stamp;
    list.byStamp[stamp] = fields[5];
    ++list.rows;
  }
  return list;
}

// The MD5 of a YV12 picture (Y, V, U) laid out as yuv420p (Y, U, V), as framemd5 hashes it.
inline std::string Yv12Md5(const uint8_t* picture, int width, int height) {
  // Swapping the chroma planes is its own inverse.
  const std::vector<uint8_t> planar = Yv12From420p(picture, width, height);
  uint8_t digest[16];
  av_md5_sum(digest, planar.data(), planar.size());
  static constexpr char kHex[] = "0123456789abcdef";
  std::string hex;
  for (uint8_t byte : digest) {
    hex += kHex[byte >> 4];
    hex += kHex[byte & 15];
  }
  return hex;
}

}  // namespace videotest
