#pragma once

#include <cstddef>
#include <cstdint>

namespace video {

// Copies a YV12 picture of width × height (even) into planes whose rows are paddedWidth luma
// and paddedWidth / 2 chroma samples long, each row's last sample repeated into the padding:
// the layout the frame processor reads when the width is not a multiple of 4.
void PadYv12(const uint8_t* source, int32_t width, int32_t height, int32_t paddedWidth, uint8_t* destination);

// Bytes of such a padded picture.
size_t PaddedYv12Bytes(int32_t paddedWidth, int32_t height);

}  // namespace video
