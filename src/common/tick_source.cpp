#include "common/tick_source.h"

#include "platform/system/system.h"

namespace common {
namespace {

class SystemTickSource final : public TickSource {
 public:
  int64_t Counter() const override { return platform::system::PerformanceCounter(); }
  int64_t Frequency() const override { return platform::system::PerformanceFrequency(); }
};

}  // namespace

const TickSource& SystemTicks() {
  static const SystemTickSource source;
  return source;
}

}  // namespace common
