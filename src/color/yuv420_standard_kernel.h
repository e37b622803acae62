#pragma once

#include <cstddef>
#include <cstdint>

namespace color {

// The standard 4:2:0 kernel: YV12 to 32-bit BGRX through the luma level table, the 8-bit
// chroma matrix and channel table set A. Chroma is co-sited with the even pixels of the even
// rows and spread bilinearly (weights 1, 1/2, 1/4) to the pixels between; the bottom and
// right edges repeat the last chroma row and column. The Y/C offset (−5 … +5) moves the
// chroma read position by whole chroma samples (two pixels each) within the row; samples
// moved past an edge repeat the edge sample, so nothing beyond the picture is read. With
// `dcc` the picture first feeds the DCC histograms; field 1 or 2 marks a single field, which
// is converted and then doubled to 2 × height rows. Arguments as in Yv12KernelFrame; false,
// writing nothing, when they are refused or before the tables exist.
bool ConvertYv12Standard(const uint8_t* source, uint8_t* destination, int width, int height, ptrdiff_t pitch,
                         int ycOffset, bool dcc, int field);

}  // namespace color
