#include "platform/display/surface.h"

#include "platform/display/blit.h"

namespace platform::display {

class Surface::Access {
 public:
  explicit Access(const Surface& surface) : store_(*surface.store_) {
    std::lock_guard lock(store_.mutex);
    ++store_.accesses;
    buffer_ = &store_.buffers[surface.BufferIndex()];
  }
  Access(const Access&) = delete;
  Access& operator=(const Access&) = delete;
  ~Access() {
    std::lock_guard lock(store_.mutex);
    --store_.accesses;
  }
  const PixelBuffer& Buffer() const { return *buffer_; }

 private:
  Store& store_;
  const PixelBuffer* buffer_;
};

Surface::Surface(Key, Kind kind, std::shared_ptr<Backend> backend, int32_t width, int32_t height,
                 int32_t backBufferCount)
    : kind_(kind), backend_(std::move(backend)), store_(std::make_shared<Store>()) {
  store_->buffers.resize(kind == Kind::kFlipChain ? size_t(backBufferCount) + 1 : 1);
  for (PixelBuffer& buffer : store_->buffers) {
    if (!buffer.Allocate(width, height)) return;
  }
  store_->madeAt.store(backend_->LossCount(), std::memory_order_relaxed);
  if (kind == Kind::kFlipChain)
    backBuffer_ = std::make_unique<Surface>(Key{}, Kind::kBackBuffer, backend_, store_);
}

Surface::Surface(Key, Kind kind, std::shared_ptr<Backend> backend, std::shared_ptr<Store> store)
    : kind_(kind), backend_(std::move(backend)), store_(std::move(store)) {}

Surface::~Surface() = default;

bool Surface::IsValid() const {
  std::lock_guard lock(store_->mutex);
  for (const PixelBuffer& buffer : store_->buffers) {
    if (!buffer.Bits()) return false;
  }
  return true;
}

int32_t Surface::Width() const {
  std::lock_guard lock(store_->mutex);
  return store_->buffers[0].Width();
}

int32_t Surface::Height() const {
  std::lock_guard lock(store_->mutex);
  return store_->buffers[0].Height();
}

size_t Surface::BufferIndex() const {
  const size_t offset = kind_ == Kind::kBackBuffer ? 1 : 0;
  return (store_->front + offset) % store_->buffers.size();
}

bool Surface::IsLost() const {
  return CanBeLost() && store_->madeAt.load(std::memory_order_relaxed) != backend_->LossCount();
}

bool Surface::ClipRect(Rect* clip) {
  if (kind_ != Kind::kWindowedPrimary) return false;
  {
    std::lock_guard lock(store_->mutex);
    if (!store_->clipper || !store_->clipper->bound.load(std::memory_order_relaxed)) return false;
  }
  *clip = backend_->ClientRect();
  return true;
}

Result Surface::Lock(LockedRect* locked) {
  if (!locked) return Result::kFailed;
  if (IsLost()) return Result::kSurfaceLost;
  std::lock_guard lock(store_->mutex);
  const PixelBuffer& buffer = store_->buffers[BufferIndex()];
  ++store_->locks[kind_ == Kind::kBackBuffer ? 1 : 0];
  ++store_->accesses;
  *locked = {buffer.Bits(), buffer.Pitch(), buffer.Width(), buffer.Height()};
  return Result::kOk;
}

Result Surface::Unlock() {
  std::lock_guard lock(store_->mutex);
  int& locks = store_->locks[kind_ == Kind::kBackBuffer ? 1 : 0];
  if (locks == 0) return Result::kFailed;
  --locks;
  --store_->accesses;
  return Result::kOk;
}

Result Surface::Blt(const Rect* to, Surface& source, const Rect* from) {
  if (IsLost() || source.IsLost()) return Result::kSurfaceLost;
  Rect clip;
  const bool clipped = ClipRect(&clip);
  const Access target(*this);
  const Access input(source);
  const Rect toRect = to ? *to : target.Buffer().Bounds();
  const Rect fromRect = from ? *from : input.Buffer().Bounds();
  return BlitPixels(target.Buffer(), toRect, input.Buffer(), fromRect, clipped ? &clip : nullptr);
}

Result Surface::Fill(const Rect* to, uint32_t colour) {
  if (IsLost()) return Result::kSurfaceLost;
  Rect clip;
  const bool clipped = ClipRect(&clip);
  const Access target(*this);
  return FillPixels(target.Buffer(), to ? *to : target.Buffer().Bounds(), colour, clipped ? &clip : nullptr);
}

Result Surface::Present() {
  if (kind_ != Kind::kWindowedPrimary) return Result::kFailed;
  if (IsLost()) return Result::kSurfaceLost;
  const Access picture(*this);
  const Rect area = Intersect(backend_->ClientRect(), picture.Buffer().Bounds());
  if (area.IsEmpty()) return Result::kOk;
  return backend_->Present(picture.Buffer().View(area), false);
}

Result Surface::Flip() {
  if (kind_ != Kind::kFlipChain) return Result::kFailed;
  if (IsLost()) return Result::kSurfaceLost;
  PictureView picture;
  {
    std::lock_guard lock(store_->mutex);
    // A locked or drawn-on back buffer holds a half-made picture: refuse rather than show it.
    if (store_->accesses > 0) return Result::kFailed;
    store_->front = (store_->front + 1) % store_->buffers.size();
    const PixelBuffer& front = store_->buffers[store_->front];
    picture = front.View(front.Bounds());
  }
  return backend_->Present(picture, true);
}

Result Surface::SetClipper(const Clipper* clipper) {
  if (kind_ != Kind::kWindowedPrimary) return Result::kFailed;
  std::lock_guard lock(store_->mutex);
  store_->clipper = clipper ? clipper->GetBinding() : nullptr;
  return Result::kOk;
}

Result Surface::Restore() {
  if (!IsLost()) return Result::kOk;
  if (!backend_->HasWindow()) return Result::kFailed;
  const uint64_t lossCount = backend_->LossCount();
  const DisplayMode desktop = backend_->DesktopMode();
  std::lock_guard lock(store_->mutex);
  if (store_->accesses > 0) return Result::kFailed;
  for (PixelBuffer& buffer : store_->buffers) {
    // The windowed primary follows the screen, which may have changed with the loss.
    if (kind_ == Kind::kWindowedPrimary &&
        (buffer.Width() != desktop.width || buffer.Height() != desktop.height)) {
      if (!buffer.Allocate(desktop.width, desktop.height)) return Result::kFailed;
    } else {
      buffer.Clear();
    }
  }
  store_->madeAt.store(lossCount, std::memory_order_relaxed);
  return Result::kOk;
}

}  // namespace platform::display
