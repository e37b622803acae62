#pragma once

#include <cstdint>
#include <string>

namespace platform::display {
class Surface;
}

namespace playback {

// What the statistics line shows after each decoded frame.
struct StatisticsFigures {
  int32_t stampMs = 0;  // time stamp of the frame just decoded
  double fps = 0.0;
  double userLoad = 0.0;    // percent of all processors
  double kernelLoad = 0.0;  // percent of all processors
  int32_t ready = 0;        // frame frameSlots waiting for presentation
  int32_t busy = 0;         // frame frameSlots in conversion
  int32_t presentationDelay = 0;
  // Milliseconds: full-screen copy into the back buffer, the worker's conversion and scaling,
  // the frame processor's field interpolation, this frame's decoding and its packet read.
  int32_t copyMs = 0;
  int32_t conversionMs = 0;
  int32_t scalingMs = 0;
  int32_t frameProcessorMs = 0;
  int32_t decodeMs = 0;
  int32_t readMs = 0;
};

// The on-screen display as the playback engine uses it: one line of text stamped into the top
// rows of each picture about to be presented.
class Overlay {
 public:
  virtual ~Overlay() = default;

  // Draws the text showing now into `surface`, on the thread that requests the presentation.
  virtual void Draw(platform::display::Surface& surface) = 0;
  // After every decoded frame, on the decoding thread: the statistics line is rebuilt unless a
  // message is showing.
  virtual void FrameDecoded(const StatisticsFigures& figures) = 0;
  // A message for three seconds: narrow (UTF-8) or wide (UTF-16) text.
  virtual void ShowMessage(const std::string& text) = 0;
  virtual void ShowMessage(const std::u16string& text) = 0;
  // Playback ended: whatever shows is hidden once the clock runs again.
  virtual void ClearDeadline() = 0;
};

}  // namespace playback
