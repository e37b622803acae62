#include "color/level_distribution.h"

namespace color {

std::array<double, 256> LumaDistribution(const std::array<uint64_t, 256>& counts) {
  double total = 0;
  int used = 0;
  for (int v = 16; v <= 235; ++v) {
    total += static_cast<double>(counts[v]);
    used += counts[v] != 0;
  }
  const double prior = used == 0 ? 16.0 : 8.0 * total / used;
  std::array<double, 256> f{};
  for (int v = 17; v <= 235; ++v) {
    f[v] = f[v - 1] + static_cast<double>(counts[v]) + prior;
  }
  for (int v = 236; v < 256; ++v) {
    f[v] = f[235];
  }
  return f;
}

std::array<double, 129> ChromaDistribution(const std::array<uint64_t, 256>& counts) {
  auto pair = [&counts](int d) { return static_cast<double>(counts[128 - d] + counts[128 + d]); };
  double total = 0;
  int used = 0;
  for (int d = 1; d <= 112; ++d) {
    total += pair(d);
    used += pair(d) != 0;
  }
  const double prior = used == 0 ? 16.0 : total / used / 0.2;
  std::array<double, 129> g{};
  for (int d = 1; d <= 127; ++d) {
    g[d] = g[d - 1] + pair(d) + prior;
  }
  g[128] = g[127] + 2 * static_cast<double>(counts[0]) + prior;
  return g;
}

}  // namespace color
