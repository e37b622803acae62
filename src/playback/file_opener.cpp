#include "playback/file_opener.h"

#include <span>

#include "avi/file_view.h"
#include "color/channel_tables.h"
#include "color/colour_state.h"
#include "color/level_tables.h"
#include "playback/busy_scope.h"
#include "playback/colour_refresh.h"
#include "playback/open_progress.h"
#include "playback/show_one_frame.h"
#include "scale/normal_quality_converter.h"

namespace playback {

namespace {

// The file's hint (its index, 0 for none) as a matrix or transfer code; -1 for none or an
// unknown hint, which keeps the current code.
int32_t CodeForHint(std::span<const int32_t> codes, uint8_t hint) {
  return hint < codes.size() ? codes[hint] : -1;
}

constexpr int32_t kYuvTypeForHint[] = {-1, 0, 1, 5};
constexpr int32_t kRgbTypeForHint[] = {-1, 0, 2, 1, 3};

}  // namespace

void FileOpener::OnFrameEvent(void* user, int32_t event, intptr_t, intptr_t) {
  auto& c = *static_cast<EngineContext*>(user);
  const common::Settings& s = c.services.settings;
  if (s.enableDcc == 0) return;
  if (event == video::kEventKeyFrame) {
    color::DecayHistograms();
  } else if (event != video::kEventPicture || ++c.file.pictureEvents % 4 != 0) {
    return;
  }
  color::SetPictureLevels(s.brightness / 100.0, s.contrast / 100.0, s.saturation / 100.0);
}

void FileOpener::ApplyColourHints(const avi::Movie& movie) {
  common::Settings& s = c_.services.settings;
  scale::NormalQualityConverter* frameProcessor = c_.services.frameProcessor;
  const int32_t yuvType = CodeForHint(kYuvTypeForHint, movie.colourInfo[0]);
  if (yuvType >= 0) {
    s.yuvType = yuvType;
    ChangeYuvMatrix(s);
    if (frameProcessor != nullptr) frameProcessor->SetYuvMatrix(yuvType);
  }
  const uint8_t rgbHint = movie.colourInfo[1];
  if (rgbHint != 0) {
    const int32_t rgbType = CodeForHint(kRgbTypeForHint, rgbHint);
    if (rgbType >= 0) s.rgbType = rgbType;
    color::SetSourceTransfer(s.rgbType);
    if (frameProcessor != nullptr) frameProcessor->SetSourceTransfer(s.rgbType);
    RebuildRgb(s);
  }
}

void FileOpener::Unload() {
  SuspendScope suspend(c_.presentation);
  LoadedFile& file = c_.file;
  file.decoder.reset();
  file.movie.reset();
  for (FrameSlot& slot : c_.ring.frameSlots) slot.raw.reset();
  c_.ring.lastDecoded = -1;
  c_.ring.previousTime = 0;
  c_.ring.shownFrame = 0;
}

std::unique_ptr<avi::Movie> FileOpener::Parse(avi::AVIFile& reader, avi::FileView& view) {
  opening_ = true;
  cancel_.store(false, std::memory_order_relaxed);
  std::unique_ptr<avi::Movie> movie;
  {
    OpenProgress progress(c_, presenter_, cancel_);
    movie = reader.Parse(view, {[&progress](double fraction) { progress.Report(fraction); }, &cancel_});
  }
  opening_ = false;
  return movie;
}

void FileOpener::Open(const FileName& name) {
  if (opening_) return;
  avi::FileView view = name.isWide ? avi::FileView::Open(name.wide) : avi::FileView::Open(name.narrow);
  avi::AVIFile reader;
  if (!view.IsOpen() || reader.Probe(view) == 0) {
    c_.services.window.ShowMessage("Unsupported file", "Open");
    return;
  }
  control_.Stop();
  Unload();

  // The parser says on stderr why a file yields nothing.
  std::unique_ptr<avi::Movie> movie = Parse(reader, view);
  const bool fullScreen = c_.presentation.fullScreen.load(std::memory_order_relaxed) != 0;
  if (movie == nullptr) {
    modes_.RebuildSurfaces(fullScreen);
    return;
  }
  PresentationState& p = c_.presentation;
  for (size_t i = 0; i < 4; ++i) p.crop[i].store(movie->videoParams[i], std::memory_order_relaxed);
  p.aspectNumerator.store(movie->videoParams[4], std::memory_order_relaxed);
  p.aspectDenominator.store(movie->videoParams[5], std::memory_order_relaxed);
  ApplyColourHints(*movie);

  LoadedFile& file = c_.file;
  file.movie = std::move(movie);
  auto decoder = std::make_unique<video::VCMDecoder>(*file.movie, c_.services.frameProcessor,
                                                     c_.services.frameProcessorLock);
  if (decoder->Kind() == video::kKindUnusable) {
    decoder.reset();
    modes_.RebuildSurfaces(fullScreen);
    c_.services.window.ShowMessage("Cannot decode", "Error");
    return;
  }
  file.rate = file.movie->streamHeader.rate;
  file.scale = file.movie->streamHeader.scale;
  file.fieldPictures = decoder->FieldPairs() || decoder->StackedFields();
  if (!fullScreen) {
    video::DecodedPicture output{};
    decoder->GetOutputInfo(&output);
    c_.services.window.ResizeVideoArea(output.width, output.height);
  }
  for (int i = kFrameSlots - 1; i >= 0; --i) {
    c_.ring.frameSlots[size_t(i)].raw = common::MakeSharedBuffer<uint8_t>(decoder->OutputSize());
  }
  decoder->SetFrameCallback(&FileOpener::OnFrameEvent, &c_);
  file.pictureEvents = 0;
  {
    SuspendScope suspend(p);
    file.decoder = std::move(decoder);
  }
  modes_.RebuildSurfaces(fullScreen);
  ShowOneFrame(c_, presenter_, 0);
}

}  // namespace playback
