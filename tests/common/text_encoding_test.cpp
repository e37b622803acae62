#include "common/text_encoding.h"

#include <gtest/gtest.h>

namespace common {
namespace {

TEST(TextEncoding, Utf16ToUtf8CoversEveryLengthAndLoneSurrogates) {
  EXPECT_EQ(Utf16ToUtf8(u"clip.avi"), "clip.avi");
  EXPECT_EQ(Utf16ToUtf8(u"\u00e9"), "\xc3\xa9");
  EXPECT_EQ(Utf16ToUtf8(u"\u20ac"), "\xe2\x82\xac");
  EXPECT_EQ(Utf16ToUtf8(u"\U0001F3AC"), "\xf0\x9f\x8e\xac");
  const char16_t lone[] = {0xD800, u'a', 0};
  EXPECT_EQ(Utf16ToUtf8(lone), "\xef\xbf\xbd" "a");
}

}  // namespace
}  // namespace common
