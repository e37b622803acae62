#pragma once

#include <string>

namespace aviwriter {

// The demo clip: 10 s of 640×360 YV12 at 25 fps (colour bars, a grey ramp and a moving
// gradient) with a 16-bit stereo 44.1 kHz tone, three chapters and colour hints.
bool WriteDemoClip(const std::string& path);

}  // namespace aviwriter
