#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/codec/codec.h"
#include "platform/codec/output_format.h"

namespace testsupport {

// A made-up codec for tests of the code above the codec layer.
struct FakeCodecTraits {
  // The code it opens under.
  uint32_t handler = 0;
  // The input compression it decompresses; 0 means the same code as the handler.
  uint32_t compression = 0;
  // The outputs Begin accepts.
  std::vector<platform::codec::OutputKind> outputs;
  // Pictures held back before one comes out, as a decoder of B-frames holds its references.
  int reorderDepth = 0;
};

// What the fake codecs saw; shared by the registry and every codec it opened.
struct FakeLog {
  std::vector<uint32_t> opened;                    // every code asked for, whether a codec opened or not
  std::vector<platform::codec::OutputKind> asked;  // every output asked for at Begin
  std::vector<uint8_t> inspected;                  // the first byte of every packet inspected
  std::vector<uint8_t> fed;                        // the first byte of every packet fed
  std::vector<bool> fedKey;                        // whether that packet was fed as a key frame
  int restarts = 0;
  int ends = 0;
  int closed = 0;
  // Packets fed first after a start or restart that were not key frames.
  int startsWithoutKey = 0;
  // Leading pictures dropped after a start or restart.
  int leadingDropped = 0;
};

// Packets are decoded by their first byte, the picture's tag: every byte of the picture
// becomes the tag. A packet starting kFailByte fails to decode. Held pictures come out
// smallest tag first, so tags in display order give display order. As libavcodec does, a
// picture is stamped with the frame of the packet it came out with less the reorder depth,
// and after a start or restart a picture whose tag is below the first packet's (a leading
// picture, which needs the group before) is dropped.
class FakeRegistry final : public platform::codec::Registry {
 public:
  static constexpr uint8_t kFailByte = 0xEE;

  FakeRegistry() : log_(std::make_shared<FakeLog>()) {}

  void Add(FakeCodecTraits traits) { codecs_.push_back(std::move(traits)); }
  std::unique_ptr<platform::codec::Codec> Open(uint32_t handler) override;
  const FakeLog& Log() const { return *log_; }

 private:
  std::vector<FakeCodecTraits> codecs_;
  std::shared_ptr<FakeLog> log_;
};

}  // namespace testsupport
