#pragma once

#include <memory>

#include "avi/file_view.h"
#include "avi/movie.h"
#include "avi/parse_control.h"

namespace avi {

// A container reader: says whether it takes a file and turns a file it takes into a Movie.
// Either refusal says why on stderr.
class IStreamDataHandler {
 public:
  virtual ~IStreamDataHandler() = default;
  // Non-zero when the file is one this reader takes.
  virtual int Probe(FileView& view) = 0;
  // The file's Movie, or none when the file is refused or the parse cancelled; the caller owns
  // it. `control` follows and may cancel the long part of the parse.
  virtual std::unique_ptr<Movie> Parse(FileView& view, const ParseControl& control) = 0;
  std::unique_ptr<Movie> Parse(FileView& view) { return Parse(view, ParseControl{}); }
};

}  // namespace avi
