#include <gtest/gtest.h>

#include "platform/mixer/mixer.h"

namespace platform::mixer {
namespace {

// Machines without a sound card (build machines) have no mixer and must say so cleanly; where
// there is one, the volume reads inside its range and writing the same value back keeps it.
TEST(AlsaMixer, OpensTheMasterVolumeOrReportsNone) {
  for (int round = 0; round < 2; ++round) {
    std::unique_ptr<Mixer> mixer = OpenMixer();
    if (mixer == nullptr) {
      GTEST_SKIP() << "no mixer on this machine";
    }
    ASSERT_GT(mixer->Maximum(), 0u);
    uint32_t volume = 0;
    ASSERT_TRUE(mixer->GetVolume(&volume));
    EXPECT_LE(volume, mixer->Maximum());
    ASSERT_TRUE(mixer->SetVolume(volume));
    uint32_t again = 0;
    ASSERT_TRUE(mixer->GetVolume(&again));
    EXPECT_EQ(again, volume);
  }
}

}  // namespace
}  // namespace platform::mixer
