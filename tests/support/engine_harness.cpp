#include "support/engine_harness.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

#include "color/kernel_scratch.h"
#include "common/allocation_lock.h"

namespace testsupport {

EngineHarness::EngineHarness(const Options& options)
    : backend_(std::make_shared<platform::display::MemoryBackend>(options.display)),
      frameProcessor_(color::GetFieldInterpolator()) {
  common::AllocationLock::Acquire();
  host_ = std::make_unique<RecordingWindowHost>(*backend_);
  char path[] = "/tmp/vistrel-dump-XXXXXX";
  const int fd = mkstemp(path);
  if (fd >= 0) close(fd);
  dumpPath_ = path;
  dump_ = std::make_unique<playback::StatsDump>(std::fopen(dumpPath_.c_str(), "a"));
  display_.device = std::make_unique<platform::display::Device>(backend_);
  playback::RendererFactory factory = options.rendererFactory;
  if (!factory && options.renderer) {
    factory = [this, works = options.deviceWorks](int32_t, common::PlaybackClock&) {
      return std::make_unique<FakeRenderer>(rendererCalls, works);
    };
  }
  playback::EngineServices services{.settings = settings,
                                    .clock = clock,
                                    .ticks = ticks,
                                    .display = display_,
                                    .presentationResizer = resizer_,
                                    .frameProcessor = &frameProcessor_,
                                    .frameProcessorLock = &frameProcessorLock_,
                                    .window = *host_,
                                    .processorCount = 2,
                                    .rendererFactory = factory,
                                    .statsDump = dump_.get()};
  engine_ = std::make_unique<playback::Engine>(services);
  engine_->EnterWindowedMode();
  engine_->StartThreads();
}

EngineHarness::~EngineHarness() {
  engine_->Stop();
  engine_->StopThreads();
  engine_.reset();
  playback::ReleaseDisplay(display_);
  dump_.reset();
  std::remove(dumpPath_.c_str());
  common::AllocationLock::Release();
}

void EngineHarness::Open(const std::string& path) {
  engine_->Open(playback::FileName::Narrow(path));
  WaitUntil([this] { return !engine_->PresentationPending(); });
}

std::vector<std::vector<std::string>> EngineHarness::DumpLines(const std::string& kind) const {
  std::vector<std::vector<std::string>> lines;
  std::ifstream in(dumpPath_);
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    std::vector<std::string> split;
    std::string field;
    while (fields >> field) split.push_back(field);
    if (!split.empty() && split[0] == kind) lines.push_back(split);
  }
  return lines;
}

std::vector<int32_t> EngineHarness::PresentedStamps() const {
  std::vector<int32_t> stamps;
  for (const auto& line : DumpLines("frame")) stamps.push_back(std::stoi(line[1]));
  return stamps;
}

}  // namespace testsupport
