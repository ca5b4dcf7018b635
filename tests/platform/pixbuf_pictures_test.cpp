// Picture decoding and encoding with gdk-pixbuf: BMP to the exact pixels,
// JPEG through memory, PNG to a file, clear failures.
#include "platform/common/pixbuf_pictures.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "data/pictures.h"
#include "platform/common/disk_files.h"
#include "platform/headless/memory_files.h"

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

std::string temp_path(const std::string& name) {
  return ::testing::TempDir() + "velmora_pix_" + std::to_string(::getpid()) + "_" + name;
}

void write_file(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
}

// Files on the disk, whatever their names end in (the game's end in .dat):
// BMP to the exact pixels, JPEG, PNG sniffed by content; clear failures.
TEST(PixbufPictures, FilesOnTheDiskDecodeOrFailWithAReason) {
  DiskFiles disk;
  PixbufPictures pics(disk);
  Image out;
  std::string error;
  const Image src = pattern(7, 5);  // odd width: rows are padded
  const std::string path = temp_path("a.dat");
  write_file(path, make_bmp(src));
  ASSERT_TRUE(pics.load_picture(path, out, error)) << error;
  EXPECT_EQ(out.w, 7);
  EXPECT_EQ(out.h, 5);
  EXPECT_EQ(out.px, src.px);

  std::vector<uint8_t> jpeg;
  ASSERT_TRUE(encode_jpeg(pattern(33, 17), 75, jpeg, error)) << error;
  write_file(path, jpeg);
  ASSERT_TRUE(pics.load_picture(path, out, error)) << error;
  EXPECT_EQ(out.w, 33);
  EXPECT_EQ(out.h, 17);

  const std::string png = temp_path("c.png");
  ASSERT_TRUE(save_png(pattern(20, 10), png, error)) << error;
  ASSERT_TRUE(pics.load_picture(png, out, error)) << error;
  EXPECT_EQ(out.px, pattern(20, 10).px);
  std::remove(png.c_str());

  for (const std::vector<uint8_t>& junk :
       {std::vector<uint8_t>{'J', 'F', 1, 2, 3, 4, 5, 6, 7, 8, 9}, std::vector<uint8_t>{}}) {
    write_file(path, junk);
    error.clear();
    EXPECT_FALSE(pics.load_picture(path, out, error));
    EXPECT_FALSE(error.empty());
  }
  std::remove(path.c_str());
  const std::string missing = temp_path("does-not-exist.dat");
  EXPECT_FALSE(pics.load_picture(missing, out, error));
  EXPECT_EQ(error, missing + ": No such file or directory");
}

TEST(PixbufPictures, AFolderHeldInMemoryDecodesAndFailsAsOnTheDisk) {
  MemoryFiles memory;
  PixbufPictures pics(memory);
  const Image src = pattern(3, 2);
  const std::vector<uint8_t> bmp = make_bmp(src);
  memory.put("/mem/11.dat", std::string(bmp.begin(), bmp.end()));
  Image out;
  std::string error;
  ASSERT_TRUE(pics.load_picture("/mem/11.dat", out, error)) << error;
  EXPECT_EQ(out.px, src.px);
  EXPECT_FALSE(pics.load_picture("/mem/12.dat", out, error));
  EXPECT_EQ(error, "/mem/12.dat: No such file or directory");
  memory.put("/mem/13.dat", "");
  EXPECT_FALSE(pics.load_picture("/mem/13.dat", out, error));
  EXPECT_EQ(error, "/mem/13.dat: empty file");
}

TEST(PixbufPictures, AHeaderClaimingAHugeSizeIsRefusedBeforeDecoding) {
  // Under a kilobyte, claiming 20000 x 20000: decoded, gigabytes.
  std::vector<uint8_t> bomb = make_bmp(pattern(16, 16));
  for (size_t at : {18u, 22u}) {
    bomb[at] = 0x20;
    bomb[at + 1] = 0x4E;
  }
  Image out;
  std::string error;
  EXPECT_FALSE(decode_picture(bomb, out, error));
  EXPECT_EQ(
      error,
      "the picture claims 20000 x 20000 pixels, more than the 4096 x 4096 a picture may have");
  EXPECT_EQ(out.w, 0);
}

TEST(PixbufPictures, JpegRoundTripThroughMemoryAndNothingToEncode) {
  Image src(64, 48);
  for (int y = 0; y < 48; ++y)
    for (int x = 0; x < 64; ++x) src.at(x, y) = rgb(static_cast<uint8_t>(x * 4), 128, 64);
  std::vector<uint8_t> jpeg;
  std::string error;
  ASSERT_TRUE(encode_jpeg(src, 90, jpeg, error)) << error;
  ASSERT_GT(jpeg.size(), 4u);
  EXPECT_EQ(jpeg[0], 0xFF);
  EXPECT_EQ(jpeg[1], 0xD8);
  Image out;
  ASSERT_TRUE(decode_picture(jpeg, out, error)) << error;
  EXPECT_EQ(out.w, 64);
  EXPECT_EQ(out.h, 48);
  // Lossy, but close.
  const uint32_t c = out.at(32, 24);
  EXPECT_NEAR(red_of(c), 128, 8);
  EXPECT_NEAR(green_of(c), 128, 8);
  EXPECT_NEAR(blue_of(c), 64, 8);
  // Decoding is deterministic.
  Image again;
  ASSERT_TRUE(decode_picture(jpeg, again, error)) << error;
  EXPECT_EQ(out.px, again.px);
  std::vector<uint8_t> none;
  EXPECT_FALSE(encode_jpeg(Image(), 90, none, error));
  EXPECT_FALSE(error.empty());
}

}  // namespace
}  // namespace vm
