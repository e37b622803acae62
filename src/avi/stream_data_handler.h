#pragma once

#include <memory>

#include "avi/file_view.h"
#include "avi/movie.h"

namespace avi {

// A container reader: says whether it takes a file and turns a file it takes into a Movie.
class IStreamDataHandler {
 public:
  virtual ~IStreamDataHandler() = default;
  // Non-zero when the file is one this reader takes.
  virtual int Probe(FileView& view) = 0;
  // The file's Movie, or none when the file is refused; the caller owns it.
  virtual std::unique_ptr<Movie> Parse(FileView& view) = 0;
};

}  // namespace avi
