#include "playback/engine.h"

#include <chrono>

#include "playback/chapters.h"
#include "playback/show_one_frame.h"

namespace playback {

namespace {

void Sleep(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

}  // namespace

Engine::Engine(const EngineServices& services)
    : context_(services),
      presenter_(context_),
      modes_(context_),
      control_(context_, presenter_),
      opener_(context_, control_, modes_, presenter_),
      worker_(context_) {}

Engine::~Engine() {
  control_.Stop();
  StopThreads();
}

void Engine::EnterWindowedMode() { modes_.SetMode(false); }

void Engine::StartThreads() {
  context_.presentation.windowState.store(kWindowNormal, std::memory_order_relaxed);
  context_.ring.workerState.store(kWorkerStopped);
  workerThread_ = common::StartThread(common::ThreadPriority::kNormal, [this] { worker_.Run(); });
  while (context_.ring.workerState.load() == kWorkerStopped) Sleep(1);
  presentationThread_ = std::thread([this] { presenter_.Run(); });
  while (context_.presentation.threadState.load() == 0) Sleep(1);
}

void Engine::StopThreads() {
  FrameRing& ring = context_.ring;
  PresentationState& p = context_.presentation;
  auto quitWorker = [&ring] {
    int32_t idle = kWorkerIdle;
    if (ring.workerState.compare_exchange_strong(idle, kWorkerQuit)) ring.workerEvent.Set();
  };
  quitWorker();
  if (presentationThread_.joinable()) {
    p.threadState.fetch_or(kPresenterQuit);
    p.requests.fetch_add(1, std::memory_order_relaxed);
    p.presentRequestEvent.Set();
    while (p.threadState.load() != 0) Sleep(10);
    presentationThread_.join();
  }
  if (workerThread_.joinable()) {
    while (ring.workerState.load() != kWorkerStopped) {
      quitWorker();
      Sleep(10);
    }
    workerThread_.join();
  }
}

void Engine::Open(const FileName& name) { opener_.Open(name); }

void Engine::SeekBy(int32_t deltaMs) {
  const int64_t target = int64_t{context_.services.clock.Now()} + deltaMs;
  control_.Seek(target < 0 ? 0 : target > INT32_MAX ? INT32_MAX : static_cast<int32_t>(target));
}

std::optional<Engine::ChapterMessage> Engine::JumpToChapter(ChapterChoice choose) {
  const avi::Movie* movie = context_.file.movie.get();
  if (movie == nullptr || !movie->chapters) return std::nullopt;
  const avi::ChapterTable& table = *movie->chapters;
  const FrameTiming timing{context_.file.rate, context_.file.scale, false};
  const std::optional<size_t> target = choose(table, CurrentFrame(context_.services.clock.Now(), timing));
  if (!target) return std::nullopt;
  control_.Seek(static_cast<int32_t>(std::min<uint32_t>(ChapterStartMs(table, *target, timing), INT32_MAX)));
  const std::string number = "Go To Chapter " + std::to_string(*target + 1) + ": ";
  if (!table.TitleIsWide(*target)) return number + table.Title8(*target);
  return std::u16string(number.begin(), number.end()) + table.Title16(*target);
}

std::optional<Engine::ChapterMessage> Engine::NextChapter() { return JumpToChapter(&playback::NextChapter); }

std::optional<Engine::ChapterMessage> Engine::PreviousChapter() {
  return JumpToChapter(&playback::PreviousChapter);
}

void Engine::SetFullScreen(bool fullScreen) {
  modes_.SetMode(fullScreen);
  if (!control_.Running()) ShowOneFrame(context_, presenter_, context_.ring.shownFrame);
}

std::array<int32_t, 2> Engine::OutputSize() const {
  if (context_.file.decoder == nullptr) return {0, 0};
  return {context_.file.outputWidth.load(std::memory_order_relaxed),
          context_.file.outputHeight.load(std::memory_order_relaxed)};
}

std::array<int32_t, 4> Engine::PresentationCounters() const {
  const PresentationState& p = context_.presentation;
  return {p.wakeByEvent.load(std::memory_order_relaxed), p.wakeByTimeout.load(std::memory_order_relaxed),
          p.waits.load(std::memory_order_relaxed), p.requests.load(std::memory_order_relaxed)};
}

}  // namespace playback
