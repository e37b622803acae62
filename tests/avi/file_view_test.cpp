#include "avi/file_view.h"

#include <gtest/gtest.h>

#include <numeric>
#include <thread>

#include "support/temp_dir.h"

namespace {

using avi::FileView;

std::vector<uint8_t> Counting(size_t size) {
  std::vector<uint8_t> bytes(size);
  std::iota(bytes.begin(), bytes.end(), uint8_t{0});
  return bytes;
}

TEST(FileView, ReadsAreBoundedByTheView) {
  testsupport::TempDir dir;
  FileView view = FileView::Open(dir.Write("a.bin", Counting(100)));
  ASSERT_TRUE(view.IsOpen());
  EXPECT_EQ(view.Length(), 100u);

  uint8_t buffer[200] = {};
  EXPECT_EQ(view.Read(90, 50, buffer), 10u);
  EXPECT_EQ(buffer[0], 90);
  EXPECT_EQ(buffer[9], 99);
  EXPECT_EQ(view.Read(100, 1, buffer), 0u);
  EXPECT_EQ(view.Read(UINT64_MAX, 1, buffer), 0u);

  FileView sub = view.SubView(10, 20);
  EXPECT_EQ(sub.Length(), 20u);
  EXPECT_EQ(sub.Read(15, 100, buffer), 5u);
  EXPECT_EQ(buffer[0], 25);
  EXPECT_EQ(view.SubView(95, 20).Length(), 5u);
  FileView past = view.SubView(150, 20);
  EXPECT_EQ(past.Length(), 0u);
  EXPECT_EQ(past.Read(0, 1, buffer), 0u);
}

TEST(FileView, ViewsOfOneFileReadAlternately) {
  testsupport::TempDir dir;
  FileView whole = FileView::Open(dir.Write("a.bin", Counting(256)));
  FileView tail = whole.SubView(128, 128);
  uint8_t byte = 0;
  for (uint8_t i = 0; i < 64; ++i) {
    ASSERT_EQ(whole.Read(i, 1, &byte), 1u);
    EXPECT_EQ(byte, i);
    ASSERT_EQ(tail.Read(i, 1, &byte), 1u);
    EXPECT_EQ(byte, 128 + i);
  }
}

TEST(FileView, FileStaysOpenWhileAnyViewLives) {
  testsupport::TempDir dir;
  FileView whole = FileView::Open(dir.Write("a.bin", Counting(16)));
  FileView sub = whole.SubView(4, 4);
  whole.Release();
  EXPECT_FALSE(whole.IsOpen());
  EXPECT_EQ(whole.Read(0, 1, nullptr), 0u);
  uint8_t byte = 0;
  EXPECT_EQ(sub.Read(0, 1, &byte), 1u);
  EXPECT_EQ(byte, 4);
}

TEST(FileView, BaseNameFollowsThePathForm) {
  testsupport::TempDir dir;
  std::string narrow = dir.Write("clip one.avi", Counting(4));
  FileView byNarrow = FileView::Open(narrow);
  ASSERT_NE(byNarrow.BaseName8(), nullptr);
  EXPECT_EQ(*byNarrow.BaseName8(), "clip one.avi");
  EXPECT_EQ(byNarrow.BaseName16(), nullptr);

  // "Ünï.avi" by a UTF-16 path opens the UTF-8 named file.
  std::string utf8Name = "\xC3\x9Cn\xC3\xAF.avi";
  std::string file = dir.Write(utf8Name, Counting(4));
  std::u16string wide;
  for (char c : file.substr(0, file.size() - utf8Name.size())) wide += static_cast<char16_t>(c);
  wide += u"\u00DCn\u00EF.avi";
  FileView byWide = FileView::Open(wide);
  ASSERT_TRUE(byWide.IsOpen());
  EXPECT_EQ(byWide.BaseName8(), nullptr);
  ASSERT_NE(byWide.BaseName16(), nullptr);
  EXPECT_EQ(*byWide.BaseName16(), u"\u00DCn\u00EF.avi");
}

TEST(FileView, MissingFileGivesAnEmptyView) {
  FileView view = FileView::Open(std::string("/nonexistent/dir/file.avi"));
  EXPECT_FALSE(view.IsOpen());
  EXPECT_EQ(view.Length(), 0u);
  uint8_t byte;
  EXPECT_EQ(view.Read(0, 1, &byte), 0u);
  EXPECT_EQ(view.BaseName8(), nullptr);
}

TEST(FileView, ConcurrentReadersEachGetTheirOwnBytes) {
  testsupport::TempDir dir;
  FileView whole = FileView::Open(dir.Write("a.bin", Counting(4096)));
  auto reader = [&](uint64_t start) {
    FileView view = whole.SubView(start, 1024);
    uint8_t buffer[16];
    bool ok = true;
    for (int round = 0; round < 2000; ++round) {
      uint64_t offset = static_cast<uint64_t>(round * 7) % 1000;
      ok &= view.Read(offset, sizeof buffer, buffer) == sizeof buffer;
      ok &= buffer[0] == static_cast<uint8_t>(start + offset);
    }
    return ok;
  };
  bool first = false, second = false;
  std::thread a([&] { first = reader(0); });
  std::thread b([&] { second = reader(2048 + 3); });
  a.join();
  b.join();
  EXPECT_TRUE(first);
  EXPECT_TRUE(second);
}

}  // namespace
