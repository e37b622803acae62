#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <iterator>

#include "audio/ac3_gain_table.h"
#include "stream_fixture.h"

namespace {

using audio::Ac3GainTable;

std::vector<uint8_t> FirstFrame(const testsupport::TempDir& dir, const std::string& options) {
  std::string file = dir.File("levels.ac3");
  EXPECT_TRUE(audiotest::RunFfmpeg("-f lavfi -i sine=d=0.1:r=48000 " + options + " -c:a ac3 -f ac3 " + file));
  std::ifstream in(file, std::ios::binary);
  std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  bytes.resize(std::min<size_t>(bytes.size(), 64));
  return bytes;
}

TEST(Ac3GainTable, ReferenceLevelStereoIsTheIdentity) {
  testsupport::TempDir dir;
  std::vector<uint8_t> frame = FirstFrame(dir, "-ac 2 -dialnorm -31");
  Ac3GainTable::Levels levels{};
  ASSERT_TRUE(Ac3GainTable::ParseLevels(frame.data(), frame.size(), &levels));
  EXPECT_EQ(levels.acmod, 2);
  EXPECT_EQ(levels.lfeon, 0);
  EXPECT_EQ(levels.dialnorm, 31);
  EXPECT_DOUBLE_EQ(Ac3GainTable::Gain(levels), 1.0);
  Ac3GainTable table;
  ASSERT_TRUE(table.Build(frame.data(), frame.size()));
  for (int i = 0; i < 65536; ++i) ASSERT_EQ(table.Entry(static_cast<uint16_t>(i)), i - 32768) << i;
}

TEST(Ac3GainTable, FiveOneAtDialogueLevel27) {
  testsupport::TempDir dir;
  std::vector<uint8_t> frame = FirstFrame(dir, "-ac 6 -dialnorm -27");
  Ac3GainTable::Levels levels{};
  ASSERT_TRUE(Ac3GainTable::ParseLevels(frame.data(), frame.size(), &levels));
  EXPECT_EQ(levels.acmod, 7);
  EXPECT_EQ(levels.lfeon, 1);
  EXPECT_EQ(levels.dialnorm, 27);
  double gain = std::pow(10.0, 4.0 / 20.0) * 4;
  EXPECT_DOUBLE_EQ(Ac3GainTable::Gain(levels), gain);
  Ac3GainTable table;
  ASSERT_TRUE(table.Build(frame.data(), frame.size()));
  EXPECT_EQ(table.Entry(32768), 0);
  EXPECT_EQ(table.Entry(32768 + 1000), static_cast<int16_t>(std::trunc(1000 * gain)));
  EXPECT_EQ(table.Entry(32768 - 1000), static_cast<int16_t>(std::trunc(-1000 * gain)));
  EXPECT_EQ(table.Entry(65535), 32767);
  EXPECT_EQ(table.Entry(0), -32768);
}

TEST(Ac3GainTable, RefusesWhatIsNoFrame) {
  const uint8_t shortFrame[] = {0x0B, 0x77, 0, 0, 0};
  const uint8_t noSync[16] = {0x0B, 0x78};
  Ac3GainTable table;
  EXPECT_FALSE(table.Build(shortFrame, sizeof shortFrame));
  EXPECT_FALSE(table.Build(noSync, sizeof noSync));
  EXPECT_FALSE(table.Built());
}

}  // namespace
