#pragma once

#include <cstdint>

namespace common {

// Instruction sets that the vector passes are built for, as bits of a mask.
enum CpuFlag : uint32_t {
  kCpuSse2 = 1u << 0,
  // With FMA: the AVX2 files are compiled for both.
  kCpuAvx2 = 1u << 1,
};

// The instruction sets this processor has, less any that a test has masked off. The processor
// is asked once.
uint32_t CpuFlags();

// Keeps only the flags in `mask` from now on; a mask never adds a set the processor lacks. The
// dispatch tables keep what they chose until their Init runs again.
void SetCpuMaskForTesting(uint32_t mask);

// A module's table of vector passes, which kBuild fills for CpuFlags(). The first Get builds it;
// Init builds it again, for a test that has lowered the mask while none of the passes runs.
template <typename Table, Table (*kBuild)()>
class DispatchTable {
 public:
  static void Init() { Instance() = kBuild(); }
  static const Table& Get() { return Instance(); }

 private:
  static Table& Instance() {
    static Table table = kBuild();
    return table;
  }
};

}  // namespace common
