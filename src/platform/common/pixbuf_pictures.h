// Picture decoding and encoding with gdk-pixbuf; works without a display, so
// the desktop and the headless platform decode pictures the same way.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/files.h"
#include "platform/image.h"
#include "platform/pictures.h"
#include "platform/result.h"

namespace vm {

// The largest width or height of a picture the game or the data tool decodes:
// the game's own are at most 640 x 480, and a header claiming more than this
// is damaged (decoding it would take gigabytes).
constexpr int kMaxPictureSide = 4096;

// Decodes from memory what the game's Files read, so a folder held in
// memory plays as one on the disk does.
class PixbufPictures : public Pictures {
 public:
  explicit PixbufPictures(Files& files) : files_(files) {}
  Result<Image> load_picture(const std::string& path) override;

 private:
  Files& files_;
};

// Encoders for the data tool and screenshots; a failure says why.
Result<void> save_png(const Image& img, const std::string& path);
// The same with an opacity per pixel (alpha holds img.w * img.h values).
Result<void> save_png_alpha(const Image& img, const std::vector<uint8_t>& alpha,
                            const std::string& path);
Result<std::vector<uint8_t>> encode_jpeg(const Image& img, int quality);
// Decodes a picture held in memory; one wider or taller than kMaxPictureSide
// is refused before its pixels are decoded.
Result<Image> decode_picture(const std::vector<uint8_t>& bytes);

}  // namespace vm
