#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "avi/avi_file.h"
#include "avi/riff_builder.h"
#include "support/temp_dir.h"

namespace avitest {

// Writes hand-made files and parses them, keeping the view of the last one open.
class ParseFixture : public ::testing::Test {
 protected:
  std::unique_ptr<avi::Movie> Parse(const Bytes& file, const std::string& name = "clip.avi") {
    view_ = avi::FileView::Open(dir_.Write(name, file));
    avi::AVIFile reader;
    if (!reader.Probe(view_)) return nullptr;
    return reader.Parse(view_);
  }
  Bytes Data(const avi::PacketTable& table, size_t j) {
    Bytes out(table.Size(j) & ~avi::kNotKeyFrame);
    out.resize(table.View().Read(table[j].offset, static_cast<uint32_t>(out.size()), out.data()));
    return out;
  }

  testsupport::TempDir dir_;
  avi::FileView view_;
};

// movi list with the packets laid out back to back, and the idx1 offsets of their headers.
struct Movi {
  Bytes list;
  std::vector<uint32_t> offsets;
};
inline Movi MakeMovi(const std::vector<std::pair<std::string, Bytes>>& chunks) {
  Bytes body;
  std::vector<uint32_t> offsets;
  for (const auto& [id, data] : chunks) {
    offsets.push_back(static_cast<uint32_t>(body.size() + 4));  // counted from the movi FOURCC
    body = Cat({body, Chunk(id.c_str(), data)});
    if (data.size() & 1) body.push_back(0);
  }
  return {List("movi", body), offsets};
}

}  // namespace avitest
