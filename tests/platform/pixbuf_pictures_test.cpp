// Picture decoding and encoding with gdk-pixbuf: BMP to the exact pixels,
// JPEG close and the same every time, PNG to a file, clear failures.
#include "platform/common/pixbuf_pictures.h"

#include <gtest/gtest.h>

#include <string>

#include "authoring/pictures.h"
#include "platform/common/disk_files.h"
#include "platform/headless/memory_files.h"
#include "test_support.h"

namespace vm {
namespace {

// The one BMP writer there is: the data tool's, which the demo's sprites,
// faces and texture sheet are written with.
std::vector<uint8_t> make_bmp(const Image& img) {
  const std::string bytes = datatool::encode_bmp(img);
  return std::vector<uint8_t>(bytes.begin(), bytes.end());
}

Image pattern(int w, int h) {
  Image img(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      img.at(x, y) = rgb(static_cast<uint8_t>(x * 37 + y), static_cast<uint8_t>(y * 11),
                         static_cast<uint8_t>((x ^ y) * 5));
  return img;
}

// Files on the disk or held in memory, whatever their names end in (the
// game's end in .dat): BMP to the exact pixels, JPEG and PNG sniffed by
// content; clear failures, the same from either.
TEST(PixbufPictures, FilesDecodeOrFailWithAReasonFromTheDiskAsFromMemory) {
  test::TempDir dir;
  DiskFiles disk;
  MemoryFiles memory;
  // A smooth picture, which the lossy JPEG keeps close to.
  Image smooth(64, 48);
  for (int y = 0; y < 48; ++y)
    for (int x = 0; x < 64; ++x) smooth.at(x, y) = rgb(static_cast<uint8_t>(x * 4), 128, 64);
  const Result<std::vector<uint8_t>> encoded = encode_jpeg(smooth, 90);
  ASSERT_TRUE(encoded) << encoded.error().what();
  const std::vector<uint8_t>& jpeg = encoded.value();
  ASSERT_GT(jpeg.size(), 4u);
  EXPECT_EQ(jpeg[0], 0xFF);
  EXPECT_EQ(jpeg[1], 0xD8);
  const Result<std::vector<uint8_t>> none = encode_jpeg(Image(), 90);  // nothing to encode
  ASSERT_FALSE(none);
  EXPECT_STREQ(none.error().what(), "empty picture");
  std::vector<uint32_t> decoded;  // the JPEG's pixels: the same from the disk as from memory
  for (const bool on_disk : {true, false}) {
    SCOPED_TRACE(on_disk ? "on the disk" : "in memory");
    const std::string at = on_disk ? dir.path() : "/mem/";
    auto put = [&](const std::string& name, const std::string& bytes) {
      if (on_disk)
        test::write_bytes(at + name, bytes);
      else
        memory.put(at + name, bytes);
    };
    PixbufPictures pics(on_disk ? static_cast<Files&>(disk) : memory);
    Image out;
    auto load = [&](const std::string& name) {
      Result<Image> r = pics.load_picture(at + name);
      if (r) out = r.value();
      return r;
    };
    auto error_of = [](const Result<Image>& r) { return r ? "" : std::string(r.error().what()); };
    const Image src = pattern(7, 5);  // odd width: rows are padded
    put("11.dat", datatool::encode_bmp(src));
    ASSERT_TRUE(load("11.dat"));
    EXPECT_EQ(std::tie(out.w, out.h, out.px), std::tie(src.w, src.h, src.px));

    put("70.dat", std::string(jpeg.begin(), jpeg.end()));
    ASSERT_TRUE(load("70.dat"));
    EXPECT_EQ(std::make_pair(out.w, out.h), std::make_pair(64, 48));
    const uint32_t c = out.at(32, 24);
    EXPECT_NEAR(red_of(c), 128, 8);
    EXPECT_NEAR(green_of(c), 128, 8);
    EXPECT_NEAR(blue_of(c), 64, 8);
    if (decoded.empty()) decoded = out.px;
    EXPECT_EQ(out.px, decoded);
    if (on_disk) {
      ASSERT_TRUE(save_png(pattern(20, 10), at + "c.png"));
      ASSERT_TRUE(load("c.png"));
      EXPECT_EQ(out.px, pattern(20, 10).px);
    }

    put("12.dat", std::string("JF\1\2\3\4\5\6\7\10\11"));
    EXPECT_NE(error_of(load("12.dat")), "");
    put("13.dat", "");
    EXPECT_EQ(error_of(load("13.dat")), at + "13.dat: empty file");
    EXPECT_EQ(error_of(load("14.dat")), at + "14.dat: No such file or directory");
  }
}

TEST(PixbufPictures, AHeaderClaimingAHugeSizeIsRefusedBeforeDecoding) {
  // Under a kilobyte, claiming 20000 x 20000: decoded, gigabytes.
  std::vector<uint8_t> bomb = make_bmp(pattern(16, 16));
  for (size_t at : {18u, 22u}) {
    bomb[at] = 0x20;
    bomb[at + 1] = 0x4E;
  }
  const Result<Image> out = decode_picture(bomb);
  ASSERT_FALSE(out);
  EXPECT_STREQ(
      out.error().what(),
      "the picture claims 20000 x 20000 pixels, more than the 4096 x 4096 a picture may have");
}

}  // namespace
}  // namespace vm
