#include "platform/codec/packed_vops.h"

#include <gtest/gtest.h>

#include <vector>

namespace platform::codec {
namespace {

using Bytes = std::vector<uint8_t>;

enum VopType : uint8_t { kI = 0, kP = 1, kB = 2 };

// A VOP of `type` whose bytes after the header are `tag`, `size` bytes in all.
Bytes Vop(VopType type, uint8_t tag, size_t size = 40) {
  Bytes vop = {0, 0, 1, 0xB6, static_cast<uint8_t>(type << 6 | 0x10)};
  vop.resize(size, tag);
  return vop;
}

Bytes Join(const Bytes& a, const Bytes& b) {
  Bytes joined = a;
  joined.insert(joined.end(), b.begin(), b.end());
  return joined;
}

// What each chunk hands to the codec, then what Flush leaves.
std::vector<Bytes> Feed(PackedVopSplitter& splitter, const std::vector<Bytes>& chunks) {
  std::vector<Bytes> fed;
  for (const Bytes& chunk : chunks) {
    const std::span<const uint8_t> out = splitter.Next(chunk);
    fed.emplace_back(out.begin(), out.end());
  }
  const std::span<const uint8_t> rest = splitter.Flush();
  fed.emplace_back(rest.begin(), rest.end());
  return fed;
}

TEST(PackedVopSplitterTest, PairsAreFedOneVopAChunkWhateverThePlaceholder) {
  const Bytes i0 = Vop(kI, 0), p3 = Vop(kP, 3), b1 = Vop(kB, 1), b2 = Vop(kB, 2, 12), p6 = Vop(kP, 6);
  const Bytes b4 = Vop(kB, 4), b5 = Vop(kB, 5), notCoded = Vop(kP, 0, 7);
  for (const Bytes& placeholder : {notCoded, Bytes()}) {
    PackedVopSplitter splitter;
    // A B-frame as small as a placeholder still counts as a picture.
    const std::vector<Bytes> fed =
        Feed(splitter, {i0, Join(p3, b1), b2, placeholder, Join(p6, b4), b5, placeholder});
    EXPECT_EQ(fed, (std::vector<Bytes>{i0, p3, b1, b2, p6, b4, b5, {}})) << placeholder.size();
  }
}

TEST(PackedVopSplitterTest, UnpackedStreamsPassUnchanged) {
  PackedVopSplitter splitter;
  const std::vector<Bytes> chunks = {Vop(kI, 0), Vop(kP, 3), Vop(kB, 1), Vop(kB, 2), {}, Vop(kP, 0, 7)};
  std::vector<Bytes> expected = chunks;
  expected.push_back({});
  EXPECT_EQ(Feed(splitter, chunks), expected);
}

TEST(PackedVopSplitterTest, ALostPlaceholderCostsTheWaitingBFrameNotTheStream) {
  PackedVopSplitter splitter;
  const Bytes p3 = Vop(kP, 3), b1 = Vop(kB, 1), p6 = Vop(kP, 6), b4 = Vop(kB, 4);
  EXPECT_EQ(Feed(splitter, {Join(p3, b1), Join(p6, b4)}), (std::vector<Bytes>{p3, p6, b4}));
  // A restart forgets what waits.
  splitter.Next(Join(p3, b1));
  splitter.Reset();
  EXPECT_TRUE(splitter.Flush().empty());
}

}  // namespace
}  // namespace platform::codec
