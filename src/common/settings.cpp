#include "common/settings.h"

namespace common {

Settings& GetSettings() {
  static Settings settings;
  return settings;
}

}  // namespace common
