#pragma once

#include <cstddef>
#include <cstdint>

namespace color {

// The Lanczos 4:2:0 kernel (high-quality mode 1): YV12 to 32-bit BGRX with both chroma planes
// doubled in height and then in width by a Lanczos-3 filter (chroma centred between its luma
// pixels), through the luma and chroma level tables, the 16-bit chroma matrix and channel
// table set A. Luma is doubled to match the matrix's doubled scale and each sum halved. The
// Y/C offset (−5 … +5) moves chroma by whole pixels within the row, the edge pixel's chroma
// repeated past an edge. Any even width works: the chroma rows are padded by repeating their
// edge samples. DCC, fields and arguments as in ConvertYv12Standard.
bool ConvertYv12Lanczos(const uint8_t* source, uint8_t* destination, int width, int height, ptrdiff_t pitch,
                        int ycOffset, bool dcc, int field);

}  // namespace color
