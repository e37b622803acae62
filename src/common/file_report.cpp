#include "common/file_report.h"

#include <cstdio>

namespace common {

void ReportFile(std::string_view file, std::string_view reason) {
  // One call, so that lines from different threads do not interleave.
  std::fprintf(stderr, "vistrel: %.*s: %.*s\n", static_cast<int>(file.size()), file.data(),
               static_cast<int>(reason.size()), reason.data());
}

}  // namespace common
