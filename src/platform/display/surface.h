#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/display/backend.h"
#include "platform/display/clipper.h"
#include "platform/display/pixel_buffer.h"
#include "platform/display/types.h"

namespace platform::display {

// A 32-bit picture in memory. Off-screen surfaces are plain pictures; the windowed primary
// is the video window's picture (its coordinates are the window's, in device pixels, and
// Present makes what was drawn visible); a flip chain is a full-screen front picture with
// back buffers behind it, and Flip makes the back buffer the visible one.
// Drawing on a primary or a chain is done from one thread at a time, the presenting one.
class Surface {
  struct Store;

 public:
  enum class Kind { kOffscreen, kWindowedPrimary, kFlipChain, kBackBuffer };

  // Only a Device makes surfaces.
  class Key {
    friend class Device;
    friend class Surface;
    Key() = default;
  };
  Surface(Key, Kind kind, std::shared_ptr<Backend> backend, int32_t width, int32_t height,
          int32_t backBufferCount);
  // A chain's back buffer, sharing the front's memory.
  Surface(Key, Kind kind, std::shared_ptr<Backend> backend, std::shared_ptr<Store> store);
  Surface(const Surface&) = delete;
  Surface& operator=(const Surface&) = delete;
  ~Surface();

  // False when the memory could not be had; the Device then hands out no surface.
  bool IsValid() const;
  Kind GetKind() const { return kind_; }
  int32_t Width() const;
  int32_t Height() const;

  // The address of the top-left pixel and the byte pitch, valid until Unlock.
  Result Lock(LockedRect* locked);
  Result Unlock();
  // Copies `from` of `source` (whole surface when null) onto `to` of this surface (whole
  // surface when null), stretching when the sizes differ.
  Result Blt(const Rect* to, Surface& source, const Rect* from);
  // Fills `to` (whole surface when null) with a 32-bit value; 0 is black.
  Result Fill(const Rect* to, uint32_t colour);

  // Windowed primary: makes the window's picture visible as one whole picture.
  Result Present();
  // Flip chain: the back buffer becomes visible. Refused while the chain is locked.
  Result Flip();
  // Flip chain: its back buffer, owned by the chain; null for other kinds.
  Surface* BackBuffer() { return backBuffer_.get(); }

  // Windowed primary only; null detaches.
  Result SetClipper(const Clipper* clipper);

  bool IsLost() const;
  // Brings a lost surface back, black; its old content is gone. kFailed while the display
  // cannot be restored (no window).
  Result Restore();

 private:
  // The memory of a surface, shared by a chain's front and back buffer.
  struct Store {
    std::mutex mutex;
    std::vector<PixelBuffer> buffers;  // one, or a chain's front and back buffers
    size_t front = 0;
    int locks[2] = {0, 0};  // Locks of the front (or only) surface and of the back buffer
    int accesses = 0;       // Locks, blits and fills in progress
    // The display's loss count when the store was made or restored; only compared.
    std::atomic<uint64_t> madeAt{0};
    std::shared_ptr<Clipper::Binding> clipper;
  };

  // Keeps one buffer of the store from being flipped away while it is drawn on or read.
  class Access;

  size_t BufferIndex() const;  // call with the store's mutex held
  bool CanBeLost() const { return kind_ != Kind::kOffscreen; }
  // The rectangle drawing on this surface is cut to, or null when it must fit exactly.
  bool ClipRect(Rect* clip);

  const Kind kind_;
  std::shared_ptr<Backend> backend_;
  std::shared_ptr<Store> store_;
  std::unique_ptr<Surface> backBuffer_;
};

}  // namespace platform::display
